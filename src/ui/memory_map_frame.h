// The " Configuration " frame of the options dialog: where the selected
// profile's RAM and EEPROM lie. Starts are typed in hexadecimal
// (txtDepartRam, txtDepartEEprom), sizes in decimal (txtTailleRam,
// txtTailleEeprom); each end (txtFinRam, txtFinEeprom) is start + size - 1 and
// is not editable.
//
// Every key is filtered: a character must be a digit of the field's base once
// in upper case; a refused key beeps, except in txtTailleEeprom. Each change
// the user types is checked at once: the block must still end at $FFFF at the
// latest (and hold one byte); otherwise "Données Incorrectes" and the previous
// value comes back, selected. What the program writes into the fields is no
// entry of the user's and is not checked.
#pragma once

#include "config/memory_map_settings.h"

#include <QGroupBox>

#include <array>

class QKeyEvent;
class QLineEdit;

namespace tessaline {

class Screen;

class MemoryMapFrame : public QGroupBox {
    Q_OBJECT
public:
    // Beeps and the message box go through `ecran`.
    MemoryMapFrame(Screen& ecran, QWidget* parent = nullptr);

    void afficher(const CarteMemoire& carte);
    const CarteMemoire& carte() const { return carte_; }

signals:
    // The user changed a start or a size, and the map was accepted.
    void carteSaisie(const CarteMemoire& carte);

protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;

private:
    bool touche(int champ, QKeyEvent* evenement);
    void refuser(int champ);
    void champModifie(int champ);
    void afficherFins();

    Screen& ecran_;
    CarteMemoire carte_;
    std::array<QLineEdit*, 4> champs_{};
    QLineEdit* finRam_ = nullptr;
    QLineEdit* finEeprom_ = nullptr;
    // Set while an accepted key edits a field: the change it makes is the user's.
    bool saisie_ = false;
};

} // namespace tessaline
