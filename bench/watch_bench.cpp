// Timed scenario: the live watch of 4 bytes ($0100-$0103: the chaser's MOTIF,
// SENS, TICS and the byte after) while examples/chenillard.asm runs from
// $FE00 on the simulated 68HC11F1 (8 MHz crystal, E = 2 MHz), at 9600 and
// 1200 baud. Printed for each rate:
// - refreshes per second, one right after the other, on the in-process board
//   in real time (the windows' --simulate board) and in virtual time (the
//   wire and the Talker alone, no host latency);
// - the share of the program's E cycles spent in the Talker (PC in its
//   $0000-$00FF, but for the chaser's own OC2 pseudo-vector JMP at $00DC),
//   counted instruction by instruction on the board in virtual time: without
//   a watch, at the default 4 Hz, and back to back;
// - how long one refresh stops the program (Talker cycles per refresh).
#include "board_clock.h"
#include "config/talker_adaptation.h"
#include "link/conversions.h"
#include "link/qt_event_clock.h"
#include "link/serial_port.h"
#include "link/session.h"
#include "link/silent_screen.h"
#include "link/tempo.h"
#include "operations/breakpoints.h"
#include "operations/memory_watch.h"
#include "operations/talker_link.h"
#include "realtime_board.h"
#include "sim/chip.h"
#include "sim/eeprom_image.h"
#include "sim_board_control.h"
#include "sim_serial_line.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>

using namespace tessaline;

namespace {

const QString Exemple = QStringLiteral(TESSALINE_EXAMPLES "/chenillard.s19");
constexpr double Duree = 4.0; // seconds of each measure

// E cycles with the PC in the Talker, and all of them, from instruction to
// instruction: the cycles up to the next instruction count where this one is.
class CyclesTalker : public hc11::InstructionTrace {
public:
    void instruction(uint64_t cycle, uint16_t pc, const uint8_t*, int, const hc11::Registers&) override {
        if (dernier_ && cycle > cycle_) {
            total += cycle - cycle_;
            if (dansTalker(pcPrecedent_)) talker += cycle - cycle_;
        }
        dernier_ = true;
        cycle_ = cycle;
        pcPrecedent_ = pc;
    }
    void remettre() { talker = total = 0; }
    double part() const { return total ? double(talker) / double(total) : 0; }

    uint64_t talker = 0, total = 0;

private:
    static bool dansTalker(uint16_t pc) {
        constexpr uint16_t PseudoVecteurOc2 = 0x00DC; // JMP chenille, the program's (3 bytes)
        return pc <= 0x00FF && !(pc >= PseudoVecteurOc2 && pc < PseudoVecteurOc2 + 3);
    }
    bool dernier_ = false;
    uint64_t cycle_ = 0;
    uint16_t pcPrecedent_ = 0;
};

QVector<EntreeSurveillee> quatreOctets() {
    QVector<EntreeSurveillee> e;
    for (int a = 0x0100; a < 0x0104; ++a)
        e.append({DecHexa4(a), a, false});
    return e;
}

// The Talker loaded at `baud`, the chaser started at $FE00.
bool preparer(Session& session, int baud) {
    session.config.Timeout = 50;
    session.config.Quartz = QStringLiteral("8");
    session.config.Baud = baud;
    AdapteTalker(session.config);
    installerVerificationLiaison(session);
    if (LoadTalker(session) != ResultatChargement::Charge) return false;
    TestTalker(session);
    if (!session.liaison.talkerPresent) return false;
    session.console.CmdAdresse = QStringLiteral("FE00");
    Run(session);
    return session.liaison.cibleTourne;
}

// Refreshes back to back for `duree` seconds of the session's clock, or at
// `hz` a second; -1 when one failed.
int surveiller(Session& session, double duree, double hz = 0) {
    const QVector<EntreeSurveillee> entrees = quatreOctets();
    const double debut = session.horloge().now();
    int n = 0;
    for (double prochain = 0;;) {
        const double passe = ecoule(debut, session.horloge().now());
        if (passe >= duree) return n;
        if (hz > 0 && passe < prochain) {
            Tempo(session.horloge(), static_cast<float>(prochain - passe));
            continue;
        }
        if (releverMemoire(session, entrees).fin != FinReleve::Lu) return -1;
        ++n;
        prochain += hz > 0 ? 1.0 / hz : 0;
    }
}

bool tempsVirtuel(int baud) {
    hc11::Board board(*hc11::findChip("68HC11F1"), 8'000'000u);
    std::string refus;
    if (hc11::loadEepromImage(board, Exemple.toStdString(), refus) != hc11::EepromImageLoad::Loaded) {
        std::fprintf(stderr, "%s\n", refus.c_str());
        return false;
    }
    SimSerialLine ligne(board);
    BoardClock horloge(ligne, 10 * 3600.0);
    SilentScreen ecran;
    Session session(ligne, horloge, ecran);
    if (!preparer(session, baud)) return false;
    SurvCom(session, false);
    CyclesTalker compte;
    board.cpu().setTrace(&compte);
    Tempo(horloge, static_cast<float>(Duree));
    const double sans = compte.part();
    compte.remettre();
    const int a4Hz = surveiller(session, Duree, 4);
    const double part4Hz = compte.part();
    compte.remettre();
    const int suite = surveiller(session, Duree);
    const double partSuite = compte.part();
    const double arret = suite > 0 ? double(compte.talker) / suite / board.eClockHz() : 0;
    board.cpu().setTrace(nullptr);
    if (a4Hz < 0 || suite < 0) return false;
    std::printf("%5d baud, virtual time: %6.1f refreshes/s back to back; Talker share of E cycles: "
                "%.3f %% without watch, %.2f %% at 4 Hz, %.1f %% back to back; one refresh stops the "
                "program %.1f ms\n",
                baud, suite / Duree, sans * 100, part4Hz * 100, partSuite * 100, arret * 1e3);
    return true;
}

bool tempsReel(int baud) {
    SimBoardControl carte(*hc11::findChip("68HC11F1"), 8'000'000u);
    std::string refus;
    if (hc11::loadEepromImage(carte.board(), Exemple.toStdString(), refus) != hc11::EepromImageLoad::Loaded)
        return false;
    RealTimeBoard tempsReel(carte);
    QtEventClock horloge;
    SilentScreen ecran;
    Session session(carte.ligne(), horloge, ecran);
    if (!preparer(session, baud)) return false;
    SurvCom(session, false);
    const auto debut = std::chrono::steady_clock::now();
    const int suite = surveiller(session, Duree);
    const double mur = std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
    if (suite < 0) return false;
    std::printf("%5d baud, real time:    %6.1f refreshes/s back to back (in-process board, RealTimeBoard)\n",
                baud, suite / mur);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::printf("== watch of 4 bytes ($0100-$0103) on the running chaser, 68HC11F1 at 8 MHz\n");
    for (int baud : {9600, 1200})
        if (!tempsVirtuel(baud) || !tempsReel(baud)) {
            std::fprintf(stderr, "the watch at %d baud failed\n", baud);
            return 1;
        }
    return 0;
}
