// The command line's EEPROM and file commands: program, erase, upload-bin and
// upload-dis, over the same operations as the console.
#pragma once

#include "cli/command_line.h"
#include "cli/console_screen.h"
#include "link/session.h"

#include <QTextStream>

namespace tessaline {

// Runs `commande` when it is one of these four; false otherwise. `echec` is
// set when it failed (the operation has already said why).
bool commandeProgrammation(Session& session, const CommandeCli& commande, ConsoleScreen& ecran, bool oui,
                           QTextStream& sortie, QTextStream& erreurs, bool& echec);

} // namespace tessaline
