#include "link/planted_bytes.h"

#include <algorithm>

namespace tessaline {

namespace {

bool dans(int a, int adresse, int n) {
    return a >= adresse && a < adresse + n;
}

} // namespace

PointArret* pointPlante(EtatPoints& points, int adresse) {
    auto it = std::find_if(points.liste.begin(), points.liste.end(),
                           [adresse](const PointArret& p) { return p.plante && p.adresse == adresse; });
    return it == points.liste.end() ? nullptr : &*it;
}

const PointArret* pointPlante(const EtatPoints& points, int adresse) {
    return pointPlante(const_cast<EtatPoints&>(points), adresse);
}

void montrerOctetsUtilisateur(const EtatPoints& points, int adresse, QByteArray& octets) {
    for (const PointArret& p : points.liste) {
        if (!p.plante || !dans(p.adresse, adresse, int(octets.size()))) continue;
        char& o = octets[p.adresse - adresse];
        if (static_cast<quint8>(o) == OctetSwi) o = static_cast<char>(p.octet);
    }
}

QByteArray octetsAEcrire(const EtatPoints& points, int adresse, const QByteArray& octets) {
    QByteArray envoi = octets;
    for (const PointArret& p : points.liste)
        if (p.plante && dans(p.adresse, adresse, int(octets.size())))
            envoi[p.adresse - adresse] = static_cast<char>(OctetSwi);
    return envoi;
}

void apresEcriture(EtatPoints& points, int adresse, const QByteArray& octets, QByteArray& relus) {
    for (PointArret& p : points.liste) {
        if (!p.plante || !dans(p.adresse, adresse, int(octets.size()))) continue;
        const int i = p.adresse - adresse;
        if (i < relus.size() && static_cast<quint8>(relus[i]) == OctetSwi) {
            p.octet = static_cast<quint8>(octets[i]);
            relus[i] = octets[i];
        } else {
            p.plante = false;
        }
    }
}

} // namespace tessaline
