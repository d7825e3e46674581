// The Motorola S-record image of an assembly: an S0 header carrying a name,
// S1 data records of at most 16 bytes whose bytes lie at consecutive addresses,
// and an S9 end record carrying the start address (END's operand, else $0000).
// Lines end with CR LF.
#pragma once

#include "asm/assembler.h"

#include <QByteArray>
#include <QString>

namespace tessaline::asm11 {

inline constexpr int OctetsParEnregistrement = 16;

QByteArray texteS19(const Assemblage& a, const QString& nom);

} // namespace tessaline::asm11
