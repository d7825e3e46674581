#include "operations/register_edit.h"

#include "link/registers.h"
#include "link/trace.h"
#include "operations/console_commands.h"

namespace tessaline {

void entrerRegSet(Session& session) {
    appliquerEtatLien(session, EtatLien::RegSet);
    session.copieRegSet = session.registres;
    selectionnerCommande(session, code::RegSet, QString::fromUtf8(commandeParCode(code::RegSet)->echo));
}

void quitterRegSet(Session& session) {
    Screen& e = session.ecran();
    TraceEcho(session);
    e.append(Zone::Trace, Tab + Tab + QStringLiteral("  ==>  Registres : "), couleur::Noir);
    for (const DescriptionRegistre& d : descriptionsRegistres()) {
        const QString& valeur = session.registres.*(d.texte);
        if (valeur == session.copieRegSet.*(d.texte)) continue;
        e.append(Zone::Trace, QLatin1String(d.libelle), couleur::Noir);
        e.append(Zone::Trace, valeur + QStringLiteral("  "), couleur::Magenta);
    }
    e.append(Zone::Trace, FinLigne, couleur::Noir);
    // The target is still stopped in the Talker.
    consoleCibleArretee(session);
}

} // namespace tessaline
