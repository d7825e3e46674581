// The exchange primitives every conversation with the Talker is built from:
// flush the input, send a byte and check what comes back, wait for one byte
// under the configured time-out.
//
// Framing on the line: the host sends a command byte and the Talker echoes it;
// then the parameter bytes; for every byte the Talker sends, the host answers
// with one handshake byte (the byte it has just received).
#pragma once

#include "link/session.h"

#include <QString>

namespace tessaline {

// Command codes of the Talker.
namespace commande {
inline constexpr int LireRegistres = 1;
inline constexpr int EcrireRegistres = 2;
inline constexpr int TrameBreak = 3;
inline constexpr int Stop = 4;
inline constexpr int EcrireMemoire = 5;
inline constexpr int LireMemoire = 6;
} // namespace commande

// The byte the Talker sends when the user's program stops (SWI, illegal
// opcode, stop command).
inline constexpr int OctetArret = 0x03;

// Reads and drops everything waiting in the receive buffer.
void ViderCom(Session& session);

// Sends a command byte with the time-out armed or not, and waits for its echo.
// True only when a byte came back and equals the one sent.
bool EnvoiCommande(Session& session, int octet, bool timeoutArme);

// Sends a byte and waits for the byte read back. True only when a byte came
// back and equals the one sent.
bool EnvoiOctet(Session& session, int octet);

// Waits for one byte (all callers pass n = 1): its two hex digits; the empty text
// on time-out (after the time-out report) or abort.
QString RecevoirComBINHexa(Session& session, int n = 1);
// Waits for one byte: 0-255; -1 on time-out (after the report); 0 on abort.
int RecevoirComBINDec(Session& session, int n = 1);
// Waits for one byte: 0-255; -2 on time-out, -1 on abort, 0 on cancel; no report.
int RecComBIN_NbOct_Dec(Session& session, int n = 1);

// Beeps and shows the time-out report naming the routine that waited.
void AfficheTimeOut(Session& session, const QString& nomRoutine);

} // namespace tessaline
