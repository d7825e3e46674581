// A clock that only moves when the code under test waits: a 200-second
// time-out costs microseconds. Things that live in virtual time (a scripted
// target, the simulated board) register as sources and are advanced with it.
#pragma once

#include "link/event_clock.h"

#include <functional>
#include <limits>
#include <vector>

namespace tessaline::test {

class VirtualTimeSource {
public:
    virtual ~VirtualTimeSource() = default;
    // Seconds until this source has something to deliver (infinity: nothing planned).
    virtual double secondsToNextEvent() const = 0;
    virtual void advance(double seconds) = 0;
};

class VirtualClock : public EventClock {
public:
    // The time of day at which the clock starts, in seconds since midnight.
    explicit VirtualClock(double debut = 10 * 3600.0)
        : t_(debut) {}

    double now() override;
    void processEvents() override;
    void waitForEvents(double maxSeconds) override;
    void wake() override {}
    bool applicationAlive() override { return alive; }

    void addSource(VirtualTimeSource* source) { sources_.push_back(source); }
    // Runs `action` once, `seconds` from now, as an event would (a click, a
    // timer): a wait in progress ends there.
    void after(double seconds, std::function<void()> action);
    // Virtual seconds since the clock was made.
    double elapsed() const { return elapsed_; }

    bool alive = true;
    int processed = 0;
    int waits = 0;

private:
    // Moves time on by exactly `seconds` (sources included).
    void advance(double seconds);

    double t_;
    double elapsed_ = 0;
    std::vector<VirtualTimeSource*> sources_;
    std::vector<std::pair<double, std::function<void()>>> planned_;
};

} // namespace tessaline::test
