// BPROT block protection (E series, F1, 811E2) and its time-protected write window; the
// A1 has no BPROT.
#include "eeprom_test_support.h"

#include <ostream>

namespace hc11::test {
namespace {

struct BlockRow {
    const char* chip;
    unsigned block; // BPRTn
    uint16_t first;
    uint16_t last;
};

std::ostream& operator<<(std::ostream& os, const BlockRow& r) {
    return os << r.chip << " BPRT" << r.block;
}

class EepromBlocks : public ::testing::TestWithParam<BlockRow> {};

TEST_P(EepromBlocks, OneBitGuardsExactlyItsBlock) {
    const BlockRow row = GetParam();
    auto b = unprotectedBoard(row.chip);
    b->resetBootstrap(); // special mode: BPROT writable at any time
    b->write(reg::BPROT, uint8_t(1u << row.block));
    const uint16_t start = b->chip().eepromStart;
    const uint16_t end = uint16_t(b->chip().eepromEnd());
    for (uint16_t a : {row.first, row.last}) {
        program(*b, a, 0x00);
        EXPECT_EQ(b->peek(a), 0xFF) << std::hex << a;
        EXPECT_EQ(b->eeprom().lastOutcome().result, Eeprom::Result::Protected);
    }
    // The neighbours outside the block program normally.
    for (uint16_t a : {uint16_t(row.first - 1), uint16_t(row.last + 1)}) {
        if (a < start || a > end) continue;
        program(*b, a, 0x00);
        EXPECT_EQ(b->peek(a), 0x00) << std::hex << a;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Chips, EepromBlocks,
    ::testing::Values(BlockRow{"68HC11E1", 0, 0xB600, 0xB61F}, BlockRow{"68HC11E1", 1, 0xB620, 0xB65F},
                      BlockRow{"68HC11E1", 2, 0xB660, 0xB6DF}, BlockRow{"68HC11E1", 3, 0xB6E0, 0xB7FF},
                      BlockRow{"68HC11F1", 0, 0xFE00, 0xFE1F}, BlockRow{"68HC11F1", 1, 0xFE20, 0xFE5F},
                      BlockRow{"68HC11F1", 2, 0xFE60, 0xFEDF}, BlockRow{"68HC11F1", 3, 0xFEE0, 0xFFFF},
                      BlockRow{"68HC11811E2", 0, 0xF800, 0xF87F}, BlockRow{"68HC11811E2", 1, 0xF880, 0xF97F},
                      BlockRow{"68HC11811E2", 2, 0xF980, 0xFB7F},
                      BlockRow{"68HC11811E2", 3, 0xFB80, 0xFFFF}));

TEST(EepromBlocks, BulkEraseKeepsProtectedBlocks) {
    auto b = unprotectedBoard("68HC11E1");
    program(*b, 0xB600, 0x00);
    program(*b, 0xB700, 0x00);
    b->resetBootstrap();
    b->write(reg::BPROT, 0x01); // block 0: $B600-$B61F
    bulkErase(*b, 0xB700);
    EXPECT_EQ(b->peek(0xB600), 0x00);
    EXPECT_EQ(b->peek(0xB700), 0xFF);
    EXPECT_EQ(b->eeprom().lastOutcome().result, Eeprom::Result::PartlyProtected);
    b->write(reg::BPROT, 0x0F);
    bulkErase(*b, 0xB700);
    EXPECT_EQ(b->eeprom().lastOutcome().result, Eeprom::Result::Protected);
    EXPECT_EQ(b->peek(0xB600), 0x00);
}

TEST(EepromBlocks, RowEraseInAProtectedBlockIsRefused) {
    auto b = unprotectedBoard("68HC11F1");
    program(*b, 0xFE25, 0x00);
    b->resetBootstrap();
    b->write(reg::BPROT, 0x02);
    rowErase(*b, 0xFE20);
    EXPECT_EQ(b->peek(0xFE25), 0x00);
    EXPECT_EQ(b->eeprom().lastOutcome().result, Eeprom::Result::Protected);
}

TEST(Bprot, ClearableOnlyInTheFirst64CyclesInNormalModes) {
    for (const char* chip : {"68HC11E1", "68HC11F1", "68HC11811E2"}) {
        auto b = makeBoard(chip);
        park(*b);
        EXPECT_EQ(b->read(reg::BPROT), 0x1F) << chip;
        runFor(*b, 63);
        b->write(reg::BPROT, 0x10);
        EXPECT_EQ(b->read(reg::BPROT), 0x10) << chip << ": cleared at cycle 63";
        runFor(*b, 1);
        b->write(reg::BPROT, 0x00);
        EXPECT_EQ(b->read(reg::BPROT), 0x10) << chip << ": locked from cycle 64";
        b->write(reg::BPROT, 0x03);
        EXPECT_EQ(b->read(reg::BPROT), 0x13) << chip << ": bits can still be set";
        program(*b, b->chip().eepromStart, 0x00);
        EXPECT_EQ(b->eeprom().lastOutcome().result, Eeprom::Result::Protected);

        b->resetBootstrap();
        EXPECT_EQ(b->read(reg::BPROT), 0x1F);
        runFor(*b, 1'000'000);
        b->write(reg::BPROT, 0x00);
        EXPECT_EQ(b->read(reg::BPROT), 0x00) << chip << ": special mode";
    }
}

TEST(Bprot, A1HasNone) {
    auto b = makeBoard("68HC11A1");
    park(*b);
    runFor(*b, 1000);
    EXPECT_EQ(b->read(reg::BPROT), 0xFF);
    b->write(reg::BPROT, 0x00);
    EXPECT_EQ(b->read(reg::BPROT), 0xFF);
    program(*b, 0xB600, 0x42); // nothing guards the array
    EXPECT_EQ(b->read(0xB600), 0x42);
}

} // namespace
} // namespace hc11::test
