#include "cli/cli_options.h"

#include "config/hardware_profiles.h"
#include "operations/options_commit.h"

#include <QStringList>

namespace tessaline {

bool appliquerOptionsLigne(Configuration& choix, const QVector<ProfilMateriel>& profils,
                           const OptionsGlobales& options, QString& erreur) {
    if (options.port) choix.Port = *options.port;
    if (options.hardware) {
        const ProfilMateriel* profil = trouverProfil(profils, *options.hardware);
        if (!profil) {
            QStringList noms;
            for (const ProfilMateriel& p : profils)
                noms << p.nom;
            erreur = QStringLiteral("--hardware: no profile named ") + *options.hardware +
                     QStringLiteral(" (known: ") + noms.join(QStringLiteral(", ")) + u')';
            return false;
        }
        choix.HardWare = profil->nom;
        choix.carte() = profil->carte();
    }
    if (options.quartz) choix.Quartz = *options.quartz;
    if (options.baud) choix.Baud = *options.baud;
    if (options.timeout) choix.Timeout = *options.timeout;
    erreur = refusQuartzBaud(choix.Quartz, choix.Baud);
    return erreur.isEmpty();
}

} // namespace tessaline
