// frmSurveillance: target memory watched while the program runs. A list of
// bytes and words, each named by its address or by a symbol of the program,
// shown in hexadecimal and decimal and read again at the rate the user
// chooses; the value that changed last stands out.
#pragma once

#include "operations/memory_watch.h"

#include <QTimer>
#include <QVector>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableWidget;

namespace tessaline {

class Session;

class WatchWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int FrequenceDefaut = 4; // refreshes a second
    static constexpr int FrequenceMaximum = 20;

    explicit WatchWindow(Session& session, QWidget* parent = nullptr);

    // Adds the entry the text names ("0100", "MOTIF", "COMPTE+1", ":w" for a
    // word), resolving a symbol with the program's .SYM. False, said in the
    // window's state line, when it names nothing.
    bool ajouter(const QString& texte, bool mot);
    // Removes the selected rows.
    void retirer();
    const QVector<EntreeSurveillee>& entrees() const { return entrees_; }
    // One tick of the refresh timer; public so that tests in virtual time can drive it.
    void tick();
    void setQuitting(bool q);

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void afficher(const QVector<int>& valeurs);
    void arreter(const QString& raison);
    void suivreFrequence();
    void etat(const QString& texte);

    Session& session_;
    QVector<EntreeSurveillee> entrees_;
    QVector<int> valeurs_;  // the last read, -1 where not read yet
    QVector<int> changees_; // the rows that changed at the last change
    // The values shown are those of the stopped program: no read until it runs again.
    bool aJour_ = false;
    bool quitting_ = false;
    QLineEdit* saisie_;
    QCheckBox* mot_;
    QCheckBox* actif_;
    QSpinBox* frequence_;
    QTableWidget* table_;
    QLabel* etat_;
    QTimer tmrSurveillance_;
};

} // namespace tessaline
