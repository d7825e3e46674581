// Reg SET: the user edits the register set in the registers window. Entering
// keeps a copy of the seven texts; leaving logs the registers that changed.
// The edited values reach the target with the next run or step, which write
// the whole set as the Talker's register frame.
#pragma once

#include "link/session.h"

namespace tessaline {

// Entering Reg SET: the console's target commands off (but Reg SET itself), the
// copy taken, command 16 selected and "Reg SET" in the echo area.
void entrerRegSet(Session& session);

// Leaving Reg SET: the echo entry, then the line listing each register whose
// text differs from the copy, and the console's buttons as for a stopped
// target.
void quitterRegSet(Session& session);

} // namespace tessaline
