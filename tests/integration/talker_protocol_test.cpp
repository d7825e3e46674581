// The Talker's exchanges: their bytes on the wire against a scripted Talker, what they
// do to the simulated board, whose Talker is the image the host downloads through the
// chip's boot ROM, and exchanges cut or interrupted in the middle.
#include "cli/cli_commands.h"
#include "cli/cli_interruption.h"
#include "config/crystal_table.h"
#include "link/error_report.h"
#include "link/talker_image.h"
#include "link/talker_protocol.h"
#include "link/tempo.h"
#include "link/transfer.h"
#include "operations/disassembly.h"
#include "operations/memory_read.h"
#include "operations/memory_write.h"
#include "operations/talker_link.h"
#include "scripted_session.h"
#include "sim_session.h"

#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>

namespace {

using namespace tessaline;
using namespace tessaline::test;
using Rendu = std::pair<Issue, QByteArray>;

constexpr int IdleFrame = talker::IdleFrame;
constexpr int IdleLoop = talker::IdleLoop;

QByteArray octets(std::initializer_list<int> v) {
    QByteArray r;
    for (int o : v)
        r.append(static_cast<char>(o));
    return r;
}

constexpr int T = 7; // 0.7 s for every wait; the configuration says 200 s

// What an exchange returns: its issue and, for a memory exchange, the bytes it got.
Rendu rendu(const Resultat<QByteArray>& r) {
    return {r.issue, r.donnees};
}
template <class R>
Rendu rendu(const R& r) {
    return {r.issue, {}};
}

struct Echange {
    const char* nom;
    std::function<Rendu(Session&)> appel;
    const char* hote;   // every byte the host sends, in hex
    const char* talker; // the answer to each of them: hex (one byte or more), "." none, "A" abort, "C" cancel
    Issue issue;
    const char* recus; // the bytes returned, in hex
};

void PrintTo(const Echange& e, std::ostream* os) {
    *os << e.nom;
}

// The exchanges that succeed are proved against the simulated board below;
// these are the failures only a scripted Talker can stage.
const std::vector<Echange>& echanges() {
    static const std::vector<Echange> v = {
        {"read memory, a byte missing", [](Session& s) { return rendu(lireMemoire(s, 0x1234, 3, T)); },
         "06 03 12 34 AA", "06 . . AA .", Issue::TimeOut, "AA"},
        {"read memory, wrong echo", [](Session& s) { return rendu(lireMemoire(s, 0x1234, 2, T)); }, "06",
         "07", Issue::Incoherent, ""},
        {"read memory, aborted", [](Session& s) { return rendu(lireMemoire(s, 0xFE00, 2, T)); },
         "06 02 FE 00", "06 . . A", Issue::Abandon, ""},
        {"read memory, cancelled", [](Session& s) { return rendu(lireMemoire(s, 0xFE00, 2, T)); },
         "06 02 FE 00 11", "06 . . 11 C", Issue::Annule, "11"},
        {"read memory, count of 0 refused", [](Session& s) { return rendu(lireMemoire(s, 0, 0, T)); }, "", "",
         Issue::Erreur, ""},
        {"write memory, a read-back missing",
         [](Session& s) {
             return rendu(ecrireMemoire(s, 0xB600, octets({0x12, 0x34}), T));
         },
         "05 02 B6 00 12 34", "05 . . . 12 .", Issue::TimeOut, "12"},
        {"read frame, time-out in the middle", [](Session& s) { return rendu(lireTrame(s, T)); },
         "01 00 00 E0 D0 11 22", "01 00 E0 D0 11 22 .", Issue::TimeOut, ""},
        {"stop, nothing", [](Session& s) { return rendu(arreter(s, T)); }, "04 00", "04 .", Issue::TimeOut,
         ""},
        // A routine in RAM acknowledges a record and sends back each byte
        // after its pulse; an adapter's latency timer hands them over together.
        {"routine record, answers together",
         [](Session& s) {
             const QByteArray o = octets({0x12, 0x34, 0x56});
             QByteArray suite;
             envoyerEnregistrement(s, 0xFE00, o);
             const Issue a = lireAccuse(s, suite, T);
             return a == Issue::Ok ? rendu(lireRelectures(s, suite, 0xFE00, o, T)) : Rendu{a, {}};
         },
         "03 FE 00 12 34 56 63", ". . . . . . 06123456", Issue::Ok, "12 34 56"},
    };
    return v;
}

// A Talker that answers from a script, in virtual time.
struct TalkerScripte : ScriptedSession {
    TalkerScripte()
        : ScriptedSession("9600,N,8,1") {}
};

class ScriptedExchange : public ::testing::TestWithParam<Echange> {};

std::string nomEchange(const ::testing::TestParamInfo<Echange>& i) {
    std::string n;
    for (const char* c = i.param.nom; *c; ++c)
        n += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return n;
}

// Each exchange sends exactly these bytes and returns exactly this, under its
// own time-out rather than the configured one.
TEST_P(ScriptedExchange, BytesOnTheWireAndResult) {
    const Echange& e = GetParam();
    TalkerScripte s;
    const QStringList reponses = QString::fromLatin1(e.talker).split(u' ', Qt::SkipEmptyParts);
    int n = 0;
    s.ligne.repondre = [&](quint8) -> QByteArray {
        const QString r = reponses.value(n++, QStringLiteral("."));
        // The flags are set by a click during the wait that follows.
        if (r == "A") s.horloge.after(0.1, [&] { s.session.demanderAbandon(); });
        if (r == "C") s.horloge.after(0.1, [&] { s.session.demanderAnnulation(); });
        if (r.size() % 2 != 0 || r.isEmpty()) return {};
        return QByteArray::fromHex(r.toLatin1());
    };

    const Rendu r = e.appel(s.session);
    EXPECT_EQ(r.first, e.issue);
    EXPECT_EQ(r.second.toHex(' ').toUpper(), QByteArray(e.recus));
    EXPECT_EQ(s.ligne.envoyes.toHex(' ').toUpper(), QByteArray(e.hote));
    EXPECT_LT(s.horloge.elapsed(), 2 * T * 0.1) << "the time-out given, not the configured 200 s";
    EXPECT_TRUE(s.ecran.messages.isEmpty()) << "the protocol shows nothing";
}

INSTANTIATE_TEST_SUITE_P(Talker, ScriptedExchange, ::testing::ValuesIn(echanges()), nomEchange);

// The read and write exchanges above decode and encode a frame in stack order; SP is
// the frame address plus 8 on 16 bits.
TEST(RegisterFrame, SpWrapsOnSixteenBits) {
    std::array<std::uint8_t, OctetsTrameLue> lus;
    lus.fill(0xFF);
    lus[1] = 0xF8;
    EXPECT_EQ(decoderTrame(lus).sp(), 0x0000);
}

// A Talker at 9600 baud on an 8 MHz board of the given chip.
class Talker : public ::testing::Test {
protected:
    static constexpr int D = SimSession::Delai;
    void demarrer(const char* puce = "68HC11F1") {
        s = std::make_unique<SimSession>(puce, 8);
        s->adapter(QStringLiteral("8"), 9600);
        ASSERT_TRUE(s->telecharger());
    }
    Session& session() { return s->session; }
    // Writes a program into the EEPROM and runs it with the Talker's idle
    // frame as its stack.
    void lancer(int adresse, const QByteArray& programme, int ccr) {
        ASSERT_EQ(ecrireMemoire(session(), adresse, programme, D).donnees, programme);
        TrameRegistres t;
        t.adresse = IdleFrame;
        t.ccr = ccr;
        t.pc = adresse;
        ASSERT_TRUE(ecrireTrameEtReprendre(session(), t, D).ok());
    }
    int octetRecu() { return attendreOctet(session(), D, false, QStringLiteral("test")).octet; }
    std::unique_ptr<SimSession> s;
};

TEST_F(Talker, ReadAndWrite256BytesWithACountOfZero) {
    demarrer();
    const auto talker = lireMemoire(session(), 0x0000, 256, D);
    ASSERT_TRUE(talker.ok());
    ASSERT_EQ(talker.donnees.size(), 256);
    // The code reads back as downloaded; the stack area $00CC-$00E8 aside.
    const QByteArray image = session().config.TalkerPrepare.mid(1);
    EXPECT_EQ(talker.donnees.left(0xCC), image.left(0xCC));
    EXPECT_EQ(talker.donnees.mid(0xE9), image.mid(0xE9));

    QByteArray motif(256, 0);
    for (int i = 0; i < 256; ++i)
        motif[i] = static_cast<char>(i * 7 + 3);
    const auto ecrit = ecrireMemoire(session(), 0xFE00, motif, D);
    ASSERT_TRUE(ecrit.ok());
    EXPECT_EQ(ecrit.donnees, motif) << "every byte programmed and read back";
    EXPECT_EQ(s->board.peek(0xFDFF), 0xFF);
    EXPECT_EQ(s->board.peek(0xFEFF), quint8(motif.back()));
    // Rewriting erases first: $0F over $A5 gives $0F, not $A5 AND $0F.
    ASSERT_TRUE(ecrireMemoire(session(), 0xFE00, octets({0xA5}), D).ok());
    EXPECT_EQ(ecrireMemoire(session(), 0xFE00, octets({0x0F}), D).donnees, octets({0x0F}));
}

TEST_F(Talker, WrongReadBacksStillCompleteTheExchange) {
    demarrer("68HC11E1");
    // BPROT ($1035) at $1F, its reset value: BPRT3-0 protect every EEPROM
    // block and the cells stay erased.
    ASSERT_TRUE(ecrireMemoire(session(), 0x1035, octets({0x1F}), D).ok());
    for (int adresse : {0x8000 /* nothing there */, 0xBFF6 /* the boot ROM's vectors */, 0xB600}) {
        SCOPED_TRACE(adresse);
        QByteArray avant;
        for (int i = 0; i < 3; ++i)
            avant.append(static_cast<char>(s->board.peek(uint16_t(adresse + i))));
        const auto r = ecrireMemoire(session(), adresse, octets({0x55, 0x66, 0x77}), D);
        EXPECT_TRUE(r.ok());
        EXPECT_EQ(r.donnees, avant) << "each byte reads back as it was";
        const auto suite = lireTrame(session(), D);
        ASSERT_TRUE(suite.ok()) << "the Talker took the closing byte and waits for a command";
        EXPECT_EQ(suite.donnees.adresse, IdleFrame);
    }
}

// The program runs with the registers of the frame written, on the stack that frame
// leaves; SWI or an illegal opcode stops it, and the break frame tells where.
TEST_F(Talker, ProgramRunsWithTheWrittenFrameUntilItStops) {
    struct Cas {
        const char* nom;
        int trame;
        int arret;
        int pcArret;
    };
    const Cas cas[] = {
        {"SWI: the address after it", 0x0380, 0x3F, 0xFE3E},
        {"illegal opcode: its own address", IdleFrame, 0x41, 0xFE3D},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        demarrer();
        // STAA $0300; STAB $0301; STX $0302; STY $0304; then SWI or an illegal opcode.
        const QByteArray programme =
            octets({0xB7, 0x03, 0x00, 0xF7, 0x03, 0x01, 0xFF, 0x03, 0x02, 0x18, 0xFF, 0x03, 0x04, c.arret});
        ASSERT_EQ(ecrireMemoire(session(), 0xFE30, programme, D).donnees, programme);
        const TrameRegistres trame{c.trame, 0xD1, 0xBB, 0xAA, 0x1234, 0x5678, 0xFE30};
        const auto relus = ecrireTrameEtReprendre(session(), trame, D);
        ASSERT_TRUE(relus.ok());
        const auto attendus = encoderTrame(trame);
        EXPECT_EQ(relus.donnees, QByteArray(reinterpret_cast<const char*>(attendus.data()), 9));
        EXPECT_EQ(octetRecu(), OctetArret);
        const hc11::Board& b = s->board;
        EXPECT_EQ((std::array{b.peek(0x0300), b.peek(0x0301), b.peek(0x0302), b.peek(0x0305)}),
                  (std::array<uint8_t, 4>{0xAA, 0xBB, 0x12, 0x78}));

        // The program's frame, where its SP put it, now returning into the idle loop.
        const auto r = lireTrameBreak(session(), D);
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(r.donnees.pcArret, c.pcArret);
        const TrameRegistres& t = r.donnees.trame;
        EXPECT_EQ((std::array{t.adresse, t.a, t.b, t.x, t.y, t.pc}),
                  (std::array{c.trame, 0xAA, 0xBB, 0x1234, 0x5678, IdleLoop}));

        const auto apres = lireTrame(session(), D);
        ASSERT_TRUE(apres.ok());
        EXPECT_EQ(apres.donnees.adresse, c.trame) << "back in the idle loop on the same stack";
        EXPECT_EQ(apres.donnees.a, 0xAA) << "with the stopped program's registers";
    }
}

TEST_F(Talker, RunningProgramCanBeReadAndStopped) {
    demarrer();
    lancer(0xFE10, octets({0x01, 0x20, 0xFD}), 0xC0); // NOP; BRA back. I clear: the SCI interrupt gets in

    const auto t = lireTrame(session(), D);
    ASSERT_TRUE(t.ok());
    EXPECT_NEAR(t.donnees.pc, 0xFE11, 1);
    EXPECT_EQ(lireMemoire(session(), 0xFE10, 3, D).donnees, octets({0x01, 0x20, 0xFD}))
        << "memory reads while running";

    const auto arret = arreter(session(), D);
    ASSERT_TRUE(arret.ok());
    EXPECT_EQ(std::pair(arret.donnees.octetArret, arret.donnees.deLuiMeme), std::pair(true, false))
        << "the $03";
    const auto r = lireTrameBreak(session(), D);
    ASSERT_TRUE(r.ok());
    EXPECT_NEAR(r.donnees.pcArret, 0xFE11, 1);
    EXPECT_EQ(r.donnees.trame.pc, IdleLoop);
}

// A program that stops by itself (here its own SWI) just as the host sends
// the stop: the $03 comes before the echo, and the frame read after the
// stop is still the program's.
TEST_F(Talker, StopThatMeetsAProgramStoppedByItselfKeepsItsFrame) {
    demarrer();
    lancer(0xFE10, octets({0x3F}), 0xC0);
    Tempo(s->horloge, 0.05f); // its $03 is there, unread
    const auto arret = arreter(session(), D);
    ASSERT_TRUE(arret.ok());
    EXPECT_TRUE(arret.donnees.deLuiMeme && arret.donnees.octetArret);
    const auto r = lireTrameBreak(session(), D);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.donnees.pcArret, 0xFE11) << "the program's frame, stacked by its SWI";
    EXPECT_EQ(r.donnees.trame.adresse, IdleFrame) << "where the SWI stacked it";
}

