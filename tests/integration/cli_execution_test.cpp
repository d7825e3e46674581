// Running, stopping, stepping and the breakpoint from the command line, on the
// example counter program in the F1's EEPROM ($FE00-$FE22): over a
// pseudo-terminal against tessaline-sim in real time, and on the in-process
// simulated board in virtual time.
#include "pty_simulator.h"

#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

using namespace tessaline;

namespace {

const QString Exemple = QStringLiteral(TESSALINE_EXAMPLES "/compteur.s19");

// A stop as printed: the stopped display's line (the address, a blank, the
// instruction there), then the registers line.
struct Arret {
    int adresse;
    QString instruction;
    int pc;
};

QVector<Arret> arrets(const QString& sortie) {
    static const QRegularExpression motif(QStringLiteral("^([0-9A-F]{4}) (.*)\nPC=([0-9A-F]{4}) "),
                                          QRegularExpression::MultilineOption);
    QVector<Arret> liste;
    for (auto it = motif.globalMatch(sortie); it.hasNext();) {
        const auto m = it.next();
        liste.append({m.captured(1).toInt(nullptr, 16), m.captured(2), m.captured(3).toInt(nullptr, 16)});
    }
    return liste;
}

// The byte at $0100 (the counter) in each dump of it.
QVector<int> compteurs(const QString& sortie) {
    static const QRegularExpression motif(QStringLiteral("^0100 ([0-9A-F]{2}) "),
                                          QRegularExpression::MultilineOption);
    QVector<int> liste;
    for (auto it = motif.globalMatch(sortie); it.hasNext();)
        liste.append(it.next().captured(1).toInt(nullptr, 16));
    return liste;
}

ResultatCli simule(const QStringList& commandes) {
    return cli(QString(), QStringList{"--simulate", "--timeout", "50", "--eeprom", Exemple} + commandes);
}

} // namespace

// The program runs while the host waits, stops where it is, steps, and after a
// second run stops at a breakpoint planted in the running program; three steps
// from there (LDAA, INCA, STAA) count one pass more.
TEST(CliExecution, RunWaitStopStepAndBreakOverTheSerialLine) {
    SimulateurPty sim({QStringLiteral("--eeprom"), Exemple});
    ASSERT_FALSE(sim.esclave().isEmpty());
    const ResultatCli r =
        cli(sim.esclave(), {"--baud", "9600", "--timeout", "50",    "load-talker", "--",   "run",  "FE00",
                            "--",     "wait", "200",       "--",    "stop",        "--",   "step", "5",
                            "--",     "run",  "--",        "break", "FE15",        "--",   "dump", "0100",
                            "1",      "--",   "step",      "3",     "--",          "dump", "0100", "1"});
    ASSERT_EQ(r.code, 0) << r.erreurs.toStdString();
    const QVector<Arret> a = arrets(r.sortie);
    ASSERT_EQ(a.size(), 1 + 5 + 1 + 3) << r.sortie.toStdString();
    for (const Arret& s : a) {
        EXPECT_EQ(s.adresse, s.pc) << r.sortie.toStdString();
        EXPECT_TRUE(s.pc >= 0xFE00 && s.pc <= 0xFE22) << r.sortie.toStdString();
    }
    EXPECT_EQ(a[6].adresse, 0xFE15);
    EXPECT_TRUE(a[6].instruction.contains("LDAA")) << a[6].instruction.toStdString();
    EXPECT_EQ(a[7].adresse, 0xFE18);
    EXPECT_EQ(a[8].adresse, 0xFE19);
    EXPECT_EQ(a[9].adresse, 0xFE1C);
    const QVector<int> c = compteurs(r.sortie);
    ASSERT_EQ(c.size(), 2) << r.sortie.toStdString();
    EXPECT_EQ(c[1], (c[0] + 1) & 0xFF);
}

