// The instruction trace of a lab case: stops the board's run when the program comes
// to an address the case waits for, and keeps its last instructions for the student.
#pragma once

#include "sim/board.h"

#include <array>
#include <bitset>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tessaline::lab {

class TraceLab : public hc11::InstructionTrace {
public:
    // `garder`: keep the last InstructionsTrace instructions.
    TraceLab(hc11::Board& carte, bool garder)
        : carte_(carte)
        , garder_(garder) {}
    void guetter(uint16_t a) { guettees_.set(a); }
    void oublier(uint16_t a) { guettees_.reset(a); }
    bool guette() const { return guettees_.any(); }
    // The watched address the last run came to (the board stopped right after its
    // instruction), once; and the cycle that instruction started.
    std::optional<uint16_t> atteinte() { return std::exchange(atteinte_, std::nullopt); }
    uint64_t cycleAtteinte() const { return cycleAtteinte_; }
    void instruction(uint64_t cycle, uint16_t pc, const uint8_t* octets, int longueur,
                     const hc11::Registers& avant) override;
    // The instructions kept, oldest first, one line each: the cycle from `debut`, the
    // address, the instruction and the registers before it.
    std::vector<std::string> lignes(uint64_t debut) const;

private:
    struct Pas {
        uint64_t cycle;
        uint16_t pc;
        std::array<uint8_t, 5> octets;
        hc11::Registers avant;
    };
    hc11::Board& carte_;
    bool garder_;
    std::bitset<65536> guettees_;
    std::optional<uint16_t> atteinte_;
    uint64_t cycleAtteinte_ = 0;
    std::deque<Pas> dernieres_;
};

} // namespace tessaline::lab
