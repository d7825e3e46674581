// tessaline-cli: the command-line front end, on a serial port or on the
// in-process simulated board (--simulate, in virtual time).
#include "board_clock.h"
#include "cli/cli_commands.h"
#include "cli/cli_interruption.h"
#include "cli/cli_options.h"
#include "cli/command_line.h"
#include "cli/console_screen.h"
#include "config/config_persistence.h"
#include "config/crystal_table.h"
#include "config/settings_store.h"
#include "example_files.h"
#include "link/qt_event_clock.h"
#include "link/qt_serial_line.h"
#include "link/session.h"
#include "operations/options_commit.h"
#include "operations/session_config.h"
#include "sim/board.h"
#include "sim/chip.h"
#include "sim/eeprom_image.h"
#include "sim_board_tools.h"
#include "sim_serial_line.h"

#include <QCoreApplication>
#include <QTextStream>
#include <QTime>

#include <memory>
#include <unistd.h>

using namespace tessaline;

namespace {

// The session takes the stored configuration, then the command line's choice.
// Its clock hands a caught SIGINT or SIGTERM on as the interruption request.
int executer(SerialLine& ligneSerie, EventClock& horloge, const ConfigurationLue& lue,
             const Configuration& choix, const LigneCommande& ligne, ConsoleScreen& ecran,
             const QString& emplacement, QTextStream& sortie, QTextStream& erreurs,
             const std::function<void(Session&)>& preparer = {}) {
    Session* courante = nullptr;
    HorlogeInterruptible interruptible(horloge, [&courante] {
        if (courante) transmettreSignal(*courante);
    });
    Session session(ligneSerie, interruptible, ecran);
    courante = &session;
    if (preparer) preparer(session);
    appliquerConfiguration(session, lue);
    ValiderOptions(session, choix, nullptr, false);
    const int statut = executerCommandes(session, ligne, ecran, emplacement, sortie, erreurs);
    if (statut == StatutInterrompu && SignauxInterruption::signalRecu() != 0)
        return 128 + SignauxInterruption::signalRecu();
    return statut;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tessaline"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TESSALINE_VERSION));
    QTextStream sortie(stdout);
    QTextStream erreurs(stderr);
    auto usage = [&](const QString& texte) {
        erreurs << "tessaline-cli: " << texte << Qt::endl;
        return 2;
    };

    const QStringList arguments = app.arguments().mid(1);
    // --help and --version answer wherever they stand, the first of them given.
    for (const QString& a : arguments) {
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            sortie << texteUsage();
            sortie.flush();
            return 0;
        }
        if (a == QLatin1String("--version")) {
            sortie << "tessaline-cli " << TESSALINE_VERSION << Qt::endl;
            return 0;
        }
    }
    QString erreur;
    auto ligne = analyserLigneCommande(arguments, erreur);
    if (!ligne) return usage(erreur);
    // The S-record files of program and verify are found by name among the
    // examples, as --eeprom's are, unless an assemble of the line comes first:
    // the file is then the one it writes.
    for (qsizetype i = 0; i < ligne->commandes.size(); ++i) {
        CommandeCli& c = ligne->commandes[i];
        if ((c.nom == "program" || c.nom == "verify") && !c.arguments.isEmpty() && !assembleAvant(*ligne, i))
            c.arguments[0] = QString::fromStdString(cheminExemple(c.arguments[0].toStdString()));
    }
    // Symbols are read before anything runs, unless an assemble will write
    // them: each command then reads them when its turn comes.
    ligne->symbolesALaDemande = assembleAvant(*ligne, ligne->commandes.size());
    if (!ligne->symbolesALaDemande && !resoudreSymboles(*ligne, erreur)) return usage(erreur);

    std::unique_ptr<SettingsStore> reglages = ligne->options.settings.isEmpty()
                                                  ? std::make_unique<SettingsStore>()
                                                  : std::make_unique<SettingsStore>(ligne->options.settings);
    // A settings name that leads to a device or a pipe is neither read nor
    // written: the run goes on with the defaults, and says so.
    if (!reglages->refus().isEmpty())
        erreurs << "tessaline-cli: " << reglages->refus()
                << QStringLiteral(" : r\u00e9glages par d\u00e9faut") << Qt::endl;
    // Checked before any port is opened or anything is sent.
    const ConfigurationLue lue = lireConfiguration(*reglages, QCoreApplication::applicationDirPath());
    Configuration choix = lue.configuration;
    if (!appliquerOptionsLigne(choix, lue.profils, ligne->options, erreur)) return usage(erreur);

    ConsoleScreen ecran(sortie, erreurs);
    ecran.setAnswerYes(ligne->options.yes);
    ecran.setProgressionTerminal(isatty(STDERR_FILENO) != 0);
    SignauxInterruption signaux;

    if (!ligne->options.simulate) {
        QtSerialLine ligneSerie;
        QtEventClock horloge;
        return executer(ligneSerie, horloge, lue, choix, *ligne, ecran, reglages->emplacement(), sortie,
                        erreurs);
    }

    // The simulated board is the chosen chip with the chosen crystal, so that
    // the prepared Talker fits it as it would fit the real board.
    const hc11::ChipDescription* puce = hc11::findChip(choix.HardWare.toStdString());
    if (!puce) return usage(QStringLiteral("--simulate: no simulated chip named ") + choix.HardWare);
    hc11::Board board(*puce, static_cast<uint32_t>(reglageQuartz(choix.Quartz)->mhz) * 1'000'000u);
    if (!ligne->options.eeprom.isEmpty()) {
        std::string refus;
        const auto chargee =
            hc11::loadEepromImage(board, cheminExemple(ligne->options.eeprom.toStdString()), refus);
        if (chargee == hc11::EepromImageLoad::Refused) return usage(QString::fromStdString(refus));
        if (chargee == hc11::EepromImageLoad::Unreadable) {
            erreurs << "tessaline-cli: " << QString::fromStdString(refus) << Qt::endl;
            return 1;
        }
    }
    board.setHistoryCapacity(InstructionsHistorique);
    SimSerialLine ligneSimulee(board);
    BoardClock horloge(ligneSimulee, QTime::currentTime().msecsSinceStartOfDay() / 1000.0);
    SimBoardTools outils([&board]() -> hc11::Board& { return board; });
    // The board leaves reset when the download waits for it.
    return executer(ligneSimulee, horloge, lue, choix, *ligne, ecran, reglages->emplacement(), sortie,
                    erreurs, [&board, &outils](Session& session) {
                        session.attenteResetCarte = [&board] { board.resetBootstrap(); };
                        session.outilsCarte = &outils;
                    });
}
