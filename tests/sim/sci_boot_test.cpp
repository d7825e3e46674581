// The SCI (M68HC11 RM section 9) and the special bootstrap mode loader: bit rates and
// character times measured on the line, a host at the wrong rate, the SCSR flags, the
// boot ROM's download on each chip, and when opening the host's line stands in for RESET.
#include "board_test_support.h"
#include "sim/boot_loader.h"
#include "sim/boot_rom.h"
#include "sim/line_sampling.h"

#include <ostream>

namespace hc11::test {
namespace {

// SCI bit rates and character times, measured on the line. Expected rates are the data
// sheet's (MC68HC11A8 TD table 5-2), rounded to the baud. The SCP = 11 rows a Talker
// download uses at every crystal are proven by the downloads themselves; these rows
// cover the other prescalers and the extremes of SCR.
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
        auto b = parkedBoard("68HC11E1", row.crystalMHz);
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
    auto b = parkedBoard();
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
        auto b = parkedBoard(row.chip);
        if (row.special) b->resetBootstrap();
        b->write(reg::BAUD, row.written);
        EXPECT_EQ(b->read(reg::BAUD), row.read);
        if (row.written == 0x70) {
            EXPECT_EQ(b->sci().bitCycles(), 208u) << "as for $30: 16 * 13";
        }
    }
}

// Rate mismatch on the line: characters are decoded by sampling the sender's bit stream
// at the receiver's bit centres; beyond 4 % the SCI also reports a framing error.
constexpr double kE = 2'000'000; // E at an 8 MHz crystal

// The rows within 4 % (intact) are the board test's below.
TEST(LineSampling, ReceiverSeesTheSampledBits) {
    struct Row {
        uint8_t sent;
        double senderBaud;
        double receiverBaud;
        uint8_t expected;
        bool framingError;
    };
    for (Row row : {
             // AN1060: $FF at 1200 baud into the boot ROM's 7812 baud reads $C0 or $E0.
             Row{0xFF, 1200, 7812.5, 0xC0, false},
             // $00 sent slowly: every sample is low, the stop bit too.
             Row{0x00, 1200, 7812.5, 0x00, true},
             // A slower receiver runs past the sender's frame into the idle line.
             Row{0x00, 9600, 7812.5, 0xC0, false},
             // Two thirds of the rate: receiver bits fall on sender bits 1, 2, 4, 5, 7, stop.
             Row{0x0F, 9600, 6400, 0xE3, false},
         }) {
        SCOPED_TRACE(::testing::Message() << "$" << std::hex << int(row.sent) << std::dec << " at "
                                          << row.senderBaud << " into " << row.receiverBaud);
        WireFrame f;
        f.data = row.sent;
        f.bitCycles = kE / row.senderBaud;
        const auto c = sampleFrame(f, kE / row.receiverBaud, 8);
        ASSERT_TRUE(c.has_value());
        EXPECT_EQ(std::tuple(c->data, c->framingError), std::tuple(row.expected, row.framingError));
    }
}

// A break is a $00 with a framing error; an idle frame, or a start bit shorter than
// half a receiver bit, is no character at all.
TEST(LineSampling, BreakIdleAndShortStartBit) {
    WireFrame f;
    f.kind = WireFrame::Kind::Break;
    f.bitCycles = 256;
    const auto c = sampleFrame(f, 256, 8);
    EXPECT_TRUE(c && c->data == 0 && c->framingError);
    f.kind = WireFrame::Kind::Idle;
    EXPECT_FALSE(sampleFrame(f, 256, 8).has_value());
    f.kind = WireFrame::Kind::Data;
    f.data = 0xFF;
    f.bitCycles = kE / 9600;
    EXPECT_FALSE(sampleFrame(f, kE / 1200, 8).has_value());
}

TEST(LineSampling, ToleranceIsFourPercentOfTheReceiverRate) {
    EXPECT_FALSE(ratesMismatched(kE / 1200, kE / 1202));
    EXPECT_FALSE(ratesMismatched(kE / (9615 * 1.039), kE / 9615));
    EXPECT_TRUE(ratesMismatched(kE / (9615 * 1.041), kE / 9615));
    EXPECT_TRUE(ratesMismatched(kE / (9615 * 0.959), kE / 9615));
}

