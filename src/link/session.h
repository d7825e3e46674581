// One session: the shared state of session_state.h and the seams through which
// the operations reach the world. It lives as long as the main window (or the
// command-line run).
#pragma once

#include "link/board_tools.h"
#include "link/event_clock.h"
#include "link/screen.h"
#include "link/serial_line.h"
#include "link/session_state.h"
#include "link/symbol_table.h"

#include <functional>
#include <memory>
#include <optional>

namespace tessaline {

class LinkWatch;

class Session {
public:
    Session(SerialLine& ligne, EventClock& horloge, Screen& ecran);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    SerialLine& ligne() { return ligne_; }
    EventClock& horloge() { return horloge_; }
    Screen& ecran() { return ecran_; }
    LinkWatch& surveillance() { return *surveillance_; }

    Configuration config;
    QVector<ProfilMateriel> profils;
    EtatLiaison liaison;
    JeuRegistres registres;
    EtatConsole console;
    EtatBreak pointArret;
    EtatPoints points;
    EtatFichiers fichiers;
    // The labels of the program in hand (its .SYM): the disassembly, the stop
    // line, the trace and the registers window name addresses by them.
    TableSymboles symboles;
    // The register set as it was when Reg SET mode was entered.
    JeuRegistres copieRegSet;

    // Called when the Talker download starts waiting for the chip's break: a
    // simulated board leaves reset in bootstrap mode there, as a user presses
    // RESET on a real one. Empty for a real board.
    std::function<void()> attenteResetCarte;
    // The simulated board's own tools (cycle count, step back, watchpoints); null for
    // a real board.
    BoardTools* outilsCarte = nullptr;
    // The program's cycle count at its last stop, for the cycles each stop reports,
    // and what the board said at the last stop (its cycles, the watchpoint that
    // stopped it), as the trace shows it.
    uint64_t cyclesAuDernierArret = 0;
    QStringList rapportArret;
    // The watchpoint access that caused the last stop, if one did: the breakpoints
    // window picks out the watchpoint that fired.
    std::optional<BoardTools::Declenchement> declenchement;

    // The flags that end a wait; setting them wakes the wait at once.
    void demanderAbandon();
    void demanderAnnulation();
    void demanderInterruption();

private:
    SerialLine& ligne_;
    EventClock& horloge_;
    Screen& ecran_;
    std::unique_ptr<LinkWatch> surveillance_;
};

} // namespace tessaline
