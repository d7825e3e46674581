#include "free_running_timer.h"

#include "registers.h"

namespace hc11 {

void FreeRunningTimer::reset(uint64_t now) {
    epoch_ = now;
    countAtEpoch_ = 0;
    prescale_ = tmsk2::Prescale[0];
}

uint16_t FreeRunningTimer::count(uint64_t now) const {
    return uint16_t(countAtEpoch_ + (now - epoch_) / prescale_);
}

void FreeRunningTimer::setPrescalerBits(uint8_t prBits, uint64_t now) {
    const uint32_t p = tmsk2::Prescale[prBits & tmsk2::PRMask];
    if (p == prescale_) return;
    // Keep the count continuous across the change.
    countAtEpoch_ = count(now);
    epoch_ = now;
    prescale_ = p;
}

} // namespace hc11
