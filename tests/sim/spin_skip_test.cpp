// A program that polls in a loop writing nothing (as the Talker waits for the host,
// SCSR read with interrupts masked) is passed over whole turns at a time up to the
// board's next event (Board::skipSpin). Each board here runs beside a twin that runs
// the same program one instruction at a time (runUntilPc, which never skips): both
// must end with the same cycle count, registers, instruction count, timer and SCI
// state, and a byte from the host must end the loop at the very same cycle.
#include "board_test_support.h"

namespace hc11::test {
namespace {

// The RAM program: the SCI on at 9615 baud, OC2 toggling PA6 (so that the timer's
// flags and pins move while the CPU polls), then the polling loop; the byte received
// goes to $80 and the CPU waits.
constexpr uint16_t kStart = 0x0040;
constexpr uint16_t kWai = 0x0061;
constexpr uint16_t kReceived = 0x0080;
const std::vector<uint8_t> kPollingProgram = {
    0x0F,             // SEI
    0xCE, 0x10, 0x00, // LDX  #$1000
    0x86, 0x30,       // LDAA #$30
    0xA7, 0x2B,       // STAA BAUD,X
    0x86, 0x0C,       // LDAA #$0C (TE RE)
    0xA7, 0x2D,       // STAA SCCR2,X
    0xCC, 0x12, 0x34, // LDD  #$1234
    0xED, 0x18,       // STD  TOC2,X
    0x86, 0x40,       // LDAA #$40 (OC2 toggles PA6)
    0xA7, 0x20,       // STAA TCTL1,X
    0xB6, 0x10, 0x2E, // $0055: LDAA SCSR
    0x84, 0x20,       // ANDA #RDRF
    0x27, 0xF9,       // BEQ  $0055
    0xB6, 0x10, 0x2F, // LDAA SCDR
    0x97, 0x80,       // STAA $80
    0x3E,             // $0061: WAI
    0x20, 0xFD,       // BRA  $0061
};

// A delay count (its registers change every turn: no spin), then a loop on itself.
const std::vector<uint8_t> kDelayProgram = {
    0xCE, 0x40, 0x00, // LDX #$4000
    0x09,             // $0043: DEX
    0x26, 0xFD,       // BNE $0043
    0x20, 0xFE,       // $0046: BRA $0046
};

// Waits for the counter's overflow flag, then for an interrupt: a loop on a timer
// register is never passed over (its flags rise with time, not at a board event).
constexpr uint16_t kWaiAfterOverflow = 0x0047;
const std::vector<uint8_t> kOverflowPollProgram = {
    0xB6, 0x10, 0x25, // $0040: LDAA TFLG2
    0x84, 0x80,       // ANDA #TOF
    0x27, 0xF9,       // BEQ  $0040
    0x3E,             // $0047: WAI
};

// Never reached: runUntilPc then simply runs instruction by instruction.
constexpr uint16_t kNowhere = 0xFFFF;

struct Twins {
    explicit Twins(const std::vector<uint8_t>& program) {
        for (Board* b : {spun.get(), stepped.get()}) {
            loadCode(*b, kStart, program);
            startProgram(*b, kStart, {});
            b->setHostBaud(9615);
        }
    }
    void runTo(uint64_t cycle) {
        spun->runUntil(cycle);
        stepped->runUntilPc(kNowhere, cycle - stepped->cycleCount());
    }
    void expectSame() const {
        EXPECT_EQ(spun->cycleCount(), stepped->cycleCount());
        EXPECT_EQ(spun->cpu().instructions(), stepped->cpu().instructions());
        const Registers& a = spun->cpu().r;
        const Registers& b = stepped->cpu().r;
        EXPECT_TRUE(a == b) << std::hex << "PC " << a.pc << " / " << b.pc << ", A " << int(a.a) << " / "
                            << int(b.a) << ", CCR " << int(a.ccr) << " / " << int(b.ccr);
        for (uint16_t r : {reg::TCNT, reg::TCNTL, reg::TFLG1, reg::TFLG2, reg::SCSR, reg::PORTA, kReceived})
            EXPECT_EQ(spun->peek(r), stepped->peek(r)) << std::hex << "$" << r;
    }
    std::unique_ptr<Board> spun = makeBoard();
    std::unique_ptr<Board> stepped = makeBoard();
};

TEST(SpinSkip, PollingLoopPassedOverEndsAsRunningEveryTurn) {
    Twins t(kPollingProgram);
    // Past a counter overflow (TOF) and several OC2 matches, and ending mid-turn.
    for (uint64_t cycle : {5'000ull, 70'001ull, 200'003ull, 1'000'000ull}) {
        t.runTo(cycle);
        t.expectSame();
        EXPECT_TRUE(t.spun->resting()) << "at cycle " << cycle;
    }
    EXPECT_TRUE(t.spun->timerDrivesPins());
    EXPECT_NE(t.spun->peek(reg::TFLG2) & tmsk2::TOI, 0) << "the counter overflowed meanwhile";
}

TEST(SpinSkip, HostByteEndsTheLoopAtTheSameCycle) {
    Twins t(kPollingProgram);
    t.runTo(123'457);
    t.spun->hostSend(0x5A);
    t.stepped->hostSend(0x5A);
    // Each stops right after the WAI that follows the loop.
    t.spun->cpu().stopOnEvents = true;
    t.spun->runUntil(2'000'000);
    ASSERT_EQ(t.spun->cpu().lastEvent(), Cpu::Event::Wai);
    ASSERT_TRUE(t.stepped->runUntilPc(kWai, 2'000'000));
    t.stepped->cpu().step();
    t.expectSame();
    EXPECT_EQ(t.spun->peek(kReceived), 0x5A);
}

TEST(SpinSkip, TimerFlagPollEndsWhenTheFlagRises) {
    Twins t(kOverflowPollProgram);
    t.spun->cpu().stopOnEvents = true;
    t.spun->runUntil(200'000);
    ASSERT_EQ(t.spun->cpu().lastEvent(), Cpu::Event::Wai);
    ASSERT_TRUE(t.stepped->runUntilPc(kWaiAfterOverflow, 200'000));
    t.stepped->cpu().step();
    t.expectSame();
    EXPECT_GT(t.spun->cycleCount(), 65'536u);
}

TEST(SpinSkip, DelayCountIsRunNotPassedOver) {
    Twins t(kDelayProgram);
    t.runTo(20'000);
    t.expectSame();
    EXPECT_FALSE(t.spun->resting()) << "X still counts down";
    // The count ends inside this run, which was busy when it started; the next run
    // finds the loop on the BRA.
    t.runTo(500'000);
    t.expectSame();
    EXPECT_EQ(t.spun->cpu().r.pc, 0x0046);
    t.runTo(510'001);
    t.expectSame();
    EXPECT_TRUE(t.spun->resting());
    EXPECT_FALSE(t.spun->timerDrivesPins());
}

} // namespace
} // namespace hc11::test
