// What the simulated board's time tools cost: the CPU-bound mix (bench/cpu_mix.asm) and
// the mix with timer interrupts (timer_mix.asm) run on the F1 in single-chip mode,
// - as the board runs with no tool in use (its fast loop),
// - with the history of 100,000 instructions on,
// - with a write watchpoint on a RAM byte the program never touches,
// each five times over 200 million E cycles; prints the median in millions of E cycles
// per second of host time, side by side.
#include "sim/board.h"
#include "sim/chip.h"
#include "sim/srecord_file.h"

#include <cstdlib>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr uint64_t kCycles = 200'000'000;
constexpr int kRuns = 5;

enum class Outil { Aucun, Historique, Observation };

double millionsParSeconde(const std::string& image, Outil outil) {
    hc11::Board board(*hc11::findChip("68HC11F1"), 8'000'000);
    std::string texte, erreur;
    uint16_t depart = 0;
    if (hc11::readSRecordFile(image, texte, erreur) != hc11::SRecordFileRead::Read ||
        !board.loadSRecords(texte, erreur, &depart)) {
        std::fprintf(stderr, "%s: %s\n", image.c_str(), erreur.c_str());
        std::exit(1);
    }
    if (outil == Outil::Historique) board.setHistoryCapacity(100'000);
    if (outil == Outil::Observation) board.setWatchpoints({{0x03F0, 0x03F0, false, true}});
    board.resetSingleChip(depart);
    const auto t0 = std::chrono::steady_clock::now();
    board.runUntil(board.cycleCount() + kCycles);
    const std::chrono::duration<double> s = std::chrono::steady_clock::now() - t0;
    return double(kCycles) / s.count() / 1e6;
}

double mediane(const std::string& image, Outil outil) {
    std::vector<double> v;
    for (int i = 0; i < kRuns; ++i)
        v.push_back(millionsParSeconde(image, outil));
    std::sort(v.begin(), v.end());
    return v[kRuns / 2];
}

} // namespace

int main() {
    std::printf("M E-cycles/s, median of %d runs of %llu M cycles\n", kRuns,
                static_cast<unsigned long long>(kCycles / 1'000'000));
    std::printf("%-10s %10s %10s %10s\n", "program", "no tool", "history", "watchpoint");
    for (const char* nom : {"cpu_mix", "timer_mix"}) {
        const std::string image = std::string(TESSALINE_BENCH_PROGRAMS "/") + nom + ".S19";
        const double aucun = mediane(image, Outil::Aucun);
        const double historique = mediane(image, Outil::Historique);
        const double observation = mediane(image, Outil::Observation);
        std::printf("%-10s %10.1f %10.1f %10.1f   (history %.2fx slower, watchpoint %.2fx)\n", nom, aucun,
                    historique, observation, aucun / historique, aucun / observation);
    }
    return 0;
}
