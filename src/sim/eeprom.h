// The EEPROM array's programming logic: PPROG ($103B), BPROT ($1035), the latch and
// the programming time (MC68HC11A8 TD section 3, "EEPROM"; E-series TD for BPROT),
// and the CONFIG cell ($103F), an EEPROM byte programmed the same way (A8TD 4.x).
//
// The cells live in the board's memory image, so that reads take the fast path while
// the array is not latched. The only way to change them from the bus is the sequence:
//   1. write PPROG with EELAT (and BYTE/ROW/ERASE as wanted): the array leaves the read
//      path;
//   2. write the cell (program: the data; erase: any value; bulk erase: any address,
//      CONFIG's included);
//   3. set EEPGM: the programming voltage is on;
//   4. wait; 5. clear EEPGM (usually by clearing PPROG).
// Programming only clears bits (new = old AND data); erasing sets them to 1 ($FF).
//
// Modelling choices:
// - The operation takes effect when EEPGM is cleared, and only if EEPGM stayed set for
//   at least kMinimumPulseSeconds of E cycles (the data sheet asks for 10 ms; 9 ms
//   leaves room for delay loops that count just about 10 ms). A shorter pulse leaves
//   the cells unchanged.
// - Setting EELAT and EEPGM in the same write sets EELAT only: the programming
//   voltage must come after the data is latched.
// - While EEPGM is set the other PPROG bits and the latched address/data do not change.
// - While EELAT is set the array is off the read path: reads return $FF, like space
//   where nothing answers, and are counted (latchedReads()).
// - Rows are 16 bytes. Bulk erase erases every block that BPROT does not protect.
// - A write to an EEPROM cell outside the sequence is ignored (and counted).
// - BPROT: bits may always be set; clearing needs the time-protection window (any time
//   in the special modes, the first 64 E cycles after reset in the normal modes; the
//   board tells which). PTCON guards CONFIG; the A1, without BPROT, never guards it.
// - CONFIG: a write to $103F while latched makes the CONFIG cell the target. Program and
//   byte erase act on it alone; so does a row erase, the cell being a row of one byte
//   here. A bulk erase latched at $103F erases the array (the blocks BPROT leaves) and
//   CONFIG; one latched at an array address leaves CONFIG. Only the bits the part has
//   (chip.configBits) change; the others stay 0. The CONFIG register the program reads
//   is the board's copy, taken from the cell at reset (see Board).
#pragma once

#include "chip.h"

#include <cstdint>
#include <span>

namespace hc11 {

class Eeprom {
public:
    enum class Operation : uint8_t { None, Program, ByteErase, RowErase, BulkErase };
    enum class Result : uint8_t {
        None,            // nothing happened yet
        Done,            // the operation changed the cells
        TooShort,        // EEPGM was on for less than the minimum time
        Protected,       // BPROT guards the cells
        PartlyProtected, // bulk erase: some blocks were guarded and kept
        NothingLatched,  // EEPGM pulse with no cell written while latched
    };
    struct Outcome {
        Operation operation = Operation::None;
        Result result = Result::None;
        uint16_t address = 0; // latched address
        uint8_t data = 0;     // latched data
        uint64_t pulseCycles = 0;
    };

    static constexpr double kMinimumPulseSeconds = 0.009;
    static constexpr uint16_t kRowBytes = 16;

    // `cells` is the array's storage (chip.eepromSize bytes).
    Eeprom(const ChipDescription& chip, std::span<uint8_t> cells, double eClockHz);

    void reset();
    void eraseAll(); // power-on contents: every cell erased

    uint8_t pprog() const { return pprog_; }
    void writePprog(uint8_t value, uint64_t now);
    uint8_t bprot() const { return bprot_; }
    void writeBprot(uint8_t value, bool timeProtectedWritable);

    // A bus write to an EEPROM address or to CONFIG.
    void writeCell(uint16_t address, uint8_t value);
    // A bus read while latched().
    uint8_t readWhileLatched();
    bool latched() const;

    uint64_t minimumPulseCycles() const { return minimumPulseCycles_; }
    const Outcome& lastOutcome() const { return outcome_; }
    uint64_t latchedReads() const { return latchedReads_; }
    uint64_t ignoredWrites() const { return ignoredWrites_; }
    // Erase and programming pulses that changed cells since power-on: each one
    // of the rated erase/write cycles of the cells it reached.
    uint64_t erasePulses() const { return erasePulses_; }
    uint64_t programPulses() const { return programPulses_; }
    // True when BPROT guards the cell at `address`, an EEPROM address or CONFIG (always
    // false without BPROT).
    bool isProtected(uint16_t address) const;

    // The CONFIG cell, as programmed (the factory value at power-on).
    uint8_t configCell() const { return configCell_; }
    // Board tool: the cell as if programmed to `value` (bits the part lacks stay 0).
    void setConfigCell(uint8_t value) { configCell_ = value & chip_.configBits; }

private:
    void finishPulse(uint64_t now);
    Operation latchedOperation() const;
    bool blockProtected(unsigned block) const;
    // Erases the array's unguarded blocks; returns how many cells were kept.
    unsigned eraseArray();

    const ChipDescription& chip_;
    std::span<uint8_t> cells_;
    uint8_t configCell_;
    uint64_t minimumPulseCycles_;
    uint8_t pprog_ = 0;
    uint8_t bprot_ = 0;
    bool haveLatch_ = false;
    uint16_t latchAddress_ = 0;
    uint8_t latchData_ = 0;
    uint64_t pulseStart_ = 0;
    Outcome outcome_;
    uint64_t latchedReads_ = 0;
    uint64_t ignoredWrites_ = 0;
    uint64_t erasePulses_ = 0;
    uint64_t programPulses_ = 0;
};

} // namespace hc11
