#include "link/transfer.h"

#include "link/error_report.h"

#include <algorithm>

namespace tessaline {

namespace {

using Fin = FinAttente;

// While a wait has no time limit it still wakes up this often to look at
// the flags; it sleeps the rest of the time.
constexpr double TrancheSansLimite = 1.0;
// The shortest sleep, so that a wait always lets the clock move on.
constexpr double AttenteMinimale = 0.001;

// The wait: events keep running, it sleeps until data, a flag or the time-out.
// A negative limit waits without one.
Reception recevoir(Session& session, int n, double limite, bool avecAnnulation, const QString& nomRoutine) {
    EventClock& horloge = session.horloge();
    const bool limitee = limite >= 0;
    try {
        session.liaison.abandon = false;
        horloge.processEvents();
        const double debut = horloge.now();
        for (;;) {
            horloge.processEvents();
            const double passe = ecoule(debut, horloge.now());
            if (limitee && passe > limite) return {Fin::TimeOut};
            if (session.liaison.abandon) return {Fin::Abandon};
            if (avecAnnulation && session.liaison.annulation) return {Fin::Annulation};
            if (session.ligne().bytesWaiting() >= n) {
                // Bytes beyond the first that arrived together are dropped.
                const QByteArray recu = session.ligne().readAll();
                if (!recu.isEmpty()) return {Fin::Donnee, static_cast<quint8>(recu[0])};
            }
            const double reste = limitee ? limite - passe : TrancheSansLimite;
            horloge.waitForEvents(std::max(reste, AttenteMinimale));
        }
    } catch (const std::exception& e) {
        AfficheErreur(session.ecran(), nomRoutine, erreurDepuis(e));
        return {Fin::Erreur};
    }
}

} // namespace

Reception attendreOctet(Session& session, int timeout, bool avecAnnulation, const QString& nomRoutine,
                        int n) {
    return recevoir(session, n, timeout < 0 ? -1.0 : timeout * 0.1, avecAnnulation, nomRoutine);
}

void ViderCom(Session& session) {
    // Bytes the port has received but not yet handed over count as waiting too.
    session.horloge().processEvents();
    session.ligne().readAll();
}

void AfficheTimeOut(Session& session, const QString& nomRoutine) {
    session.ecran().beep();
    session.ecran().message(texteTimeOut(nomRoutine), TitreApplication, Icone::Question, Boutons::Ok);
}

} // namespace tessaline
