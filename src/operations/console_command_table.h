// The debug console's commands as one table: for each command button, the code
// it selects, its echo text, the fields it uses, what Execute runs for it, and
// whether it is enabled in each link state. The console window builds its
// buttons from it, the link states and Reg SET set the buttons from it, and the
// command line finds its console commands in it.
#pragma once

#include "link/session.h"

#include <QLatin1StringView>

#include <span>

namespace tessaline {

// Console command codes (CmdCourante).
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
inline constexpr int VerifS19 = 20;
} // namespace code

// The console's three fields, as a set of bits.
namespace champ {
inline constexpr int Aucun = 0;
inline constexpr int Adresse = 1;
inline constexpr int Longueur = 2;
inline constexpr int Valeur = 4;
// A selected command that names no fields of its own uses the address and the
// length.
inline constexpr int ParDefaut = Adresse | Longueur;
} // namespace champ

// The states that set the console's buttons: no Talker; Talker present with the
// target stopped in it; Talker present with the target's program running; and
// Reg SET mode, while the user edits the register set.
enum class EtatLien { SansTalker, CibleArretee, CibleEnMarche, RegSet };
inline constexpr int NombreEtatsLien = 4;

// What a state does to one button.
enum class Activation : unsigned char {
    Inchange, // left as it was
    Actif,
    Inactif,
    SiS19, // enabled only while an S-record text is loaded
};

struct CommandeConsole {
    QLatin1StringView bouton; // objectName
    const char* legende;      // caption, UTF-8
    const char* bulle;        // tooltip, UTF-8
    bool caseACocher;         // a check box rather than a push button
    // A click selects the command (Execute then runs it); otherwise the button
    // acts by itself and the window connects it on its own.
    bool selection;
    int code;                          // selected on click; Aucune selects none
    const char* echo;                  // shown in red in the echo area
    int champs;                        // the fields enabled while it is selected
    void (*executer)(Session&);        // what Execute runs; null: nothing yet
    Activation etats[NombreEtatsLien]; // by EtatLien
};

// Every command button, in the order the console lays them out.
std::span<const CommandeConsole> commandesConsole();

// The command that `codeCommande` selects; null for Aucune or an unknown code.
const CommandeConsole* commandeParCode(int codeCommande);

// The command of the button named `bouton`; null if the table has none.
const CommandeConsole* commandeParBouton(QLatin1StringView bouton);

// The fields the command `codeCommande` uses.
int champsDe(int codeCommande);

// Sets the console's buttons and Execute as `etat` gives them.
void appliquerEtatLien(Session& session, EtatLien etat);

// Enables or disables the console's thirteen target commands: every control
// that the no-Talker state disables.
void EnableCommandes(Session& session, bool actif);

// Console buttons for a stopped target, and for a running one.
void consoleCibleArretee(Session& session);
void consoleCibleEnMarche(Session& session);

} // namespace tessaline
