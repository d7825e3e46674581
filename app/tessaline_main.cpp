// tessaline: the windows, on a serial port or on the simulated board
// (--simulate, in real time; --eeprom FILE.S19 starts it with that EEPROM image).
// --help and --version print the usage or the version and end, without a display.
// For measuring: --quit-when-ready ends once the start-up sequence is done;
// --load-talker loads the Talker once it is done, as the Load Talker button
// does, and says on standard output how the load ended.
#include "config/config_persistence.h"
#include "config/crystal_table.h"
#include "config/settings_store.h"
#include "example_files.h"
#include "link/qt_event_clock.h"
#include "link/qt_serial_line.h"
#include "link/session.h"
#include "realtime_board.h"
#include "sim/chip.h"
#include "sim/eeprom_image.h"
#include "sim_board_control.h"
#include "ui/absent_port.h"
#include "ui/console_window.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <cstring>
#include <memory>

using namespace tessaline;

namespace {

const char* const Usage =
    "usage: tessaline [--simulate [--eeprom FILE.S19]] [--settings FILE] [--quit-when-ready]\n"
    "                 [--load-talker]\n"
    "       tessaline --help | --version\n"
    "\n"
    "The windows of Tessaline, on the serial port of the settings or on the simulated board.\n"
    "\n"
    "options:\n"
    "  --simulate          the simulated board of the configured chip and crystal, in real\n"
    "                      time, instead of the serial port\n"
    "  --eeprom FILE.S19   with --simulate: the EEPROM holds the file's S1 records from the\n"
    "                      start\n"
    "  --settings FILE     read and save the settings in FILE instead of the user's\n"
    "  --quit-when-ready   print ready and quit once the windows are up (a start-up check)\n"
    "  --load-talker       load the Talker once the windows are up and print how it went\n"
    "                      (for measuring the program at rest)\n"
    "  --help, -h          print this help\n"
    "  --version           print the version\n";

struct Arguments {
    bool simuler = false;
    QString eeprom; // the simulated board's EEPROM image; empty: erased
    QString reglages;
    // For measuring the start-up: end as soon as the start-up sequence is done.
    bool finPret = false;
    // For measuring the idle board: load the Talker after the start-up.
    bool chargerTalker = false;
};

bool lireArguments(const QStringList& a, Arguments& r, QString& erreur) {
    for (int i = 1; i < a.size(); ++i) {
        if (a[i] == "--simulate") {
            r.simuler = true;
        } else if (a[i] == "--quit-when-ready") {
            r.finPret = true;
        } else if (a[i] == "--load-talker") {
            r.chargerTalker = true;
        } else if (a[i] == "--settings" && i + 1 < a.size()) {
            r.reglages = a[++i];
        } else if (a[i] == "--eeprom" && i + 1 < a.size()) {
            r.eeprom = a[++i];
        } else {
            const bool valeurManquante = a[i] == "--settings" || a[i] == "--eeprom";
            erreur =
                (valeurManquante ? QStringLiteral("tessaline: %1 needs a value")
                                 : QStringLiteral("tessaline: unknown argument %1 (see tessaline --help)"))
                    .arg(a[i]);
            return false;
        }
    }
    if (!r.eeprom.isEmpty() && !r.simuler) {
        erreur = QStringLiteral("tessaline: --eeprom goes with --simulate");
        return false;
    }
    return true;
}

int fenetres(QApplication& app, SerialLine& ligne, SettingsStore& reglages, BoardControl* board,
             const Arguments& arguments, bool autrePort = false) {
    QtEventClock horloge;
    MainWindow principale(ligne, horloge, reglages, board);
    principale.setPortAChoisir(autrePort);
    horloge.setAliveCheck([&principale] { return principale.isVisible(); });
    principale.show();
    QTimer::singleShot(0, &principale, [&] {
        principale.demarrer();
        if (arguments.finPret) {
            std::printf("ready\n");
            std::fflush(stdout);
            QApplication::exit(0);
            return;
        }
        if (arguments.chargerTalker) {
            principale.console()->cmdLOADTALKER_Click();
            std::puts(principale.session().liaison.talkerPresent ? "talker loaded" : "talker not loaded");
            std::fflush(stdout);
        }
    });
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    // Before QApplication, which needs a display: --help and --version answer
    // wherever they stand among the arguments, the first of them given.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("tessaline %s\n", TESSALINE_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(Usage, stdout);
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaline"));
    QApplication::setApplicationVersion(QStringLiteral(TESSALINE_VERSION));
    // The installed desktop entry and its icon (none when run from the build tree).
    QGuiApplication::setDesktopFileName(QStringLiteral("tessaline"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("tessaline")));
    // Qt's own buttons and dialogs in French ("Oui", "Non", "Annuler").
    QTranslator traduction;
    if (traduction.load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&traduction);

    Arguments arguments;
    QString erreur;
    if (!lireArguments(app.arguments(), arguments, erreur)) {
        std::fprintf(stderr, "%s\n", qPrintable(erreur));
        return 2;
    }
    std::unique_ptr<SettingsStore> reglages = arguments.reglages.isEmpty()
                                                  ? std::make_unique<SettingsStore>()
                                                  : std::make_unique<SettingsStore>(arguments.reglages);

    // A first start on a computer without the configured port: the simulated
    // board, or another port, as the user chooses.
    bool autrePort = false;
    if (!arguments.simuler) {
        switch (choisirDemarrage(*reglages, QApplication::applicationDirPath())) {
        case ChoixDemarrage::CarteSimulee: arguments.simuler = true; break;
        case ChoixDemarrage::AutrePort: autrePort = true; break;
        case ChoixDemarrage::Port: break;
        }
    }
    if (!arguments.simuler) {
        QtSerialLine ligne;
        return fenetres(app, ligne, *reglages, nullptr, arguments, autrePort);
    }

    // The simulated board is the configured chip with the configured crystal,
    // read before the windows exist (the crystal is always one of the table's).
    const Configuration config =
        lireConfiguration(*reglages, QApplication::applicationDirPath()).configuration;
    const hc11::ChipDescription* puce = hc11::findChip(config.HardWare.toStdString());
    if (!puce) {
        QMessageBox::warning(nullptr, QStringLiteral("Tessaline"),
                             QStringLiteral("Pas de 68HC11 simul\u00e9 nomm\u00e9 %1 : la carte simul\u00e9e "
                                            "sera un 68HC11F1.")
                                 .arg(config.HardWare));
        puce = hc11::findChip("68HC11F1");
    }
    SimBoardControl carte(*puce, static_cast<uint32_t>(reglageQuartz(config.Quartz)->mhz) * 1'000'000u);
    if (!arguments.eeprom.isEmpty()) {
        std::string refus;
        const auto chargee =
            hc11::loadEepromImage(carte.board(), cheminExemple(arguments.eeprom.toStdString()), refus);
        if (chargee != hc11::EepromImageLoad::Loaded) {
            std::fprintf(stderr, "tessaline: %s\n", refus.c_str());
            return chargee == hc11::EepromImageLoad::Refused ? 2 : 1;
        }
    }
    RealTimeBoard tempsReel(carte);
    return fenetres(app, carte.ligne(), *reglages, &carte, arguments);
}
