#include "link/trace.h"

#include "link/conversions.h"
#include "link/registers.h"

namespace tessaline {

void TraceHeure(Session& session, double t) {
    session.ecran().append(Zone::Trace, HeureTrace(t) + Tab, couleur::Rouge);
}

void TraceEcho(Session& session) {
    TraceCommande(session, session.ecran().text(Zone::Echo));
}

void TraceCommande(Session& session, const QString& texte) {
    TraceHeure(session, session.horloge().now());
    session.ecran().append(Zone::Trace, texte + FinLigne, couleur::Rouge, true);
}

void TraceEchoRetour(Session& session) {
    TraceHeure(session, session.horloge().now());
    session.ecran().append(
        Zone::Trace, QStringLiteral("  <==  ") + session.ecran().text(Zone::Echo) + FinLigne, couleur::Bleu);
    AfficheRegistres(session);
}

void TraceEtat(Session& session) {
    Screen& e = session.ecran();
    TraceHeure(session, session.horloge().now());
    e.append(Zone::Trace,
             e.panel(QStringLiteral("Talker")) + Tab + e.panel(QStringLiteral("Cible")) + FinLigne,
             couleur::Bleu);
}

} // namespace tessaline
