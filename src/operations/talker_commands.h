// The console's two link commands that act at once, as the console's buttons,
// the Talker menu and the command line all give them: Load Reg reads the
// registers and the link state, Load Talker downloads the Talker in the
// progress window.
#pragma once

#include "link/session.h"
#include "operations/talker_link.h"

namespace tessaline {

// Load Reg (cmdDISPLAYREG): the button off and the hourglass while the link
// watch is off and TestTalker reads the register frame; no command selected,
// "Load Reg" in the echo area and in the trace. The button is enabled again at
// the end.
void chargerRegistres(Session& session);

// Load Talker (cmdLOADTALKER): ends whatever wait is in progress, selects the
// Load Talker command with its echo and trace entry, then runs the download in
// the progress window frmInfo (the wait for the chip's break bounded by
// `attenteBreak`, see LoadTalker).
ResultatChargement chargerTalker(Session& session, int attenteBreak = SansLimite);

} // namespace tessaline
