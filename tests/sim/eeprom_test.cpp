// EEPROM programming and erasing through PPROG (A8TD section 3, "EEPROM programming"),
// driven through the bus with the CPU parked: AND programming, byte, row and bulk
// erase, the minimum programming time, the latch's effect on reads, writes outside the
// sequence, and BPROT block protection with its time-protected write window. Programming
// and byte erase through the Talker, with the delay count it is given, are proven by
// the Talker's own tests.
#include "board_test_support.h"

#include "sim/eeprom.h"

namespace hc11::test {
namespace {

uint64_t msCycles(const Board& b, double ms) {
    return uint64_t(b.eClockHz() * ms / 1000.0 + 0.5);
}

// PPROG ← bits|EELAT; cell ← data; PPROG ← bits|EELAT|EEPGM; wait; PPROG ← 0.
void operation(Board& b, uint16_t address, uint8_t bits, uint8_t data = 0xFF, double ms = 10) {
    b.write(reg::PPROG, bits | pprog::EELAT);
    b.write(address, data);
    b.write(reg::PPROG, bits | pprog::EELAT | pprog::EEPGM);
    runFor(b, msCycles(b, ms));
    b.write(reg::PPROG, 0);
}
void program(Board& b, uint16_t address, uint8_t data) {
    operation(b, address, 0, data);
}
constexpr uint8_t kByteErase = pprog::BYTE | pprog::ERASE;
constexpr uint8_t kRowErase = pprog::ROW | pprog::ERASE;
constexpr uint8_t kBulkErase = pprog::ERASE;

// A parked board of `chip` with BPROT cleared (inside the 64-cycle window after reset).
std::unique_ptr<Board> unprotectedBoard(std::string_view chip, unsigned crystalMHz = 8) {
    auto b = makeBoard(chip, crystalMHz);
    park(*b);
    b->write(reg::BPROT, 0x00);
    return b;
}

Eeprom::Operation lastOperation(const Board& b) {
    return b.eeprom().lastOutcome().operation;
}

TEST(Eeprom, ProgramAndEraseOnEveryChip) {
    for (const auto& chip : builtInChips()) {
        SCOPED_TRACE(chip.name);
        auto b = unprotectedBoard(chip.name);
        const uint16_t s = chip.eepromStart;
        const uint16_t last = uint16_t(chip.eepromEnd());
        EXPECT_EQ(b->read(s + 5), 0xFF) << "erased at power-on";
        for (auto [data, now] : {std::pair{0x55, 0x55}, {0x50, 0x50}, {0xAF, 0x00}}) {
            program(*b, s + 5, uint8_t(data)); // programming only clears bits
            EXPECT_EQ(b->read(s + 5), now);
        }
        EXPECT_EQ(lastOperation(*b), Eeprom::Operation::Program);
        EXPECT_EQ(b->eeprom().lastOutcome().result, Eeprom::Result::Done);
        EXPECT_EQ(b->read(s + 6), 0xFF);

        for (uint16_t off = 0x0F; off <= 0x22; ++off)
            program(*b, s + off, uint8_t(off));
        operation(*b, s + 0x15, kRowErase);               // the 16-byte row $x10-$x1F
        operation(*b, s + 0x21, kByteErase | pprog::ROW); // BYTE overrides ROW
        for (uint16_t off = 0x0F; off <= 0x22; ++off) {
            const bool erased = (off >= 0x10 && off <= 0x1F) || off == 0x21;
            EXPECT_EQ(b->read(s + off), erased ? 0xFF : off) << off;
        }

        program(*b, last, 0x00);
        operation(*b, s + 0x33, kBulkErase);
        for (uint32_t a = s; a <= last; ++a)
            ASSERT_EQ(b->read(uint16_t(a)), 0xFF) << a;
    }
}

// EELAT = 1 disconnects the array from reads: the model returns $FF and counts the read.
TEST(Eeprom, ArrayReadsFfWhileLatched) {
    auto b = unprotectedBoard("68HC11F1");
    program(*b, 0xFE00, 0x00);
    const uint64_t before = b->eeprom().latchedReads();
    b->write(reg::PPROG, pprog::EELAT);
    EXPECT_EQ(b->read(0xFE00), 0xFF);
    EXPECT_EQ(b->peek(0xFE00), 0x00) << "the cell itself is unchanged";
    EXPECT_EQ(b->eeprom().latchedReads(), before + 1);
    b->write(reg::PPROG, 0);
    EXPECT_EQ(b->read(0xFE00), 0x00);
}

TEST(Eeprom, WritesOutsideTheSequenceDoNothing) {
    auto b = unprotectedBoard("68HC11E1");
    b->write(0xB607, 0x00); // a plain store, counted as ignored
    EXPECT_EQ(b->eeprom().ignoredWrites(), 1u);
    // A write during the pulse does not change what is latched.
    b->write(reg::PPROG, pprog::EELAT);
    b->write(0xB607, 0xF0);
    b->write(reg::PPROG, pprog::EELAT | pprog::EEPGM);
    b->write(0xB608, 0x00);
    runFor(*b, msCycles(*b, 10));
    b->write(reg::PPROG, 0);
    EXPECT_EQ(b->read(0xB607), 0xF0);
    EXPECT_EQ(b->read(0xB608), 0xFF);
    // EELAT and EEPGM in one write set EELAT only: no pulse.
    b->write(reg::PPROG, pprog::EELAT | pprog::EEPGM);
    EXPECT_EQ(b->read(reg::PPROG), pprog::EELAT);
    b->write(0xB603, 0x00);
    runFor(*b, msCycles(*b, 12));
    b->write(reg::PPROG, 0);
    EXPECT_EQ(b->read(0xB603), 0xFF);
    // A pulse with nothing latched since EELAT was set programs nothing.
    b->write(reg::PPROG, pprog::EELAT);
    b->write(reg::PPROG, pprog::EELAT | pprog::EEPGM);
    runFor(*b, msCycles(*b, 10));
    b->write(reg::PPROG, 0);
    EXPECT_EQ(b->eeprom().lastOutcome().result, Eeprom::Result::NothingLatched);
}

// The model asks for at least 9 ms of E cycles, whatever the crystal.
TEST(Eeprom, ShortPulsesLeaveTheCellUnchanged) {
    struct Row {
        unsigned crystalMHz;
        double ms;
        bool done;
    };
    for (Row row : {Row{8, 8.9, false}, Row{8, 9, true}, Row{16, 8.9, false}, Row{16, 9, true}}) {
        SCOPED_TRACE(::testing::Message() << row.ms << " ms at " << row.crystalMHz << " MHz");
        auto b = unprotectedBoard("68HC11E1", row.crystalMHz);
        const auto result = row.done ? Eeprom::Result::Done : Eeprom::Result::TooShort;
        operation(*b, 0xB600, 0, 0x3C, row.ms);
        EXPECT_EQ(b->read(0xB600), row.done ? 0x3C : 0xFF);
        EXPECT_EQ(b->eeprom().lastOutcome().result, result);
        operation(*b, 0xB600, kByteErase, 0xFF, row.ms);
        EXPECT_EQ(b->eeprom().lastOutcome().result, result);
    }
}

// BPRTn guards exactly its block: the E-series blocks $B600-$B61F, $B620-$B65F,
// $B660-$B6DF, $B6E0-$B7FF, and each chip's own table in the same way.
TEST(Bprot, OneBitGuardsExactlyItsBlock) {
    for (const auto& chip : builtInChips()) {
        if (!chip.hasBprot) continue;
        for (unsigned block = 0; block < 4; ++block) {
            SCOPED_TRACE(::testing::Message() << chip.name << " BPRT" << block);
            const uint16_t first = uint16_t(chip.eepromStart + chip.protectBlocks[block].firstOffset);
            const uint16_t last = uint16_t(chip.eepromStart + chip.protectBlocks[block].lastOffset);
            auto b = unprotectedBoard(chip.name);
            b->resetBootstrap(); // special mode: BPROT writable at any time
            b->write(reg::BPROT, uint8_t(1u << block));
            for (uint16_t a : {first, last}) {
                program(*b, a, 0x00);
                EXPECT_EQ(b->peek(a), 0xFF) << std::hex << a;
                EXPECT_EQ(b->eeprom().lastOutcome().result, Eeprom::Result::Protected);
            }
            for (uint32_t a : {uint32_t(first) - 1, uint32_t(last) + 1}) {
                if (a < chip.eepromStart || a > chip.eepromEnd()) continue;
                program(*b, uint16_t(a), 0x00);
                EXPECT_EQ(b->peek(uint16_t(a)), 0x00) << std::hex << a;
            }
        }
    }
}

TEST(Bprot, EraseKeepsProtectedBlocks) {
    auto b = unprotectedBoard("68HC11E1");
    program(*b, 0xB600, 0x00);
    program(*b, 0xB625, 0x00);
    program(*b, 0xB700, 0x00);
    b->resetBootstrap();
    b->write(reg::BPROT, 0x02); // block 1: $B620-$B65F
    operation(*b, 0xB620, kRowErase);
    EXPECT_EQ(b->peek(0xB625), 0x00);
    EXPECT_EQ(b->eeprom().lastOutcome().result, Eeprom::Result::Protected);
    b->write(reg::BPROT, 0x01); // block 0: $B600-$B61F
    operation(*b, 0xB700, kBulkErase);
    EXPECT_EQ(b->peek(0xB600), 0x00);
    EXPECT_EQ(b->peek(0xB625), 0xFF);
    EXPECT_EQ(b->peek(0xB700), 0xFF);
    EXPECT_EQ(b->eeprom().lastOutcome().result, Eeprom::Result::PartlyProtected);
    b->write(reg::BPROT, 0x0F);
    operation(*b, 0xB700, kBulkErase);
    EXPECT_EQ(b->eeprom().lastOutcome().result, Eeprom::Result::Protected);
}

// Clearable only in the first 64 E cycles in normal modes, at any time in special
// modes; bits can always be set. The A1 has no BPROT: nothing guards its array.
TEST(Bprot, TimeProtectedWriteWindow) {
    for (const auto& chip : builtInChips()) {
        SCOPED_TRACE(chip.name);
        auto b = makeBoard(chip.name);
        park(*b);
        if (!chip.hasBprot) {
            b->write(reg::BPROT, 0x00);
            EXPECT_EQ(b->read(reg::BPROT), 0xFF);
            program(*b, chip.eepromStart, 0x42);
            EXPECT_EQ(b->read(chip.eepromStart), 0x42);
            continue;
        }
        EXPECT_EQ(b->read(reg::BPROT), 0x1F);
        runFor(*b, 63);
        b->write(reg::BPROT, 0x10);
        EXPECT_EQ(b->read(reg::BPROT), 0x10) << "cleared at cycle 63";
        runFor(*b, 1);
        b->write(reg::BPROT, 0x00);
        EXPECT_EQ(b->read(reg::BPROT), 0x10) << "locked from cycle 64";
        b->write(reg::BPROT, 0x03);
        EXPECT_EQ(b->read(reg::BPROT), 0x13) << "bits can still be set";
        program(*b, chip.eepromStart, 0x00);
        EXPECT_EQ(b->eeprom().lastOutcome().result, Eeprom::Result::Protected);
        b->resetBootstrap();
        runFor(*b, 1'000'000);
        b->write(reg::BPROT, 0x00);
        EXPECT_EQ(b->read(reg::BPROT), 0x00) << "special mode";
    }
}

} // namespace
} // namespace hc11::test
