#include "boot_rom.h"

namespace hc11 {

std::array<uint8_t, kBootRomSize> bootRomImage() {
    std::array<uint8_t, kBootRomSize> rom;
    rom.fill(kBootRomFiller);
    auto put16 = [&](uint16_t address, uint16_t value) {
        rom[address - kBootRomStart] = uint8_t(value >> 8);
        rom[address - kBootRomStart + 1] = uint8_t(value);
    };
    constexpr uint16_t kSlotBytes = 3;
    const PseudoVector& first = kPseudoVectors.front();
    for (uint16_t off = 0; off < first.vectorOffset; off += 2)
        put16(uint16_t(kBootVectorBase + off),
              uint16_t(first.ramSlot - (first.vectorOffset - off) / 2 * kSlotBytes));
    for (const auto& pv : kPseudoVectors)
        put16(uint16_t(kBootVectorBase + pv.vectorOffset), pv.ramSlot);
    put16(uint16_t(kBootVectorBase + vec::Reset), kBootRomEntry);
    return rom;
}

} // namespace hc11
