// The memory map of each chip: RAM, EEPROM, register block, unmapped space, the boot
// ROM by mode, the fast-path pages, and the registers modelled as latches or counters.
#include "board_test_support.h"

#include <ostream>

#include "sim/boot_rom.h"

namespace hc11::test {
namespace {

// Exposes the page flags of the bus fast path.
class MapProbe : public Board {
public:
    using Board::Board;
    bool fastRead(uint16_t a) const { return readFast_[a >> 8]; }
    bool fastWrite(uint16_t a) const { return writeFast_[a >> 8]; }
};

struct MapRow {
    const char* chip;
    uint16_t ramEnd;
    uint16_t eepromStart;
    uint16_t eepromEnd;
    uint16_t registerEnd;
    uint8_t config;
};

std::ostream& operator<<(std::ostream& os, const MapRow& r) {
    return os << r.chip;
}

class MemoryMap : public ::testing::TestWithParam<MapRow> {
protected:
    void SetUp() override {
        b = std::make_unique<MapProbe>(*findChip(GetParam().chip), 8 * kMHz);
        park(*b);
    }
    std::unique_ptr<MapProbe> b;
};

TEST_P(MemoryMap, RamIsReadWriteUpToItsEnd) {
    const MapRow row = GetParam();
    b->write(0x0010, 0x5A);
    b->write(row.ramEnd, 0xA5);
    EXPECT_EQ(b->read(0x0010), 0x5A);
    EXPECT_EQ(b->read(row.ramEnd), 0xA5);
    b->write(row.ramEnd + 1, 0x12);
    EXPECT_EQ(b->read(row.ramEnd + 1), kUnmappedRead);
}

TEST_P(MemoryMap, EepromIsReadOnlyToPlainStores) {
    const MapRow row = GetParam();
    EXPECT_EQ(b->read(row.eepromStart), 0xFF);
    EXPECT_EQ(b->read(row.eepromEnd), 0xFF);
    ASSERT_TRUE(b->poke(row.eepromEnd, 0x42));
    EXPECT_EQ(b->read(row.eepromEnd), 0x42);
    b->write(row.eepromEnd, 0x00);
    EXPECT_EQ(b->read(row.eepromEnd), 0x42);
    if (row.eepromStart > 0x1100) {
        b->write(row.eepromStart - 1, 0x00);
        EXPECT_EQ(b->read(row.eepromStart - 1), kUnmappedRead);
    }
}

TEST_P(MemoryMap, RegisterBlockEndsWhereTheDataSheetSays) {
    const MapRow row = GetParam();
    constexpr uint16_t portB = 0x1004; // a plain latch here
    b->write(portB, 0x3C);
    EXPECT_EQ(b->read(portB), 0x3C);
    EXPECT_EQ(b->read(row.registerEnd + 1), kUnmappedRead);
    b->write(row.registerEnd + 1, 0x00);
    EXPECT_EQ(b->read(row.registerEnd + 1), kUnmappedRead);
    EXPECT_EQ(b->read(reg::CONFIG), row.config);
    b->write(reg::CONFIG, 0x00);
    EXPECT_EQ(b->read(reg::CONFIG), row.config) << "CONFIG is not a latch";
    EXPECT_EQ(b->read(reg::INIT), 0x01);
    EXPECT_EQ(b->read(reg::OPTION), 0x10);
}

TEST_P(MemoryMap, UnmappedSpaceReadsFfAndIgnoresWrites) {
    for (uint16_t a : {uint16_t(0x2000), uint16_t(0x8000), uint16_t(0xBF00), uint16_t(0xC000)}) {
        b->write(a, 0x00);
        EXPECT_EQ(b->read(a), kUnmappedRead) << std::hex << a;
        EXPECT_FALSE(b->poke(a, 0));
    }
}

TEST_P(MemoryMap, FastPathCoversRamAndEeprom) {
    const MapRow row = GetParam();
    EXPECT_TRUE(b->fastRead(0) && b->fastWrite(0));
    EXPECT_TRUE(b->fastRead(row.ramEnd) && b->fastWrite(row.ramEnd));
    EXPECT_TRUE(b->fastRead(row.eepromStart));
    EXPECT_FALSE(b->fastWrite(row.eepromStart));
    EXPECT_FALSE(b->fastRead(reg::Base) || b->fastWrite(reg::Base));
    b->write(reg::PPROG, pprog::EELAT);
    EXPECT_FALSE(b->fastRead(row.eepromStart)) << "latched array goes through the slow path";
    b->write(reg::PPROG, 0);
    EXPECT_TRUE(b->fastRead(row.eepromEnd));
}

TEST_P(MemoryMap, ModesSetTheVectorsAndTheBootRom) {
    EXPECT_FALSE(b->specialMode);
    EXPECT_EQ(b->vectorBase, 0xFFC0);
    EXPECT_EQ(b->read(0xBFFE), kUnmappedRead);
    b->resetBootstrap();
    EXPECT_TRUE(b->specialMode);
    EXPECT_EQ(b->vectorBase, 0xBFC0);
    EXPECT_TRUE(b->fastRead(kBootRomStart));
    EXPECT_EQ(b->read(kBootRomStart), kBootRomFiller);
    b->write(0xBFD6, 0x00);
    EXPECT_EQ(b->read16(0xBFD6), 0x00C4) << "ROM ignores writes";
    // RBOOT = 0 removes the ROM; SMOD = 0 leaves the special mode for good.
    b->write(reg::HPRIO, hprio::SMOD | hprio::PSELReset);
    EXPECT_EQ(b->read(0xBFD6), kUnmappedRead);
    EXPECT_TRUE(b->specialMode);
    b->write(reg::HPRIO, hprio::PSELReset);
    EXPECT_FALSE(b->specialMode);
    EXPECT_EQ(b->vectorBase, 0xFFC0);
    b->write(reg::HPRIO, hprio::RBOOT | hprio::SMOD | hprio::PSELReset);
    EXPECT_EQ(b->read(reg::HPRIO), hprio::PSELReset) << "mode bits are read-only in normal modes";
    EXPECT_FALSE(b->specialMode);
}

INSTANTIATE_TEST_SUITE_P(Chips, MemoryMap,
                         ::testing::Values(MapRow{"68HC11A1", 0x00FF, 0xB600, 0xB7FF, 0x103F, 0x0D},
                                           MapRow{"68HC11E1", 0x01FF, 0xB600, 0xB7FF, 0x103F, 0x0D},
                                           MapRow{"68HC11F1", 0x03FF, 0xFE00, 0xFFFF, 0x105F, 0xFF},
                                           MapRow{"68HC11811E2", 0x00FF, 0xF800, 0xFFFF, 0x103F, 0xFF}),
                         [](const auto& info) { return std::string(info.param.chip); });

TEST(MemoryMapChips, EveryRegionIsWholePages) {
    for (const auto& c : builtInChips()) {
        EXPECT_EQ(c.ramStart % 256, 0) << c.name;
        EXPECT_EQ(c.ramSize % 256, 0) << c.name;
        EXPECT_EQ(c.eepromStart % 256, 0) << c.name;
        EXPECT_EQ(c.eepromSize % 256, 0) << c.name;
        EXPECT_GE(c.ramSize, c.bootCapacity) << c.name;
    }
}

TEST(FreeRunningTimer, TcntCountsEClocksFromReset) {
    auto b = makeBoard("68HC11E1");
    park(*b);
    runFor(*b, 1000);
    EXPECT_EQ(b->read16(reg::TCNT), 1000);
    b->write(reg::TCNT, 0); // counts only in test mode
    runFor(*b, 70'000);
    EXPECT_EQ(b->read16(reg::TCNT), uint16_t(71'000));

    // PR1:PR0 = 11 (divide by 16), written inside the 64-cycle window.
    park(*b);
    b->write(reg::TMSK2, 0x03);
    runFor(*b, 1600);
    EXPECT_EQ(b->read16(reg::TCNT), 100);
    EXPECT_EQ(b->read(reg::TMSK2), 0x03);
    // Too late to change it now.
    b->write(reg::TMSK2, 0x00);
    EXPECT_EQ(b->read(reg::TMSK2), 0x03);
}

} // namespace
} // namespace hc11::test
