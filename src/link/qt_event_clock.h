// The real clock and event pump: the time of day from the system clock, and
// waits that sleep on the Qt event loop until an event arrives.
#pragma once

#include "link/event_clock.h"

#include <functional>

namespace tessaline {

class QtEventClock : public EventClock {
public:
    double now() override;
    void processEvents() override;
    void waitForEvents(double maxSeconds) override;
    void wake() override;
    bool applicationAlive() override { return !alive_ || alive_(); }
    bool dansUneAttente() const override { return profondeur_ > 0; }

    // The windows tell whether one of them is still open.
    void setAliveCheck(std::function<bool()> alive) { alive_ = std::move(alive); }

private:
    std::function<bool()> alive_;
    int profondeur_ = 0;
};

} // namespace tessaline
