#include "eeprom.h"

#include "registers.h"

#include <algorithm>
#include <cmath>

namespace hc11 {

namespace {
constexpr uint8_t kErased = 0xFF;
}

Eeprom::Eeprom(const ChipDescription& chip, std::span<uint8_t> cells, double eClockHz)
    : chip_(chip)
    , cells_(cells)
    , configCell_(chip.config & chip.configBits)
    , minimumPulseCycles_(uint64_t(std::ceil(kMinimumPulseSeconds * eClockHz))) {
    reset();
}

void Eeprom::reset() {
    pprog_ = 0;
    bprot_ = chip_.hasBprot ? bprot::Reset : 0;
    haveLatch_ = false;
}

void Eeprom::eraseAll() {
    std::fill(cells_.begin(), cells_.end(), kErased);
}

bool Eeprom::latched() const {
    return pprog_ & pprog::EELAT;
}

uint8_t Eeprom::readWhileLatched() {
    ++latchedReads_;
    return kErased;
}

void Eeprom::writePprog(uint8_t value, uint64_t now) {
    const bool pulsing = pprog_ & pprog::EEPGM;
    if (pulsing) {
        if (value & pprog::EEPGM) return; // nothing else may change while the programming voltage is on
        finishPulse(now);
        pprog_ = value;
    } else {
        const bool wasLatched = pprog_ & pprog::EELAT;
        if (!wasLatched) value &= uint8_t(~pprog::EEPGM); // EELAT and EEPGM in one write: EELAT only
        pprog_ = value;
        if (pprog_ & pprog::EEPGM) pulseStart_ = now;
    }
    if (!(pprog_ & pprog::EELAT)) haveLatch_ = false;
}

void Eeprom::writeBprot(uint8_t value, bool timeProtectedWritable) {
    if (!chip_.hasBprot) return;
    const uint8_t bits = value & (bprot::PTCON | bprot::BlockMask);
    bprot_ = timeProtectedWritable ? bits : uint8_t(bprot_ | bits);
}

void Eeprom::writeCell(uint16_t address, uint8_t value) {
    if (!latched() || (pprog_ & pprog::EEPGM)) {
        ++ignoredWrites_;
        return;
    }
    haveLatch_ = true;
    latchAddress_ = address;
    latchData_ = value;
}

Eeprom::Operation Eeprom::latchedOperation() const {
    if (!(pprog_ & pprog::ERASE)) return Operation::Program;
    if (pprog_ & pprog::BYTE) // BYTE overrides ROW
        return Operation::ByteErase;
    if (pprog_ & pprog::ROW) return Operation::RowErase;
    return Operation::BulkErase;
}

bool Eeprom::blockProtected(unsigned block) const {
    return chip_.hasBprot && (bprot_ & (1u << block));
}

bool Eeprom::isProtected(uint16_t address) const {
    if (address == reg::CONFIG) return chip_.hasBprot && (bprot_ & bprot::PTCON);
    const unsigned offset = unsigned(address - chip_.eepromStart);
    for (unsigned b = 0; b < chip_.protectBlocks.size(); ++b) {
        const auto& blk = chip_.protectBlocks[b];
        if (offset >= blk.firstOffset && offset <= blk.lastOffset) return blockProtected(b);
    }
    return false;
}

unsigned Eeprom::eraseArray() {
    unsigned kept = 0;
    for (unsigned i = 0; i < cells_.size(); ++i) {
        if (isProtected(uint16_t(chip_.eepromStart + i)))
            ++kept;
        else
            cells_[i] = kErased;
    }
    return kept;
}

void Eeprom::finishPulse(uint64_t now) {
    outcome_ = Outcome{};
    outcome_.operation = latchedOperation();
    outcome_.address = latchAddress_;
    outcome_.data = latchData_;
    outcome_.pulseCycles = now - pulseStart_;
    if (!haveLatch_) {
        outcome_.result = Result::NothingLatched;
        return;
    }
    if (outcome_.pulseCycles < minimumPulseCycles_) {
        outcome_.result = Result::TooShort;
        return;
    }
    const bool config = latchAddress_ == reg::CONFIG;
    const unsigned offset = unsigned(latchAddress_ - chip_.eepromStart);
    switch (outcome_.operation) {
    case Operation::Program:
    case Operation::ByteErase:
    case Operation::RowErase:
        if (isProtected(latchAddress_)) {
            outcome_.result = Result::Protected;
            return;
        }
        if (config) {
            // A row erase latched at CONFIG erases CONFIG alone: the cell is not part of
            // an array row.
            if (outcome_.operation == Operation::Program)
                configCell_ &= uint8_t(latchData_ | ~chip_.configBits);
            else
                configCell_ |= chip_.configBits;
        } else if (outcome_.operation == Operation::Program) {
            cells_[offset] &= latchData_;
        } else if (outcome_.operation == Operation::ByteErase) {
            cells_[offset] = kErased;
        } else { // row erase: the 16-byte row lies in one block (boundaries are multiples of 16)
            const unsigned row = offset & ~unsigned(kRowBytes - 1);
            std::fill_n(cells_.begin() + row, kRowBytes, kErased);
        }
        break;
    case Operation::BulkErase: {
        unsigned kept = eraseArray();
        std::size_t reached = cells_.size();
        if (config) {
            ++reached;
            if (isProtected(reg::CONFIG))
                ++kept;
            else
                configCell_ |= chip_.configBits;
        }
        if (kept == reached) {
            outcome_.result = Result::Protected;
            return;
        }
        if (kept > 0) {
            outcome_.result = Result::PartlyProtected;
            return;
        }
        break;
    }
    case Operation::None: break;
    }
    outcome_.result = Result::Done;
    ++(outcome_.operation == Operation::Program ? programPulses_ : erasePulses_);
}

} // namespace hc11
