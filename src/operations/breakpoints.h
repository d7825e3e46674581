// The console's breakpoint, the single step, continue, step over and run to
// an address. Each plants an SWI ($3F) in target memory where the program is
// to stop, runs it, catches the stop and writes the byte that was there back:
// such an SWI never outlives the operation. The user's breakpoints
// (breakpoint_table.h) are planted with them and stay.
#pragma once

#include "link/session.h"

#include <QString>
#include <QVector>

namespace tessaline {

// True when an SWI may be planted at `adresse`: in the RAM above the Talker's
// 256 bytes or in the EEPROM. Anywhere else it would overwrite the Talker, land
// in the register block or read back wrong halfway through an operation.
bool adressePlantable(const Session& session, int adresse);

// Says, under `quoi`, that no breakpoint may go at `adresse`, and where one
// may: true then. False, and nothing said, where one may.
bool refuserPoint(Session& session, int adresse, const QString& quoi);

// Plants SWI at `adresse` (four hex digits): the byte it held (two hex
// digits), or the empty text when reading or writing failed.
QString PoseBreak(Session& session, const QString& adresse);

// Where a step from `pc` may go next, for the instruction `octets` (hex text,
// as read at `pc`): the next address; a conditional branch's destination as
// well; only the destination for a jump or a call; for RTS and RTI only the
// return address read from the program's stack (`pile`: the bytes from SP + 1,
// hex text; none when it is missing). Each address once.
QVector<int> suitesPossibles(const QString& octets, int pc, const QString& regIX, const QString& regIY,
                             const QString& pile);

// Console command Run: runs the program, to the breakpoint when one is armed
// (waiting for it), or free to the list's breakpoints.
void Run(Session& session);
// Run from CmdAdresse until the breakpoint at BreakAdr.
void RunBreak(Session& session);
// Run from the breakpoint itself: its instruction first, then on to it again.
void RunBreakPC(Session& session);
// Console command Break: plants the breakpoint at CmdAdresse in the running
// program and waits for it.
void BreakExecute(Session& session);
// One instruction at RegPC; on one of the user's breakpoints, the instruction
// under it.
void Step(Session& session);

// Continue: resumes at RegPC with the register set and runs to the next
// breakpoint of the list: the program runs free, and the link watch catches
// its stop (arretSpontane). With the console's breakpoint armed, waits for the
// stop as Run does.
void Continuer(Session& session);
// Step over: a JSR or BSR at RegPC runs through, to the instruction after it
// (or to a breakpoint inside); anything else is one Step.
void PasPrincipal(Session& session);
// Run to `adresse`: resumes at RegPC and runs to it, or to a breakpoint before.
void ExecuterJusquA(Session& session, int adresse);

} // namespace tessaline
