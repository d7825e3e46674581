// Colours of the program are kept as Windows values 0x00BBGGRR (link/screen.h);
// the widgets want QColor.
#pragma once

#include "link/screen.h"

#include <QColor>

#include <cstdint>

namespace tessaline {

// The QColor of a Windows colour value; the unused top byte is ignored.
inline QColor couleurQt(uint32_t bbggrr) {
    return QColor::fromRgb(rgbFromWindows(bbggrr & 0xFFFFFF));
}

} // namespace tessaline
