// The primitives every conversation with the target is built from: flush the
// input, and wait for one byte under a time-out while the windows stay alive.
// The Talker's exchanges themselves (command, echo, handshakes) are in
// talker_protocol.h.
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

// Reads and drops everything waiting in the receive buffer.
void ViderCom(Session& session);

// Beeps and shows the time-out report naming the routine that waited.
void AfficheTimeOut(Session& session, const QString& nomRoutine);

} // namespace tessaline
