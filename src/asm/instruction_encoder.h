// One 68HC11 instruction: its operand field read against the mnemonic's forms,
// the addressing mode chosen, and its bytes.
//
// Operands: none (inherent); #expr (immediate); expr (direct when the value is
// known when first met, at most $FF and the mnemonic has a direct form,
// extended otherwise); expr,X / expr,Y / ,X (indexed, unsigned offset 0-255);
// expr (relative branches: the target address); BSET/BCLR addr mask and
// BRSET/BRCLR addr mask target, where addr may be indexed and the fields are
// separated by a comma or blanks (a '#' before the mask is allowed). Blanks may
// stand around the comma before X or Y.
#pragma once

#include "asm/expression.h"
#include "asm/opcode_index.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace tessaline::asm11 {

struct Codage {
    const FormeInstruction* forme = nullptr; // nullptr when no form fits the operand
    QByteArray octets;                       // forme->longueur bytes when a form was found
    QString erreur;                          // empty when the instruction is right
};

// Encodes the instruction at `compteur`. `operande` is the rest of the line
// after the mnemonic (a comment after the operand is ignored). In the first
// pass a value not yet known counts as 0 and raises no error. The second pass
// (`passe2`) passes the form the first pass chose, so that every instruction
// keeps its length, and reports undefined symbols and values out of range.
Codage coderInstruction(const QVector<FormeInstruction>& formes, QStringView operande, int32_t compteur,
                        const ChercheSymbole& chercher, const FormeInstruction* formeChoisie, bool passe2);

} // namespace tessaline::asm11
