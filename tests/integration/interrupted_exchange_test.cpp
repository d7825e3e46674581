// Exchanges cut or interrupted in the middle, on the simulated board: what the
// next session finds, and what the board's memory holds afterwards.
#include "cli/cli_commands.h"
#include "cli/cli_interruption.h"
#include "link/error_report.h"
#include "link/talker_image.h"
#include "link/talker_protocol.h"
#include "operations/disassembly.h"
#include "operations/memory_read.h"
#include "operations/memory_write.h"
#include "operations/talker_link.h"
#include "pty_simulator.h"
#include "sim_session.h"

#include <gtest/gtest.h>

#include <QThread>

#include <algorithm>
#include <csignal>

using namespace tessaline;
using namespace tessaline::test;

namespace {

// The host's end of the line as a killed process leaves it: everything after
// the first `garder` bytes sent is lost.
class LigneCoupee : public SerialLine {
public:
    LigneCoupee(SerialLine& ligne, int garder)
        : ligne_(ligne)
        , garder_(garder) {}
    bool open(const QString& d, const QString& p) override { return ligne_.open(d, p); }
    void close() override {}
    bool isOpen() const override { return ligne_.isOpen(); }
    int bytesWaiting() override { return ligne_.bytesWaiting(); }
    QByteArray readAll() override { return ligne_.readAll(); }
    void sendByte(quint8 octet) override {
        if (envoyes++ < garder_) ligne_.sendByte(octet);
    }
    ErreurExecution lastError() const override { return ligne_.lastError(); }
    bool coupee() const override { return ligne_.coupee(); }
    int envoyes = 0;

private:
    SerialLine& ligne_;
    int garder_;
};

// A session of its own on the board, through a line cut after `garder` bytes.
struct SessionCoupee {
    SessionCoupee(SimSession& s, int garder)
        : ligne(s.ligne, garder)
        , session(ligne, s.horloge, ecran) {
        session.config = s.session.config;
    }
    LigneCoupee ligne;
    RecordingScreen ecran;
    Session session;
};

using Memoire = std::vector<quint8>;

Memoire copie(const hc11::Board& b) {
    Memoire m(EspaceAdresses);
    for (int a = 0; a < EspaceAdresses; ++a)
        m[a] = b.peek(static_cast<uint16_t>(a));
    return m;
}

// Addresses that change without being written by a command: the Talker's
// stack and the word where it keeps the address it receives, and the register
// block, where the timer counts.
bool changeSeule(int a) {
    return (a >= talker::StackBottom && a <= talker::AddressWord + 1) || (a >= 0x1000 && a <= 0x105F);
}

// The first address outside [debut, fin] whose byte changed, or -1.
int ecritHorsPlage(const Memoire& avant, const Memoire& apres, int debut, int fin) {
    for (int a = 0; a < EspaceAdresses; ++a)
        if ((a < debut || a > fin) && !changeSeule(a) && avant[a] != apres[a]) return a;
    return -1;
}

struct Operation {
    const char* nom;
    std::function<void(Session&)> lancer;
    int debut = 1, fin = 0; // the range it writes, if any
    // Cuts after which the next session's first bytes make the Talker write
    // elsewhere, whatever they are (see the frame write below).
    std::vector<int> sansRemede = {};
};

// The Talker's own idle frame, rewritten as it is: the Talker resumes idle.
TrameRegistres trameIdle() {
    TrameRegistres t;
    t.adresse = talker::IdleFrame;
    t.ccr = 0xD0;
    t.pc = talker::IdleLoop;
    return t;
}

const Operation Operations[] = {
    {"fill 0200 10 55", [](Session& s) { FillMem(s, 0x10, QStringLiteral("0200"), QStringLiteral("55")); },
     0x0200, 0x020F},
    {"dump 0300 10",
     [](Session& s) {
         s.console.CmdAdresse = QStringLiteral("0300");
         s.console.CmdLongueur = QStringLiteral("0010");
         MemDump(s);
     }},
    {"register read", [](Session& s) { TestTalker(s); }},
    // Cut after the frame address's high byte, the Talker takes whatever byte
    // comes next as the low byte, moves its stack there and its own subroutine
    // calls push their return addresses below it. Cut with the PC word still
    // to come, the check's command and parameter bytes become the PC and its
    // first handshake the closing byte: the Talker resumes at that PC. No byte
    // the host could send avoids either; only a reset does.
    {"frame write",
     [](Session& s) { ecrireTrameEtReprendre(s, trameIdle(), s.config.Timeout); },
     talker::IdleFrame,
     talker::IdleFrame + 8,
     {2, 10}},
};

// A board whose RAM and EEPROM hold a pattern, so that a stray write shows.
std::unique_ptr<SimSession> carte() {
    auto s = std::make_unique<SimSession>("68HC11F1", 8);
    s->adapter(QStringLiteral("8"), 9600);
    if (!s->telecharger()) return nullptr;
    for (int a = 0x0100; a < 0x0400; ++a)
        s->board.poke(uint16_t(a), uint8_t(a * 13 + 7));
    for (int a = 0xFE00; a < 0x10000; a += 5)
        s->board.poke(uint16_t(a), uint8_t(a));
    return s;
}

// What a new session finds: "Chargé" (and a dump that matches the board),
// "Pas de Talker", or "Pas de Talker" with the message to reset.
struct Constat {
    QString etat;
    bool dumpJuste = true;
};

Constat nouvelleSession(SimSession& s) {
    RecordingScreen ecran;
    Session session(s.ligne, s.horloge, ecran);
    session.config = s.session.config;
    TestTalker(session);
    Constat c;
    if (!session.liaison.talkerPresent) {
        c.etat = ecran.messages.isEmpty() ? "Pas de Talker" : "Pas de Talker + RESET";
        return c;
    }
    c.etat = QStringLiteral("Talker Charg\u00e9");
    const auto lu = lireMemoire(session, 0x0300, 0x10, session.config.Timeout);
    for (int i = 0; i < 0x10; ++i)
        c.dumpJuste &= lu.ok() && quint8(lu.donnees[i]) == s.board.peek(uint16_t(0x0300 + i));
    return c;
}

} // namespace

