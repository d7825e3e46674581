// The EEPROM programming sequence as a program runs it, driven through the bus with
// the CPU parked (A8TD section 3, "EEPROM programming").
#pragma once

#include "board_test_support.h"

#include "sim/eeprom.h"

namespace hc11::test {

// E cycles for `ms` milliseconds.
inline uint64_t msCycles(const Board& b, double ms) {
    return uint64_t(b.eClockHz() * ms / 1000.0 + 0.5);
}

// PPROG ← bits|EELAT; cell ← data; PPROG ← bits|EELAT|EEPGM; wait; PPROG ← 0.
inline void eepromOperation(Board& b, uint16_t address, uint8_t data, uint8_t bits, uint64_t pulseCycles) {
    b.write(reg::PPROG, bits | pprog::EELAT);
    b.write(address, data);
    b.write(reg::PPROG, bits | pprog::EELAT | pprog::EEPGM);
    runFor(b, pulseCycles);
    b.write(reg::PPROG, 0);
}

inline void program(Board& b, uint16_t address, uint8_t data) {
    eepromOperation(b, address, data, 0, msCycles(b, 10));
}
inline void byteErase(Board& b, uint16_t address) {
    eepromOperation(b, address, 0xFF, pprog::BYTE | pprog::ERASE, msCycles(b, 10));
}
inline void rowErase(Board& b, uint16_t address) {
    eepromOperation(b, address, 0xFF, pprog::ROW | pprog::ERASE, msCycles(b, 10));
}
inline void bulkErase(Board& b, uint16_t address) {
    eepromOperation(b, address, 0xFF, pprog::ERASE, msCycles(b, 10));
}

// A parked board of `chip` with BPROT cleared (inside the 64-cycle window after reset).
inline std::unique_ptr<Board> unprotectedBoard(std::string_view chip, unsigned crystalMHz = 8) {
    auto b = makeBoard(chip, crystalMHz);
    park(*b);
    b->write(reg::BPROT, 0x00);
    return b;
}

} // namespace hc11::test
