#include "line_sampling.h"

#include <cmath>

namespace hc11 {

bool WireFrame::levelAt(double t) const {
    if (t < 0) return true;
    const auto bit = static_cast<unsigned>(std::floor(t / bitCycles));
    if (bit >= frameBits()) return true; // idle after the frame
    switch (kind) {
    case Kind::Idle: return true;
    case Kind::Break: return false;
    case Kind::Data: break;
    }
    if (bit == 0) return false;              // start bit
    if (bit == frameBits() - 1) return true; // stop bit
    return (data >> (bit - 1)) & 1;
}

std::optional<SampledCharacter> sampleFrame(const WireFrame& frame, double receiverBitCycles,
                                            uint8_t receiverDataBits) {
    if (frame.kind == WireFrame::Kind::Idle) return std::nullopt; // no start edge
    auto centre = [&](unsigned bit) { return (bit + 0.5) * receiverBitCycles; };
    if (frame.levelAt(centre(0))) return std::nullopt;
    SampledCharacter c;
    for (unsigned i = 0; i < receiverDataBits; ++i)
        if (frame.levelAt(centre(i + 1))) c.data |= uint16_t(1u << i);
    c.framingError = !frame.levelAt(centre(receiverDataBits + 1u));
    return c;
}

bool ratesMismatched(double senderBitCycles, double receiverBitCycles) {
    // Rates are inversely proportional to bit times: sender/receiver = rxBit/txBit.
    return std::fabs(receiverBitCycles / senderBitCycles - 1.0) > kRateTolerance;
}

} // namespace hc11
