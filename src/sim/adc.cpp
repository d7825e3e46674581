#include "adc.h"

#include "registers.h"

#include <algorithm>
#include <cmath>

namespace hc11 {

namespace {
constexpr double kVrl = 0.0;
constexpr double kVrh = 5.0;
constexpr uint64_t kSequence = 4;
} // namespace

void AdConverter::reset(uint64_t now) {
    // ADCTL's CCF and the results are undefined after reset (RM 12.4); no sequence runs.
    adctl_ = 0;
    running_ = false;
    start_ = now;
    done_ = 0;
}

bool AdConverter::isRegister(uint16_t a) {
    return a >= reg::ADCTL && a <= reg::ADR4;
}

uint8_t AdConverter::convert(double volts) {
    const double v = std::clamp(volts, kVrl, kVrh);
    return uint8_t(std::lround(255.0 * (v - kVrl) / (kVrh - kVrl)));
}

int AdConverter::channelOf(uint64_t conversion) const {
    if (!(adctl_ & adctl::MULT)) return adctl_ & adctl::ChannelMask;
    return (adctl_ & adctl::GroupMask) | int(conversion % kSequence);
}

double AdConverter::level(int channel) const {
    // Channels 0-7 are PE0-PE7; 12, 13 and 14 are the internal VRH, VRL and VRH/2
    // references, 8-11 and 15 are reserved and read VRL here (RM 12.4, ADCTL channel
    // assignments).
    if (channel < 8) return volts_[channel];
    if (channel == 12) return kVrh;
    if (channel == 14) return kVrh / 2;
    return kVrl;
}

void AdConverter::sync(uint64_t now) {
    if (!running_ || now < start_) return;
    uint64_t finished = (now - start_) / kAdcConversionCycles;
    if (!(adctl_ & adctl::SCAN)) finished = std::min(finished, kSequence);
    // Only the last four conversions can still be seen in ADR1-ADR4.
    if (finished > done_ + kSequence) done_ = finished - kSequence;
    for (; done_ < finished; ++done_)
        results_[done_ % kSequence] = convert(level(channelOf(done_)));
    if (done_ >= kSequence) {
        adctl_ |= adctl::CCF;
        if (!(adctl_ & adctl::SCAN)) running_ = false;
    }
}

uint8_t AdConverter::value(uint16_t a) const {
    if (a == reg::ADCTL) return adctl_;
    return results_[a - reg::ADR1];
}

void AdConverter::write(uint16_t a, uint8_t v, uint64_t now, bool powered) {
    if (a != reg::ADCTL) return; // the result registers are read only
    sync(now);
    adctl_ = uint8_t(v & ~adctl::CCF & ~adctl::Unused);
    running_ = powered;
    start_ = now;
    done_ = 0;
}

void AdConverter::setInput(int channel, double volts) {
    volts_[channel & 7] = std::clamp(volts, kVrl, kVrh);
}

} // namespace hc11
