// EEPROM programming and erasing through PPROG on every chip: AND programming, byte,
// row and bulk erase, the minimum programming time, the latch's effect on reads, and
// writes that are not part of the sequence.
#include "eeprom_test_support.h"

#include <ostream>

namespace hc11::test {
namespace {

class EepromPerChip : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        b = unprotectedBoard(GetParam());
        start = b->chip().eepromStart;
    }
    std::unique_ptr<Board> b;
    uint16_t start = 0;
};

TEST_P(EepromPerChip, ProgrammingOnlyClearsBits) {
    const uint16_t a = start + 5;
    EXPECT_EQ(b->read(a), 0xFF) << "erased at power-on";
    program(*b, a, 0x55);
    EXPECT_EQ(b->read(a), 0x55);
    program(*b, a, 0x50);
    EXPECT_EQ(b->read(a), 0x50);
    program(*b, a, 0xAF); // $AF AND $50
    EXPECT_EQ(b->read(a), 0x00);
    EXPECT_EQ(b->eeprom().lastOutcome().operation, Eeprom::Operation::Program);
    EXPECT_EQ(b->eeprom().lastOutcome().result, Eeprom::Result::Done);
    EXPECT_EQ(b->read(a + 1), 0xFF);
}

TEST_P(EepromPerChip, ByteEraseTouchesOneCell) {
    program(*b, start + 0x20, 0x12);
    program(*b, start + 0x21, 0x34);
    byteErase(*b, start + 0x21);
    EXPECT_EQ(b->read(start + 0x20), 0x12);
    EXPECT_EQ(b->read(start + 0x21), 0xFF);
    EXPECT_EQ(b->eeprom().lastOutcome().operation, Eeprom::Operation::ByteErase);
}

TEST_P(EepromPerChip, RowEraseClearsTheSixteenByteRow) {
    for (uint16_t off = 0x0F; off <= 0x20; ++off)
        program(*b, start + off, uint8_t(off));
    rowErase(*b, start + 0x15);
    EXPECT_EQ(b->read(start + 0x0F), 0x0F);
    for (uint16_t off = 0x10; off <= 0x1F; ++off)
        EXPECT_EQ(b->read(start + off), 0xFF) << off;
    EXPECT_EQ(b->read(start + 0x20), 0x20);
    EXPECT_EQ(b->eeprom().lastOutcome().operation, Eeprom::Operation::RowErase);
}

TEST_P(EepromPerChip, BulkEraseClearsTheArray) {
    const uint16_t last = uint16_t(b->chip().eepromEnd());
    for (uint16_t a : {start, uint16_t(start + 0x100), last})
        program(*b, a, 0x00);
    bulkErase(*b, start + 0x33);
    for (uint32_t a = start; a <= last; ++a)
        ASSERT_EQ(b->read(uint16_t(a)), 0xFF) << a;
    EXPECT_EQ(b->eeprom().lastOutcome().operation, Eeprom::Operation::BulkErase);
}

TEST_P(EepromPerChip, ByteOverridesRow) {
    program(*b, start + 0x40, 0x01);
    program(*b, start + 0x41, 0x02);
    eepromOperation(*b, start + 0x40, 0, pprog::BYTE | pprog::ROW | pprog::ERASE, msCycles(*b, 10));
    EXPECT_EQ(b->read(start + 0x40), 0xFF);
    EXPECT_EQ(b->read(start + 0x41), 0x02);
}

TEST_P(EepromPerChip, ArrayReadsFfWhileLatched) {
    program(*b, start, 0x00);
    const uint64_t before = b->eeprom().latchedReads();
    b->write(reg::PPROG, pprog::EELAT);
    EXPECT_EQ(b->read(start), 0xFF);
    EXPECT_EQ(b->peek(start), 0x00) << "the cell itself is unchanged";
    EXPECT_EQ(b->eeprom().latchedReads(), before + 1);
    b->write(reg::PPROG, 0);
    EXPECT_EQ(b->read(start), 0x00);
}

TEST_P(EepromPerChip, WritesOutsideTheSequenceAreIgnored) {
    b->write(start + 7, 0x00);
    EXPECT_EQ(b->read(start + 7), 0xFF);
    EXPECT_EQ(b->eeprom().ignoredWrites(), 1u);
    // A write during the pulse does not change what is latched.
    b->write(reg::PPROG, pprog::EELAT);
    b->write(start + 7, 0xF0);
    b->write(reg::PPROG, pprog::EELAT | pprog::EEPGM);
    b->write(start + 8, 0x00);
    runFor(*b, msCycles(*b, 10));
    b->write(reg::PPROG, 0);
    EXPECT_EQ(b->read(start + 7), 0xF0);
    EXPECT_EQ(b->read(start + 8), 0xFF);
}

