// The example programs that drive the board's peripherals, started by the Talker as a
// user would (console Run at $FE00) on the simulated F1 with their image in the EEPROM:
// - examples/chenillard.asm moves its own stack and puts its OC2 handler in the RAM
//   pseudo-vector $00DC: the LEDs step, Stop still answers (the Talker's SCI interrupt
//   comes through), and a second Run starts it again;
// - examples/tension.asm polls the A/D converter: its bar follows PE0.
#include "link/conversions.h"
#include "link/tempo.h"
#include "operations/breakpoints.h"
#include "operations/execution_commands.h"
#include "operations/program_run.h"
#include "operations/talker_link.h"
#include "sim/eeprom_image.h"
#include "sim_session.h"

#include <gtest/gtest.h>

#include <set>

using namespace tessaline;
using namespace tessaline::test;

namespace {

class ExampleUnderTalker : public ::testing::Test {
protected:
    void start(const char* image) {
        ASSERT_NO_FATAL_FAILURE(s.demarrerAvecExemple(image));
        run();
    }
    void run() {
        s.session.console.CmdAdresse = QStringLiteral("FE00");
        tessaline::Run(s.session);
        ASSERT_EQ(s.ecran.panel("Cible"), "Cible Tourne");
    }
    void attendre(double secondes) { Tempo(s.horloge, static_cast<float>(secondes)); }
    int leds() { return s.board.portPins(hc11::Port::B); }

    // The patterns port B shows over `secondes`, looked at every 50 ms.
    std::set<int> motifs(double secondes) {
        std::set<int> vus;
        for (double t = 0; t < secondes; t += 0.05) {
            attendre(0.05);
            vus.insert(leds());
        }
        return vus;
    }

    SimSession s{"68HC11F1", 8};
};

} // namespace

TEST_F(ExampleUnderTalker, ChaserStepsOnItsPseudoVectorAndStopStillWorks) {
    start("chenillard.s19");
    // One step every 200 ms: in 2 s all eight LEDs, one at a time.
    EXPECT_EQ(motifs(2.0), (std::set<int>{0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80}));
    EXPECT_EQ(s.board.peek(0x00DC), 0x7E) << "JMP in the OC2 pseudo-vector";

    ASSERT_TRUE(cmdSTOP_Click(s.session));
    EXPECT_EQ(s.ecran.panel("Cible"), "Cible STOP");
    EXPECT_EQ(s.session.registres.RegSP, "03FF") << "stopped in its main loop, on its own stack";
    const int pc = HexaDec(s.session.registres.RegPC);
    EXPECT_GE(pc, 0xFE37);
    EXPECT_LE(pc, 0xFE41);
    const int arrete = leds();
    EXPECT_EQ(motifs(0.6), std::set<int>{arrete}) << "stopped: the OC2 interrupt is masked";

    // Run again: a fresh start at PB0, stepping again.
    run();
    attendre(0.1);
    EXPECT_EQ(leds(), 0x01);
    EXPECT_GE(motifs(0.5).size(), 2u);
    ASSERT_TRUE(cmdSTOP_Click(s.session));
    EXPECT_EQ(s.ecran.panel("Cible"), "Cible STOP");
}

TEST_F(ExampleUnderTalker, VoltmeterBarFollowsPE0) {
    start("tension.s19");
    for (const auto& [volts, bar] : {std::pair{5.0, 0xFF}, {2.5, 0x0F}, {0.0, 0x00}}) {
        s.board.setAnalogInput(0, volts);
        attendre(0.01);
        EXPECT_EQ(leds(), bar) << volts << " V";
    }
    ASSERT_TRUE(cmdSTOP_Click(s.session));
    EXPECT_EQ(s.ecran.panel("Cible"), "Cible STOP");
}
