// tessaline-sim --run: load an S-record file, start the CPU in normal single-chip mode,
// run in virtual time until WAI with interrupts masked (I set: nothing on the board can
// wake it), STOP, an illegal opcode or the cycle limit, and print
// the registers and the cycle count.
#pragma once

#include "sim_options.h"

#include <istream>
#include <ostream>

namespace hc11 {

// The last three lines written to `out` are exactly
//   A=xx B=xx X=xxxx Y=xxxx SP=xxxx PC=xxxx CCR=xx
//   E cycles: N
//   E cycles per second: N
// Returns the process exit status: 0 after a run; 2 when the file is not one to run (not
// a regular file, larger than kMaxSRecordFileBytes, no S1 record); 1 when it cannot be
// read or a record is malformed or outside RAM and EEPROM.
// With options.terminal, `terminalIn` is what is typed to the program (all of it, read
// before the run): its SCI output goes to `out` as it comes, and the lines above go to
// `err`.
int runHeadless(const SimOptions& options, std::ostream& out, std::ostream& err,
                std::istream* terminalIn = nullptr);

} // namespace hc11
