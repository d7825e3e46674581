// The record of the last instructions a program executed, kept so that they can be
// undone: for each, the CPU registers and the chip's clock before it, and the old
// value of every memory byte it wrote. The board also keeps copies of its
// peripherals' state (Board::ChipState), each tagged with the number of the first
// instruction it precedes; this class holds only the instructions and the writes.
//
// The steps of a resident monitor (the program the boot ROM loaded, which stops,
// reads and resumes the user's program) are not the program's: the step that entered
// the monitor is kept with its writes (its interrupt frame lies on the program's
// stack) but is not counted as an instruction, and only the monitor writes a step
// back has to undo are recorded (see Board::recordWrite).
#pragma once

#include "cpu.h"

#include <cstddef>
#include <cstdint>
#include <deque>

namespace hc11 {

class ExecutionHistory {
public:
    struct Entry {
        Registers before;
        uint64_t programCycles = 0; // Board::programCycles() as it began
        uint64_t chipCycle = 0;     // the chip's clock as it began
        uint64_t firstWrite = 0;    // absolute index of its first write
        // A peripheral it changed that cannot be put back (nullptr: none).
        const char* unrestorable = nullptr;
        bool monitor = false; // the monitor's entry, not one of the program's instructions
        // A branch to itself is kept once for all its turns in a row: each turn has the
        // same registers, writes nothing and lasts `turnCycles`.
        uint64_t repeats = 1;
        uint64_t turnCycles = 0;
    };
    // A point in the history: before turn `turn` of entry `index`.
    struct Position {
        uint64_t index = 0;
        uint64_t turn = 0;
    };

    // At most `instructions` of the program's instructions are kept (0: none).
    void setCapacity(std::size_t instructions);
    std::size_t capacity() const { return capacity_; }
    void clear();

    // A step begins: its registers, the program's cycles and the chip's clock.
    void begin(const Registers& before, uint64_t programCycles, uint64_t chipCycle, bool monitor);
    // `turns` turns of a branch to itself, `turnCycles` each.
    void repeat(const Registers& before, uint64_t programCycles, uint64_t chipCycle, uint64_t turns,
                uint64_t turnCycles);
    // A byte written by the current step (or a monitor write that a step back undoes).
    void write(uint16_t address, uint8_t old) { writes_.push_back({address, old}); }
    // Absolute index of the next step's entry; entries keep their index for good.
    uint64_t end() const { return entriesBase_ + entries_.size(); }
    uint64_t oldest() const { return entriesBase_; }
    const Entry& at(uint64_t index) const { return entries_[index - entriesBase_]; }
    Entry* last() { return entries_.empty() ? nullptr : &entries_.back(); }
    // The last program instruction's entry, or nullptr.
    Entry* lastInstruction();
    // Program instructions kept.
    std::size_t instructions() const { return counted_; }
    // The last step turned out to be the monitor's entry: it no longer counts.
    void demoteLast();
    // Where the count-th program instruction back begins (1: the last one); count must
    // be 1 to instructions().
    Position back(std::size_t count) const;
    // The entry's registers and clocks at that point.
    Entry stateAt(const Position& p) const;
    // The first unrestorable peripheral touched from entry `from` on (nullptr: none).
    const char* unrestorableSince(uint64_t from) const;
    // Undo, newest first, every write from `from` on (put(address, old)), then forget
    // what followed that point.
    template <typename Put>
    void undoFrom(const Position& from, Put put) {
        const uint64_t first = at(from.index).firstWrite;
        while (writesBase_ + writes_.size() > first) {
            put(writes_.back().address, writes_.back().old);
            writes_.pop_back();
        }
        while (end() > from.index + 1)
            dropLast();
        if (from.turn == 0) {
            dropLast();
        } else {
            counted_ -= entries_.back().repeats - from.turn;
            entries_.back().repeats = from.turn;
        }
    }

private:
    struct Write {
        uint16_t address;
        uint8_t old;
    };
    void trim();
    void dropLast() {
        if (!entries_.back().monitor) counted_ -= entries_.back().repeats;
        entries_.pop_back();
    }

    std::size_t capacity_ = 0;
    std::deque<Entry> entries_;
    uint64_t entriesBase_ = 0; // absolute index of entries_.front()
    std::deque<Write> writes_;
    uint64_t writesBase_ = 0; // absolute index of writes_.front()
    std::size_t counted_ = 0;
};

} // namespace hc11