// The host stops sending at every byte of each exchange, as a killed process
// does; a new session follows on the same board. It finds the Talker and
// reads true bytes, or says there is none: never wrong data, and nothing
// written outside what the cut operation asked for.
TEST(InterruptedExchange, CutAtEveryByteThenANewSession) {
    for (const Operation& op : Operations) {
        // How many bytes the whole operation sends.
        int total = 0;
        {
            auto s = carte();
            ASSERT_TRUE(s);
            SessionCoupee compte(*s, 100000);
            op.lancer(compte.session);
            total = compte.ligne.envoyes;
        }
        for (int k = 0; k < total; ++k) {
            SCOPED_TRACE(std::string(op.nom) + " cut after byte " + std::to_string(k));
            auto s = carte();
            ASSERT_TRUE(s);
            const Memoire avant = copie(s->board);
            op.lancer(std::make_unique<SessionCoupee>(*s, k)->session);
            const Constat c = nouvelleSession(*s);
            EXPECT_TRUE(c.dumpJuste) << "a Talker found reads true bytes";
            const int ailleurs = ecritHorsPlage(avant, copie(s->board), op.debut, op.fin);
            const bool connu =
                std::find(op.sansRemede.begin(), op.sansRemede.end(), k) != op.sansRemede.end();
            if (!connu) {
                EXPECT_EQ(ailleurs, -1);
            }
        }
    }
}

namespace {

class Interruption : public ::testing::Test {
protected:
    void SetUp() override {
        s = carte();
        ASSERT_TRUE(s);
        avant = copie(s->board);
    }
    Session& session() { return s->session; }
    // After the operation: the Talker idle, and nothing written outside.
    void verifier(int debut, int fin) {
        EXPECT_EQ(ecritHorsPlage(avant, copie(s->board), debut, fin), -1);
        session().liaison.interruption = false;
        TestTalker(session());
        EXPECT_TRUE(session().liaison.talkerPresent) << "the exchange was finished: the Talker is idle";
        EXPECT_EQ(session().registres.RegSP, "00E8");
        EXPECT_TRUE(s->ecran.messages.isEmpty()) << s->ecran.messageTexts().join(" | ").toStdString();
    }
    std::unique_ptr<SimSession> s;
    Memoire avant;
};

} // namespace

// Ctrl-C or a close in the middle of an exchange: the exchange completes as
// the Talker expects, then the operation stops.
TEST_F(Interruption, InTheMiddleOfAFillTheExchangeIsFinished) {
    session().config.Timeout = 2000;
    s->horloge.after(1.0, [&] { session().demanderInterruption(); });
    FillMem(session(), 0xFF, QStringLiteral("0200"), QStringLiteral("55"));
    EXPECT_TRUE(session().liaison.interruption);
    for (int a = 0x0200; a <= 0x02FE; ++a)
        ASSERT_EQ(s->board.peek(uint16_t(a)), 0x55) << a;
    verifier(0x0200, 0x02FE);
}

