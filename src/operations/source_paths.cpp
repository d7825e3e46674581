#include "operations/source_paths.h"

#include <QFileInfo>

namespace tessaline {

CheminDecoupe decouperChemin(const QString& chemin) {
    CheminDecoupe d;
    const qsizetype separateur = std::max(chemin.lastIndexOf(u'/'), chemin.lastIndexOf(u'\\'));
    d.dossier = chemin.left(separateur + 1);
    d.nom = chemin.mid(separateur + 1);
    const qsizetype point = d.nom.indexOf(u'.');
    d.base = point < 0 ? d.nom : d.nom.left(point);
    d.extension = point < 0 ? QString() : d.nom.mid(point + 1).toUpper();
    return d;
}

QString compagnon(const QString& dossier, const QString& base, const QString& extension) {
    const QString majuscules = dossier + base + u'.' + extension.toUpper();
    if (QFileInfo::exists(majuscules)) return majuscules;
    const QString minuscules = dossier + base + u'.' + extension.toLower();
    return QFileInfo::exists(minuscules) ? minuscules : majuscules;
}

} // namespace tessaline
