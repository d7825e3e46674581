// Starting, stopping and catching the user's program through the Talker.
//
// The program is started by writing a register frame just below its stack
// pointer and letting the Talker return from interrupt into it (command 2). It
// stops when it executes an SWI (a planted breakpoint or its own) or when the
// host sends the stop command (command 4, served from the SCI receive
// interrupt, so only while the program runs with interrupts enabled): the
// Talker then sends $03 and idles on top of the program's frame, which the host
// reads with command 3.
#pragma once

#include "link/session.h"

#include <QVector>

namespace tessaline {

// Where Run starts the program: CmdAdresse, or the EEPROM start when it is
// empty or lies outside the EEPROM (then shown in the address field).
QString adresseDepart(Session& session);

// Starts the program at CmdAdresse (the EEPROM start when it is empty or lies
// outside the EEPROM) with the register set. False, after "Erreur RunProg" and
// the Talker check, when the frame could not be written. With `pause`, the
// host then lets the program get going for 0.1 s; an operation that goes on
// to wait for the program's stop has no need of it.
bool RunProg(Session& session, bool pause = true);
// What RunProg does before it writes the frame: RegPC to the start address
// (and SP to the top of the Talker's stack when the program stopped on it).
void placerAuDepart(Session& session);
// Resumes the program at RegPC with the register set.
bool RunProgPC(Session& session, bool pause = true);

// How the wait for a stop ended.
enum class Arret {
    Arrete, // the program stopped; its registers are in the register set
    Force,  // it did not stop by itself: the host stopped it (registers read)
    Perdu,  // no stop could be had from the Talker: nothing is known of the program
};

// Waits for the $03 of a stopping program, then reads its frame (command 3,
// with `parametre`). If the $03 does not come within the time-out, or Stop is
// pressed meanwhile, or the user interrupts, the program is stopped with the
// stop command so that the host knows where it is: Force. The register set
// then holds where it really was, uncorrected. Whatever ends the wait, the
// exchanges go out even after an interruption (RetraitEnCours): the caller
// has SWIs to take back.
Arret attraperArret(Session& session, int parametre = 0);

// After a stop: reads the stopped program's PC and frame into the register
// set, each register as soon as its bytes are in. "Cible STOP" first.
bool LitTrameBreak(Session& session, int parametre = 0);

// Stops the running program (the stop command, unless its own $03 is already
// waiting) and reads its frame, the break frame read with `parametre`:
// Arrete when it had stopped by itself, Force when the command stopped it,
// Perdu (after "Erreur ProgStop" and the Talker check) when the Talker did
// not serve it.
Arret arreterProgramme(Session& session, int parametre = 0);

// Stop (cmdSTOP): stops the running program and shows where.
void ProgStop(Session& session);

// The stopped display: the instruction at `adresse` disassembled in the echo
// area after `etiquette`, the console set for a stopped target, the echo and
// registers in the trace, and the link state with `traceEtat`. A failed read
// of the instruction is reported under `operation`.
void afficherArret(Session& session, const QString& etiquette, bool traceEtat,
                   const QString& operation = QStringLiteral("LoadMem"));

// A program that stopped while no operation waited for it (an SWI of its own):
// the link watch received its $03.
void arretSpontane(Session& session);

} // namespace tessaline
