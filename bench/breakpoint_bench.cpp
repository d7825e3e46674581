// Timed scenario: a stop and a continue with four breakpoints in the EEPROM,
// on the in-process board in real time at 9600 baud (the program is the
// example counter, its loop at $FE07-$FE13). Two ways side by side, each over
// the same 20 stop/continue cycles:
// - kept planted: the list's SWIs stay in the EEPROM while the program is
//   stopped, and the instruction under the breakpoint runs from a copy in RAM;
// - planted and taken back at every stop, as a one-breakpoint debugger does:
//   the four SWIs are written back to the program's bytes when it stops and
//   planted again when it resumes.
// Prints, for each, the median wall time of a cycle and the EEPROM erase and
// programming pulses it cost (counted by the simulated EEPROM: each is one of
// the cell's rated erase/write cycles).
#include "config/talker_adaptation.h"
#include "link/conversions.h"
#include "link/qt_event_clock.h"
#include "link/serial_port.h"
#include "link/session.h"
#include "link/silent_screen.h"
#include "link/tempo.h"
#include "operations/breakpoint_table.h"
#include "operations/breakpoints.h"
#include "operations/talker_link.h"
#include "realtime_board.h"
#include "sim/chip.h"
#include "sim/eeprom_image.h"
#include "sim_board_control.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace tessaline;

namespace {

constexpr int Baud = 9600;
constexpr int Cycles = 20;
// JSR incremente, BITA #1, BSR pause, BRA boucle: each reached once a pass.
constexpr int Points[] = {0xFE07, 0xFE0A, 0xFE11, 0xFE13};

// The program runs free to the list's breakpoints: the link watch catches the stop.
void jusquAuPoint(Session& session) {
    for (int i = 0; i < 500 && session.liaison.cibleTourne; ++i) {
        Tempo(session.horloge(), 0.002f);
        session.surveillance().tick();
    }
}

double mediane(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Bilan {
    double secondes = 0;
    double impulsions = 0;
};

// Runs to the first breakpoint, then `Cycles` continues; with
// `reprendreAChaqueArret`, every SWI is taken back at each stop first.
bool mesurer(Session& session, const hc11::Board& carte, bool reprendreAChaqueArret, Bilan& bilan) {
    for (int p : Points)
        if (!ajouterPoint(session, p)) return false;
    session.console.CmdAdresse = QStringLiteral("FE00");
    Run(session);
    jusquAuPoint(session);
    std::vector<double> durees;
    const hc11::Eeprom& eeprom = carte.eeprom();
    const uint64_t avant = eeprom.erasePulses() + eeprom.programPulses();
    for (int i = 0; i < Cycles; ++i) {
        const auto debut = std::chrono::steady_clock::now();
        if (reprendreAChaqueArret) lacherPoints(session);
        Continuer(session);
        jusquAuPoint(session);
        durees.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count());
        const int pc = HexaDec(session.registres.RegPC);
        if (session.liaison.cibleTourne ||
            std::find(std::begin(Points), std::end(Points), pc) == std::end(Points))
            return false;
    }
    bilan.secondes = mediane(durees);
    bilan.impulsions = double(eeprom.erasePulses() + eeprom.programPulses() - avant) / Cycles;
    retirerTousLesPoints(session);
    return true;
}

bool scenario(bool reprendreAChaqueArret, Bilan& bilan) {
    SimBoardControl carte(*hc11::findChip("68HC11F1"), 8'000'000u);
    std::string refus;
    if (hc11::loadEepromImage(carte.board(), TESSALINE_EXAMPLES "/compteur.s19", refus) !=
        hc11::EepromImageLoad::Loaded) {
        std::fprintf(stderr, "%s\n", refus.c_str());
        return false;
    }
    RealTimeBoard tempsReel(carte);
    QtEventClock horloge;
    SilentScreen ecran;
    Session session(carte.ligne(), horloge, ecran);
    session.config.Timeout = 50;
    session.config.Baud = Baud;
    AdapteTalker(session.config);
    if (LoadTalker(session) != ResultatChargement::Charge) return false;
    installerVerificationLiaison(session);
    SurvCom(session, true);
    return mesurer(session, carte.board(), reprendreAChaqueArret, bilan);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Bilan garde, reprise;
    if (!scenario(false, garde) || !scenario(true, reprise)) {
        std::fprintf(stderr, "breakpoint_bench: a stop was not where expected\n");
        return 1;
    }
    std::printf("Stop/continue with 4 EEPROM breakpoints, %d baud, median of %d cycles:\n", Baud, Cycles);
    std::printf("  kept planted:                %6.3f s a cycle, %5.1f EEPROM pulses a cycle\n",
                garde.secondes, garde.impulsions);
    std::printf("  planted and taken back:      %6.3f s a cycle, %5.1f EEPROM pulses a cycle\n",
                reprise.secondes, reprise.impulsions);
    return 0;
}
