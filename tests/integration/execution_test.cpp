// Run, stop, step and the breakpoint on the simulated board, with the example
// counter program in its EEPROM, checked against the board's own memory.
//
// The example (examples/compteur.asm) as it lies at $FE00:
//   FE00 CLI            FE0C BNE FE11         FE19 STAA $0100
//   FE01 CLR $0100      FE0E INC $0101        FE1C RTS
//   FE04 CLR $0101      FE11 BSR FE1D         FE1D LDAB #$10
//   FE07 JSR FE15       FE13 BRA FE07         FE1F DECB
//   FE0A BITA #$01      FE15 LDAA $0100       FE20 BNE FE1F
//                       FE18 INCA             FE22 RTS
#include "link/conversions.h"
#include "link/error_report.h"
#include "link/registers.h"
#include "link/serial_line.h"
#include "link/serial_port.h"
#include "link/talker_protocol.h"
#include "link/tempo.h"
#include "operations/breakpoints.h"
#include "operations/console_command_table.h"
#include "operations/execution_commands.h"
#include "operations/program_run.h"
#include "operations/talker_link.h"
#include "sim/eeprom_image.h"
#include "sim_session.h"

#include <gtest/gtest.h>

using namespace tessaline;
using namespace tessaline::test;

namespace {

constexpr uint16_t Compte = 0x0100;
constexpr uint16_t FinProgramme = 0xFE22;

class Execution : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(s.demarrerAvecExemple("compteur.s19")); }

    Session& session() { return s.session; }
    const JeuRegistres& regs() { return s.session.registres; }
    int pc() { return HexaDec(regs().RegPC); }

    // Execute on the console's Run, with the address field as given.
    void run(const QString& adresse) {
        session().console.CmdAdresse = adresse;
        tessaline::Run(session());
    }
    void attendre(double secondes) { Tempo(s.horloge, static_cast<float>(secondes)); }

    // No SWI left anywhere in the program or in the RAM above the Talker.
    void aucunSwi() {
        for (int a = 0xFE00; a <= FinProgramme; ++a)
            ASSERT_NE(s.board.peek(static_cast<uint16_t>(a)), 0x3F) << "SWI left at " << std::hex << a;
        for (int a = 0x0100; a < 0x0400; ++a)
            ASSERT_NE(s.board.peek(static_cast<uint16_t>(a)), 0x3F) << "SWI left at " << std::hex << a;
    }

    SimSession s{"68HC11F1", 8};
};

} // namespace

// Run from an empty field starts at the EEPROM start, the program counts, and
// Stop shows where it was: a PC inside the loop, the program's own SP, the
// instruction there in the echo area.
TEST_F(Execution, RunThenStopShowsWhereTheProgramWas) {
    run(QString());
    EXPECT_EQ(session().console.CmdAdresse, "FE00");
    EXPECT_EQ(s.ecran.panel("Cible"), "Cible Tourne");
    // While it runs: Stop and Load Reg, and nothing that would talk over it.
    for (const char* actif : {"cmdSTOP", "cmdDISPLAYREG"})
        EXPECT_TRUE(s.ecran.isEnabled(actif)) << actif;
    for (const char* inactif : {"cmdRUN", "cmdSTEP", "cmdMEMDUMP", "chkREGSET", "txtADRESSE"})
        EXPECT_FALSE(s.ecran.isEnabled(inactif)) << inactif;
    attendre(0.3);
    const int compte = s.board.peek(Compte);
    EXPECT_GT(compte, 10) << "the program runs";

    ASSERT_TRUE(cmdSTOP_Click(session()));
    EXPECT_EQ(s.ecran.panel("Cible"), "Cible STOP");
    EXPECT_GE(pc(), 0xFE07);
    EXPECT_LE(pc(), FinProgramme);
    // Inside a subroutine the return address lies on the stack.
    EXPECT_TRUE(regs().RegSP == "00E8" || regs().RegSP == "00E6") << regs().RegSP.toStdString();
    const auto echo = s.ecran.runsOf(Zone::Echo);
    ASSERT_GE(echo.size(), 2);
    EXPECT_EQ(echo[0].text, regs().RegPC + u' ');
    const int arrete = s.board.peek(Compte);
    attendre(0.2);
    EXPECT_EQ(s.board.peek(Compte), arrete) << "the program no longer runs";

    // Out of the EEPROM, the start is the EEPROM's; a new start on the
    // Talker's stack begins at its top, not where a subroutine left it.
    changerRegistre(session(), &JeuRegistres::RegSP, QStringLiteral("00DA"));
    run(QStringLiteral("1234"));
    EXPECT_EQ(session().console.CmdAdresse, "FE00");
    EXPECT_EQ(regs().RegSP, "00E8");
    EXPECT_EQ(s.ecran.panel("Cible"), "Cible Tourne");
    ASSERT_TRUE(cmdSTOP_Click(session()));
    // A step (where the program is) keeps its SP: too deep for the Talker, refused.
    changerRegistre(session(), &JeuRegistres::RegSP, QStringLiteral("00DA"));
    s.ecran.messages.clear();
    cmdSTEP_Click(session());
    EXPECT_TRUE(s.ecran.messageTexts().value(0).startsWith("Erreur RunProg : la pile SP=00DA"));
    EXPECT_EQ(s.ecran.panel("Cible"), "Cible STOP");
}

