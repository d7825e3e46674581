// The 68HC11 instruction set as the disassembler sees it: for each opcode page and
// opcode byte, the mnemonic, the instruction class (which fixes the operand layout and
// the listing format) and the length in bytes, prebyte included.
//
// The CPU has four opcode pages (M68HC11 RM, opcode map): page 1 needs no prebyte,
// pages 2, 3 and 4 are reached through the prebytes $18, $1A and $CD. The decoder knows
// 307 opcodes; TEST ($00), which only runs in the special test and bootstrap modes, is
// deliberately not one of them and lists as a data byte.
#pragma once

#include <cstdint>

namespace tessaline {

enum class OpcodePage : uint8_t {
    Page1, // no prebyte
    Page2, // prebyte $18: the Y-indexed forms and the Y register instructions
    Page3, // prebyte $1A: CPD, and the X-indexed forms of CPY, LDY, STY
    Page4, // prebyte $CD: the Y-indexed forms of CPD, CPX, LDX, STX
};
inline constexpr int kOpcodePageCount = 4;

// The prebyte that leads to a page ($00 for page 1, which has none).
uint8_t prebyteOf(OpcodePage page);
// The page a first byte leads to when it is a prebyte; page 1 for any other byte.
OpcodePage pageOfPrebyte(uint8_t firstByte);

// Instruction classes: each fixes the operand bytes after the opcode and how they are
// written in the listing.
enum class InstrClass : uint8_t {
    Inherent,          // no operand
    Immediate8,        // data byte
    Immediate16,       // data word
    Direct,            // address in page 0 ($0000-$00FF)
    Extended,          // 16-bit address
    IndexedX,          // unsigned offset from X
    IndexedY,          // unsigned offset from Y
    Relative,          // signed branch offset
    BitDirect,         // BSET/BCLR: address, mask
    BitIndexedX,       // BSET/BCLR: offset from X, mask
    BitIndexedY,       // BSET/BCLR: offset from Y, mask
    BitBranchDirect,   // BRSET/BRCLR: address, mask, signed branch offset
    BitBranchIndexedX, // BRSET/BRCLR: offset from X, mask, signed branch offset
    BitBranchIndexedY, // BRSET/BRCLR: offset from Y, mask, signed branch offset
};

// Operand bytes that follow the opcode byte in a class.
int operandBytes(InstrClass c);

struct OpcodeEntry {
    const char* mnemonic; // upper case; ASL/ASLA/ASLB/ASLD and BCC/BCS where two names exist
    InstrClass instrClass;
    int length; // bytes, prebyte included: 1 to 5
};

// The entry of an opcode on a page, or nullptr for a byte the decoder does not know.
const OpcodeEntry* opcodeEntry(OpcodePage page, uint8_t opcode);

// True when executing the instruction can send the program counter somewhere else than
// the next instruction, to the destination address the decoder computes: the relative
// branches (BRN and BSR included), BRSET, BRCLR, JMP and JSR. The single-step code plants
// its breakpoints at the next instruction and, for these, at the destination as well.
// RTS, RTI, SWI and WAI also leave the straight line, but to an address taken from the
// stack or a vector, which the decoder cannot know; they answer false.
bool transfersControl(const OpcodeEntry& entry);

} // namespace tessaline
