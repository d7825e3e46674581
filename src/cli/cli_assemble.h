// The command line's "assemble FILE": the compile of the windows' File menu
// on one source, its report printed.
#pragma once

#include "link/session.h"

#include <QTextStream>

namespace tessaline {

// Makes `chemin` the current source as opening it in the files window does
// (companions: same folder and name up to the first '.', extensions .LST,
// .SYM, .S19), compiles it and prints this compile's report RETOUR.NFO on
// `sortie`. True only when the compile script ran and ended with status 0,
// and the three products are there: a report or products an earlier compile
// left never make a success (nor is an earlier report printed).
bool assemblerSource(Session& session, const QString& chemin, QTextStream& sortie);

} // namespace tessaline
