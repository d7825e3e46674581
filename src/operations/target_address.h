// Address texts of the console: four hex digits, sent to the Talker as a high
// and a low byte.
#pragma once

#include <QString>

namespace tessaline {

struct OctetsAdresse {
    int haut;
    int bas;
};

// The first two and the last two digits of a four-digit address text.
OctetsAdresse octetsAdresse(const QString& adresse);

} // namespace tessaline
