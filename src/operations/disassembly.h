// The console's Disassemble command: target memory listed as 68HC11
// instructions into the trace window.
#pragma once

#include "link/session.h"

namespace tessaline {

// Lists whole instructions from CmdAdresse until at least 16 bytes are covered,
// one six-byte read per instruction, and leaves CmdAdresse after the last one.
void Disassemble(Session& session);

} // namespace tessaline
