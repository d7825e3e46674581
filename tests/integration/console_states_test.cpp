// The console's buttons through the link states, and committing the options as the
// dialog's OK and the command line do it.
#include "config/hardware_profiles.h"
#include "link/serial_port.h"
#include "link/talker_image.h"
#include "link/talker_protocol.h"
#include "operations/options_commit.h"
#include "operations/register_edit.h"
#include "operations/talker_commands.h"
#include "scripted_session.h"
#include "sim_session.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

using namespace tessaline;
using namespace tessaline::test;

// The console's buttons through the link states, on the simulated board: each
// state is reached by the operation that reaches it in use, and the enabled
// buttons are those the link-state table names.
// The console's command buttons and Execute.
const QStringList Controles = {"cmdMEMDUMP",   "cmdMEMFILL",     "cmdMEMSET",     "cmdUPLOADBIN",
                               "cmdUPLOADDIS", "cmdLOADS19",     "cmdErasEEPROM", "cmdDISPLAYREG",
                               "chkREGSET",    "cmdDISASSEMBLE", "cmdRUN",        "cmdSTEP",
                               "cmdSTOP",      "chkBreak",       "cmdLOADTALKER", "cmdEXECUTE"};

std::string actifs(const RecordingScreen& e) {
    QStringList l;
    for (const QString& c : Controles)
        if (e.isEnabled(c)) l << c;
    l.sort();
    return l.join(u' ').toStdString();
}

std::string trie(QStringList l) {
    l.sort();
    return l.join(u' ').toStdString();
}

// The target program runs: BRA * at the EEPROM start, and the Talker resumes
// into it with interrupts enabled, so that it still answers.
void lancerProgramme(SimSession& s) {
    const int depart = int(s.session.config.DepartEEprom);
    ASSERT_TRUE(ecrireMemoire(s.session, depart, QByteArray("\x20\xFE", 2), SimSession::Delai).ok());
    TrameRegistres trame;
    trame.adresse = talker::IdleFrame;
    trame.ccr = 0xC0;
    trame.pc = depart;
    ASSERT_TRUE(ecrireTrameEtReprendre(s.session, trame, SimSession::Delai).ok());
}

TEST(ConsoleStates, EnabledButtonsFollowTheLinkState) {
    SimSession s("68HC11E1", 8);
    s.session.config.carte() = *trouverProfil(profilsIntegres(), QStringLiteral("68HC11E1"));
    s.adapter(QStringLiteral("8"), 9600);
    s.session.config.Port = QStringLiteral("COM2");
    s.session.attenteResetCarte = [&] { s.board.resetBootstrap(); };
    ComOpen(s.session);
    RecordingScreen& e = s.ecran;
    // A window starts with every control enabled.
    for (const QString& c : Controles)
        e.enabled[c] = true;

    // The stopped state; leaving Reg SET returns there. No S-record text: Load S19 stays off.
    const char* arretee =
        "cmdMEMDUMP cmdUPLOADBIN cmdUPLOADDIS cmdDISASSEMBLE cmdMEMFILL cmdErasEEPROM cmdMEMSET "
        "cmdRUN chkREGSET cmdSTEP chkBreak cmdLOADTALKER";
    // A PC equal to the EEPROM start counts as running: Stop and Load Reg on.
    const char* tourne = "cmdSTOP cmdDISPLAYREG chkBreak cmdLOADTALKER";
    const QString charge = QStringLiteral("Talker Charg\u00e9"), absent = QStringLiteral("Pas de Talker");
    struct Etape {
        const char* nom;
        std::function<void()> action;
        const char* attendus;
        QString talker;
        const char* cible;
    };
    // Each step starts from the state the one before left.
    const Etape etapes[] = {
        // No Talker disables the fourteen; Erase EEPROM and Load Talker are not among them.
        {"no Talker at start-up", [&] { TestTalker(s.session); }, "cmdErasEEPROM chkBreak cmdLOADTALKER",
         absent, "Cible STOP"},
        {"Talker loaded, target stopped",
         [&] {
             chargerTalker(s.session);
             EXPECT_EQ(e.progressTitles, QStringList{"Reset 68HC11E1 !..."}) << "the download ran in frmInfo";
         },
         arretee, charge, "Cible STOP"},
        {"Reg SET", [&] { entrerRegSet(s.session); }, "chkREGSET cmdErasEEPROM chkBreak cmdLOADTALKER",
         charge, "Cible STOP"},
        {"Reg SET left", [&] { quitterRegSet(s.session); }, arretee, charge, "Cible STOP"},
        {"target running",
         [&] {
             lancerProgramme(s);
             TestTalker(s.session);
         },
         tourne, charge, "Cible Tourne"},
        {"Load Reg while running",
         [&] {
             chargerRegistres(s.session);
             EXPECT_TRUE(s.session.surveillance().isEnabled()) << "the link watch is back on";
         },
         tourne, charge, "Cible Tourne"},
        // The chip was reset: Erase EEPROM, off while running, stays off.
        {"no Talker after a reset",
         [&] {
             s.board.resetBootstrap();
             TestTalker(s.session);
         },
         "chkBreak cmdLOADTALKER", absent, "Cible STOP"},
    };
    for (const Etape& etape : etapes) {
        SCOPED_TRACE(etape.nom);
        etape.action();
        EXPECT_EQ(actifs(e), trie(QString::fromLatin1(etape.attendus).split(u' ')));
        EXPECT_EQ(e.panel("Talker"), etape.talker);
        EXPECT_EQ(e.panel("Cible"), QString::fromUtf8(etape.cible));
    }
    EXPECT_TRUE(e.messages.isEmpty()) << e.messageTexts().join(" | ").toStdString();
}

