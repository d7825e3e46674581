// SCI bit rates and character times, measured on the line: a character written to SCDR
// reaches the host one frame later, and the frame's length gives the rate. Expected
// rates are the data sheet's (MC68HC11A8 TD table 5-2), rounded to the baud.
#include "board_test_support.h"

#include <ostream>

#include <cmath>

namespace hc11::test {
namespace {

struct RateRow {
    uint8_t baud;
    unsigned crystalMHz;
    unsigned expectedBaud;
};

std::ostream& operator<<(std::ostream& os, const RateRow& r) {
    return os << "BAUD $" << std::hex << int(r.baud) << std::dec << " at " << r.crystalMHz << " MHz";
}

class SciRate : public ::testing::TestWithParam<RateRow> {};

// Measures the E cycles from an SCDR write to the host's byte, with the transmitter's
// preamble already gone.
uint64_t measureFrame(Board& b, uint8_t value, double hostBaud) {
    b.setHostBaud(hostBaud);
    b.write(reg::SCCR2, sccr2::TE);
    EXPECT_FALSE(b.runUntilHostData(b.cycleCount() + 100'000)); // preamble: nothing to read
    b.read(reg::SCSR);
    const uint64_t start = b.cycleCount();
    b.write(reg::SCDR, value);
    EXPECT_TRUE(b.runUntilHostData(start + 10'000'000));
    const uint64_t cycles = b.cycleCount() - start;
    EXPECT_EQ(b.hostRead(), value);
    return cycles;
}

TEST_P(SciRate, FrameLengthGivesTheDataSheetRate) {
    const RateRow row = GetParam();
    auto b = makeBoard("68HC11E1", row.crystalMHz);
    park(*b);
    b->write(reg::BAUD, row.baud);
    const uint64_t frame = measureFrame(*b, 0x5A, row.expectedBaud);
    const double measured = 10 * b->eClockHz() / double(frame);
    EXPECT_NEAR(measured, row.expectedBaud, 1.0) << "BAUD $" << std::hex << int(row.baud);
    // The character time is exactly 10 SCI bit times of 16 * P * 2^SCR E cycles.
    EXPECT_EQ(frame % 10, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Table52, SciRate,
    ::testing::Values(
        RateRow{0x30, 2, 2404}, RateRow{0x31, 2, 1202}, RateRow{0x32, 2, 601}, RateRow{0x33, 2, 300},
        RateRow{0x34, 2, 150}, RateRow{0x35, 2, 75}, RateRow{0x30, 4, 4808}, RateRow{0x31, 4, 2404},
        RateRow{0x32, 4, 1202}, RateRow{0x33, 4, 601}, RateRow{0x34, 4, 300}, RateRow{0x35, 4, 150},
        RateRow{0x30, 8, 9615}, RateRow{0x31, 8, 4808}, RateRow{0x32, 8, 2404}, RateRow{0x33, 8, 1202},
        RateRow{0x34, 8, 601}, RateRow{0x35, 8, 300}, RateRow{0x30, 16, 19231}, RateRow{0x31, 16, 9615},
        RateRow{0x32, 16, 4808}, RateRow{0x33, 16, 2404}, RateRow{0x34, 16, 1202}, RateRow{0x35, 16, 601},
        RateRow{0x22, 8, 7813}, RateRow{0x20, 8, 31250}, RateRow{0x10, 8, 41667}, RateRow{0x00, 8, 125000}));

TEST(SciFrame, NineBitFramesTakeElevenBitTimes) {
    auto b = makeBoard();
    park(*b);
    b->write(reg::BAUD, 0x30);
    const uint64_t eightBit = measureFrame(*b, 0x12, 9615);
    b->write(reg::SCCR1, sccr1::M | sccr1::T8);
    b->read(reg::SCSR);
    const uint64_t start = b->cycleCount();
    b->write(reg::SCDR, 0x34);
    ASSERT_TRUE(b->runUntilHostData(start + 100'000));
    EXPECT_EQ((b->cycleCount() - start) * 10, eightBit * 11);
    // T8 = 1 lands where the host expects its stop bit: the byte arrives intact.
    EXPECT_EQ(b->hostRead(), 0x34);
}

TEST(SciFrame, NinthBitReachesR8) {
    auto b = makeBoard();
    park(*b);
    b->write(reg::BAUD, 0x30);
    b->write(reg::SCCR1, sccr1::M);
    b->write(reg::SCCR2, sccr2::RE);
    b->setHostBaud(9615);
    b->hostSend(0xA5);
    runFor(*b, charCycles(*b, 9615) + 10);
    // A 10-bit host frame read as 9 data bits: the host's stop bit becomes the ninth.
    EXPECT_TRUE(b->read(reg::SCCR1) & sccr1::R8);
    b->read(reg::SCSR);
    EXPECT_EQ(b->read(reg::SCDR), 0xA5);
}

TEST(SciFrame, F1KeepsScp2WithoutChangingTheRate) {
    auto f1 = makeBoard("68HC11F1");
    park(*f1);
    f1->write(reg::BAUD, 0x70);
    EXPECT_EQ(f1->read(reg::BAUD), 0x70);
    EXPECT_EQ(f1->sci().bitCycles(), 208u); // as for $30: 16 * 13

    auto e1 = makeBoard("68HC11E1");
    park(*e1);
    e1->write(reg::BAUD, 0x70);
    EXPECT_EQ(e1->read(reg::BAUD), 0x30);
}

TEST(SciFrame, TestBitsOfBaudAreWritableOnlyInSpecialModes) {
    auto b = makeBoard("68HC11E1");
    park(*b);
    b->write(reg::BAUD, 0x8B);
    EXPECT_EQ(b->read(reg::BAUD), 0x03);
    b->resetBootstrap();
    b->write(reg::BAUD, 0x8B);
    EXPECT_EQ(b->read(reg::BAUD), 0x8B);
}

} // namespace
} // namespace hc11::test
