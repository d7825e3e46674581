#include "board_clock.h"

#include <algorithm>
#include <cmath>

namespace tessaline {

BoardClock::BoardClock(SimSerialLine& ligne, double debut)
    : ligne_(ligne)
    , debut_(debut) {}

double BoardClock::boardSeconds() const {
    const hc11::Board& b = ligne_.board();
    return static_cast<double>(b.cycleCount()) / b.eClockHz();
}

double BoardClock::now() {
    return std::fmod(debut_ + boardSeconds(), SecondesParJour);
}

void BoardClock::processEvents() {
    runDue();
}

void BoardClock::waitForEvents(double maxSeconds) {
    hc11::Board& b = ligne_.board();
    const uint64_t maintenant = b.cycleCount();
    uint64_t fin =
        maintenant + std::max<uint64_t>(1, static_cast<uint64_t>(std::ceil(maxSeconds * b.eClockHz())));
    for (const auto& p : planned_)
        fin = std::min(fin, std::max(p.first, maintenant + 1));
    // Bytes already waiting have been seen by the reader: run to the end of the
    // wait rather than stop at once on them.
    if (b.hostAvailable() > 0)
        b.runUntil(fin);
    else
        b.runUntilHostData(fin);
    ligne_.signalerDonnees();
    runDue();
}

void BoardClock::after(double seconds, std::function<void()> action) {
    const hc11::Board& b = ligne_.board();
    planned_.emplace_back(b.cycleCount() + static_cast<uint64_t>(std::llround(seconds * b.eClockHz())),
                          std::move(action));
}

void BoardClock::runDue() {
    ++profondeur_;
    const uint64_t maintenant = ligne_.board().cycleCount();
    for (std::size_t i = 0; i < planned_.size();) {
        if (planned_[i].first <= maintenant) {
            auto action = std::move(planned_[i].second);
            planned_.erase(planned_.begin() + static_cast<std::ptrdiff_t>(i));
            action();
        } else {
            ++i;
        }
    }
    --profondeur_;
}

} // namespace tessaline
