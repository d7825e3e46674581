#include "asm/listing_output.h"

#include <QStringList>

#include <algorithm>

namespace tessaline::asm11 {
namespace {

constexpr int LargeurNumero = 5;
constexpr int DebutAdresse = LargeurNumero + 1;
constexpr int DebutOctets = DebutAdresse + 5;
constexpr int LargeurOctets = 2 * OctetsParLigneListing;

QString hexa4(int v) {
    return QString::number(v & 0xFFFF, 16).toUpper().rightJustified(4, u'0');
}

QString octetsHexa(const QByteArray& octets) {
    return QString::fromLatin1(octets.toHex().toUpper());
}

// Number, address, bytes (or an EQU's value) and source in their columns.
QString ligneListing(const QString& numero, const QString& adresse, const QString& octets,
                     const QString& source) {
    QString l = numero.rightJustified(LargeurNumero) + u' ' + adresse.leftJustified(4) + u' ' +
                octets.leftJustified(LargeurOctets) + u' ' + source;
    while (l.endsWith(u' '))
        l.chop(1);
    return l + QStringLiteral("\r\n");
}

bool hexa(QStringView t) {
    if (t.isEmpty()) return false;
    for (QChar c : t)
        if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'))) return false;
    return true;
}

} // namespace

QByteArray texteListing(const Assemblage& a) {
    QString t;
    for (const LigneAssemblee& l : a.lignes) {
        const QString numero = QString::number(l.numero);
        if (l.valeurEqu) {
            t += ligneListing(numero, QString(), u'=' + hexa4(*l.valeurEqu), l.texte);
        } else {
            const QString adresse = l.adresse >= 0 ? hexa4(l.adresse) : QString();
            t += ligneListing(numero, adresse, octetsHexa(l.octets.left(OctetsParLigneListing)), l.texte);
            for (qsizetype i = OctetsParLigneListing; i < l.octets.size(); i += OctetsParLigneListing)
                t += ligneListing(QString(), hexa4(l.adresse + int(i)),
                                  octetsHexa(l.octets.mid(i, OctetsParLigneListing)), QString());
        }
        for (const QString& e : l.erreurs)
            t += QStringLiteral("***** error: ") + e + QStringLiteral("\r\n");
    }
    t +=
        QStringLiteral("\r\n%1 error(s), %2 byte(s) of code\r\n").arg(a.erreurs.size()).arg(a.nombreOctets());
    return t.toLatin1();
}

QByteArray texteSymboles(const Assemblage& a) {
    qsizetype largeur = 8;
    for (auto it = a.symboles.cbegin(); it != a.symboles.cend(); ++it)
        largeur = std::max(largeur, it.key().size());
    QString t;
    for (auto it = a.symboles.cbegin(); it != a.symboles.cend(); ++it)
        t += it.key().leftJustified(largeur + 2) + u'$' + hexa4(it.value()) + QStringLiteral("\r\n");
    // Never an empty file: the compile takes an empty product for one still being written.
    t += QStringLiteral("\r\n%1 symbol(s)\r\n").arg(a.symboles.size());
    return t.toLatin1();
}

int ligneListingDeAdresse(const QString& listing, int adresse) {
    const QStringList lignes = listing.split(u'\n');
    for (int i = 0; i < lignes.size(); ++i) {
        const QStringView l(lignes[i]);
        if (l.size() <= DebutOctets || l[DebutAdresse - 1] != u' ' || l[DebutOctets - 1] != u' ') continue;
        const QStringView a = l.mid(DebutAdresse, 4);
        const QStringView o = l.mid(DebutOctets, LargeurOctets).trimmed();
        if (!hexa(a) || !hexa(o) || o.size() % 2 != 0) continue;
        const int debut = a.toInt(nullptr, 16);
        if (adresse >= debut && adresse < debut + o.size() / 2) return i;
    }
    return -1;
}

} // namespace tessaline::asm11
