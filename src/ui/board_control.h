// What the windows may know of a simulated board: its description and its
// RESET button. The program's entry point implements it over the board; the
// windows never see the simulator itself.
#pragma once

#include <QString>

namespace tessaline {

class BoardControl {
public:
    virtual ~BoardControl() = default;
    // "68HC11F1, quartz 8 MHz".
    virtual QString description() const = 0;
    // The user presses RESET with the board wired for bootstrap mode.
    virtual void reset() = 0;
};

} // namespace tessaline
