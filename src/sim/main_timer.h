// The main timer (M68HC11 RM section 10): the free-running counter TCNT and its
// prescaler, the five output compares with their port A pin actions, the three input
// captures, the timer overflow, the real-time interrupt and the pulse accumulator, with
// their flags (TFLG1, TFLG2) and interrupt masks (TMSK1, TMSK2).
//
// Time model: everything is derived from the E-cycle count. sync(now) applies, in time
// order, every event (counter match, overflow, RTI tick, accumulator overflow) up to
// `now`; register accesses and pin changes sync first. nextInterruptEvent() tells the
// board when a pending interrupt may next appear, so that nothing is polled per
// instruction and a program that leaves the timer's interrupts off pays nothing.
//
// Port A's directions depend on the chip (ChipDescription::portA): on the A series
// PA0-PA2 are inputs, PA3-PA6 outputs and PA7 follows PACTL's DDRA7; the E series adds
// DDRA3 for PA3; the F1 has a direction bit per pin in DDRA ($1001). An output compare
// set to act on PA3-PA6 (OMn:OLn not 00, or its OC1M bit) drives its pin whatever the
// direction bit says (E series TD, DDRA3: "overridden if an output compare function is
// configured to control the PA3 pin"); OC1 reaches PA7 only while PA7 is an output.
// The pulse accumulator takes its input from the PA7 pin whatever its direction (RM
// 10.5): while PA7 is an output, the edges the chip drives on it (PORTA writes, OC1
// through OC1M7, CFORC, a direction change that moves the pin) count like edges from
// outside, and a level applied from outside does not reach the pin.
// On the F1, PACTL's bits 7 and 3 read 0 (DDRA holds the directions) and PA0-PA2 made
// outputs do not trigger their input captures. I4/O5 is a latch: the fourth input
// capture of the E series is not modelled.
//
// STOP stops every clock (RM 5.x, STOP; low-power operation): between stopClocks()
// and startClocks() the counter, the prescaler, the RTI divider, the gated accumulator
// and the compares stand still; levels applied to the pins meanwhile are kept, and
// their edges reach the captures and the accumulator when the clocks start again.
//
// Choices: TCNT writes are ignored (they count only in test mode); when OC1 and another
// compare act on the same pin at the same cycle, OC1 is applied last and wins.
#pragma once

#include "chip.h"

#include <array>
#include <cstdint>
#include <limits>

namespace hc11 {

class MainTimer {
public:
    explicit MainTimer(PortADirections directions = PortADirections::Pa7)
        : directions_(directions) {}
    void reset(uint64_t now);
    uint16_t count(uint64_t now) const;
    uint32_t prescale() const { return prescale_; }
    // PR1:PR0 from a TMSK2 write; applied only when time-protected bits are writable.
    void setPrescalerBits(uint8_t prBits, uint64_t now);

    // Registers from CFORC to PACNT, PORTA, and DDRA on the F1. isRegister() tells which
    // addresses these are.
    bool isRegister(uint16_t address) const;
    uint8_t read(uint16_t address, uint64_t now);
    uint8_t value(uint16_t address, uint64_t now) const; // no side effect
    void write(uint16_t address, uint8_t value, uint64_t now, bool protectedWritable);

    void sync(uint64_t now);
    // The earliest cycle after the last sync at which an enabled flag may be set.
    uint64_t nextInterruptEvent() const;
    // Enabled and set flags: TFLG1 & TMSK1 and (TFLG2 & TMSK2) high nibble.
    uint8_t pending1() const { return tflg1_ & tmsk1_; }
    uint8_t pending2() const { return tflg2_ & tmsk2_ & 0xF0; }

    // A level driven on a port A pin from outside (ignored while the pin is an output):
    // PA0-PA2 feed IC3-IC1, PA7 the pulse accumulator.
    void setPortAInput(int pin, bool high, uint64_t now);

    // STOP: the clocks stop at `now` and start again at a later `now`; the time between
    // does not exist for the timer.
    void stopClocks(uint64_t now);
    void startClocks(uint64_t now);
    // The levels on the eight port A pins.
    uint8_t portAPins() const;
    // An output compare acts on a port A pin (TCTL1, OC1M): the pins change with time.
    bool drivesPins() const { return (oc1m_ & 0xF8) != 0 || comparePins() != 0; }
    // Which of port A's pins are outputs (1) now, and which can ever be inputs.
    uint8_t portAOutputs() const;
    uint8_t portAInputCapable() const;

private:
    uint64_t nextMatch(uint16_t value, uint64_t after) const;
    uint64_t nextRtiTick(uint64_t after) const;
    uint64_t nextPaOverflow(uint64_t after) const;
    // Recomputes the cached event times after synced_ (after any change of state).
    void schedule();
    void updateNext();
    bool gateOpen() const;
    // The level on the PA7 pin, which feeds the accumulator.
    bool paiLevel() const;
    void paiEdge(bool high);
    void captureEdge(int pin, bool high, uint64_t now);
    // While stopped, every time is the cycle the clocks stopped at.
    uint64_t clock(uint64_t now) const { return stopped_ ? stoppedAt_ : now; }
    void accumulate(uint64_t now);
    void applyWrite(uint16_t address, uint8_t value, uint64_t now, bool protectedWritable);
    void applyPortAInput(int pin, bool high, uint64_t now);
    void compare(int n);
    void forceCompares(uint8_t mask);
    void pinAction(int n);
    void capture(int n, uint64_t now);
    bool pinUnderCompare(int pin) const;
    // PA3-PA6 pins an output compare drives (TCTL1 pin actions and OC1M).
    uint8_t comparePins() const;
    // The PORTA bits that exist as output latches on this chip.
    uint8_t latchMask() const;

    uint64_t epoch_ = 0;
    uint64_t resetCycle_ = 0;
    uint64_t synced_ = 0;
    uint16_t countAtEpoch_ = 0;
    uint32_t prescale_ = 1;
    unsigned prescaleShift_ = 0;

    std::array<uint16_t, 6> toc_{}; // [1..5]
    std::array<uint16_t, 4> tic_{}; // [1..3]
    uint8_t oc1m_ = 0, oc1d_ = 0, tctl1_ = 0, tctl2_ = 0;
    uint8_t tmsk1_ = 0, tflg1_ = 0, tmsk2_ = 0, tflg2_ = 0, pactl_ = 0;
    uint8_t pacnt_ = 0;
    uint64_t paSynced_ = 0; // gated mode: PACNT is up to date at this cycle
    PortADirections directions_;
    uint8_t ddra_ = 0;     // F1
    uint8_t portAOut_ = 0; // levels driven by writes and compares (the output latch)
    uint8_t portAIn_ = 0;  // levels driven from outside on PA0-PA2 and PA7
    // TCNT's low byte as a read of its high byte held it, and that read's cycle.
    uint8_t heldLow_ = 0;
    uint64_t heldAt_ = std::numeric_limits<uint64_t>::max() - 1; // none yet
    bool stopped_ = false;
    uint64_t stoppedAt_ = 0;
    uint8_t inAtStop_ = 0;
    bool paiAtStop_ = false;

    // The next events after synced_, and their minimum.
    uint64_t tOverflow_ = 0, tRti_ = 0, tPaOverflow_ = 0, next_ = 0;
    std::array<uint64_t, 6> tOc_{}; // [1..5]
};

} // namespace hc11