TEST_F(Talker, IgnoredCodesAreEchoedAndReadNoParameter) {
    demarrer();
    for (int code = 7; code <= 0x100; ++code) {
        const int c = code & 0xFF; // 7..255, then 0
        session().ligne().sendByte(quint8(c));
        const Reception echo = attendreOctet(session(), D, false, QStringLiteral("echo"));
        ASSERT_EQ(echo.octet, c) << "code " << c;
    }
    const auto t = lireTrame(session(), D);
    ASSERT_TRUE(t.ok()) << "no byte was taken as a parameter";
    EXPECT_EQ(t.donnees.adresse, IdleFrame);
}

TEST_F(Talker, BreakFrameAndStopWithNothingRunningLeaveTheTalkerAlive) {
    demarrer();
    const auto r = lireTrameBreak(session(), D);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.donnees.pcArret, IdleLoop) << "the bytes under the idle frame, read as a PC";
    EXPECT_EQ(r.donnees.trame.adresse, talker::StackTop + 1);
    EXPECT_EQ(lireTrame(session(), D).donnees.adresse, IdleFrame);

    // Stop with nothing running still answers $03 and idles on top.
    EXPECT_TRUE(arreter(session(), D).donnees.octetArret);
    const auto t = lireTrame(session(), D);
    ASSERT_TRUE(t.ok()) << "stop consumed its parameter byte";
    EXPECT_EQ(t.donnees.adresse, IdleFrame - 9) << "a second idle frame on the first";
}

