// The main timer on the board (M68HC11 RM section 10): the counter and its overflow,
// the output compares and their port A pin actions, the input captures, the real-time
// interrupt and the pulse accumulator. The CPU is parked in WAI with interrupts masked,
// so that time moves exactly to each cycle the tests look at.
#include "board_test_support.h"

namespace hc11::test {
namespace {

constexpr uint8_t kTof = tmsk2::TOI;
constexpr uint8_t kRtif = tmsk2::RTII;
constexpr uint8_t kPaovf = tmsk2::PAOVI;
constexpr uint8_t kPaif = tmsk2::PAII;

void write16(Board& b, uint16_t address, uint16_t value) {
    b.write(address, uint8_t(value >> 8));
    b.write(uint16_t(address + 1), uint8_t(value));
}

TEST(MainTimer, OverflowComesEvery65536PrescaledTicksAndFlagsClearByWritingOne) {
    auto b = makeBoard();
    park(*b);
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
    auto b = makeBoard();
    park(*b);
    const uint64_t r0 = b->cycleCount();
    b->write(reg::PACTL, 0x02);
    b->runUntil(r0 + 32767);
    EXPECT_EQ(b->read(reg::TFLG2) & kTof, 0);
    b->runUntil(r0 + 32768);
    EXPECT_EQ(b->read(reg::TFLG2) & kRtif, kRtif);
    b->write(reg::TFLG2, kRtif);
    b->runUntil(r0 + 2 * 32768 - 1);
    EXPECT_EQ(b->read(reg::TFLG2) & kTof, 0);
    b->runUntil(r0 + 2 * 32768);
    EXPECT_EQ(b->read(reg::TFLG2) & kRtif, kRtif);
}

TEST(MainTimer, ComparesDrivePortAPinsAndSetTheirFlags) {
    auto b = makeBoard();
    park(*b);
    const uint64_t r0 = b->cycleCount();
    b->write(reg::DDRA, 0x80);  // the F1: PA7 an output, for OC1
    b->write(reg::TCTL1, 0x30); // OM3:OL3 = 11: OC3 sets PA5
    write16(*b, uint16_t(reg::TOC1 + 4), 100);
    b->write(reg::OC1M, 0x88); // OC1 drives PA7 and PA3...
    b->write(reg::OC1D, 0x80); // ...to 1 and 0
    write16(*b, reg::TOC1, 200);
    b->write(reg::PORTA, 0x28); // PA5 belongs to OC3: only PA3 follows the write
    EXPECT_EQ(b->portAPins(), 0x08);

    b->runUntil(r0 + 99);
    EXPECT_EQ(b->portAPins(), 0x08);
    EXPECT_EQ(b->read(reg::TFLG1), 0);
    b->runUntil(r0 + 100);
    EXPECT_EQ(b->portAPins(), 0x28);
    EXPECT_EQ(b->read(reg::TFLG1), tflg1::ocBit(3));
    b->runUntil(r0 + 200);
    EXPECT_EQ(b->portAPins(), 0xA0);
    EXPECT_EQ(b->read(reg::PORTA), 0xA0);
    EXPECT_EQ(b->read(reg::TFLG1), tflg1::ocBit(1) | tflg1::ocBit(3));

    // CFORC: OC4's toggle happens now, and sets no flag.
    b->write(reg::TCTL1, 0x34);
    b->write(reg::CFORC, tflg1::ocBit(4));
    EXPECT_EQ(b->portAPins(), 0xB0);
    EXPECT_EQ(b->read(reg::TFLG1), tflg1::ocBit(1) | tflg1::ocBit(3));
}

TEST(MainTimer, InputCapturesLatchTcntOnTheirSelectedEdge) {
    auto b = makeBoard();
    park(*b);
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
    auto b = makeBoard();
    park(*b);
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

TEST(MainTimer, Oc2InterruptTogglesPa6EveryNCycles) {
    // The handler moves TOC2 on by 500 from the last compare, so PA6 toggles every
    // 500 E cycles whatever the handler's own time.
    auto b = makeBoard();
    loadCode(*b, 0x0100,
             {
                 0x86, 0x40,       // LDAA #$40
                 0xB7, 0x10, 0x20, // STAA TCTL1   OM2:OL2 = 01, toggle PA6
                 0xB7, 0x10, 0x22, // STAA TMSK1   OC2I
                 0xCC, 0x03, 0xE8, // LDD  #1000
                 0xFD, 0x10, 0x18, // STD  TOC2
                 0x0E,             // CLI
                 0x3E,             // WAI
                 0x20, 0xFD,       // BRA  WAI
             });
    loadCode(*b, 0x0140,
             {
                 0xFC, 0x10, 0x18, // LDD  TOC2
                 0xC3, 0x01, 0xF4, // ADDD #500
                 0xFD, 0x10, 0x18, // STD  TOC2
                 0x86, 0x40,       // LDAA #$40
                 0xB7, 0x10, 0x23, // STAA TFLG1   clear OC2F
                 0x3B,             // RTI
             });
    startProgram(*b, 0x0100, {{vec::Toc2, 0x0140}});
    const uint64_t r0 = b->cycleCount();
    for (uint64_t k = 0; k < 10; ++k) {
        const uint64_t t = r0 + 1000 + 500 * k;
        b->runUntil(t - 1);
        ASSERT_EQ(b->cycleCount(), t - 1);
        EXPECT_EQ(b->portAPins() >> 6 & 1, k & 1) << k;
        b->runUntil(t);
        EXPECT_EQ(b->portAPins() >> 6 & 1, (k + 1) & 1) << k;
    }
}

} // namespace
} // namespace hc11::test
