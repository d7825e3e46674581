#include "operations/program_run.h"

#include "disasm/desass_instr.h"
#include "link/control_names.h"
#include "link/conversions.h"
#include "link/error_report.h"
#include "link/registers.h"
#include "link/talker_image.h"
#include "link/talker_protocol.h"
#include "link/tempo.h"
#include "link/trace.h"
#include "link/transfer.h"
#include "operations/board_time_tools.h"
#include "operations/breakpoint_table.h"
#include "operations/console_command_table.h"
#include "operations/console_commands.h"
#include "operations/disassembly.h"
#include "operations/memory_read.h"
#include "operations/talker_link.h"

namespace tessaline {

namespace {

const QString PanneauCible = QStringLiteral("Cible");
const QString NomAttenteArret = QStringLiteral("RecevoirComBINHexa");
// Bytes read for the stopped display: the longest 68HC11 instruction is 5.
constexpr int OctetsInstruction = 6;
// After the frame's last byte the Talker returns from interrupt into the
// program; the host lets it get going before anything else.
constexpr float PauseDemarrage = 0.1f;
// The lowest frame a program may run with on the Talker's stack.
constexpr int TrameLaPlusBasse = 0x00E0 - 8;

int valeur(const QString& texte) {
    return HexaDec(texte) & 0xFFFF;
}

void cibleArretee(Session& s) {
    s.ecran().setPanel(PanneauCible, CibleStop, image::CibleArretee);
    s.liaison.cibleTourne = false;
}

// The frame as the program will find it: just below its stack pointer.
TrameRegistres trameDuJeu(const JeuRegistres& r) {
    TrameRegistres t;
    t.adresse = (valeur(r.RegSP) - 8) & 0xFFFF;
    t.ccr = valeur(r.RegCCR) & 0xFF;
    t.b = valeur(r.RegB) & 0xFF;
    t.a = valeur(r.RegA) & 0xFF;
    t.x = valeur(r.RegIX);
    t.y = valeur(r.RegIY);
    t.pc = valeur(r.RegPC);
    return t;
}

void erreurRunProg(Session& s) {
    s.ecran().message(QStringLiteral("Erreur RunProg"), TitreApplication, Icone::Question, Boutons::Ok);
    TestTalker(s);
}

bool ecrireTrame(Session& s, bool pause) {
    const TrameRegistres trame = trameDuJeu(s.registres);
    // The Talker writes the frame wherever SP says and returns from interrupt
    // into it: a stack pointer outside the RAM would start the program from
    // whatever the location holds. Nothing is sent then.
    if (!adresseTrameAdmissible(trame.adresse, s.config)) {
        AfficheEchec(
            s.ecran(),
            QStringLiteral("Erreur RunProg : la pile SP=%1 n'est pas dans la RAM").arg(s.registres.RegSP));
        return false;
    }
    // On the Talker's stack, its own frames go down to 23 bytes below the
    // program's SP when it stops (the stacked frame, the idle frame, three
    // nested calls): below SP $00E0 they would reach its code at $00C4.
    if (trame.adresse < TrameLaPlusBasse) {
        AfficheEchec(s.ecran(), QStringLiteral("Erreur RunProg : la pile SP=%1 d\u00e9borde sur le Talker "
                                               "(SP 00E0 au moins, ou une pile en RAM)")
                                    .arg(s.registres.RegSP));
        return false;
    }
    ViderCom(s);
    const Resultat<QByteArray> r = ecrireTrameEtReprendre(s, trame, s.config.Timeout);
    if (r.issue == Issue::Interrompu) return false;
    const auto attendu = encoderTrame(trame);
    bool relu = r.ok() && r.donnees.size() == static_cast<int>(attendu.size());
    for (int i = 0; relu && i < r.donnees.size(); ++i)
        relu = static_cast<quint8>(r.donnees[i]) == attendu[i];
    if (!relu) {
        if (r.issue == Issue::TimeOut) AfficheTimeOut(s, NomAttenteArret);
        erreurRunProg(s);
        return false;
    }
    s.ecran().setPanel(PanneauCible, CibleTourne, image::CibleTourne);
    s.liaison.cibleTourne = true;
    if (pause) Tempo(s.horloge(), PauseDemarrage);
    return true;
}

// The registers of a break frame (PC word, then frame address and frame
// bytes), set as soon as their bytes are in.
void montrerRegistres(Session& s, const QByteArray& o) {
    auto octet = [&](int i) { return static_cast<quint8>(o[i]); };
    auto mot = [&](int i) { return octet(i) << 8 | octet(i + 1); };
    switch (o.size()) {
    case 2: changerRegistre(s, &JeuRegistres::RegPC, DecHexa4(mot(0))); break;
    case 4: changerRegistre(s, &JeuRegistres::RegSP, DecHexa4((mot(2) + 8) & 0xFFFF)); break;
    case 5:
        changerRegistre(s, &JeuRegistres::RegCCR, DecHexa2(octet(4)));
        AfficheCCR(s);
        break;
    case 6: changerRegistre(s, &JeuRegistres::RegB, DecHexa2(octet(5))); break;
    case 7: changerRegistre(s, &JeuRegistres::RegA, DecHexa2(octet(6))); break;
    case 9: changerRegistre(s, &JeuRegistres::RegIX, DecHexa4(mot(7))); break;
    case 11: changerRegistre(s, &JeuRegistres::RegIY, DecHexa4(mot(9))); break;
    default: break; // the last two: the frame's PC, now the Talker's idle loop
    }
}

} // namespace

QString adresseDepart(Session& session) {
    EtatConsole& c = session.console;
    const int debut = static_cast<int>(session.config.DepartEEprom);
    const int fin = static_cast<int>(session.config.FinEeprom());
    const int a = c.CmdAdresse.isEmpty() ? -1 : valeur(c.CmdAdresse);
    // The program is started inside the EEPROM only.
    if (a < debut || a > fin) {
        c.CmdAdresse = DecHexa4(debut & 0xFFFF);
        session.ecran().setText(controle::Adresse, c.CmdAdresse);
    }
    return completer(c.CmdAdresse, 4);
}

bool RunProg(Session& session, bool pause) {
    placerAuDepart(session);
    return ecrireTrame(session, pause);
}

void placerAuDepart(Session& session) {
    const QString depart = adresseDepart(session);
    // A new start on the Talker's stack (elsewhere than where the program
    // stopped) begins where that stack does. The SP of a stop inside one of
    // the program's subroutines would otherwise have every new run start a
    // little deeper, until the Talker's own frames run into its code.
    const int sp = valeur(session.registres.RegSP);
    if (valeur(depart) != valeur(session.registres.RegPC) && sp >= talker::StackBottom &&
        sp < talker::StackTop)
        changerRegistre(session, &JeuRegistres::RegSP, DecHexa4(talker::StackTop));
    changerRegistre(session, &JeuRegistres::RegPC, depart);
}

bool RunProgPC(Session& session, bool pause) {
    return ecrireTrame(session, pause);
}

bool LitTrameBreak(Session& session, int parametre) {
    cibleArretee(session);
    const Resultat<TrameBreak> r =
        lireTrameBreak(session, session.config.Timeout, parametre,
                       [&session](const QByteArray& recus) { montrerRegistres(session, recus); });
    if (r.ok()) return true;
    if (r.issue == Issue::TimeOut) AfficheTimeOut(session, QStringLiteral("RecevoirComBINHexa"));
    if (r.issue != Issue::Interrompu) TestTalker(session);
    return false;
}

Arret attraperArret(Session& session, int parametre) {
    EtatLiaison& l = session.liaison;
    l.annulation = false;
    l.attenteArret = true;
    // Stop ends this wait (the program is then stopped by the host); the
    // address the operation works on is no longer the user's to change.
    session.ecran().setEnabled(controle::Stop, true);
    session.ecran().setEnabled(controle::Adresse, false);
    // The program runs for as long as it likes: only the configured time-out
    // bounds this wait, not the Talker's answer delay.
    const Reception r = attendreArretProgramme(session, NomAttenteArret);
    l.attenteArret = false;
    // Whatever ends the wait, the operation has SWIs to take back once it
    // knows where the program is: the exchanges that find out still go out
    // after an interruption (Ctrl-C, the main window closing).
    const RetraitEnCours retrait(session);
    if (r.fin == FinAttente::Donnee) {
        // The $03 (its value is not checked), then the break frame.
        return LitTrameBreak(session, parametre) ? Arret::Arrete : Arret::Perdu;
    }
    if (r.fin == FinAttente::TimeOut) AfficheTimeOut(session, NomAttenteArret, Remede::ArretNonAtteint);
    // Stop pressed meanwhile is handled here, once.
    l.annulation = false;
    // Load Talker pressed (abort) replaces the Talker under the program, and a
    // failed port or a broken line can carry nothing.
    if (r.fin == FinAttente::Abandon || r.fin == FinAttente::Erreur || r.fin == FinAttente::Coupee) {
        if (r.fin == FinAttente::Coupee) TestTalker(session);
        return Arret::Perdu;
    }
    // The program did not stop where it was meant to: the host stops it, so
    // that it knows where it really is and can take its breakpoints back. An
    // interruption stops it as well.
    return arreterProgramme(session, parametre);
}

Arret arreterProgramme(Session& session, int parametre) {
    const QString erreur = QStringLiteral("Erreur ProgStop");
    session.horloge().processEvents();
    // The program may have stopped by itself since the host last looked (its
    // own SWI, a planted one, an illegal opcode): its $03 is waiting and the
    // Talker waits for the frame read. A stop command now would stack the
    // Talker's idle frame once more.
    if (session.ligne().readAll().contains(char(OctetArret)))
        return LitTrameBreak(session, parametre) ? Arret::Arrete : Arret::Perdu;
    const Resultat<ArretObtenu> r = arreter(session, session.config.Timeout);
    if (r.issue == Issue::Interrompu) return Arret::Perdu;
    if (r.issue == Issue::PasDEcho) {
        // The Talker serves Stop from the SCI's receive interrupt: no echo
        // means the program does not let it run. Its register read would go
        // unheard the same way, so no check follows: the Talker cannot answer.
        AfficheEchec(session.ecran(), erreur, Remede::StopSourd);
        EtatPasDeTalker(session);
        return Arret::Perdu;
    }
    // The Talker took Stop (it echoed), then did not go on as it should: it
    // runs on the program's stack, which may be no RAM at all. A program that
    // moved SP into the register block has the Talker's frame and return
    // addresses written over the SCI's own registers.
    if (!r.ok()) {
        if (r.issue == Issue::TimeOut) AfficheTimeOut(session, NomAttenteArret, Remede::TalkerPerdu);
        AfficheEchec(session.ecran(), erreur,
                     r.issue == Issue::Coupee ? Remede::Liaison : Remede::TalkerPerdu);
        TestTalker(session);
        return Arret::Perdu;
    }
    if (LitTrameBreak(session, parametre)) return r.donnees.deLuiMeme ? Arret::Arrete : Arret::Force;
    if (!session.liaison.interruption && !session.ligne().coupee())
        AfficheEchec(session.ecran(), erreur, Remede::TalkerPerdu);
    return Arret::Perdu;
}

void afficherArret(Session& session, const QString& etiquette, bool traceEtat, const QString& operation) {
    Screen& e = session.ecran();
    const QString octets = LoadMem(session, etiquette, OctetsInstruction, operation);
    const Desassemblage d = DesassInstr(octets, etiquette, session.registres.RegIX, session.registres.RegIY);
    e.clear(Zone::Echo);
    // "FE0A <boucle+3> ...": where the program stopped, named by its symbols.
    e.append(Zone::Echo, etiquette + marqueSymbole(session.symboles, HexaDec(etiquette)) + u' ',
             couleur::Rouge);
    e.append(Zone::Echo, d.ligne + nomOperande(session.symboles, octets, d), couleur::Bleu);
    consoleCibleArretee(session);
    e.setEnabled(controle::Step, true);
    e.setEnabled(controle::Break, true);
    e.setEnabled(controle::Adresse, false);
    e.setEnabled(controle::Longueur, false);
    e.setEnabled(controle::Valeur, false);
    TraceEchoRetour(session);
    rapporterArretCarte(session);
    if (traceEtat) TraceEtat(session);
    // Execute goes back to idle: no command is selected any more.
    session.console.CmdCourante = code::Aucune;
}

void ProgStop(Session& session) {
    const Arret arret = arreterProgramme(session);
    if (arret == Arret::Perdu) return;
    // It had just reached one of the user's breakpoints.
    if (arret == Arret::Arrete) arretSurPoint(session);
    // The read after the stop is the stop's own exchange.
    afficherArret(session, session.registres.RegPC, false, QStringLiteral("ProgStop"));
}

void arretSpontane(Session& session) {
    // The $03 has been read by the watch: the frame is next.
    ViderCom(session);
    if (!LitTrameBreak(session)) return;
    arretSurPoint(session);
    afficherArret(session, session.registres.RegPC, true);
}

} // namespace tessaline
