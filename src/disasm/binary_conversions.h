// Conversions the disassembler needs between hexadecimal, binary and signed texts: the
// signed branch offsets of the relative instructions and the binary masks of BSET/BCLR.
#pragma once

#include <QString>

#include <cstdint>

namespace tessaline {

// A byte written as two hexadecimal digits, read as a two's complement number: "00" to
// "7F" give 0 to 127, "80" to "FF" give -128 to -1. Digits are read as HexaDec reads
// them (either case; a stray character counts as the digit 0). Only the byte counts:
// a longer text is taken modulo $100.
int16_t HexSigne8(const QString& texte);

// The binary digits of n, most significant first, without leading zeros ("0" for 0).
QString DecBin(uint64_t n);

// The value of a text of binary digits (the empty text is 0). Returns kBinDecErreur
// when the text holds any character other than '0' and '1', or when its value does not
// fit in 63 bits.
inline constexpr int64_t kBinDecErreur = -1;
int64_t BinDec(const QString& texte);

// DecBin of the value of a hexadecimal text, digits read as HexaDec reads them. Works
// digit by digit, so a text of any length converts (no 32-bit limit).
QString HexBin(const QString& texte);

} // namespace tessaline
