// The hexadecimal and binary text conversions behind the console's address,
// length and value boxes, the memory window and the decoder's operands. The
// input is one text; every conversion reads it, and each result is checked
// against the others.
#include "disasm/binary_conversions.h"
#include "link/conversions.h"
#include "operations/target_address.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

using namespace tessaline;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString texte = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));

    // HexaDec refuses, by its exception, only values beyond 31 bits.
    try {
        const int32_t v = HexaDec(texte);
        if (v < 0) std::abort();
        if (HexBin(texte) != DecBin(uint64_t(v))) std::abort();
        if (BinDec(HexBin(texte)) != v) std::abort();
        if (v <= 0xFFFF && HexaDec(DecHexa4(v)) != v) std::abort();
        if (HexaDec(DecHexa2(v)) != v) std::abort();
    } catch (const std::overflow_error&) {
    }

    const int16_t s = HexSigne8(texte);
    if (s < -128 || s > 127) std::abort();
    const int cible = adresseCible(texte);
    if (cible < 0 || cible > 0xFFFF) std::abort();

    const int64_t b = BinDec(texte);
    if (b != kBinDecErreur && (b < 0 || BinDec(DecBin(uint64_t(b))) != b)) std::abort();
    return 0;
}