// Step after step through a call, a return and a conditional branch taken and
// not taken: the PC follows the program, the stack follows the calls, and no
// SWI is ever left behind (LDAA $0100 plants nothing at $0100).
TEST_F(Execution, StepsFollowTheProgramThroughCallsReturnsAndBranches) {
    changerRegistre(session(), &JeuRegistres::RegPC, QStringLiteral("FE00"));
    // First pass: COMPTE becomes 1 (odd, BNE taken); second: 2 (BNE not taken).
    const int attendus[] = {0xFE01, 0xFE04, 0xFE07, 0xFE15, 0xFE18, 0xFE19, 0xFE1C, 0xFE0A, 0xFE0C,
                            0xFE11, 0xFE1D, 0xFE1F, 0xFE20, 0xFE1F, 0xFE20, 0xFE1F, 0xFE20, 0xFE1F,
                            0xFE20, 0xFE1F, 0xFE20, 0xFE1F, 0xFE20, 0xFE1F, 0xFE20, 0xFE1F, 0xFE20,
                            0xFE1F, 0xFE20, 0xFE1F, 0xFE20, 0xFE1F, 0xFE20, 0xFE1F, 0xFE20, 0xFE1F,
                            0xFE20, 0xFE1F, 0xFE20, 0xFE1F, 0xFE20, 0xFE1F, 0xFE20, 0xFE22, 0xFE13,
                            0xFE07, 0xFE15, 0xFE18, 0xFE19, 0xFE1C, 0xFE0A, 0xFE0C, 0xFE0E, 0xFE11};
    int n = 0;
    for (int attendu : attendus) {
        const double debut = s.horloge.now();
        cmdSTEP_Click(session());
        ASSERT_LT(s.horloge.now() - debut, 1.0) << "step " << n << " waited for its time-out";
        ASSERT_EQ(pc(), attendu) << "step " << n;
        ASSERT_TRUE(s.ecran.messages.isEmpty()) << s.ecran.messageTexts().join(u'\n').toStdString();
        ++n;
        if (attendu == 0xFE15) {
            EXPECT_EQ(regs().RegSP, "00E6") << "JSR pushed its return address";
        } else if (attendu == 0xFE0A) {
            EXPECT_EQ(regs().RegSP, "00E8") << "RTS pulled it";
        } else if (attendu == 0xFE19) {
            EXPECT_EQ(regs().RegA, DecHexa2(s.board.peek(Compte) + 1)) << "INCA";
        }
        aucunSwi();
    }
    EXPECT_EQ(s.board.peek(Compte), 2);
    EXPECT_EQ(s.board.peek(0x0101), 1) << "the branch not taken went through INC PAIRS";
    EXPECT_EQ(s.ecran.panel("Cible"), "Cible STOP");
    EXPECT_TRUE(s.ecran.text(Zone::Echo).startsWith("FE11 ")) << s.ecran.text(Zone::Echo).toStdString();
}

// A value set in the register set is what the program finds: A stored by STAA.
TEST_F(Execution, RegisterSetIsWhatTheProgramRunsWith) {
    changerRegistre(session(), &JeuRegistres::RegPC, QStringLiteral("FE19"));
    changerRegistre(session(), &JeuRegistres::RegA, QStringLiteral("5A"));
    cmdSTEP_Click(session());
    EXPECT_EQ(s.board.peek(Compte), 0x5A);
    EXPECT_EQ(regs().RegPC, "FE1C");

    // A stack pointer outside the RAM would have the Talker write the frame
    // nowhere and return into garbage: nothing is sent.
    changerRegistre(session(), &JeuRegistres::RegSP, QStringLiteral("B600"));
    run(QStringLiteral("FE00"));
    attendre(0.1);
    EXPECT_EQ(s.board.peek(Compte), 0x5A) << "the program did not start";
    EXPECT_EQ(s.ecran.messageTexts().value(0), "Erreur RunProg : la pile SP=B600 n'est pas dans la RAM");
    EXPECT_EQ(s.ecran.panel("Cible"), "Cible STOP");
}

