// The example programs that drive the board's peripherals, run standalone from their own
// reset vector (RESET in normal single-chip mode) on an F1 with their stored image in
// the EEPROM, timed in E cycles:
// - examples/chenillard.asm: one LED of port B steps every 8 OC2 compares of 50,000 E
//   cycles (TCNT at E, prescaler 1, RM 10.1), up then wrapping, and an edge on IRQ
//   reverses it once;
// - examples/tension.asm: the voltage on PE0 as a bar graph on port B.
#include "board_test_support.h"

#include "sim/eeprom_image.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace hc11::test {
namespace {

// chenillard.asm: the OC2 handler's store to MOTIF and port B.
constexpr uint16_t kAffiche = 0xFE6F;
constexpr uint64_t kStepCycles = 8 * 50'000;
// Handler paths to kAffiche differ by a few instructions; the compares do not drift.
constexpr uint64_t kJitter = 16;
constexpr uint16_t kMotif = 0x0100;

std::unique_ptr<Board> boardWith(const char* image) {
    auto board = makeBoard("68HC11F1");
    std::string error;
    EXPECT_EQ(loadEepromImage(*board, std::string(TESSALINE_EXAMPLES "/") + image, error),
              EepromImageLoad::Loaded)
        << error;
    return board;
}

// Runs to the next LED step; returns the pattern shown and the cycles since `since`.
struct Step {
    int leds;
    uint64_t after;
};
Step nextStep(Board& b, uint64_t& since) {
    runFor(b, 1); // off the store the previous step stopped on
    EXPECT_TRUE(b.runUntilPc(kAffiche, kStepCycles + 1000));
    runFor(b, 8); // STAA MOTIF, STAA PORTB
    const uint64_t at = b.cycleCount();
    const Step s{int(b.portPins(Port::B)), at - since};
    since = at;
    return s;
}

int up(int p) {
    return p == 0x80 ? 0x01 : p << 1;
}
int down(int p) {
    return p == 0x01 ? 0x80 : p >> 1;
}

TEST(Chenillard, StepsEvery400000ECyclesWrapsAndTheIrqEdgeReversesItOnce) {
    auto board = boardWith("chenillard.s19");
    Board& b = *board;
    b.resetSingleChip();
    uint64_t last = b.cycleCount();
    runFor(b, 200);
    ASSERT_EQ(int(b.portPins(Port::B)), 0x01) << "PB0 lit at start";
    EXPECT_EQ(b.cpu().r.sp, 0x03FF) << "its own stack, every call returned";

    // The first step comes 8 periods after the first compare was set, just after reset.
    int expected = 0x01;
    Step s = nextStep(b, last);
    EXPECT_NEAR(double(s.after), double(kStepCycles), 200.0);
    // Up through PB7 and back to PB0.
    for (int i = 0; i < 10; ++i) {
        expected = up(expected);
        ASSERT_EQ(s.leds, expected) << "step " << i;
        ASSERT_EQ(int(b.peek(kMotif)), expected);
        s = nextStep(b, last);
        ASSERT_NEAR(double(s.after), double(kStepCycles), double(kJitter)) << "step " << i;
    }
    expected = up(expected);
    ASSERT_EQ(s.leds, expected);

    // A press held down for three steps: one reversal, not one per step or per cycle.
    runFor(b, kStepCycles / 2);
    b.setIrqPinLow(true);
    for (int i = 0; i < 3; ++i) {
        s = nextStep(b, last);
        expected = down(expected);
        ASSERT_EQ(s.leds, expected) << "held, step " << i;
    }
    b.setIrqPinLow(false);
    // Down through PB0 to PB7 (the wrap the other way), on time.
    for (int i = 0; i < 9; ++i) {
        s = nextStep(b, last);
        expected = down(expected);
        ASSERT_EQ(s.leds, expected) << "down, step " << i;
        ASSERT_NEAR(double(s.after), double(kStepCycles), double(kJitter)) << "down, step " << i;
    }
    // Two quick presses between two steps: two reversals, the same direction again.
    b.setIrqPinLow(true);
    runFor(b, 1000);
    b.setIrqPinLow(false);
    runFor(b, 1000);
    b.setIrqPinLow(true);
    runFor(b, 1000);
    b.setIrqPinLow(false);
    s = nextStep(b, last);
    EXPECT_EQ(s.leds, down(expected));
}

// With the COP on (CONFIG.NOCOP = 0, taking effect at reset), the main loop keeps the
// watchdog fed for seconds of board time while the LED goes on stepping.
TEST(Chenillard, FeedsTheCopWhenCONFIGTurnsItOn) {
    auto board = boardWith("chenillard.s19");
    Board& b = *board;
    b.programConfig(uint8_t(b.config() & ~config::NOCOP));
    b.resetSingleChip();
    ASSERT_TRUE(b.copEnabled());
    // 15 and a half steps, 3.1 s: the COP times out after 2^15 E cycles (16 ms).
    runFor(b, 15 * kStepCycles + kStepCycles / 2);
    EXPECT_EQ(b.copResets(), 0u);
    int expected = 0x01;
    for (int n = 0; n < 15; ++n)
        expected = up(expected);
    EXPECT_EQ(int(b.portPins(Port::B)), expected);
}

// tension.asm: LED n lights from result 32n + 16 on (VRL = 0 V, VRH = 5 V, RM 12.2).
TEST(Tension, ShowsTheVoltageOnPE0AsABarGraph) {
    auto board = boardWith("tension.s19");
    Board& b = *board;
    b.resetSingleChip();
    const struct {
        double volts;
        int leds;
    } known[] = {{0.0, 0x00}, {1.0, 0x03}, {2.5, 0x0F}, {5.0, 0xFF}};
    for (const auto& k : known) {
        b.setAnalogInput(0, k.volts);
        b.setAnalogInput(1, 5.0 - k.volts); // other channels play no part
        runFor(b, 1000);
        EXPECT_EQ(int(b.portPins(Port::B)), k.leds) << k.volts << " V";
        EXPECT_EQ(int(b.peek(0x0100)), int(AdConverter::convert(k.volts))) << k.volts << " V";
    }
    EXPECT_EQ(b.cpu().r.sp, 0x03FF);
}

} // namespace
} // namespace hc11::test
