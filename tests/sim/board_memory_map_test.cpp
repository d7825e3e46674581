// The board answers where each chip's description puts RAM, EEPROM and the register
// block, and nowhere else; the boot ROM by mode; the free-running timer. The sizes
// themselves are pinned by what depends on them: the boot loader's full-RAM download,
// the Talker's EEPROM writes and the memory operations on each chip.
#include "board_test_support.h"

#include "sim/boot_rom.h"

namespace hc11::test {
namespace {

TEST(MemoryMap, EveryChipAnswersOnlyWhereItsDescriptionSays) {
    for (const auto& chip : builtInChips()) {
        SCOPED_TRACE(chip.name);
        // The bus's fast path maps whole 256-byte pages.
        EXPECT_EQ(chip.ramStart % 256 + chip.ramSize % 256 + chip.eepromStart % 256 + chip.eepromSize % 256,
                  0);
        EXPECT_GE(chip.ramSize, chip.bootCapacity);
        auto b = makeBoard(chip.name);
        park(*b);
        const auto ramEnd = uint16_t(chip.ramEnd());
        b->write(0x0010, 0x5A);
        b->write(ramEnd, 0xA5);
        EXPECT_EQ(b->read(0x0010), 0x5A);
        EXPECT_EQ(b->read(ramEnd), 0xA5);

        const auto eepromEnd = uint16_t(chip.eepromEnd());
        EXPECT_EQ(b->read(chip.eepromStart), 0xFF);
        ASSERT_TRUE(b->poke(eepromEnd, 0x42));
        b->write(eepromEnd, 0x00);
        EXPECT_EQ(b->read(eepromEnd), 0x42) << "EEPROM is read-only to plain stores";

        b->write(0x1004, 0x3C); // port B: a plain latch here
        EXPECT_EQ(b->read(0x1004), 0x3C);
        EXPECT_EQ(b->read(reg::CONFIG), chip.config);
        b->write(reg::CONFIG, 0x00);
        EXPECT_EQ(b->read(reg::CONFIG), chip.config) << "CONFIG is not a latch";

        for (uint32_t a : {chip.ramEnd() + 1, chip.registerEnd() + 1, uint32_t(chip.eepromStart - 1), 0x8000u,
                           0xBF00u, 0xC000u}) {
            if (chip.inRam(uint16_t(a)) || chip.inEeprom(uint16_t(a)) || chip.inRegisters(uint16_t(a)))
                continue;
            b->write(uint16_t(a), 0x00);
            EXPECT_EQ(b->read(uint16_t(a)), kUnmappedRead) << std::hex << a;
            EXPECT_FALSE(b->poke(uint16_t(a), 0));
        }
    }
}

TEST(MemoryMap, ModesSetTheVectorsAndTheBootRom) {
    auto b = makeBoard("68HC11F1");
    park(*b);
    EXPECT_FALSE(b->specialMode);
    EXPECT_EQ(b->vectorBase, 0xFFC0);
    EXPECT_EQ(b->read(0xBFFE), kUnmappedRead);
    b->resetBootstrap();
    EXPECT_TRUE(b->specialMode);
    EXPECT_EQ(b->vectorBase, 0xBFC0);
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
