#include "operations/register_edit.h"

#include "link/registers.h"
#include "link/trace.h"
#include "operations/console_commands.h"
#include "operations/talker_link.h"

namespace tessaline {

void entrerRegSet(Session& session) {
    EnableCommandes(session, false);
    session.ecran().setEnabled(QStringLiteral("chkREGSET"), true);
    session.copieRegSet = session.registres;
    selectionnerCommande(session, code::RegSet, QStringLiteral("Reg SET"));
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
    for (const char* n : {"cmdMEMDUMP", "cmdUPLOADBIN", "cmdUPLOADDIS", "cmdDISASSEMBLE", "cmdMEMFILL",
                          "cmdErasEEPROM", "cmdMEMSET", "cmdRUN", "cmdSTEP"})
        e.setEnabled(QLatin1String(n), true);
    e.setEnabled(QStringLiteral("cmdSTOP"), false);
    e.setEnabled(QStringLiteral("cmdDISPLAYREG"), false);
}

} // namespace tessaline
