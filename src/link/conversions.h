// Number and text conversions shared by every part of the program: hexadecimal
// texts of addresses and bytes, the trace time stamp, short paths.
#pragma once

#include <QString>

#include <concepts>
#include <cstdint>

namespace tessaline {

// Value of a hexadecimal text, least significant digit last, upper or lower case.
// The empty text is 0. A character that is not a hexadecimal digit counts as the
// digit 0 in its position ("1G" is $10): callers pass only hexadecimal text, and a
// stray character must not invent a value of its own.
// Throws std::overflow_error when the value exceeds 2147483647 (it is held in a
// 32-bit signed integer).
int32_t HexaDec(const QString& texte);

// Four upper-case hexadecimal digits with leading zeros (10 gives "000A").
// A non-integral number is first rounded to the nearest integer, halves to even.
// Throws std::invalid_argument outside 0..65535.
QString DecHexa4(int64_t valeur);
QString DecHexa4(double valeur);
template <std::integral T>
QString DecHexa4(T valeur) {
    return DecHexa4(static_cast<int64_t>(valeur));
}

// At least two upper-case hexadecimal digits (5 gives "05", 256 gives "100").
// A negative value is written as its 32-bit two's complement ("FFFFFFFF" for -1).
QString DecHexa2(int64_t valeur);

// Time of day as HH:MM:SS.mmm (twelve characters) from seconds since midnight,
// always with a point before the milliseconds whatever the user's locale.
QString HeureTrace(double secondes);

// The short form of a path, for handing it to an external program that cannot take
// blanks. Where the system has no short names the path comes back unchanged; a path
// that does not exist gives the empty text.
QString CheminCourt(const QString& chemin);

} // namespace tessaline
