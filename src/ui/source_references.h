// Where the assembler's texts point into the source: a report line that names
// a source line, and the address each listing line was assembled at.
#pragma once

#include <QMap>
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

// The address of a listing line that shows code bytes (an instruction or
// data): where a breakpoint on that line goes. Nothing for a line without.
std::optional<int> adresseCodeListing(const QString& ligne);

// The listing numbers its lines as the source's: each source line (from 1)
// that emits code, with its address (the first listing line of that number
// that shows code bytes).
QMap<int, int> adressesSource(const QStringList& listing);

// The source line (from 1) assembled at `adresse`, through the listing line
// ligneListingA finds; -1 when none.
int ligneSourceA(const QStringList& listing, int adresse);

} // namespace tessaline
