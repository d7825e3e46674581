// The serial communications interface (MC68HC11A8 TD section 5, M68HC11 RM section 9):
// the BAUD, SCCR1, SCCR2, SCSR and SCDR registers, the double-buffered transmitter,
// the receiver with its flags and their clearing sequences, and the SCI interrupt
// request. Time is the board's E-cycle count, given with every call; the SCI never
// reads a clock of its own.
//
// Modelling choices:
// - TC is cleared like TDRE: read SCSR with TC set, then write SCDR (the clearing
//   sequence for TC is not spelled out in the documents at hand).
// - A write to SCDR always loads the transmit buffer and the character is sent;
//   TDRE/TC are cleared only by the full sequence (SCSR read first).
// - Setting TE sends a preamble (one idle frame) before the first character.
// - NF is never set (the simulated line has no noise). RWU and WAKE are latches with
//   no effect (receiver wake-up is not modelled). TCLR and RCKB are latches, writable
//   only in the special modes. On the F1, SCP2 is a latch that does not change the
//   rate: the rate is E / (16 * P(SCP1:SCP0) * 2^SCR) on every part.
// - With M = 1 a frame is 11 bit times; T8 goes out as the ninth data bit and the
//   ninth received bit lands in R8.
#pragma once

#include "line_sampling.h"

#include <cstdint>
#include <limits>
#include <optional>

namespace hc11 {

inline constexpr uint64_t kNever = std::numeric_limits<uint64_t>::max();

// A frame on the line with its start and end in E cycles.
struct TimedFrame {
    WireFrame frame;
    uint64_t start = 0;
    uint64_t end = 0;
};

// E cycles per bit for a BAUD register value: 16 * P * 2^SCR (A8TD table 5-2), P from
// SCP1:SCP0.
uint32_t sciBitCycles(uint8_t baudRegister);

class Sci {
public:
    explicit Sci(bool hasScp2)
        : hasScp2_(hasScp2) {}

    // Reset: registers to their reset values, nothing in flight, line idle.
    void reset();

    // CPU access to BAUD..SCDR at E cycle `now`, with the side effects of the access
    // (flag clearing sequences, starting the transmitter).
    uint8_t read(uint16_t address, uint64_t now);
    void write(uint16_t address, uint8_t value, uint64_t now, bool specialMode);
    // The register as a read would return it, without side effects.
    uint8_t peek(uint16_t address) const;

    // E cycles per bit at the current BAUD setting: 16 * P * 2^SCR (A8TD table 5-2).
    uint32_t bitCycles() const;
    uint8_t dataBits() const;
    unsigned frameBits() const { return dataBits() + 2u; }
    uint64_t frameCycles() const { return uint64_t(bitCycles()) * frameBits(); }

    // Transmitter: the end of the frame in the shift register, or kNever.
    uint64_t nextTransmitEnd() const { return shifting_ ? shift_.end : kNever; }
    // Completes the frame in the shift register (its end must have come) and starts
    // the next one at that same cycle. Returns the completed frame.
    TimedFrame completeTransmit();

    // Receiver: a character whose stop bit ended at `at`.
    void receive(const SampledCharacter& c, uint64_t at);
    // When the receiver next checks for an idle line, or kNever.
    uint64_t idleCheckTime() const { return idleAt_; }
    // The idle check at idleCheckTime(): `lineActive` tells whether a new character
    // started on RxD before it.
    void idleCheck(bool lineActive);

    // STOP stopped the baud clock for `cycles` E cycles: the frame being shifted out and
    // the idle check take up where they stood.
    void clocksStopped(uint64_t cycles);

    // The SCI interrupt request: RIE with RDRF or OR, ILIE with IDLE, TIE with TDRE,
    // TCIE with TC (A8TD table 9-4: one vector for all five).
    bool interruptPending() const;

    // Transmitter idle: nothing shifting and nothing waiting.
    bool transmitterIdle() const { return !shifting_ && !tdrFull_ && !preamblePending_ && !breakQueued_; }
    uint8_t status() const { return scsr_; }
    // Characters received while RDRF was still set (lost to an overrun).
    uint64_t overruns() const { return overruns_; }

private:
    void startNext(uint64_t now);
    void startFrame(WireFrame::Kind kind, uint16_t data, uint64_t now);

    bool hasScp2_;
    uint8_t baud_ = 0;
    uint8_t sccr1_ = 0;
    uint8_t sccr2_ = 0;
    uint8_t scsr_ = 0;
    uint16_t rdr_ = 0;
    uint8_t tdr_ = 0;
    bool tdrFull_ = false;
    bool preamblePending_ = false;
    bool breakQueued_ = false;
    bool shifting_ = false;
    TimedFrame shift_;
    // Flags seen set by the last SCSR read, which the next SCDR access may clear.
    uint8_t armedReceive_ = 0;
    uint8_t armedTransmit_ = 0;
    uint64_t idleAt_ = kNever;
    uint64_t overruns_ = 0;
};

} // namespace hc11
