// frmPointsArret, "Points d'arrêt": the user's breakpoints (address, the
// program's label when its .SYM is loaded, enabled or not) and the console's
// Break when it is armed; an address field that takes hexadecimal or a label,
// and Ajouter, Retirer, Tout retirer. Every change goes through the list's
// owner (operations/breakpoint_table.h), which says its refusals.
#pragma once

#include "link/symbol_table.h"

#include <QByteArray>
#include <QWidget>

#include <optional>

class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tessaline {

class Session;

// What the windows show of the breakpoints, as one value: the list's
// addresses and their enabled state, and the console's Break. It differs
// whenever anything has changed them.
QByteArray etatPointsAffiche(const Session& session);

class BreakpointsWindow : public QWidget {
    Q_OBJECT
public:
    explicit BreakpointsWindow(Session& session, QWidget* parent = nullptr);

    // The rows again from the session (and the labels from the .SYM).
    void actualiser();
    QTableWidget* table() const { return table_; }

    // The address a text names: one to four hexadecimal digits, else a label
    // of the program (with an offset: "boucle+3").
    std::optional<int> adresseDe(const QString& texte) const;

signals:
    // A button or a check box here changed the list.
    void pointsModifies();

private:
    void ajouter();
    void retirer();
    void toutRetirer();
    void activer(int ligne, bool actif);
    // No exchange under way, that a plant or a removal would run inside;
    // beeps otherwise.
    bool libre() const;

    Session& session_;
    QTableWidget* table_;
    QLineEdit* adresse_;
    QPushButton* retirer_;
    QPushButton* toutRetirer_;
    bool remplissage_ = false;
};

} // namespace tessaline
