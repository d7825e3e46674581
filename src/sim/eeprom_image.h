// A board whose EEPROM was programmed earlier: the cells are preloaded from an S-record
// file before the board first leaves reset. Every S1 record must lie inside the chip's
// EEPROM; cells no record names stay erased ($FF). The file is read as for a headless
// run (regular file, at most kMaxSRecordFileBytes, at least one S1 record). Like the
// rest of the array the contents survive every reset (the cells are non-volatile).
#pragma once

#include "board.h"

#include <string>

namespace hc11 {

enum class EepromImageLoad {
    Loaded,
    Refused,    // not a regular file, too large, malformed, no S1 record, or a record
                // outside the EEPROM: nothing is loaded
    Unreadable, // missing, no permission, read error
};

// On failure `error` is one line naming the file (and, for a record outside the
// EEPROM, the first address outside it).
EepromImageLoad loadEepromImage(Board& board, const std::string& path, std::string& error);

} // namespace hc11
