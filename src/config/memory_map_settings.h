// The four memory values as a section of the store holds them: the current
// ones in "Config", and each hardware profile's in the section of its name.
#pragma once

#include "link/session_state.h"

#include <QString>

namespace tessaline {

class SettingsStore;

// The last address of the 68HC11's 64 KB: no block may end past it.
inline constexpr double DerniereAdresse = 0xFFFF;

// Reads TailleRam, TailleEEprom, DepartRam and DepartEEprom. Each value that is
// absent, not a number, or outside the 68HC11's 64 KB address space (a start
// outside $0000-$FFFF, a size outside 1-65536) takes its default. When a block
// would then end past $FFFF, its start and size both take their defaults: the
// memory operations show every address of a block on four hexadecimal digits.
CarteMemoire lireCarteMemoire(const SettingsStore& store, const QString& section,
                              const CarteMemoire& defauts);
// Writes the four values; the EEPROM size goes under the key TailleEeprom.
void ecrireCarteMemoire(SettingsStore& store, const QString& section, const CarteMemoire& carte);

} // namespace tessaline
