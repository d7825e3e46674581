#include "operations/s19_file.h"

#include "link/regular_file.h"

#include <numeric>

namespace tessaline {

namespace {

// Type, count and address: "S1" + 2 + 4 digits, then the checksum's 2.
constexpr int EnteteS1 = 8;
constexpr int ChiffresSomme = 2;
// Address and checksum bytes that the count field includes.
constexpr int OctetsHorsDonnees = 3;

int valeurHexa(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The bytes of a run of hexadecimal digits; false on a non-digit or an odd run.
bool octetsDe(QByteArrayView chiffres, QByteArray& octets) {
    if (chiffres.size() % 2 != 0) return false;
    for (qsizetype i = 0; i < chiffres.size(); i += 2) {
        const int h = valeurHexa(chiffres[i]);
        const int l = valeurHexa(chiffres[i + 1]);
        if (h < 0 || l < 0) return false;
        octets.append(static_cast<char>(h << 4 | l));
    }
    return true;
}

FichierS19Lu illisible(const QString& erreur) {
    FichierS19Lu f;
    f.erreur = erreur;
    return f;
}

} // namespace

int FichierS19Lu::octets() const {
    return std::accumulate(enregistrements.begin(), enregistrements.end(), 0,
                           [](int n, const EnregistrementS1& e) { return n + int(e.donnees.size()); });
}

FichierS19Lu analyserS19(const QByteArray& texte) {
    FichierS19Lu f;
    int numero = 0;
    for (const QByteArray& brute : texte.split('\n')) {
        ++numero;
        const QByteArray ligne = brute.trimmed();
        if (!ligne.startsWith("S1")) continue;
        QByteArray champs;
        const bool chiffres =
            ligne.size() >= EnteteS1 + ChiffresSomme && octetsDe(QByteArrayView(ligne).sliced(2), champs);
        // The count covers the address, the data and the checksum.
        if (!chiffres || static_cast<quint8>(champs[0]) != champs.size() - 1 ||
            champs.size() - 1 < OctetsHorsDonnees)
            return illisible(QStringLiteral("Enregistrement S1 illisible ligne %1").arg(numero));
        EnregistrementS1 e;
        e.ligne = numero;
        e.adresse = static_cast<quint8>(champs[1]) << 8 | static_cast<quint8>(champs[2]);
        e.donnees = champs.mid(3, champs.size() - 1 - OctetsHorsDonnees);
        e.sommeLue = static_cast<quint8>(champs.back());
        int somme = 0;
        for (qsizetype i = 0; i + 1 < champs.size(); ++i)
            somme += static_cast<quint8>(champs[i]);
        e.sommeCalculee = ~somme & 0xFF;
        f.enregistrements.push_back(e);
    }
    f.lu = true;
    return f;
}

FichierS19Lu lireFichierS19(const QString& chemin) {
    QString erreur;
    const auto texte = lireFichierOrdinaire(chemin, TailleMaxS19, erreur);
    if (!texte) return illisible(erreur);
    return analyserS19(*texte);
}

} // namespace tessaline
