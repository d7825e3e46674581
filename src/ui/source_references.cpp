#include "ui/source_references.h"

#include <QRegularExpression>

namespace tessaline {

std::optional<ReferenceSource> referenceSource(const QString& ligne) {
    static const QRegularExpression forme(
        QStringLiteral(R"(^\s*([^\s:()]+\.[A-Za-z0-9]+)(?:\((\d+)\)|:(\d+))\s*:)"));
    const QRegularExpressionMatch m = forme.match(ligne);
    if (!m.hasMatch()) return std::nullopt;
    const int numero = (m.captured(2).isEmpty() ? m.captured(3) : m.captured(2)).toInt();
    if (numero < 1) return std::nullopt;
    return ReferenceSource{m.captured(1), numero};
}

namespace {
const QRegularExpression& formeListing() {
    // Line number, address, then either the end or blanks and maybe code
    // bytes, written as pairs of digits, joined ("8655") or apart ("86 55").
    static const QRegularExpression forme(
        QStringLiteral(R"(^\s*(\d+)\s+([0-9A-Fa-f]{4})(?:$|\s+((?:[0-9A-Fa-f]{2})+(?=\s|$))?))"));
    return forme;
}

// The captures of formeListing.
constexpr int Numero = 1;
constexpr int Adresse = 2;
constexpr int Octets = 3;

int adresseDe(const QRegularExpressionMatch& m) {
    return m.captured(Adresse).toInt(nullptr, 16);
}
} // namespace

std::optional<int> adresseListing(const QString& ligne) {
    const QRegularExpressionMatch m = formeListing().match(ligne);
    if (!m.hasMatch()) return std::nullopt;
    return adresseDe(m);
}

int ligneListingA(const QStringList& listing, int adresse) {
    int premiere = -1;
    for (qsizetype i = 0; i < listing.size(); ++i) {
        const QRegularExpressionMatch m = formeListing().match(listing[i]);
        if (!m.hasMatch() || adresseDe(m) != adresse) continue;
        if (!m.captured(Octets).isEmpty()) return int(i);
        if (premiere < 0) premiere = int(i);
    }
    return premiere;
}

std::optional<int> adresseCodeListing(const QString& ligne) {
    const QRegularExpressionMatch m = formeListing().match(ligne);
    if (!m.hasMatch() || m.captured(Octets).isEmpty()) return std::nullopt;
    return adresseDe(m);
}

QMap<int, int> adressesSource(const QStringList& listing) {
    QMap<int, int> adresses;
    for (const QString& l : listing) {
        const QRegularExpressionMatch m = formeListing().match(l);
        if (m.hasMatch() && !m.captured(Octets).isEmpty())
            adresses.insert(m.captured(Numero).toInt(), adresseDe(m)); // once: the first
    }
    return adresses;
}

int ligneSourceA(const QStringList& listing, int adresse) {
    const int i = ligneListingA(listing, adresse);
    if (i < 0) return -1;
    return formeListing().match(listing[i]).captured(Numero).toInt();
}

} // namespace tessaline
