// tessaline-cli: the command-line front end, on a serial port or on the
// in-process simulated board (--simulate, in virtual time).
#include "board_clock.h"
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
#include "sim/board.h"
#include "sim/chip.h"
#include "sim_serial_line.h"

#include <QCoreApplication>
#include <QTextStream>
#include <QTime>

#include <memory>

using namespace tessaline;

namespace {

// Loads the settings into a session and applies the command line's overrides.
bool preparer(Session& session, SettingsStore& reglages, const OptionsGlobales& options, QString& erreur) {
    WindowLayout disposition;
    IniComboHard(session);
    ChargerConfig(session, reglages, disposition, QCoreApplication::applicationDirPath());
    return appliquerOptions(session, options, erreur);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tessaline"));
    QTextStream sortie(stdout);
    QTextStream erreurs(stderr);
    auto usage = [&](const QString& texte) {
        erreurs << "tessaline-cli: " << texte << Qt::endl;
        return 2;
    };

    QString erreur;
    const auto ligne = analyserLigneCommande(app.arguments().mid(1), erreur);
    if (!ligne) return usage(erreur);

    std::unique_ptr<SettingsStore> reglages = ligne->options.settings.isEmpty()
                                                  ? std::make_unique<SettingsStore>()
                                                  : std::make_unique<SettingsStore>(ligne->options.settings);
    ConsoleScreen ecran(sortie, erreurs);
    ecran.setAnswerYes(ligne->options.yes);

    if (!ligne->options.simulate) {
        QtSerialLine ligneSerie;
        QtEventClock horloge;
        Session session(ligneSerie, horloge, ecran);
        if (!preparer(session, *reglages, ligne->options, erreur)) return usage(erreur);
        return executerCommandes(session, *ligne, ecran, reglages->emplacement(), sortie);
    }

    // The simulated board is the configured chip with the configured crystal,
    // so that the prepared Talker fits it as it would fit the real board.
    Configuration config;
    {
        QtSerialLine inutilisee;
        QtEventClock horloge;
        Session apercu(inutilisee, horloge, ecran);
        if (!preparer(apercu, *reglages, ligne->options, erreur)) return usage(erreur);
        config = apercu.config;
    }
    const hc11::ChipDescription* puce = hc11::findChip(config.HardWare.toStdString());
    if (!puce) return usage(QStringLiteral("--simulate: no simulated chip named ") + config.HardWare);
    hc11::Board board(*puce, static_cast<uint32_t>(config.Quartz.toInt()) * 1'000'000u);
    SimSerialLine ligneSimulee(board);
    BoardClock horloge(ligneSimulee, QTime::currentTime().msecsSinceStartOfDay() / 1000.0);
    Session session(ligneSimulee, horloge, ecran);
    // The board leaves reset when the download waits for it.
    session.attenteResetCarte = [&board] { board.resetBootstrap(); };
    if (!preparer(session, *reglages, ligne->options, erreur)) return usage(erreur);
    return executerCommandes(session, *ligne, ecran, reglages->emplacement(), sortie);
}
