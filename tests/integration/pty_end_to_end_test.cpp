// The whole real serial path: tessaline-sim on a pseudo-terminal, the host's
// QSerialPort adapter (and the command-line front end) on the other end, in
// real time.
#include "config/talker_adaptation.h"
#include "link/qt_event_clock.h"
#include "link/qt_serial_line.h"
#include "link/serial_port.h"
#include "operations/memory_read.h"
#include "operations/memory_write.h"
#include "operations/talker_link.h"
#include "pty_simulator.h"
#include "recording_screen.h"

#include <gtest/gtest.h>

using namespace tessaline;

TEST(PtyEndToEnd, TalkerDownloadAndMemoryThroughQSerialPort) {
    SimulateurPty sim({QStringLiteral("--chip"), QStringLiteral("68HC11F1"), QStringLiteral("--quartz"),
                       QStringLiteral("8")});
    ASSERT_TRUE(sim.esclave().startsWith("/dev/pts/")) << sim.esclave().toStdString();

    QtSerialLine ligne;
    QtEventClock horloge;
    test::RecordingScreen ecran;
    Session session(ligne, horloge, ecran);
    session.config.Port = sim.esclave();
    session.config.Baud = 9600;
    session.config.Timeout = 50;
    AdapteTalker(session.config);

    ASSERT_EQ(LoadTalker(session), ResultatChargement::Charge)
        << ecran.messageTexts().join(" | ").toStdString();
    EXPECT_EQ(session.registres.RegSP, "00E8");
    EXPECT_EQ(ecran.panel("Talker"), "Talker Charg\u00e9");

    // The operations run with the link watch off, as the console runs them.
    SurvCom(session, false);
    FillMem(session, 4, QStringLiteral("0200"), QStringLiteral("A5"));
    FillMem(session, 2, QStringLiteral("FE00"), QStringLiteral("3C"));
    EXPECT_EQ(LoadMem(session, QStringLiteral("0200"), 5), "A5A5A5A500");
    EXPECT_EQ(LoadMem(session, QStringLiteral("FE00"), 3), "3C3CFF");
    EXPECT_TRUE(ecran.messages.isEmpty()) << ecran.messageTexts().join(" | ").toStdString();
}

TEST(PtyEndToEnd, CommandLineFrontEnd) {
    SimulateurPty sim({QStringLiteral("--chip"), QStringLiteral("68HC11E1")});
    ASSERT_FALSE(sim.esclave().isEmpty());

    const ResultatCli r =
        cli(sim.esclave(),
            {"--hardware", "68HC11E1", "--baud", "9600", "--timeout", "50",          "load-talker", "--",
             "fill",       "B600",     "3",      "5A",   "--",        "set",         "B603",        "1234",
             "--",         "dump",     "B600",   "8",    "--",        "disassemble", "0000"});
    EXPECT_EQ(r.code, 0) << r.erreurs.toStdString();
    EXPECT_TRUE(r.sortie.contains("Talker: Talker Charg\u00e9\nCible: Cible STOP\n"))
        << r.sortie.toStdString();
    EXPECT_TRUE(
        r.sortie.contains("B600 5A 5A 5A 12 34 FF FF FF                         ZZZ.4\u00ff\u00ff\u00ff\n"))
        << r.sortie.toStdString();
    EXPECT_TRUE(r.erreurs.contains("\tMemDump B600 0008 \n"));
    EXPECT_TRUE(r.erreurs.contains("\t\t  <==  0000  \tCE1000\t\t\tLDX\t#$1000\n"));

    // The Talker stays in the chip between runs: a failure is reported and
    // gives exit status 1.
    const ResultatCli echec = cli(sim.esclave(), {"--hardware", "68HC11E1", "--baud", "9600", "--timeout",
                                                  "50", "fill", "8000", "1", "55"});
    EXPECT_EQ(echec.code, 1);
    EXPECT_TRUE(echec.erreurs.contains("Tessaline: Erreur Fill Adresse : 8000"))
        << echec.erreurs.toStdString();

    const ResultatCli usage = cli(sim.esclave(), {"dump", "FE00"});
    EXPECT_EQ(usage.code, 2);
    EXPECT_EQ(usage.erreurs.count(u'\n'), 1);
}
