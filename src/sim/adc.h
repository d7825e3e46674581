// The A/D converter (M68HC11 RM section 12): eight channels on port E, an 8-bit
// successive-approximation converter and four result registers ADR1-ADR4.
//
// Writing ADCTL (CCF - SCAN MULT CD CC CB CA) starts a sequence of four conversions and
// clears CCF. Each conversion takes 32 E cycles (RM 12.3); result n lands in ADRn at the
// end of conversion n, and CCF is set with the fourth. MULT = 0 converts the selected
// channel four times; MULT = 1 converts the four channels of the group CD:CC (CB:CA
// ignored; CD = 1 selects the internal reference channels). SCAN = 1 keeps converting, overwriting ADR1-ADR4
// in turn; CCF stays set.
//
// The converter works only while OPTION.ADPU is set (RM 12.1: the charge pump and
// comparator are powered by ADPU); a sequence started with ADPU clear leaves the
// results alone. CSEL (the RC clock) changes nothing here: the conversion time is
// counted in E cycles either way.
//
// Transfer function: VRL = 0 V reads $00, VRH = 5 V reads $FF, in between the nearest
// step, round(255 * (V - VRL) / (VRH - VRL)) (RM 12.2, ideal 8-bit conversion). The
// levels sampled are those on the pins when each conversion ends.
#pragma once

#include <array>
#include <cstdint>

namespace hc11 {

inline constexpr unsigned kAdcConversionCycles = 32;

class AdConverter {
public:
    void reset(uint64_t now);
    static bool isRegister(uint16_t address);
    // Brings ADR1-ADR4 and CCF up to `now`; reads do not change the converter.
    void sync(uint64_t now);
    uint8_t value(uint16_t address) const;
    void write(uint16_t address, uint8_t value, uint64_t now, bool powered);
    // Channel 0-7 voltage, clamped to VRL..VRH. Call sync first so that conversions
    // already finished keep the earlier level.
    void setInput(int channel, double volts);
    double input(int channel) const { return volts_[channel & 7]; }
    // STOP stopped the clocks for `cycles` E cycles: a conversion under way takes up
    // where it stood.
    void clocksStopped(uint64_t cycles) { start_ += cycles; }
    // The 8-bit result the converter gives for `volts`.
    static uint8_t convert(double volts);

private:
    int channelOf(uint64_t conversion) const;
    double level(int channel) const;

    std::array<double, 8> volts_{};
    std::array<uint8_t, 4> results_{};
    uint8_t adctl_ = 0;
    bool running_ = false;
    uint64_t start_ = 0;
    uint64_t done_ = 0; // conversions of the current sequence already stored
};

} // namespace hc11
