// The simulator's S-record reader (parseSRecords), and the board loading what it
// accepts into RAM and EEPROM as tessaline-sim --load and --eeprom do.
#include "sim/board.h"
#include "sim/chip.h"
#include "sim/srecord.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto image = hc11::parseSRecords(text, error);
    if (!image && error.empty()) std::abort(); // a refusal always says why
    if (!image) return 0;

    // The F1 has its EEPROM at the top of the map ($FE00-$FFFF) and RAM at $0000.
    static const auto board = std::make_unique<hc11::Board>(*hc11::findChip("68HC11F1"), 8'000'000);
    uint16_t first = 0;
    board->loadSRecords(text, error, &first);
    return 0;
}
