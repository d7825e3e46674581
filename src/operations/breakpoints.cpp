#include "operations/breakpoints.h"

#include "disasm/desass_instr.h"
#include "link/control_names.h"
#include "link/conversions.h"
#include "link/error_report.h"
#include "link/planted_bytes.h"
#include "link/registers.h"
#include "link/talker_image.h"
#include "link/trace.h"
#include "link/transfer.h"
#include "operations/breakpoint_table.h"
#include "operations/console_command_table.h"
#include "operations/console_commands.h"
#include "operations/displaced_step.h"
#include "operations/memory_read.h"
#include "operations/memory_write.h"
#include "operations/program_run.h"

#include <algorithm>

namespace tessaline {

namespace {

const QString Swi = QStringLiteral("3F");
// Enough bytes for any instruction, prebyte included.
constexpr int OctetsLus = 8;
// What RTI pulls from SP + 1 on: CCR, B, A, IX, IY, then the PC (M68HC11
// Reference Manual 5.7, stacking order).
constexpr int OctetsPileRti = 9;
constexpr int DecalagePcRti = 7;

int valeur(const QString& texte) {
    return HexaDec(texte) & 0xFFFF;
}

// The mnemonic of the instruction at the start of `octets`; empty for a data byte.
QLatin1StringView mnemonique(const QString& octets) {
    const OpcodeEntry* op = opcodeAt(octets);
    return op ? QLatin1StringView(op->mnemonic) : QLatin1StringView();
}

bool estRetour(QLatin1StringView m) {
    return m == QLatin1StringView("RTS") || m == QLatin1StringView("RTI");
}

// The RAM a program may use: above the Talker's 256 bytes.
int debutRamLibre(const Configuration& c) {
    return std::max(static_cast<int>(c.DepartRam), talker::ImageBytes);
}

QString plage(double debut, double fin) {
    return DecHexa4(static_cast<int>(debut) & 0xFFFF) + u'-' + DecHexa4(static_cast<int>(fin) & 0xFFFF);
}

} // namespace

bool refuserPoint(Session& s, int adresse, const QString& quoi) {
    if (adressePlantable(s, adresse)) return false;
    const Configuration& c = s.config;
    const int debutRam = debutRamLibre(c);
    QString ou = QStringLiteral("l'EEPROM (%1)").arg(plage(c.DepartEEprom, c.FinEeprom()));
    if (debutRam <= c.FinRam()) ou = QStringLiteral("la RAM (%1) ou ").arg(plage(debutRam, c.FinRam())) + ou;
    AfficheEchec(s.ecran(),
                 QStringLiteral("%1 refus\u00e9 : %2 n'est pas dans %3").arg(quoi, DecHexa4(adresse), ou));
    return true;
}

namespace {

// The SWIs one operation has planted, with the bytes they replaced.
struct Plante {
    int adresse;
    QString ancien;
};

class Plantes {
public:
    // Plants at every address, or at none: on a failure those already planted
    // are taken back.
    bool poser(Session& s, const QVector<int>& adresses) {
        // The user's breakpoints first: they stay planted after the operation.
        if (!planterPoints(s)) return false;
        for (int a : adresses) {
            // One of the user's breakpoints is there already.
            if (pointPlante(s.points, a)) {
                deLaListe_.append(a);
                continue;
            }
            const QString ancien = PoseBreak(s, DecHexa4(a));
            if (ancien.isEmpty()) {
                retirer(s);
                return false;
            }
            plantes_.append({a, ancien});
        }
        return true;
    }

    bool contient(int adresse) const {
        return deLaListe_.contains(adresse) ||
               std::any_of(plantes_.begin(), plantes_.end(),
                           [adresse](const Plante& p) { return p.adresse == adresse; });
    }

    // Writes every replaced byte back, even when the user has asked to stop:
    // then the operation ends with memory as it found it. What could not be
    // written back is said, with the byte to put back by hand.
    void retirer(Session& s) {
        const RetraitEnCours retrait(s);
        QStringList restes;
        // Once the Talker is found lost (a failed write runs the check), the
        // bytes left are not tried: each would wait for an answer in vain.
        for (const Plante& p : plantes_)
            if (!s.liaison.talkerPresent || !FillMem(s, 1, DecHexa4(p.adresse), p.ancien))
                restes << swiReste(p.adresse, p.ancien);
        plantes_.clear();
        signalerSwiRestes(s, restes);
    }

