// The console's Disassemble command: target memory listed as 68HC11
// instructions into the trace window.
#pragma once

#include "disasm/desass_instr.h"
#include "link/session.h"

namespace tessaline {

// Lists whole instructions from CmdAdresse until at least 16 bytes are covered,
// one six-byte read per instruction, and leaves CmdAdresse after the last one.
void Disassemble(Session& session);

// " <incremente>": the name, among the program's symbols, of the address the
// instruction in `hexa` works on or goes to (direct and extended operands,
// branch targets); nothing for the other modes, whose operand is no address
// or depends on an index register.
QString nomOperande(const TableSymboles& symboles, const QString& hexa, const Desassemblage& d);

} // namespace tessaline
