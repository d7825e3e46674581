#include "virtual_clock.h"

#include <algorithm>
#include <cmath>

namespace tessaline::test {

namespace {
// A wait always lets some time pass, so that loops waiting on the clock end.
constexpr double PasMinimal = 1e-6;
} // namespace

double VirtualClock::now() {
    return std::fmod(t_, SecondesParJour);
}

void VirtualClock::processEvents() {
    ++processed;
}

void VirtualClock::waitForEvents(double maxSeconds) {
    ++waits;
    double pas = std::max(maxSeconds, 0.0);
    for (const VirtualTimeSource* s : sources_)
        pas = std::min(pas, s->secondsToNextEvent());
    for (const auto& p : planned_)
        pas = std::min(pas, p.first - elapsed_);
    advance(std::max(pas, PasMinimal));
}

void VirtualClock::after(double seconds, std::function<void()> action) {
    planned_.emplace_back(elapsed_ + seconds, std::move(action));
}

void VirtualClock::advance(double seconds) {
    for (VirtualTimeSource* s : sources_)
        s->advance(seconds);
    t_ += seconds;
    elapsed_ += seconds;
    // Planned actions that are due run now, in the order they were planned.
    for (std::size_t i = 0; i < planned_.size();) {
        if (planned_[i].first <= elapsed_ + 1e-12) {
            auto action = std::move(planned_[i].second);
            planned_.erase(planned_.begin() + std::ptrdiff_t(i));
            action();
        } else {
            ++i;
        }
    }
}

} // namespace tessaline::test
