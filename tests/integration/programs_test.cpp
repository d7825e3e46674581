// The programs as a user runs them: tessaline-sim on a pseudo-terminal and
// tessaline-cli with its QSerialPort adapter on the other end, in real time. The
// Talker's download, writes into RAM and EEPROM, the listings and the exit status;
// a board killed or deaf to the host; many short runs in a row; signals in the
// middle of an exchange; --version and --help of each program.
#include "link/error_report.h"
#include "program_runner.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

using namespace tessaline;
using namespace tessaline::test;

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
    ASSERT_TRUE(run.attendreErreur(QStringLiteral("\tMemDump"), 60000));
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
    ASSERT_TRUE(run.attendreErreur(QStringLiteral("\tStop"), 60000));
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

// A USB adapter's latency timer, as tessaline-sim models it: the checks
// (after the download, then test-talker) say once how much it adds to each
// byte, and what to do; the same board without it says nothing.
TEST(PtyEndToEnd, AnAdaptersLatencyIsMeasuredAndSaidOnce) {
    for (const bool latence : {false, true}) {
        SCOPED_TRACE(latence);
        QStringList options{QStringLiteral("--chip"), QStringLiteral("68HC11F1")};
        if (latence) options << QStringLiteral("--latency") << QStringLiteral("16");
        SimulateurPty sim(options);
        ASSERT_FALSE(sim.esclave().isEmpty());
        const ResultatCli r =
            cli(sim.esclave(), {"--baud", "9600", "--timeout", "50", "load-talker", "--", "test-talker"});
        EXPECT_EQ(r.code, 0) << r.erreurs.toStdString();
        static const QRegularExpression dit(QStringLiteral("La liaison ajoute environ (\\d+) ms"));
        const QRegularExpressionMatch m = dit.match(r.erreurs);
        ASSERT_EQ(m.hasMatch(), latence) << r.erreurs.toStdString();
        if (!latence) continue;
        EXPECT_GE(m.captured(1).toInt(), 14) << r.erreurs.toStdString();
        EXPECT_EQ(r.erreurs.count(QStringLiteral("La liaison ajoute")), 1) << "said once";
    }
}

// Many short runs in a row against one board, as a script driving a real board
// would make them. Each run opens the port, talks to the Talker and closes it: a
// byte still queued at the close (the last handshake of a register read) would
// leave the Talker waiting in the middle of an exchange, and the next run fail.
// Every run gives a working rate above the boot rate (so that each also proves the
// port reopened at the right one) and a short time-out.
TEST(CliRunsInARow, TwoHundredShortRunsAllSucceed) {
    const QStringList options = {"--hardware", "68HC11E1", "--baud", "9600", "--timeout", "30"};
    SimulateurPty sim({QStringLiteral("--chip"), QStringLiteral("68HC11E1")});
    ASSERT_FALSE(sim.esclave().isEmpty());
    const ResultatCli charge = cli(sim.esclave(), options + QStringList{"load-talker"});
    ASSERT_EQ(charge.code, 0) << charge.erreurs.toStdString();

    // Stopped in the Talker: the PC shown is the EEPROM start of the E1.
    const QRegularExpression registres(QStringLiteral("^PC=B600 A=[0-9A-F]{2} .* SP=00E8\n$"));
    const auto hexa = [](int v) { return QStringLiteral("%1").arg(v & 0xFF, 2, 16, QChar(u'0')).toUpper(); };
    int echecs = 0;
    for (int i = 0; i < 200 && echecs < 3; ++i) {
        // The value written by a "set" is read back by the next "dump".
        const QStringList commandes[] = {
            {"test-talker"}, {"regs"}, {"set", "0180", hexa(i)}, {"dump", "0180", "1"}};
        const ResultatCli r = cli(sim.esclave(), options + commandes[i % 4]);
        const bool juste[] = {r.sortie == QStringLiteral("Talker: Talker Charg\u00e9\nCible: Cible STOP\n"),
                              registres.match(r.sortie).hasMatch(), r.sortie.isEmpty(),
                              r.sortie.startsWith(QStringLiteral("0180 ") + hexa(i - 1) + u' ')};
        if (r.code != 0 || !juste[i % 4]) {
            ++echecs;
            ADD_FAILURE() << "run " << i << " exit " << r.code << "\n"
                          << r.sortie.toStdString() << r.erreurs.toStdString();
        }
    }
    EXPECT_EQ(echecs, 0);
}

