#include "operations/breakpoint_table.h"

#include "link/control_names.h"
#include "link/conversions.h"
#include "link/error_report.h"
#include "link/planted_bytes.h"
#include "link/registers.h"
#include "link/talker_protocol.h"
#include "link/trace.h"
#include "link/transfer.h"
#include "operations/breakpoints.h"
#include "operations/program_run.h"

#include <algorithm>

namespace tessaline {

namespace {

PointArret* point(Session& s, int adresse) {
    auto& l = s.points.liste;
    auto it =
        std::find_if(l.begin(), l.end(), [adresse](const PointArret& p) { return p.adresse == adresse; });
    return it == l.end() ? nullptr : &*it;
}

QString adresses(const QVector<int>& liste) {
    QStringList t;
    for (int a : liste)
        t << DecHexa4(a);
    return t.join(u' ');
}

// Writes the SWI at `p` (not yet planted); the byte it replaces becomes the
// user's. A byte that already is an SWI (the user's own, or one left by a
// host that could not take it back) is taken as the user's byte.
bool planter(Session& s, PointArret& p) {
    const Resultat<QByteArray> lu = lireMemoireBrute(s, p.adresse, 1, s.config.Timeout);
    if (!lu.ok() || lu.donnees.size() != 1) return false;
    const quint8 avant = static_cast<quint8>(lu.donnees[0]);
    if (avant != OctetSwi) {
        const Resultat<QByteArray> r =
            ecrireMemoire(s, p.adresse, QByteArray(1, static_cast<char>(OctetSwi)), s.config.Timeout);
        if (!r.ok() || r.donnees != QByteArray(1, static_cast<char>(OctetSwi))) return false;
    }
    p.octet = avant;
    p.plante = true;
    return true;
}

// Writes the user's byte back over the SWI at `p`.
bool deplanter(Session& s, PointArret& p) {
    if (!p.plante) return true;
    p.plante = false;
    if (p.octet == OctetSwi) return true;
    const QByteArray octet(1, static_cast<char>(p.octet));
    const Resultat<QByteArray> r = ecrireMemoire(s, p.adresse, octet, s.config.Timeout);
    if (r.ok() && r.donnees == octet) return true;
    p.plante = true;
    return false;
}

bool talkerEcoute(const Session& s) {
    return s.liaison.talkerPresent && !envoiBloque(s);
}

void echecPlantation(Session& s, int adresse) {
    AfficheEchec(s.ecran(), QStringLiteral("Point d'arr\u00eat %1 : l'SWI n'a pas pu \u00eatre \u00e9crit")
                                .arg(DecHexa4(adresse)));
}

} // namespace

bool ajouterPoint(Session& s, int adresse) {
    adresse &= 0xFFFF;
    if (point(s, adresse)) return true;
    if (!adressePlantable(s, adresse)) {
        refuserPoint(s, adresse, QStringLiteral("Point d'arr\u00eat"));
        return false;
    }
    if (s.points.liste.size() >= PointsMaximum) {
        AfficheEchec(s.ecran(), QStringLiteral("Point d'arr\u00eat %1 refus\u00e9 : %2 points d'arr\u00eat "
                                               "au plus ; retirez-en un d'abord")
                                    .arg(DecHexa4(adresse))
                                    .arg(PointsMaximum));
        return false;
    }
    s.points.liste.append({adresse, true, false, 0});
    if (s.liaison.cibleTourne && talkerEcoute(s) && !planter(s, s.points.liste.last()))
        echecPlantation(s, adresse);
    return true;
}

bool retirerPoint(Session& s, int adresse) {
    PointArret* p = point(s, adresse & 0xFFFF);
    if (!p) return false;
    if (p->plante && !(talkerEcoute(s) && deplanter(s, *p)))
        signalerSwiRestes(s, {swiReste(p->adresse, DecHexa2(p->octet))});
    s.points.liste.removeIf([adresse](const PointArret& q) { return q.adresse == (adresse & 0xFFFF); });
    return true;
}

bool activerPoint(Session& s, int adresse, bool actif) {
    PointArret* p = point(s, adresse & 0xFFFF);
    if (!p) return false;
    p->actif = actif;
    if (!talkerEcoute(s)) return true;
    // A disabled one leaves memory at once; an enabled one is planted at once
    // only in a running program (else at the next run).
    if (!actif) deplanter(s, *p);
    if (actif && s.liaison.cibleTourne && !p->plante && !planter(s, *p)) echecPlantation(s, p->adresse);
    return true;
}

void retirerTousLesPoints(Session& s) {
    while (!s.points.liste.isEmpty())
        retirerPoint(s, s.points.liste.first().adresse);
}

QVector<int> pointsActifs(const Session& s) {
    QVector<int> a;
    for (const PointArret& p : s.points.liste)
        if (p.actif) a.append(p.adresse);
    return a;
}

bool planterPoints(Session& s) {
    for (PointArret& p : s.points.liste) {
        if (p.actif == p.plante) continue;
        if (!talkerEcoute(s)) return false;
        if (p.actif ? planter(s, p) : deplanter(s, p)) continue;
        echecPlantation(s, p.adresse);
        return false;
    }
    return true;
}

void lacherPoints(Session& s, bool reprise) {
    if (std::none_of(s.points.liste.begin(), s.points.liste.end(),
                     [](const PointArret& p) { return p.plante; }))
        return;
    const RetraitEnCours retrait(s);
    // A running program is stopped for the time it takes, then goes on where
    // it was, over its own bytes.
    bool relancer = false;
    if (s.liaison.cibleTourne && s.liaison.talkerPresent) {
        const Arret arret = arreterProgramme(s);
        if (arret == Arret::Arrete) arretSurPoint(s);
        relancer = reprise && arret != Arret::Perdu;
    }
    QStringList restes;
    for (PointArret& p : s.points.liste) {
        if (!p.plante) continue;
        // Once the Talker is found lost, the bytes left are not tried.
        if (s.liaison.talkerPresent && deplanter(s, p)) continue;
        restes << swiReste(p.adresse, DecHexa2(p.octet));
        p.plante = false;
    }
    signalerSwiRestes(s, restes);
    if (relancer && s.liaison.talkerPresent) RunProgPC(s, false);
}

QString swiReste(int adresse, const QString& octet) {
    return DecHexa4(adresse) + QStringLiteral(" (octet d'origine ") + octet + u')';
}

void signalerSwiRestes(Session& s, const QStringList& restes) {
    if (restes.isEmpty()) return;
    // A Talker that still answers can take the byte back at once; a lost one
    // must be loaded again first.
    const QString remede = s.liaison.talkerPresent
                               ? QStringLiteral(".\nR\u00e9tablissez l'octet avec Mem SET.")
                               : QStringLiteral(".\nFaites RESET, Load Talker, puis r\u00e9tablissez "
                                                "l'octet avec Mem SET.");
    s.ecran().message(QStringLiteral("SWI rest\u00e9 en m\u00e9moire \u00e0 ") +
                          restes.join(QStringLiteral(", ")) + remede,
                      TitreApplication, Icone::Exclamation, Boutons::Ok);
}

void reprendrePoints(Session& s) {
    if (s.points.liste.isEmpty() || !s.liaison.talkerPresent) return;
    QVector<int> enPlace, replantes;
    for (PointArret& p : s.points.liste) {
        if (!p.actif) continue;
        if (p.plante) {
            const Resultat<QByteArray> lu = lireMemoireBrute(s, p.adresse, 1, s.config.Timeout);
            if (!lu.ok()) return;
            if (static_cast<quint8>(lu.donnees[0]) == OctetSwi) {
                enPlace.append(p.adresse);
                continue;
            }
            p.plante = false;
        }
        if (!planter(s, p)) {
            echecPlantation(s, p.adresse);
            return;
        }
        replantes.append(p.adresse);
    }
    QString texte = QStringLiteral("Points d'arr\u00eat");
    if (!replantes.isEmpty()) texte += QStringLiteral(" replant\u00e9s : ") + adresses(replantes);
    if (!enPlace.isEmpty())
        texte += (replantes.isEmpty() ? QStringLiteral(" ") : QStringLiteral(" ; ")) +
                 QStringLiteral("toujours en place : ") + adresses(enPlace);
    s.ecran().append(Zone::Trace, texte + FinLigne, couleur::Rouge);
}

PointSuspendu::PointSuspendu(Session& s, int adresse)
    : session_(s)
    , adresse_(adresse) {
    PointArret* p = point(s, adresse);
    if (!p) return;
    ok_ = deplanter(s, *p);
    if (ok_) p->actif = false;
}

PointSuspendu::~PointSuspendu() {
    if (PointArret* p = point(session_, adresse_); p && ok_) p->actif = true;
}

bool arretSurPoint(Session& s) {
    const int apres = HexaDec(s.registres.RegPC) & 0xFFFF;
    const int avant = (apres - 1) & 0xFFFF;
    const PointArret* p = pointPlante(s.points, avant);
    if (!p || !p->actif) return false;
    changerRegistre(s, &JeuRegistres::RegPC, DecHexa4(avant));
    return true;
}

} // namespace tessaline
