// The command line's "assemble FILE": the compile of the windows' File menu
// on one source, its report printed.
#pragma once

#include "link/session.h"

#include <QTextStream>

namespace tessaline {

// Makes `chemin` the current source as opening it in the files window does
// (companions: same folder and name up to the first '.', extensions .LST,
// .SYM, .S19), compiles it and prints the report RETOUR.NFO on `sortie`.
// False when one of the three products is missing afterwards.
bool assemblerSource(Session& session, const QString& chemin, QTextStream& sortie);

} // namespace tessaline