// SIGINT (Ctrl-C) and SIGTERM to a real tessaline-cli in the middle of a long fill over a
// pseudo-terminal: the fill's exchange is finished, the run stops with 130 and
// says so, and the next runs find the Talker idle and the memory as asked.
TEST(CliInterruption, SignalFinishesTheExchangeAndTheNextRunsFindTheTalker) {
    SimulateurPty sim({QStringLiteral("--chip"), QStringLiteral("68HC11F1"), QStringLiteral("--quartz"),
                       QStringLiteral("8")});
    ASSERT_FALSE(sim.esclave().isEmpty());
    const QStringList options{"--baud", "9600", "--timeout", "50"};
    const ResultatCli charge = cli(sim.esclave(), options + QStringList{"load-talker"});
    ASSERT_EQ(charge.code, 0) << charge.erreurs.toStdString();

    struct Cas {
        int signal;
        int statut;
        const char* valeur;
    };
    for (const Cas& c : {Cas{SIGINT, 130, "55"}, Cas{SIGTERM, 143, "AA"}}) {
        SCOPED_TRACE(c.signal);
        // 255 bytes written and read back at 9600 baud: about 6 s.
        const QStringList fill{"fill", "0200", "FF", c.valeur};
        CliEnCours run(sim.esclave(), options + fill + QStringList{"--", "dump", "0300", "10"});
        // The trace on standard error tells when the fill has started.
        ASSERT_TRUE(run.attendreErreur(QStringLiteral("\tMemFill"), 10000));
        QThread::msleep(1500);
        run.signaler(c.signal);
        const ResultatCli r = run.fin(30000);
        EXPECT_EQ(r.code, c.statut);
        EXPECT_TRUE(r.erreurs.endsWith("tessaline-cli: Interrompu : " + fill.join(' ') + '\n'))
            << r.erreurs.toStdString();
        EXPECT_FALSE(r.sortie.contains("0300 ")) << "the dump after it did not run";

        const ResultatCli test = cli(sim.esclave(), options + QStringList{"test-talker"});
        EXPECT_EQ(test.code, 0) << test.erreurs.toStdString();
        EXPECT_TRUE(test.sortie.contains("Talker: Talker Charg\u00e9")) << test.sortie.toStdString();
        const ResultatCli dump = cli(sim.esclave(), options + QStringList{"dump", "02F0", "10"});
        EXPECT_EQ(dump.code, 0) << dump.erreurs.toStdString();
        const QString ligne =
            QStringLiteral("02F0 ") + QString(QString(c.valeur) + u' ').repeated(15) + "00 ";
        EXPECT_TRUE(dump.sortie.startsWith(ligne))
            << "the whole fill, and nothing past it: " << dump.sortie.toStdString();
    }
}

// A run that talks to the target checks the Talker first, and sends nothing
// more when none answers.
TEST(CliCheck, NoTalkerNoCommand) {
    QTemporaryDir dir;
    const ResultatCli r =
        lancer(QStringLiteral(TESSALINE_CLI),
               {"--settings", dir.filePath("t.ini"), "--simulate", "--timeout", "20", "dump", "0300", "10"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.sortie.isEmpty()) << "no dump line";
    // With what to check and do on the next line.
    EXPECT_TRUE(r.erreurs.endsWith(
        avecRemede(QStringLiteral("Pas de Talker : dump 0300 10 n'est pas lanc\u00e9"), Remede::Demarrage) +
        u'\n'));
}

// --help and --version on each program, alone or among other arguments (even
// ones that would be refused): the usage or one line with the program's name
// and the project's version, exit 0, nothing on standard error; the windows'
// program answers without a display.
TEST(ProgramVersion, EachProgramAnswersVersionAndHelpWhereverTheyStand) {
    struct Programme {
        const char* chemin;
        const char* nom;
        QStringList autres; // arguments the answer must not depend on
    };
    const Programme programmes[] = {
        {TESSALINE_GUI, "tessaline", {"--simulate", "--settings", "x.ini"}},
        {TESSALINE_CLI, "tessaline-cli", {"--simulate", "dump", "FE00", "22"}},
        {TESSALINE_SIM, "tessaline-sim", {"--chip", "68HC11F1", "--no-such-option"}},
        {TESSALINE_ASM, "tessaline-asm", {"compteur.asm"}},
        {TESSALINE_LAB, "tessaline-lab", {"lab.toml", "--jobs", "0", "--no-such-option"}},
    };
    const Lancement sansEcran = Lancement().sans({"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"});
    for (const Programme& programme : programmes) {
        const QStringList places[] = {{}, programme.autres};
        for (const QStringList& avant : places) {
            SCOPED_TRACE(std::string(programme.nom) + " " + avant.join(u' ').toStdString());
            const QString chemin = QString::fromLocal8Bit(programme.chemin);
            const ResultatCli version = lancer(chemin, avant + QStringList{"--version"}, sansEcran);
            EXPECT_EQ(version.code, 0);
            EXPECT_EQ(version.sortie.toStdString(), std::string(programme.nom) + " " TESSALINE_VERSION "\n");
            EXPECT_EQ(version.erreurs.toStdString(), "");

            const ResultatCli aide = lancer(chemin, avant + QStringList{"--help"}, sansEcran);
            EXPECT_EQ(aide.code, 0);
            EXPECT_TRUE(
                aide.sortie.startsWith(QStringLiteral("usage: ") + QLatin1String(programme.nom) + u' '))
                << aide.sortie.toStdString();
            EXPECT_EQ(aide.erreurs.toStdString(), "");
        }
    }
}
