#include "eeprom_image.h"

#include "srecord.h"
#include "srecord_file.h"

#include <cstdio>

namespace hc11 {

EepromImageLoad loadEepromImage(Board& board, const std::string& path, std::string& error) {
    std::string text;
    switch (readSRecordFile(path, text, error)) {
    case SRecordFileRead::Read: break;
    case SRecordFileRead::Refused: return EepromImageLoad::Refused;
    case SRecordFileRead::Unreadable: return EepromImageLoad::Unreadable;
    }
    const auto image = parseSRecords(text, error);
    if (!image) {
        error = path + ": " + error;
        return EepromImageLoad::Refused;
    }
    if (image->blocks.empty()) {
        error = path + " holds no S1 record";
        return EepromImageLoad::Refused;
    }
    const ChipDescription& chip = board.chip();
    // Checked whole before any cell changes, so that a refused file leaves the array erased.
    for (const auto& b : image->blocks) {
        for (std::size_t i = 0; i < b.bytes.size(); ++i) {
            const uint16_t a = uint16_t(b.address + i);
            if (chip.inEeprom(a)) continue;
            char buf[160];
            std::snprintf(buf, sizeof buf,
                          ": S1 record at $%04X: $%04X is outside the %s's EEPROM ($%04X-$%04X)", b.address,
                          a, std::string(chip.name).c_str(), chip.eepromStart, unsigned(chip.eepromEnd()));
            error = path + buf;
            return EepromImageLoad::Refused;
        }
    }
    for (const auto& b : image->blocks)
        board.loadBinary(b.address, b.bytes);
    return EepromImageLoad::Loaded;
}

} // namespace hc11
