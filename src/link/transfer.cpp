#include "link/transfer.h"

#include "link/error_report.h"
#include "link/serial_port.h"

#include <QScopeGuard>

#include <algorithm>

namespace tessaline {

namespace {

using Fin = FinAttente;

// While a wait has no time limit it still wakes up this often to look at
// the flags; it sleeps the rest of the time.
constexpr double TrancheSansLimite = 1.0;
// The shortest sleep, so that a wait always lets the clock move on.
constexpr double AttenteMinimale = 0.001;

// The flag that stops a wait, if one is set: interruption first, then cancel
// (when the wait looks at it), then abort.
FinAttente drapeau(const EtatLiaison& l, bool avecAnnulation) {
    if (l.interruption) return Fin::Interruption;
    if (avecAnnulation && l.annulation) return Fin::Annulation;
    if (l.abandon) return Fin::Abandon;
    return Fin::Donnee;
}

// The wait: events keep running, it sleeps until data, a flag or the time-out.
// A negative limit waits without one.
// Bytes that arrived with the one taken go to `suite` when given, else are dropped.
Reception recevoir(Session& session, int n, double limite, Attente mode, const QString& nomRoutine,
                   QByteArray* suite = nullptr) {
    EventClock& horloge = session.horloge();
    ++session.liaison.receptionsEnCours;
    const auto finReception = qScopeGuard([&session] { --session.liaison.receptionsEnCours; });
    const bool dansEchange = mode == Attente::DansEchange;
    const bool avecAnnulation = mode != Attente::Libre;
    try {
        if (!dansEchange) session.liaison.abandon = false;
        horloge.processEvents();
        const double debut = horloge.now();
        // Once a flag is seen inside an exchange: what it ends with, and when.
        Fin arret = Fin::Donnee;
        double finArret = 0;
        for (;;) {
            horloge.processEvents();
            const double passe = ecoule(debut, horloge.now());
            // Data first: inside an exchange, a byte that came is the Talker's answer.
            if (session.ligne().bytesWaiting() >= n) {
                const QByteArray recu = session.ligne().readAll();
                if (!recu.isEmpty()) {
                    if (suite) suite->append(recu.mid(1));
                    return {Fin::Donnee, static_cast<quint8>(recu[0])};
                }
            }
            // Nothing more can come: no time-out is worth waiting for.
            if (constaterCoupure(session)) return {Fin::Coupee};
            if (arret == Fin::Donnee) {
                arret = drapeau(session.liaison, avecAnnulation);
                if (arret != Fin::Donnee) {
                    if (!dansEchange) return {arret};
                    finArret = passe + DelaiFinEchange;
                }
            }
            const bool limitee = limite >= 0 || arret != Fin::Donnee;
            double borne = limite >= 0 ? limite : finArret;
            if (arret != Fin::Donnee) borne = std::min(borne, finArret);
            if (limitee && passe > borne) return {arret != Fin::Donnee ? arret : Fin::TimeOut};
            const double reste = limitee ? borne - passe : TrancheSansLimite;
            horloge.waitForEvents(std::max(reste, AttenteMinimale));
        }
    } catch (const std::exception& e) {
        AfficheErreur(session.ecran(), nomRoutine, erreurDepuis(e));
        return {Fin::Erreur};
    }
}

} // namespace

bool arretDemande(const Session& session) {
    const EtatLiaison& l = session.liaison;
    return l.interruption || l.annulation || l.abandon;
}

bool envoiBloque(const Session& session) {
    const EtatLiaison& l = session.liaison;
    return (l.interruption || l.annulation) && l.retraitsEnCours == 0;
}

Reception attendreOctet(Session& session, int timeout, Attente mode, const QString& nomRoutine, int n) {
    return recevoir(session, n, timeout < 0 ? -1.0 : timeout * 0.1, mode, nomRoutine);
}

int delaiReponse(int timeout) {
    return timeout < 0 ? DelaiReponseTalker : std::min(timeout, DelaiReponseTalker);
}

Reception attendreReponseTalker(Session& session, int timeout, const QString& nomRoutine) {
    return attendreOctet(session, delaiReponse(timeout), Attente::DansEchange, nomRoutine);
}

Reception attendreSuiteTalker(Session& session, QByteArray& suite, int timeout, const QString& nomRoutine) {
    if (!suite.isEmpty()) {
        const auto octet = static_cast<quint8>(suite[0]);
        suite.remove(0, 1);
        return {Fin::Donnee, octet};
    }
    const int limite = delaiReponse(timeout);
    return recevoir(session, 1, limite * 0.1, Attente::DansEchange, nomRoutine, &suite);
}

Reception attendreArretProgramme(Session& session, const QString& nomRoutine) {
    return attendreOctet(session, session.config.Timeout, Attente::Annulable, nomRoutine);
}

void ViderCom(Session& session) {
    // Bytes the port has received but not yet handed over count as waiting too.
    session.horloge().processEvents();
    session.ligne().readAll();
}

void AfficheTimeOut(Session& session, const QString& nomRoutine, Remede remede) {
    session.ecran().beep();
    session.ecran().message(texteTimeOut(nomRoutine, remede), TitreApplication, Icone::Question, Boutons::Ok);
}

} // namespace tessaline
