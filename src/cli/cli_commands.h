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

// Runs the commands in order. Exit status: 0 when all went well, 1 when an
// operation reported a failure.
int executerCommandes(Session& session, const LigneCommande& ligne, ConsoleScreen& ecran,
                      const QString& emplacementReglages, QTextStream& sortie);

} // namespace tessaline
