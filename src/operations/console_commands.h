// The debug console's command state, shared by the windows and the command
// line: which command is selected, how the address, length and value fields
// are completed, the coloured echo of the command about to run, and Execute.
#pragma once

#include "link/session.h"

namespace tessaline {

// Console command codes.
namespace code {
inline constexpr int Aucune = 0;
inline constexpr int Break = 1;
inline constexpr int UploadBin = 2;
inline constexpr int Disassemble = 4;
inline constexpr int LoadS19 = 7;
inline constexpr int MemDump = 9;
inline constexpr int MemFill = 10;
inline constexpr int MemSet = 11;
inline constexpr int Run = 13;
inline constexpr int Step = 14;
inline constexpr int RegSet = 16;
inline constexpr int UploadDis = 17;
inline constexpr int EraseEeprom = 18;
inline constexpr int LoadTalker = 19;
} // namespace code

// A field's text completed on the left with zeros to `chiffres` digits.
QString completer(const QString& texte, int chiffres);
// The value field: four digits from three characters on, two otherwise.
QString completerValeur(const QString& texte);

// Selects a command: the echo area shows its echo text in red, CmdCourante
// takes its code, and the fields it uses are enabled.
void selectionnerCommande(Session& session, int code, const QString& texteEcho);
// Enables the fields the selected command uses.
void EnableDisableSaisir(Session& session);
// Completes the three fields' texts into CmdAdresse, CmdLongueur and CmdValeur
// (a length of "0000" becomes "0080"), shows them in the fields and rebuilds the
// echo area from the selected command's echo text.
void RemplirECHO(Session& session, const QString& adresse, const QString& longueur, const QString& valeur);

// Execute: runs the selected command with the link watch off. False when the
// selected command has nothing to run from here.
bool executerCommande(Session& session);

} // namespace tessaline
