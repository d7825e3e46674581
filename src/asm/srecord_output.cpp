#include "asm/srecord_output.h"

namespace tessaline::asm11 {
namespace {

// One record: type, count (address + data + checksum), address, data, and the
// one's complement of the sum of the count, address and data bytes.
QByteArray enregistrement(char type, int adresse, const QByteArray& donnees) {
    QByteArray corps;
    corps.append(char(donnees.size() + 3));
    corps.append(char(adresse >> 8 & 0xFF));
    corps.append(char(adresse & 0xFF));
    corps.append(donnees);
    unsigned somme = 0;
    for (char c : corps)
        somme += uint8_t(c);
    corps.append(char(~somme & 0xFF));
    return QByteArray("S") + type + corps.toHex().toUpper() + "\r\n";
}

} // namespace

QByteArray texteS19(const Assemblage& a, const QString& nom) {
    QByteArray s = enregistrement('0', 0, nom.toLatin1().left(60));
    QByteArray donnees;
    int debut = 0;
    auto vider = [&] {
        if (!donnees.isEmpty()) s += enregistrement('1', debut, donnees);
        donnees.clear();
    };
    for (const LigneAssemblee& l : a.lignes) {
        for (qsizetype i = 0; i < l.octets.size(); ++i) {
            const int adresse = l.adresse + int(i);
            if (donnees.size() == OctetsParEnregistrement || adresse != debut + donnees.size()) vider();
            if (donnees.isEmpty()) debut = adresse;
            donnees.append(l.octets[i]);
        }
    }
    vider();
    s += enregistrement('9', a.depart.value_or(0), {});
    return s;
}

} // namespace tessaline::asm11
