// Maps a monotonic clock to the board's E-cycle count, so that a driver can run the
// board in real time: the cycle the board should have reached now is the cycle at the
// start plus the elapsed time times E. Virtual-time runs need none of this: they call
// Board::runUntil directly.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace hc11 {

class RealTimePacer {
public:
    using Clock = std::function<std::chrono::nanoseconds()>;
    // The process's monotonic clock.
    static std::chrono::nanoseconds steadyNow();

    explicit RealTimePacer(double eClockHz, Clock clock = steadyNow);

    // From now on, `cycle` corresponds to the present moment.
    void start(uint64_t cycle);
    // The cycle the board should have reached now.
    uint64_t targetCycle() const;
    // How long until `cycle` is due (zero when it is already due).
    std::chrono::nanoseconds timeUntil(uint64_t cycle) const;
    // When the board has fallen more than `maxLag` behind (a stalled host), moves the
    // origin so that the board resumes from `cycle` without a catch-up burst.
    void limitLag(uint64_t cycle, std::chrono::nanoseconds maxLag);

private:
    double eClockHz_;
    Clock clock_;
    std::chrono::nanoseconds origin_{0};
    uint64_t originCycle_ = 0;
};

} // namespace hc11
