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
    entries_.push_back({before, programCycles, chipCycle, writesBase_ + writes_.size(), nullptr, monitor});
    if (!monitor) {
        ++counted_;
        if (counted_ > capacity_) trim();
    }
}

void ExecutionHistory::demoteLast() {
    if (entries_.empty() || entries_.back().monitor) return;
    entries_.back().monitor = true;
    --counted_;
}

uint64_t ExecutionHistory::back(std::size_t count) const {
    if (count == 0 || count > counted_) return end();
    for (std::size_t i = entries_.size(); i-- > 0;)
        if (!entries_[i].monitor && --count == 0) return entriesBase_ + i;
    return end();
}

const char* ExecutionHistory::unrestorableSince(uint64_t from) const {
    for (uint64_t i = from; i < end(); ++i)
        if (const char* p = at(i).unrestorable) return p;
    return nullptr;
}

// Drops the oldest entries, with their writes, until `capacity_` instructions are left.
void ExecutionHistory::trim() {
    while (counted_ > capacity_ && !entries_.empty()) {
        if (!entries_.front().monitor) --counted_;
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
