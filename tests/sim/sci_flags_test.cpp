// SCSR flags and their clearing sequences (M68HC11 RM 9-12, 9-13) where a Talker
// download does not reach them: a data read without the status read first, overrun,
// a disabled receiver, transmit double buffering and TC, the idle line, and RIE.
#include "board_test_support.h"

namespace hc11::test {
namespace {

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

} // namespace
} // namespace hc11::test
