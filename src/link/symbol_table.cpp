#include "link/symbol_table.h"

#include "link/regular_file.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace tessaline {

namespace {

// The largest offset shown after a symbol's name: farther than that, the
// address belongs to no symbol the user would recognise.
constexpr int EcartNomMax = 0x100;

} // namespace

std::optional<int> TableSymboles::adresse(const QString& texte) const {
    static const QRegularExpression forme(
        QStringLiteral("^([A-Za-z_.][A-Za-z0-9_.]*)(?:([+-])([0-9A-Fa-f]{1,4}))?$"));
    const QRegularExpressionMatch m = forme.match(texte);
    if (!m.hasMatch()) return std::nullopt;
    const QString nom = m.captured(1);
    std::optional<int> base;
    if (const auto it = valeurs_.constFind(nom); it != valeurs_.cend()) {
        base = it.value();
    } else {
        for (auto it = valeurs_.cbegin(); it != valeurs_.cend(); ++it) {
            if (it.key().compare(nom, Qt::CaseInsensitive) != 0) continue;
            if (base) return std::nullopt; // two symbols differ only by case
            base = it.value();
        }
    }
    if (!base) return std::nullopt;
    int valeur = *base;
    if (!m.captured(2).isEmpty()) {
        const int ecart = m.captured(3).toInt(nullptr, 16);
        valeur += m.captured(2) == u'+' ? ecart : -ecart;
    }
    if (valeur < 0 || valeur > 0xFFFF) return std::nullopt;
    return valeur;
}

QString TableSymboles::nom(int adresse) const {
    const QString* meilleur = nullptr;
    int valeur = -1;
    for (auto it = valeurs_.cbegin(); it != valeurs_.cend(); ++it) {
        if (it.value() > adresse || adresse - it.value() >= EcartNomMax || it.value() <= valeur) continue;
        meilleur = &it.key();
        valeur = it.value();
    }
    if (!meilleur) return {};
    if (valeur == adresse) return *meilleur;
    return *meilleur + u'+' + QString::number(adresse - valeur, 16).toUpper();
}

QString marqueSymbole(const TableSymboles& symboles, int adresse, bool exact) {
    const QString nom = symboles.nom(adresse);
    if (nom.isEmpty() || (exact && nom.contains(u'+'))) return {};
    return QStringLiteral(" <") + nom + u'>';
}

TableSymboles analyserSymboles(const QByteArray& texte) {
    static const QRegularExpression ligne(
        QStringLiteral("^\\s*([A-Za-z_.][A-Za-z0-9_.]*)\\s+\\$([0-9A-Fa-f]{1,4})\\s*$"));
    TableSymboles table;
    for (const QByteArray& l : texte.split('\n')) {
        const QRegularExpressionMatch m = ligne.match(QString::fromLatin1(l).trimmed());
        if (m.hasMatch()) table.ajouter(m.captured(1), m.captured(2).toInt(nullptr, 16));
    }
    return table;
}

SymbolesLus lireSymboles(const QString& chemin) {
    SymbolesLus s;
    const std::optional<QByteArray> texte = lireFichierOrdinaire(chemin, TailleMaxSym, s.erreur);
    if (!texte) return s;
    s.lu = true;
    s.table = analyserSymboles(*texte);
    return s;
}

QString symbolesPres(const QString& fichierS19) {
    const QFileInfo s19(fichierS19);
    for (const char* extension : {".SYM", ".sym"}) {
        const QString chemin = s19.path() + u'/' + s19.completeBaseName() + QLatin1String(extension);
        if (QFileInfo(chemin).isFile()) return chemin;
    }
    return {};
}

} // namespace tessaline
