// The 68HC11 opcode map as data: for each of the four opcode pages and each opcode byte,
// the mnemonic, addressing mode, length in bytes (prebyte included), E cycles and
// whether the byte is an instruction at all. The CPU takes its cycle counts from here;
// its execution semantics live in cpu.cpp.
//
// Page 1 has no prebyte; pages 2, 3 and 4 are reached through the prebytes $18, $1A and
// $CD (M68HC11 RM, opcode map).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace hc11 {

enum class Page : uint8_t {
    None, // page 1: no prebyte
    P18,  // page 2: prebyte $18 (index register Y forms)
    P1A,  // page 3: prebyte $1A (CPD, and the X-indexed forms of CPY/LDY/STY)
    PCD,  // page 4: prebyte $CD (the Y-indexed forms of CPD/CPX/LDX/STX)
};
inline constexpr std::size_t kPageCount = 4;

inline constexpr uint8_t kPrebyte18 = 0x18;
inline constexpr uint8_t kPrebyte1A = 0x1A;
inline constexpr uint8_t kPrebyteCD = 0xCD;

// The page a page-1 byte leads to when it is a prebyte, or Page::None.
constexpr Page pageOfPrebyte(uint8_t b) {
    switch (b) {
    case kPrebyte18: return Page::P18;
    case kPrebyte1A: return Page::P1A;
    case kPrebyteCD: return Page::PCD;
    default: return Page::None;
    }
}
constexpr uint8_t prebyteOf(Page p) {
    switch (p) {
    case Page::P18: return kPrebyte18;
    case Page::P1A: return kPrebyte1A;
    case Page::PCD: return kPrebyteCD;
    case Page::None: break;
    }
    return 0;
}

// Addressing modes as the reference manual names them (M68HC11 RM). The
// bit-manipulation instructions get modes of their own because their operand layouts
// differ: address or offset, then mask, then (BRSET/BRCLR) a relative offset.
enum class Mode : uint8_t {
    Inherent,
    Immediate8,
    Immediate16,
    Direct,
    Extended,
    IndexedX,
    IndexedY,
    Relative,
    BitDirect,         // BSET/BCLR dd mm
    BitIndexedX,       // BSET/BCLR ff,X mm
    BitIndexedY,       // BSET/BCLR ff,Y mm
    BitBranchDirect,   // BRSET/BRCLR dd mm rr
    BitBranchIndexedX, // BRSET/BRCLR ff,X mm rr
    BitBranchIndexedY, // BRSET/BRCLR ff,Y mm rr
};

// Operand bytes that follow the opcode byte in a mode.
constexpr uint8_t operandBytes(Mode m) {
    switch (m) {
    case Mode::Inherent: return 0;
    case Mode::Immediate8:
    case Mode::Direct:
    case Mode::IndexedX:
    case Mode::IndexedY:
    case Mode::Relative: return 1;
    case Mode::Immediate16:
    case Mode::Extended:
    case Mode::BitDirect:
    case Mode::BitIndexedX:
    case Mode::BitIndexedY: return 2;
    case Mode::BitBranchDirect:
    case Mode::BitBranchIndexedX:
    case Mode::BitBranchIndexedY: return 3;
    }
    return 0;
}

struct OpInfo {
    // Mnemonic as the data sheet spells it ("" for a byte that is no instruction).
    // Where two names share an opcode the table uses ASL/ASLA/ASLB/ASLD and BCC/BCS.
    const char* mnemonic = "";
    Mode mode = Mode::Inherent;
    // Bytes of the instruction, prebyte included. For a byte that is no instruction:
    // the bytes the CPU fetches before it traps (1 on page 1, 2 on the other pages).
    uint8_t length = 1;
    // E cycles of the whole instruction; for an illegal byte, 0 (see kIllegalTrapCycles).
    uint8_t cycles = 0;
    bool legal = false;
    // TEST ($00): an instruction only in the special test and bootstrap modes (RM 5-23);
    // in the normal modes it traps like any illegal opcode.
    bool specialModeOnly = false;

    bool legalIn(bool specialMode) const { return legal && (specialMode || !specialModeOnly); }
};

using OpcodePage = std::array<OpInfo, 256>;
extern const std::array<OpcodePage, kPageCount> kOpcodeMap;

inline const OpcodePage& opcodePage(Page p) {
    return kOpcodeMap[static_cast<std::size_t>(p)];
}
inline const OpInfo& opInfo(Page p, uint8_t opcode) {
    return opcodePage(p)[opcode];
}

// Cycle counts of the CPU's own sequences, which the opcode map does not hold.
namespace timing {
// Entry into a hardware interrupt (IRQ, XIRQ, on-chip sources): stacking the nine-byte
// frame and fetching the vector. The figure usually given for the 68HC11 is 12.
inline constexpr unsigned kInterruptEntryCycles = 12;
// The illegal-opcode trap runs the same stacking and vector fetch as SWI (14 cycles),
// plus one cycle per prebyte fetched before the unknown opcode.
inline constexpr unsigned kIllegalTrapCycles = 14;
inline constexpr unsigned kPrebyteFetchCycles = 1;
// Leaving WAI for an interrupt: the frame is already stacked, only the vector is
// fetched (two reads) before the first fetch of the service routine.
inline constexpr unsigned kWaiWakeCycles = 3;
// step() while waiting, stopped or spinning in TEST lets this many cycles pass.
inline constexpr unsigned kIdleStepCycles = 1;
} // namespace timing

} // namespace hc11
