// The main timer's free-running counter TCNT ($100E/$100F), derived from the E-cycle
// count: it starts at $0000 at reset and counts E / prescaler, the prescaler being
// chosen by TMSK2 PR1:PR0 (1, 4, 8, 16; time-protected). Output compares, input
// captures, the timer flags and their interrupts are not modelled: their registers are
// plain latches on the board. TCNT writes are ignored (they count only in test mode).
#pragma once

#include <cstdint>

namespace hc11 {

class FreeRunningTimer {
public:
    void reset(uint64_t now);
    uint16_t count(uint64_t now) const;
    uint32_t prescale() const { return prescale_; }
    // PR1:PR0 from a TMSK2 write; applied only when time-protected bits are writable.
    void setPrescalerBits(uint8_t prBits, uint64_t now);

private:
    uint64_t epoch_ = 0;
    uint16_t countAtEpoch_ = 0;
    uint32_t prescale_ = 1;
};

} // namespace hc11
