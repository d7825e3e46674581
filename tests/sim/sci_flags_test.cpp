// SCSR flags and their clearing sequences (M68HC11 RM 9-12, 9-13), transmit double
// buffering, overrun, the idle line, break, and the SCI interrupt taken by the CPU.
#include "board_test_support.h"

namespace hc11::test {
namespace {

constexpr double kRate = 9615; // BAUD $30 at E = 2 MHz

class SciFlags : public ::testing::Test {
protected:
    void SetUp() override {
        b = makeBoard("68HC11F1", 8);
        park(*b);
        b->setHostBaud(kRate);
        b->write(reg::BAUD, 0x30);
        b->write(reg::SCCR2, sccr2::TE | sccr2::RE);
        runFor(*b, 3000); // let the preamble go
        frame = charCycles(*b, kRate);
    }
    uint8_t status() { return b->peek(reg::SCSR); }
    void receive(uint8_t v) {
        b->hostSend(v);
        runFor(*b, frame + 1);
    }

    std::unique_ptr<Board> b;
    uint64_t frame = 0;
};

TEST_F(SciFlags, RdrfNeedsStatusReadThenDataRead) {
    receive(0x41);
    ASSERT_TRUE(status() & scsr::RDRF);
    EXPECT_EQ(b->read(reg::SCDR), 0x41);
    EXPECT_TRUE(status() & scsr::RDRF) << "SCDR read without SCSR read first";
    b->read(reg::SCSR);
    EXPECT_EQ(b->read(reg::SCDR), 0x41);
    EXPECT_FALSE(status() & scsr::RDRF);
}

TEST_F(SciFlags, OnlyFlagsSeenByTheStatusReadAreCleared) {
    receive(0x01);
    b->read(reg::SCSR); // sees RDRF only
    receive(0x02);      // overrun after the status read
    ASSERT_TRUE(status() & scsr::OR);
    EXPECT_EQ(b->read(reg::SCDR), 0x01);
    EXPECT_FALSE(status() & scsr::RDRF);
    EXPECT_TRUE(status() & scsr::OR) << "OR was not set when SCSR was read";
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

TEST_F(SciFlags, ClearingReDoesNotClearFlags) {
    receive(0x33);
    b->write(reg::SCCR2, sccr2::TE);
    EXPECT_TRUE(status() & scsr::RDRF);
    receive(0x44); // receiver off: lost without overrun
    EXPECT_FALSE(status() & scsr::OR);
}

TEST_F(SciFlags, TransmitterIsDoubleBuffered) {
    // Reset leaves TDRE and TC set.
    EXPECT_EQ(status() & scsr::TransmitFlags, scsr::TDRE | scsr::TC);
    b->read(reg::SCSR);
    b->write(reg::SCDR, 'a'); // straight into the shift register
    EXPECT_TRUE(status() & scsr::TDRE);
    EXPECT_FALSE(status() & scsr::TC);
    b->read(reg::SCSR);
    b->write(reg::SCDR, 'b'); // waits in TDR
    EXPECT_FALSE(status() & scsr::TDRE);
    runFor(*b, frame);
    EXPECT_TRUE(status() & scsr::TDRE) << "TDR moved to the shift register";
    EXPECT_FALSE(status() & scsr::TC);
    runFor(*b, frame);
    EXPECT_TRUE(status() & scsr::TC);
    EXPECT_EQ(b->hostReadAll(), (std::vector<uint8_t>{'a', 'b'}));
}

TEST_F(SciFlags, WritingTdrTwiceBeforeTransferKeepsTheLast) {
    b->read(reg::SCSR);
    b->write(reg::SCDR, '1');
    b->read(reg::SCSR);
    b->write(reg::SCDR, '2');
    b->write(reg::SCDR, '3');
    runFor(*b, 3 * frame);
    EXPECT_EQ(b->hostReadAll(), (std::vector<uint8_t>{'1', '3'}));
}

TEST_F(SciFlags, TcClearsOnlyAfterStatusRead) {
    b->write(reg::SCDR, 'x'); // no SCSR read: sent, but TC and TDRE stay set
    EXPECT_TRUE(status() & scsr::TC);
    runFor(*b, frame);
    b->read(reg::SCSR);
    b->write(reg::SCDR, 'y');
    EXPECT_FALSE(status() & scsr::TC);
    runFor(*b, frame);
    EXPECT_TRUE(status() & scsr::TC);
    EXPECT_EQ(b->hostReadAll(), (std::vector<uint8_t>{'x', 'y'}));
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

TEST_F(SciFlags, BreakReachesTheHostAsOneZero) {
    b->write(reg::SCCR2, sccr2::TE | sccr2::RE | sccr2::SBK);
    runFor(*b, 5 * frame); // several break frames back to back
    b->write(reg::SCCR2, sccr2::TE | sccr2::RE);
    runFor(*b, 2 * frame);
    EXPECT_EQ(b->hostReadAll(), (std::vector<uint8_t>{0x00}));
    // SBK set and cleared at once still sends one break; a later one is a new $00.
    b->write(reg::SCCR2, sccr2::TE | sccr2::RE | sccr2::SBK);
    b->write(reg::SCCR2, sccr2::TE | sccr2::RE);
    b->setHostBaud(300); // whatever the host's rate
    runFor(*b, 2 * frame);
    EXPECT_EQ(b->hostReadAll(), (std::vector<uint8_t>{0x00}));
}

TEST(SciPreamble, EnablingTheTransmitterDelaysTheFirstCharacterByOneFrame) {
    auto b = makeBoard();
    park(*b);
    b->setHostBaud(kRate);
    b->write(reg::BAUD, 0x30);
    const uint64_t start = b->cycleCount();
    b->write(reg::SCCR2, sccr2::TE);
    b->read(reg::SCSR);
    b->write(reg::SCDR, 'p');
    ASSERT_TRUE(b->runUntilHostData(start + 100'000));
    EXPECT_EQ(b->cycleCount() - start, 2 * 10 * 208u);
    EXPECT_EQ(b->hostRead(), 'p');
}

// An interrupt-driven echo, hand-assembled, run by the CPU from RAM in single-chip mode
// with the SCI vector in the F1's EEPROM at $FFD6.
TEST(SciInterrupt, ReceiveInterruptRunsTheServiceRoutine) {
    for (bool rie : {true, false}) {
        auto b = makeBoard("68HC11F1", 8);
        const uint8_t sccr2Value = uint8_t(sccr2::TE | sccr2::RE | (rie ? sccr2::RIE : 0));
        load(*b, 0x0000,
             {
                 0x86, 0x30,       // LDAA #$30
                 0xB7, 0x10, 0x2B, // STAA BAUD
                 0x86, sccr2Value, // LDAA #TE|RE(|RIE)
                 0xB7, 0x10, 0x2D, // STAA SCCR2
                 0x0E,             // CLI
                 0x20, 0xFE,       // BRA *
             });
        load(*b, 0x0040,
             {
                 0xB6, 0x10, 0x2E, // LDAA SCSR
                 0xB6, 0x10, 0x2F, // LDAA SCDR
                 0x4C,             // INCA
                 0xB7, 0x10, 0x2F, // STAA SCDR
                 0x3B,             // RTI
             });
        load(*b, 0xFFD6, {0x00, 0x40});
        b->resetSingleChip(0x0000);
        b->setHostBaud(kRate);
        runFor(*b, 5000);
        b->hostSend('A');
        b->hostSend('Y');
        const bool got = b->runUntilHostData(b->cycleCount() + 20'000);
        EXPECT_EQ(got, rie);
        if (rie) {
            runFor(*b, 5000);
            EXPECT_EQ(b->hostReadAll(), (std::vector<uint8_t>{'B', 'Z'}));
            EXPECT_FALSE(b->irqAsserted);
        } else {
            EXPECT_TRUE(b->peek(reg::SCSR) & scsr::RDRF);
        }
    }
}

} // namespace
} // namespace hc11::test
