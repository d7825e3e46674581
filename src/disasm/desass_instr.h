// The 68HC11 instruction decoder: the machine code of one instruction, as hexadecimal
// text, in; one listing line, the instruction's length and its destination address out.
// It reads no target and keeps no state: everything it needs is passed in.
#pragma once

#include "disasm/opcode_map.h"

#include <QString>

namespace tessaline {

struct Desassemblage {
    // The listing line, without the address: TAB, the instruction's bytes, tabs, the
    // mnemonic and, after a TAB, the operand.
    QString ligne;
    // Bytes taken by the instruction, 1 to 5: the next instruction starts this far on.
    int LongInstr = 1;
    // Four hexadecimal digits, except for the direct and extended modes, which give the
    // operand address as it is written (two and four digits):
    // - branches (relative and BRSET/BRCLR): the branch target;
    // - direct and extended: the operand address (for JMP/JSR, where control goes);
    // - indexed: the register plus the unsigned offset, modulo $10000;
    // - immediate, inherent, BSET/BCLR and data bytes: the next instruction's address.
    QString AdrDest;
};

// Decodes the instruction at the start of `hexa` (upper-case digit pairs, address
// order; callers pass 6 or 8 bytes) found at `adresse` (four hexadecimal digits).
// `RegIX` and `RegIY` are the index registers' values as four hexadecimal digits; they
// only serve the destination address of the indexed modes.
//
// A prebyte ($18, $1A, $CD) followed by a byte that forms a known pair decodes on its
// page; otherwise the first byte decodes on page 1. Anything unknown, including the
// test-mode opcode $00, an unknown prebyte pair and lower-case digits, is one data byte
// ("FCB"), and decoding resumes with the byte after it.
//
// Short input is no error: an instruction whose bytes are not all in `hexa` (a truncated
// or empty text, as a failed memory read leaves) lists its first byte, as far as the text
// has it, as a data byte of length 1. Nothing is invented for the missing bytes, and the
// listing goes on one byte later. The empty text thus gives a data-byte line with empty
// hex fields.
//
// All address sums are taken modulo $10000; an address or register text of more than
// four digits is read modulo $10000 as well.
Desassemblage DesassInstr(const QString& hexa, const QString& adresse, const QString& RegIX,
                          const QString& RegIY);

// The opcode DesassInstr decodes at the start of `hexa`, or nullptr when it lists a data
// byte there (unknown opcode, lower-case digits, or too few bytes for the instruction).
const OpcodeEntry* opcodeAt(const QString& hexa);

// True when the instruction at the start of `hexa` can send control to the destination
// address DesassInstr gives for it (see transfersControl in opcode_map.h): relative
// branches, BRSET, BRCLR, JMP and JSR. False for a data byte.
bool transfersControl(const QString& hexa);

} // namespace tessaline