// Break while the program runs stops it there with the byte back; Run from
// the breakpoint runs its instruction and comes back to it once round the loop;
// Run from the start with the breakpoint armed runs to it.
TEST_F(Execution, BreakpointStopsTheRunningProgramAndRunRunsBackToIt) {
    run(QStringLiteral("FE00"));
    attendre(0.1);
    session().console.CmdAdresse = QStringLiteral("FE15");
    BreakExecute(session());
    EXPECT_EQ(regs().RegPC, "FE15");
    EXPECT_EQ(s.board.peek(0xFE15), 0xB6);
    EXPECT_TRUE(session().pointArret.BreakArme);
    EXPECT_EQ(s.ecran.runsOf(Zone::Echo).value(0).text, "FE15 ");
    EXPECT_TRUE(s.ecran.text(Zone::Echo).contains("LDAA")) << s.ecran.text(Zone::Echo).toStdString();
    aucunSwi();

    const int compte = s.board.peek(Compte);
    run(QStringLiteral("FE15"));
    EXPECT_EQ(regs().RegPC, "FE15");
    EXPECT_EQ(s.board.peek(Compte), (compte + 1) & 0xFF) << "once round the loop";
    aucunSwi();

    run(QStringLiteral("FE00"));
    EXPECT_EQ(regs().RegPC, "FE15");
    EXPECT_EQ(s.board.peek(Compte), 0) << "started over: the counter cleared, not yet counted";
    EXPECT_TRUE(s.ecran.messages.isEmpty()) << s.ecran.messageTexts().join(u'\n').toStdString();
    aucunSwi();
}

// RTS and RTI return through the stack: the step stops at the address there.
TEST_F(Execution, StepOnRtsAndRtiStopsWhereTheyReturn) {
    ASSERT_TRUE(s.board.loadBinary(0xFE40, std::array<uint8_t, 2>{0x39, 0x3B})); // RTS, RTI
    // RTS from SP $0300: return address at $0301.
    ASSERT_TRUE(s.board.loadBinary(0x0301, std::array<uint8_t, 2>{0xFE, 0x18}));
    changerRegistre(session(), &JeuRegistres::RegPC, QStringLiteral("FE40"));
    changerRegistre(session(), &JeuRegistres::RegSP, QStringLiteral("0300"));
    cmdSTEP_Click(session());
    EXPECT_EQ(regs().RegPC, "FE18");
    EXPECT_EQ(regs().RegSP, "0302");

    // RTI from SP $0340: CCR B A X Y PC from $0341 (the Talker now idles on
    // the frame just below $0302).
    ASSERT_TRUE(s.board.loadBinary(
        0x0341, std::array<uint8_t, 9>{0xC0, 0x22, 0x11, 0x12, 0x34, 0x56, 0x78, 0xFE, 0x1D}));
    changerRegistre(session(), &JeuRegistres::RegPC, QStringLiteral("FE41"));
    changerRegistre(session(), &JeuRegistres::RegSP, QStringLiteral("0340"));
    cmdSTEP_Click(session());
    EXPECT_EQ(regs().RegPC, "FE1D");
    EXPECT_EQ(regs().RegSP, "0349");
    EXPECT_EQ(regs().RegA, "11");
    EXPECT_EQ(regs().RegIY, "5678");
    EXPECT_TRUE(s.ecran.messages.isEmpty()) << s.ecran.messageTexts().join(u'\n').toStdString();
    aucunSwi();
}

// A breakpoint in the Talker, in the register block or outside RAM and EEPROM
// is refused before anything is written, and the program runs on.
TEST_F(Execution, BreakpointWhereNoSwiCanGoIsRefused) {
    run(QStringLiteral("FE00"));
    for (const char* adresse : {"0050", "1000", "B600", "0000"}) {
        const QString a = QString::fromLatin1(adresse);
        const uint8_t avant = s.board.peek(static_cast<uint16_t>(HexaDec(a)));
        s.ecran.messages.clear();
        session().console.CmdAdresse = a;
        BreakExecute(session());
        EXPECT_EQ(s.ecran.messageTexts().size(), 1) << adresse;
        EXPECT_TRUE(s.ecran.messageTexts().value(0).startsWith("Point d'arr\u00eat refus\u00e9 : " + a))
            << s.ecran.messageTexts().value(0).toStdString();
        EXPECT_EQ(s.board.peek(static_cast<uint16_t>(HexaDec(a))), avant);
        EXPECT_EQ(s.ecran.panel("Cible"), "Cible Tourne") << "the program runs on";
    }
    const int compte = s.board.peek(Compte);
    attendre(0.1);
    EXPECT_NE(s.board.peek(Compte), compte);
}

