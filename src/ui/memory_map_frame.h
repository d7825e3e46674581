// The " Configuration " frame of the options dialog: where the selected
// profile's RAM and EEPROM lie. Starts are typed in hexadecimal
// (txtDepartRam, txtDepartEEprom), sizes in decimal (txtTailleRam,
// txtTailleEeprom); each end (txtFinRam, txtFinEeprom) is start + size - 1 and
// is not editable.
//
// Every key is filtered: a character must be a digit of the field's base once
// in upper case; a refused key beeps, except in txtTailleEeprom. While the
// user types, the end follows each value that holds. The value is checked
// when the edit ends (Enter, the focus leaving, OK): the block must still end
// at $FFFF at the latest (and hold one byte); otherwise "Données Incorrectes"
// and the last accepted value comes back, selected (typing 513 over 512 passes
// through 5 and 51, which are no entries of their own). What the program writes
// into the fields is no entry of the user's and is not checked.
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
    // Ends the edits in progress, as leaving their fields would; false when
    // one of them was refused.
    bool terminerSaisie();

signals:
    // The user changed a start or a size, and the map was accepted.
    void carteSaisie(const CarteMemoire& carte);

protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;

private:
    bool touche(int champ, QKeyEvent* evenement);
    void refuser(int champ);
    void champModifie(int champ);
    bool finirChamp(int champ);
    void afficherFins();

    Screen& ecran_;
    CarteMemoire carte_;
    std::array<QLineEdit*, 4> champs_{};
    QLineEdit* finRam_ = nullptr;
    QLineEdit* finEeprom_ = nullptr;
    // Set while an accepted key edits a field: the change it makes is the user's.
    bool saisie_ = false;
    // The fields the user has changed since their last check.
    std::array<bool, 4> enCours_{};
};

} // namespace tessaline
