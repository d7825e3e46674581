// What travels on an asynchronous serial line, and how a receiver sampling at its own
// rate reads it. Both ends of the board's SCI line (the chip's receiver and the host's
// UART) decode characters through this one model.
//
// A frame is a start bit (0), 8 or 9 data bits least significant first, and a stop
// bit (1); a break holds the line at 0 for the whole frame. After the frame the line
// is idle (1): the model decodes each character on its own, so a receiver much
// slower than the sender does not see the sender's next character inside its frame.
#pragma once

#include <cstdint>
#include <optional>

namespace hc11 {

struct WireFrame {
    enum class Kind : uint8_t {
        Data,
        Break,
        Idle, // a frame of 1s: the SCI's preamble when its transmitter is enabled
    };
    Kind kind = Kind::Data;
    uint16_t data = 0;
    uint8_t dataBits = 8;
    // Duration of one bit in E cycles at the sender's rate.
    double bitCycles = 0;

    unsigned frameBits() const { return dataBits + 2u; }
    // The line level at `t` E cycles after the frame's first edge.
    bool levelAt(double t) const;
};

struct SampledCharacter {
    uint16_t data = 0;
    // The stop bit was sampled at 0.
    bool framingError = false;
};

// The receiver detects the start edge, then samples the line at the centre of each of
// its own bit times: start bit, `dataBits` data bits, stop bit (the SCI takes three
// samples near each centre, M68HC11 RM section 9; one sample stands for them here).
// Returns nothing when the start bit fails its check (sampled at 1: a start bit much
// shorter than the receiver's bit), as the SCI's start-bit verification does.
std::optional<SampledCharacter> sampleFrame(const WireFrame& frame, double receiverBitCycles,
                                            uint8_t receiverDataBits);

// Two rates further apart than this fraction of the receiver's rate do not hold a
// character together: the board reports a framing error for every character then, as
// the drift across a frame reaches the edge of the stop bit.
inline constexpr double kRateTolerance = 0.04;

// True when a sender with bits of `senderBitCycles` and a receiver with bits of
// `receiverBitCycles` differ by more than kRateTolerance of the receiver's rate.
bool ratesMismatched(double senderBitCycles, double receiverBitCycles);

} // namespace hc11
