// SCI bit rates and character times, measured on the line. Expected rates are the data
// sheet's (MC68HC11A8 TD table 5-2), rounded to the baud. The SCP = 11 rows a Talker
// download uses at every crystal are proven by the downloads themselves; these rows
// cover the other prescalers and the extremes of SCR.
#include "board_test_support.h"

namespace hc11::test {
namespace {

// E cycles from enabling the transmitter and writing `value` at once to the host's
// byte: the preamble (one idle frame, RM 9-11) and then the character.
uint64_t measureTwoFrames(Board& b, uint8_t value, double hostBaud) {
    b.setHostBaud(hostBaud);
    const uint64_t start = b.cycleCount();
    b.write(reg::SCCR2, sccr2::TE);
    b.read(reg::SCSR);
    b.write(reg::SCDR, value);
    EXPECT_TRUE(b.runUntilHostData(start + 10'000'000));
    EXPECT_EQ(b.hostRead(), value);
    return b.cycleCount() - start;
}

TEST(SciRate, PreambleAndCharacterGiveTheDataSheetRate) {
    struct Row {
        uint8_t baud;
        unsigned crystalMHz;
        unsigned expectedBaud;
    };
    for (Row row : {Row{0x30, 8, 9615}, Row{0x35, 2, 75}, Row{0x30, 16, 19231}, Row{0x22, 8, 7813},
                    Row{0x20, 8, 31250}, Row{0x10, 8, 41667}, Row{0x00, 8, 125000}}) {
        SCOPED_TRACE(::testing::Message() << "BAUD $" << std::hex << int(row.baud) << std::dec << " at "
                                          << row.crystalMHz << " MHz");
        auto b = makeBoard("68HC11E1", row.crystalMHz);
        park(*b);
        b->write(reg::BAUD, row.baud);
        const uint64_t twoFrames = measureTwoFrames(*b, 0x5A, row.expectedBaud);
        // Each frame is exactly 10 SCI bit times of 16 * P * 2^SCR E cycles.
        EXPECT_EQ(twoFrames % 20, 0u);
        EXPECT_NEAR(20 * b->eClockHz() / double(twoFrames), row.expectedBaud, 1.0);
    }
}

// M = 1: eleven bit times a frame; T8 goes out as the ninth bit, and a host's stop bit
// received as the ninth data bit lands in R8.
TEST(SciRate, NineBitFrames) {
    auto b = makeBoard();
    park(*b);
    b->write(reg::BAUD, 0x30);
    b->write(reg::SCCR1, sccr1::M | sccr1::T8);
    EXPECT_EQ(measureTwoFrames(*b, 0x34, 9615), 2 * 11 * 208u)
        << "T8 = 1 is where the host wants its stop bit";
    b->write(reg::SCCR1, sccr1::M);
    b->write(reg::SCCR2, sccr2::RE);
    b->hostSend(0xA5);
    runFor(*b, charCycles(*b, 9615) + 10);
    EXPECT_TRUE(b->read(reg::SCCR1) & sccr1::R8);
    b->read(reg::SCSR);
    EXPECT_EQ(b->read(reg::SCDR), 0xA5);
}

// Which BAUD bits take a write: SCP2 on the F1 only (and without changing the rate for
// SCP2 = 0 values), TCLR and RCKB in the special modes only.
TEST(SciRate, WritableBaudBits) {
    struct Row {
        const char* chip;
        bool special;
        uint8_t written;
        uint8_t read;
    };
    for (Row row : {Row{"68HC11F1", false, 0x70, 0x70}, Row{"68HC11E1", false, 0x70, 0x30},
                    Row{"68HC11E1", false, 0x8B, 0x03}, Row{"68HC11E1", true, 0x8B, 0x8B}}) {
        SCOPED_TRACE(::testing::Message() << row.chip << " $" << std::hex << int(row.written));
        auto b = makeBoard(row.chip);
        park(*b);
        if (row.special) b->resetBootstrap();
        b->write(reg::BAUD, row.written);
        EXPECT_EQ(b->read(reg::BAUD), row.read);
        if (row.written == 0x70) {
            EXPECT_EQ(b->sci().bitCycles(), 208u) << "as for $30: 16 * 13";
        }
    }
}

} // namespace
} // namespace hc11::test
