// The simulator's front-panel protocol on its standard input: each line of the
// input is one command to a running board, which runs a little between lines.
#include "sim/board.h"
#include "sim/chip.h"
#include "sim/panel_commands.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The input's first byte picks the chip, so that every series' pins are tried.
    if (size == 0) return 0;
    const auto chips = hc11::builtInChips();
    hc11::Board board(chips[data[0] % chips.size()], 8'000'000);
    const uint8_t attente[] = {0x3E, 0x20, 0xFD}; // WAI; BRA back to it
    board.loadBinary(0x0000, attente);
    board.resetSingleChip(0x0000);

    std::string_view texte(reinterpret_cast<const char*>(data) + 1, size - 1);
    while (!texte.empty()) {
        const std::size_t fin = texte.find('\n');
        const std::string_view ligne = texte.substr(0, fin);
        texte = fin == std::string_view::npos ? std::string_view{} : texte.substr(fin + 1);
        const std::string reponse = hc11::runPanelCommand(ligne, board);
        if (reponse.empty() || reponse.find('\n') != std::string::npos) std::abort(); // one answer line
        board.runUntil(board.cycleCount() + 200);
    }
    return 0;
}
