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
#include "operations/console_command_table.h"

namespace tessaline {

namespace {

const QString PanneauTalker = QStringLiteral("Talker");
const QString PanneauCible = QStringLiteral("Cible");
// The Talker's stack pointer right after a download, as the host shows it.
const QString SpDuTalker = QStringLiteral("00E8");
// Between the boot ROM's break and the image, and after the image.
constexpr float PauseChargement = 0.2f;
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

} // namespace

void TestTalker(Session& session) {
    TestTalker(session, session.config.Timeout);
}

void TestTalker(Session& session, int timeout) {
    Screen& e = session.ecran();
    ViderCom(session);
    const Resultat<TrameRegistres> r = lireTrame(session, timeout, [&session](int adresse) {
        return adresseTrameAdmissible(adresse, session.config);
    });
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

    e.setPanel(PanneauTalker, PasDeTalker, image::TalkerAbsent);
    e.setPanel(PanneauCible, CibleStop, image::CibleArretee);
    session.liaison.cibleTourne = false;
    EnableCommandes(session, false);
    TraceEtat(session);
    if (r.issue == Issue::TimeOut) AfficheTimeOut(session, QStringLiteral("RecevoirComBINHexa"));
    // Something answered, but not as an idle Talker does, or stopped in the
    // middle: the Talker may be inside an earlier command, and whatever the
    // host sends next may be written somewhere. Only a reset clears that.
    // Silence alone (no Talker, a board not yet loaded) needs no word.
    if (r.issue != Issue::PasDEcho && r.issue != Issue::Erreur)
        e.message(TalkerConfus, TitreApplication, Icone::Exclamation, Boutons::Ok);
}

void installerVerificationLiaison(Session& session) {
    session.surveillance().setVerification([&session](int timeout) { TestTalker(session, timeout); });
}

void EnvoiTalker(Session& session) {
    const QByteArray& image = session.config.TalkerPrepare;
    const int longueur = static_cast<int>(image.size());
    for (int i = 0; i < longueur && !session.liaison.annulation && !session.liaison.interruption; ++i) {
        session.ligne().sendByte(static_cast<quint8>(image[i]));
        session.ecran().setValue(controle::BarreProgression, (i + 1) * 100 / longueur);
        session.horloge().processEvents();
    }
}

ResultatChargement LoadTalker(Session& session) {
    Screen& e = session.ecran();
    const Configuration& c = session.config;
    ViderCom(session);
    SurvCom(session, false);

    ComOpen(session, c.BootBaud);
    changerRegistre(session, &JeuRegistres::RegSP, QStringLiteral("0000"));
    session.liaison.annulation = false;
    // Cancel, or the user's interruption of the whole program.
    const auto arret = [&session] { return session.liaison.annulation || session.liaison.interruption; };

    bool charge = false;
    while (!charge && !arret()) {
        e.setValue(controle::BarreProgression, 0);
        e.setText(controle::TitreInfo, QStringLiteral("Reset ") + c.HardWare + QStringLiteral(" !..."));
        e.setText(controle::TexteInfo,
                  QStringLiteral("Mettez MODA et MODB en Mode BOOSTRAP\nPuis Executez RESET sur le ") +
                      c.HardWare);

        // The break: the chip left reset in bootstrap mode. No time limit: the
        // user may take a while to press RESET; Cancel ends the wait.
        if (session.attenteResetCarte) session.attenteResetCarte();
        bool casse = false;
        while (!casse && !arret()) {
            const Reception r =
                attendreOctet(session, SansLimite, true, QStringLiteral("RecComBIN_NbOct_Dec"));
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
        TestTalker(session);
    }
    SurvCom(session, true);
    return resultat;
}

} // namespace tessaline
