// The list of breakpoints on the simulated board: planted once, kept across
// stops, never seen by reads, kept true under writes, taken back at the end,
// and continue, step over and run to an address over them. Every exchange is
// recorded, so that the EEPROM writes of each step can be counted.
//
// The program, poked into the board (EEPROM at $FE00, a subroutine in RAM):
//   FE00 CLI            FE0A BRA FE01           0200 INC $0102
//   FE01 INC $0100      FE0C INC $0103          0203 RTS
//   FE04 JSR $0200      FE0F RTS
//   FE07 INC $0101
#include "link/conversions.h"
#include "link/registers.h"
#include "link/serial_port.h"
#include "link/talker_protocol.h"
#include "link/tempo.h"
#include "operations/breakpoint_table.h"
#include "operations/breakpoints.h"
#include "operations/disassembly.h"
#include "operations/memory_read.h"
#include "operations/memory_write.h"
#include "operations/program_run.h"
#include "operations/talker_link.h"
#include "wire_log.h"

#include <gtest/gtest.h>

using namespace tessaline;
using namespace tessaline::test;

namespace {

const QByteArray Eeprom = QByteArray::fromHex("0E7C0100BD02007C010120F57C010339");
const QByteArray Ram = QByteArray::fromHex("7C010239");

class ListeDePoints : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(t.demarrer());
        poser(0xFE00, Eeprom);
        poser(0x0200, Ram);
        changerRegistre(s(), &JeuRegistres::RegSP, QStringLiteral("00E8"));
        installerVerificationLiaison(s());
        SurvCom(s(), true);
        s().console.CmdAdresse = QStringLiteral("FE00");
        avant = t.memoire();
    }
    void poser(int a, const QByteArray& o) {
        for (int i = 0; i < o.size(); ++i)
            ASSERT_TRUE(t.sim.board.poke(static_cast<uint16_t>(a + i), static_cast<uint8_t>(o[i])));
    }
    Session& s() { return t.session; }
    // Run and Continue let the program run free to the list's breakpoints; the
    // link watch catches the stop.
    void jusquAuPoint(void (*operation)(Session&)) {
        operation(s());
        for (int i = 0; i < 200 && s().liaison.cibleTourne; ++i) {
            Tempo(t.sim.horloge, 0.01f);
            s().surveillance().tick();
        }
    }
    int pc() { return HexaDec(s().registres.RegPC); }
    uint8_t peek(int a) { return t.sim.board.peek(static_cast<uint16_t>(a)); }
    // Write exchanges that reached the EEPROM since `depuis` bytes of the log.
    int ecrituresEeprom(qsizetype depuis) {
        int n = 0;
        for (const Echange& e : echangesDe(t.ligne.envoyes.mid(depuis), commande::EcrireMemoire))
            n += e.adresse + e.count > 0xFE00 ? 1 : 0;
        return n;
    }
    void planter(std::initializer_list<int> adresses) {
        for (int a : adresses)
            ASSERT_TRUE(ajouterPoint(s(), a));
    }

    SessionEnregistree t{"68HC11F1", 8};
    Memoire avant;
};

TEST_F(ListeDePoints, RunAndContinueStopOnEachInProgramOrderWithoutWritingTheEeprom) {
    planter({0xFE01, 0xFE04, 0x0200, 0xFE07});
    jusquAuPoint(&tessaline::Run);
    EXPECT_EQ(pc(), 0xFE01);
    EXPECT_EQ(peek(0xFE01), 0x3F) << "planted while stopped";
    const int attendus[] = {0xFE04, 0x0200, 0xFE07, 0xFE01, 0xFE04};
    for (int attendu : attendus) {
        const qsizetype log = t.ligne.envoyes.size();
        jusquAuPoint(&Continuer);
        ASSERT_FALSE(s().liaison.cibleTourne);
        EXPECT_EQ(pc(), attendu);
        EXPECT_EQ(ecrituresEeprom(log), 0) << "continue from " << std::hex << attendu;
    }
    // Each instruction under a breakpoint ran once a pass: two passes of INC
    // $0100, one of the subroutine and of INC $0101.
    EXPECT_EQ(peek(0x0100), 2);
    EXPECT_EQ(peek(0x0101), 1);
    EXPECT_EQ(peek(0x0102), 1);
    EXPECT_EQ(s().registres.RegSP, QStringLiteral("00E8")) << "the call returned";

    // Reads show the user's bytes; the board holds the SWIs.
    EXPECT_EQ(LoadMem(s(), QStringLiteral("FE00"), 16), QString::fromLatin1(Eeprom.toHex().toUpper()));
    afficherArret(s(), QStringLiteral("FE04"), false);
    EXPECT_TRUE(s().ecran().text(Zone::Echo).contains(QStringLiteral("JSR")))
        << s().ecran().text(Zone::Echo).toStdString();

    lacherPoints(s());
    EXPECT_EQ(t.memoire()[0xFE00], avant[0xFE00]);
    for (int a : {0xFE01, 0xFE04, 0xFE07, 0x0200})
        EXPECT_EQ(peek(a), avant[std::size_t(a)]) << std::hex << a;
    EXPECT_EQ(s().points.liste.size(), 4) << "the list itself stays";
}

