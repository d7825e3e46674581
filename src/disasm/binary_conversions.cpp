#include "disasm/binary_conversions.h"

#include "link/conversions.h"

namespace tessaline {

int16_t HexSigne8(const QString& texte) {
    // The last two digits are the byte; HexaDec never overflows on two digits.
    const int v = HexaDec(texte.right(2));
    return int16_t(v < 0x80 ? v : v - 0x100);
}

QString DecBin(uint64_t n) {
    if (n == 0) return QStringLiteral("0");
    QString texte;
    for (; n != 0; n >>= 1)
        texte.prepend(QChar((n & 1) != 0 ? u'1' : u'0'));
    return texte;
}

int64_t BinDec(const QString& texte) {
    constexpr int kBitsMax = 63;
    int64_t valeur = 0;
    int bits = 0; // significant digits so far
    for (QChar c : texte) {
        if (c != u'0' && c != u'1') return kBinDecErreur;
        if (bits > 0 || c == u'1') ++bits;
        if (bits > kBitsMax) return kBinDecErreur;
        valeur = valeur << 1 | (c == u'1' ? 1 : 0);
    }
    return valeur;
}

QString HexBin(const QString& texte) {
    QString bits;
    bits.reserve(texte.size() * 4);
    for (QChar c : texte) {
        // HexaDec's reading of one digit, so HexBin(t) == DecBin(HexaDec(t)).
        const int digit = HexaDec(QString(c));
        for (int poids = 8; poids != 0; poids >>= 1)
            if (!bits.isEmpty() || (digit & poids) != 0)
                bits.append(QChar((digit & poids) != 0 ? u'1' : u'0'));
    }
    return bits.isEmpty() ? QStringLiteral("0") : bits;
}

} // namespace tessaline