// Ctrl-C while a breakpoint is awaited acts as the console's Stop: the program
// is stopped and shown, the SWI is taken back, and the run ends with 130. $FE17
// is the operand of LDAA $0100: the program never executes an SWI there.
TEST(CliExecution, CtrlCWhileWaitingForTheBreakpointStopsTheProgramAndTakesTheSwiBack) {
    SimulateurPty sim({QStringLiteral("--eeprom"), Exemple});
    ASSERT_FALSE(sim.esclave().isEmpty());
    const QStringList options{"--baud", "9600", "--timeout", "100"};
    const ResultatCli lance = cli(sim.esclave(), options + QStringList{"load-talker", "--", "run", "FE00"});
    ASSERT_EQ(lance.code, 0) << lance.erreurs.toStdString();

    QTemporaryDir dir;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TESSALINE_COM2"), sim.esclave());
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TESSALINE_CLI), QStringList{"--settings", dir.filePath("t.ini")} + options +
                                               QStringList{"break", "FE17", "--", "dump", "0100", "1"});
    ASSERT_TRUE(p.waitForStarted(10000));
    p.setReadChannel(QProcess::StandardError);
    QByteArray erreurs;
    while (!erreurs.contains("Execute Break : FE17") && p.waitForReadyRead(10000))
        erreurs += p.readAllStandardError();
    ASSERT_TRUE(erreurs.contains("Execute Break : FE17")) << erreurs.toStdString();
    QThread::msleep(1000);
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 130);
    erreurs += p.readAllStandardError();
    EXPECT_TRUE(erreurs.endsWith("tessaline-cli: Interrompu : break FE17\n")) << erreurs.toStdString();
    const QString sortie = QString::fromUtf8(p.readAllStandardOutput());
    const QVector<Arret> a = arrets(sortie);
    ASSERT_EQ(a.size(), 1) << sortie.toStdString();
    EXPECT_TRUE(a[0].pc >= 0xFE00 && a[0].pc <= 0xFE22) << sortie.toStdString();
    EXPECT_TRUE(compteurs(sortie).isEmpty()) << "the dump after it did not run";

    const ResultatCli dump = cli(sim.esclave(), options + QStringList{"dump", "FE15", "3"});
    EXPECT_EQ(dump.code, 0) << dump.erreurs.toStdString();
    EXPECT_TRUE(dump.sortie.startsWith("FE15 B6 01 00 ")) << dump.sortie.toStdString();
}

// A breakpoint given while the program is stopped is where the next run stops,
// and the SWI planted for it is gone afterwards.
TEST(CliExecution, BreakpointSetWhileStoppedStopsTheNextRun) {
    const ResultatCli r =
        simule({"load-talker", "--", "break", "FE15", "--", "run", "FE00", "--", "dump", "FE15", "1"});
    ASSERT_EQ(r.code, 0) << r.erreurs.toStdString();
    const QVector<Arret> a = arrets(r.sortie);
    ASSERT_EQ(a.size(), 1) << r.sortie.toStdString();
    EXPECT_EQ(a[0].pc, 0xFE15);
    EXPECT_TRUE(a[0].instruction.contains("LDAA")) << r.sortie.toStdString();
    EXPECT_TRUE(r.sortie.contains("\nFE15 B6 ")) << r.sortie.toStdString();
}

// What the console disables in a link state is refused in one line with exit
// status 1, and nothing is run for it (the trace has no entry of it).
TEST(CliExecution, CommandsTheConsoleDisablesAreRefused) {
    struct Cas {
        QStringList commandes;
        const char* refus;
        const char* entree; // the trace entry of the refused command's kind
        int entrees;        // how many there are
    };
    const Cas cas[] = {
        {{"load-talker", "--", "run", "FE00", "--", "run", "FE00"},
         "tessaline-cli: Cible Tourne : run FE00 n'est pas lanc\u00e9\n",
         "\tRun ",
         1},
        {{"load-talker", "--", "run", "--", "step", "2"},
         "tessaline-cli: Cible Tourne : step 2 n'est pas lanc\u00e9\n",
         "\tStep ",
         0},
        {{"load-talker", "--", "stop"},
         "tessaline-cli: Cible STOP : stop n'est pas lanc\u00e9\n",
         "\tStop",
         0},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.commandes.join(u' ').toStdString());
        const ResultatCli r = simule(c.commandes);
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(r.erreurs.endsWith(QString::fromUtf8(c.refus))) << r.erreurs.toStdString();
        EXPECT_EQ(r.erreurs.count(QLatin1String(c.entree)), c.entrees) << r.erreurs.toStdString();
        EXPECT_TRUE(arrets(r.sortie).isEmpty()) << r.sortie.toStdString();
    }
}
