// The clock of the in-process simulated board in virtual time: time is the
// board's E-cycle count, and a wait runs the board (as fast as the machine
// can) until the host has a byte to read or the wait's end. A Talker download
// at 1200 baud costs a fraction of a second; a 200-second time-out, less.
#pragma once

#include "link/event_clock.h"
#include "sim_serial_line.h"

#include <functional>
#include <vector>

namespace tessaline {

class BoardClock : public EventClock {
public:
    // debut: the time of day when the board's cycle count was 0.
    BoardClock(SimSerialLine& ligne, double debut);

    double now() override;
    void processEvents() override;
    void waitForEvents(double maxSeconds) override;
    bool dansUneAttente() const override { return profondeur_ > 0; }

    // Runs `action` once, `seconds` of board time from now, as a click or a
    // timer tick would during a wait (tests: a Cancel button, a RESET).
    void after(double seconds, std::function<void()> action);
    // Board seconds since the clock started. A board built anew behind the
    // line (another chip or crystal) starts at cycle 0: its time continues
    // that of the board before it.
    double boardSeconds();

private:
    void runDue();

    SimSerialLine& ligne_;
    double debut_;
    const hc11::Board* vue_ = nullptr;
    double avant_ = 0;    // board seconds of the boards before this one
    double derniere_ = 0; // this board's seconds, last seen
    std::vector<std::pair<double, std::function<void()>>> planned_;
    int profondeur_ = 0; // the planned actions run inside a wait
};

} // namespace tessaline
