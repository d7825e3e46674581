// The special bootstrap mode loader on each built-in chip (AN1060; M68HC11 RM 3-16..3-18).
// The slow-rate download of a 256-byte Talker, on every chip and crystal, is proven end
// to end by the Talker download tests; here: the fast rate and a full RAM, the wait for
// the sync, the idle time-out, the $00 path to EEPROM, a host at a wrong rate, and the
// state the program starts in.
#include "board_test_support.h"

#include <ostream>

#include "sim/boot_loader.h"

namespace hc11::test {
namespace {

struct ChipRow {
    const char* name;
    bool fixedLength;
    uint16_t capacity; // RAM size: the most a download can hold
    uint16_t eepromStart;
};

std::ostream& operator<<(std::ostream& os, const ChipRow& r) {
    return os << r.name;
}

constexpr double kFast = 7812.5;  // E/256 at E = 2 MHz
constexpr uint64_t kFrame = 2560; // 10 bits of 256 E cycles

class BootLoaderPerChip : public ::testing::TestWithParam<ChipRow> {
protected:
    void SetUp() override {
        b = makeBoard(GetParam().name, 8);
        // Fill RAM with a marker so that stored bytes can be told apart, with BRA * at
        // $0000 and at the EEPROM start so that the CPU stays where the ROM jumps.
        for (uint32_t a = 0; a < b->chip().ramSize; ++a)
            b->poke(uint16_t(a), 0xEE);
        for (uint16_t a : {uint16_t(0x0000), b->chip().eepromStart}) {
            b->poke(a, 0x20);
            b->poke(uint16_t(a + 1), 0xFE);
        }
    }
    // Reset into bootstrap mode with the host at `baud`, and read the break.
    void resetAndReadBreak(double baud = kFast) {
        b->setHostBaud(baud);
        b->resetBootstrap();
        ASSERT_TRUE(b->runUntilHostData(b->cycleCount() + 100'000));
        ASSERT_EQ(b->hostReadAll(), std::vector<uint8_t>{0x00});
    }
    // Sends the sync, then `n` bytes: BRA * followed by a byte pattern.
    std::vector<uint8_t> sendImage(std::size_t n) {
        std::vector<uint8_t> v(n);
        for (std::size_t i = 0; i < n; ++i)
            v[i] = uint8_t(i * 7 + 3);
        if (n >= 2) v[0] = 0x20, v[1] = 0xFE;
        b->hostSend(0xFF);
        for (uint8_t c : v)
            b->hostSend(c);
        return v;
    }
    std::unique_ptr<Board> b;
};

TEST_P(BootLoaderPerChip, FullRamAtTheFastRateIsEchoedAndRunAtOnce) {
    const ChipRow row = GetParam();
    ASSERT_EQ(b->chip().ramSize, row.capacity);
    resetAndReadBreak();
    const auto image = sendImage(row.capacity);
    const uint64_t start = b->cycleCount();
    b->runUntil(start + kFrame * row.capacity); // all but the last byte
    EXPECT_EQ(b->phase(), Board::Phase::BootRom);
    b->runUntil(start + kFrame * (row.capacity + 1) + 1);
    EXPECT_EQ(b->phase(), Board::Phase::Running);
    EXPECT_EQ(b->cpu().r.pc, 0x0000);
    runFor(*b, 2 * kFrame); // last echo leaves
    EXPECT_EQ(b->hostReadAll(), image) << "every byte but the sync is echoed";
    EXPECT_TRUE(b->bootLoader().fastRate());
    EXPECT_FALSE(b->bootLoader().sawCorruptCharacter());
    for (std::size_t i = 0; i < image.size(); ++i)
        ASSERT_EQ(b->peek(uint16_t(i)), image[i]) << i;
}

// The ROM waits for the sync for ever; after it, a variable-length loader jumps once
// RxD has been idle for four character times (also after the sync alone: AN1060), a
// fixed-length one waits for its 256 bytes.
TEST_P(BootLoaderPerChip, SyncThenFourIdleCharacterTimesEndOnlyVariableLengthLoads) {
    const ChipRow row = GetParam();
    for (std::size_t n : {0u, 2u}) {
        SCOPED_TRACE(n);
        resetAndReadBreak();
        runFor(*b, 100'000'000); // 50 s
        ASSERT_TRUE(b->bootLoader().waitingForSync());
        EXPECT_EQ(b->hostAvailable(), 0u);
        const uint64_t lastArrival = b->cycleCount() + (n + 1) * kFrame;
        sendImage(n);
        b->runUntil(lastArrival + 4 * kFrame - 1);
        EXPECT_EQ(b->phase(), Board::Phase::BootRom);
        b->runUntil(lastArrival + 4 * kFrame);
        EXPECT_EQ(b->phase(), row.fixedLength ? Board::Phase::BootRom : Board::Phase::Running);
        EXPECT_EQ(b->bootLoader().loaded().size(), n);
        EXPECT_EQ(b->peek(0x0002), 0xEE) << "nothing stored past the download";
    }
}

TEST_P(BootLoaderPerChip, ZeroSyncJumpsToEepromStart) {
    const ChipRow row = GetParam();
    for (bool asBreak : {true, false}) {
        SCOPED_TRACE(asBreak);
        resetAndReadBreak();
        if (asBreak) {
            b->hostSendBreak();
        } else {
            b->setHostBaud(1200); // $00 sent slower still reads $00
            b->hostSend(0x00);
        }
        runFor(*b, charCycles(*b, 1200) + 10);
        EXPECT_EQ(b->phase(), Board::Phase::Running);
        EXPECT_EQ(b->cpu().r.pc, row.eepromStart);
        EXPECT_EQ(b->hostAvailable(), 0u) << "no echo";
    }
}

TEST_P(BootLoaderPerChip, WrongHostRateLoadsGarbage) {
    resetAndReadBreak(9600); // 9600 against the ROM's 7812
    const auto image = sendImage(256);
    runFor(*b, 300 * charCycles(*b, 9600) + 4 * kFrame * 10);
    EXPECT_TRUE(b->bootLoader().sawCorruptCharacter());
    const auto loaded = b->bootLoader().loaded();
    EXPECT_FALSE(std::equal(image.begin(), image.end(), loaded.begin(), loaded.end()));
}

TEST_P(BootLoaderPerChip, CpuStartsWithTheDocumentedState) {
    const ChipRow row = GetParam();
    resetAndReadBreak();
    sendImage(row.fixedLength ? 256 : 2);
    runFor(*b, 263 * kFrame);
    ASSERT_EQ(b->phase(), Board::Phase::Running);
    const Registers& r = b->cpu().r;
    EXPECT_EQ(r.ccr, 0xD0);
    EXPECT_EQ(r.sp, b->chip().ramEnd());
    EXPECT_EQ(r.x, 0x1000);
    EXPECT_EQ(r.y, b->bootLoader().loaded().size());
    EXPECT_EQ(r.a, b->bootLoader().lastByte());
    EXPECT_EQ(r.b, 0);
    EXPECT_TRUE(b->specialMode);
    EXPECT_EQ(b->vectorBase, 0xBFC0);
    EXPECT_EQ(b->peek(reg::SCCR2), sccr2::TE | sccr2::RE);
    EXPECT_EQ(b->peek(reg::BAUD), kBootBaudFast);
    EXPECT_EQ(b->peek(reg::BPROT), b->chip().hasBprot ? 0x1F : 0xFF);
    EXPECT_EQ(b->peek(reg::HPRIO) & 0xC0, 0xC0) << "RBOOT and SMOD";
}

INSTANTIATE_TEST_SUITE_P(Chips, BootLoaderPerChip,
                         ::testing::Values(ChipRow{"68HC11A1", true, 256, 0xB600},
                                           ChipRow{"68HC11E1", false, 512, 0xB600},
                                           ChipRow{"68HC11F1", false, 1024, 0xFE00},
                                           ChipRow{"68HC11811E2", true, 256, 0xF800}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace hc11::test
