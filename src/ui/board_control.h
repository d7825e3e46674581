// What the windows may know of a simulated board: its description, its RESET
// button and mode jumpers, the levels on its port pins, what the outside
// drives on its inputs (switches, the IRQ and XIRQ buttons, the voltages on
// the A/D inputs), and that it follows the chip and crystal of the options.
// The program's entry point implements it over the board; the windows never
// see the simulator itself.
#pragma once

#include "link/board_tools.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>

namespace tessaline {

class BoardControl {
public:
    enum class Evenement {
        Reset,         // the chip left reset: the Talker it held is gone
        ResetMonopuce, // the same in single-chip mode: the program at the reset vector owns the SCI
        Reconstruite,  // another chip or crystal, held in reset: no program runs
    };
    using Ecouteur = std::function<void(Evenement)>;

    virtual ~BoardControl() = default;
    // "68HC11F1, quartz 8 MHz".
    virtual QString description() const = 0;
    // The user presses RESET with MODA and MODB wired for bootstrap mode: the
    // boot loader waits for a download.
    virtual void reset() = 0;
    // RESET with MODA and MODB wired for normal single-chip mode: the program
    // at the reset vector runs.
    virtual void resetMonopuce() = 0;
    // The board becomes `puce` (kept when the simulator has no such chip) with
    // a crystal of `quartzHz`, when either differs from what it is. What the
    // outside drives on the pins stays driven on the new board.
    virtual void suivreOptions(const QString& puce, double quartzHz) = 0;

    // Ports 'A' to 'E': the levels on the pins (1 = high) and which pins are
    // outputs now, as the program configured them.
    virtual uint8_t niveaux(char port) = 0;
    virtual uint8_t sorties(char port) = 0;
    // A level the outside holds on an input pin (bit 0-7); a pin the program
    // made an output ignores it until it is an input again.
    virtual void poserEntree(char port, int bit, bool haut) = 0;
    // The IRQ and XIRQ pins held low (a button down) or let go.
    virtual void poserIrq(bool bas) = 0;
    virtual void poserXirq(bool bas) = 0;
    // The voltage on A/D channel 0-7 (PE0-PE7), 0 to 5 V.
    virtual void poserTension(int canal, double volts) = 0;

    // The character LCD and the 4x4 keypad, when the board has them (wired as
    // the help's simulated board page says).
    struct Afficheur {
        bool allume = false; // display on
        // The character codes of the two rows of 16, as the controller shows them.
        std::array<QByteArray, 2> lignes;
        // The cursor's row and column, -1 when it is not shown.
        int curseurLigne = -1, curseurColonne = -1;
        bool clignote = false;
        bool operator==(const Afficheur&) const = default;
    };
    virtual bool aAfficheurEtClavier() const { return false; }
    virtual Afficheur afficheur() { return {}; }
    // Key 4 * ligne + colonne held down or let go.
    virtual void poserTouche(int /*ligne*/, int /*colonne*/, bool /*enfoncee*/) {}

    // The board's own tools (cycle count, history, watchpoints); null when it has none.
    virtual BoardTools* outils() { return nullptr; }

    // The program's SCI, as a terminal on its line must be set: its rate in
    // baud (0 while no program runs or its receiver and transmitter are both
    // off), its data bits (8, or 9 with SCCR1 M), and whether its receiver is
    // on (what the host sends before is lost). A real board cannot say: all 0.
    struct SciProgramme {
        int debit = 0;
        int bitsDonnees = 8;
        bool recepteur = false;
    };
    virtual SciProgramme sciProgramme() { return {}; }
    // From now on (true) the host's end of the line takes the program's rate
    // whenever the program changes it, without losing what it received; until
    // the line is opened again.
    virtual void suivreSciProgramme(bool /*suivre*/) {}

    // Nothing the pins show can change until something comes from outside (a
    // pin, a byte from the host, a reset): no program runs, or it waits or
    // polls what cannot change, and no output compare drives a pin. A panel
    // may then stop looking until it hears of activity. By default never.
    virtual bool auRepos() { return false; }

    // Told of every reset and rebuild (one listener; empty to stop).
    void setEcouteur(Ecouteur ecouteur) { ecouteur_ = std::move(ecouteur); }
    // Told whenever the pins may change again (one listener; empty to stop).
    void setSuiviActivite(std::function<void()> suivi) { suiviActivite_ = std::move(suivi); }

protected:
    void signaler(Evenement e) {
        if (ecouteur_) ecouteur_(e);
    }
    void signalerActivite() {
        if (suiviActivite_) suiviActivite_();
    }

private:
    Ecouteur ecouteur_;
    std::function<void()> suiviActivite_;
};

} // namespace tessaline
