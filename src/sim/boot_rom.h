// The bootstrap ROM's address space: $BF00-$BFFF, present in special bootstrap mode
// while HPRIO.RBOOT = 1 (M68HC11 RM 3-16; AN1060 memory map). The loader itself is
// modelled in C++ (boot_loader.h); what a program sees of the ROM is its vector table,
// which sends every interrupt to a 3-byte jump slot in RAM (the pseudo-vectors), and
// filler bytes elsewhere.
#pragma once

#include "bus.h"

#include <array>
#include <cstdint>

namespace hc11 {

inline constexpr uint16_t kBootRomStart = 0xBF00;
inline constexpr uint16_t kBootRomSize = 0x100;
inline constexpr uint16_t kBootVectorBase = 0xBFC0;
inline constexpr uint16_t kNormalVectorBase = 0xFFC0;

// Where the ROM's reset vector points: the start of the ROM's own code.
inline constexpr uint16_t kBootRomEntry = kBootRomStart;
// The ROM's code bytes are not reproduced: every byte outside the vector table reads
// as $41, an illegal opcode, so a program that calls into the ROM traps through the
// illegal-opcode vector instead of running on.
inline constexpr uint8_t kBootRomFiller = 0x41;

struct PseudoVector {
    uint16_t vectorOffset; // from the vector base (bus.h, namespace vec)
    uint16_t ramSlot;      // the 3-byte JMP slot the ROM vector points to
};

// The bootstrap vectors and their RAM slots (AN1060, bootstrap memory map). The same
// layout is assumed on the F1, whose boot ROM listing was not at hand.
inline constexpr std::array<PseudoVector, 20> kPseudoVectors = {{
    {vec::Sci, 0x00C4},           {vec::Spi, 0x00C7},
    {vec::PulseAccInput, 0x00CA}, {vec::PulseAccOverflow, 0x00CD},
    {vec::TimerOverflow, 0x00D0}, {vec::Toc5, 0x00D3},
    {vec::Toc4, 0x00D6},          {vec::Toc3, 0x00D9},
    {vec::Toc2, 0x00DC},          {vec::Toc1, 0x00DF},
    {vec::Tic3, 0x00E2},          {vec::Tic2, 0x00E5},
    {vec::Tic1, 0x00E8},          {vec::Rti, 0x00EB},
    {vec::Irq, 0x00EE},           {vec::Xirq, 0x00F1},
    {vec::Swi, 0x00F4},           {vec::IllegalOpcode, 0x00F7},
    {vec::Cop, 0x00FA},           {vec::ClockMonitor, 0x00FD},
}};

// The 256 bytes of the ROM as a program reads them. The reserved vectors below the
// SCI's ($BFC0-$BFD5) continue the slot pattern downwards, three bytes per vector.
std::array<uint8_t, kBootRomSize> bootRomImage();

} // namespace hc11
