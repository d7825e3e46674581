// The special bootstrap mode loader on each built-in chip (AN1060; M68HC11 RM 3-16..3-18):
// break first, sync character, echo, fixed or variable download length, the $00 path
// to EEPROM, and what a host at a wrong rate gets.
#include "board_test_support.h"

#include <ostream>

#include "sim/boot_loader.h"

#include <numeric>

namespace hc11::test {
namespace {

struct ChipRow {
    const char* name;
    bool fixedLength;
    uint16_t capacity;
    uint16_t eepromStart;
};

std::ostream& operator<<(std::ostream& os, const ChipRow& r) {
    return os << r.name;
}

constexpr double kFast = 7812.5; // E/256 at E = 2 MHz
constexpr double kSlow = 1200;   // a PC's 1200 baud against the ROM's 1202

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
    void resetAndReadBreak(double baud) {
        b->setHostBaud(baud);
        b->resetBootstrap();
        ASSERT_TRUE(b->runUntilHostData(b->cycleCount() + 100'000));
        ASSERT_EQ(b->hostReadAll(), std::vector<uint8_t>{0x00});
    }
    // A download image: BRA * followed by a byte pattern.
    std::vector<uint8_t> pattern(std::size_t n) {
        std::vector<uint8_t> v(n);
        for (std::size_t i = 0; i < n; ++i)
            v[i] = uint8_t(i * 7 + 3);
        v[0] = 0x20;
        v[1] = 0xFE;
        return v;
    }
    // Sends bytes one by one, as the host's UART paces them, running the board until
    // each has arrived.
    void sendAll(const std::vector<uint8_t>& bytes, double baud) {
        for (uint8_t v : bytes) {
            b->hostSend(v);
            runFor(*b, charCycles(*b, baud));
        }
    }
    std::unique_ptr<Board> b;
};

TEST_P(BootLoaderPerChip, SendsABreakThenWaitsForeverForTheSync) {
    resetAndReadBreak(kFast);
    EXPECT_EQ(b->phase(), Board::Phase::BootRom);
    EXPECT_EQ(b->read(reg::BAUD), kBootBaudFast);
    runFor(*b, 100'000'000); // 50 s
    EXPECT_EQ(b->phase(), Board::Phase::BootRom);
    EXPECT_TRUE(b->bootLoader().waitingForSync());
    EXPECT_EQ(b->hostAvailable(), 0u);
}

TEST_P(BootLoaderPerChip, FullDownloadAtTheFastRateIsEchoedAndRun) {
    const ChipRow row = GetParam();
    resetAndReadBreak(kFast);
    const auto image = pattern(row.capacity);
    b->hostSend(0xFF);
    for (uint8_t v : image)
        b->hostSend(v);
    // Everything but the last byte's arrival: still loading.
    const uint64_t start = b->cycleCount();
    const uint64_t frame = charCycles(*b, kFast);
    b->runUntil(start + frame * row.capacity);
    EXPECT_EQ(b->phase(), Board::Phase::BootRom);
    b->runUntil(start + frame * (row.capacity + 1) + 1);
    // Full RAM jumps at once on every chip.
    EXPECT_EQ(b->phase(), Board::Phase::Running);
    EXPECT_EQ(b->cpu().r.pc, 0x0000);
    runFor(*b, 2 * frame); // last echo leaves
    EXPECT_EQ(b->hostReadAll(), image) << "every byte but the sync is echoed";
    EXPECT_TRUE(b->bootLoader().fastRate());
    EXPECT_FALSE(b->bootLoader().sawCorruptCharacter());
    for (std::size_t i = 0; i < image.size(); ++i)
        ASSERT_EQ(b->peek(uint16_t(i)), image[i]) << i;
}

TEST_P(BootLoaderPerChip, SlowHostSwitchesTheRomTo1202Baud) {
    const ChipRow row = GetParam();
    b->setHostBaud(kSlow);
    b->resetBootstrap();
    // The break goes out at the fast rate; a 1200-baud UART still sees one $00.
    ASSERT_TRUE(b->runUntilHostData(b->cycleCount() + 100'000));
    EXPECT_EQ(b->hostReadAll(), std::vector<uint8_t>{0x00});
    const auto image = pattern(256);
    b->hostSend(0xFF);
    runFor(*b, charCycles(*b, kSlow));
    EXPECT_EQ(b->read(reg::BAUD), kBootBaudSlow);
    EXPECT_FALSE(b->bootLoader().fastRate());
    sendAll(image, kSlow);
    if (row.fixedLength) {
        EXPECT_EQ(b->phase(), Board::Phase::Running) << "jumps right after the 256th byte";
    } else {
        EXPECT_EQ(b->phase(), Board::Phase::BootRom) << "waits for more until RxD is idle";
        runFor(*b, 4 * charCycles(*b, 1202) + 10);
        EXPECT_EQ(b->phase(), Board::Phase::Running);
    }
    runFor(*b, 2 * charCycles(*b, kSlow));
    EXPECT_EQ(b->hostReadAll(), image);
    EXPECT_FALSE(b->bootLoader().sawCorruptCharacter());
}

TEST_P(BootLoaderPerChip, OnlyVariableLengthLoadersEndAfterFourIdleCharacterTimes) {
    const ChipRow row = GetParam();
    resetAndReadBreak(kFast);
    b->hostSend(0xFF);
    b->hostSend(0x20); // BRA *
    b->hostSend(0xFE);
    const uint64_t frame = 2560; // 10 bits of 256 E cycles
    const uint64_t lastArrival = b->cycleCount() + 3 * frame;
    b->runUntil(lastArrival + 4 * frame - 1);
    EXPECT_EQ(b->phase(), Board::Phase::BootRom);
    b->runUntil(lastArrival + 4 * frame);
    EXPECT_EQ(b->phase(), row.fixedLength ? Board::Phase::BootRom : Board::Phase::Running);
    EXPECT_EQ(b->bootLoader().loaded().size(), 2u);
}

TEST_P(BootLoaderPerChip, SyncAloneJumpsOnVariableLengthParts) {
    const ChipRow row = GetParam();
    resetAndReadBreak(kFast);
    b->hostSend(0xFF);
    runFor(*b, 10 * charCycles(*b, kFast));
    if (row.fixedLength) {
        EXPECT_EQ(b->phase(), Board::Phase::BootRom);
    } else {
        EXPECT_EQ(b->phase(), Board::Phase::Running);
        EXPECT_EQ(b->cpu().r.pc, 0x0000);
        EXPECT_EQ(b->peek(0x0002), 0xEE) << "nothing stored";
    }
}

TEST_P(BootLoaderPerChip, ZeroSyncJumpsToEepromStart) {
    const ChipRow row = GetParam();
    for (int how = 0; how < 2; ++how) {
        resetAndReadBreak(kFast);
        if (how == 0) {
            b->hostSendBreak();
        } else {
            b->setHostBaud(kSlow); // $00 sent slower still reads $00
            b->hostSend(0x00);
        }
        runFor(*b, charCycles(*b, kSlow) + 10);
        EXPECT_EQ(b->phase(), Board::Phase::Running) << how;
        EXPECT_EQ(b->cpu().r.pc, row.eepromStart) << how;
        EXPECT_TRUE(b->specialMode);
        EXPECT_EQ(b->vectorBase, 0xBFC0);
        EXPECT_EQ(b->hostAvailable(), 0u) << "no echo";
    }
}

TEST_P(BootLoaderPerChip, WrongHostRateLoadsGarbage) {
    resetAndReadBreak(9600); // 9600 against the ROM's 7812
    const auto image = pattern(256);
    b->hostSend(0xFF);
    for (uint8_t v : image)
        b->hostSend(v);
    runFor(*b, 300 * charCycles(*b, 9600) + 4 * 2560 * 10);
    EXPECT_TRUE(b->bootLoader().sawCorruptCharacter());
    const auto loaded = b->bootLoader().loaded();
    EXPECT_FALSE(std::equal(image.begin(), image.end(), loaded.begin(), loaded.end()));
}

TEST_P(BootLoaderPerChip, CpuStartsWithTheDocumentedState) {
    resetAndReadBreak(kFast);
    sendAll({0xFF, 0x20, 0xFE}, kFast); // BRA *
    runFor(*b, 5 * 2560);
    const ChipRow row = GetParam();
    if (row.fixedLength) {
        sendAll(std::vector<uint8_t>(row.capacity - 2, 0x01), kFast);
        runFor(*b, 2560);
    }
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

// A program downloaded through the boot ROM runs and talks on the SCI the ROM left set
// up: a polled echo that adds one, at 1200 baud.
TEST(BootLoaderEndToEnd, DownloadedProgramAnswersOnTheLine) {
    for (const char* chip : {"68HC11A1", "68HC11F1"}) {
        auto b = makeBoard(chip, 8);
        b->hostLineConfigured(kSlow); // held in reset → boot
        ASSERT_TRUE(b->runUntilHostData(b->cycleCount() + 100'000));
        b->hostReadAll();
        std::vector<uint8_t> image = {
            0xCE, 0x10, 0x00,       // LDX #$1000
            0x1F, 0x2E, 0x20, 0xFC, // BRCLR SCSR,X $20 *  (RDRF)
            0xA6, 0x2F,             // LDAA SCDR,X
            0x4C,                   // INCA
            0x1F, 0x2E, 0x80, 0xFC, // BRCLR SCSR,X $80 *  (TDRE)
            0xA7, 0x2F,             // STAA SCDR,X
            0x20, 0xF1,             // BRA $0003
        };
        image.resize(256, 0x00);
        b->hostSend(0xFF);
        for (uint8_t v : image)
            b->hostSend(v);
        b->runUntil(b->cycleCount() + 262 * charCycles(*b, kSlow));
        ASSERT_EQ(b->phase(), Board::Phase::Running) << chip;
        b->hostReadAll();             // echoes
        b->hostLineConfigured(kSlow); // the host reopens at its working rate
        EXPECT_EQ(b->phase(), Board::Phase::Running);
        for (uint8_t c : {'a', 'Q'}) {
            b->hostSend(c);
            ASSERT_TRUE(b->runUntilHostData(b->cycleCount() + 3 * charCycles(*b, kSlow))) << chip;
            EXPECT_EQ(b->hostRead(), c + 1) << chip;
        }
    }
}

} // namespace
} // namespace hc11::test
