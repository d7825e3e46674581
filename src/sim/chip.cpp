#include "chip.h"

namespace hc11 {

namespace {

// BPROT blocks of the 512-byte EEPROMs, as offsets from the EEPROM start: 32, 64, 128
// and 288 bytes (E-series TD, BPROT: $B600-$B61F, $B620-$B65F, $B660-$B6DF,
// $B6E0-$B7FF). The F1 is assumed to split its 512 bytes at $xE00 the same way.
constexpr std::array<EepromBlock, 4> kBlocks512 = {{
    {0x000, 0x01F},
    {0x020, 0x05F},
    {0x060, 0x0DF},
    {0x0E0, 0x1FF},
}};

// The 811E2's 2 KiB EEPROM: the same proportions scaled by four (128, 256, 512 and
// 1152 bytes; $F800-$F87F, $F880-$F97F, $F980-$FB7F, $FB80-$FFFF). Assumed: the data
// sheet's block table was not at hand.
constexpr std::array<EepromBlock, 4> kBlocks2K = {{
    {0x000, 0x07F},
    {0x080, 0x17F},
    {0x180, 0x37F},
    {0x380, 0x7FF},
}};

// CONFIG factory values. A1/E1: NOSEC, NOCOP (off), ROMON = 0 (no ROM), EEON = 1 → $0D.
// F1/811E2: EE3:EE0 = 1111 place the EEPROM at $FE00 / $F800; NOSEC, NOCOP, EEON set.
constexpr std::array<ChipDescription, 4> kChips = {{
    {"68HC11A1",
     0x0000,
     256,
     0xB600,
     512,
     0x1000,
     64,
     false,
     BootEnd::FixedCount,
     256,
     {},
     0x0D,
     0x0F,
     false,
     PortMap::ASeries,
     PortADirections::Pa7},
    {"68HC11E1", 0x0000, 512, 0xB600, 512, 0x1000, 64, true, BootEnd::RamFullOrIdle, 512, kBlocks512, 0x0D,
     0x0F, false, PortMap::ASeries, PortADirections::Pa3Pa7},
    {"68HC11F1", 0x0000, 1024, 0xFE00, 512, 0x1000, 96, true, BootEnd::RamFullOrIdle, 1024, kBlocks512, 0xFF,
     0xFF, true, PortMap::F1, PortADirections::Ddra},
    {"68HC11811E2", 0x0000, 256, 0xF800, 2048, 0x1000, 64, true, BootEnd::FixedCount, 256, kBlocks2K, 0xFF,
     0xFF, false, PortMap::ASeries, PortADirections::Pa3Pa7},
}};

} // namespace

std::span<const ChipDescription> builtInChips() {
    return kChips;
}

const ChipDescription* findChip(std::string_view name) {
    for (const auto& c : kChips)
        if (c.name == name) return &c;
    return nullptr;
}

} // namespace hc11
