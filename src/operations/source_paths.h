// The current source file and its companions share one folder and one base
// name: the name up to its first ".". PROG.V2.ASM has the base name PROG and
// the extension V2.ASM, which is no source extension.
#pragma once

#include <QString>

namespace tessaline {

struct CheminDecoupe {
    QString dossier;   // up to and including the last separator
    QString nom;       // the file name
    QString base;      // the file name up to its first "."
    QString extension; // the rest after that ".", upper case
};

// Splits at the last "/" (or "\", as a path typed on Windows has them).
CheminDecoupe decouperChemin(const QString& chemin);

// The companion of base name `base` in `dossier` with `extension`: the
// upper-case spelling, or the lower-case one when only that exists (names are
// case sensitive off Windows).
QString compagnon(const QString& dossier, const QString& base, const QString& extension);

} // namespace tessaline
