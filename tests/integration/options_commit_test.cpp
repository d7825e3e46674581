// Committing the options, as the dialog's OK and the command line do it.
#include "operations/options_commit.h"
#include "recording_screen.h"
#include "scripted_serial_line.h"
#include "virtual_clock.h"

#include <gtest/gtest.h>

namespace tessaline::test {
namespace {

struct Commit : ::testing::Test {
    Commit() { horloge.addSource(&ligne); }
    ScriptedSerialLine ligne;
    VirtualClock horloge;
    RecordingScreen ecran;
    Session session{ligne, horloge, ecran};
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
} // namespace tessaline::test
