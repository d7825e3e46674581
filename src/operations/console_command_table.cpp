#include "operations/console_command_table.h"

#include "link/control_names.h"
#include "link/trace.h"
#include "operations/breakpoints.h"
#include "operations/disassembly.h"
#include "operations/eeprom_erase.h"
#include "operations/memory_read.h"
#include "operations/memory_upload.h"
#include "operations/memory_write.h"
#include "operations/s19_programming.h"
#include "operations/s19_verify.h"

#include <algorithm>

namespace tessaline {

namespace {

// Mem SET leaves the command in the trace before it writes.
void tracerPuisMemSet(Session& session) {
    TraceEcho(session);
    MemSet(session);
}

// So does Run.
void tracerPuisRun(Session& session) {
    TraceEcho(session);
    Run(session);
}

constexpr Activation I = Activation::Inchange;
constexpr Activation A = Activation::Actif;
constexpr Activation N = Activation::Inactif;
constexpr Activation S19 = Activation::SiS19;

using namespace champ;

// The link states, in the columns: no Talker, target stopped, target running,
// Reg SET. The fourteen controls that no Talker disables are those a user
// must not reach without a Talker; Erase EEPROM and Load Talker are not among
// them. Break and Load Talker keep their state in every one.
// clang-format off
const CommandeConsole Table[] = {
    {controle::MemDump, "Mem DUMP", "Lit la m\u00e9moire \u00e0 l'adresse et affiche le contenu",
     false, true, code::MemDump, "MemDump", Adresse | Longueur, &MemDump, {N, A, N, N}},
    {controle::MemFill, "Mem FILL", "Remplit la m\u00e9moire \u00e0 l'adresse avec des octets",
     false, true, code::MemFill, "MemFill", Adresse | Longueur | Valeur, &MemFill, {N, A, N, N}},
    {controle::MemSet, "Mem SET", "Ecrit des octets ou des mots de 16 bits dans la m\u00e9moire.",
     false, true, code::MemSet, "MemSet", Adresse | Valeur, &tracerPuisMemSet, {N, A, N, N}},
    {controle::UploadBin, "UpLoad BIN",
     "Lit la m\u00e9moire de la cible et enregistre les donn\u00e9es dans un fichier Binaire",
     false, true, code::UploadBin, "Upload BIN", Adresse | Longueur, &cmdUpLoadBIN, {N, A, N, N}},
    {controle::UploadDis, "UpLoad DIS",
     "Lit la m\u00e9moire \u00e0 l'adresse et enregistre les donn\u00e9es en instructions machine dans un "
     "Fichier",
     false, true, code::UploadDis, "Upload DIS", Adresse | Longueur, &cmdUpLoadDIS, {N, A, N, N}},
    // Offered only while an S-record file is there.
    {controle::LoadS19, "Load *.S19", "Charge le programme (*.S19 ) dans l'EEPROM de la cible",
     false, true, code::LoadS19, "Load ", ParDefaut, &chargerS19, {N, S19, I, N}},
    // Reads back what Load *.S19 wrote: no field.
    {controle::VerifS19, "V\u00e9rifier *.S19",
     "Compare la m\u00e9moire de la cible avec le programme (*.S19 ) et liste les diff\u00e9rences",
     false, true, code::VerifS19, "V\u00e9rifier ", Aucun, &verifierS19, {N, S19, N, N}},
    // The whole EEPROM: no field.
    {controle::EraseEeprom, "Erase EEPROM", "Lit la m\u00e9moire \u00e0 l'adresse et affiche le contenu",
     false, true, code::EraseEeprom, "Erase EEPROM", Aucun, &cmdErasEEPROM, {I, A, N, I}},
    {controle::Disassemble, "Disassemble",
     "Lit la m\u00e9moire \u00e0 l'adresse et affiche les donn\u00e9es en instruction machine",
     false, true, code::Disassemble, "Disassemble ", Adresse, &Disassemble, {N, A, N, N}},
    {controle::Run, "RUN", "D\u00e9marre ou Continue le Programme \u00e0 l'Adresse Indiqu\u00e9e",
     false, true, code::Run, "Run", Adresse, &tracerPuisRun, {N, A, N, N}},
    // One instruction at the PC, at once: no field.
    {controle::Step, "STEP",
     "Ex\u00e9cute une instruction du programme et arr\u00eate le programme apr\u00e8s l'ex\u00e9cution",
     false, false, code::Step, "Step ", Aucun, nullptr, {N, A, N, N}},
    {controle::Stop, "STOP", "Arr\u00eate le programme en ex\u00e9cution",
     false, false, code::Aucune, "Stop", ParDefaut, nullptr, {N, N, A, N}},
    {controle::DisplayReg, "Load Reg", "affiche l'\u00e9tat du Talker et les registres de la cible",
     false, false, code::Aucune, "Load Reg", ParDefaut, nullptr, {N, N, A, N}},
    // Reg SET is the one target command left enabled while it is on.
    {controle::RegSet, "Reg SET", "Autorise le changement du contenu du registre",
     true, false, code::RegSet, "Reg SET", ParDefaut, nullptr, {N, A, N, A}},
    {controle::Break, "Break : None",
     "Active ou D\u00e9sactive un point d'arr\u00eat \u00e0 l'adresse indiqu\u00e9e",
     true, false, code::Break, "Break ON", Adresse, &BreakExecute, {I, I, I, I}},
    {controle::LoadTalker, "Load Talker", "Charge et initialise le Talker en RAM",
     false, false, code::LoadTalker, "Load Talker", ParDefaut, nullptr, {I, I, I, I}},
};
// clang-format on

// Execute follows the link state as a fifteenth target command would, but
// stays as it was when the program starts running.
constexpr Activation EtatsExecute[NombreEtatsLien] = {N, N, I, N};

void activer(Session& session, QLatin1StringView bouton, Activation a) {
    switch (a) {
    case Activation::Inchange: break;
    case Activation::Actif: session.ecran().setEnabled(bouton, true); break;
    case Activation::Inactif: session.ecran().setEnabled(bouton, false); break;
    case Activation::SiS19: session.ecran().setEnabled(bouton, session.console.s19Present); break;
    }
}

int indice(EtatLien etat) {
    return static_cast<int>(etat);
}

} // namespace

std::span<const CommandeConsole> commandesConsole() {
    return Table;
}

const CommandeConsole* commandeParCode(int codeCommande) {
    if (codeCommande == code::Aucune) return nullptr;
    const auto it = std::find_if(std::begin(Table), std::end(Table),
                                 [&](const CommandeConsole& c) { return c.code == codeCommande; });
    return it == std::end(Table) ? nullptr : &*it;
}

const CommandeConsole* commandeParBouton(QLatin1StringView bouton) {
    const auto it = std::find_if(std::begin(Table), std::end(Table),
                                 [&](const CommandeConsole& c) { return c.bouton == bouton; });
    return it == std::end(Table) ? nullptr : &*it;
}

int champsDe(int codeCommande) {
    const CommandeConsole* c = commandeParCode(codeCommande);
    return c ? c->champs : champ::ParDefaut;
}

void appliquerEtatLien(Session& session, EtatLien etat) {
    for (const CommandeConsole& c : Table)
        activer(session, c.bouton, c.etats[indice(etat)]);
    activer(session, controle::Executer, EtatsExecute[indice(etat)]);
}

void EnableCommandes(Session& session, bool actif) {
    const int sansTalker = indice(EtatLien::SansTalker);
    const Activation a = actif ? Activation::Actif : Activation::Inactif;
    for (const CommandeConsole& c : Table)
        if (c.etats[sansTalker] == Activation::Inactif) activer(session, c.bouton, a);
    activer(session, controle::Executer, a);
}

void consoleCibleArretee(Session& session) {
    appliquerEtatLien(session, EtatLien::CibleArretee);
}

void consoleCibleEnMarche(Session& session) {
    appliquerEtatLien(session, EtatLien::CibleEnMarche);
}

} // namespace tessaline
