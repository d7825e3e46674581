// Where the assembler's texts point into the source: a report line that names
// a source line, and the address each listing line was assembled at.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tessaline {

struct ReferenceSource {
    QString fichier; // as the line writes it: NAME.ASM
    int ligne = 0;   // from 1
};

// "NAME.ASM(12): error: ..." or "NAME.ASM:12: ...": the file and the line.
std::optional<ReferenceSource> referenceSource(const QString& ligne);

// The address of a listing line: a line number, then a field of four
// hexadecimal digits (lines that emit nothing have none, an EQU's value is
// no address, and the continuation lines of long data have no number).
std::optional<int> adresseListing(const QString& ligne);

// The index (from 0) of the listing line assembled at `adresse`: among the
// lines at that address, the first that shows code bytes after the address
// (an ORG or a label alone on its line shows none), else the first one; -1
// when no line has that address.
int ligneListingA(const QStringList& listing, int adresse);

} // namespace tessaline
