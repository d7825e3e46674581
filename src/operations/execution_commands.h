// The console's execution controls as they act when clicked: the Break check
// box, Step and Stop. Run selects its command like the other buttons; Execute
// then runs it (breakpoints.h).
#pragma once

#include "link/session.h"

#include <functional>

namespace tessaline {

// Break ticked (`coche`) or cleared. Ticked, it selects the Break command and
// arms the breakpoint; Execute is armed only while the program runs (a stopped
// program gets the breakpoint at its next Run). True when Execute is armed.
bool chkBreak_Click(Session& session, bool coche);

// Step: one instruction at RegPC, with the link watch off. The breakpoint is
// disarmed.
void cmdSTEP_Click(Session& session);

// Step over, Continue and Run to `adresse` (breakpoints.h), as Step goes: the
// Talker checked first, the link watch off, the stop shown. The console's
// breakpoint stays armed.
void cmdNEXT_Click(Session& session);
void cmdCONTINUE_Click(Session& session);
void cmdRUNTO_Click(Session& session, int adresse);

// What the four above share: `operation` on the stopped program, under the
// echo `nom`.
void executerPas(Session& session, const QString& nom, const std::function<void(Session&)>& operation);

// Stop: stops the running program and shows where. While an operation waits
// for the program to stop, ends that wait instead: the operation stops the
// program itself. False when another exchange is in progress: nothing was
// done, and the click is to be given again once it has ended.
bool cmdSTOP_Click(Session& session);

} // namespace tessaline
