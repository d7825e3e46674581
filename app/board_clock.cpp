#include "board_clock.h"

#include <algorithm>
#include <cmath>

namespace tessaline {

BoardClock::BoardClock(SimSerialLine& ligne, double debut)
    : ligne_(ligne)
    , debut_(debut) {}

double BoardClock::boardSeconds() {
    const hc11::Board& b = ligne_.board();
    if (&b != vue_) {
        avant_ += derniere_;
        vue_ = &b;
    }
    derniere_ = static_cast<double>(b.cycleCount()) / b.eClockHz();
    return avant_ + derniere_;
}

double BoardClock::now() {
    return std::fmod(debut_ + boardSeconds(), SecondesParJour);
}

void BoardClock::processEvents() {
    runDue();
}

void BoardClock::waitForEvents(double maxSeconds) {
    hc11::Board& b = ligne_.board();
    const double secondes = boardSeconds();
    for (const auto& p : planned_)
        maxSeconds = std::min(maxSeconds, p.first - secondes);
    maxSeconds = std::max(maxSeconds, 0.0);
    const uint64_t fin =
        b.cycleCount() + std::max<uint64_t>(1, static_cast<uint64_t>(std::ceil(maxSeconds * b.eClockHz())));
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
    planned_.emplace_back(boardSeconds() + seconds, std::move(action));
}

void BoardClock::runDue() {
    ++profondeur_;
    const double maintenant = boardSeconds();
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
