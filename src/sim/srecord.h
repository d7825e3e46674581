// Motorola S-record text (the S19 files a 68HC11 assembler writes): S1 data records
// with 16-bit addresses, S9 end records with the start address, S0 headers and S5
// counts (checked, then ignored). Each record's checksum is the one's complement of
// the sum of its count, address and data bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hc11 {

struct SRecordBlock {
    uint16_t address = 0;
    std::vector<uint8_t> bytes;
};

struct SRecordImage {
    std::vector<SRecordBlock> blocks; // S1 records in file order
    std::optional<uint16_t> entry;    // from the S9 record
};

// Parses `text`; blank lines are skipped. On error returns nothing and sets `error`
// to one line naming the line number and the fault.
std::optional<SRecordImage> parseSRecords(std::string_view text, std::string& error);

} // namespace hc11
