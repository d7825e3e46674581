// The instruction set seen from the assembler's side: for a mnemonic, the
// opcodes it can take, one per addressing mode. Built from the decoder's opcode
// map, so that both directions share one table.
#pragma once

#include "disasm/opcode_map.h"

#include <QString>
#include <QVector>

#include <cstdint>

namespace tessaline::asm11 {

struct FormeInstruction {
    uint8_t prebyte; // $00 on page 1
    uint8_t opcode;
    InstrClass classe;
    int longueur; // bytes, prebyte included
};

// The forms of a mnemonic written in any case (LSL, LSLA, LSLB, LSLD, BHS and
// BLO are taken as their other names ASL..., BCC and BCS); nullptr when the
// instruction set has no such mnemonic.
const QVector<FormeInstruction>* formesDe(const QString& mnemonique);

// The form of `classe` among `formes`, or nullptr.
const FormeInstruction* formeDeClasse(const QVector<FormeInstruction>& formes, InstrClass classe);

} // namespace tessaline::asm11
