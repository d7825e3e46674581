// Running, stopping, stepping and the breakpoint from the command line, on the
// example counter program in the F1's EEPROM ($FE00-$FE22): over a
// pseudo-terminal against tessaline-sim in real time, and on the in-process
// simulated board in virtual time.
#include "program_runner.h"

#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

using namespace tessaline;
using namespace tessaline::test;

namespace {

const QString Exemple = QStringLiteral(TESSALINE_EXAMPLES "/compteur.s19");
const QStringList Options{"--baud", "9600", "--timeout", "100"};

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

bool dansLaBoucle(const Arret& a) {
    return a.adresse == a.pc && a.pc >= 0xFE00 && a.pc <= 0xFE22;
}

} // namespace

// The program runs while the host waits, stops where it is, steps, and after a
// second run stops at a breakpoint planted in the running program; three steps
// from there (LDAA, INCA, STAA) count one pass more.
TEST(CliExecution, RunWaitStopStepAndBreakOverTheSerialLine) {
    SimulateurPty sim({QStringLiteral("--eeprom"), Exemple});
    ASSERT_FALSE(sim.esclave().isEmpty());
    const ResultatCli r = cli(
        sim.esclave(), Options + QStringList{"load-talker", "--",    "run",  "FE00", "--",   "wait", "200",
                                             "--",          "stop",  "--",   "step", "5",    "--",   "run",
                                             "--",          "break", "FE15", "--",   "dump", "0100", "1",
                                             "--",          "step",  "3",    "--",   "dump", "0100", "1"});
    ASSERT_EQ(r.code, 0) << r.erreurs.toStdString();
    const QVector<Arret> a = arrets(r.sortie);
    ASSERT_EQ(a.size(), 1 + 5 + 1 + 3) << r.sortie.toStdString();
    EXPECT_TRUE(std::all_of(a.begin(), a.end(), dansLaBoucle)) << r.sortie.toStdString();
    EXPECT_EQ(a[6].adresse, 0xFE15);
    EXPECT_TRUE(a[6].instruction.contains("LDAA")) << a[6].instruction.toStdString();
    EXPECT_EQ((QVector<int>{a[7].pc, a[8].pc, a[9].pc}), (QVector<int>{0xFE18, 0xFE19, 0xFE1C}));
    const QRegularExpression compteur(QStringLiteral("\n0100 ([0-9A-F]{2}) [^\n]*\n.*\n0100 ([0-9A-F]{2}) "),
                                      QRegularExpression::DotMatchesEverythingOption);
    const auto c = compteur.match(r.sortie);
    ASSERT_TRUE(c.hasMatch()) << r.sortie.toStdString();
    EXPECT_EQ(c.captured(2).toInt(nullptr, 16), (c.captured(1).toInt(nullptr, 16) + 1) & 0xFF);
}

// Ctrl-C while a breakpoint is awaited acts as the console's Stop: the program
// is stopped and shown, the SWI taken back, and the run ends with 130. $FE17,
// the operand of LDAA $0100, is never executed as an SWI.
TEST(CliExecution, CtrlCWhileTheBreakpointIsAwaitedStopsTheProgram) {
    SimulateurPty sim({QStringLiteral("--eeprom"), Exemple});
    ASSERT_FALSE(sim.esclave().isEmpty());
    const ResultatCli lance = cli(sim.esclave(), Options + QStringList{"load-talker", "--", "run", "FE00"});
    ASSERT_EQ(lance.code, 0) << lance.erreurs.toStdString();
    CliEnCours run(sim.esclave(), Options + QStringList{"break", "FE17", "--", "dump", "0100", "1"});
    ASSERT_TRUE(run.attendreErreur("Execute Break : FE17", 10000));
    QThread::msleep(1000);
    run.signaler(SIGINT);
    const ResultatCli r = run.fin(30000);
    EXPECT_EQ(r.code, 130);
    EXPECT_TRUE(r.erreurs.endsWith("tessaline-cli: Interrompu : break FE17\n")) << r.erreurs.toStdString();
    const QString& sortie = r.sortie;
    const QVector<Arret> arret = arrets(sortie);
    ASSERT_EQ(arret.size(), 1) << sortie.toStdString();
    EXPECT_TRUE(dansLaBoucle(arret[0])) << sortie.toStdString();
    EXPECT_FALSE(sortie.contains("0100 ")) << "the dump after it did not run";
    const ResultatCli dump = cli(sim.esclave(), Options + QStringList{"dump", "FE15", "3"});
    EXPECT_TRUE(dump.sortie.startsWith("FE15 B6 01 00 "))
        << dump.sortie.toStdString() << dump.erreurs.toStdString();
}

// On the in-process board (a breakpoint given while the program is stopped is
// the help's first command line): the program's own SWI stops it during a
// wait. What the console disables in a link state is refused in one line with
// exit status 1, and nothing is run for it (the trace has no entry of it).
TEST(CliExecution, OwnSwiDuringAWaitAndCommandsTheConsoleDisables) {
    const QStringList simule{"--simulate", "--timeout", "50", "--eeprom", Exemple, "load-talker", "--"};
    // The program's own SWI (in place of BRA boucle) stops it during a wait,
    // however fast the simulated board's time runs against the wall clock.
    const ResultatCli swi = cli(QString(), simule + QStringList{"set", "FE13", "3F", "--", "run", "FE00",
                                                                "--", "wait", "10", "--", "step"});
    EXPECT_EQ(swi.code, 0) << swi.erreurs.toStdString();
    const QVector<Arret> s = arrets(swi.sortie);
    ASSERT_EQ(s.size(), 2) << swi.sortie.toStdString();
    EXPECT_EQ(s[0].pc, 0xFE14) << "after the SWI";

    struct Cas {
        QStringList commandes;
        const char* refus;
        const char* entree; // the trace entry of the refused command's kind, and how many there are
        int entrees;
    };
    const Cas cas[] = {
        {{"run", "FE00", "--", "run", "FE00"}, "Cible Tourne : run FE00", "\tRun ", 1},
        {{"run", "--", "step", "2"}, "Cible Tourne : step 2", "\tStep ", 0},
        {{"stop"}, "Cible STOP : stop", "\tStop", 0},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.commandes.join(u' ').toStdString());
        const ResultatCli refus = cli(QString(), simule + c.commandes);
        EXPECT_EQ(refus.code, 1);
        EXPECT_TRUE(
            refus.erreurs.endsWith(QStringLiteral("tessaline-cli: %1 n'est pas lanc\u00e9\n").arg(c.refus)))
            << refus.erreurs.toStdString();
        EXPECT_EQ(refus.erreurs.count(QLatin1String(c.entree)), c.entrees) << refus.erreurs.toStdString();
        EXPECT_TRUE(arrets(refus.sortie).isEmpty()) << refus.sortie.toStdString();
    }
}