TEST(TalkerEeprom, TheDelayCountDecidesWhetherTheEepromTakesTheByte) {
    struct Cas {
        const char* puce;
        int compte; // the Talker's programming delay count
        int adresse;
        int lu;
    };
    const Cas cas[] = {
        {"68HC11F1", 0x0591, 0x0100, 0x42}, // the 4 MHz count: RAM does not care
        {"68HC11F1", 0x0591, 0xFE00, 0xFF}, // about 5 ms at 8 MHz: the cell stays erased
        {"68HC11E1", 0x164E, 0xB600, 0x42}, // the 16 MHz count: slow but programmed
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.adresse);
        SimSession s(c.puce, 8);
        s.adapter(QStringLiteral("8"), 1200);
        QByteArray image = s.session.config.TalkerPrepare;
        image[talker::DelayCount + 1] = char(c.compte >> 8);
        image[talker::DelayCount + 2] = char(c.compte);
        ASSERT_TRUE(s.telecharger(image));
        EXPECT_EQ(ecrireMemoire(s.session, c.adresse, octets({0x42}), SimSession::Delai).donnees,
                  octets({c.lu}));
        EXPECT_EQ(s.board.peek(uint16_t(c.adresse)), c.lu);
    }
}

struct Combinaison {
    const char* puce;
    int quartz;
    int baud;
};