// Through the board, both directions, the SCI at 9615 baud (BAUD $30, E = 2 MHz): a
// host within 4 % gets and gives intact characters; beyond, the SCI sets FE and a
// slow enough host corrupts the bytes both ways.
TEST(SciMismatch, HostRateDecidesWhetherCharactersSurvive) {
    struct Row {
        double hostBaud;
        bool intact;
    };
    for (Row row : {Row{9600, true}, Row{9615 * 1.03, true}, Row{9615 * 0.97, true}, Row{14400, false},
                    Row{7200, false}, Row{6400, false}}) {
        SCOPED_TRACE(row.hostBaud);
        auto b = sciBoard("68HC11E1");
        b->setHostBaud(row.hostBaud);
        for (uint8_t v : {0x55, 0xA3, 0x0F}) {
            b->hostSend(v);
            runFor(*b, charCycles(*b, row.hostBaud) + 2);
            const uint8_t st = b->read(reg::SCSR);
            const uint8_t got = b->read(reg::SCDR);
            EXPECT_EQ(st & (scsr::RDRF | scsr::FE), row.intact ? scsr::RDRF : scsr::RDRF | scsr::FE);
            if (row.intact) {
                EXPECT_EQ(got, v);
            }
            b->read(reg::SCSR);
            b->write(reg::SCDR, v);
            runFor(*b, 2080 + 2);
            const auto back = b->hostReadAll();
            if (row.intact) {
                EXPECT_EQ(back, std::vector<uint8_t>{v});
            }
            if (row.hostBaud == 6400 && v == 0x0F) {
                EXPECT_NE(got, v);
                ASSERT_EQ(back.size(), 1u);
                EXPECT_NE(back[0], v);
            }
        }
    }
}

// SCSR flags and their clearing sequences (M68HC11 RM 9-12, 9-13) where a Talker
// download does not reach them: a data read without the status read first, overrun,
// a disabled receiver, transmit double buffering and TC, the idle line, and RIE.
constexpr double kRate = 9615; // BAUD $30 at E = 2 MHz

class SciFlags : public ::testing::Test {
protected:
    void SetUp() override {
        b = sciBoard("68HC11F1");
        b->setHostBaud(kRate);
        frame = charCycles(*b, kRate);
    }
    uint8_t status() { return b->peek(reg::SCSR); }
    void receive(uint8_t v) {
        b->hostSend(v);
        runFor(*b, frame + 1);
    }
    void send(uint8_t v, bool readStatusFirst = true) {
        if (readStatusFirst) b->read(reg::SCSR);
        b->write(reg::SCDR, v);
    }

    std::unique_ptr<Board> b;
    uint64_t frame = 0;
};

// Only the flags the status read saw are cleared, and only by the data read after it.
TEST_F(SciFlags, ReceiveFlagsClearOnlyBySeenStatusThenData) {
    receive(0x01);
    ASSERT_TRUE(status() & scsr::RDRF);
    EXPECT_EQ(b->read(reg::SCDR), 0x01);
    EXPECT_TRUE(status() & scsr::RDRF) << "SCDR read without SCSR read first";
    b->read(reg::SCSR); // sees RDRF only
    receive(0x02);      // overrun after the status read
    ASSERT_TRUE(status() & scsr::OR);
    EXPECT_EQ(b->read(reg::SCDR), 0x01);
    EXPECT_EQ(status() & (scsr::RDRF | scsr::OR), scsr::OR) << "OR was not set when SCSR was read";
    b->read(reg::SCSR);
    b->read(reg::SCDR);
    EXPECT_FALSE(status() & scsr::OR);
}

TEST_F(SciFlags, OverrunKeepsTheFirstCharacterAndHidesFramingError) {
    receive(0x11);
    b->setHostBaud(kRate * 1.5); // the lost character would carry FE
    receive(0x22);
    EXPECT_EQ(status() & (scsr::RDRF | scsr::OR | scsr::FE), scsr::RDRF | scsr::OR);
    b->read(reg::SCSR);
    EXPECT_EQ(b->read(reg::SCDR), 0x11);
    EXPECT_EQ(b->sci().overruns(), 1u);
}

TEST_F(SciFlags, ClearingReKeepsFlagsAndLosesLaterCharacters) {
    receive(0x33);
    b->write(reg::SCCR2, sccr2::TE);
    EXPECT_TRUE(status() & scsr::RDRF);
    receive(0x44); // receiver off: lost without overrun
    EXPECT_FALSE(status() & scsr::OR);
}

// Reset leaves TDRE and TC set; a first byte goes straight to the shift register, a
// second waits in TDR; a third written before the transfer replaces the second; TC
// and TDRE are cleared only by a write that follows a status read.
TEST_F(SciFlags, TransmitterIsDoubleBuffered) {
    EXPECT_EQ(status() & scsr::TransmitFlags, scsr::TDRE | scsr::TC);
    send('x', false);
    EXPECT_EQ(status() & scsr::TransmitFlags, scsr::TDRE | scsr::TC) << "no status read first";
    runFor(*b, frame);
    send('a');
    EXPECT_EQ(status() & scsr::TransmitFlags, scsr::TDRE);
    send('b');
    b->write(reg::SCDR, 'c');
    EXPECT_FALSE(status() & scsr::TDRE);
    runFor(*b, frame);
    EXPECT_EQ(status() & scsr::TransmitFlags, scsr::TDRE) << "TDR moved to the shift register";
    runFor(*b, frame);
    EXPECT_TRUE(status() & scsr::TC);
    EXPECT_EQ(b->hostReadAll(), (std::vector<uint8_t>{'x', 'a', 'c'}));
}

