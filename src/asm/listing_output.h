// The listing and the symbol table of an assembly, as text files (CR LF).
//
// Listing: each source line with, in fixed columns, its number (5 wide), the
// address where it puts code or reserves memory (4 hex digits), and its bytes
// (at most 5 on a line, as hex digit pairs without blanks), then the source
// text. Bytes beyond the fifth go on continuation lines that carry their own
// address and no number. An EQU line shows "=" and its value instead of an
// address. A faulty line is followed by a line "***** error: " + the fault.
// Symbol table: one line per symbol, sorted by name: the name, blanks, "$" and
// its value in four hex digits; then an empty line and the count of symbols.
#pragma once

#include "asm/assembler.h"

#include <QByteArray>
#include <QString>

namespace tessaline::asm11 {

inline constexpr int OctetsParLigneListing = 5;

QByteArray texteListing(const Assemblage& a);
QByteArray texteSymboles(const Assemblage& a);

// The line (from 0) of listing text `listing` that shows the byte at
// `adresse`, or -1 when no line does: what follows the program counter in a
// loaded listing.
int ligneListingDeAdresse(const QString& listing, int adresse);

} // namespace tessaline::asm11
