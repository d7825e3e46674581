// The debug console's command state, shared by the windows and the command
// line: which command is selected, how the address, length and value fields
// are completed, the coloured echo of the command about to run, and Execute.
#pragma once

#include "link/session.h"
#include "operations/console_command_table.h"

namespace tessaline {

// A field's text completed on the left with zeros to `chiffres` digits.
QString completer(const QString& texte, int chiffres);
// The value field: four digits from three characters on, two otherwise.
QString completerValeur(const QString& texte);

// Selects a command: the echo area shows its echo text in red, CmdCourante
// takes its code, and the fields it uses are enabled.
void selectionnerCommande(Session& session, int code, const QString& texteEcho);
// Enables the fields the selected command uses (as the command table gives
// them).
void EnableDisableSaisir(Session& session);
// Completes the three fields' texts into CmdAdresse, CmdLongueur and CmdValeur
// (a length of "0000" becomes "0080"), shows them in the fields and rebuilds the
// echo area from the selected command's echo text.
void RemplirECHO(Session& session, const QString& adresse, const QString& longueur, const QString& valeur);

// Execute: runs the selected command with the link watch off. False when the
// selected command has nothing to run from here, or when it ended by
// selecting none (Execute then stays idle).
bool executerCommande(Session& session);

} // namespace tessaline