TEST_F(SciFlags, IdleFollowsAFullIdleCharacterAfterActivity) {
    EXPECT_FALSE(status() & scsr::IDLE) << "no activity yet";
    b->hostSend(1);
    b->hostSend(2);
    runFor(*b, 2 * frame + 1);
    EXPECT_FALSE(status() & scsr::IDLE) << "back-to-back characters";
    runFor(*b, frame - 2);
    EXPECT_FALSE(status() & scsr::IDLE);
    runFor(*b, 2);
    EXPECT_TRUE(status() & scsr::IDLE);
    b->read(reg::SCSR);
    b->read(reg::SCDR);
    EXPECT_FALSE(status() & scsr::IDLE);
    runFor(*b, 10 * frame);
    EXPECT_FALSE(status() & scsr::IDLE) << "set once per idle period";
}

// The CPU's service of the SCI interrupt is what every Talker exchange with a running
// program goes through; here, that RIE alone decides whether RDRF asks for it.
TEST_F(SciFlags, ReceiveInterruptOnlyWithRie) {
    receive(0x55);
    EXPECT_FALSE(b->irqAsserted);
    b->write(reg::SCCR2, sccr2::TE | sccr2::RE | sccr2::RIE);
    EXPECT_TRUE(b->irqAsserted);
    b->read(reg::SCSR);
    b->read(reg::SCDR);
    EXPECT_FALSE(b->irqAsserted);
}

// The special bootstrap mode loader on each built-in chip (AN1060; M68HC11 RM 3-16..3-18).
// The slow-rate download of a 256-byte Talker, on every chip and crystal, is proven end
// to end by the Talker download tests; here: the fast rate and a full RAM, the wait for
// the sync, the idle time-out, the $00 path to EEPROM, a host at a wrong rate, and the
// state the program starts in.
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
    EXPECT_EQ(
        (std::array<unsigned, 6>{r.ccr, r.sp, r.x, r.y, r.a, r.b}),
        (std::array<unsigned, 6>{0xD0, b->chip().ramEnd(), 0x1000, unsigned(b->bootLoader().loaded().size()),
                                 b->bootLoader().lastByte(), 0}));
    EXPECT_TRUE(b->specialMode);
    EXPECT_EQ(b->vectorBase, 0xBFC0);
    EXPECT_EQ(peekAll(*b, {reg::SCCR2, reg::BAUD, reg::BPROT}),
              (Bytes{sccr2::TE | sccr2::RE, kBootBaudFast, uint8_t(b->chip().hasBprot ? 0x1F : 0xFF)}));
    EXPECT_EQ(b->peek(reg::HPRIO) & 0xC0, 0xC0) << "RBOOT and SMOD";
}

INSTANTIATE_TEST_SUITE_P(Chips, BootLoaderPerChip,
                         ::testing::Values(ChipRow{"68HC11A1", true, 256, 0xB600},
                                           ChipRow{"68HC11E1", false, 512, 0xB600},
                                           ChipRow{"68HC11F1", false, 1024, 0xFE00},
                                           ChipRow{"68HC11811E2", true, 256, 0xF800}),
                         [](const auto& info) { return std::string(info.param.name); });

// hostLineConfigured: opening the host's line at the boot rate stands in for pressing
// RESET, but only while the board is held in reset or its ROM waits for the sync; a
// running program is never reset. Also the boot ROM's vector table.
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

// Vectors $BFD6-$BFFC point at three-byte JMP slots from $00C4 up (AN1060's table).
TEST(BootRom, VectorsPointAtTheRamPseudoVectors) {
    for (const auto& chip : builtInChips()) {
        Board b(chip, 8 * kMHz);
        b.resetBootstrap();
        for (uint16_t i = 0; i < 20; ++i)
            EXPECT_EQ(b.read16(uint16_t(0xBFD6 + 2 * i)), 0x00C4 + 3 * i) << chip.name << " vector " << i;
        EXPECT_EQ(b.read16(0xBFFE), kBootRomEntry);
        b.resetSingleChip(0);
        EXPECT_EQ(b.read(0xBFD6), 0xFF) << "no boot ROM in single-chip mode";
    }
}

} // namespace
} // namespace hc11::test
