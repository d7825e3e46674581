// The command line's watch: the values of target memory while the program
// runs, one line per refresh.
#pragma once

#include "cli/command_line.h"
#include "link/session.h"
#include "operations/memory_watch.h"

#include <QTextStream>

namespace tessaline {

// Watches the entries of `arguments` (watch's, checked by the parser, their
// symbols in `symboles`): a refresh every --every milliseconds, each printed
// as the seconds since the first, then each entry as NAME=HEX (DECIMAL). Ends
// when the program stops (one refresh only on a stopped program), --for has
// run out, or the user interrupts. False when the watch failed: a program
// that cannot be watched, a read that failed (both said).
bool surveillerMemoire(Session& session, const TableSymboles& symboles, const QStringList& arguments,
                       QTextStream& sortie);

// One refresh's line: "0.250 MOTIF=04 (4) 0102:w=0800 (2048)".
QString ligneSurveillance(double secondes, const QVector<EntreeSurveillee>& entrees,
                          const QVector<int>& valeurs);

} // namespace tessaline
