#include "main_timer.h"

#include "registers.h"
#include "sci.h"

#include <algorithm>
#include <bit>

namespace hc11 {

namespace {

constexpr uint32_t kCounterModulus = 0x10000;
// The real-time interrupt divides E by 2^13, then by 1, 2, 4 or 8 from PACTL RTR1:RTR0
// (RM 10.3, table "Real-time interrupt rates"): 4.10 ms at E = 2 MHz with RTR = 0.
constexpr unsigned kRtiBaseShift = 13;
// In gated time accumulation PACNT counts E/64 while the gate is open (RM 10.5).
constexpr uint64_t kGatedTickCycles = 64;
constexpr int kCompares = 5;
constexpr int kCaptures = 3;
constexpr int kPaiPin = 7;

} // namespace

void MainTimer::reset(uint64_t now) {
    const uint8_t pins = portAIn_; // the outside keeps driving its pins
    *this = MainTimer{directions_};
    portAIn_ = pins;
    epoch_ = resetCycle_ = synced_ = paSynced_ = now;
    prescale_ = tmsk2::Prescale[0];
    prescaleShift_ = 0;
    // The output compare registers reset to $FFFF (RM 10.2.3).
    toc_.fill(0xFFFF);
    schedule();
}

uint16_t MainTimer::count(uint64_t now) const {
    return uint16_t(countAtEpoch_ + ((clock(now) - epoch_) >> prescaleShift_));
}

void MainTimer::setPrescalerBits(uint8_t prBits, uint64_t now) {
    const uint32_t p = tmsk2::Prescale[prBits & tmsk2::PRMask];
    if (p == prescale_) return;
    sync(now);
    // Keep the count continuous across the change.
    countAtEpoch_ = count(now);
    epoch_ = now;
    prescale_ = p;
    prescaleShift_ = unsigned(std::countr_zero(p));
    schedule();
}

// The cycle, after `after`, at which TCNT steps to `value`.
uint64_t MainTimer::nextMatch(uint16_t value, uint64_t after) const {
    const uint64_t ticks = (after - epoch_) >> prescaleShift_;
    const uint64_t d = uint16_t(value - countAtEpoch_);
    const uint64_t m = ticks + 1 + (d - (ticks + 1)) % kCounterModulus;
    return epoch_ + (m << prescaleShift_);
}

uint64_t MainTimer::nextRtiTick(uint64_t after) const {
    const unsigned shift = kRtiBaseShift + (pactl_ & pactl::RTRMask);
    return resetCycle_ + ((((after - resetCycle_) >> shift) + 1) << shift);
}

bool MainTimer::paiLevel() const {
    return portAPins() & (1u << kPaiPin);
}

bool MainTimer::gateOpen() const {
    if ((pactl_ & (pactl::PAEN | pactl::PAMOD)) != (pactl::PAEN | pactl::PAMOD)) return false;
    // PEDGE = 0: PAI high lets the count run; PEDGE = 1: PAI low does (RM 10.5).
    return paiLevel() != bool(pactl_ & pactl::PEDGE);
}

uint64_t MainTimer::nextPaOverflow(uint64_t after) const {
    if (!gateOpen()) return kNever;
    const uint64_t tick = (after - resetCycle_) / kGatedTickCycles + (256 - pacnt_);
    return resetCycle_ + tick * kGatedTickCycles;
}

// Brings PACNT up to `now` in gated mode; PAOVF when it rolls over from $FF.
void MainTimer::accumulate(uint64_t now) {
    if (gateOpen()) {
        const uint64_t ticks =
            (now - resetCycle_) / kGatedTickCycles - (paSynced_ - resetCycle_) / kGatedTickCycles;
        const uint64_t sum = pacnt_ + ticks;
        if (sum > 0xFF) tflg2_ |= tmsk2::PAOVI;
        pacnt_ = uint8_t(sum);
    }
    paSynced_ = now;
}

void MainTimer::schedule() {
    tOverflow_ = nextMatch(0, synced_);
    tRti_ = nextRtiTick(synced_);
    tPaOverflow_ = nextPaOverflow(synced_);
    for (int n = 1; n <= kCompares; ++n)
        tOc_[n] = nextMatch(toc_[n], synced_);
    updateNext();
}

void MainTimer::updateNext() {
    next_ = std::min({tOverflow_, tRti_, tPaOverflow_, tOc_[1], tOc_[2], tOc_[3], tOc_[4], tOc_[5]});
}

void MainTimer::sync(uint64_t now) {
    now = clock(now);
    while (next_ <= now) {
        const uint64_t t = next_;
        accumulate(t); // sets PAOVF when the accumulator's overflow is the event
        synced_ = t;
        if (t == tOverflow_) {
            tflg2_ |= tmsk2::TOI;
            tOverflow_ = nextMatch(0, t);
        }
        if (t == tRti_) {
            tflg2_ |= tmsk2::RTII;
            tRti_ = nextRtiTick(t);
        }
        if (t == tPaOverflow_) tPaOverflow_ = nextPaOverflow(t);
        const bool pai = paiLevel();
        // OC1 last: when it drives the same pin as another compare, its level stays.
        for (int n = kCompares; n >= 1; --n)
            if (t == tOc_[n]) {
                compare(n);
                tOc_[n] = nextMatch(toc_[n], t);
            }
        if (paiLevel() != pai) {
            // OC1 moved PA7 (an output): the accumulator sees the edge (RM 10.5).
            paiEdge(!pai);
            tPaOverflow_ = nextPaOverflow(t);
        }
        updateNext();
    }
    if (synced_ < now) {
        accumulate(now);
        synced_ = now;
    }
}

uint64_t MainTimer::nextInterruptEvent() const {
    const uint8_t waiting1 = tmsk1_ & ~tflg1_;
    const uint8_t waiting2 = tmsk2_ & ~tflg2_ & tmsk2::InterruptMask;
    if (!waiting1 && !waiting2) return kNever;
    uint64_t t = kNever;
    for (int n = 1; n <= kCompares; ++n)
        if (waiting1 & tflg1::ocBit(n)) t = std::min(t, tOc_[n]);
    if (waiting2 & tmsk2::TOI) t = std::min(t, tOverflow_);
    if (waiting2 & tmsk2::RTII) t = std::min(t, tRti_);
    if (waiting2 & tmsk2::PAOVI) t = std::min(t, tPaOverflow_);
    // OC1 on PA7 made an output gives the accumulator its edges.
    if ((waiting2 & (tmsk2::PAII | tmsk2::PAOVI)) && (oc1m_ & portAOutputs() & (1u << kPaiPin)))
        t = std::min(t, tOc_[1]);
    return t;
}

void MainTimer::compare(int n) {
    tflg1_ |= tflg1::ocBit(n);
    pinAction(n);
}

// OC2-OC5 drive PA6-PA3 as TCTL1 says; OC1 drives the PA7-PA3 pins chosen by OC1M to
// the levels in OC1D (RM 10.2.4, 10.2.5).
void MainTimer::pinAction(int n) {
    if (n == 1) {
        const uint8_t mask = oc1m_ & 0xF8;
        portAOut_ = uint8_t((portAOut_ & ~mask) | (oc1d_ & mask));
        return;
    }
    const uint8_t bit = uint8_t(1u << (8 - n));
    switch ((tctl1_ >> (2 * (kCompares - n))) & 3) {
    case 1: portAOut_ ^= bit; break;
    case 2: portAOut_ &= uint8_t(~bit); break;
    case 3: portAOut_ |= bit; break;
    default: break;
    }
}

bool MainTimer::pinUnderCompare(int pin) const {
    const int n = 8 - pin; // PA6 = OC2 ... PA3 = OC5
    return n >= 2 && n <= kCompares && ((tctl1_ >> (2 * (kCompares - n))) & 3) != 0;
}

// CFORC: the pin actions of the compares whose bit is written as 1 happen now, without
// setting their flags (RM 10.2.6). OC1 last, as for a match.
void MainTimer::forceCompares(uint8_t mask) {
    for (int n = kCompares; n >= 1; --n)
        if (mask & tflg1::ocBit(n)) pinAction(n);
}

void MainTimer::capture(int n, uint64_t now) {
    tic_[n] = count(now);
    tflg1_ |= tflg1::icBit(n);
}

void MainTimer::setPortAInput(int pin, bool high, uint64_t now) {
    if (stopped_) {
        // No clock samples the pins: the level is there, its edge is seen at the restart.
        portAIn_ = high ? uint8_t(portAIn_ | 1u << pin) : uint8_t(portAIn_ & ~(1u << pin));
        return;
    }
    sync(now);
    applyPortAInput(pin, high, now);
    schedule(); // the accumulator's gate may have moved
}

void MainTimer::applyPortAInput(int pin, bool high, uint64_t now) {
    const uint8_t bit = uint8_t(1u << pin);
    if (bool(portAIn_ & bit) == high) return;
    const bool pai = paiLevel();
    portAIn_ ^= bit;
    if (pin < kCaptures)
        captureEdge(pin, high, now);
    else if (paiLevel() != pai) // not while PA7 is an output: the chip drives the pin
        paiEdge(high);
}

// PA2 = IC1, PA1 = IC2, PA0 = IC3; TCTL2 EDGnB:EDGnA = 01 rising, 10 falling, 11 either
// edge (RM 10.2.2).
void MainTimer::captureEdge(int pin, bool high, uint64_t now) {
    const int n = kCaptures - pin;
    const unsigned edges = (tctl2_ >> (2 * (kCaptures - n))) & 3;
    if (edges & (high ? 1u : 2u)) capture(n, now);
}

// An edge on the PA7 pin, driven from outside or by the chip itself: "even when port A
// bit 7 is configured for output, this pin still drives the input to the pulse
// accumulator" (RM 10.5). Event counting counts the edge PEDGE selects and sets PAIF;
// in gated accumulation the edge that closes the gate sets PAIF.
void MainTimer::paiEdge(bool high) {
    if (!(pactl_ & pactl::PAEN)) return;
    const bool risingSelected = pactl_ & pactl::PEDGE;
    if (!(pactl_ & pactl::PAMOD)) {
        if (high != risingSelected) return;
        if (++pacnt_ == 0) tflg2_ |= tmsk2::PAOVI;
        tflg2_ |= tmsk2::PAII;
    } else if (high == risingSelected) {
        tflg2_ |= tmsk2::PAII;
    }
}

void MainTimer::stopClocks(uint64_t now) {
    if (stopped_) return;
    sync(now);
    stopped_ = true;
    stoppedAt_ = now;
    inAtStop_ = portAIn_;
    paiAtStop_ = paiLevel();
}

void MainTimer::startClocks(uint64_t now) {
    if (!stopped_) return;
    stopped_ = false;
    // Every divider and counter takes up where it stopped: move the time bases.
    const uint64_t d = now - stoppedAt_;
    epoch_ += d;
    resetCycle_ += d;
    synced_ += d;
    paSynced_ += d;
    // Levels that changed while the clocks were stopped reach the edge detectors now.
    const uint8_t moved = uint8_t((portAIn_ ^ inAtStop_) & ((1u << kCaptures) - 1));
    for (int pin = 0; pin < kCaptures; ++pin)
        if (moved & (1u << pin)) captureEdge(pin, portAIn_ & (1u << pin), now);
    if (paiLevel() != paiAtStop_) paiEdge(!paiAtStop_);
    schedule();
}

uint8_t MainTimer::comparePins() const {
    uint8_t pins = oc1m_ & 0x78;
    for (int pin = 3; pin <= 6; ++pin)
        if (pinUnderCompare(pin)) pins |= uint8_t(1u << pin);
    return pins;
}

uint8_t MainTimer::portAOutputs() const {
    switch (directions_) {
    case PortADirections::Pa7: return uint8_t(0x78 | (pactl_ & pactl::DDRA7));
    case PortADirections::Pa3Pa7:
        return uint8_t(0x70 | (pactl_ & (pactl::DDRA7 | pactl::DDRA3)) | (comparePins() & 0x08));
    case PortADirections::Ddra: return uint8_t(ddra_ | comparePins());
    }
    return 0;
}

uint8_t MainTimer::portAInputCapable() const {
    switch (directions_) {
    case PortADirections::Pa7: return 0x87;
    case PortADirections::Pa3Pa7: return 0x8F;
    case PortADirections::Ddra: return 0xFF;
    }
    return 0;
}

uint8_t MainTimer::latchMask() const {
    // PA0-PA2 are input only but on the F1 (RM 7.2; F1 TD, port A).
    return directions_ == PortADirections::Ddra ? 0xFF : 0xF8;
}

uint8_t MainTimer::portAPins() const {
    const uint8_t outputs = portAOutputs();
    return uint8_t((portAIn_ & ~outputs) | (portAOut_ & outputs));
}

bool MainTimer::isRegister(uint16_t a) const {
    return a == reg::PORTA || (a >= reg::CFORC && a <= reg::PACNT) ||
           (a == reg::DDRA && directions_ == PortADirections::Ddra);
}

uint8_t MainTimer::value(uint16_t a, uint64_t now) const {
    // Never before the last sync (a read later in an instruction may have synced ahead).
    now = std::max(clock(now), synced_);
    if (a >= reg::TIC1 && a <= reg::TOC5L) {
        const int index = (a - reg::TIC1) / 2;
        const uint16_t v = index < kCaptures ? tic_[index + 1] : toc_[index - kCaptures + 1];
        return (a & 1) ? uint8_t(v) : uint8_t(v >> 8);
    }
    switch (a) {
    case reg::PORTA: return portAPins();
    case reg::DDRA: return ddra_;
    case reg::OC1M: return oc1m_;
    case reg::OC1D: return oc1d_;
    case reg::TCNT: return uint8_t(count(now) >> 8);
    case reg::TCNTL: return uint8_t(count(now));
    case reg::TCTL1: return tctl1_;
    case reg::TCTL2: return tctl2_;
    case reg::TMSK1: return tmsk1_;
    case reg::TFLG1: return tflg1_;
    case reg::TMSK2: return tmsk2_;
    case reg::TFLG2: return tflg2_;
    case reg::PACTL: return pactl_;
    case reg::PACNT: {
        if (!gateOpen()) return pacnt_;
        const uint64_t ticks =
            (now - resetCycle_) / kGatedTickCycles - (paSynced_ - resetCycle_) / kGatedTickCycles;
        return uint8_t(pacnt_ + ticks);
    }
    default: return 0; // CFORC reads as 0
    }
}

// Reading TCNT's high byte holds its low byte for the next cycle, so that LDD TCNT,
// which reads the two bytes one cycle apart, gets one count (RM 10.2.1).
uint8_t MainTimer::read(uint16_t a, uint64_t now) {
    sync(now);
    const uint64_t t = std::max(clock(now), synced_);
    if (a == reg::TCNT) {
        heldLow_ = uint8_t(count(t));
        heldAt_ = t;
    } else if (a == reg::TCNTL && t == heldAt_ + 1) {
        return heldLow_;
    }
    return value(a, now);
}

void MainTimer::write(uint16_t a, uint8_t v, uint64_t now, bool protectedWritable) {
    sync(now);
    now = std::max(clock(now), synced_);
    const bool pai = paiLevel();
    applyWrite(a, v, now, protectedWritable);
    // A PORTA write, a forced compare or a new direction that moves PA7 is an edge
    // for the accumulator like one from outside.
    const bool paiMoved = paiLevel() != pai;
    if (paiMoved) paiEdge(!pai);
    // Only the compares and the accumulator move the event times (and the prescaler,
    // which reschedules itself).
    if (a >= reg::TOC1 && a <= reg::TOC5L) {
        const int n = (a - reg::TOC1) / 2 + 1;
        tOc_[n] = nextMatch(toc_[n], synced_);
        updateNext();
    } else if (a == reg::PACTL || a == reg::PACNT || paiMoved) {
        schedule();
    }
}

void MainTimer::applyWrite(uint16_t a, uint8_t v, uint64_t now, bool protectedWritable) {
    if (a >= reg::TOC1 && a <= reg::TOC5L) {
        uint16_t& r = toc_[(a - reg::TOC1) / 2 + 1];
        r = (a & 1) ? uint16_t((r & 0xFF00) | v) : uint16_t((r & 0x00FF) | v << 8);
        return;
    }
    switch (a) {
    case reg::PORTA: {
        // Writes go to the output latch, except the pins an OC2-OC5 pin action owns.
        uint8_t mask = latchMask();
        for (int pin = 3; pin <= 6; ++pin)
            if (pinUnderCompare(pin)) mask &= uint8_t(~(1u << pin));
        portAOut_ = uint8_t((portAOut_ & ~mask) | (v & mask));
        break;
    }
    case reg::CFORC: forceCompares(v & 0xF8); break;
    case reg::OC1M: oc1m_ = v & 0xF8; break;
    case reg::OC1D: oc1d_ = v & 0xF8; break;
    case reg::TCTL1: tctl1_ = v; break;
    case reg::TCTL2: tctl2_ = v & 0x3F; break;
    case reg::TMSK1: tmsk1_ = v; break;
    case reg::TFLG1: tflg1_ &= uint8_t(~v); break; // write 1 to clear (RM 10.2.7)
    case reg::TMSK2:
        if (protectedWritable) setPrescalerBits(v & tmsk2::PRMask, now);
        tmsk2_ = uint8_t((v & tmsk2::InterruptMask) |
                         (protectedWritable ? v & tmsk2::PRMask : tmsk2_ & tmsk2::PRMask));
        break;
    case reg::TFLG2: tflg2_ &= uint8_t(~(v & tmsk2::InterruptMask)); break;
    case reg::DDRA: ddra_ = v; break;
    case reg::PACTL:
        // DDRA3 and I4/O5 exist on the E series only; the F1's DDRA replaces DDRA7.
        pactl_ = v & (directions_ == PortADirections::Pa7      ? 0xF3
                      : directions_ == PortADirections::Pa3Pa7 ? 0xFF
                                                               : 0x77);
        break;
    case reg::PACNT: pacnt_ = v; break;
    default: break; // TCNT counts only in test mode; TICn are read-only
    }
}

} // namespace hc11
