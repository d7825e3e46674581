// Helpers shared by the board, SCI, boot loader and EEPROM tests: a board per chip, a
// parked CPU so that tests can work the registers through the bus, and small timing
// helpers.
#pragma once

#include "assembled.h"
#include "sim/board.h"
#include "sim/chip.h"
#include "sim/eeprom_image.h"
#include "sim/registers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace hc11::test {

inline constexpr uint32_t kMHz = 1'000'000;

inline std::unique_ptr<Board> makeBoard(std::string_view chip = "68HC11F1", uint32_t crystalMHz = 8) {
    const ChipDescription* c = findChip(chip);
    EXPECT_NE(c, nullptr) << chip;
    return std::make_unique<Board>(*c, crystalMHz * kMHz);
}

// The CPU waits in WAI at the start of RAM in normal single-chip mode, interrupts
// masked: time then moves from event to event exactly, with no instruction overshooting
// an event's cycle.
inline constexpr uint16_t kParkAddress = 0x0000;
inline void park(Board& b) {
    const uint8_t waitLoop[] = {0x3E, 0x20, 0xFD}; // WAI; BRA back to it
    ASSERT_TRUE(b.loadBinary(kParkAddress, waitLoop));
    b.resetSingleChip(kParkAddress);
}

inline std::unique_ptr<Board> parkedBoard(std::string_view chip = "68HC11F1", uint32_t crystalMHz = 8) {
    auto b = makeBoard(chip, crystalMHz);
    park(*b);
    return b;
}

inline void runFor(Board& b, uint64_t cycles) {
    b.runUntil(b.cycleCount() + cycles);
}

// A parked 8 MHz board with the SCI on at 9615 baud (BAUD $30), its preamble gone.
inline std::unique_ptr<Board> sciBoard(std::string_view chip) {
    auto b = parkedBoard(chip);
    b->write(reg::BAUD, 0x30);
    b->write(reg::SCCR2, sccr2::TE | sccr2::RE);
    runFor(*b, 3000);
    return b;
}

// Programs on the F1 in normal single-chip mode: code in RAM, the vectors at $FFC0 in
// its EEPROM ($FE00-$FFFF).
struct VectorEntry {
    uint16_t offset; // from the vector base (namespace vec)
    uint16_t handler;
};
inline void loadCode(Board& b, uint16_t at, const std::vector<uint8_t>& code) {
    ASSERT_TRUE(b.loadBinary(at, code));
}
// `source` assembled at `at` and loaded, with the names of the registers it uses.
inline void loadSource(Board& b, uint16_t at, const std::string& source) {
    std::string names;
    for (const auto& [name, address] : {std::pair{"PORTA", reg::PORTA},
                                        {"DDRA", reg::DDRA},
                                        {"PORTB", reg::PORTB},
                                        {"CFORC", reg::CFORC},
                                        {"OC1M", reg::OC1M},
                                        {"OC1D", reg::OC1D},
                                        {"TOC1", reg::TOC1},
                                        {"PACTL", reg::PACTL},
                                        {"PACNT", reg::PACNT},
                                        {"TCNT", reg::TCNT},
                                        {"TOC2", reg::TOC1 + 2},
                                        {"TOC3", reg::TOC1 + 4},
                                        {"TCTL1", reg::TCTL1},
                                        {"TMSK1", reg::TMSK1},
                                        {"TFLG1", reg::TFLG1},
                                        {"TMSK2", reg::TMSK2},
                                        {"TFLG2", reg::TFLG2},
                                        {"BAUD", reg::BAUD},
                                        {"SCCR2", reg::SCCR2},
                                        {"SCSR", reg::SCSR},
                                        {"SCDR", reg::SCDR},
                                        {"OPTION", reg::OPTION},
                                        {"COPRST", reg::COPRST},
                                        {"HPRIO", reg::HPRIO}})
        names += std::string(name) + " EQU " + std::to_string(address) + "\n";
    loadCode(b, at, tessaline::test::assemble(names + source, at));
}
inline void startProgram(Board& b, uint16_t at, std::initializer_list<VectorEntry> vectors) {
    for (const VectorEntry& v : vectors) {
        const uint8_t bytes[] = {uint8_t(v.handler >> 8), uint8_t(v.handler)};
        ASSERT_TRUE(b.loadBinary(uint16_t(0xFFC0 + v.offset), bytes));
    }
    b.resetSingleChip(at);
}

// Several registers or cells at once, through the bus or without side effects.
inline std::vector<uint8_t> readAll(Board& b, std::initializer_list<uint16_t> addresses) {
    std::vector<uint8_t> v;
    for (uint16_t a : addresses)
        v.push_back(b.read(a));
    return v;
}
inline std::vector<uint8_t> peekAll(const Board& b, std::initializer_list<uint16_t> addresses) {
    std::vector<uint8_t> v;
    for (uint16_t a : addresses)
        v.push_back(b.peek(a));
    return v;
}
using Bytes = std::vector<uint8_t>;

// E cycles of one 10-bit character at `baud`.
inline uint64_t charCycles(const Board& b, double baud) {
    return uint64_t(10 * b.eClockHz() / baud + 0.5);
}

#ifdef TESSALINE_EXAMPLES
// An F1 with the stored image of an example (examples/NAME.s19) in its EEPROM.
inline std::unique_ptr<Board> boardWith(const char* image) {
    auto board = makeBoard("68HC11F1");
    std::string error;
    EXPECT_EQ(loadEepromImage(*board, std::string(TESSALINE_EXAMPLES "/") + image, error),
              EepromImageLoad::Loaded)
        << error;
    return board;
}
#endif

} // namespace hc11::test
