// The board's 4x4 keypad: sixteen keys at the crossings of four rows and four columns
// (wired as lcd.h says: rows on PB0-PB3, columns on PE4-PE7 with pull-ups). A pressed
// key connects its row to its column, so a column reads low when a pressed key joins it
// to a row the program drives low, and high otherwise. Several keys may be held at once.
#pragma once

#include <cstdint>

namespace hc11 {

class Keypad {
public:
    static constexpr int kSize = 4;

    void press(int row, int column) {
        if (valid(row, column)) pressed_ = uint16_t(pressed_ | bit(row, column));
    }
    void release(int row, int column) {
        if (valid(row, column)) pressed_ = uint16_t(pressed_ & ~bit(row, column));
    }
    void releaseAll() { pressed_ = 0; }
    bool isPressed(int row, int column) const { return valid(row, column) && (pressed_ & bit(row, column)); }

    // The column levels (bit c: column c) for the row levels `rows` (bit r: row r).
    uint8_t columns(uint8_t rows) const {
        uint8_t levels = 0x0F;
        for (int r = 0; r < kSize; ++r)
            if (!(rows >> r & 1))
                for (int c = 0; c < kSize; ++c)
                    if (pressed_ & bit(r, c)) levels = uint8_t(levels & ~(1u << c));
        return levels;
    }

private:
    static bool valid(int row, int column) {
        return row >= 0 && row < kSize && column >= 0 && column < kSize;
    }
    static uint16_t bit(int row, int column) { return uint16_t(1u << (row * kSize + column)); }
    uint16_t pressed_ = 0;
};

} // namespace hc11
