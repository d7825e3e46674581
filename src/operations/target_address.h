// Address texts of the console: four hex digits, sent to the Talker as a high
// and a low byte.
#pragma once

#include <QString>

namespace tessaline {

// The address the Talker receives for an address text: its first two digits
// give the high byte and the next two the low byte (so a text of fewer than four
// digits does not read as its numeric value; the console always gives four).
int adresseCible(const QString& adresse);

} // namespace tessaline
