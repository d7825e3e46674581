// Running the one instruction that lies under a planted breakpoint without
// taking its SWI out of memory, so that a continue from a breakpoint in the
// EEPROM writes nothing there.
//
// The instruction's own bytes (the user's, as the breakpoint table keeps
// them) are copied into free RAM above the Talker, followed by an SWI, and run
// there with interrupts masked; the PC is then moved to where the instruction
// would have left it. A conditional branch is copied with its offset set to
// one, over two SWIs: which of them stops it says whether it was taken. A
// call (JSR, BSR) is copied as a JSR to the SWI after it, so that the CPU
// pushes and lowers SP; the host then puts the true return address in the
// pushed bytes and the PC at the subroutine. BRA, BRN, JMP, RTS and RTI are
// done by the host on the register set. The RAM borrowed is read first and
// written back after.
#pragma once

#include "link/session.h"

namespace tessaline {

enum class FinHorsPlace {
    Fait,       // the instruction ran; the register set holds the state after it
    Ailleurs,   // the program stopped somewhere else (shown by the caller)
    Echec,      // nothing could be done (said)
    Impossible, // no free RAM for the copy: nothing sent
};

FinHorsPlace executerHorsPlace(Session& session, int pc);

} // namespace tessaline