// Committing the options, as the dialog's OK and the command line do it.
struct Commit : ::testing::Test, ScriptedSession {
    Commit()
        : ScriptedSession(nullptr) {}
};

TEST_F(Commit, APairTheTalkerCannotRunAtChangesNothing) {
    Configuration choix = session.config;
    choix.Port = QStringLiteral("COM3");
    choix.Baud = 19200; // not with the 8 MHz crystal
    QVector<ProfilMateriel> profils;
    EXPECT_EQ(ValiderOptions(session, choix, &profils), ResultatOptions::QuartzBaudRefuses);
    EXPECT_EQ(session.config.Port, "COM2");
    EXPECT_EQ(session.config.Baud, 1200);
    EXPECT_EQ(session.profils.size(), 4);
    EXPECT_TRUE(ligne.ouvertures.isEmpty());
    EXPECT_TRUE(ecran.texts.isEmpty());
}

TEST_F(Commit, PortThatDoesNotOpenComesBackAndTheRestStays) {
    Configuration choix = session.config;
    choix.Port = QStringLiteral("COM4");
    choix.Peripheriques[3] = QStringLiteral("/dev/ttyUSB7");
    choix.Quartz = QStringLiteral("16");
    choix.Baud = 19200;
    choix.HardWare = QStringLiteral("68HC11E1");
    choix.carte() = {512, 512, 0, 0xB600};
    QVector<ProfilMateriel> profils = session.profils;
    profils.append(ProfilMateriel(QStringLiteral("Carte"), {}));
    const auto peripheriquesAvant = session.config.Peripheriques;

    ligne.refuserOuverture = true;
    EXPECT_EQ(ValiderOptions(session, choix, &profils), ResultatOptions::PortFerme);
    EXPECT_EQ(ligne.ouvertures, QStringList{"/dev/ttyUSB7|19200,N,8,1"});
    EXPECT_EQ(session.config.Port, "COM2");
    EXPECT_EQ(session.config.Peripheriques, peripheriquesAvant);
    EXPECT_GE(ecran.beeps, 1);
    EXPECT_EQ(session.config.HardWare, "68HC11E1");
    EXPECT_EQ(session.console.CmdAdresse, "B600");
    EXPECT_EQ(ecran.texts.value("txtADRESSE"), "B600");
    EXPECT_EQ(session.profils.size(), 5);
    // The Talker follows the new crystal: the boot ROM listens at 2400 baud.
    EXPECT_EQ(session.config.BootBaud, 2400);
    EXPECT_EQ(session.config.QuartzTalker, "16");

    // The command line commits without opening the port.
    ligne.refuserOuverture = false;
    choix.Port = QStringLiteral("COM1");
    EXPECT_EQ(ValiderOptions(session, choix, nullptr, false), ResultatOptions::Engagees);
    EXPECT_EQ(session.config.Port, "COM1");
    EXPECT_EQ(ligne.ouvertures.size(), 1);
    EXPECT_EQ(session.profils.size(), 5) << "no table given, the table stays";
}

} // namespace
