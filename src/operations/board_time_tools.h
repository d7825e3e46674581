// The simulated board's time tools as the debugger uses them: the program's cycles
// reported at each stop, the step back, and the watchpoint that stopped it.
#pragma once

#include "link/board_tools.h"
#include "link/session.h"

#include <optional>

namespace tessaline {

// At a stop: the program's E cycles since its last stop (and the time at the board's
// E clock) in the trace, and the watchpoint that stopped it if one did. Nothing on a
// real board.
void rapporterArretCarte(Session& session);

// "Pas arrière": undoes the stopped program's last `nombre` instructions on the
// simulated board (registers, memory, peripherals), then reads where it now stands
// from the Talker and shows it as a stop. A refusal (the history is empty, or one of
// those instructions used the SCI or programmed the EEPROM) changes nothing and says
// why. False when nothing was undone.
bool PasArriere(Session& session, int nombre);

// A watchpoint as typed: "ADDRESS" or "START-END" (hex), then optionally r, w or rw
// (w when absent). Nothing, with the reason in `erreur`, when it does not read.
std::optional<BoardTools::Observation> lireObservation(const QStringList& arguments, QString& erreur);

// The watchpoint `o` as the trace and the command line write it: "$0090 (écriture)",
// "$0040-$004F (lecture, écriture)".
QString texteObservation(const BoardTools::Observation& o);

} // namespace tessaline
