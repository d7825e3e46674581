#include "asm/source_line.h"

namespace tessaline::asm11 {
namespace {

bool blanc(QChar c) {
    return c == u' ' || c == u'\t';
}

} // namespace

LigneSource decouper(QStringView ligne) {
    while (!ligne.isEmpty() && (ligne.back() == u'\r' || ligne.back() == u'\n'))
        ligne.chop(1);
    LigneSource l;
    if (ligne.isEmpty() || ligne[0] == u'*' || ligne[0] == u';') return l;
    qsizetype i = 0;
    const qsizetype n = ligne.size();
    while (i < n && !blanc(ligne[i]) && ligne[i] != u';')
        ++i;
    l.etiquette = ligne.first(i).toString();
    if (l.etiquette.endsWith(u':')) l.etiquette.chop(1);
    while (i < n && blanc(ligne[i]))
        ++i;
    if (i < n && (ligne[i] == u'*' || ligne[i] == u';')) return l;
    const qsizetype debut = i;
    while (i < n && !blanc(ligne[i]) && ligne[i] != u';')
        ++i;
    l.operation = ligne.mid(debut, i - debut).toString();
    while (i < n && blanc(ligne[i]))
        ++i;
    l.reste = ligne.mid(i);
    return l;
}

} // namespace tessaline::asm11