std::string nom(const ::testing::TestParamInfo<Combinaison>& i) {
    return std::string(i.param.puce) + "_" + std::to_string(i.param.quartz) + "MHz_" +
           std::to_string(i.param.baud);
}

std::vector<Combinaison> toutesLesCombinaisons() {
    std::vector<Combinaison> v;
    for (const char* puce : {"68HC11A1", "68HC11E1", "68HC11F1", "68HC11811E2"})
        for (const ReglageQuartz& q : tableQuartz())
            for (const VitesseTalker& vitesse : q.vitesses)
                v.push_back({puce, q.mhz, vitesse.baud});
    return v;
}

class TalkerDownload : public ::testing::TestWithParam<Combinaison> {};

// 4 chips x every crystal and rate the options offer: the download works and the
// Talker reports its idle frame at $00E0 at the working rate.
TEST_P(TalkerDownload, EveryChipCrystalAndRate) {
    const Combinaison c = GetParam();
    SimSession s(c.puce, c.quartz);
    s.adapter(QString::number(c.quartz), c.baud);
    ASSERT_TRUE(s.telecharger());

    const auto t = lireTrame(s.session, SimSession::Delai);
    ASSERT_TRUE(t.ok());
    EXPECT_EQ(t.donnees.sp(), talker::StackTop) << "the host shows SP 00E8";
    EXPECT_EQ(t.donnees.pc, IdleLoop);
}