TEST_F(ListeDePoints, AWriteOverAPlantedAddressChangesTheUsersByteAndKeepsTheSwi) {
    planter({0xFE07});
    jusquAuPoint(&tessaline::Run);
    ASSERT_EQ(pc(), 0xFE07);
    // INC $0101 becomes INC $0103.
    ASSERT_TRUE(FillMem(s(), 1, QStringLiteral("FE09"), QStringLiteral("03")));
    ASSERT_TRUE(FillMem(s(), 1, QStringLiteral("FE07"), QStringLiteral("7C")));
    EXPECT_EQ(peek(0xFE07), 0x3F);
    EXPECT_EQ(LoadMem(s(), QStringLiteral("FE07"), 3), QStringLiteral("7C0103"));
    jusquAuPoint(&Continuer);
    EXPECT_EQ(pc(), 0xFE07);
    EXPECT_EQ(peek(0x0103), 1);
    EXPECT_EQ(peek(0x0101), 0);
}

// A conditional branch under a breakpoint runs from its copy in RAM both
// ways: taken, round the loop back to it; not taken, on to the next one.
TEST_F(ListeDePoints, AConditionalBranchUnderABreakpointGoesBothWays) {
    poser(0xFE0A, QByteArray::fromHex("26F5")); // BNE FE01, on INC $0101's result
    planter({0xFE0A, 0xFE0C});
    jusquAuPoint(&tessaline::Run);
    ASSERT_EQ(pc(), 0xFE0A);
    t.sim.board.poke(0x0101, 0xFF); // the next pass's INC gives 0
    jusquAuPoint(&Continuer);
    EXPECT_EQ(pc(), 0xFE0A) << "taken";
    EXPECT_EQ(peek(0x0100), 2);
    jusquAuPoint(&Continuer);
    EXPECT_EQ(pc(), 0xFE0C) << "not taken";
    EXPECT_EQ(peek(0x0100), 2);
}

TEST_F(ListeDePoints, StepOverRunsTheCallThroughAndRunToStopsThere) {
    planter({0xFE04});
    jusquAuPoint(&tessaline::Run);
    ASSERT_EQ(pc(), 0xFE04);
    PasPrincipal(s());
    EXPECT_EQ(pc(), 0xFE07);
    EXPECT_EQ(peek(0x0102), 1) << "the subroutine ran";
    EXPECT_EQ(s().registres.RegSP, QStringLiteral("00E8"));
    // From a plain instruction too, and a step over something else is a step.
    PasPrincipal(s());
    EXPECT_EQ(pc(), 0xFE0A);
    ExecuterJusquA(s(), 0x0200);
    EXPECT_EQ(pc(), 0xFE04) << "the breakpoint on the way comes first";
    ExecuterJusquA(s(), 0x0200);
    EXPECT_EQ(pc(), 0x0200);
    EXPECT_EQ(peek(0x0200), 0x7C) << "run-to's SWI taken back";
}

// With the program's symbols, the disassembly names the lines that start at a
// label and the addresses operands use or go to; the stop line (and so the
// trace) names the stop in full.
TEST_F(ListeDePoints, SymbolsNameTheDisassemblyTheStopLineAndTheTrace) {
    s().symboles = analyserSymboles("COMPTE $0100\r\nsous $0200\r\ndebut $FE00\r\nboucle $FE01\r\n");
    Disassemble(s());
    const QString trace = s().ecran().text(Zone::Trace);
    for (const char* ligne :
         {"FE00 <debut>  \t0E\t\t\tCLI\r", "FE01 <boucle>  \t7C0100\t\t\tINC\t$0100 <COMPTE>\r",
          "FE04  \tBD0200\t\t\tJSR\t$0200 <sous>\r", "FE0A  \t20F5\t\t\tBRA\t$FE01 <boucle>\r",
          "FE0C  \t7C0103\t\t\tINC\t$0103 <COMPTE+3>\r"})
        EXPECT_TRUE(trace.contains(QLatin1String(ligne))) << ligne << " in " << trace.toStdString();

    s().console.CmdAdresse = QStringLiteral("FE00"); // the listing moved it on
    planter({0xFE04});
    jusquAuPoint(&tessaline::Run);
    const QString arret = QStringLiteral("FE04 <boucle+3> \tBD0200\t\t\tJSR\t$0200 <sous>");
    EXPECT_EQ(s().ecran().text(Zone::Echo), arret);
    EXPECT_TRUE(s().ecran().text(Zone::Trace).contains(QStringLiteral("<==  ") + arret));
}

TEST_F(ListeDePoints, ANewTalkerFindsWhatIsStillPlantedAndPlantsTheRest) {
    planter({0xFE01, 0x0200});
    jusquAuPoint(&tessaline::Run);
    ASSERT_EQ(pc(), 0xFE01);
    // The RAM lost its SWI (a reset with the power off, a program that wrote there).
    t.sim.board.poke(0x0200, 0x7C);
    reprendrePoints(s());
    EXPECT_EQ(peek(0x0200), 0x3F);
    EXPECT_EQ(peek(0xFE01), 0x3F);
    EXPECT_TRUE(t.sim.ecran.text(Zone::Trace)
                    .contains(QStringLiteral("replant\u00e9s : 0200 ; toujours en place : FE01")))
        << t.sim.ecran.text(Zone::Trace).toStdString();
    // Removing one writes its byte back at once.
    ASSERT_TRUE(retirerPoint(s(), 0xFE01));
    EXPECT_EQ(peek(0xFE01), 0x7C);
}

TEST_F(ListeDePoints, RefusalsAndTheLimit) {
    for (int a : {0x0080, 0x1000, 0x8000})
        EXPECT_FALSE(ajouterPoint(s(), a)) << std::hex << a;
    for (int i = 0; i < PointsMaximum; ++i)
        ASSERT_TRUE(ajouterPoint(s(), 0xFE40 + i));
    EXPECT_FALSE(ajouterPoint(s(), 0xFE80));
    EXPECT_EQ(s().points.liste.size(), PointsMaximum);
}

} // namespace
