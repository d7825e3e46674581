// The primitives every conversation with the target is built from: flush the
// input, send a byte and check what comes back, wait for one byte under a
// time-out. The Talker's exchanges themselves are in talker_protocol.h.
#pragma once

#include "link/session.h"

#include <QString>

namespace tessaline {

inline constexpr int SansLimite = -1;

// How a wait for one byte ended.
enum class FinAttente { Donnee, TimeOut, Abandon, Annulation, Erreur };

struct Reception {
    FinAttente fin;
    int octet = 0; // 0-255 when fin is Donnee
};

// The wait under every receive: window events keep running while it sleeps
// until at least `n` bytes wait, the abort flag (clears it first), the cancel
// flag (only when `avecAnnulation`), or `timeout` tenths of a second
// (SansLimite: no time limit, for the boot ROM's break). The first
// waiting byte is taken; bytes that arrived with it are dropped. A port failure
// is reported under `nomRoutine`.
Reception attendreOctet(Session& session, int timeout, bool avecAnnulation, const QString& nomRoutine,
                        int n = 1);

// The routines below wait under the configured time-out (config.Timeout), and
// without limit while the time-out armed flag is clear.

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
