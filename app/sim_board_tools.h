// The simulated board's tools (BoardTools) over the in-process board: its program
// cycle count, its history and its watchpoints. The board behind may be rebuilt
// (another chip or crystal): `carte` gives the current one. `avant` brings a board run
// in real time up to the present before it is looked at; `apres` wakes it after a
// step back gave it work (the CPU entering the Talker). Both may be empty.
#pragma once

#include "link/board_tools.h"
#include "sim/board.h"

#include <functional>

namespace tessaline {

// The last instructions a simulated board keeps for a step back.
inline constexpr std::size_t InstructionsHistorique = 100'000;

class SimBoardTools : public BoardTools {
public:
    SimBoardTools(std::function<hc11::Board&()> carte, std::function<void()> avant = {},
                  std::function<void()> apres = {});

    uint64_t cyclesProgramme() override;
    double horlogeE() override;
    std::size_t pasArriereDisponibles() override;
    Recul reculer(std::size_t nombre) override;
    void corrigerDernierPas(const Registres& avant) override;
    void noterPasDeLHote(const Registres& avant) override;
    void poserObservations(const QVector<Observation>& observations) override;
    QVector<Observation> observations() override;
    std::optional<Declenchement> prendreDeclenchement() override;
    bool declenchementEnAttente() override { return carte().watchHit().has_value(); }

private:
    hc11::Board& carte();

    std::function<hc11::Board&()> carte_;
    std::function<void()> avant_;
    std::function<void()> apres_;
};

} // namespace tessaline
