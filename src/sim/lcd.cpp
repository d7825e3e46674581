#include "lcd.h"

#include <cmath>

namespace hc11 {

namespace {
// HD44780U data sheet, Table 6, at fosc = 270 kHz.
constexpr double kInstructionSeconds = 37e-6;
constexpr double kHomeSeconds = 1.52e-3;
// "Initializing by Internal Reset Circuit": BF stays 1 for 10 ms after power on.
constexpr double kPowerOnSeconds = 10e-3;
constexpr int kLineLength = 40; // DDRAM per line with two lines (Figure 5)
constexpr int kDdramSize = 80;
constexpr uint8_t kLine2 = 0x40;
} // namespace

Lcd::Lcd(double eClockHz)
    : eClockHz_(eClockHz) {
    powerOn(0);
}

uint64_t Lcd::cyclesOf(double seconds) const {
    return uint64_t(std::ceil(seconds * eClockHz_));
}

void Lcd::powerOn(uint64_t cycle) {
    ddram_.fill(' ');
    cgram_.fill(0);
    ac_ = 0;
    acInCgram_ = false;
    shift_ = 0;
    increment_ = true;
    shiftOnWrite_ = false;
    displayOn_ = cursorOn_ = blinkOn_ = false;
    eightBit_ = true;
    twoLines_ = largeFont_ = false;
    busyUntil_ = cycle + cyclesOf(kPowerOnSeconds);
    eHigh_ = rsAtRise_ = rwAtRise_ = false;
    secondNibble_ = false;
    highNibble_ = readLatch_ = 0;
    ignoredWrites_ = 0;
}

int Lcd::ddramIndex(uint8_t a) const {
    if (!twoLines_) return (a & 0x7F) % kDdramSize;
    // Two lines: $00-$27 and $40-$67; the addresses between are not in the RAM and fold
    // onto it here.
    return (a & kLine2 ? kLineLength : 0) + (a & 0x3F) % kLineLength;
}

// The next or previous DDRAM address (Figure 4 and 5: the address counter skips from
// the end of one line to the start of the next).
uint8_t Lcd::step(uint8_t a, bool up) const {
    if (!twoLines_) return uint8_t(up ? (a + 1) % kDdramSize : (a + kDdramSize - 1) % kDdramSize);
    const int line = a & kLine2 ? 1 : 0;
    int col = (a & 0x3F) % kLineLength + (up ? 1 : -1);
    int next = line;
    if (col == kLineLength) {
        col = 0;
        next = 1 - line;
    } else if (col < 0) {
        col = kLineLength - 1;
        next = 1 - line;
    }
    return uint8_t(next * kLine2 + col);
}

uint8_t Lcd::dataAtAc() const {
    return acInCgram_ ? cgram_[ac_ & 0x3F] : ddram_[ddramIndex(ac_)];
}

uint8_t Lcd::busOutput(uint64_t cycle) const {
    // RS = 0: BF and the address counter (AC6-AC0), sampled now; RS = 1: the byte read.
    const uint8_t value =
        rsAtRise_ ? readLatch_ : uint8_t((busy(cycle) ? 0x80 : 0x00) | (ac_ & (acInCgram_ ? 0x3F : 0x7F)));
    if (eightBit_) return value;
    return secondNibble_ ? uint8_t(value << 4) : uint8_t(value & 0xF0);
}

void Lcd::setPins(uint64_t cycle, bool rs, bool rw, bool e, uint8_t bus) {
    if (e == eHigh_) return;
    eHigh_ = e;
    if (e) {
        rsAtRise_ = rs;
        rwAtRise_ = rw;
        if (rw && rs && !secondNibble_) readLatch_ = dataAtAc();
        return;
    }
    // E falls: a read cycle ends, or a write is latched.
    if (!eightBit_ && !secondNibble_) {
        secondNibble_ = true;
        highNibble_ = bus & 0xF0;
        return;
    }
    const uint8_t value = eightBit_ ? bus : uint8_t(highNibble_ | (bus >> 4));
    secondNibble_ = false;
    if (rwAtRise_) {
        if (rsAtRise_) moveAc(); // a data read moves AC as a write does
        return;
    }
    complete(cycle, rsAtRise_, value);
}

void Lcd::complete(uint64_t cycle, bool rs, uint8_t value) {
    if (busy(cycle)) {
        ++ignoredWrites_;
        return;
    }
    busyUntil_ = cycle + cyclesOf(kInstructionSeconds);
    if (rs)
        writeData(value);
    else
        instruction(value, cycle);
}

void Lcd::writeData(uint8_t value) {
    if (acInCgram_) {
        cgram_[ac_ & 0x3F] = value;
    } else {
        ddram_[ddramIndex(ac_)] = value;
        // Entry mode S = 1: the display shifts with each write, left when incrementing
        // (the cursor seems to stay put), right when decrementing.
        if (shiftOnWrite_) shiftDisplay(increment_);
    }
    moveAc();
}

void Lcd::shiftDisplay(bool left) {
    const int span = twoLines_ ? kLineLength : kDdramSize;
    shift_ = (shift_ + (left ? 1 : span - 1)) % span;
}

void Lcd::instruction(uint8_t v, uint64_t cycle) {
    if (v & 0x80) { // set DDRAM address
        ac_ = v & 0x7F;
        acInCgram_ = false;
    } else if (v & 0x40) { // set CGRAM address
        ac_ = v & 0x3F;
        acInCgram_ = true;
    } else if (v & 0x20) { // function set: DL N F
        const bool eight = v & 0x10;
        if (eight != eightBit_) secondNibble_ = false;
        eightBit_ = eight;
        twoLines_ = v & 0x08;
        largeFont_ = v & 0x04;
        shift_ %= twoLines_ ? kLineLength : kDdramSize;
    } else if (v & 0x10) { // cursor or display shift: S/C R/L
        if (v & 0x08)
            shiftDisplay(!(v & 0x04));
        else if (acInCgram_)
            ac_ = uint8_t((ac_ + (v & 0x04 ? 1 : -1)) & 0x3F);
        else
            ac_ = step(ac_, v & 0x04);
    } else if (v & 0x08) { // display on/off control: D C B
        displayOn_ = v & 0x04;
        cursorOn_ = v & 0x02;
        blinkOn_ = v & 0x01;
    } else if (v & 0x04) { // entry mode set: I/D S
        increment_ = v & 0x02;
        shiftOnWrite_ = v & 0x01;
    } else if (v & 0x02) { // return home
        ac_ = 0;
        acInCgram_ = false;
        shift_ = 0;
        busyUntil_ = cycle + cyclesOf(kHomeSeconds);
    } else if (v & 0x01) { // clear display
        ddram_.fill(' ');
        ac_ = 0;
        acInCgram_ = false;
        shift_ = 0;
        increment_ = true;
        busyUntil_ = cycle + cyclesOf(kHomeSeconds);
    }
}

std::string Lcd::visibleRow(int row) const {
    std::string out(kColumns, ' ');
    if (row < 0 || row >= kRows || (row == 1 && !twoLines_)) return out;
    const int span = twoLines_ ? kLineLength : kDdramSize;
    for (int i = 0; i < kColumns; ++i)
        out[i] = char(ddram_[row * kLineLength * twoLines_ + (shift_ + i) % span]);
    return out;
}

std::string Lcd::shownRow(int row) const {
    if (!displayOn_) return std::string(kColumns, ' ');
    std::string text = visibleRow(row);
    for (char& ch : text)
        if (ch < 0x20 || ch > 0x7E) ch = '?';
    return text;
}

int Lcd::cursorRow() const {
    if (acInCgram_ || cursorColumn() < 0) return -1;
    return twoLines_ && (ac_ & kLine2) ? 1 : 0;
}

int Lcd::cursorColumn() const {
    if (acInCgram_) return -1;
    const int span = twoLines_ ? kLineLength : kDdramSize;
    const int index = twoLines_ ? (ac_ & 0x3F) % kLineLength : ddramIndex(ac_);
    const int column = (index - shift_ + span) % span;
    return column < kColumns ? column : -1;
}

} // namespace hc11
