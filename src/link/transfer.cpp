#include "link/transfer.h"

#include "link/conversions.h"
#include "link/error_report.h"

#include <algorithm>

namespace tessaline {

namespace {

using Fin = FinAttente;

// While the time-out is disarmed the wait still wakes up this often to look at
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

// The named receive routines wait under the configured time-out, read at the
// start of each wait, and without limit while the time-out is disarmed.
Reception recevoir(Session& session, int n, bool avecAnnulation, const QString& nomRoutine) {
    const double limite = session.liaison.timeoutArme ? session.config.Timeout * 0.1 : -1.0;
    return recevoir(session, n, limite, avecAnnulation, nomRoutine);
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

bool EnvoiCommande(Session& session, int octet, bool timeoutArme) {
    session.liaison.timeoutArme = timeoutArme;
    session.ligne().sendByte(static_cast<quint8>(octet));
    const Reception r = recevoir(session, 1, true, QStringLiteral("RecComBIN_NbOct_Dec"));
    return r.fin == Fin::Donnee && r.octet == octet;
}

bool EnvoiOctet(Session& session, int octet) {
    session.ligne().sendByte(static_cast<quint8>(octet));
    const Reception r = recevoir(session, 1, false, QStringLiteral("RecevoirComBINDec"));
    if (r.fin == Fin::TimeOut) AfficheTimeOut(session, QStringLiteral("RecevoirComBINDec"));
    return r.fin == Fin::Donnee && r.octet == octet;
}

QString RecevoirComBINHexa(Session& session, int n) {
    const QString nom = QStringLiteral("RecevoirComBINHexa");
    const Reception r = recevoir(session, n, false, nom);
    switch (r.fin) {
    case Fin::Donnee: return DecHexa2(r.octet);
    case Fin::TimeOut: AfficheTimeOut(session, nom); return {};
    default: return {};
    }
}

int RecevoirComBINDec(Session& session, int n) {
    const QString nom = QStringLiteral("RecevoirComBINDec");
    const Reception r = recevoir(session, n, false, nom);
    switch (r.fin) {
    case Fin::Donnee: return r.octet;
    case Fin::TimeOut: AfficheTimeOut(session, nom); return -1;
    case Fin::Erreur: return -1;
    default: return 0;
    }
}

int RecComBIN_NbOct_Dec(Session& session, int n) {
    const Reception r = recevoir(session, n, true, QStringLiteral("RecComBIN_NbOct_Dec"));
    switch (r.fin) {
    case Fin::Donnee: return r.octet;
    case Fin::TimeOut:
    case Fin::Erreur: return -2;
    case Fin::Abandon: return -1;
    case Fin::Annulation: return 0;
    }
    return -2;
}

void AfficheTimeOut(Session& session, const QString& nomRoutine) {
    session.ecran().beep();
    session.ecran().message(texteTimeOut(nomRoutine), TitreApplication, Icone::Question, Boutons::Ok);
}

} // namespace tessaline
