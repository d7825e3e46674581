// Where the programs find the data they ship: the examples and the help pages.
// Installed, a program runs from <prefix>/bin and its data is in
// <prefix>/share/tessaline; run from a build tree, the data is still in the
// source tree it was built from.
#pragma once

#include <QString>

namespace tessaline {

// The folder `sousDossier` ("examples", "help") of the data, for a program in
// `dossierProgramme` (QCoreApplication::applicationDirPath()): the installed
// one first, then the source tree's. Empty when neither exists.
QString dossierDonnees(const QString& dossierProgramme, const QString& sousDossier);

} // namespace tessaline
