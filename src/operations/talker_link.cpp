#include "operations/talker_link.h"

#include "link/control_names.h"
#include "link/conversions.h"
#include "link/error_report.h"
#include "link/registers.h"
#include "link/serial_port.h"
#include "link/talker_image.h"
#include "link/talker_protocol.h"
#include "link/tempo.h"
#include "link/trace.h"
#include "link/transfer.h"
#include "operations/config_register.h"
#include "operations/console_command_table.h"
#include "operations/program_run.h"

namespace tessaline {

namespace {

const QString PanneauTalker = QStringLiteral("Talker");
const QString PanneauCible = QStringLiteral("Cible");
// The Talker's stack pointer right after a download, as the host shows it.
const QString SpDuTalker = QStringLiteral("00E8");
// Between the boot ROM's break and the image, and after the image.
constexpr float PauseChargement = 0.2f;
// The check after a cancelled download: a Talker still running from before
// echoes a command within a few character times, so the user who cancelled
// does not wait the whole configured time-out (tenths of a second).
constexpr int TimeoutApresAnnulation = 10;
// How often the progress bar moves while the image is on the wire.
constexpr double PasProgression = 0.05;
const QString PasDeTalkerAvant = QStringLiteral("Pas de Talker : chargez le Talker (Load Talker).");
const QString TalkerConfus = QStringLiteral(
    "Le Talker ne r\u00e9pond pas comme attendu : faites RESET sur la carte puis Load Talker.");

// The frame read by the check, into the register set, the link state and the
// console's buttons.
void afficherTrame(Session& s, const TrameRegistres& t) {
    changerRegistre(s, &JeuRegistres::RegCCR, DecHexa2(t.ccr));
    AfficheCCR(s);
    changerRegistre(s, &JeuRegistres::RegSP, DecHexa4(t.sp()));
    changerRegistre(s, &JeuRegistres::RegB, DecHexa2(t.b));
    changerRegistre(s, &JeuRegistres::RegA, DecHexa2(t.a));
    changerRegistre(s, &JeuRegistres::RegIX, DecHexa4(t.x));
    changerRegistre(s, &JeuRegistres::RegIY, DecHexa4(t.y));
    const double departEeprom = s.config.DepartEEprom;
    if (t.pc >= departEeprom) {
        s.liaison.cibleTourne = true;
        changerRegistre(s, &JeuRegistres::RegPC, DecHexa4(t.pc));
        s.ecran().setPanel(PanneauCible, CibleTourne, image::CibleTourne);
        consoleCibleEnMarche(s);
    } else {
        // Stopped in the Talker: its idle loop is no place to show.
        s.liaison.cibleTourne = false;
        changerRegistre(s, &JeuRegistres::RegPC, DecHexa4(departEeprom));
        s.ecran().setPanel(PanneauCible, CibleStop, image::CibleArretee);
        consoleCibleArretee(s);
    }
}

// Beyond the wire, what a byte answered by another may take before the link
// is said to hold bytes back: a true serial port adds a few tenths of a
// millisecond, a pseudo-terminal on a busy machine about one, a USB adapter
// whose latency timer is set to 1 ms two or three, and one left at its
// default of 16 ms about 17.
constexpr double SurplusSignale = 0.005;

// The check's exchange is 1 + OctetsTrameLue round trips (the command and its
// echo, the parameter and the frame's first byte, each handshake and the next
// byte), each two characters of 10 bits on the wire. What it took beyond that
// is the line's own delay a byte; well above the wire, it is said once, with
// what to do.
void signalerLatence(Session& s, double duree) {
    constexpr int AllersRetours = 1 + OctetsTrameLue;
    const double filAllerRetour = 20.0 / std::max(1, s.config.Baud);
    const double surplus = duree / AllersRetours - filAllerRetour;
    if (s.liaison.latenceSignalee || surplus < SurplusSignale) return;
    s.liaison.latenceSignalee = true;
    TraceCommande(
        s, QStringLiteral("La liaison ajoute environ %1 ms \u00e0 chaque octet \u00e9chang\u00e9 avec le "
                          "Talker (%2 ms sur le fil) : un adaptateur USB retient ce qu'il re\u00e7oit. "
                          "R\u00e9glez son d\u00e9lai de latence \u00e0 1 ms (aide : Brancher une carte "
                          "r\u00e9elle).")
               .arg(qRound(surplus * 1000))
               .arg(filAllerRetour * 1000, 0, 'f', 1));
}

} // namespace

void TestTalker(Session& session) {
    TestTalker(session, session.config.Timeout);
}

void TestTalker(Session& session, int timeout) {
    Screen& e = session.ecran();
    ViderCom(session);
    // A board with no program running (just powered up, or in its boot ROM)
    // has no Talker to answer: no need to wait for the time-out to say so.
    if (session.ligne().sansProgramme()) {
        session.liaison.talkerPresent = false;
        EtatPasDeTalker(session);
        return;
    }
    const double debut = session.horloge().now();
    const Resultat<TrameRegistres> r = lireTrame(session, timeout, [&session](int adresse) {
        return adresseTrameAdmissible(adresse, session.config);
    });
    if (r.ok()) signalerLatence(session, ecoule(debut, session.horloge().now()));
    // A stop was asked before: nothing went out, the link is as it was,
    // unless the exchange before stopped in the middle.
    if (r.issue == Issue::Interrompu && !session.liaison.echangeInacheve) return;
    session.liaison.talkerPresent = false;
    if (r.ok()) {
        e.setPanel(PanneauTalker, TalkerCharge, image::TalkerCharge);
        session.liaison.talkerPresent = true;
        afficherTrame(session, r.donnees);
        AfficheRegistres(session);
        TraceEtat(session);
        return;
    }
    EtatPasDeTalker(session);
    if (r.issue == Issue::TimeOut) AfficheTimeOut(session, QStringLiteral("RecevoirComBINHexa"));
    // Something answered, but not as an idle Talker does, or stopped in the
    // middle: the Talker may be inside an earlier command, and whatever the
    // host sends next may be written somewhere. Only a reset clears that.
    // Silence alone (no Talker, a board not yet loaded) needs no word, nor a
    // broken line, which has been said when it broke.
    if (r.issue != Issue::PasDEcho && r.issue != Issue::Erreur && r.issue != Issue::Coupee)
        e.message(TalkerConfus, TitreApplication, Icone::Exclamation, Boutons::Ok);
}

bool talkerPret(Session& session) {
    // The most a silent line costs before the user hears of it (tenths).
    constexpr int DelaiSonde = 10;
    if (session.liaison.talkerPresent && !session.ligne().sansProgramme()) {
        ViderCom(session);
        const Resultat<bool> r =
            sonder(session, std::min<int>(DelaiSonde, std::max(0, session.config.Timeout)));
        if (r.ok()) return true;
        // A stop asked before: nothing was sent, nothing is known.
        if (r.issue == Issue::Interrompu) return false;
        EtatPasDeTalker(session);
        if (r.issue == Issue::Incoherent) {
            session.ecran().message(TalkerConfus, TitreApplication, Icone::Exclamation, Boutons::Ok);
            return false;
        }
        // A broken line has said so already.
        if (r.issue == Issue::Coupee) return false;
    } else if (session.liaison.talkerPresent) {
        EtatPasDeTalker(session);
    }
    AfficheEchec(session.ecran(), PasDeTalkerAvant, Remede::Demarrage);
    return false;
}

void EtatPasDeTalker(Session& session) {
    Screen& e = session.ecran();
    e.setPanel(PanneauTalker, PasDeTalker, image::TalkerAbsent);
    e.setPanel(PanneauCible, CibleStop, image::CibleArretee);
    session.liaison.cibleTourne = false;
    session.liaison.talkerPresent = false;
    EnableCommandes(session, false);
    TraceEtat(session);
}

void installerVerificationLiaison(Session& session) {
    session.surveillance().setVerification([&session](int timeout, const QByteArray& recus) {
        // The $03 of a running program that stopped by itself (its own SWI, an
        // illegal opcode): the Talker waits for the host to read the frame.
        if (session.liaison.cibleTourne && recus.contains(char(OctetArret)))
            arretSpontane(session);
        else
            TestTalker(session, timeout);
    });
}

void EnvoiTalker(Session& session) {
    // The boot ROM of the E and F series ends its download after four idle
    // character times (AN1060, bootstrap listing of the E9): a pause of the host in the middle of
    // the image, a repaint of the windows say, would start a truncated Talker.
    // So the whole image goes out at once (the port's queue holds it), and the
    // progress bar follows it by its time on the wire at the boot rate.
    const QByteArray& image = session.config.TalkerPrepare;
    for (char octet : image)
        session.ligne().sendByte(static_cast<quint8>(octet));
    const double filaire = image.size() * 10.0 / std::max(1, session.config.BootBaud);
    const double debut = session.horloge().now();
    for (;;) {
        const double passe = ecoule(debut, session.horloge().now());
        session.ecran().setValue(controle::BarreProgression,
                                 static_cast<int>(std::min(1.0, passe / filaire) * 100));
        if (passe >= filaire || session.liaison.annulation || session.liaison.interruption) break;
        Tempo(session.horloge(), static_cast<float>(std::min(PasProgression, filaire - passe)));
    }
}

ResultatChargement LoadTalker(Session& session, int attenteBreak) {
    Screen& e = session.ecran();
    const Configuration& c = session.config;
    // The Terminal lets go of the line before anything is read from it or sent.
    session.liaison.ligneAuTerminal = false;
    ViderCom(session);
    SurvCom(session, false);

    ComOpen(session, c.BootBaud);
    changerRegistre(session, &JeuRegistres::RegSP, QStringLiteral("0000"));
    session.liaison.annulation = false;
    // Cancel, or the user's interruption of the whole program.
    const auto arret = [&session] { return session.liaison.annulation || session.liaison.interruption; };

    bool charge = false;
    // The chip never left reset in bootstrap mode within `attenteBreak`.
    bool sansReset = false;
    while (!charge && !arret() && session.liaison.portOuvert) {
        e.setValue(controle::BarreProgression, 0);
        e.setText(controle::TitreInfo, QStringLiteral("Reset ") + c.HardWare + QStringLiteral(" !..."));
        e.setText(controle::TexteInfo,
                  QStringLiteral("Mettez MODA et MODB en Mode BOOSTRAP\nPuis Executez RESET sur le ") +
                      c.HardWare);

        // The break: the chip left reset in bootstrap mode. The user may take a
        // while to press RESET: in the windows Cancel ends the wait; a command
        // line gives up after `attenteBreak`. Stray bytes other than the break
        // are ignored.
        if (session.attenteResetCarte) session.attenteResetCarte();
        bool casse = false;
        const double debutAttente = session.horloge().now();
        while (!casse && !arret()) {
            int reste = SansLimite;
            if (attenteBreak != SansLimite)
                reste = std::max(0, attenteBreak - int(ecoule(debutAttente, session.horloge().now()) * 10));
            const Reception r = attendreOctet(session, reste, true, QStringLiteral("RecComBIN_NbOct_Dec"));
            // Nothing can come on a port that failed or a line that broke (said already).
            if (r.fin == FinAttente::Erreur || r.fin == FinAttente::Coupee) break;
            if (r.fin == FinAttente::TimeOut) {
                // Said once the check below has found what answers now.
                sansReset = true;
                break;
            }
            casse = r.fin == FinAttente::Donnee && r.octet == 0;
        }
        if (!casse) break;

        e.setText(controle::TitreInfo, QStringLiteral("Load Talker !..."));
        e.setText(controle::TexteInfo, QStringLiteral("Chargement du Talker en RAM\nAttendez SVP ..."));
        e.beep();
        Tempo(session.horloge(), PauseChargement);
        const double debutEnvoi = session.horloge().now();
        EnvoiTalker(session);
        // The image takes its time on the wire at the boot rate (2.14 s at 1200
        // baud). Chips whose loader takes up to 512 or 1024 bytes start the
        // Talker only after a pause in reception: a command sent before the image
        // has left would be loaded as one more byte. So the port is reopened
        // only once the image is through, plus the usual pause.
        const double filaire = c.TalkerPrepare.size() * 10.0 / std::max(1, c.BootBaud);
        const double reste = filaire - ecoule(debutEnvoi, session.horloge().now());
        if (reste > 0 && !arret()) Tempo(session.horloge(), static_cast<float>(reste));
        Tempo(session.horloge(), PauseChargement);

        ComOpen(session);
        if (arret()) break;
        TestTalker(session);
        if (session.registres.RegSP == SpDuTalker) {
            charge = true;
        } else {
            e.beep();
            // The user resets the chip once more: back to the boot rate.
            ComOpen(session, c.BootBaud);
        }
    }

    ResultatChargement resultat = ResultatChargement::Charge;
    if (!charge) {
        resultat = ResultatChargement::Annule;
        // Back to the working rate from the boot rate.
        if (session.liaison.portOuvert) ComOpen(session);
        session.liaison.abandon = true;
        session.liaison.annulation = false;
        Tempo(session.horloge(), PauseChargement);
        TestTalker(session, std::min<int>(TimeoutApresAnnulation, c.Timeout));
        // No download took place, yet a Talker answers at the working rate:
        // one was in the RAM already (the chip was not reset, or was reset and
        // its boot ROM jumped back into it). It serves as well as a new one.
        if (sansReset && session.liaison.talkerPresent) {
            resultat = ResultatChargement::DejaPresent;
            e.message(
                QStringLiteral("Pas de RESET du ") + c.HardWare +
                    QStringLiteral(" : le Talker d\u00e9j\u00e0 en RAM r\u00e9pond, il est gard\u00e9."),
                TitreApplication, Icone::Information, Boutons::Ok);
        } else if (sansReset) {
            e.message(QStringLiteral("Pas de r\u00e9ponse du ") + c.HardWare +
                          QStringLiteral(" : v\u00e9rifiez le c\u00e2ble et MODA, MODB en mode "
                                         "BOOTSTRAP, puis faites RESET et recommencez."),
                      TitreApplication, Icone::Exclamation, Boutons::Ok);
        }
    }
    // A new Talker follows a reset: CONFIG is what the chip latched then. A
    // value programmed before it is read now.
    if (resultat == ResultatChargement::Charge) {
        session.liaison.configLue = -1;
        if (session.liaison.configProgrammee >= 0) lireConfig(session);
    }
    SurvCom(session, true);
    return resultat;
}

} // namespace tessaline
