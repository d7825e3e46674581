// The whole real serial path: tessaline-sim on a pseudo-terminal, the
// command-line front end and its QSerialPort adapter on the other end, in real
// time: the Talker's download, writes into RAM and EEPROM, the dump and
// disassembly listings, and the exit status of a failure and of a usage error;
// then a board killed or deaf to the host, at the default settings.
#include "pty_simulator.h"

#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

using namespace tessaline;

namespace {

// The trace line of a command, as the command line writes it on standard error.
QString traceDe(const char* commande) {
    return QStringLiteral("\t") + QLatin1String(commande);
}

} // namespace

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
    // The listing, like the dump, on standard output only.
    EXPECT_TRUE(r.sortie.contains("\n0000  \tCE1000\t\t\tLDX\t#$1000\n")) << r.sortie.toStdString();
    EXPECT_FALSE(r.erreurs.contains("LDX")) << r.erreurs.toStdString();

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

// The board killed in the middle of a dump at the default settings (1200
// baud, 200-s time-out): its end of the terminal closes, the host sees the
// hang-up and ends at once, saying so, rather than after its time-outs.
TEST(PtyEndToEnd, BoardKilledMidDumpIsNoticedWithinFiveSeconds) {
    SimulateurPty sim({QStringLiteral("--chip"), QStringLiteral("68HC11F1")});
    ASSERT_FALSE(sim.esclave().isEmpty());
    // 255 bytes with their handshakes at 1200 baud: over 4 s on the wire.
    CliEnCours run(sim.esclave(), {"load-talker", "--", "dump", "0000", "FF"});
    ASSERT_TRUE(run.attendreErreur(traceDe("MemDump"), 60000));
    QElapsedTimer montre;
    montre.start();
    sim.tuer();
    const ResultatCli r = run.fin(30000);
    EXPECT_LT(montre.elapsed(), 5000);
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.erreurs.contains(QStringLiteral("la liaison est coup\u00e9e"))) << r.erreurs.toStdString();
    EXPECT_TRUE(r.erreurs.contains(QStringLiteral("Erreur MemDump\n"))) << r.erreurs.toStdString();
}

// A program that runs with the I bit set (SEI; BRA *) never lets the Talker's
// SCI interrupt run: Stop gets no echo. At the default settings it says so,
// with what to do, within the Talker's answer delay rather than the 200-s
// time-out.
TEST(PtyEndToEnd, StopToAProgramRunningWithInterruptsMaskedEndsWithinThreeSeconds) {
    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("sei.s19"));
    QFile f(image);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("S106FE000F20FECE\nS9030000FC\n"); // FE00 SEI, FE01 BRA FE01
    f.close();
    SimulateurPty sim(
        {QStringLiteral("--chip"), QStringLiteral("68HC11F1"), QStringLiteral("--eeprom"), image});
    ASSERT_FALSE(sim.esclave().isEmpty());
    CliEnCours run(sim.esclave(), {"load-talker", "--", "run", "FE00", "--", "stop"});
    ASSERT_TRUE(run.attendreErreur(traceDe("Stop"), 60000));
    QElapsedTimer montre;
    montre.start();
    const ResultatCli r = run.fin(30000);
    EXPECT_LT(montre.elapsed(), 3000);
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.erreurs.contains(
        QStringLiteral("Erreur ProgStop\nLe programme n'entend pas Stop : il tourne avec le "
                       "bit I du CCR \u00e0 1")))
        << r.erreurs.toStdString();
    EXPECT_TRUE(r.erreurs.contains(QStringLiteral("Faites RESET puis Load Talker.")));
}

// RESET on the board's panel, then a check that fails (its bytes go to the
// boot ROM, which loads them and jumps back into the RAM, where the Talker
// still lies), then a download: the board is not reset again, yet a Talker
// answers. The run keeps it, dumps, and ends as it really went: exit 0, and
// no "Pas de réponse" for a Talker that answered.
TEST(PtyEndToEnd, DownloadAfterAPanelResetAndAFailedCheckEndsAsItWent) {
    SimulateurPty sim({QStringLiteral("--chip"), QStringLiteral("68HC11F1")});
    ASSERT_FALSE(sim.esclave().isEmpty());
    const QStringList rapide = {"--baud", "9600", "--timeout", "50"};
    ASSERT_EQ(cli(sim.esclave(), rapide + QStringList{"load-talker"}).code, 0);
    EXPECT_EQ(sim.panneau(QStringLiteral("reset")), "ok");
    EXPECT_EQ(cli(sim.esclave(), rapide + QStringList{"test-talker"}).code, 1);
    const ResultatCli r = cli(sim.esclave(), rapide + QStringList{"load-talker", "--", "dump", "FE00", "10"});
    EXPECT_EQ(r.code, 0) << r.erreurs.toStdString();
    EXPECT_TRUE(r.sortie.contains("Talker: Talker Charg\u00e9\n")) << r.sortie.toStdString();
    EXPECT_TRUE(r.sortie.contains("FE00 FF FF")) << r.sortie.toStdString();
    EXPECT_FALSE(r.erreurs.contains(QStringLiteral("Pas de r\u00e9ponse"))) << r.erreurs.toStdString();
    EXPECT_TRUE(r.erreurs.contains(QStringLiteral("il est gard\u00e9"))) << r.erreurs.toStdString();
}
