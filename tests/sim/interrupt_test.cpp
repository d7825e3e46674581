// Interrupts on the board (M68HC11 RM section 5): the fixed priority order and HPRIO's
// PSEL, the IRQ pin (level or edge by OPTION.IRQE), XIRQ and the X bit, WAI woken by the
// real-time interrupt and STOP woken by the IRQ pin, with their entry times in E cycles.
#include "board_test_support.h"
#include "sim/opcode_table.h"

#include <algorithm>
#include <iterator>
#include <tuple>

namespace hc11::test {
namespace {

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
    loadCode(*b, kMain,
             {
                 0xCE, 0x00,  0x70,       // LDX  #$0070
                 0xDF, 0x60,              // STX  $60      list pointer
                 0xCC, 0x08,  0x00,       // LDD  #$0800
                 0xFD, 0x10,  0x18,       // STD  TOC2
                 0xFD, 0x10,  0x1A,       // STD  TOC3
                 0x86, 0x60,              // LDAA #$60
                 0xB7, 0x10,  0x22,       // STAA TMSK1    OC2I | OC3I
                 0x86, hprio,             // LDAA #hprio
                 0xB7, 0x10,  0x3C,       // STAA HPRIO
                 0xFC, 0x10,  0x0E,       // LDD  TCNT
                 0x1A, 0x83,  0x09, 0x00, // CPD  #$0900
                 0x25, 0xF7,              // BLO  back to LDD TCNT
                 0x0E,                    // CLI
                 0x20, 0xFE,              // BRA  *
             });
    for (const auto& [at, id, flag] : {std::tuple{kHandlerA, 2, 0x40}, std::tuple{kHandlerB, 3, 0x20}})
        loadCode(*b, at,
                 {
                     0xDE, 0x60,          // LDX  $60
                     0x86, uint8_t(id),   // LDAA #id
                     0xA7, 0x00,          // STAA 0,X
                     0x08,                // INX
                     0xDF, 0x60,          // STX  $60
                     0x86, uint8_t(flag), // LDAA #flag
                     0xB7, 0x10, 0x23,    // STAA TFLG1
                     0x3B,                // RTI
                 });
    startProgram(*b, kMain, {{vec::Toc2, kHandlerA}, {vec::Toc3, kHandlerB}});
    runFor(*b, 0x0900 + 500);
    EXPECT_EQ(b->peek(0x0061), 0x72) << "each handler ran once";
    return {b->peek(0x0070), b->peek(0x0071)};
}

TEST(Interrupts, TwoPendingAreServedInPriorityOrderAndHprioPromotesOne) {
    EXPECT_EQ(servedOrder(hprio::PSELReset), (std::vector<uint8_t>{2, 3})) << "TOC2 before TOC3";
    EXPECT_EQ(servedOrder(0x0D), (std::vector<uint8_t>{3, 2})) << "PSEL = 1101 raises TOC3";

    // PSEL is written only while I is set.
    auto b = makeBoard();
    park(*b);
    b->cpu().r.ccr &= uint8_t(~ccr::I);
    b->write(reg::HPRIO, 0x0D);
    EXPECT_EQ(b->read(reg::HPRIO) & hprio::PSELMask, hprio::PSELReset);
}

// Waits with I set until the test sets kFlag, then clears I. `option` goes to OPTION
// in the first cycles after reset, where IRQE is writable.
std::unique_ptr<Board> irqBoard(uint8_t option) {
    auto b = makeBoard();
    loadCode(*b, kMain,
             {
                 0x86, option,     // LDAA #option
                 0xB7, 0x10, 0x39, // STAA OPTION
                 0x96, 0x51,       // LDAA kFlag
                 0x27, 0xFC,       // BEQ  back
                 0x0E,             // CLI
                 0x20, 0xFE,       // BRA  *
             });
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

TEST(Interrupts, XirqIsMaskedByXOnlyUntilSoftwareClearsIt) {
    auto b = makeBoard();
    loadCode(*b, kMain,
             {
                 0x96, 0x51, // LDAA kFlag
                 0x27, 0xFC, // BEQ  back
                 0x86, 0x10, // LDAA #$10
                 0x06,       // TAP          X cleared, I set
                 0x86, 0x50, // LDAA #$50
                 0x06,       // TAP          X cannot be set again
                 0x20, 0xFE, // BRA  *
             });
    loadCode(*b, kHandlerA, kCountingHandler);
    startProgram(*b, kMain, {{vec::Xirq, kHandlerA}});
    b->setXirqPinLow(true);
    runFor(*b, 1000);
    EXPECT_EQ(b->peek(kCount), 0) << "X is set after reset";
    b->setXirqPinLow(false);
    b->poke(kFlag, 1);
    runFor(*b, 100);
    EXPECT_EQ(b->cpu().r.ccr & (ccr::X | ccr::I), ccr::I);

    b->setXirqPinLow(true);
    runFor(*b, 20);
    b->setXirqPinLow(false);
    runFor(*b, 200);
    EXPECT_EQ(b->peek(kCount), 1) << "taken with I set";
    EXPECT_EQ(b->cpu().r.ccr & ccr::X, 0) << "RTI restored X clear";
}

TEST(Interrupts, WaiIsWokenByTheRealTimeInterrupt) {
    auto b = makeBoard();
    loadCode(*b, kMain,
             {
                 0x86, 0x40,       // LDAA #$40
                 0xB7, 0x10, 0x24, // STAA TMSK2    RTII
                 0x0E,             // CLI
                 0x3E,             // WAI
                 0x7C, 0x00, 0x53, // INC  $53
                 0x20, 0xFA,       // BRA  WAI
             });
    loadCode(*b, kHandlerA,
             {
                 0x86, 0x40,       // LDAA #$40
                 0xB7, 0x10, 0x25, // STAA TFLG2    clear RTIF
                 0x3B,             // RTI
             });
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
    loadCode(*b, kMain,
             {
                 0x86, 0x40,       // LDAA #$40
                 0xB7, 0x10, 0x24, // STAA TMSK2    RTII
                 0x86, 0x00,       // LDAA #0
                 0x06,             // TAP          S, X, I clear
                 0xCF,             // STOP
                 0x7C, 0x00, 0x53, // INC  $53
                 0x20, 0xFE,       // BRA  *
             });
    loadCode(*b, kHandlerA, kCountingHandler);
    loadCode(*b, kHandlerB, {0x86, 0x40, 0xB7, 0x10, 0x25, 0x3B}); // clear RTIF; RTI
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

TEST(Interrupts, InBootstrapModeATimerInterruptLandsInItsRamPseudoVector) {
    // A downloaded program: OC2 in 1000 cycles, handler reached through the boot ROM's
    // vector $BFE6 -> JMP slot $00DC (AN1060 bootstrap memory map).
    std::vector<uint8_t> image(0xE0, 0x01); // NOPs
    const std::vector<uint8_t> main = {
        0xFC, 0x10, 0x0E, // LDD  TCNT
        0xC3, 0x03, 0xE8, // ADDD #1000
        0xFD, 0x10, 0x18, // STD  TOC2
        0x86, 0x40,       // LDAA #$40
        0xB7, 0x10, 0x22, // STAA TMSK1   OC2I
        0x0E,             // CLI
        0x20, 0xFE,       // BRA  *
    };
    const std::vector<uint8_t> handler = {0x7C, 0x00, 0x50, 0x20, 0xFE}; // INC $50; BRA *
    std::copy(main.begin(), main.end(), image.begin());
    std::copy(handler.begin(), handler.end(), image.begin() + 0x40);
    image[0x50] = 0;
    const uint8_t slot[] = {0x7E, 0x00, 0x40}; // JMP $0040
    std::copy(std::begin(slot), std::end(slot), image.begin() + 0xDC);

    auto b = makeBoard("68HC11F1", 8);
    b->setHostBaud(b->bootFastBaud());
    b->resetBootstrap();
    ASSERT_TRUE(b->runUntilHostData(b->cycleCount() + 100'000));
    b->hostReadAll();
    b->hostSend(0xFF);
    for (uint8_t c : image)
        b->hostSend(c);
    for (int i = 0; i < 1000 && b->phase() != Board::Phase::Running; ++i)
        runFor(*b, 1000);
    ASSERT_EQ(b->phase(), Board::Phase::Running);
    runFor(*b, 2000);
    EXPECT_EQ(b->peek(0x0050), 1);
    EXPECT_EQ(b->cpu().r.pc, 0x0043);
}

} // namespace
} // namespace hc11::test
