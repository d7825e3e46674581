#include "ui/s19_view.h"

namespace tessaline {

VueS19 vueS19(const QStringList& lignes) {
    VueS19 vue;
    for (const QString& brute : lignes) {
        const QString ligne = brute.trimmed();
        const bool s1 = ligne.startsWith(QLatin1String("S1"));
        if (!s1 && !ligne.startsWith(QLatin1String("S9"))) continue;
        // Type (2), count (2), address (4), data pairs, checksum (2).
        if (ligne.size() < 10) continue;
        vue.runs.append({ligne.left(2) + u' ', couleurS19::Type});
        vue.runs.append({ligne.mid(2, 2) + u' ', couleurS19::Compte});
        vue.runs.append({ligne.mid(4, 4) + u' ', couleurS19::Adresse});
        const QString donnees = ligne.mid(8, ligne.size() - 10);
        if (s1) {
            for (qsizetype i = 0; i + 1 < donnees.size(); i += 2)
                vue.runs.append({donnees.mid(i, 2) + u' ', couleurS19::Donnee});
            vue.nbOctets += donnees.size() / 2;
        }
        vue.runs.append({ligne.right(2) + QStringLiteral("\r\n"), couleurS19::Controle});
    }
    return vue;
}

} // namespace tessaline