TEST_F(Interruption, InTheMiddleOfADumpEveryLineIsTrue) {
    s->horloge.after(0.4, [&] { session().demanderInterruption(); });
    session().console.CmdAdresse = QStringLiteral("0100");
    session().console.CmdLongueur = QStringLiteral("00FF");
    MemDump(session());
    const QStringList lignes = s->ecran.text(Zone::Memoire).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lignes.size(), 16) << "all 255 bytes, 16 to a line";
    EXPECT_TRUE(
        lignes[15].startsWith(QStringLiteral("01F0 ") + QString::asprintf("%02X", s->board.peek(0x01F0))));
    verifier(1, 0);
}

TEST_F(Interruption, DisassemblyStopsBetweenTwoReads) {
    s->horloge.after(0.35, [&] { session().demanderInterruption(); });
    session().console.CmdAdresse = QStringLiteral("0000");
    Disassemble(session());
    const int lues = static_cast<int>(s->ecran.text(Zone::Trace).count(QStringLiteral("<==")));
    EXPECT_GE(lues, 1);
    EXPECT_LT(lues, 16) << "stopped before the end of the listing";
    verifier(1, 0);
}

// On a dead line the stop does not wait out the configured 200 s: each wait
// left in the exchange gets DelaiFinEchange, and the link state is true.
TEST(InterruptionDeadLine, TheExchangeEndsWithinTheShortDelay) {
    auto s = carte();
    ASSERT_TRUE(s);
    SessionCoupee c(*s, 8); // the dump's bytes stop after its first handshakes
    Session& session = c.session;
    session.config.Timeout = 2000;
    session.liaison.talkerPresent = true;
    s->horloge.after(0.5, [&] { session.demanderInterruption(); });
    const double debut = s->horloge.boardSeconds();
    const auto r = lireMemoire(session, 0x0300, 0x40, session.config.Timeout);
    EXPECT_EQ(r.issue, Issue::Annule);
    EXPECT_LT(s->horloge.boardSeconds() - debut, 0.5 + DelaiFinEchange + 0.1);
    const int envoyes = c.ligne.envoyes;
    TestTalker(session);
    EXPECT_FALSE(session.liaison.talkerPresent) << "a Talker stopped inside a read is no Talker";
    EXPECT_TRUE(c.ecran.messageTexts().join(' ').contains("faites RESET sur la carte puis Load Talker"));
    EXPECT_EQ(c.ligne.envoyes, envoyes) << "the check sent nothing to it";
}

// The frame address is judged before its handshake: where a frame can be.
TEST(FrameAddress, OnlyTheTalkerStackOrTheRamAboveIt) {
    const CarteMemoire f1{1024, 512, 0x0000, 0xFE00};
    const CarteMemoire a1{256, 512, 0x0000, 0xB600};
    struct Cas {
        int adresse;
        bool f1, a1;
    };
    // The edges of the Talker's stack and of the F1's RAM above the Talker.
    const Cas cas[] = {{0x00CB, false, false}, {0x00CC, true, true},  {0x00E0, true, true},
                       {0x00E1, false, false}, {0x0100, true, false}, {0x03F7, true, false},
                       {0x03F8, false, false}};
    for (const Cas& c : cas) {
        EXPECT_EQ(adresseTrameAdmissible(c.adresse, f1), c.f1) << std::hex << c.adresse;
        EXPECT_EQ(adresseTrameAdmissible(c.adresse, a1), c.a1) << std::hex << c.adresse;
    }
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
        QTemporaryDir dir;
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TESSALINE_COM2"), sim.esclave());
        p.setProcessEnvironment(env);
        // 255 bytes written and read back at 9600 baud: about 6 s.
        const QStringList fill{"fill", "0200", "FF", c.valeur};
        p.start(QStringLiteral(TESSALINE_CLI), QStringList{"--settings", dir.filePath("t.ini")} + options +
                                                   fill + QStringList{"--", "dump", "0300", "10"});
        ASSERT_TRUE(p.waitForStarted(10000));
        // The trace on standard error tells when the fill has started.
        p.setReadChannel(QProcess::StandardError);
        QByteArray erreurs;
        while (!erreurs.contains("MemFill") && p.waitForReadyRead(10000))
            erreurs += p.readAllStandardError();
        ASSERT_TRUE(erreurs.contains("MemFill"));
        QThread::msleep(1500);
        ::kill(static_cast<pid_t>(p.processId()), c.signal);
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), c.statut);
        erreurs += p.readAllStandardError();
        EXPECT_TRUE(erreurs.endsWith(("tessaline-cli: Interrompu : " + fill.join(' ') + '\n').toUtf8()))
            << erreurs.toStdString();
        EXPECT_FALSE(p.readAllStandardOutput().contains("0300 ")) << "the dump after it did not run";

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
    const QStringList base{"--settings", dir.filePath("t.ini"), "--simulate", "--timeout", "20"};
    QProcess p;
    p.start(QStringLiteral(TESSALINE_CLI), base + QStringList{"dump", "0300", "10"});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(p.readAllStandardOutput().isEmpty()) << "no dump line";
    // With what to check and do on the next line.
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError())
                    .endsWith(avecRemede(QStringLiteral("Pas de Talker : dump 0300 10 n'est pas lanc\u00e9"),
                                         Remede::Demarrage) +
                              u'\n'));
}

