#include "real_time_pacer.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace hc11 {

std::chrono::nanoseconds RealTimePacer::steadyNow() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

RealTimePacer::RealTimePacer(double eClockHz, Clock clock)
    : eClockHz_(eClockHz)
    , clock_(std::move(clock)) {
    start(0);
}

void RealTimePacer::start(uint64_t cycle) {
    origin_ = clock_();
    originCycle_ = cycle;
}

uint64_t RealTimePacer::targetCycle() const {
    const auto elapsed = clock_() - origin_;
    if (elapsed.count() <= 0) return originCycle_;
    return originCycle_ + uint64_t(double(elapsed.count()) * eClockHz_ / 1e9);
}

std::chrono::nanoseconds RealTimePacer::timeUntil(uint64_t cycle) const {
    if (cycle <= originCycle_) return std::chrono::nanoseconds(0);
    const double dueNs = std::ceil(double(cycle - originCycle_) * 1e9 / eClockHz_);
    const auto due = origin_ + std::chrono::nanoseconds(int64_t(std::min(dueNs, 9e18)));
    const auto now = clock_();
    return due > now ? due - now : std::chrono::nanoseconds(0);
}

void RealTimePacer::limitLag(uint64_t cycle, std::chrono::nanoseconds maxLag) {
    const uint64_t target = targetCycle();
    const auto maxLagCycles = uint64_t(double(maxLag.count()) * eClockHz_ / 1e9);
    if (target > cycle && target - cycle > maxLagCycles) start(cycle);
}

} // namespace hc11
