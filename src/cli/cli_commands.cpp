#include "cli/cli_commands.h"

#include "disasm/desass_instr.h"
#include "link/conversions.h"
#include "link/registers.h"
#include "link/serial_port.h"
#include "operations/console_commands.h"
#include "operations/talker_link.h"

namespace tessaline {

bool commandeCible(const LigneCommande& ligne) {
    for (const CommandeCli& c : ligne.commandes)
        if (c.nom != "info" && c.nom != "disasm") return true;
    return false;
}

namespace {

QString plage(double debut, double fin) {
    auto hexa = [](double v) {
        try {
            return DecHexa4(v);
        } catch (const std::exception&) {
            return QStringLiteral("????");
        }
    };
    return hexa(debut) + u'-' + hexa(fin);
}

void afficherEtat(const Session& session, QTextStream& sortie) {
    Screen& e = const_cast<Session&>(session).ecran();
    sortie << "Talker: " << e.panel(QStringLiteral("Talker")) << '\n';
    sortie << "Cible: " << e.panel(QStringLiteral("Cible")) << '\n';
    sortie.flush();
}

void afficherRegistres(const Session& session, QTextStream& sortie) {
    QStringList champs;
    for (const DescriptionRegistre& d : descriptionsRegistres())
        champs << QLatin1String(d.libelle) + session.registres.*(d.texte);
    sortie << champs.join(u' ') << '\n';
    sortie.flush();
}

// What the console does when the user picks a command, fills its fields and
// presses Execute.
void console(Session& s, int codeCommande, const QString& echo, const QString& adresse,
             const QString& longueur, const QString& valeur) {
    selectionnerCommande(s, codeCommande, echo);
    RemplirECHO(s, adresse, longueur, valeur);
    executerCommande(s);
}

} // namespace

void afficherInfo(const Session& session, const QString& emplacementReglages, QTextStream& sortie) {
    const Configuration& c = session.config;
    const int n = numeroPort(c.Port);
    const QString nom = n > 0 ? QStringLiteral("COM%1").arg(n) : c.Port;
    sortie << "Settings: " << emplacementReglages << '\n';
    sortie << "Port: " << nom << ':' << texteParametres(c.Baud) << '\n';
    sortie << "Device: " << cheminPeripherique(c, c.Port) << '\n';
    sortie << "HardWare: " << c.HardWare << '\n';
    sortie << "Quartz: " << c.Quartz << '\n';
    sortie << "Baud: " << c.Baud << '\n';
    sortie << "BootBaud: " << c.BootBaud << '\n';
    sortie << "Timeout: " << c.Timeout << '\n';
    sortie << "RAM: " << plage(c.DepartRam, c.FinRam()) << '\n';
    sortie << "EEPROM: " << plage(c.DepartEEprom, c.FinEeprom()) << '\n';
    sortie << "Talker: " << c.TalkerPrepare.toHex().toUpper() << '\n';
    sortie.flush();
}

int executerCommandes(Session& session, const LigneCommande& ligne, ConsoleScreen& ecran,
                      const QString& emplacementReglages, QTextStream& sortie) {
    bool echec = false;
    if (commandeCible(ligne)) {
        ComOpen(session);
        if (!session.liaison.portOuvert) return 1;
    }
    for (const CommandeCli& commande : ligne.commandes) {
        const QStringList& a = commande.arguments;
        if (commande.nom == "info") {
            afficherInfo(session, emplacementReglages, sortie);
        } else if (commande.nom == "disasm") {
            const QString adresse = completer(a.value(1, QStringLiteral("0")), 4);
            const Desassemblage d =
                DesassInstr(a[0], adresse, session.registres.RegIX, session.registres.RegIY);
            sortie << d.ligne << '\n' << "L=" << d.LongInstr << " D=" << d.AdrDest << '\n';
            sortie.flush();
        } else if (commande.nom == "load-talker") {
            echec |= LoadTalker(session) != ResultatChargement::Charge;
            afficherEtat(session, sortie);
        } else if (commande.nom == "test-talker") {
            TestTalker(session);
            afficherEtat(session, sortie);
            echec |= !session.liaison.talkerPresent;
        } else if (commande.nom == "regs") {
            TestTalker(session);
            afficherRegistres(session, sortie);
            echec |= !session.liaison.talkerPresent;
        } else if (commande.nom == "dump") {
            console(session, code::MemDump, QStringLiteral("MemDump"), a[0], a[1], QString());
        } else if (commande.nom == "fill") {
            console(session, code::MemFill, QStringLiteral("MemFill"), a[0], a[1], a[2]);
        } else if (commande.nom == "set") {
            console(session, code::MemSet, QStringLiteral("MemSet"), a[0], QString(), a[1]);
        } else if (commande.nom == "disassemble") {
            console(session, code::Disassemble, QStringLiteral("Disassemble "), a[0], QString(), QString());
        }
    }
    return echec || ecran.reports() > 0 ? 1 : 0;
}

} // namespace tessaline