    // Nothing is known of the program any more: the SWIs stay where they are.
    void abandonner(Session& s) {
        QStringList restes;
        for (const Plante& p : plantes_)
            restes << swiReste(p.adresse, p.ancien);
        plantes_.clear();
        signalerSwiRestes(s, restes);
    }

private:
    QVector<Plante> plantes_;
    // Addresses asked for that are the user's breakpoints: planted already,
    // and left planted.
    QVector<int> deLaListe_;
};

enum class Fin {
    SurPlante, // stopped on one of the planted SWIs; RegPC is back on it
    SurPoint,  // stopped on another of the user's breakpoints; RegPC is back on it
    Ailleurs,  // stopped somewhere else (its own SWI, or stopped by the host)
    Echec,     // nothing known of the program (already reported)
};

// Plants at `adresses`, starts the program with `depart` (none: it already
// runs), catches the stop, brings the PC back onto the SWI that stopped it
// and writes every planted byte back.
Fin jusquAuxPlantes(Session& s, const QVector<int>& adresses, bool (*depart)(Session&, bool), int parametre) {
    Plantes plantes;
    if (!plantes.poser(s, adresses)) return Fin::Echec;
    if (depart && !depart(s, false)) {
        plantes.retirer(s);
        return Fin::Echec;
    }
    const Arret arret = attraperArret(s, parametre);
    if (arret == Arret::Perdu) {
        plantes.abandonner(s);
        return Fin::Echec;
    }
    Fin fin = Fin::Ailleurs;
    // After an SWI the stacked PC is the address that follows it.
    const int avant = (valeur(s.registres.RegPC) - 1) & 0xFFFF;
    if (arret == Arret::Arrete && plantes.contient(avant)) {
        changerRegistre(s, &JeuRegistres::RegPC, DecHexa4(avant));
        fin = Fin::SurPlante;
    } else if (arret == Arret::Arrete && arretSurPoint(s)) {
        fin = Fin::SurPoint;
    }
    plantes.retirer(s);
    return fin;
}

// The target stays stopped where it was: its console comes back.
void consoleInchangee(Session& s) {
    if (s.liaison.talkerPresent && !s.liaison.cibleTourne) {
        consoleCibleArretee(s);
        s.ecran().setEnabled(controle::Adresse, false);
    }
    s.console.CmdCourante = code::Aucune;
}

QString breakAdr(Session& s) {
    EtatBreak& b = s.pointArret;
    if (b.BreakAdr.isEmpty()) b.BreakAdr = DecHexa4(static_cast<int>(s.config.DepartEEprom) & 0xFFFF);
    b.BreakAdr = completer(b.BreakAdr, 4);
    return b.BreakAdr;
}

// The addresses a step from `pc` may reach, minus those it must not be
// planted at: inside the instruction itself, or where no SWI can go.
QVector<int> suitesPlantables(Session& s, const QString& octets, int pc, const QVector<int>& toutes) {
    const int longueur = DesassInstr(octets, DecHexa4(pc), s.registres.RegIX, s.registres.RegIY).LongInstr;
    QVector<int> suites;
    for (int a : toutes) {
        const int decalage = (a - pc) & 0xFFFF;
        if (decalage >= 1 && decalage < longueur) continue;
        if (adressePlantable(s, a)) suites.append(a);
    }
    // A call into code where no SWI can go (the boot ROM's routines, say) is
    // stepped over: it returns to the next instruction.
    const QLatin1StringView m = mnemonique(octets);
    const int suivante = (pc + longueur) & 0xFFFF;
    if (suites.isEmpty() && (m == QLatin1StringView("JSR") || m == QLatin1StringView("BSR")) &&
        adressePlantable(s, suivante))
        suites.append(suivante);
    return suites;
}

// The stack bytes RTS and RTI return through, when the instruction is one.
QString pileDeRetour(Session& s, const QString& octets) {
    if (!estRetour(mnemonique(octets))) return {};
    return LoadMem(s, DecHexa4((valeur(s.registres.RegSP) + 1) & 0xFFFF), OctetsPileRti);
}

// Runs the instruction at `pc` and stops after it. Fin::Echec also when no
// address after it can carry a breakpoint (said).
Fin pasAPas(Session& s, int pc, bool (*depart)(Session&, bool)) {
    const QString octets = LoadMem(s, DecHexa4(pc), OctetsLus);
    if (octets.isEmpty()) return Fin::Echec;
    const QString pile = pileDeRetour(s, octets);
    const QVector<int> toutes = suitesPossibles(octets, pc, s.registres.RegIX, s.registres.RegIY, pile);
    // The stack of a return could not be read (already reported).
    if (toutes.isEmpty()) return Fin::Echec;
    const QVector<int> suites = suitesPlantables(s, octets, pc, toutes);
    if (suites.isEmpty()) {
        refuserPoint(s, toutes.first(), QStringLiteral("Step"));
        return Fin::Echec;
    }
    return jusquAuxPlantes(s, suites, depart, 0);
}

// One instruction from `pc`, where the program stopped. On one of the user's
// breakpoints, the instruction under it runs without its SWI being taken out
// (displaced_step.h); where no RAM is free for that, the SWI is taken out for
// the step and planted again at the next run.
Fin pasDepuis(Session& s, int pc) {
    if (!pointPlante(s.points, pc)) return pasAPas(s, pc, &RunProgPC);
    switch (executerHorsPlace(s, pc)) {
    case FinHorsPlace::Fait: return Fin::SurPlante;
    case FinHorsPlace::Ailleurs: return Fin::Ailleurs;
    case FinHorsPlace::Echec: return Fin::Echec;
    case FinHorsPlace::Impossible: break;
    }
    const PointSuspendu suspendu(s, pc);
    if (!suspendu.ok()) return Fin::Echec;
    return pasAPas(s, pc, &RunProgPC);
}

// The console of a program that starts running.
void lancer(Session& s) {
    consoleCibleEnMarche(s);
    s.ecran().setEnabled(controle::Adresse, false);
    s.ecran().setEnabled(controle::Step, false);
    s.console.CmdCourante = code::Aucune;
}

// Resumes the program at RegPC and runs it to a breakpoint of the list or one
// of `plus` (taken out after), waiting for the stop. Without `plus`, it runs
// free to the list's breakpoints.
void reprendre(Session& s, const QVector<int>& plus) {
    lancer(s);
    const int pc = valeur(s.registres.RegPC);
    if (pointPlante(s.points, pc)) {
        const Fin fin = pasDepuis(s, pc);
        if (fin == Fin::Echec) return consoleInchangee(s);
        if (fin != Fin::SurPlante || plus.contains(valeur(s.registres.RegPC)))
            return afficherArret(s, s.registres.RegPC, true);
    }
    if (plus.isEmpty()) {
        // To the list's breakpoints, which stay: the program runs free and the
        // link watch catches its stop (arretSpontane), so that it can be
        // watched and stopped meanwhile like any running program.
        if (!planterPoints(s) || !RunProgPC(s)) consoleInchangee(s);
        return;
    }
    const Fin fin = jusquAuxPlantes(s, plus, &RunProgPC, 0);
    if (fin == Fin::Echec) return consoleInchangee(s);
    afficherArret(s, s.registres.RegPC, true);
}

} // namespace

bool adressePlantable(const Session& session, int adresse) {
    const Configuration& c = session.config;
    const bool ram = adresse >= debutRamLibre(c) && adresse <= c.FinRam();
    const bool eeprom = adresse >= c.DepartEEprom && adresse <= c.FinEeprom();
    return ram || eeprom;
}

QString PoseBreak(Session& session, const QString& adresse) {
    const QString avant = LoadMem(session, adresse, 1);
    if (avant.isEmpty() || !FillMem(session, 1, adresse, Swi)) return {};
    return avant;
}

QVector<int> suitesPossibles(const QString& octets, int pc, const QString& regIX, const QString& regIY,
                             const QString& pile) {
    const Desassemblage d = DesassInstr(octets, DecHexa4(pc), regIX, regIY);
    const int suivante = (pc + d.LongInstr) & 0xFFFF;
    const QLatin1StringView m = mnemonique(octets);
    auto est = [&m](const char* nom) { return m == QLatin1StringView(nom); };
    // A return goes where the stack says; without the stack, nowhere known.
    if (estRetour(m)) {
        const int i = est("RTI") ? DecalagePcRti : 0;
        if (pile.size() < 2 * i + 4) return {};
        return {valeur(pile.mid(2 * i, 4))};
    }
    if (!transfersControl(octets) || est("BRN")) return {suivante};
    const int destination = valeur(d.AdrDest);
    // Jumps and calls always go to their destination.
    if (est("BRA") || est("JMP") || est("JSR") || est("BSR")) return {destination};
    if (destination == suivante) return {suivante};
    return {suivante, destination};
}

void Run(Session& session) {
    // With breakpoints in the list, the program starts at the address field
    // and runs to the first it reaches (or to the console's).
    if (!pointsActifs(session).isEmpty()) {
        placerAuDepart(session);
        QVector<int> plus;
        if (session.pointArret.BreakArme) {
            const int adresse = valeur(breakAdr(session));
            if (refuserPoint(session, adresse, QStringLiteral("Point d'arr\u00eat")))
                return consoleInchangee(session);
            plus.append(adresse);
        }
        return reprendre(session, plus);
    }
    lancer(session);
    if (!session.pointArret.BreakArme) {
        if (!RunProg(session)) consoleInchangee(session);
        return;
    }
    // Started on the breakpoint itself, the program must first get past it.
    const QString depart = adresseDepart(session);
    if (valeur(breakAdr(session)) == valeur(depart))
        RunBreakPC(session);
    else
        RunBreak(session);
}

void RunBreak(Session& session) {
    const int adresse = valeur(breakAdr(session));
    if (refuserPoint(session, adresse, QStringLiteral("Point d'arr\u00eat")))
        return consoleInchangee(session);
    const Fin fin = jusquAuxPlantes(session, {adresse}, &RunProg, 0);
    if (fin == Fin::Echec) return consoleInchangee(session);
    afficherArret(session, fin == Fin::SurPlante ? session.pointArret.BreakAdr : session.registres.RegPC,
                  true);
}

void RunBreakPC(Session& session) {
    const int adresse = valeur(breakAdr(session));
    if (refuserPoint(session, adresse, QStringLiteral("Point d'arr\u00eat")))
        return consoleInchangee(session);
    // The instruction under the breakpoint first, from the start address.
    Fin fin = pasAPas(session, adresse, &RunProg);
    if (fin == Fin::Echec) return consoleInchangee(session);
    if (fin == Fin::SurPlante) {
        // Then on to the breakpoint again.
        fin = jusquAuxPlantes(session, {adresse}, &RunProgPC, 0);
        if (fin == Fin::Echec) return consoleInchangee(session);
    }
    const bool surBreak = fin == Fin::SurPlante && valeur(session.registres.RegPC) == adresse;
    afficherArret(session, surBreak ? session.pointArret.BreakAdr : session.registres.RegPC, true);
}

void BreakExecute(Session& session) {
    Screen& e = session.ecran();
    EtatConsole& c = session.console;
    EtatBreak& b = session.pointArret;
    if (c.CmdAdresse.isEmpty())
        c.CmdAdresse = DecHexa4(static_cast<int>(session.config.DepartEEprom) & 0xFFFF);
    b.BreakAdr = completer(c.CmdAdresse, 4);
    b.BreakArme = true;
    const QString legende = QStringLiteral("Break : ") + b.BreakAdr;
    e.setText(controle::Break, legende);
    TraceHeure(session, session.horloge().now());
    e.append(Zone::Trace, QStringLiteral("Execute ") + legende + FinLigne, couleur::Rouge, true);
    c.CmdCourante = code::Aucune;
    // A stopped program gets the breakpoint at its next Run.
    if (!session.liaison.cibleTourne) return;
    const QString point = b.BreakAdr;
    const int adresse = valeur(point);
    if (refuserPoint(session, adresse, QStringLiteral("Point d'arr\u00eat"))) return;
    const Fin fin = jusquAuxPlantes(session, {adresse}, nullptr, 1);
    c.CmdCourante = code::Aucune;
    if (fin == Fin::Echec) return;
    afficherArret(session, fin == Fin::SurPlante ? point : session.registres.RegPC, true);
}

void Continuer(Session& session) {
    // The console's breakpoint, when armed, stops it as well.
    QVector<int> plus;
    if (session.pointArret.BreakArme) {
        const int adresse = valeur(breakAdr(session));
        if (adressePlantable(session, adresse)) plus.append(adresse);
    }
    reprendre(session, plus);
}

void PasPrincipal(Session& session) {
    const int pc = valeur(session.registres.RegPC);
    const QString octets = LoadMem(session, DecHexa4(pc), OctetsLus);
    if (octets.isEmpty()) return consoleInchangee(session);
    const QLatin1StringView m = mnemonique(octets);
    const Desassemblage d =
        DesassInstr(octets, DecHexa4(pc), session.registres.RegIX, session.registres.RegIY);
    const int retour = (pc + d.LongInstr) & 0xFFFF;
    // Anything but a call, or a call whose return no SWI can mark: one step.
    if ((m != QLatin1StringView("JSR") && m != QLatin1StringView("BSR")) ||
        !adressePlantable(session, retour))
        return Step(session);
    // The call and the subroutine run, to the return address.
    reprendre(session, {retour});
}

void ExecuterJusquA(Session& session, int adresse) {
    adresse &= 0xFFFF;
    if (refuserPoint(session, adresse, QStringLiteral("Ex\u00e9cuter jusqu'ici")))
        return consoleInchangee(session);
    reprendre(session, {adresse});
}

void Step(Session& session) {
    const Fin fin = pasDepuis(session, valeur(session.registres.RegPC));
    if (fin == Fin::Echec) return consoleInchangee(session);
    afficherArret(session, session.registres.RegPC, false);
}

} // namespace tessaline
