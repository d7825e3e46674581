// frmPointsArret, "Points d'arrêt": the user's breakpoints (address, the
// program's label when its .SYM is loaded, enabled or not) and the console's
// Break when it is armed; an address field that takes hexadecimal or a label,
// and Ajouter, Retirer, Tout retirer. Every change goes through the list's
// owner (operations/breakpoint_table.h), which says its refusals.
// On the simulated board, a second group, "Points d'observation": the
// board's watchpoints (an address or a range, read, write or both), which it
// checks at every access of the program, so that they change at any time.
#pragma once

#include "link/board_tools.h"
#include "link/symbol_table.h"

#include <QByteArray>
#include <QWidget>

#include <optional>
#include <utility>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tessaline {

class Session;

// What the windows show of the breakpoints, as one value: the list's
// addresses and their enabled state, the console's Break, the board's
// watchpoints and the one that fired last. It differs whenever anything has
// changed them.
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
    // The range a text names: one address, or START-END with each end as
    // adresseDe reads it ("COMPTE-COMPTE+1"). Nothing when it names none or
    // ends before it starts.
    std::optional<std::pair<int, int>> plageDe(const QString& texte) const;

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

    QGroupBox* creerObservations();
    void actualiserObservations();
    // The board's list with `liste` in its place: no exchange, the board
    // reads it at the program's next access.
    void poserObservations(const QVector<BoardTools::Observation>& liste);
    void ajouterObservation();
    void retirerObservation();

    Session& session_;
    QTableWidget* table_;
    QLineEdit* adresse_;
    QPushButton* retirer_;
    QPushButton* toutRetirer_;
    bool remplissage_ = false;

    // The watchpoints' group, on the simulated board only.
    QTableWidget* observations_ = nullptr;
    QLineEdit* observation_ = nullptr;
    QCheckBox* lecture_ = nullptr;
    QCheckBox* ecriture_ = nullptr;
    QPushButton* retirerObservation_ = nullptr;
    QPushButton* toutRetirerObservations_ = nullptr;
    // The stop whose watchpoint was last picked out in the list.
    std::optional<BoardTools::Declenchement> declenchementMontre_;
};

} // namespace tessaline
