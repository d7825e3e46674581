// The board's front panel as a text protocol, one command per line on the simulator's
// standard input, one answer line for each:
//   irq 0|1            IRQ pin: 1 pulls it low (asserted), 0 releases it
//   xirq 0|1           XIRQ pin, the same way
//   pin PORT BIT 0|1   level on an input pin: PA0-PA2 and PA7 (PA3 on the E series, all
//                      of port A on the F1), PC0-PC7, PD0-PD5, PE0-PE7
//   adc CHANNEL VOLTS  voltage on A/D channel 0-7 (PE0-PE7), 0 to 5 V
//                      (with the keypad fitted, PE4-PE7 are its columns: pin and adc
//                      refuse them)
//   leds               port B's pins, "leds XX" (two hex digits, PB7 first)
//   port PORT          a port's pins, "port C XX" (A to E)
//   key K|none         the keypad (lcd.h): K, a hex digit 0-F, holds that key down alone
//                      (row K / 4, column K % 4); none releases every key
//   lcd                the LCD's two rows as shown, 'lcd "ROW1" "ROW2"' (blank while
//                      the display is off; codes outside $20-$7E shown as '?')
//   reset [single]     presses RESET with MODA/MODB for bootstrap mode, or for
//                      normal single-chip mode (the program at the reset vector runs)
// Commands that change a pin answer "ok". An unknown or malformed line answers
// "error: <reason>" and leaves the board as it was.
#pragma once

#include "board.h"

#include <functional>
#include <string>
#include <string_view>

namespace hc11 {

// Runs one line against `board`. `pressReset` is what "reset" does, told whether MODA
// and MODB select single-chip mode (the pseudo-terminal bridge also flushes its line);
// when empty, the board restarts in the mode asked for.
std::string runPanelCommand(std::string_view line, Board& board,
                            const std::function<void(bool singleChip)>& pressReset = {});

} // namespace hc11
