// The board's LCD and keypad (src/sim/lcd.h): the two example programs run standalone on
// an F1 from their reset vectors, and the controller driven pin by pin through the ports
// for what the LCD example does not do (4-bit transfers, the busy flag's timing, lines
// and display shift). E = 2 MHz (8 MHz crystal): 37 us = 74 E cycles, 1.52 ms = 3040.
#include "board_test_support.h"
#include "sim/panel_commands.h"

#include <gtest/gtest.h>

#include <string>

namespace hc11::test {
namespace {

constexpr uint8_t kRs = 0x04, kRw = 0x08, kE = 0x10; // PD2, PD3, PD4
constexpr uint64_t kInstructionCycles = 74;
constexpr uint64_t kClearCycles = 3040;
constexpr uint64_t kPowerOnCycles = 20'000; // 10 ms

std::string ddramText(const Lcd& lcd, uint8_t from, int count) {
    std::string s;
    for (int i = 0; i < count; ++i)
        s += char(lcd.ddram(uint8_t(from + i)));
    return s;
}

TEST(LcdExample, WritesBothLinesPollingTheBusyFlag) {
    auto board = boardWith("lcd.s19");
    Board& b = *board;
    b.fitLcdAndKeypad();
    b.resetSingleChip();
    constexpr uint16_t kFin = 0xFE2B; // "fin BRA fin", after the last character
    ASSERT_TRUE(b.runUntilPc(kFin, 100'000));
    const Lcd& lcd = b.lcd();
    EXPECT_EQ(ddramText(lcd, 0x00, 16), "Tessaline 68HC11");
    EXPECT_EQ(ddramText(lcd, 0x40, 14), "Afficheur 2x16");
    EXPECT_EQ(lcd.visibleRow(0), "Tessaline 68HC11");
    EXPECT_EQ(lcd.visibleRow(1), "Afficheur 2x16  ");
    EXPECT_TRUE(lcd.displayOn() && lcd.twoLines() && lcd.eightBit());
    EXPECT_EQ(lcd.ignoredWrites(), 0u) << "every write waited for BF = 0";
    EXPECT_EQ(lcd.cursorRow(), 1);
    EXPECT_EQ(lcd.cursorColumn(), 14);
    // Power-on (10 ms), the clear (1.52 ms) and 34 writes of 37 us: the waits dominate.
    EXPECT_GT(b.cycleCount(), kPowerOnCycles + kClearCycles + 34 * kInstructionCycles);
    EXPECT_LT(b.cycleCount(), kPowerOnCycles + kClearCycles + 34 * 2 * kInstructionCycles);
    EXPECT_EQ(runPanelCommand("lcd", b), "lcd \"Tessaline 68HC11\" \"Afficheur 2x16  \"");
}

TEST(KeypadExample, ShowsThePressedKeyOnTheLeds) {
    auto board = boardWith("clavier.s19");
    Board& b = *board;
    b.fitLcdAndKeypad();
    b.resetSingleChip();
    constexpr uint16_t kTouche = 0x0101;
    runFor(b, 2000);
    EXPECT_EQ(b.peek(kTouche), 0xFF) << "no key yet";
    for (const auto& [row, column] : {std::pair{1, 1}, {3, 2}, {0, 0}, {2, 3}}) {
        b.releaseAllKeys();
        b.pressKey(row, column);
        runFor(b, 2000);
        const int key = 4 * row + column;
        EXPECT_EQ(b.peek(kTouche), key);
        EXPECT_EQ(b.portPins(Port::B) >> 4, key) << "PB4-PB7";
    }
    b.releaseAllKeys();
    runFor(b, 2000);
    EXPECT_EQ(b.peek(kTouche), 11) << "the last key stays";
    EXPECT_EQ(runPanelCommand("key e", b), "ok");
    runFor(b, 2000);
    EXPECT_EQ(b.peek(kTouche), 14);
    EXPECT_EQ(runPanelCommand("key 10", b), "error: key takes a hex digit 0-F or none");
}

// The controller worked from outside through the F1's ports, the CPU parked.
class LcdPins : public ::testing::Test {
protected:
    void SetUp() override {
        park(b);
        b.fitLcdAndKeypad();
        b.write(reg::DDRD, kRs | kRw | kE);
    }
    // One E pulse writing `bus` (PC0-PC7) with RS.
    void pulse(bool rs, uint8_t bus) {
        b.write(reg::DDRC, 0xFF);
        b.write(reg::PORTC_F1, bus);
        b.write(reg::PORTD, rs ? kRs : 0);
        b.write(reg::PORTD, (rs ? kRs : 0) | kE);
        b.write(reg::PORTD, rs ? kRs : 0);
    }
    // One E pulse reading port C with RW = 1.
    uint8_t readPulse(bool rs) {
        b.write(reg::DDRC, 0x00);
        b.write(reg::PORTD, (rs ? kRs : 0) | kRw | kE);
        const uint8_t v = b.read(reg::PORTC_F1);
        b.write(reg::PORTD, (rs ? kRs : 0) | kRw);
        return v;
    }
    void send4(bool rs, uint8_t v) {
        pulse(rs, v & 0xF0);
        pulse(rs, uint8_t(v << 4));
    }
    uint8_t read4(bool rs) {
        const uint8_t high = readPulse(rs) & 0xF0;
        return uint8_t(high | readPulse(rs) >> 4);
    }
    std::unique_ptr<Board> owner = makeBoard("68HC11F1");
    Board& b = *owner;
    const Lcd& lcd = b.lcd();
};

TEST_F(LcdPins, FourBitTransfersAndTheBusyFlag) {
    EXPECT_EQ(readPulse(false) & 0x80, 0x80) << "busy 10 ms after power on";
    pulse(false, 0x38);
    EXPECT_EQ(lcd.ignoredWrites(), 1u) << "a write while busy is lost";
    EXPECT_FALSE(lcd.twoLines());
    runFor(b, kPowerOnCycles);
    pulse(false, 0x28); // function set, 8-bit transfer: 4 bits from now on
    ASSERT_FALSE(lcd.eightBit());
    runFor(b, kInstructionCycles);
    send4(false, 0x0E);
    runFor(b, kInstructionCycles);
    EXPECT_TRUE(lcd.twoLines() && lcd.displayOn() && lcd.cursorOn() && !lcd.blinkOn());
    send4(true, 'A');
    EXPECT_EQ(read4(false), 0x81) << "BF = 1 right after a write, AC already moved";
    send4(true, 'B'); // lost: still busy
    runFor(b, kInstructionCycles - 1);
    EXPECT_EQ(read4(false), 0x81) << "37 us";
    runFor(b, 1);
    EXPECT_EQ(read4(false), 0x01);
    send4(true, 'C');
    runFor(b, kInstructionCycles);
    EXPECT_EQ(ddramText(lcd, 0, 3), "AC ");
    EXPECT_EQ(lcd.ignoredWrites(), 2u);
    send4(false, 0x80); // DDRAM address 0, then read back: AC follows the reads
    runFor(b, kInstructionCycles);
    EXPECT_EQ(read4(true), 'A');
    EXPECT_EQ(read4(true), 'C');
    EXPECT_EQ(lcd.addressCounter(), 2);
    send4(false, 0x01); // clear: 1.52 ms
    runFor(b, kClearCycles - 1);
    EXPECT_TRUE(lcd.busy(b.cycleCount()));
    runFor(b, 1);
    EXPECT_EQ(read4(false), 0x00);
    EXPECT_EQ(lcd.visibleRow(0), std::string(16, ' '));
}

TEST_F(LcdPins, LinesWrapAndTheDisplayShifts) {
    runFor(b, kPowerOnCycles);
    const auto instruction = [&](bool rs, uint8_t v) {
        pulse(rs, v);
        runFor(b, kInstructionCycles);
    };
    instruction(false, 0x38); // 8 bits, two lines
    instruction(false, 0x80 | 0x26);
    for (char c : std::string("xyz"))
        instruction(true, uint8_t(c));
    EXPECT_EQ(lcd.ddram(0x26), 'x');
    EXPECT_EQ(lcd.ddram(0x27), 'y');
    EXPECT_EQ(lcd.ddram(0x40), 'z') << "$27 is followed by $40";
    instruction(false, 0x18); // display shift left: the window starts at $01
    EXPECT_EQ(lcd.displayShift(), 1);
    instruction(false, 0x80 | 0x00);
    instruction(true, '0');
    EXPECT_EQ(lcd.visibleRow(0)[15], ' ');
    EXPECT_EQ(lcd.cursorColumn(), 0) << "AC $01 in the first column";
    instruction(false, 0x1C); // shift right twice: $27 shows in the first column
    instruction(false, 0x1C);
    EXPECT_EQ(lcd.visibleRow(0).substr(0, 2), "y0");
    EXPECT_EQ(lcd.visibleRow(1).substr(0, 2), " z");
    instruction(false, 0x07); // entry mode: increment and shift on write
    instruction(false, 0x40 | 0x3F);
    instruction(true, 0x1F); // CGRAM, no shift there; AC wraps to $00
    EXPECT_EQ(lcd.cgram(0x3F), 0x1F);
    EXPECT_TRUE(lcd.addressInCgram());
    EXPECT_EQ(lcd.addressCounter(), 0x00);
    instruction(false, 0x80 | 0x05);
    instruction(true, '!');
    EXPECT_EQ(lcd.displayShift(), 0) << "a DDRAM write with S = 1 shifts the display left, back to $00";
}

} // namespace
} // namespace hc11::test
