#include "operations/talker_link.h"

#include "link/control_names.h"
#include "link/conversions.h"
#include "link/registers.h"
#include "link/serial_port.h"
#include "link/talker_image.h"
#include "link/tempo.h"
#include "link/trace.h"
#include "link/transfer.h"
#include "operations/console_command_table.h"

#include <array>

namespace tessaline {

namespace {

const QString PanneauTalker = QStringLiteral("Talker");
const QString PanneauCible = QStringLiteral("Cible");
// The Talker's stack pointer right after a download, as the host shows it.
const QString SpDuTalker = QStringLiteral("00E8");
// Between the boot ROM's break and the image, and after the image.
constexpr float PauseChargement = 0.2f;

// The order in which the Talker sends the register frame after the frame address.
struct OctetTrame {
    QString JeuRegistres::*registre;
    bool poidsFort; // first byte of a 16-bit register
};

} // namespace

void TestTalker(Session& session) {
    Screen& e = session.ecran();
    ViderCom(session);
    session.liaison.talkerPresent = false;

    bool trameLue = false;
    if (EnvoiCommande(session, commande::LireRegistres, true)) {
        e.setPanel(PanneauTalker, TalkerCharge, image::TalkerCharge);
        session.liaison.talkerPresent = true;
        session.ligne().sendByte(0);

        // SP high and low, then the frame: CCR B A XH XL YH YL PCH PCL. Each byte
        // is answered with itself. A byte that does not come ends the reading: the
        // rest of the frame would only time out in turn.
        std::array<int, 11> octets{};
        trameLue = true;
        for (std::size_t i = 0; i < octets.size() && trameLue; ++i) {
            const QString hexa = RecevoirComBINHexa(session);
            if (hexa.isEmpty()) {
                trameLue = false;
                break;
            }
            octets[i] = HexaDec(hexa);
            session.ligne().sendByte(static_cast<quint8>(octets[i]));
            if (i == 2) {
                changerRegistre(session, &JeuRegistres::RegCCR, hexa);
                AfficheCCR(session);
            }
        }
        if (trameLue) {
            auto mot = [&](std::size_t i) { return octets[i] << 8 | octets[i + 1]; };
            // The Talker reports its frame's address; the program's own stack
            // pointer lies 8 above it (9 bytes of frame).
            changerRegistre(session, &JeuRegistres::RegSP, DecHexa4((mot(0) + 8) & 0xFFFF));
            changerRegistre(session, &JeuRegistres::RegB, DecHexa2(octets[3]));
            changerRegistre(session, &JeuRegistres::RegA, DecHexa2(octets[4]));
            changerRegistre(session, &JeuRegistres::RegIX, DecHexa4(mot(5)));
            changerRegistre(session, &JeuRegistres::RegIY, DecHexa4(mot(7)));
            const int pc = mot(9);
            const double departEeprom = session.config.DepartEEprom;
            if (pc >= departEeprom) {
                session.liaison.cibleTourne = true;
                changerRegistre(session, &JeuRegistres::RegPC, DecHexa4(pc));
                e.setPanel(PanneauCible, CibleTourne, image::CibleTourne);
                consoleCibleEnMarche(session);
            } else {
                // Stopped in the Talker: its idle loop is no place to show.
                session.liaison.cibleTourne = false;
                changerRegistre(session, &JeuRegistres::RegPC, DecHexa4(departEeprom));
                e.setPanel(PanneauCible, CibleStop, image::CibleArretee);
                consoleCibleArretee(session);
            }
            AfficheRegistres(session);
            TraceEtat(session);
            return;
        }
    }

    e.setPanel(PanneauTalker, PasDeTalker, image::TalkerAbsent);
    e.setPanel(PanneauCible, CibleStop, image::CibleArretee);
    session.liaison.cibleTourne = false;
    session.liaison.talkerPresent = false;
    EnableCommandes(session, false);
    TraceEtat(session);
}

void EnvoiTalker(Session& session) {
    const QByteArray& image = session.config.TalkerPrepare;
    const int longueur = static_cast<int>(image.size());
    for (int i = 0; i < longueur && !session.liaison.annulation; ++i) {
        session.ligne().sendByte(static_cast<quint8>(image[i]));
        session.ecran().setValue(controle::BarreProgression, (i + 1) * 100 / longueur);
        session.horloge().processEvents();
    }
}

ResultatChargement LoadTalker(Session& session) {
    Screen& e = session.ecran();
    Configuration& c = session.config;
    ViderCom(session);
    SurvCom(session, false);

    const int baudTravail = c.Baud;
    c.Baud = c.BootBaud;
    ComOpen(session);
    changerRegistre(session, &JeuRegistres::RegSP, QStringLiteral("0000"));
    session.liaison.annulation = false;

    bool charge = false;
    while (!charge && !session.liaison.annulation) {
        e.setValue(controle::BarreProgression, 0);
        e.setText(controle::TitreInfo, QStringLiteral("Reset ") + c.HardWare + QStringLiteral(" !..."));
        e.setText(controle::TexteInfo,
                  QStringLiteral("Mettez MODA et MODB en Mode BOOSTRAP\nPuis Executez RESET sur le ") +
                      c.HardWare);

        // The break: the chip left reset in bootstrap mode. No time limit: the
        // user may take a while to press RESET; Cancel ends the wait.
        session.liaison.timeoutArme = false;
        if (session.attenteResetCarte) session.attenteResetCarte();
        bool casse = false;
        while (!casse && !session.liaison.annulation)
            casse = RecComBIN_NbOct_Dec(session) == 0 && !session.liaison.annulation;
        session.liaison.timeoutArme = true;
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
        if (reste > 0 && !session.liaison.annulation) Tempo(session.horloge(), static_cast<float>(reste));
        Tempo(session.horloge(), PauseChargement);

        c.Baud = baudTravail;
        ComOpen(session);
        if (session.liaison.annulation) break;
        TestTalker(session);
        if (session.registres.RegSP == SpDuTalker) {
            charge = true;
        } else {
            e.beep();
            // The user resets the chip once more: back to the boot rate.
            c.Baud = c.BootBaud;
            ComOpen(session);
        }
    }
    c.Baud = baudTravail;

    ResultatChargement resultat = ResultatChargement::Charge;
    if (!charge) {
        resultat = ResultatChargement::Annule;
        // Back to the working rate, which the download had replaced.
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
