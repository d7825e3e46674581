#include "operations/memory_watch.h"

#include "link/conversions.h"
#include "link/error_report.h"
#include "link/talker_protocol.h"
#include "link/transfer.h"
#include "operations/program_run.h"
#include "operations/talker_link.h"

#include <QMap>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <set>

namespace tessaline {

namespace {

const QString NomOperation = QStringLiteral("Surveillance");

// The probe goes out, the Talker echoes it: two characters, and the one the
// SCI may be in the middle of sending then, with room for as many again.
constexpr int CaracteresSonde = 6;
// A character on the line: start bit, 8 data bits, stop bit.
constexpr double BitsParCaractere = 10.0;

// A run of adjacent bytes read in one exchange.
struct Bloc {
    int adresse;
    int taille;
};

// The bytes of the entries, adjacent ones in one read, each read once;
// nothing between two locations is read (a read of an I/O register may
// change it: reading SCSR then SCDR takes a received character away).
QVector<Bloc> blocs(const QVector<EntreeSurveillee>& entrees) {
    std::set<int> octets;
    for (const EntreeSurveillee& e : entrees)
        for (int i = 0; i < e.taille(); ++i)
            octets.insert(e.adresse + i);
    QVector<Bloc> plages;
    for (int a : octets) {
        // One exchange reads at most MaxOctetsEchange bytes.
        if (!plages.isEmpty() && plages.last().adresse + plages.last().taille == a &&
            plages.last().taille < MaxOctetsEchange)
            ++plages.last().taille;
        else
            plages.append({a, 1});
    }
    return plages;
}

// A read that did not end well: said as the other reads say it, and the
// Talker check shows what is left of the link.
void signalerEchec(Session& s, Issue issue) {
    if (issue == Issue::TimeOut) AfficheTimeOut(s, QStringLiteral("RecevoirComBINDec"));
    if (sansEchange(issue)) AfficheEchec(s.ecran(), QStringLiteral("Erreur ") + NomOperation);
    TestTalker(s);
}

} // namespace

std::optional<EntreeSurveillee> lireEntreeSurveillee(const QString& texte, const TableSymboles& symboles,
                                                     RefusEntree& refus) {
    static const QRegularExpression forme(QStringLiteral(
        "^([0-9A-Fa-f]{1,4}|[A-Za-z_.][A-Za-z0-9_.]*(?:[+-][0-9A-Fa-f]{1,4})?)(?::([bBwW]))?$"));
    refus = RefusEntree::Forme;
    const QRegularExpressionMatch m = forme.match(texte.trimmed());
    if (!m.hasMatch()) return std::nullopt;
    EntreeSurveillee e;
    e.nom = m.captured(1);
    e.mot = m.captured(2).compare(QStringLiteral("w"), Qt::CaseInsensitive) == 0;
    // Four hex digits or fewer are an address, as in the console's fields.
    static const QRegularExpression hexa(QStringLiteral("^[0-9A-Fa-f]{1,4}$"));
    if (hexa.match(e.nom).hasMatch()) {
        e.adresse = e.nom.toInt(nullptr, 16);
        e.nom = DecHexa4(e.adresse);
    } else {
        if (symboles.vide()) {
            refus = RefusEntree::SansSymboles;
            return std::nullopt;
        }
        const std::optional<int> adresse = symboles.adresse(e.nom);
        if (!adresse) {
            refus = RefusEntree::SymboleInconnu;
            return std::nullopt;
        }
        e.adresse = *adresse;
    }
    if (e.adresse + e.taille() > EspaceAdresses) {
        refus = RefusEntree::MotAuBout;
        return std::nullopt;
    }
    refus = RefusEntree::Aucun;
    return e;
}

QString valeurHexa(const EntreeSurveillee& entree, int valeur) {
    return entree.mot ? DecHexa4(valeur) : DecHexa2(valeur);
}

QString valeurDecimale(int valeur) {
    return QString::number(valeur);
}

int delaiSondeSurveillance(int baud) {
    const double secondes = CaracteresSonde * BitsParCaractere / std::max(1, baud);
    return std::max(1, static_cast<int>(std::ceil(secondes * 10)));
}

QString texteSurveillanceImpossible() {
    // The Talker hears the host only through the SCI receive interrupt
    // (RIE in SCCR2, M68HC11 RM 9.7.2), a maskable interrupt that the I bit
    // holds off (RM 5.7); a program that took the SCI's receiver for itself
    // takes the host's bytes as well.
    return QStringLiteral(
        "Surveillance impossible : le programme tourne avec les interruptions masqu\u00e9es (bit I du "
        "CCR \u00e0 1), ou il a pris le SCI pour lui. Le Talker ne r\u00e9pond au PC que par "
        "l'interruption de r\u00e9ception du SCI : tant que le programme tourne ainsi, il ne peut ni lire "
        "la m\u00e9moire, ni arr\u00eater le programme (Stop).\n"
        "Mettez CLI au d\u00e9but du programme et laissez le SCI au Talker, puis relancez-le. Pour "
        "reprendre la main maintenant : RESET sur la carte, puis Load Talker.");
}

Releve releverMemoire(Session& session, const QVector<EntreeSurveillee>& entrees) {
    const EtatLiaison& l = session.liaison;
    if (!session.ligne().isOpen() || !l.talkerPresent || envoiBloque(session)) return {};
    // One exchange at a time on the line: not inside another's wait.
    if (session.horloge().dansUneAttente() || l.receptionsEnCours > 0) return {};
    session.horloge().processEvents();
    // A byte the target sent on its own (a stopped program's $03) is for
    // the link watch to read and show.
    if (session.ligne().bytesWaiting() > 0) return {};
    if (entrees.isEmpty()) return {FinReleve::Lu, {}};

    if (l.cibleTourne) {
        bool arret = false;
        const Resultat<bool> sonde = sonder(session, delaiSondeSurveillance(session.config.Baud), &arret);
        if (sonde.issue == Issue::Interrompu) return {};
        if (arret && sonde.ok()) {
            // The program stopped by itself as the probe went out: its stop
            // is shown, and the values are those it stopped with.
            arretSpontane(session);
            if (!session.liaison.talkerPresent) return {FinReleve::Echec, {}};
        } else if (!sonde.ok()) {
            if (sonde.issue == Issue::Coupee) {
                TestTalker(session);
                return {FinReleve::Echec, {}};
            }
            // Load Talker or a close cut the wait short: theirs to go on.
            if (arretDemande(session)) return {};
            // No echo in a few character times, or the program's own bytes
            // in its place: the Talker cannot get in while the program runs.
            // The link is left as it is: the program runs, the Talker under it.
            session.ecran().beep();
            session.ecran().message(texteSurveillanceImpossible(), TitreApplication, Icone::Exclamation,
                                    Boutons::Ok);
            return {FinReleve::Masque, {}};
        }
    }

    QMap<int, quint8> lus;
    for (const Bloc& b : blocs(entrees)) {
        const Resultat<QByteArray> r = lireMemoire(session, b.adresse, b.taille, session.config.Timeout);
        if (r.issue == Issue::Interrompu) return {};
        if (!r.ok()) {
            signalerEchec(session, r.issue);
            return {FinReleve::Echec, {}};
        }
        for (int i = 0; i < b.taille; ++i)
            lus.insert(b.adresse + i, static_cast<quint8>(r.donnees[i]));
    }
    Releve releve{FinReleve::Lu, {}};
    for (const EntreeSurveillee& e : entrees)
        releve.valeurs.append(e.mot ? lus.value(e.adresse) << 8 | lus.value(e.adresse + 1)
                                    : lus.value(e.adresse));
    return releve;
}

} // namespace tessaline