namespace {

struct RunCli {
    int statut = -1;
    double duree = 0; // board seconds
    QString erreurs;
};

// tessaline-cli's run of `arguments` on the board, with SIGINT raised
// `signalApres` board seconds after it starts (never when negative): the
// catcher, the clock and the commands are the program's own.
RunCli lancerCli(SimSession& s, const QStringList& arguments, double signalApres) {
    RunCli r;
    QString sortieTexte;
    QTextStream sortie(&sortieTexte), erreurs(&r.erreurs);
    ConsoleScreen ecran(sortie, erreurs);
    SignauxInterruption signaux;
    Session* courante = nullptr;
    HorlogeInterruptible horloge(s.horloge, [&courante] {
        if (courante) transmettreSignal(*courante);
    });
    Session session(s.ligne, horloge, ecran);
    courante = &session;
    session.config = s.session.config;
    QString erreur;
    const auto ligne = analyserLigneCommande(arguments, erreur);
    EXPECT_TRUE(ligne) << erreur.toStdString();
    if (!ligne) return r;
    // A signal planned past the run's end must not reach the next one.
    auto actif = std::make_shared<bool>(true);
    if (signalApres >= 0)
        s.horloge.after(signalApres, [actif] {
            if (*actif) std::raise(SIGINT);
        });
    const double debut = s.horloge.boardSeconds();
    r.statut = executerCommandes(session, *ligne, ecran, QString(), sortie, erreurs);
    r.duree = s.horloge.boardSeconds() - debut;
    *actif = false;
    return r;
}

} // namespace

// Ctrl-C at twenty moments of each command that plants SWIs (a step, a
// breakpoint on the running program, a run to a breakpoint set while
// stopped): the command takes every planted byte back before the run ends,
// the EEPROM holds the program as it was, and a new run finds the Talker.
TEST(CliInterruption, NoSwiOutlivesACommandWhateverTheMoment) {
    const QStringList lignes[] = {
        {"step", "20"},
        {"run", "--", "break", "FE15"},
        {"break", "FE1F", "--", "run", "--", "wait", "300"},
    };
    for (const QStringList& arguments : lignes) {
        double duree = 0;
        {
            SimSession s("68HC11F1", 8);
            ASSERT_NO_FATAL_FAILURE(s.demarrerAvecExemple("compteur.s19"));
            const RunCli r = lancerCli(s, arguments, -1);
            ASSERT_EQ(r.statut, 0) << r.erreurs.toStdString();
            duree = r.duree;
        }
        constexpr int Moments = 20;
        for (int i = 1; i <= Moments; ++i) {
            const double moment = duree * i / (Moments + 1);
            SCOPED_TRACE(arguments.join(' ').toStdString() + ", SIGINT at " + std::to_string(moment) + " s");
            SimSession s("68HC11F1", 8);
            ASSERT_NO_FATAL_FAILURE(s.demarrerAvecExemple("compteur.s19"));
            const Memoire avant = copie(s.board);
            const RunCli r = lancerCli(s, arguments, moment);
            EXPECT_EQ(r.statut, StatutInterrompu) << r.erreurs.toStdString();
            EXPECT_FALSE(r.erreurs.contains(QStringLiteral("SWI rest"))) << r.erreurs.toStdString();
            for (int a = 0xFE00; a < EspaceAdresses; ++a)
                ASSERT_EQ(s.board.peek(uint16_t(a)), avant[a]) << "EEPROM changed at " << std::hex << a;
            const Constat c = nouvelleSession(s);
            EXPECT_EQ(c.etat, QStringLiteral("Talker Charg\u00e9"));
        }
    }
}
