// The board's character display: a 2x16 module driven by an HD44780 controller
// (Hitachi HD44780U data sheet), and its 4x4 keypad (keypad.h).
//
// Wiring on the simulated board, chosen so that both work in single-chip mode on every
// modelled chip (the ports of ports.h):
//   LCD   DB0-DB7  PC0-PC7 (port C, bidirectional: DDRC = $FF to write, $00 to read;
//                  in 4-bit mode only DB4-DB7, PC4-PC7, carry data)
//         RS       PD2  (0: instruction register, 1: data register)
//         RW       PD3  (0: write, 1: read)
//         E        PD4  (the enable strobe)
//         the three control pins are outputs with DDRD = $1C; while one is an input
//         (after reset) a pull-down on the board holds it low.
//   Keypad rows    PB0-PB3 (outputs; the program selects a row by driving it low)
//          columns PE4-PE7 (inputs; pull-ups on the board hold them high, a pressed key
//                  connects its row to its column)
//   The keys are numbered 0-F: row r, column c is key 4r + c.
//
// The controller, as the data sheet's instruction table (Table 6, "Instructions") gives
// it:
//   clear display       0000 0001  spaces into DDRAM, AC = 0, I/D = 1, shift undone
//   return home         0000 001-  AC = 0, shift undone
//   entry mode set      0000 01 I/D S
//   display on/off      0000 1 D C B
//   cursor/display shift 0001 S/C R/L --
//   function set        001 DL N F --
//   set CGRAM address   01 AAAAAA
//   set DDRAM address   1 AAAAAAA
//   read busy flag and address (RS = 0, RW = 1): BF AC6-AC0
//   write data / read data (RS = 1) to or from the RAM AC points to, then AC moves by
//   I/D; a write with S = 1 also shifts the display.
// Execution times at fosc = 270 kHz (Table 6): 37 us for every instruction and data
// access, 1.52 ms for return home; clear display has no figure in the table and is
// taken as long as return home. Reading the busy flag takes no time. Times are counted
// in E cycles of the board.
//
// Busy: while BF = 1 "the HD44780U is in the internal operation mode, and the next
// instruction will not be accepted" (section "Busy Flag"): a write that completes
// while the controller is busy is lost here, and counted (ignoredWrites()). After power
// on, the internal reset keeps BF set for 10 ms ("Initializing by Internal Reset
// Circuit") and leaves: display clear, 8-bit interface, one line, 5x8 font, display,
// cursor and blink off, increment without shift. The board's RESET does not reach the
// module: it keeps its state.
//
// Bus timing: RS and RW are taken when E rises. A write is latched on E's falling edge;
// on a read the controller drives the bus while E is high. The busy flag is sampled at
// the moment the program reads the port; data read is the byte at AC when E rises, and
// AC moves when E falls. In 4-bit mode each byte takes two E pulses on DB4-DB7, the
// high nibble first ("Interfacing to the MPU"); DB0-DB3 are not driven on a read.
//
// DDRAM (80 bytes): with N = 1 (two lines) line 1 is at $00-$27 and line 2 at $40-$67;
// AC runs from $27 to $40 and from $67 back to $00. With N = 0 one line of $00-$4F. The
// module shows 16 characters of each line starting at the display shift (a left shift
// shows the next address); with one line, the second row of the module stays blank.
// CGRAM: 64 bytes, eight 5x8 characters, shown for character codes $00-$07 (and their
// copies $08-$0F).
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace hc11 {

class Lcd {
public:
    static constexpr int kColumns = 16;
    static constexpr int kRows = 2;

    explicit Lcd(double eClockHz);
    // The power-on state (the internal reset), busy for 10 ms from `cycle`.
    void powerOn(uint64_t cycle);

    // The levels of RS, RW, E and DB0-DB7 on the board at `cycle`; acts on E's edges.
    void setPins(uint64_t cycle, bool rs, bool rw, bool e, uint8_t bus);
    // E is high with RW = 1: the controller drives the bus pins in drivenMask().
    bool drivesBus() const { return eHigh_ && rwAtRise_; }
    uint8_t drivenMask() const { return eightBit_ ? 0xFF : 0xF0; }
    // What it drives at `cycle` (meaningful while drivesBus()).
    uint8_t busOutput(uint64_t cycle) const;

    bool busy(uint64_t cycle) const { return cycle < busyUntil_; }
    uint64_t busyUntil() const { return busyUntil_; }
    // The board's time moved on by `cycles` without the module seeing it (a state put
    // back by a step back): a command under way ends that much later.
    void delay(uint64_t cycles) { busyUntil_ += cycles; }
    uint8_t addressCounter() const { return ac_; }
    bool addressInCgram() const { return acInCgram_; }
    // DDRAM at a controller address ($00-$27 and $40-$67 with two lines, $00-$4F with
    // one); CGRAM at $00-$3F.
    uint8_t ddram(uint8_t address) const { return ddram_[ddramIndex(address)]; }
    uint8_t cgram(uint8_t address) const { return cgram_[address & 0x3F]; }
    // The character codes the module shows on row 0 or 1 (16 of them); spaces for a
    // blank row. Display off shows nothing but keeps the codes: see displayOn().
    std::string visibleRow(int row) const;
    // The same row as a person reads it: blank while the display is off, codes outside
    // $20-$7E (CGRAM glyphs, the ROM's other characters) as '?'.
    std::string shownRow(int row) const;
    // The cursor's place on the module, or -1 when it is outside the 16 columns shown
    // or AC points to CGRAM.
    int cursorRow() const;
    int cursorColumn() const;
    bool displayOn() const { return displayOn_; }
    bool cursorOn() const { return cursorOn_; }
    bool blinkOn() const { return blinkOn_; }
    bool eightBit() const { return eightBit_; }
    bool twoLines() const { return twoLines_; }
    bool largeFont() const { return largeFont_; }
    int displayShift() const { return shift_; }
    unsigned ignoredWrites() const { return ignoredWrites_; }

private:
    int ddramIndex(uint8_t address) const;
    uint8_t step(uint8_t address, bool up) const;
    void complete(uint64_t cycle, bool rs, uint8_t value);
    void instruction(uint8_t value, uint64_t cycle);
    void writeData(uint8_t value);
    uint8_t dataAtAc() const;
    void moveAc() {
        ac_ = acInCgram_ ? uint8_t((ac_ + (increment_ ? 1 : -1)) & 0x3F) : step(ac_, increment_);
    }
    void shiftDisplay(bool left);
    uint64_t cyclesOf(double seconds) const;

    double eClockHz_;
    std::array<uint8_t, 80> ddram_{};
    std::array<uint8_t, 64> cgram_{};
    uint8_t ac_ = 0;
    bool acInCgram_ = false;
    int shift_ = 0;
    bool increment_ = true, shiftOnWrite_ = false;
    bool displayOn_ = false, cursorOn_ = false, blinkOn_ = false;
    bool eightBit_ = true, twoLines_ = false, largeFont_ = false;
    uint64_t busyUntil_ = 0;
    bool eHigh_ = false, rsAtRise_ = false, rwAtRise_ = false;
    // 4-bit mode: the first nibble of a pair has gone by, and its value for a write.
    bool secondNibble_ = false;
    uint8_t highNibble_ = 0;
    uint8_t readLatch_ = 0; // the data byte a read cycle outputs
    unsigned ignoredWrites_ = 0;
};

} // namespace hc11
