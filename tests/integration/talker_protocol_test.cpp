// The Talker, end to end: the image prepared by the host is downloaded through
// the simulated chip's boot ROM and every command is exchanged at byte level
// with the host's transfer primitives.
#include "link/talker_image.h"
#include "sim_session.h"

#include <gtest/gtest.h>

using namespace tessaline;
using namespace tessaline::test;

namespace {

constexpr int Sync = 0xFF;
constexpr int IdleFrame = talker::IdleFrame;
constexpr int IdleLoop = talker::IdleLoop;

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
    const std::vector<std::pair<int, std::vector<int>>> debits = {
        {2, {600, 1200, 2400}},
        {4, {600, 1200, 2400, 4800}},
        {8, {600, 1200, 2400, 4800, 9600}},
        {16, {600, 1200, 2400, 4800, 9600, 19200}},
    };
    std::vector<Combinaison> v;
    for (const char* puce : {"68HC11A1", "68HC11E1", "68HC11F1", "68HC11811E2"})
        for (const auto& [quartz, liste] : debits)
            for (int b : liste)
                v.push_back({puce, quartz, b});
    return v;
}

class TalkerDownload : public ::testing::TestWithParam<Combinaison> {};

} // namespace

// 4 chips x 18 crystal/rate combinations: the download works, the Talker
// reports its idle frame at $00E0 and serves a memory read at the working rate.
TEST_P(TalkerDownload, EveryChipCrystalAndRate) {
    const Combinaison c = GetParam();
    SimSession s(c.puce, c.quartz);
    s.adapter(QString::number(c.quartz), c.baud);
    ASSERT_EQ(s.session.config.TalkerPrepare.size(), talker::WireBytes);
    ASSERT_TRUE(s.telecharger());

    SimSession::Trame t;
    ASSERT_TRUE(s.lireRegistres(t));
    EXPECT_EQ(t.adresse, IdleFrame) << "the host shows SP 00E8";
    EXPECT_EQ(t.pc(), IdleLoop);

    // The code of the Talker reads back as downloaded (the stack area aside).
    const std::vector<int> code = s.lireMemoire(0x0000, 0x40);
    ASSERT_EQ(code.size(), 0x40u);
    for (int a = 0; a < 0x40; ++a)
        EXPECT_EQ(code[a], quint8(s.session.config.TalkerPrepare[a + 1])) << a;
    EXPECT_TRUE(s.ecran.messages.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(ChipsCrystalsRates, TalkerDownload, ::testing::ValuesIn(toutesLesCombinaisons()),
                         nom);

namespace {

// A Talker at 9600 baud on an 8 MHz board of the given chip.
class Talker : public ::testing::Test {
protected:
    void demarrer(const char* puce = "68HC11F1") {
        s = std::make_unique<SimSession>(puce, 8);
        s->adapter(QStringLiteral("8"), 9600);
        ASSERT_TRUE(s->telecharger());
    }
    // Writes a program into the EEPROM through the Talker.
    void programme(int adresse, const std::vector<int>& octets) {
        ASSERT_EQ(s->ecrireMemoire(adresse, octets), octets);
    }
    // Runs from `pc` with the Talker's idle frame as the program's stack.
    void lancer(int pc, int ccr) {
        const std::array<int, 9> trame{ccr, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, pc >> 8, pc & 0xFF};
        const std::vector<int> relus = s->ecrireRegistres(IdleFrame, trame);
        ASSERT_EQ(relus, std::vector<int>(trame.begin(), trame.end()));
    }
    std::unique_ptr<SimSession> s;
};

} // namespace

TEST_F(Talker, ReadMemoryCountZeroMeans256) {
    demarrer();
    const std::vector<int> m = s->lireMemoire(0x0000, 0);
    ASSERT_EQ(m.size(), 256u);
    EXPECT_EQ(m[0xFC], 0x0B);
    EXPECT_EQ(m[0xFD], 0x27);
    EXPECT_EQ(m[0xFE], 0x30) << "BAUD value for 9600 baud at 8 MHz";
    // The handshake keeps the Talker in step: another command follows at once.
    SimSession::Trame t;
    EXPECT_TRUE(s->lireRegistres(t));
}

TEST_F(Talker, WriteMemoryInRamAndEeprom) {
    demarrer();
    EXPECT_EQ(s->ecrireMemoire(0x0200, {0x12, 0x34, 0x00}), (std::vector<int>{0x12, 0x34, 0x00}));
    EXPECT_EQ(s->board.peek(0x0200), 0x12);
    EXPECT_EQ(s->board.peek(0x0202), 0x00);

    EXPECT_EQ(s->ecrireMemoire(0xFE00, {0xA5, 0x5A}), (std::vector<int>{0xA5, 0x5A}));
    EXPECT_EQ(s->board.peek(0xFE00), 0xA5);
    EXPECT_EQ(s->board.peek(0xFE01), 0x5A);
    // Rewriting erases first: $0F over $A5 gives $0F, not $A5 AND $0F.
    EXPECT_EQ(s->ecrireMemoire(0xFE00, {0x0F}), (std::vector<int>{0x0F}));
    EXPECT_EQ(s->board.peek(0xFE00), 0x0F);
    EXPECT_EQ(s->lireMemoire(0xFE00, 2), (std::vector<int>{0x0F, 0x5A}));
}

TEST_F(Talker, WriteCountZeroWrites256EepromBytes) {
    demarrer();
    std::vector<int> octets(256);
    for (int i = 0; i < 256; ++i)
        octets[i] = (i * 7 + 3) & 0xFF;
    EXPECT_EQ(s->ecrireMemoire(0xFE00, octets, 0), octets);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(s->board.peek(uint16_t(0xFE00 + i)), octets[i]) << i;
    EXPECT_EQ(s->board.peek(0xFF00), 0xFF) << "not one byte more";
}

TEST_F(Talker, WritingARomOrEmptyAddressReadsBackWhatIsThere) {
    demarrer();
    EXPECT_EQ(s->ecrireMemoire(0x8000, {0x55}), (std::vector<int>{0xFF})) << "nothing there reads $FF";
    EXPECT_EQ(s->ecrireMemoire(0xBFF4, {0x12}), (std::vector<int>{0x00})) << "the boot ROM's SWI vector";
}

TEST_F(Talker, EepromWritesOnTheA1AtB600) {
    demarrer("68HC11A1");
    EXPECT_EQ(s->ecrireMemoire(0xB600, {0x3C}), (std::vector<int>{0x3C}));
    EXPECT_EQ(s->board.peek(0xB600), 0x3C);
}

TEST_F(Talker, ProgramRunsToSwiAndTheBreakFrameTellsWhere) {
    demarrer();
    // LDAA #$42; LDAB #$17; LDX #$1234; LDY #$5678; SWI
    programme(0xFE00, {0x86, 0x42, 0xC6, 0x17, 0xCE, 0x12, 0x34, 0x18, 0xCE, 0x56, 0x78, 0x3F});
    lancer(0xFE00, 0xD0);
    EXPECT_EQ(RecevoirComBINDec(s->session), 0x03) << "the Talker reports the stop";

    int pc = 0;
    SimSession::Trame t;
    ASSERT_TRUE(s->lireTrameBreak(pc, t));
    EXPECT_EQ(pc, 0xFE0C) << "the address after the SWI";
    EXPECT_EQ(t.adresse, IdleFrame) << "the program's frame, where its SP put it";
    EXPECT_EQ(t.octets[1], 0x17);
    EXPECT_EQ(t.octets[2], 0x42);
    EXPECT_EQ(t.x(), 0x1234);
    EXPECT_EQ(t.y(), 0x5678);
    EXPECT_EQ(t.pc(), IdleLoop) << "the frame now returns into the idle loop";

    SimSession::Trame apres;
    ASSERT_TRUE(s->lireRegistres(apres));
    EXPECT_EQ(apres.adresse, IdleFrame) << "back in the idle loop on the same stack";
    EXPECT_EQ(apres.pc(), IdleLoop);
    EXPECT_EQ(apres.octets[2], 0x42) << "with the stopped program's registers";
}

TEST_F(Talker, RunningProgramCanBeReadAndStopped) {
    demarrer();
    programme(0xFE10, {0x01, 0x20, 0xFD}); // NOP; BRA back to it
    lancer(0xFE10, 0xC0);                  // I clear: the SCI interrupt reaches the Talker

    SimSession::Trame t;
    ASSERT_TRUE(s->lireRegistres(t));
    EXPECT_GE(t.pc(), 0xFE10);
    EXPECT_LE(t.pc(), 0xFE12);
    EXPECT_EQ(t.adresse, IdleFrame) << "the interrupt frame on the program's stack";
    EXPECT_EQ(s->lireMemoire(0xFE10, 3), (std::vector<int>{0x01, 0x20, 0xFD}))
        << "memory reads while running";

    ViderCom(s->session);
    ASSERT_TRUE(EnvoiCommande(s->session, commande::Stop, true));
    s->ligne.sendByte(0);
    EXPECT_EQ(RecevoirComBINDec(s->session), 0x03);
    int pc = 0;
    ASSERT_TRUE(s->lireTrameBreak(pc, t));
    EXPECT_GE(pc, 0xFE10);
    EXPECT_LE(pc, 0xFE12);
    EXPECT_EQ(t.pc(), IdleLoop);
}

TEST_F(Talker, IllegalOpcodeStopsAtItsOwnAddress) {
    demarrer();
    programme(0xFE20, {0x01, 0x41}); // NOP, then an illegal opcode
    lancer(0xFE20, 0xD0);
    EXPECT_EQ(RecevoirComBINDec(s->session), 0x03);
    int pc = 0;
    SimSession::Trame t;
    ASSERT_TRUE(s->lireTrameBreak(pc, t));
    EXPECT_EQ(pc, 0xFE21);
}

TEST_F(Talker, WrittenRegistersAreThoseTheProgramRunsWith) {
    demarrer();
    // STAA $0300; STAB $0301; STX $0302; STY $0304; SWI
    programme(0xFE30, {0xB7, 0x03, 0x00, 0xF7, 0x03, 0x01, 0xFF, 0x03, 0x02, 0x18, 0xFF, 0x03, 0x04, 0x3F});
    const std::array<int, 9> trame{0xD1, 0xBB, 0xAA, 0x12, 0x34, 0x56, 0x78, 0xFE, 0x30};
    ASSERT_EQ(s->ecrireRegistres(0x0380, trame), std::vector<int>(trame.begin(), trame.end()));
    EXPECT_EQ(RecevoirComBINDec(s->session), 0x03);
    EXPECT_EQ(s->board.peek(0x0300), 0xAA);
    EXPECT_EQ(s->board.peek(0x0301), 0xBB);
    EXPECT_EQ(s->board.peek(0x0302), 0x12);
    EXPECT_EQ(s->board.peek(0x0305), 0x78);
    int pc = 0;
    SimSession::Trame t;
    ASSERT_TRUE(s->lireTrameBreak(pc, t));
    EXPECT_EQ(pc, 0xFE3E);
    EXPECT_EQ(t.adresse, 0x0380) << "the program's stack was the frame address plus 8";
}

TEST_F(Talker, IgnoredCodesAreEchoedAndReadNoParameter) {
    demarrer();
    for (int code = 7; code <= 0x100; ++code) {
        const int c = code & 0xFF; // 7..255, then 0
        ViderCom(s->session);
        ASSERT_TRUE(EnvoiCommande(s->session, c, true)) << c;
    }
    SimSession::Trame t;
    ASSERT_TRUE(s->lireRegistres(t)) << "no byte was taken as a parameter";
    EXPECT_EQ(t.adresse, IdleFrame);
}

TEST_F(Talker, BreakFrameWithNothingStoppedLeavesTheTalkerAlive) {
    demarrer();
    int pc = 0;
    SimSession::Trame t;
    ASSERT_TRUE(s->lireTrameBreak(pc, t));
    EXPECT_EQ(pc, IdleLoop) << "the bytes under the idle frame, read as a PC";
    EXPECT_EQ(t.adresse, talker::StackTop + 1);
    EXPECT_EQ(t.pc(), IdleLoop);

    SimSession::Trame apres;
    ASSERT_TRUE(s->lireRegistres(apres));
    EXPECT_EQ(apres.adresse, IdleFrame);
    EXPECT_EQ(s->lireMemoire(talker::IdleLoop, 3), (std::vector<int>{0xCE, 0x00, 0xEF})) << "its code intact";
}

TEST_F(Talker, StopAndReadRegistersConsumeTheirParameterByte) {
    demarrer();
    // Code 4 with nothing running still answers $03 and idles on top.
    ViderCom(s->session);
    ASSERT_TRUE(EnvoiCommande(s->session, commande::Stop, true));
    s->ligne.sendByte(0x55);
    EXPECT_EQ(RecevoirComBINDec(s->session), 0x03);
    SimSession::Trame t;
    ASSERT_TRUE(s->lireRegistres(t));
    EXPECT_EQ(t.adresse, IdleFrame - 9) << "a second idle frame on the first";
}

TEST(TalkerEeprom, TalkerAdaptedForHalfTheCrystalFailsToProgram) {
    SimSession s("68HC11F1", 8);
    s.adapter(QStringLiteral("8"), 1200);
    // The 4 MHz delay count: about 5 ms of programming at 8 MHz.
    QByteArray image = s.session.config.TalkerPrepare;
    image[talker::DelayCount + 1] = char(0x05);
    image[talker::DelayCount + 2] = char(0x91);
    ASSERT_TRUE(s.telecharger(image));
    EXPECT_EQ(s.ecrireMemoire(0x0100, {0x42}), (std::vector<int>{0x42})) << "RAM does not care";
    EXPECT_EQ(s.ecrireMemoire(0xFE00, {0x42}), (std::vector<int>{0xFF})) << "the EEPROM cell stays erased";
    EXPECT_EQ(s.board.peek(0xFE00), 0xFF);
}

TEST(TalkerEeprom, TalkerAdaptedForTwiceTheCrystalProgramsSlowly) {
    SimSession s("68HC11E1", 8);
    s.adapter(QStringLiteral("8"), 1200);
    QByteArray image = s.session.config.TalkerPrepare;
    image[talker::DelayCount + 1] = char(0x16);
    image[talker::DelayCount + 2] = char(0x4E);
    ASSERT_TRUE(s.telecharger(image));
    EXPECT_EQ(s.ecrireMemoire(0xB600, {0x42}), (std::vector<int>{0x42}));
}
