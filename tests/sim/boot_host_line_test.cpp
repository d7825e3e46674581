// hostLineConfigured: opening the host's line at the boot rate stands in for pressing
// RESET, but only while the board is held in reset or its ROM waits for the sync; a
// running program is never reset. Also the boot ROM's vector table.
#include "board_test_support.h"

#include <ostream>

#include "sim/boot_rom.h"

namespace hc11::test {
namespace {

struct CrystalRow {
    unsigned crystalMHz;
    double bootBaud; // E/(16*104): the host's nearest standard rate
};

std::ostream& operator<<(std::ostream& os, const CrystalRow& r) {
    return os << r.crystalMHz << " MHz";
}

class HostLineConfigured : public ::testing::TestWithParam<CrystalRow> {};

TEST_P(HostLineConfigured, ResetsOnlyAtTheSlowBootRate) {
    const CrystalRow row = GetParam();
    auto b = makeBoard("68HC11F1", row.crystalMHz);
    ASSERT_EQ(b->phase(), Board::Phase::HeldInReset);
    runFor(*b, 1'000'000);
    EXPECT_EQ(b->hostAvailable(), 0u) << "a board held in reset is silent";

    b->hostLineConfigured(row.bootBaud * 2);
    EXPECT_EQ(b->phase(), Board::Phase::HeldInReset);
    b->hostLineConfigured(row.bootBaud * 1.05);
    EXPECT_EQ(b->phase(), Board::Phase::HeldInReset);
    b->hostLineConfigured(row.bootBaud);
    EXPECT_EQ(b->phase(), Board::Phase::BootRom);
    EXPECT_DOUBLE_EQ(b->hostBaud(), row.bootBaud);
    ASSERT_TRUE(b->runUntilHostData(b->cycleCount() + 1'000'000));
    EXPECT_EQ(b->hostReadAll(), std::vector<uint8_t>{0x00});

    // Still waiting for the sync: reopening resets again (a new break).
    b->hostLineConfigured(row.bootBaud);
    ASSERT_TRUE(b->runUntilHostData(b->cycleCount() + 1'000'000));
    EXPECT_EQ(b->hostReadAll(), std::vector<uint8_t>{0x00});

    // Download a one-instruction program (sync alone ends a variable-length load after
    // the byte below and four idle characters).
    b->hostSend(0xFF);
    b->hostSend(0x20); // BRA *
    b->hostSend(0xFE);
    runFor(*b, 20 * charCycles(*b, row.bootBaud));
    ASSERT_EQ(b->phase(), Board::Phase::Running);
    b->hostReadAll();
    const uint64_t before = b->cycleCount();
    b->hostLineConfigured(row.bootBaud);
    EXPECT_EQ(b->phase(), Board::Phase::Running);
    runFor(*b, 1000);
    EXPECT_EQ(b->cpu().r.pc, 0x0000);
    EXPECT_EQ(b->peek(0x0000), 0x20) << "the program is still there";
    EXPECT_EQ(b->hostAvailable(), 0u) << "no new break";
    EXPECT_GT(b->cycleCount(), before);
}

INSTANTIATE_TEST_SUITE_P(Crystals, HostLineConfigured,
                         ::testing::Values(CrystalRow{2, 300}, CrystalRow{4, 600}, CrystalRow{8, 1200},
                                           CrystalRow{16, 2400}));

TEST(HostLineConfigured, DoesNotResetOnceTheSyncArrived) {
    auto b = makeBoard("68HC11E1", 8);
    b->hostLineConfigured(1200);
    b->runUntilHostData(b->cycleCount() + 100'000);
    b->hostReadAll();
    b->hostSend(0xFF);
    b->hostSend(0x42);
    runFor(*b, 2 * charCycles(*b, 1200) + 10);
    ASSERT_EQ(b->bootLoader().state(), BootLoader::State::Loading);
    b->hostLineConfigured(1200);
    EXPECT_EQ(b->bootLoader().loaded().size(), 1u);
    EXPECT_EQ(b->bootLoader().state(), BootLoader::State::Loading);
}

TEST(HoldReset, StopsEverythingAndLosesTheLine) {
    auto b = makeBoard("68HC11F1", 8);
    b->setHostBaud(7812.5);
    b->resetBootstrap();
    runFor(*b, 1000); // the preamble is on the line, the break not yet
    b->holdReset();
    EXPECT_EQ(b->phase(), Board::Phase::HeldInReset);
    b->hostSend(0xFF);
    runFor(*b, 100'000);
    EXPECT_EQ(b->hostAvailable(), 0u) << "the break in progress is cut, nothing else is sent";
    EXPECT_FALSE(b->peek(reg::SCSR) & scsr::RDRF) << "characters from the host are lost";
    b->resetBootstrap();
    ASSERT_TRUE(b->runUntilHostData(b->cycleCount() + 100'000));
    EXPECT_EQ(b->hostReadAll(), std::vector<uint8_t>{0x00});
}

TEST(HostLineConfigured, SingleChipProgramIsNeverReset) {
    auto b = makeBoard("68HC11A1", 8);
    park(*b);
    b->hostLineConfigured(1200);
    EXPECT_EQ(b->phase(), Board::Phase::Running);
    EXPECT_FALSE(b->specialMode);
}

TEST(BootRom, VectorsPointAtTheRamPseudoVectors) {
    struct Row {
        uint16_t vector;
        uint16_t slot;
    };
    const Row rows[] = {
        {0xBFD6, 0x00C4}, {0xBFD8, 0x00C7}, {0xBFDA, 0x00CA}, {0xBFDC, 0x00CD}, {0xBFDE, 0x00D0},
        {0xBFE0, 0x00D3}, {0xBFE2, 0x00D6}, {0xBFE4, 0x00D9}, {0xBFE6, 0x00DC}, {0xBFE8, 0x00DF},
        {0xBFEA, 0x00E2}, {0xBFEC, 0x00E5}, {0xBFEE, 0x00E8}, {0xBFF0, 0x00EB}, {0xBFF2, 0x00EE},
        {0xBFF4, 0x00F1}, {0xBFF6, 0x00F4}, {0xBFF8, 0x00F7}, {0xBFFA, 0x00FA}, {0xBFFC, 0x00FD},
    };
    for (const auto& chip : builtInChips()) {
        Board b(chip, 8 * kMHz);
        b.resetBootstrap();
        for (const Row& r : rows)
            EXPECT_EQ(b.read16(r.vector), r.slot) << chip.name << " $" << std::hex << r.vector;
        EXPECT_EQ(b.read16(0xBFFE), kBootRomEntry);
        b.resetSingleChip(0);
        EXPECT_EQ(b.read(0xBFD6), 0xFF) << "no boot ROM in single-chip mode";
    }
}

// An SWI in a downloaded program goes through $BFF6 to the RAM slot at $00F4.
TEST(BootRom, SwiReachesItsRamSlot) {
    auto b = makeBoard("68HC11F1", 8);
    b->setHostBaud(7812.5);
    b->resetBootstrap();
    std::vector<uint8_t> image(0x100, 0x01); // NOPs
    image[0x00] = 0x3F;                      // SWI
    image[0xF4] = 0x7E;                      // JMP $0080
    image[0xF5] = 0x00;
    image[0xF6] = 0x80;
    image[0x80] = 0x20; // BRA *
    image[0x81] = 0xFE;
    b->hostSend(0xFF);
    for (uint8_t v : image)
        b->hostSend(v);
    runFor(*b, 270 * 2560);
    ASSERT_EQ(b->phase(), Board::Phase::Running);
    EXPECT_TRUE(b->runUntilPc(0x0080, 100'000));
}

} // namespace
} // namespace hc11::test
