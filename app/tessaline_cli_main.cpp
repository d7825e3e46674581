// tessaline-cli: the command-line front end.
#include "cli/cli_commands.h"
#include "cli/command_line.h"
#include "cli/console_screen.h"
#include "config/config_persistence.h"
#include "config/hardware_profiles.h"
#include "config/settings_store.h"
#include "config/window_layout.h"
#include "link/qt_event_clock.h"
#include "link/qt_serial_line.h"
#include "link/session.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>

using namespace tessaline;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tessaline"));
    QTextStream sortie(stdout);
    QTextStream erreurs(stderr);

    QString erreur;
    const auto ligne = analyserLigneCommande(app.arguments().mid(1), erreur);
    if (!ligne) {
        erreurs << "tessaline-cli: " << erreur << Qt::endl;
        return 2;
    }

    std::unique_ptr<SettingsStore> reglages = ligne->options.settings.isEmpty()
                                                  ? std::make_unique<SettingsStore>()
                                                  : std::make_unique<SettingsStore>(ligne->options.settings);
    QtSerialLine ligneSerie;
    QtEventClock horloge;
    ConsoleScreen ecran(sortie, erreurs);
    ecran.setAnswerYes(ligne->options.yes);
    Session session(ligneSerie, horloge, ecran);

    WindowLayout disposition;
    IniComboHard(session);
    ChargerConfig(session, *reglages, disposition, QCoreApplication::applicationDirPath());
    if (!appliquerOptions(session, ligne->options, erreur)) {
        erreurs << "tessaline-cli: " << erreur << Qt::endl;
        return 2;
    }
    return executerCommandes(session, *ligne, ecran, reglages->emplacement(), sortie);
}
