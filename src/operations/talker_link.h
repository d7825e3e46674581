// Putting the Talker into the target's RAM through the 68HC11's bootstrap
// loader, checking that a Talker answers, and the link state the whole
// interface shows: no Talker, Talker present with the target stopped, or
// Talker present with the target's program running.
#pragma once

#include "link/session.h"
#include "link/transfer.h"

namespace tessaline {

// The panel texts of the link state.
inline const QString TalkerCharge = QStringLiteral("Talker Charg\u00e9");
inline const QString PasDeTalker = QStringLiteral("Pas de Talker");
inline const QString CibleTourne = QStringLiteral("Cible Tourne");
inline const QString CibleStop = QStringLiteral("Cible STOP");

// How a download ended. DejaPresent: the chip did not leave reset within the
// wait, but a Talker already in its RAM answers.
enum class ResultatChargement { Charge, DejaPresent, Annule };

// The download, run inside the progress window frmInfo: waits for the break the
// chip sends when it leaves reset in bootstrap mode (until Cancel, or at most
// `attenteBreak` tenths of a second, after which a Talker that answers all the
// same is kept, and otherwise it says what to check), sends
// the prepared image at the boot rate, reopens the port at the working rate and
// checks that the Talker answers with its own stack (SP 00E8); otherwise the
// user resets the chip again and it starts over.
ResultatChargement LoadTalker(Session& session, int attenteBreak = SansLimite);

// Sends the prepared image byte by byte, with the progress bar, until done or
// cancelled.
void EnvoiTalker(Session& session);

// Reads the registers through the Talker and updates the link state, the panels,
// the register set and the console's buttons; a Talker that does not answer
// leaves the "no Talker" state, at once when the line knows that no program
// runs behind it or that it is broken. Each wait is one for the Talker's
// answer (at most 2 s, transfer.h) under the configured time-out, or under
// `timeout` tenths of a second.
void TestTalker(Session& session);
void TestTalker(Session& session, int timeout);

// The "no Talker" state: its panels, flags and console buttons, and the
// link-state entry of the trace. What a check that finds no Talker leaves, and
// what a reset of the target leaves.
void EtatPasDeTalker(Session& session);

// Makes the link watch act when the target sends a byte on its own: a running
// program's stop is read and shown; anything else runs the Talker check under
// the watch's own time-out.
void installerVerificationLiaison(Session& session);

} // namespace tessaline