// A breakpoint the program never reaches: after the time-out the host stops
// the program, shows where it really is and takes the SWI back.
TEST_F(Execution, UnreachedBreakpointEndsWithTheProgramStoppedWhereItIs) {
    session().pointArret.BreakAdr = QStringLiteral("0200");
    session().pointArret.BreakArme = true;
    run(QStringLiteral("FE00"));
    ASSERT_EQ(s.ecran.messageTexts().size(), 1);
    EXPECT_TRUE(s.ecran.messageTexts()[0].contains("RecevoirComBINHexa"));
    EXPECT_EQ(s.ecran.panel("Cible"), "Cible STOP");
    EXPECT_EQ(s.ecran.panel("Talker"), "Talker Charg\u00e9");
    EXPECT_GE(pc(), 0xFE07) << "where the program was, not the breakpoint";
    EXPECT_LE(pc(), FinProgramme);
    EXPECT_EQ(s.ecran.runsOf(Zone::Echo).value(0).text, regs().RegPC + u' ');
    aucunSwi();
    // The link is sound: a step runs.
    s.ecran.messages.clear();
    session().pointArret.BreakArme = false;
    cmdSTEP_Click(session());
    EXPECT_TRUE(s.ecran.messages.isEmpty()) << s.ecran.messageTexts().join(u'\n').toStdString();
    EXPECT_EQ(s.ecran.panel("Cible"), "Cible STOP");
}

// A program that moved its stack into the register block: the Talker takes
// Stop and answers $03, then stacks its own return addresses over the SCI's
// registers and never sends the frame. Stop says so, with what to do, and
// leaves no Talker.
TEST_F(Execution, StopOnAProgramWhoseStackIsInTheRegistersSaysWhatToDo) {
    // FE40 LDS #$1010, CLI, BRA *
    ASSERT_TRUE(s.board.loadBinary(0xFE40, std::array<uint8_t, 6>{0x8E, 0x10, 0x10, 0x0E, 0x20, 0xFE}));
    run(QStringLiteral("FE40"));
    attendre(0.2);
    cmdSTOP_Click(session());
    EXPECT_EQ(s.ecran.messageTexts(),
              QStringList{avecRemede(QStringLiteral("Erreur ProgStop"), Remede::TalkerPerdu)});
    EXPECT_EQ(s.ecran.panel("Talker"), "Pas de Talker");
}

namespace {

// The board's line, gone deaf from the host's `apres`-th byte after armer():
// nothing the board sends is heard any more.
class LigneSourde : public SerialLine {
public:
    explicit LigneSourde(SerialLine& ligne)
        : ligne_(ligne) {
        connect(&ligne_, &SerialLine::dataArrived, this, &SerialLine::dataArrived);
    }
    void armer(int apres) { reste_ = apres; }
    bool open(const QString& d, const QString& p) override { return ligne_.open(d, p); }
    void close() override { ligne_.close(); }
    bool isOpen() const override { return ligne_.isOpen(); }
    int bytesWaiting() override { return sourde ? 0 : ligne_.bytesWaiting(); }
    QByteArray readAll() override {
        const QByteArray recus = ligne_.readAll();
        return sourde ? QByteArray() : recus;
    }
    void sendByte(quint8 octet) override {
        if (reste_ == 0) {
            sourde = true;
            premierSourd = octet;
        }
        if (reste_ >= 0) --reste_;
        ligne_.sendByte(octet);
    }
    ErreurExecution lastError() const override { return ligne_.lastError(); }
    bool sansProgramme() const override { return ligne_.sansProgramme(); }
    bool coupee() const override { return ligne_.coupee(); }

    bool sourde = false;
    int premierSourd = -1;

private:
    SerialLine& ligne_;
    int reste_ = -1;
};

} // namespace

// The read of the instruction at the PC after a stop belongs to the stop: when
// it fails, the message is "Erreur ProgStop".
TEST_F(Execution, AFailedReadAfterStopIsAProgStopError) {
    LigneSourde ligne(s.ligne);
    Session session(ligne, s.horloge, s.ecran);
    session.config = s.session.config;
    session.liaison = s.session.liaison;
    session.registres = s.session.registres;
    session.console.CmdAdresse = QStringLiteral("FE00");
    tessaline::Run(session);
    attendre(0.2);
    // Stop [4, 0] and the break frame [3, 0, then 13 handshakes]: the next
    // byte is the read's command.
    ligne.armer(2 + 2 + 2 + OctetsTrameLue);
    s.ecran.messages.clear();
    cmdSTOP_Click(session);
    EXPECT_EQ(ligne.premierSourd, commande::LireMemoire);
    ASSERT_FALSE(s.ecran.messageTexts().isEmpty());
    EXPECT_EQ(s.ecran.messageTexts().first(), "Erreur ProgStop");
    EXPECT_TRUE(s.ecran.messageTexts().filter("LoadMem").isEmpty());
}
