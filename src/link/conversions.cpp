#include "link/conversions.h"

#include <QFileInfo>

#include <cmath>
#include <limits>
#include <stdexcept>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace tessaline {

namespace {

// Each character is one digit position. The case is folded here, on the
// character alone: folding the whole text first would let a character whose
// upper case is two letters ("\u00DF" to "SS", "\uFB00" to "FF") count as two
// digits.
int hexDigitValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    return 0;
}

// The same characters in reverse order.
QString Inverse(const QString& texte) {
    QString resultat;
    resultat.reserve(texte.size());
    for (auto it = texte.crbegin(); it != texte.crend(); ++it)
        resultat.append(*it);
    return resultat;
}

} // namespace

int32_t HexaDec(const QString& texte) {
    const QString inverse = Inverse(texte);
    double valeur = 0;
    double poids = 1; // 16^(i-1)
    for (QChar c : inverse) {
        const int d = hexDigitValue(c);
        if (d != 0) {
            valeur += d * poids;
            if (valeur > std::numeric_limits<int32_t>::max())
                throw std::overflow_error("HexaDec: value exceeds 2147483647");
        }
        poids *= 16;
    }
    return static_cast<int32_t>(valeur);
}

QString DecHexa4(int64_t valeur) {
    if (valeur < 0 || valeur > 0xFFFF) throw std::invalid_argument("DecHexa4: value outside 0..65535");
    return QString::number(valeur, 16).toUpper().rightJustified(4, u'0');
}

QString DecHexa4(double valeur) {
    if (!std::isfinite(valeur)) throw std::invalid_argument("DecHexa4: not a number");
    // nearbyint uses the default rounding mode: to nearest, halves to even.
    const double arrondi = std::nearbyint(valeur);
    if (arrondi < 0 || arrondi > 0xFFFF) throw std::invalid_argument("DecHexa4: value outside 0..65535");
    return DecHexa4(static_cast<int64_t>(arrondi));
}

QString DecHexa2(int64_t valeur) {
    QString texte =
        valeur < 0 ? QString::number(static_cast<uint32_t>(valeur), 16) : QString::number(valeur, 16);
    texte = texte.toUpper();
    if (texte.size() < 2) texte.prepend(u'0');
    return texte;
}

QString HeureTrace(double secondes) {
    // Work in whole milliseconds, rounded once, so that 59.9996 s gives 01:00.000
    // and never a "60.000" seconds field.
    if (!std::isfinite(secondes) || secondes < 0) secondes = 0;
    auto ms = static_cast<int64_t>(std::llround(secondes * 1000.0));
    const int64_t heures = ms / 3'600'000;
    ms -= heures * 3'600'000;
    const int64_t minutes = ms / 60'000;
    ms -= minutes * 60'000;
    const int64_t sec = ms / 1000;
    ms -= sec * 1000;
    return QStringLiteral("%1:%2:%3.%4")
        .arg(heures, 2, 10, QChar(u'0'))
        .arg(minutes, 2, 10, QChar(u'0'))
        .arg(sec, 2, 10, QChar(u'0'))
        .arg(ms, 3, 10, QChar(u'0'));
}

QString CheminCourt(const QString& chemin) {
#ifdef Q_OS_WIN
    const QByteArray local = QFile::encodeName(chemin);
    char tampon[255];
    const DWORD n = GetShortPathNameA(local.constData(), tampon, sizeof tampon);
    if (n == 0 || n >= sizeof tampon) return {};
    return QFile::decodeName(QByteArray(tampon, int(n)));
#else
    if (chemin.isEmpty() || !QFileInfo::exists(chemin)) return {};
    return chemin;
#endif
}

} // namespace tessaline
