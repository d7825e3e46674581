// The commands of the command-line front end, over the same session and
// operations as the windows.
#pragma once

#include "cli/command_line.h"
#include "cli/console_screen.h"
#include "link/session.h"

#include <QTextStream>

namespace tessaline {

// True when one of the commands talks to the target (the port is opened first).
bool commandeCible(const LigneCommande& ligne);

// The configuration as "Name: value" lines.
void afficherInfo(const Session& session, const QString& emplacementReglages, QTextStream& sortie);

// The exit status of a run the user interrupted: 128 + SIGINT, as a shell
// reports it. The program turns it into 128 + the signal it caught.
inline constexpr int StatutInterrompu = 130;

// Runs the commands in order, after a check of the link before the first one
// that talks to the target (but a download). A command the console disables in
// the link state of the moment (Run or Step while the program runs, Stop while
// it is stopped) is refused in one line on `erreurs`, and the run ends there.
// Each stop of the program is printed as the stopped display's line (address,
// instruction) and the registers line. Exit status: 0 when all went well, 1
// when the check found no Talker, a command was refused or an operation
// reported a failure, StatutInterrompu when the session's interruption was
// asked (the command in progress ends at its next exchange) or a signal
// stopped the program a command waited for: the rest do not run; one line on
// `erreurs` says so.
int executerCommandes(Session& session, const LigneCommande& ligne, ConsoleScreen& ecran,
                      const QString& emplacementReglages, QTextStream& sortie, QTextStream& erreurs);

} // namespace tessaline
