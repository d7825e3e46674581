#include "cli/cli_watch.h"

#include "cli/cli_interruption.h"
#include "link/serial_port.h"
#include "link/tempo.h"
#include "operations/memory_watch.h"

#include <algorithm>

namespace tessaline {

namespace {

// The longest sleep between two looks at the line: a stop of the program's
// own is caught by the link watch at each one.
constexpr double Tranche = 0.05;

// Lets the program run until `fin` on the session's clock (seconds since
// `debut`); an interruption ends the wait. The link watch's timer counts wall
// time while the simulated board's clock may run faster: it is given a turn
// at each slice.
void attendreJusqua(Session& s, double debut, double fin) {
    for (;;) {
        const double passe = ecoule(debut, s.horloge().now());
        if (passe >= fin || s.liaison.interruption || SignauxInterruption::signalRecu() != 0) return;
        Tempo(s.horloge(), static_cast<float>(std::min(Tranche, fin - passe)));
        if (s.surveillance().isEnabled()) s.surveillance().tick();
        if (!s.liaison.cibleTourne) return;
    }
}

} // namespace

QString ligneSurveillance(double secondes, const QVector<EntreeSurveillee>& entrees,
                          const QVector<int>& valeurs) {
    QString ligne = QString::number(secondes, 'f', 3);
    for (int i = 0; i < entrees.size() && i < valeurs.size(); ++i) {
        const EntreeSurveillee& e = entrees[i];
        ligne += u' ' + e.nom + (e.mot ? QStringLiteral(":w") : QString()) + u'=' +
                 valeurHexa(e, valeurs[i]) + QStringLiteral(" (") + valeurDecimale(valeurs[i]) + u')';
    }
    return ligne;
}

bool surveillerMemoire(Session& session, const TableSymboles& symboles, const QStringList& arguments,
                       QTextStream& sortie) {
    OptionsWatch options;
    QString erreur;
    if (!lireOptionsWatch(arguments, options, erreur)) return false;
    QVector<EntreeSurveillee> entrees;
    for (const QString& texte : options.entrees) {
        RefusEntree refus = RefusEntree::Aucun;
        const std::optional<EntreeSurveillee> e = lireEntreeSurveillee(texte, symboles, refus);
        if (!e) return false; // the parser let nothing of this kind through
        entrees << *e;
    }
    const double intervalle = options.intervalle / 1000.0;
    const double debut = session.horloge().now();
    double prochain = 0;
    for (;;) {
        const double passe = ecoule(debut, session.horloge().now());
        if (options.duree && passe * 1000.0 >= *options.duree) return true;
        const Releve r = releverMemoire(session, entrees);
        switch (r.fin) {
        case FinReleve::Lu:
            sortie << ligneSurveillance(passe, entrees, r.valeurs) << '\n';
            sortie.flush();
            break;
        case FinReleve::Rien: break; // the link watch reads what came first; a stop asked ends the loop
        case FinReleve::Masque:
        case FinReleve::Echec: return false;
        }
        if (!session.liaison.cibleTourne || !session.liaison.talkerPresent) return true;
        if (session.liaison.interruption || SignauxInterruption::signalRecu() != 0) return true;
        // The next refresh on the beat, or at once when a refresh took longer.
        prochain = std::max(prochain + intervalle, ecoule(debut, session.horloge().now()));
        double fin = prochain;
        if (options.duree) fin = std::min(fin, *options.duree / 1000.0);
        attendreJusqua(session, debut, fin);
        if (!session.liaison.cibleTourne) return true;
    }
}

} // namespace tessaline
