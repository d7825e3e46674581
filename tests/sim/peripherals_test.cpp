// The on-chip peripherals around the CPU, with their times in E cycles: the main timer,
// interrupts and their priority, the COP watchdog, ports B to E and the A/D converter,
// EEPROM programming through PPROG with BPROT, and the front panel's pins.
#include "board_test_support.h"
#include "sim/eeprom.h"
#include "sim/opcode_table.h"
#include "sim/panel_commands.h"

#include <algorithm>
#include <iterator>
#include <tuple>

namespace hc11::test {
namespace {

// The main timer on the board (M68HC11 RM section 10): the counter and its overflow,
// the output compares and their port A pin actions, the input captures, the real-time
// interrupt and the pulse accumulator. The CPU is parked in WAI with interrupts masked,
// so that time moves exactly to each cycle the tests look at.
constexpr uint8_t kTof = tmsk2::TOI;
constexpr uint8_t kRtif = tmsk2::RTII;
constexpr uint8_t kPaovf = tmsk2::PAOVI;
constexpr uint8_t kPaif = tmsk2::PAII;

void write16(Board& b, uint16_t address, uint16_t value) {
    b.write(address, uint8_t(value >> 8));
    b.write(uint16_t(address + 1), uint8_t(value));
}

TEST(MainTimer, OverflowComesEvery65536PrescaledTicksAndFlagsClearByWritingOne) {
    auto b = parkedBoard();
    const uint64_t r0 = b->cycleCount();
    b->write(reg::TMSK2, 0x01); // divide by 4, inside the 64-cycle window
    constexpr uint64_t period = 65536 * 4;
    for (uint64_t k = 1; k <= 2; ++k) {
        b->runUntil(r0 + k * period - 1);
        EXPECT_EQ(b->read16(reg::TCNT), 0xFFFF);
        EXPECT_EQ(b->read(reg::TFLG2) & kTof, 0);
        b->runUntil(r0 + k * period);
        EXPECT_EQ(b->read16(reg::TCNT), 0);
        EXPECT_EQ(b->read(reg::TFLG2) & kTof, kTof);
        EXPECT_EQ(b->read(reg::TFLG2) & kRtif, kRtif) << "the RTI ticks on the same cycle";
        b->write(reg::TFLG2, kRtif); // writing 0 leaves a flag alone
        EXPECT_EQ(b->read(reg::TFLG2), kTof);
        b->write(reg::TFLG2, kTof);
        EXPECT_EQ(b->read(reg::TFLG2), 0);
    }
}

TEST(MainTimer, RealTimeInterruptFlagFollowsTheRtrRate) {
    // E / 2^13 divided by 1, 2, 4, 8 (RM 10.3): RTR = 10 gives one every 32768 E cycles.
    auto b = parkedBoard();
    const uint64_t r0 = b->cycleCount();
    b->write(reg::PACTL, 0x02);
    for (uint64_t k = 1; k <= 2; ++k) {
        b->runUntil(r0 + k * 32768 - 1);
        EXPECT_EQ(b->read(reg::TFLG2) & kRtif, 0);
        b->runUntil(r0 + k * 32768);
        EXPECT_EQ(b->read(reg::TFLG2) & kRtif, kRtif);
        b->write(reg::TFLG2, kRtif);
    }
}

TEST(MainTimer, ComparesDrivePortAPinsAndSetTheirFlags) {
    auto b = parkedBoard();
    const uint64_t r0 = b->cycleCount();
    b->write(reg::DDRA, 0x80);  // the F1: PA7 an output, for OC1
    b->write(reg::TCTL1, 0x30); // OM3:OL3 = 11: OC3 sets PA5
    write16(*b, uint16_t(reg::TOC1 + 4), 100);
    b->write(reg::OC1M, 0x88); // OC1 drives PA7 and PA3...
    b->write(reg::OC1D, 0x80); // ...to 1 and 0
    write16(*b, reg::TOC1, 200);
    b->write(reg::PORTA, 0x28); // PA5 belongs to OC3: only PA3 follows the write
    EXPECT_EQ(b->portAPins(), 0x08);

    // The pins and TFLG1 just before and at each compare.
    for (const auto& [at, pins, flags] : {std::tuple{99, 0x08, 0},
                                          {100, 0x28, tflg1::ocBit(3)},
                                          {200, 0xA0, tflg1::ocBit(1) | tflg1::ocBit(3)}}) {
        b->runUntil(r0 + at);
        EXPECT_EQ(std::pair(int(b->portAPins()), int(b->read(reg::TFLG1))), std::pair(pins, flags)) << at;
    }
    EXPECT_EQ(b->read(reg::PORTA), 0xA0);

    // CFORC: OC4's toggle happens now, and sets no flag.
    b->write(reg::TCTL1, 0x34);
    b->write(reg::CFORC, tflg1::ocBit(4));
    EXPECT_EQ(b->portAPins(), 0xB0);
    EXPECT_EQ(b->read(reg::TFLG1), tflg1::ocBit(1) | tflg1::ocBit(3));
}

TEST(MainTimer, InputCapturesLatchTcntOnTheirSelectedEdge) {
    auto b = parkedBoard();
    const uint64_t r0 = b->cycleCount();
    b->write(reg::TCTL2, 0x18); // IC1 on rising edges, IC2 on falling ones, IC3 off
    b->runUntil(r0 + 1234);
    b->setPortAInput(2, true); // PA2 = IC1
    EXPECT_EQ(b->read16(reg::TIC1), 1234);
    EXPECT_EQ(b->read(reg::TFLG1), tflg1::icBit(1));

    b->runUntil(r0 + 2000);
    b->setPortAInput(1, true); // PA1 = IC2: a rising edge, not selected
    EXPECT_EQ(b->read(reg::TFLG1), tflg1::icBit(1));
    b->runUntil(r0 + 2500);
    b->setPortAInput(1, false);
    EXPECT_EQ(b->read16(uint16_t(reg::TIC1 + 2)), 2500);
    EXPECT_EQ(b->read16(reg::TIC1), 1234) << "IC1 keeps its capture";
    EXPECT_EQ(b->read(reg::TFLG1), tflg1::icBit(1) | tflg1::icBit(2));

    b->setPortAInput(0, true); // PA0 = IC3, disabled: the pin reads, nothing latches
    EXPECT_EQ(b->read(reg::TFLG1), tflg1::icBit(1) | tflg1::icBit(2));
    EXPECT_EQ(b->read(reg::PORTA) & 0x07, 0x05);
    park(*b);
    EXPECT_EQ(b->read(reg::PORTA) & 0x07, 0x05) << "a reset leaves the driven pins alone";
    EXPECT_EQ(b->read(reg::TFLG1), 0);
}

TEST(MainTimer, PulseAccumulatorCountsEventsOrGatedTime) {
    auto b = parkedBoard();
    const uint64_t r0 = b->cycleCount();
    // Event counting on rising edges of PA7: $FE + 2 rolls over.
    b->write(reg::PACTL, pactl::PAEN | pactl::PEDGE);
    b->write(reg::PACNT, 0xFE);
    for (int i = 0; i < 2; ++i) {
        b->setPortAInput(7, true);
        b->setPortAInput(7, false); // falling edges do not count
    }
    EXPECT_EQ(b->read(reg::PACNT), 0x00);
    EXPECT_EQ(b->read(reg::TFLG2), kPaovf | kPaif);
    b->write(reg::TFLG2, kPaovf | kPaif);

    // Gated: E/64 counts while PA7 is high; the falling edge ends the gate and sets PAIF.
    b->write(reg::PACTL, pactl::PAEN | pactl::PAMOD);
    b->runUntil(r0 + 64 * 100);
    b->setPortAInput(7, true);
    b->runUntil(r0 + 64 * 110);
    EXPECT_EQ(b->read(reg::PACNT), 10);
    EXPECT_EQ(b->read(reg::TFLG2), 0);
    b->setPortAInput(7, false);
    EXPECT_EQ(b->read(reg::TFLG2), kPaif);
    b->runUntil(r0 + 64 * 200);
    EXPECT_EQ(b->read(reg::PACNT), 10) << "gate closed";

    // Overflow at the exact tick: $F0 + 16 ticks.
    b->write(reg::PACNT, 0xF0);
    b->setPortAInput(7, true);
    b->runUntil(r0 + 64 * 216 - 1);
    EXPECT_EQ(b->read(reg::TFLG2) & kPaovf, 0);
    b->runUntil(r0 + 64 * 216);
    EXPECT_EQ(b->read(reg::TFLG2) & kPaovf, kPaovf);
    EXPECT_EQ(b->read(reg::PACNT), 0);
}

// PA7 made an output still drives the pulse accumulator's input (RM 10.5): the edges the
// program drives on it count like edges from outside, which no longer reach the pin. On
// the A1 PACTL's DDRA7 makes PA7 an output, on the F1 DDRA.
TEST(MainTimer, EdgesTheProgramDrivesOnPa7AreCounted) {
    for (const char* chip : {"68HC11A1", "68HC11F1"})
        for (const bool rising : {false, true}) {
            SCOPED_TRACE(std::string(chip) + (rising ? ", rising edges" : ", falling edges"));
            auto b = makeBoard(chip);
            const uint8_t counting = pactl::PAEN | (rising ? pactl::PEDGE : 0);
            const std::string output =
                std::string_view(chip) == "68HC11F1"
                    ? " LDAA #$80\n STAA DDRA\n"
                    : " LDAA #" + std::to_string(counting | pactl::DDRA7) + "\n STAA PACTL\n";
            // PA7 high from outside: becoming an output at latch 0 is a falling edge; then
            // ten toggles, five rising and five falling edges.
            b->setPortAInput(7, true);
            loadSource(*b, 0x0010,
                       " CLR PORTA\n LDAA #" + std::to_string(counting) + "\n STAA PACTL\n" + output +
                           " LDAB #10\nLOOP LDAA PORTA\n EORA #$80\n STAA PORTA\n DECB\n BNE LOOP\n BRA *");
            b->resetSingleChip(0x0010);
            runFor(*b, 2000);
            const uint8_t edges = rising ? 5 : 6;
            EXPECT_EQ(b->read(reg::PACNT), edges);
            EXPECT_EQ(b->read(reg::TFLG2), kPaif);
            b->setPortAInput(7, false);
            b->setPortAInput(7, true);
            EXPECT_EQ(b->portAPins() & 0x80, 0) << "the chip drives the pin";
            EXPECT_EQ(b->read(reg::PACNT), edges);
        }
}

// OC1 acting on PA7 (OC1M7, OC1D7) feeds the accumulator: its match and CFORC are edges
// in event counting, and its level opens and closes the gate in gated accumulation.
TEST(MainTimer, Oc1OnPa7FeedsThePulseAccumulator) {
    auto b = parkedBoard();
    const uint64_t r0 = b->cycleCount(); // TCNT = 0, counting E
    b->write(reg::DDRA, 0x80);
    b->write(reg::PACTL, pactl::PAEN | pactl::PEDGE);
    b->write(reg::TMSK2, kPaif); // the PAI interrupt waits for the match
    b->write(reg::OC1M, 0x80);
    b->write(reg::OC1D, 0x80);
    write16(*b, reg::TOC1, 0x1000);
    EXPECT_EQ(b->nextEventCycle(), r0 + 0x1000);
    b->runUntil(r0 + 0x1000);
    EXPECT_EQ(b->read(reg::PACNT), 1);
    EXPECT_EQ(b->read(reg::TFLG2), kPaif);
    b->write(reg::OC1D, 0x00);
    b->write(reg::CFORC, 0x80); // falling: not counted
    b->write(reg::OC1D, 0x80);
    b->write(reg::CFORC, 0x80);
    EXPECT_EQ(b->read(reg::PACNT), 2);

    // Gated, open while PA7 is high: from $2000 to OC1's match at $3000, 64 ticks of E/64.
    b->write(reg::TFLG2, kPaif);
    b->runUntil(r0 + 0x2000);
    b->write(reg::PACTL, pactl::PAEN | pactl::PAMOD);
    b->write(reg::PACNT, 0);
    b->write(reg::OC1D, 0x00);
    write16(*b, reg::TOC1, 0x3000);
    b->runUntil(r0 + 0x4000);
    EXPECT_EQ(b->read(reg::PACNT), 0x1000 / 64);
    EXPECT_EQ(b->read(reg::TFLG2) & kPaif, kPaif) << "the falling edge closed the gate";
}

// A read samples TCNT at the cycle the instruction reads its operand (the cycle-by-cycle
// tables): the last cycle of LDAA, the last two of LDD, whose high byte holds the low
// one for the next cycle. TCNT counts E from 0 at reset.
TEST(MainTimer, ReadsSampleTcntAtTheOperandCycle) {
    auto b = makeBoard();
    loadSource(*b, 0x0100,
               " LDD TCNT\n STD $40\n LDAA TCNT+1\n STAA $42\n LDX #TCNT\n LDAB 1,X\n STAB $43\n"
               " LDY #TCNT\n LDD 0,Y\n STD $44\n BRA *");
    startProgram(*b, 0x0100, {});
    runFor(*b, 100);
    // LDD ext reads at cycles 3-4 (of 0-4); then STD dir 4, LDAA ext reads at 3 (9 + 3);
    // STAA 3, LDX 3, LDAB ind,X reads at 3 (19 + 3); STAB 3, LDY 4, LDD ind,Y at 4-5
    // (30 + 4).
    EXPECT_EQ(peekAll(*b, {0x40, 0x41, 0x42, 0x43, 0x44, 0x45}), (Bytes{0, 3, 12, 22, 0, 34}));
}

// Interrupts on the board (M68HC11 RM section 5): the fixed priority order and HPRIO's
// PSEL, the IRQ pin (level or edge by OPTION.IRQE), WAI woken by the real-time
// interrupt and STOP woken by the IRQ pin, with their entry times in E cycles.
constexpr uint16_t kMain = 0x0100;
constexpr uint16_t kHandlerA = 0x0140;
constexpr uint16_t kHandlerB = 0x0160;
constexpr uint16_t kFlag = 0x0051;  // the main program waits for the test to set it
constexpr uint16_t kCount = 0x0052; // the handlers count here

// A handler that counts its calls: INC kCount; RTI.
const std::vector<uint8_t> kCountingHandler = {0x7C, 0x00, 0x52, 0x3B};

// Two compares match at the same cycle while I is set; CLI then lets them in. Each
// handler appends its number to a list at $0070.
std::vector<uint8_t> servedOrder(uint8_t hprio) {
    auto b = makeBoard();
    // Both compares at $0800 with OC2I and OC3I; the list pointer at $60.
    loadSource(*b, kMain,
               " LDX #$0070\n STX $60\n LDD #$0800\n STD TOC2\n STD TOC3\n LDAA #$60\n STAA TMSK1\n"
               " LDAA #" +
                   std::to_string(hprio) +
                   "\n STAA HPRIO\n"
                   "WAIT LDD TCNT\n CPD #$0900\n BLO WAIT\n CLI\n BRA *");
    for (const auto& [at, id, flag] : {std::tuple{kHandlerA, "2", "$40"}, std::tuple{kHandlerB, "3", "$20"}})
        loadSource(*b, at,
                   std::string(" LDX $60\n LDAA #") + id + "\n STAA 0,X\n INX\n STX $60\n LDAA #" + flag +
                       "\n STAA TFLG1\n RTI");
    startProgram(*b, kMain, {{vec::Toc2, kHandlerA}, {vec::Toc3, kHandlerB}});
    runFor(*b, 0x0900 + 500);
    EXPECT_EQ(b->peek(0x0061), 0x72) << "each handler ran once";
    return {b->peek(0x0070), b->peek(0x0071)};
}

TEST(Interrupts, TwoPendingAreServedInPriorityOrderAndHprioPromotesOne) {
    EXPECT_EQ(servedOrder(hprio::PSELReset), (std::vector<uint8_t>{2, 3})) << "TOC2 before TOC3";
    EXPECT_EQ(servedOrder(0x0D), (std::vector<uint8_t>{3, 2})) << "PSEL = 1101 raises TOC3";

    // PSEL is written only while I is set.
    auto b = parkedBoard();
    b->cpu().r.ccr &= uint8_t(~ccr::I);
    b->write(reg::HPRIO, 0x0D);
    EXPECT_EQ(b->read(reg::HPRIO) & hprio::PSELMask, hprio::PSELReset);
}

// Waits with I set until the test sets kFlag, then clears I. `option` goes to OPTION
// in the first cycles after reset, where IRQE is writable.
std::unique_ptr<Board> irqBoard(uint8_t option) {
    auto b = makeBoard();
    loadSource(*b, kMain,
               " LDAA #" + std::to_string(option) + "\n STAA OPTION\nWAIT LDAA $51\n BEQ WAIT\n CLI\n BRA *");
    loadCode(*b, kHandlerA, kCountingHandler);
    startProgram(*b, kMain, {{vec::Irq, kHandlerA}});
    return b;
}

void pulseIrq(Board& b) {
    runFor(b, 200);
    b.setIrqPinLow(true);
    runFor(b, 100);
    b.setIrqPinLow(false);
    runFor(b, 1000);
}

TEST(Interrupts, IrqEdgeWhileIMaskedIsServedOnceAfterCli) {
    auto b = irqBoard(option::IRQE | option::DLY);
    pulseIrq(*b);
    EXPECT_EQ(b->peek(kCount), 0) << "I is set";
    b->poke(kFlag, 1);
    runFor(*b, 1000);
    EXPECT_EQ(b->peek(kCount), 1);
    // A pin held low is one edge, served once.
    b->setIrqPinLow(true);
    runFor(*b, 1000);
    EXPECT_EQ(b->peek(kCount), 2);
}

TEST(Interrupts, IrqLevelIsServedOnlyWhileThePinIsLow) {
    auto b = irqBoard(option::DLY);
    pulseIrq(*b);
    b->poke(kFlag, 1);
    runFor(*b, 1000);
    EXPECT_EQ(b->peek(kCount), 0) << "the pulse ended before CLI";
    b->setIrqPinLow(true);
    runFor(*b, 300);
    b->setIrqPinLow(false);
    const uint8_t served = b->peek(kCount);
    EXPECT_GT(served, 2) << "the handler runs again while the pin stays low";
    runFor(*b, 1000);
    EXPECT_EQ(b->peek(kCount), served);
}

TEST(Interrupts, WaiIsWokenByTheRealTimeInterrupt) {
    auto b = makeBoard();
    loadSource(*b, kMain, " LDAA #$40\n STAA TMSK2\n CLI\nSLEEP WAI\n INC $53\n BRA SLEEP"); // RTII
    loadSource(*b, kHandlerA, " LDAA #$40\n STAA TFLG2\n RTI");                              // clears RTIF
    startProgram(*b, kMain, {{vec::Rti, kHandlerA}});
    const uint64_t r0 = b->cycleCount();
    const uint16_t sp0 = b->cpu().r.sp;
    // The first RTI tick is E/2^13 after reset (RM 10.3); WAI stacked the frame, so
    // only the vector fetch remains.
    ASSERT_TRUE(b->runUntilPc(kHandlerA, 20'000));
    EXPECT_EQ(b->cycleCount(), r0 + 8192 + timing::kWaiWakeCycles);
    EXPECT_EQ(b->cpu().r.sp, sp0 - 9);
    b->runUntil(r0 + 5 * 8192 + 100);
    EXPECT_EQ(b->peek(0x0053), 5);
}

TEST(Interrupts, StopEndsOnlyOnTheIrqPinAfterTheOscillatorDelay) {
    auto b = makeBoard();
    // RTII on, then S, X and I cleared by TAP, then STOP.
    loadSource(*b, kMain, " LDAA #$40\n STAA TMSK2\n LDAA #0\n TAP\n STOP\n INC $53\n BRA *");
    loadCode(*b, kHandlerA, kCountingHandler);
    loadSource(*b, kHandlerB, " LDAA #$40\n STAA TFLG2\n RTI");
    startProgram(*b, kMain, {{vec::Irq, kHandlerA}, {vec::Rti, kHandlerB}});
    runFor(*b, 3 * 8192);
    EXPECT_EQ(b->cpu().state(), Cpu::State::Stopped) << "the RTI does not end STOP";
    const uint64_t t = b->cycleCount();
    b->setIrqPinLow(true);
    ASSERT_TRUE(b->runUntilPc(kHandlerA, 10'000));
    // OPTION.DLY is set out of reset: the oscillator restart delay comes first.
    EXPECT_EQ(b->cycleCount(), t + kStopRecoveryCycles + timing::kInterruptEntryCycles);
    b->setIrqPinLow(false);
    runFor(*b, 200);
    EXPECT_EQ(b->peek(kCount), 1);
    EXPECT_EQ(b->peek(0x0053), 1);
}

// STOP stops every clock (RM 5.x, STOP): TCNT, the overflow, the RTI and the COP stand
// still however long the CPU is stopped, while the board's time runs on. XIRQ, masked by
// X, restarts them; the oscillator's delay passes with the clocks running, then the
// program goes on after STOP: 4064 E cycles with OPTION.DLY set, about four without.
TEST(Interrupts, StopFreezesTheTimerAndTheCopAndTheRestartWaitsForDly) {
    for (const bool dly : {true, false}) {
        SCOPED_TRACE(dly ? "DLY = 1" : "DLY = 0");
        auto b = makeBoard();
        b->programConfig(uint8_t(b->config() & ~config::NOCOP));
        // TCNT before STOP to $40, after it to $42; TAP sets X and I, clears S.
        loadSource(*b, kMain,
                   " LDAA #" + std::to_string(dly ? option::DLY : 0) +
                       "\n STAA OPTION\n LDD TCNT\n STD $40\n LDAA #$50\n TAP\n STOP\n LDD TCNT\n STD $42\n"
                       " BRA *");
        startProgram(*b, kMain, {});
        ASSERT_TRUE(b->copEnabled());
        runFor(*b, 1000);
        ASSERT_EQ(b->cpu().state(), Cpu::State::Stopped);
        const Bytes tcnt = peekAll(*b, {reg::TCNT, reg::TCNTL});
        const uint64_t t = b->cycleCount();
        runFor(*b, 300'000); // past a counter overflow, 36 RTI periods and the COP's time-out
        EXPECT_EQ(b->cycleCount(), t + 300'000);
        EXPECT_EQ(peekAll(*b, {reg::TCNT, reg::TCNTL}), tcnt);
        EXPECT_EQ(b->peek(reg::TFLG2), 0);
        b->setXirqPinLow(true);
        runFor(*b, 10'000);
        EXPECT_EQ(b->copResets(), 0u);
        const auto word = [&](uint16_t a) { return uint16_t(b->peek(a) << 8 | b->peek(uint16_t(a + 1))); };
        // From the first read (LDD's fourth cycle): LDD's last 2, STD 4, LDAA 2, TAP 2,
        // STOP 2, the delay, then the second LDD's 3 cycles up to its read.
        const unsigned delay = dly ? kStopRecoveryCycles : kStopRecoveryCyclesNoDelay;
        EXPECT_EQ(uint16_t(word(0x42) - word(0x40)), 2 + 4 + 2 + 2 + 2 + delay + 3);
    }
}

// The COP watchdog (M68HC11 RM 5.x): a program that stops writing $55/$AA to COPRST
// is reset through the COP vector after 2^15 E cycles times the CR1:CR0 rate; one that
// keeps feeding it runs on.
constexpr uint16_t kCounter = 0x0080; // the COP handler counts its entries here
constexpr uint16_t kHandler = 0x0040; // INC $0080; BRA *
constexpr uint16_t kProgram = 0x0010;

std::unique_ptr<Board> copBoard(const std::string& program, bool copOn = true) {
    auto b = makeBoard("68HC11F1");
    if (copOn) b->programConfig(uint8_t(b->config() & ~config::NOCOP));
    loadSource(*b, kHandler, " INC $80\n BRA *");
    loadSource(*b, kProgram, program);
    startProgram(*b, kProgram, {{vec::Cop, kHandler}});
    return b;
}

TEST(Cop, ResetsAProgramThatStopsFeedingItThroughTheCopVector) {
    // Feed once ($55 then $AA to COPRST), then hang.
    auto b = copBoard(" LDAA #$55\n STAA COPRST\n LDAA #$AA\n STAA COPRST\n BRA *");
    ASSERT_TRUE(b->copEnabled());
    const uint64_t r0 = b->cycleCount();
    b->runUntil(r0 + 8 + kCopBaseCycles - 3); // the $AA lands 8 cycles in
    EXPECT_EQ(b->copResets(), 0u);
    b->runUntil(r0 + 8 + kCopBaseCycles + 20);
    EXPECT_EQ(b->copResets(), 1u);
    EXPECT_EQ(b->peek(kCounter), 1);
    // The handler hangs too: the watchdog keeps firing, one period after each reset.
    runFor(*b, 3 * kCopBaseCycles);
    EXPECT_EQ(b->copResets(), 4u);
    EXPECT_EQ(b->peek(kCounter), 4);
}

TEST(Cop, OnlyTheFullSequenceFeedsItAndTheRateAndNocopAreHonoured) {
    // A program that keeps feeding it: Chenillard.FeedsTheCopWhenCONFIGTurnsItOn.
    // $AA without $55 first does not clear it.
    auto onlyAa = copBoard("FEED LDAA #$AA\n STAA COPRST\n BRA FEED");
    runFor(*onlyAa, kCopBaseCycles + 20);
    EXPECT_EQ(onlyAa->copResets(), 1u);

    // CR1:CR0 = 01 (time-protected, written at once): four times the period.
    auto slow = copBoard(" LDAA #$01\n STAA OPTION\n BRA *");
    const uint64_t r0 = slow->cycleCount();
    slow->runUntil(r0 + 4 * kCopBaseCycles - 3);
    EXPECT_EQ(slow->copResets(), 0u);
    slow->runUntil(r0 + 4 * kCopBaseCycles + 20);
    EXPECT_EQ(slow->copResets(), 1u);

    // The chip's factory CONFIG has NOCOP set: the hung program runs on.
    auto off = copBoard(" BRA *", false);
    EXPECT_FALSE(off->copEnabled());
    runFor(*off, 100 * kCopBaseCycles);
    EXPECT_EQ(off->copResets(), 0u);
}

// The clock monitor: with OPTION.CME set, STOP stops the clocks and the monitor resets
// the part through its own vector; without it, STOP waits for IRQ, XIRQ or reset.
TEST(ClockMonitor, StopWithCmeResetsThroughTheClockMonitorVector) {
    for (const bool cme : {true, false}) {
        SCOPED_TRACE(cme);
        auto b = makeBoard("68HC11F1");
        loadSource(*b, kHandler, " INC $80\n BRA *");
        // S cleared by TAP so that STOP is obeyed.
        loadSource(*b, kProgram,
                   " LDAA #" + std::to_string(cme ? option::CME : 0) + "\n STAA OPTION\n CLRA\n TAP\n STOP");
        startProgram(*b, kProgram, {{vec::ClockMonitor, kHandler}});
        runFor(*b, 1000);
        EXPECT_EQ(b->clockMonitorResets(), cme ? 1u : 0u);
        EXPECT_EQ(b->peek(kCounter), cme ? 1 : 0);
        EXPECT_EQ(b->cpu().state(), cme ? Cpu::State::Running : Cpu::State::Stopped);
        // The reset put OPTION back: CME is off, so the monitor fires only once.
        if (cme) {
            EXPECT_EQ(b->read(reg::OPTION) & option::CME, 0);
        }
    }
}

// Ports B to E and the A/D converter on the board (M68HC11 RM sections 7 and 12). The
// CPU is parked in WAI, so time moves exactly to the cycles the tests look at.
TEST(Ports, ReadingGivesInputPinsAndOutputLatchesByDirection) {
    struct Case {
        std::string_view chip;
        uint16_t portC;
    };
    for (const Case c : {Case{"68HC11E1", reg::PORTC}, Case{"68HC11F1", reg::PORTC_F1}}) {
        SCOPED_TRACE(c.chip);
        auto b = parkedBoard(c.chip);
        for (int pin = 0; pin < 8; ++pin)
            b->setPortInput(Port::C, pin, (0x3C >> pin) & 1);
        b->write(c.portC, 0xA5);
        EXPECT_EQ(b->read(c.portC), 0x3C) << "every pin an input after reset";
        b->write(reg::DDRC, 0xF0);
        EXPECT_EQ(b->read(c.portC), 0xAC) << "high nibble drives the latch, low nibble reads the pins";
        EXPECT_EQ(b->portPins(Port::C), 0xAC);
        b->setPortInput(Port::C, 7, false); // an output pin ignores the outside level
        b->setPortInput(Port::C, 0, true);
        EXPECT_EQ(b->read(c.portC), 0xAD);

        // Port D: six pins with their own DDR; port B output only; port E input only.
        b->setPortInput(Port::D, 2, true);
        b->write(reg::PORTD, 0xFF);
        b->write(reg::DDRD, 0x38);
        EXPECT_EQ(b->read(reg::PORTD), 0x3C);
        b->write(reg::PORTB, 0x5A);
        EXPECT_EQ(b->read(reg::PORTB), 0x5A);
        b->setPortInput(Port::E, 6, true);
        b->write(reg::PORTE, 0x01);
        EXPECT_EQ(b->read(reg::PORTE), 0x40);

        b->resetSingleChip(kParkAddress); // reset makes the pins inputs again
        EXPECT_EQ(b->read(reg::DDRC), 0);
        EXPECT_EQ(b->read(c.portC), 0x3D);
    }
    // PIOC on the E1: plain I/O after reset, STAF read only; on the F1 $1002 is port G.
    auto e1 = parkedBoard("68HC11E1");
    EXPECT_EQ(e1->read(reg::PIOC), 0x03);
    e1->write(reg::PIOC, 0xFF);
    EXPECT_EQ(e1->read(reg::PIOC), 0x7F);
    // On the F1 $1003 is not port C.
    auto f1 = parkedBoard("68HC11F1");
    f1->setPortInput(Port::C, 0, true);
    f1->write(reg::PORTC, 0x80);
    EXPECT_EQ(f1->read(reg::PORTC), 0x80);
}

// Port A's directions per chip: fixed PA3-PA6 outputs on the A series, PA3 by DDRA3 on
// the E series, every pin by DDRA on the F1; a compare's pin action drives its pin
// whatever the direction bit says.
TEST(Ports, PortADirectionsFollowEachChip) {
    auto a1 = parkedBoard("68HC11A1");
    a1->setPortAInput(3, true);
    a1->write(reg::PORTA, 0x70);
    EXPECT_EQ(a1->portAPins(), 0x70) << "PA3 is an output: the outside level is ignored";

    auto e1 = parkedBoard("68HC11E1");
    e1->setPortAInput(3, true);
    e1->write(reg::PORTA, 0x00);
    EXPECT_EQ(e1->portAPins(), 0x08) << "PA3 an input after reset";
    e1->write(reg::PACTL, pactl::DDRA3);
    EXPECT_EQ(e1->portAPins(), 0x00) << "PA3 an output driving its latch";
    e1->write(reg::PACTL, 0);
    e1->write(reg::TCTL1, 0x03); // OC5 sets PA3: it owns the pin
    e1->write(reg::CFORC, 0x08);
    e1->setPortAInput(3, false);
    EXPECT_EQ(e1->portAOutputs() & 0x08, 0x08);
    EXPECT_EQ(e1->portAPins() & 0x08, 0x08);

    auto f1 = parkedBoard("68HC11F1");
    f1->setPortAInput(0, true);
    f1->setPortAInput(5, true);
    f1->write(reg::PORTA, 0x42);
    EXPECT_EQ(f1->read(reg::PORTA), 0x21) << "every pin an input after reset";
    f1->write(reg::DDRA, 0x0F);
    EXPECT_EQ(f1->read(reg::DDRA), 0x0F);
    EXPECT_EQ(f1->read(reg::PORTA), 0x22) << "PA0-PA3 drive the latch, PA4-PA7 read the pins";
}

// A/D inputs and port E are the same pins: a voltage reads as a logic level beyond
// VIH/VIL, and a switch on a pin drives its input to VRH or VRL.
TEST(Ports, PortEReadsTheVoltageOnItsPins) {
    auto b = parkedBoard("68HC11E1");
    b->setAnalogInput(2, 4.0);
    b->setAnalogInput(5, 0.5);
    EXPECT_EQ(b->read(reg::PORTE), 0x04);
    b->setAnalogInput(2, 2.0); // between VIL and VIH: the level stays
    EXPECT_EQ(b->read(reg::PORTE), 0x04);
    b->setAnalogInput(2, 0.9);
    EXPECT_EQ(b->read(reg::PORTE), 0x00);
    b->setPortInput(Port::E, 1, true);
    b->write(reg::OPTION, option::ADPU);
    b->write(reg::ADCTL, 0x01);
    runFor(*b, 128);
    EXPECT_EQ(b->read(reg::ADR1), 0xFF);
}

// A board with the converter powered, ready to start a conversion.
std::unique_ptr<Board> adcBoard() {
    auto b = parkedBoard("68HC11E1");
    b->write(reg::OPTION, option::ADPU);
    return b;
}

TEST(AdConverter, SingleChannelFillsTheFourResultsAtThirtyTwoCyclesEach) {
    auto b = adcBoard();
    b->setAnalogInput(3, 2.0); // 255 * 2 / 5 = 102
    b->setAnalogInput(2, 4.0);
    const uint64_t c0 = b->cycleCount();
    b->write(reg::ADCTL, 0x03);
    // ADCTL and ADR1-ADR4: CCF comes with the fourth result.
    for (const auto& [at, now] : {std::pair{31, Bytes{0x03, 0, 0, 0, 0}},
                                  {32, {0x03, 102, 0, 0, 0}},
                                  {127, {0x03, 102, 102, 102, 0}},
                                  {128, {0x83, 102, 102, 102, 102}}}) {
        b->runUntil(c0 + at);
        EXPECT_EQ(readAll(*b, {reg::ADCTL, reg::ADR1, reg::ADR2, reg::ADR3, reg::ADR4}), now) << at;
    }

    // Not scanning: a later change on the pin leaves the results alone; a new ADCTL
    // write clears CCF and starts over.
    b->setAnalogInput(3, 5.0);
    runFor(*b, 1000);
    EXPECT_EQ(b->read(reg::ADR1), 102);
    b->write(reg::ADCTL, 0x03);
    EXPECT_EQ(b->read(reg::ADCTL) & adctl::CCF, 0);
    runFor(*b, 128);
    EXPECT_EQ(b->read(reg::ADR4), 0xFF);
}

TEST(AdConverter, MultipleChannelScanAndPowerDown) {
    auto b = adcBoard();
    const double volts[] = {0.0, 1.0, 3.3, 5.0}; // 0, 51, round(168.3), 255
    for (int i = 0; i < 4; ++i)
        b->setAnalogInput(4 + i, volts[i]);
    b->write(reg::ADCTL, adctl::SCAN | adctl::MULT | 0x05); // group PE4-PE7, CB:CA ignored
    runFor(*b, 128);
    EXPECT_EQ(readAll(*b, {reg::ADR1, reg::ADR2, reg::ADR3, reg::ADR4}), (Bytes{0, 51, 168, 255}));
    // Scanning: the next conversion of PE4 picks up its new level.
    b->setAnalogInput(4, 2.5);
    runFor(*b, 32);
    EXPECT_EQ(b->read(reg::ADR1), 128);
    EXPECT_EQ(b->read(reg::ADCTL) & adctl::CCF, adctl::CCF);

    // The internal references: VRH, VRL and VRH/2 on channels 12-14.
    b->write(reg::ADCTL, adctl::MULT | 0x0C);
    runFor(*b, 128);
    EXPECT_EQ(readAll(*b, {reg::ADR1, reg::ADR2, reg::ADR3}), (Bytes{0xFF, 0x00, 128}));

    // ADPU clear: no conversion happens and CCF never sets.
    b->write(reg::OPTION, 0);
    b->write(reg::ADCTL, 0x04);
    runFor(*b, 1000);
    EXPECT_EQ(b->read(reg::ADCTL) & adctl::CCF, 0);
    EXPECT_EQ(b->read(reg::ADR1), 0xFF);
}

// EEPROM programming and erasing through PPROG (A8TD section 3, "EEPROM programming"),
// driven through the bus with the CPU parked: AND programming, byte, row and bulk
// erase, the minimum programming time, the latch's effect on reads, writes outside the
// sequence, and BPROT block protection with its time-protected write window. Programming
// and byte erase through the Talker, with the delay count it is given, are proven by
// the Talker's own tests.
uint64_t msCycles(const Board& b, double ms) {
    return uint64_t(b.eClockHz() * ms / 1000.0 + 0.5);
}

// PPROG ← bits|EELAT; cell ← data; PPROG ← bits|EELAT|EEPGM; wait; PPROG ← 0.
void operation(Board& b, uint16_t address, uint8_t bits, uint8_t data = 0xFF, double ms = 10) {
    b.write(reg::PPROG, bits | pprog::EELAT);
    b.write(address, data);
    b.write(reg::PPROG, bits | pprog::EELAT | pprog::EEPGM);
    runFor(b, msCycles(b, ms));
    b.write(reg::PPROG, 0);
}
void program(Board& b, uint16_t address, uint8_t data) {
    operation(b, address, 0, data);
}
constexpr uint8_t kByteErase = pprog::BYTE | pprog::ERASE;
constexpr uint8_t kRowErase = pprog::ROW | pprog::ERASE;
constexpr uint8_t kBulkErase = pprog::ERASE;

// A parked board of `chip` with BPROT cleared (inside the 64-cycle window after reset).
std::unique_ptr<Board> unprotectedBoard(std::string_view chip, unsigned crystalMHz = 8) {
    auto b = parkedBoard(chip, crystalMHz);
    b->write(reg::BPROT, 0x00);
    return b;
}

Eeprom::Operation lastOperation(const Board& b) {
    return b.eeprom().lastOutcome().operation;
}

TEST(Eeprom, ProgramAndEraseOnEveryChip) {
    for (const auto& chip : builtInChips()) {
        SCOPED_TRACE(chip.name);
        auto b = unprotectedBoard(chip.name);
        const uint16_t s = chip.eepromStart;
        const uint16_t last = uint16_t(chip.eepromEnd());
        EXPECT_EQ(b->read(s + 5), 0xFF) << "erased at power-on";
        for (auto [data, now] : {std::pair{0x55, 0x55}, {0x50, 0x50}, {0xAF, 0x00}}) {
            program(*b, s + 5, uint8_t(data)); // programming only clears bits
            EXPECT_EQ(b->read(s + 5), now);
        }
        EXPECT_EQ(lastOperation(*b), Eeprom::Operation::Program);
        EXPECT_EQ(b->eeprom().lastOutcome().result, Eeprom::Result::Done);
        EXPECT_EQ(b->read(s + 6), 0xFF);

        for (uint16_t off = 0x0F; off <= 0x22; ++off)
            program(*b, s + off, uint8_t(off));
        operation(*b, s + 0x15, kRowErase);               // the 16-byte row $x10-$x1F
        operation(*b, s + 0x21, kByteErase | pprog::ROW); // BYTE overrides ROW
        for (uint16_t off = 0x0F; off <= 0x22; ++off) {
            const bool erased = (off >= 0x10 && off <= 0x1F) || off == 0x21;
            EXPECT_EQ(b->read(s + off), erased ? 0xFF : off) << off;
        }

        program(*b, last, 0x00);
        operation(*b, s + 0x33, kBulkErase);
        for (uint32_t a = s; a <= last; ++a)
            ASSERT_EQ(b->read(uint16_t(a)), 0xFF) << a;
    }
}

// EELAT = 1 disconnects the array from reads: the model returns $FF and counts the read.
TEST(Eeprom, ArrayReadsFfWhileLatched) {
    auto b = unprotectedBoard("68HC11F1");
    program(*b, 0xFE00, 0x00);
    const uint64_t before = b->eeprom().latchedReads();
    b->write(reg::PPROG, pprog::EELAT);
    EXPECT_EQ(b->read(0xFE00), 0xFF);
    EXPECT_EQ(b->peek(0xFE00), 0x00) << "the cell itself is unchanged";
    EXPECT_EQ(b->eeprom().latchedReads(), before + 1);
    b->write(reg::PPROG, 0);
    EXPECT_EQ(b->read(0xFE00), 0x00);
}

TEST(Eeprom, WritesOutsideTheSequenceDoNothing) {
    auto b = unprotectedBoard("68HC11E1");
    b->write(0xB607, 0x00); // a plain store, counted as ignored
    EXPECT_EQ(b->eeprom().ignoredWrites(), 1u);
    // A write during the pulse does not change what is latched.
    b->write(reg::PPROG, pprog::EELAT);
    b->write(0xB607, 0xF0);
    b->write(reg::PPROG, pprog::EELAT | pprog::EEPGM);
    b->write(0xB608, 0x00);
    runFor(*b, msCycles(*b, 10));
    b->write(reg::PPROG, 0);
    EXPECT_EQ(b->read(0xB607), 0xF0);
    EXPECT_EQ(b->read(0xB608), 0xFF);
    // EELAT and EEPGM in one write set EELAT only: no pulse.
    b->write(reg::PPROG, pprog::EELAT | pprog::EEPGM);
    EXPECT_EQ(b->read(reg::PPROG), pprog::EELAT);
    b->write(0xB603, 0x00);
    runFor(*b, msCycles(*b, 12));
    b->write(reg::PPROG, 0);
    EXPECT_EQ(b->read(0xB603), 0xFF);
    // A pulse with nothing latched since EELAT was set programs nothing.
    b->write(reg::PPROG, pprog::EELAT);
    b->write(reg::PPROG, pprog::EELAT | pprog::EEPGM);
    runFor(*b, msCycles(*b, 10));
    b->write(reg::PPROG, 0);
    EXPECT_EQ(b->eeprom().lastOutcome().result, Eeprom::Result::NothingLatched);
}

// The model asks for at least 9 ms of E cycles, whatever the crystal.
TEST(Eeprom, ShortPulsesLeaveTheCellUnchanged) {
    struct Row {
        unsigned crystalMHz;
        double ms;
        bool done;
    };
    for (Row row : {Row{8, 8.9, false}, Row{8, 9, true}, Row{16, 8.9, false}, Row{16, 9, true}}) {
        SCOPED_TRACE(::testing::Message() << row.ms << " ms at " << row.crystalMHz << " MHz");
        auto b = unprotectedBoard("68HC11E1", row.crystalMHz);
        const auto result = row.done ? Eeprom::Result::Done : Eeprom::Result::TooShort;
        operation(*b, 0xB600, 0, 0x3C, row.ms);
        EXPECT_EQ(b->read(0xB600), row.done ? 0x3C : 0xFF);
        EXPECT_EQ(b->eeprom().lastOutcome().result, result);
        operation(*b, 0xB600, kByteErase, 0xFF, row.ms);
        EXPECT_EQ(b->eeprom().lastOutcome().result, result);
    }
}

// BPRTn guards exactly its block: the E-series blocks $B600-$B61F, $B620-$B65F,
// $B660-$B6DF, $B6E0-$B7FF, and each chip's own table in the same way.
TEST(Bprot, OneBitGuardsExactlyItsBlock) {
    for (const auto& chip : builtInChips()) {
        if (!chip.hasBprot) continue;
        for (unsigned block = 0; block < 4; ++block) {
            SCOPED_TRACE(::testing::Message() << chip.name << " BPRT" << block);
            const uint16_t first = uint16_t(chip.eepromStart + chip.protectBlocks[block].firstOffset);
            const uint16_t last = uint16_t(chip.eepromStart + chip.protectBlocks[block].lastOffset);
            auto b = unprotectedBoard(chip.name);
            b->resetBootstrap(); // special mode: BPROT writable at any time
            b->write(reg::BPROT, uint8_t(1u << block));
            for (uint16_t a : {first, last}) {
                program(*b, a, 0x00);
                EXPECT_EQ(b->peek(a), 0xFF) << std::hex << a;
                EXPECT_EQ(b->eeprom().lastOutcome().result, Eeprom::Result::Protected);
            }
            for (uint32_t a : {uint32_t(first) - 1, uint32_t(last) + 1}) {
                if (a < chip.eepromStart || a > chip.eepromEnd()) continue;
                program(*b, uint16_t(a), 0x00);
                EXPECT_EQ(b->peek(uint16_t(a)), 0x00) << std::hex << a;
            }
        }
    }
}

TEST(Bprot, EraseKeepsProtectedBlocks) {
    auto b = unprotectedBoard("68HC11E1");
    program(*b, 0xB600, 0x00);
    program(*b, 0xB625, 0x00);
    program(*b, 0xB700, 0x00);
    b->resetBootstrap();
    b->write(reg::BPROT, 0x02); // block 1: $B620-$B65F
    operation(*b, 0xB620, kRowErase);
    EXPECT_EQ(b->peek(0xB625), 0x00);
    EXPECT_EQ(b->eeprom().lastOutcome().result, Eeprom::Result::Protected);
    b->write(reg::BPROT, 0x01); // block 0: $B600-$B61F
    operation(*b, 0xB700, kBulkErase);
    EXPECT_EQ(b->peek(0xB600), 0x00);
    EXPECT_EQ(b->peek(0xB625), 0xFF);
    EXPECT_EQ(b->peek(0xB700), 0xFF);
    EXPECT_EQ(b->eeprom().lastOutcome().result, Eeprom::Result::PartlyProtected);
    b->write(reg::BPROT, 0x0F);
    operation(*b, 0xB700, kBulkErase);
    EXPECT_EQ(b->eeprom().lastOutcome().result, Eeprom::Result::Protected);
}

// Clearable only in the first 64 E cycles in normal modes, at any time in special
// modes; bits can always be set. The A1 has no BPROT: nothing guards its array.
TEST(Bprot, TimeProtectedWriteWindow) {
    for (const auto& chip : builtInChips()) {
        SCOPED_TRACE(chip.name);
        auto b = parkedBoard(chip.name);
        if (!chip.hasBprot) {
            b->write(reg::BPROT, 0x00);
            EXPECT_EQ(b->read(reg::BPROT), 0xFF);
            program(*b, chip.eepromStart, 0x42);
            EXPECT_EQ(b->read(chip.eepromStart), 0x42);
            continue;
        }
        EXPECT_EQ(b->read(reg::BPROT), 0x1F);
        runFor(*b, 63);
        b->write(reg::BPROT, 0x10);
        EXPECT_EQ(b->read(reg::BPROT), 0x10) << "cleared at cycle 63";
        runFor(*b, 1);
        b->write(reg::BPROT, 0x00);
        EXPECT_EQ(b->read(reg::BPROT), 0x10) << "locked from cycle 64";
        b->write(reg::BPROT, 0x03);
        EXPECT_EQ(b->read(reg::BPROT), 0x13) << "bits can still be set";
        program(*b, chip.eepromStart, 0x00);
        EXPECT_EQ(b->eeprom().lastOutcome().result, Eeprom::Result::Protected);
        b->resetBootstrap();
        runFor(*b, 1'000'000);
        b->write(reg::BPROT, 0x00);
        EXPECT_EQ(b->read(reg::BPROT), 0x00) << "special mode";
    }
}

// The CONFIG cell ($103F), written as the Talker writes any byte: a byte erase, then the
// program, 10 ms each. Only the bits the part has change; the CONFIG register keeps what
// the cell held at the last reset.
void writeConfig(Board& b, uint8_t value) {
    operation(b, reg::CONFIG, kByteErase);
    operation(b, reg::CONFIG, 0, value);
}

// A bulk erase reaches CONFIG only when latched at its address; PTCON guards CONFIG on
// the parts with BPROT.
TEST(ConfigCell, ProgrammedAndErasedThroughPprogGuardedByPtcon) {
    for (const auto& chip : builtInChips()) {
        SCOPED_TRACE(chip.name);
        auto b = unprotectedBoard(chip.name);
        const uint8_t written = 0x55 & chip.configBits;
        const auto cells = [&] { return Bytes{b->peek(chip.eepromStart), b->eeprom().configCell()}; };
        program(*b, chip.eepromStart, 0x00);
        writeConfig(*b, 0x55);
        operation(*b, uint16_t(chip.eepromEnd()), kBulkErase);
        EXPECT_EQ(cells(), (Bytes{0xFF, written}));
        program(*b, chip.eepromStart, 0x00);
        operation(*b, reg::CONFIG, kBulkErase);
        EXPECT_EQ(cells(), (Bytes{0xFF, chip.configBits}));

        writeConfig(*b, written);
        b->write(reg::BPROT, bprot::PTCON);
        program(*b, reg::CONFIG, 0x00);
        operation(*b, reg::CONFIG, kBulkErase);
        EXPECT_EQ(b->eeprom().configCell(), chip.hasBprot ? written : chip.configBits);
        EXPECT_EQ(b->read(reg::CONFIG), chip.config) << "the value latched at reset";
    }
}

// Written in bootstrap mode as through the Talker, the cell acts from the next reset:
// NOCOP = 0 lets the watchdog reset a hung program, EEON = 0 takes the EEPROM off the bus.
TEST(ConfigCell, NocopAndEeonActFromTheNextReset) {
    auto b = makeBoard("68HC11F1");
    loadSource(*b, kProgram, " BRA *");
    for (const uint8_t cell : {uint8_t(~config::NOCOP), uint8_t(0xFF), uint8_t(~config::EEON)}) {
        SCOPED_TRACE(int(cell));
        b->resetBootstrap();
        b->write(reg::BPROT, 0x00);
        writeConfig(*b, cell);
        const unsigned resets = b->copResets();
        startProgram(*b, kProgram, {{vec::Cop, kProgram}});
        EXPECT_EQ(b->read(reg::CONFIG), cell);
        runFor(*b, 2 * kCopBaseCycles + kCopBaseCycles / 2);
        EXPECT_EQ(b->copResets() - resets, cell == uint8_t(~config::NOCOP) ? 2u : 0u);
    }
    EXPECT_EQ(b->read(0xFFC0 + vec::Cop), kUnmappedRead) << "the vector is in its cells, off the bus";
}

// The front panel's text commands against a running board (F1, code in RAM, vectors in
// its EEPROM): each command reaches the right pin, and a bad line changes nothing.
constexpr uint16_t kPanelMain = 0x0040;
constexpr uint16_t kIrqHandler = 0x0060;
constexpr uint16_t kXirqHandler = 0x0070;
constexpr uint16_t kIrqCount = 0x0050;
constexpr uint16_t kXirqCount = 0x0051;

// Clears X and I, then spins; each handler counts its entries.
std::unique_ptr<Board> panelBoard() {
    auto b = makeBoard("68HC11F1");
    loadCode(*b, kPanelMain, {0x86, 0x00, 0x06, 0x20, 0xFE});            // LDAA #0; TAP; BRA *
    loadCode(*b, kIrqHandler, {0x7C, 0x00, uint8_t(kIrqCount), 0x3B});   // INC; RTI
    loadCode(*b, kXirqHandler, {0x7C, 0x00, uint8_t(kXirqCount), 0x3B}); // INC; RTI
    startProgram(*b, kPanelMain, {{vec::Irq, kIrqHandler}, {vec::Xirq, kXirqHandler}});
    b->write(reg::OPTION, option::ADPU);
    runFor(*b, 100);
    return b;
}

TEST(PanelCommands, EachCommandDrivesItsPinAndBadLinesChangeNothing) {
    auto b = panelBoard();
    auto run = [&](std::string_view line) { return runPanelCommand(line, *b); };

    // IRQ and XIRQ: 1 holds the pin low, the handler runs until 0 releases it.
    EXPECT_EQ(run("irq 1"), "ok");
    runFor(*b, 300);
    EXPECT_EQ(run("irq 0"), "ok");
    const uint8_t irqs = b->peek(kIrqCount);
    EXPECT_GT(irqs, 0);
    EXPECT_EQ(b->peek(kXirqCount), 0);
    EXPECT_EQ(run("xirq 1"), "ok");
    runFor(*b, 300);
    EXPECT_EQ(run("xirq 0"), "ok");
    runFor(*b, 300);
    EXPECT_GT(b->peek(kXirqCount), 0);
    EXPECT_EQ(b->peek(kIrqCount), irqs);

    // Input pins, read back through the board and through "port".
    const uint8_t portA = b->portAPins();
    EXPECT_EQ(run("pin A 7 1"), "ok");
    EXPECT_EQ(b->portAPins(), portA | 0x80);
    EXPECT_EQ(run("pin C 5 1"), "ok");
    EXPECT_EQ(run("pin d 4 1"), "ok");
    EXPECT_EQ(run("pin E 0 1"), "ok");
    EXPECT_EQ(b->portPins(Port::C), 0x20);
    EXPECT_EQ(b->portPins(Port::D), 0x10);
    EXPECT_EQ(b->portPins(Port::E), 0x01);
    EXPECT_EQ(run("port C"), "port C 20");
    EXPECT_EQ(run("pin C 5 0"), "ok");
    EXPECT_EQ(run("port C"), "port C 00");
    b->write(reg::PORTB, 0x5A);
    EXPECT_EQ(run("leds"), "leds 5A");
    EXPECT_EQ(run("port B"), "port B 5A");

    // A/D: 2 V on channel 3 converts to 255 * 2 / 5 = 102.
    EXPECT_EQ(run("adc 3 2.0"), "ok");
    b->write(reg::ADCTL, 0x03);
    runFor(*b, 128);
    EXPECT_EQ(b->read(reg::ADR1), 102);

    // Bad lines: an error, and every pin and the converter's input as they were.
    for (std::string_view bad : {"pin A 8 1", "pin B 0 1", "pin D 6 1", "pin C 2 x", "pin C 2", "irq 2",
                                 "adc 8 1", "adc 3 5.5", "adc 3 1V", "leds now", "port F", "blink", ""}) {
        SCOPED_TRACE(bad);
        const uint8_t a = b->portAPins();
        EXPECT_EQ(run(bad).rfind("error: ", 0), 0u);
        EXPECT_EQ(b->portAPins(), a);
        EXPECT_EQ(b->portPins(Port::C), 0x00);
        EXPECT_EQ(b->portPins(Port::D), 0x10);
    }
    b->write(reg::ADCTL, 0x03);
    runFor(*b, 128);
    EXPECT_EQ(b->read(reg::ADR1), 102);

    // reset: bootstrap mode, through the caller's RESET when it gives one.
    EXPECT_EQ(run("reset"), "ok");
    EXPECT_EQ(b->phase(), Board::Phase::BootRom);
    int pressed = 0, single = 0;
    const auto press = [&](bool s) { ++pressed, single += s; };
    EXPECT_EQ(runPanelCommand("reset", *b, press), "ok");
    EXPECT_EQ(runPanelCommand("reset single", *b, press), "ok");
    EXPECT_EQ(pressed, 2);
    EXPECT_EQ(single, 1);
    // reset single: the program at the reset vector runs, here one in the EEPROM.
    ASSERT_TRUE(b->poke(0xFFFE, 0xFE) && b->poke(0xFFFF, 0x20));
    EXPECT_EQ(run("reset single"), "ok");
    EXPECT_EQ(b->phase(), Board::Phase::Running);
    EXPECT_EQ(b->cpu().r.pc, 0xFE20);
    EXPECT_EQ(run("reset twice").rfind("error: ", 0), 0u);
}

} // namespace
} // namespace hc11::test
