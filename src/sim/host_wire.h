// The host's end of the board's serial line: the host UART's rate, the characters it
// has sent that are still travelling towards the SCI, and the characters the SCI has
// sent, as the host's UART decodes them at the host's rate.
#pragma once

#include "sci.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace hc11 {

class HostWire {
public:
    explicit HostWire(double eClockHz)
        : eClockHz_(eClockHz) {}

    void setBaud(double baud) { baud_ = baud; }
    double baud() const { return baud_; }
    double bitCycles() const { return eClockHz_ / baud_; }

    // The host UART sends one 8N1 character (or a break: a whole frame of 0s). It starts
    // at max(now, end of the host's previous character) and reaches the SCI when its
    // stop bit ends, 10 bit times later at the host's rate.
    void send(uint8_t value, uint64_t now);
    void sendBreak(uint64_t now);
    // Characters not yet delivered are lost (the host closed or flushed its port).
    void dropPending() { toBoard_.clear(); }

    // When the next host character completes, or kNever.
    uint64_t nextArrival() const { return toBoard_.empty() ? kNever : toBoard_.front().end; }
    TimedFrame popArrival();
    // True when a host character has started on the line at or before `t` and has not
    // yet been delivered.
    bool lineActiveAt(uint64_t t) const { return !toBoard_.empty() && toBoard_.front().start <= t; }

    // A frame the SCI finished sending. A break reaches the host as one $00, whatever
    // the host's rate: a run of back-to-back breaks gives a single $00. Data frames are
    // decoded by sampling at the host's rate; the preamble gives nothing.
    void deliver(const TimedFrame& f);

    std::size_t available() const { return fromBoard_.size(); }
    uint8_t read();
    std::vector<uint8_t> readAll();

private:
    void enqueue(const WireFrame& frame, uint64_t now);

    double eClockHz_;
    double baud_ = 9600;
    uint64_t txFree_ = 0;
    std::deque<TimedFrame> toBoard_;
    std::deque<uint8_t> fromBoard_;
    uint64_t lastBreakEnd_ = kNever;
};

} // namespace hc11
