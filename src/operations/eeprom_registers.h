// The 68HC11 registers that the host's own routines and the CONFIG
// programming touch, at their addresses after reset (register block at
// $1000; MC68HC11A8 TD, Table 3-1 "Register and Control Bit Assignments";
// BPROT: E-series TD).
#pragma once

#include <QString>

namespace tessaline::hc11reg {

inline constexpr int Scsr = 0x102E;  // SCI status: TDRE bit 7, RDRF bit 5
inline constexpr int Scdr = 0x102F;  // SCI data
inline constexpr int Bprot = 0x1035; // PTCON bit 4 guards CONFIG, BPRT3-0 the array's blocks
inline constexpr int Pprog = 0x103B; // BYTE $10, ROW $08, ERASE $04, EELAT $02, EEPGM $01
inline constexpr int Config = 0x103F;

inline constexpr int Rdrf = 0x20;
inline constexpr int Ptcon = 0x10;
inline constexpr int BlocsProteges = 0x0F;

// BPROT is on the E series, the F1 and the 811E2; the A1 has none (its
// address reads as nothing there).
inline bool aBprot(const QString& puce) {
    return puce != QStringLiteral("68HC11A1");
}

} // namespace tessaline::hc11reg
