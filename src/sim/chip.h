// The built-in 68HC11 parts as data: one description per chip, passed to the one board
// model. Memory maps from M68HC11 RM section 4 and the parts' technical data; boot
// loader rules from AN1060 ("M68HC11 Bootstrap Mode").
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace hc11 {

// A range of EEPROM offsets (from the EEPROM start) guarded by one BPRTn bit.
struct EepromBlock {
    uint16_t firstOffset;
    uint16_t lastOffset;
};

// How the bootstrap loader decides the download is complete.
enum class BootEnd : uint8_t {
    // Exactly `bootCapacity` bytes, then the jump to $0000 (A1/A8, 811E2).
    FixedCount,
    // Up to `bootCapacity` bytes; the jump comes when RAM is full or when the receive
    // line has been idle for kBootIdleCharacters character times (E1/E9, F1).
    RamFullOrIdle,
};

// Where the parallel ports sit in the register block (see ports.h).
enum class PortMap : uint8_t { ASeries, F1 };

// How port A's pin directions are set (see main_timer.h): fixed but for PA7 (PACTL
// DDRA7: A series), PA3 and PA7 by PACTL DDRA3 and DDRA7 (E series), or every pin by
// the DDRA register at $1001 (F1).
enum class PortADirections : uint8_t { Pa7, Pa3Pa7, Ddra };

struct ChipDescription {
    std::string_view name;
    uint16_t ramStart;
    uint16_t ramSize;
    uint16_t eepromStart;
    uint16_t eepromSize;
    uint16_t registerStart;
    uint16_t registerSize;
    // BPROT ($1035) exists: EEPROM block protection (E series, F1, 811E2).
    bool hasBprot;
    BootEnd bootEnd;
    uint16_t bootCapacity;
    // Blocks guarded by BPRT0..BPRT3 (index n is BPRTn); unused when !hasBprot.
    std::array<EepromBlock, 4> protectBlocks;
    // CONFIG ($103F) as the part leaves the factory. CONFIG is an EEPROM cell,
    // programmed through PPROG and latched at reset (see Eeprom and Board).
    uint8_t config;
    // The CONFIG bits the part has: NOSEC NOCOP ROMON EEON ($0F), and EE3:EE0 where the
    // EEPROM's place is programmable ($FF). The others read 0.
    uint8_t configBits;
    // BAUD has an SCP2 bit (F1).
    bool hasScp2;
    PortMap portMap;
    PortADirections portA;

    uint32_t ramEnd() const { return uint32_t(ramStart) + ramSize - 1; }
    uint32_t eepromEnd() const { return uint32_t(eepromStart) + eepromSize - 1; }
    uint32_t registerEnd() const { return uint32_t(registerStart) + registerSize - 1; }
    bool inRam(uint16_t a) const { return a >= ramStart && a <= ramEnd(); }
    bool inEeprom(uint16_t a) const { return a >= eepromStart && a <= eepromEnd(); }
    bool inRegisters(uint16_t a) const { return a >= registerStart && a <= registerEnd(); }
};

// Idle time, in character times at the detected rate, that ends a variable-length
// download (AN1060: "4 character times", 10,241 E cycles at 7812 baud).
inline constexpr unsigned kBootIdleCharacters = 4;

// The four parts the program knows, in menu order.
std::span<const ChipDescription> builtInChips();
// The chip named `name` ("68HC11F1"), or nullptr.
const ChipDescription* findChip(std::string_view name);

} // namespace hc11
