#include "execution_history.h"

namespace hc11 {

void ExecutionHistory::setCapacity(std::size_t instructions) {
    capacity_ = instructions;
    if (capacity_ == 0)
        clear();
    else
        trim();
}

void ExecutionHistory::clear() {
    entriesBase_ += entries_.size();
    entries_.clear();
    writesBase_ += writes_.size();
    writes_.clear();
    counted_ = 0;
}

void ExecutionHistory::begin(const Registers& before, uint64_t programCycles, uint64_t chipCycle,
                             bool monitor) {
    Entry e;
    e.before = before;
    e.programCycles = programCycles;
    e.chipCycle = chipCycle;
    e.firstWrite = writesBase_ + writes_.size();
    e.monitor = monitor;
    entries_.push_back(e);
    if (!monitor) {
        ++counted_;
        if (counted_ > capacity_) trim();
    }
}

void ExecutionHistory::repeat(const Registers& before, uint64_t programCycles, uint64_t chipCycle,
                              uint64_t turns, uint64_t turnCycles) {
    Entry* l = last();
    const bool same = l && !l->monitor && !l->unrestorable && l->turnCycles == turnCycles &&
                      l->before == before && l->firstWrite == writesBase_ + writes_.size();
    if (same) {
        l->repeats += turns;
    } else {
        begin(before, programCycles, chipCycle, false);
        entries_.back().repeats = turns;
        entries_.back().turnCycles = turnCycles;
        --counted_; // counted below with its turns
    }
    counted_ += turns;
    if (counted_ > capacity_) trim();
}

void ExecutionHistory::demoteLast() {
    if (entries_.empty() || entries_.back().monitor) return;
    entries_.back().monitor = true;
    counted_ -= entries_.back().repeats;
}

ExecutionHistory::Entry* ExecutionHistory::lastInstruction() {
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
        if (!it->monitor) return &*it;
    return nullptr;
}

ExecutionHistory::Position ExecutionHistory::back(std::size_t count) const {
    for (std::size_t i = entries_.size(); i-- > 0;) {
        const Entry& e = entries_[i];
        if (e.monitor) continue;
        if (count <= e.repeats) return {entriesBase_ + i, e.repeats - count};
        count -= e.repeats;
    }
    return {entriesBase_, 0};
}

ExecutionHistory::Entry ExecutionHistory::stateAt(const Position& p) const {
    Entry e = at(p.index);
    e.programCycles += p.turn * e.turnCycles;
    e.chipCycle += p.turn * e.turnCycles;
    return e;
}

const char* ExecutionHistory::unrestorableSince(uint64_t from) const {
    for (uint64_t i = from; i < end(); ++i)
        if (const char* p = at(i).unrestorable) return p;
    return nullptr;
}

// Drops the oldest instructions, with their writes, until `capacity_` are left.
void ExecutionHistory::trim() {
    while (counted_ > capacity_ && !entries_.empty()) {
        Entry& front = entries_.front();
        const uint64_t excess = counted_ - capacity_;
        if (!front.monitor && front.repeats > excess) {
            // Some turns of a branch to itself go: the rest begin that much later.
            front.repeats -= excess;
            front.programCycles += excess * front.turnCycles;
            front.chipCycle += excess * front.turnCycles;
            counted_ -= excess;
            return;
        }
        if (!front.monitor) counted_ -= front.repeats;
        entries_.pop_front();
        ++entriesBase_;
        const uint64_t keepFrom =
            entries_.empty() ? writesBase_ + writes_.size() : entries_.front().firstWrite;
        while (writesBase_ < keepFrom) {
            writes_.pop_front();
            ++writesBase_;
        }
    }
}

} // namespace hc11
