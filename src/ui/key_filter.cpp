#include "ui/key_filter.h"

#include <QKeyEvent>

namespace tessaline {

SortTouche trierTouche(const QKeyEvent* touche, const QString& permis, QString& majuscule) {
    const QString texte = touche->text();
    if (touche->key() == Qt::Key_Backspace || texte.isEmpty() || !texte[0].isPrint())
        return SortTouche::Laisser;
    if (touche->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return SortTouche::Laisser;
    majuscule = texte.toUpper();
    return majuscule.size() == 1 && permis.contains(majuscule[0]) ? SortTouche::Inserer : SortTouche::Refuser;
}

} // namespace tessaline
