#include "host_wire.h"

#include <algorithm>
#include <cmath>

namespace hc11 {

namespace {
constexpr uint8_t kHostDataBits = 8; // the host line is always 8N1
}

void HostWire::enqueue(const WireFrame& frame, uint64_t now) {
    TimedFrame f;
    f.frame = frame;
    f.start = std::max(now, txFree_);
    f.end = f.start + uint64_t(std::llround(frame.frameBits() * frame.bitCycles));
    txFree_ = f.end;
    toBoard_.push_back(f);
}

void HostWire::send(uint8_t value, uint64_t now) {
    WireFrame w;
    w.data = value;
    w.dataBits = kHostDataBits;
    w.bitCycles = bitCycles();
    enqueue(w, now);
}

void HostWire::sendBreak(uint64_t now) {
    WireFrame w;
    w.kind = WireFrame::Kind::Break;
    w.dataBits = kHostDataBits;
    w.bitCycles = bitCycles();
    enqueue(w, now);
}

TimedFrame HostWire::popArrival() {
    TimedFrame f = toBoard_.front();
    toBoard_.pop_front();
    return f;
}

void HostWire::deliver(const TimedFrame& f) {
    switch (f.frame.kind) {
    case WireFrame::Kind::Idle: return;
    case WireFrame::Kind::Break:
        if (f.start != lastBreakEnd_) fromBoard_.push_back(0x00);
        lastBreakEnd_ = f.end;
        return;
    case WireFrame::Kind::Data:
        if (auto c = sampleFrame(f.frame, bitCycles(), kHostDataBits)) fromBoard_.push_back(uint8_t(c->data));
        return;
    }
}

uint8_t HostWire::read() {
    if (fromBoard_.empty()) return 0;
    const uint8_t v = fromBoard_.front();
    fromBoard_.pop_front();
    return v;
}

std::vector<uint8_t> HostWire::readAll() {
    std::vector<uint8_t> out(fromBoard_.begin(), fromBoard_.end());
    fromBoard_.clear();
    return out;
}

} // namespace hc11