TEST_P(EepromPerChip, EelatAndEepgmInOneWriteSetOnlyEelat) {
    b->write(reg::PPROG, pprog::EELAT | pprog::EEPGM);
    EXPECT_EQ(b->read(reg::PPROG), pprog::EELAT);
    b->write(start + 3, 0x00);
    runFor(*b, msCycles(*b, 12));
    b->write(reg::PPROG, 0);
    EXPECT_EQ(b->read(start + 3), 0xFF);
    EXPECT_EQ(b->eeprom().lastOutcome().result, Eeprom::Result::None);
}

TEST_P(EepromPerChip, PulseWithNothingLatchedDoesNothing) {
    b->write(reg::PPROG, pprog::EELAT);
    b->write(reg::PPROG, pprog::EELAT | pprog::EEPGM);
    runFor(*b, msCycles(*b, 10));
    b->write(reg::PPROG, 0);
    EXPECT_EQ(b->eeprom().lastOutcome().result, Eeprom::Result::NothingLatched);
}

INSTANTIATE_TEST_SUITE_P(Chips, EepromPerChip,
                         ::testing::Values("68HC11A1", "68HC11E1", "68HC11F1", "68HC11811E2"));

struct PulseRow {
    unsigned crystalMHz;
    double ms;
    bool programs;
};

std::ostream& operator<<(std::ostream& os, const PulseRow& r) {
    return os << r.ms << " ms at " << r.crystalMHz << " MHz";
}

class EepromPulse : public ::testing::TestWithParam<PulseRow> {};

TEST_P(EepromPulse, ShortPulsesLeaveTheCellUnchanged) {
    const PulseRow row = GetParam();
    auto b = unprotectedBoard("68HC11E1", row.crystalMHz);
    eepromOperation(*b, 0xB600, 0x3C, 0, msCycles(*b, row.ms));
    EXPECT_EQ(b->read(0xB600), row.programs ? 0x3C : 0xFF) << row.ms << " ms";
    EXPECT_EQ(b->eeprom().lastOutcome().result,
              row.programs ? Eeprom::Result::Done : Eeprom::Result::TooShort);
    eepromOperation(*b, 0xB600, 0x00, pprog::BYTE | pprog::ERASE, msCycles(*b, row.ms));
    EXPECT_EQ(b->eeprom().lastOutcome().result,
              row.programs ? Eeprom::Result::Done : Eeprom::Result::TooShort);
}

INSTANTIATE_TEST_SUITE_P(Times, EepromPulse,
                         ::testing::Values(PulseRow{8, 5, false}, PulseRow{8, 8.9, false},
                                           PulseRow{8, 9, true}, PulseRow{8, 10, true},
                                           PulseRow{16, 5, false}, PulseRow{16, 10, true},
                                           PulseRow{4, 8.5, false}, PulseRow{4, 20, true}));

// The delay loop a monitor runs between setting and clearing EEPGM (LDX #n; DEX; BNE:
// 6 E cycles a turn), run by the CPU: $0D06 turns are about 10 ms at E = 2 MHz; a count
// made for a crystal half as fast (about 5 ms here) fails.
TEST(EepromProgramLoop, CpuDelayLoopDecidesTheOutcome) {
    struct Row {
        uint16_t count;
        bool programs;
    };
    for (Row row : {Row{0x0D06, true}, Row{0x0683, false}}) {
        auto b = makeBoard("68HC11E1", 8);
        load(*b, 0x0000,
             {
                 0x7F,
                 0x10,
                 0x35, // CLR BPROT (inside 64 cycles)
                 0x86,
                 0x02, // LDAA #EELAT
                 0xB7,
                 0x10,
                 0x3B, // STAA PPROG
                 0x86,
                 0x50, // LDAA #$50
                 0xB7,
                 0xB6,
                 0x00, // STAA $B600
                 0x86,
                 0x03, // LDAA #EELAT|EEPGM
                 0xB7,
                 0x10,
                 0x3B, // STAA PPROG
                 0xCE,
                 uint8_t(row.count >> 8),
                 uint8_t(row.count), // LDX #count
                 0x09,               // DEX
                 0x26,
                 0xFD, // BNE DEX
                 0x7F,
                 0x10,
                 0x3B, // CLR PPROG
                 0x3E, // WAI
             });
        b->resetSingleChip(0x0000);
        ASSERT_TRUE(b->runUntilPc(0x001B, 100'000));
        EXPECT_EQ(b->peek(0xB600), row.programs ? 0x50 : 0xFF) << std::hex << row.count;
    }
}

} // namespace
} // namespace hc11::test
