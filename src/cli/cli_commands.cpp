#include "cli/cli_commands.h"

#include "cli/cli_programming.h"

#include "disasm/desass_instr.h"
#include "link/conversions.h"
#include "link/registers.h"
#include "link/serial_port.h"
#include "operations/console_commands.h"
#include "operations/talker_commands.h"

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

// The console commands the command line gives by name. Their arguments fill,
// in order, the fields the command uses: address, length, value.
struct CommandeParNom {
    const char* nom;
    int code;
};
constexpr CommandeParNom CommandesConsole[] = {
    {"dump", code::MemDump},
    {"fill", code::MemFill},
    {"set", code::MemSet},
    {"disassemble", code::Disassemble},
};

// What the console does when the user picks a command, fills its fields and
// presses Execute. False when `nom` is no console command.
bool console(Session& s, const QString& nom, const QStringList& arguments) {
    const auto it = std::find_if(std::begin(CommandesConsole), std::end(CommandesConsole),
                                 [&](const CommandeParNom& c) { return nom == QLatin1String(c.nom); });
    if (it == std::end(CommandesConsole)) return false;
    const CommandeConsole& commande = *commandeParCode(it->code);
    constexpr int Ordre[3] = {champ::Adresse, champ::Longueur, champ::Valeur};
    QString champs[3];
    int suivant = 0;
    for (int i = 0; i < 3; ++i)
        if (commande.champs & Ordre[i]) champs[i] = arguments.value(suivant++);
    selectionnerCommande(s, commande.code, QString::fromUtf8(commande.echo));
    RemplirECHO(s, champs[0], champs[1], champs[2]);
    executerCommande(s);
    return true;
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
                      const QString& emplacementReglages, QTextStream& sortie, QTextStream& erreurs) {
    bool echec = false;
    if (commandeCible(ligne)) {
        ComOpen(session);
        if (!session.liaison.portOuvert) return 1;
        installerVerificationLiaison(session);
    }
    // The link is checked before the first command that talks to the target,
    // unless that command downloads the Talker. A check that finds no Talker,
    // or a confused one, ends the run before anything is sent to it.
    bool verifie = false;
    QString enCours;
    const auto interrompu = [&] {
        // An exchange left unfinished is shown as it is, without sending anything more.
        TestTalker(session);
        erreurs << "tessaline-cli: Interrompu"
                << (enCours.isEmpty() ? QString() : QStringLiteral(" : ") + enCours) << Qt::endl;
        return StatutInterrompu;
    };
    for (const CommandeCli& commande : ligne.commandes) {
        // A signal caught since the last wait is handed on here.
        session.horloge().processEvents();
        if (session.liaison.interruption) return interrompu();
        enCours = (QStringList{commande.nom} + commande.arguments).join(u' ');
        const QStringList& a = commande.arguments;
        const bool cible = commande.nom != "info" && commande.nom != "disasm";
        if (cible && !verifie) {
            verifie = true;
            if (commande.nom != "load-talker") {
                TestTalker(session);
                if (session.liaison.interruption) return interrompu();
                if (commande.nom == "test-talker") {
                    afficherEtat(session, sortie);
                    if (!session.liaison.talkerPresent) return 1;
                    continue;
                }
                if (!session.liaison.talkerPresent) {
                    erreurs << QStringLiteral("tessaline-cli: Pas de Talker : %1 n'est pas lanc\u00e9")
                                   .arg(enCours)
                            << Qt::endl;
                    return 1;
                }
            }
        }
        if (commande.nom == "info") {
            afficherInfo(session, emplacementReglages, sortie);
        } else if (commande.nom == "disasm") {
            const QString adresse = completer(a.value(1, QStringLiteral("0")), 4);
            const Desassemblage d =
                DesassInstr(a[0], adresse, session.registres.RegIX, session.registres.RegIY);
            sortie << d.ligne << '\n' << "L=" << d.LongInstr << " D=" << d.AdrDest << '\n';
            sortie.flush();
        } else if (commande.nom == "load-talker") {
            // Unlike the windows, nobody may be there to press Cancel: the wait
            // for the board's reset is bounded by the time-out.
            echec |= chargerTalker(session, session.config.Timeout) != ResultatChargement::Charge;
            afficherEtat(session, sortie);
        } else if (commande.nom == "test-talker") {
            TestTalker(session);
            afficherEtat(session, sortie);
            echec |= !session.liaison.talkerPresent;
        } else if (commande.nom == "regs") {
            chargerRegistres(session);
            // Registers that did not come from the target are not printed.
            if (session.liaison.talkerPresent)
                afficherRegistres(session, sortie);
            else
                echec = true;
        } else if (!commandeProgrammation(session, commande, ecran, ligne.options.yes, sortie, erreurs,
                                          echec)) {
            console(session, commande.nom, a);
        }
        if (session.liaison.interruption) return interrompu();
    }
    return echec || ecran.reports() > 0 ? 1 : 0;
}

} // namespace tessaline
