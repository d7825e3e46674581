#include "cli/cli_commands.h"

#include "config/talker_adaptation.h"
#include "link/conversions.h"
#include "link/serial_port.h"

namespace tessaline {

bool appliquerOptions(Session& session, const OptionsGlobales& options, QString& erreur) {
    Configuration& c = session.config;
    if (options.port) c.Port = *options.port;
    if (options.hardware) {
        const auto it = std::find_if(session.profils.cbegin(), session.profils.cend(),
                                     [&](const ProfilMateriel& p) { return p.nom == *options.hardware; });
        if (it == session.profils.cend()) {
            QStringList noms;
            for (const ProfilMateriel& p : session.profils)
                noms << p.nom;
            erreur = QStringLiteral("--hardware: no profile named ") + *options.hardware +
                     QStringLiteral(" (known: ") + noms.join(QStringLiteral(", ")) + u')';
            return false;
        }
        c.HardWare = it->nom;
        c.TailleRam = it->TailleRam;
        c.TailleEeprom = it->TailleEeprom;
        c.DepartRam = it->DepartRam;
        c.DepartEEprom = it->DepartEEprom;
        session.console.CmdAdresse = DecHexa4(c.DepartEEprom);
    }
    if (options.quartz) c.Quartz = *options.quartz;
    if (options.baud) c.Baud = *options.baud;
    if (options.timeout) c.Timeout = *options.timeout;
    AdapteTalker(c);
    return true;
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
    for (const CommandeCli& commande : ligne.commandes) {
        if (commande.nom == "info") afficherInfo(session, emplacementReglages, sortie);
    }
    return ecran.reports() > 0 ? 1 : 0;
}

} // namespace tessaline
