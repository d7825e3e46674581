// The simulated board's front panel: which chip and crystal it is, a LED on
// every output pin of ports A, B and C, a switch on every input pin of ports A
// and C, a knob for the voltage on each A/D input (port E), the IRQ, XIRQ and
// RESET buttons, and the MODA/MODB jumpers (bootstrap or single-chip mode).
// When the board has them, its 2x16 character LCD and its 4x4 keypad, with
// their wiring written under them (the keypad's columns take PE4-PE7, whose
// knobs are then disabled).
// With the board's tools, a stopwatch: the E cycles the program has run (not the
// Talker's) since the last click on "Zéro", and that time in microseconds at the
// board's E clock.
// The LEDs follow the board about thirty times a second while its pins may
// change; while the board rests (BoardControl::auRepos) the panel stops
// looking until the board tells of activity.
#pragma once

#include "ui/board_control.h"

#include <QTimer>
#include <QWidget>

#include <array>

class QAbstractButton;
class QDial;
class QGridLayout;
class QLabel;
class QRadioButton;
class QVBoxLayout;

namespace tessaline {

class InterrupteurCarte;
class LedCarte;

class BoardPanel : public QWidget {
    Q_OBJECT
public:
    explicit BoardPanel(BoardControl& board, QWidget* parent = nullptr);
    ~BoardPanel() override;

    // Shows the board's description again (another chip or crystal).
    void actualiser();
    // Reads the pins and lights the LEDs (the refresh timer calls it); only
    // what changed is drawn again.
    void rafraichir();
    // The refresh timer runs (the board's pins may change).
    bool suitLaCarte() const { return rafraichissement_.isActive(); }

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void creerPorts(QGridLayout* grille);
    void creerBoutons(QGridLayout* grille);
    void creerAfficheurEtClavier(QVBoxLayout* colonne);
    void creerChronometre(QVBoxLayout* colonne);
    void afficherCycles();
    void afficherEcran(const BoardControl::Afficheur& a);
    InterrupteurCarte* interrupteur(char port, int bit);
    void afficherMode();
    void afficherTension(int canal);
    // The board may change its pins again: the panel looks again.
    void suivre();
    void tick();

    BoardControl& board_;
    QLabel* description_;
    QLabel* mode_;
    QRadioButton* monopuce_ = nullptr;
    // Index = bit number; null where the pin has no LED or no switch.
    std::array<LedCarte*, 8> ledsA_{}, ledsB_{}, ledsC_{};
    std::array<InterrupteurCarte*, 8> interA_{}, interC_{};
    std::array<QDial*, 8> potentiometres_{};
    std::array<QLabel*, 8> tensions_{};
    QLabel* ecran_ = nullptr; // the LCD, when the board has one
    BoardControl::Afficheur ecranAffiche_;
    QLabel* cycles_ = nullptr; // the stopwatch, when the board has its tools
    uint64_t zeroCycles_ = 0;
    QTimer rafraichissement_;
    // What the LEDs and switches show: levels of A, B, C, outputs of A and C.
    std::array<int, 5> affiche_{-1, -1, -1, -1, -1};
};

} // namespace tessaline