INSTANTIATE_TEST_SUITE_P(ChipsCrystalsRates, TalkerDownload, ::testing::ValuesIn(toutesLesCombinaisons()),
                         nom);

// Exchanges cut or interrupted in the middle, on the simulated board: what the
// next session finds, and what the board's memory holds afterwards.
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
            const Memoire avant = instantane(s->board);
            op.lancer(std::make_unique<SessionCoupee>(*s, k)->session);
            const Constat c = nouvelleSession(*s);
            EXPECT_TRUE(c.dumpJuste) << "a Talker found reads true bytes";
            const int ailleurs = ecritHorsPlage(avant, instantane(s->board), op.debut, op.fin);
            const bool connu =
                std::find(op.sansRemede.begin(), op.sansRemede.end(), k) != op.sansRemede.end();
            if (!connu) {
                EXPECT_EQ(ailleurs, -1);
            }
        }
    }
}

class Interruption : public ::testing::Test {
protected:
    void SetUp() override {
        s = carte();
        ASSERT_TRUE(s);
        avant = instantane(s->board);
    }
    Session& session() { return s->session; }
    // After the operation: the Talker idle, and nothing written outside.
    void verifier(int debut, int fin) {
        EXPECT_EQ(ecritHorsPlage(avant, instantane(s->board), debut, fin), -1);
        session().liaison.interruption = false;
        TestTalker(session());
        EXPECT_TRUE(session().liaison.talkerPresent) << "the exchange was finished: the Talker is idle";
        EXPECT_EQ(session().registres.RegSP, "00E8");
        EXPECT_TRUE(s->ecran.messages.isEmpty()) << s->ecran.messageTexts().join(" | ").toStdString();
    }
    std::unique_ptr<SimSession> s;
    Memoire avant;
};

// Ctrl-C or a close in the middle of an exchange: the exchange completes as
// the Talker expects, then the operation stops before its next read.
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
            const Memoire avant = instantane(s.board);
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

} // namespace
