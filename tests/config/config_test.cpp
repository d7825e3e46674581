// The settings: the store's sections and keys, what a stored file gives and what is
// written back, and the Talker adapted to the crystal and rate.
#include "config/config_persistence.h"
#include "config/crystal_table.h"
#include "config/hardware_profiles.h"
#include "config/talker_adaptation.h"
#include "config_fixture.h"
#include "link/talker_image.h"

#include <QDir>
#include <QFileInfo>
#include <cmath>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tessaline::test {
namespace {

TEST(SettingsStore, WritingReplacesEveryOtherSpellingOfTheKey) {
    FichiersReglages fichiers;
    const QString chemin = fichiers.ecrire("[config]\nTailleEEprom=2048\nPort=COM1\n");
    {
        SettingsStore store(chemin);
        store.ecrireDouble("Config", "TailleEeprom", 1024);
        ASSERT_TRUE(store.sync());
    }
    const QSettings brut(chemin, QSettings::IniFormat);
    EXPECT_EQ(brut.childGroups(), QStringList{"config"}) << "a second section of the same name was made";
    EXPECT_EQ(brut.allKeys(), (QStringList{"config/Port", "config/TailleEeprom"}));
    EXPECT_EQ(SettingsStore(chemin).lire("CONFIG", "TailleEEprom"), "1024");
}

TEST(SettingsStore, TextValuesRoundTripThroughANewStore) {
    const QStringList valeurs = {"a,b,c",
                                 "C:\\Prog, v2\\AS11.EXE",
                                 " blancs autour ",
                                 "x=y;z # w",
                                 "@Invalid()",
                                 "\"guillemets\"",
                                 "éàç",
                                 "",
                                 "ligne1\nligne2",
                                 "/dev/ttyUSB0"};
    FichiersReglages fichiers;
    const QString chemin = fichiers.nouveau();
    {
        SettingsStore store(chemin);
        for (int i = 0; i < valeurs.size(); ++i)
            store.ecrire("File", QStringLiteral("File%1").arg(i), valeurs[i]);
        ASSERT_TRUE(store.sync());
    }
    const SettingsStore relu(chemin);
    for (int i = 0; i < valeurs.size(); ++i)
        EXPECT_EQ(relu.lire("File", QStringLiteral("File%1").arg(i), "<absent>"), valeurs[i]);
}

TEST(SettingsStore, NumbersThatDoNotConvertTakeTheDefault) {
    struct Cas {
        const char* texte;
        int entier16; // read with default 1200
        double reel;  // read with default 512 within [1, 65536]
        float simple; // read with default 7485
    };
    const Cas cas[] = {
        {"abc", 1200, 512, 7485},        {"", 1200, 512, 7485},
        {" 9600 ", 9600, 9600, 9600},    {"32767", 32767, 32767, 32767},
        {"-32768", -32768, 512, -32768}, {"32768", 1200, 32768, 32768},
        {"-32769", 1200, 512, -32769},   {"1024.5", 1200, 1024.5, 1024.5},
        {"65536", 1200, 65536, 65536},   {"65537", 1200, 512, 65537},
        {"1e3", 1200, 1000, 1000},       {"1e39", 1200, 512, 7485},
        {"nan", 1200, 512, 7485},        {"inf", 1200, 512, 7485},
        {"0x10", 1200, 512, 7485},       {"12abc", 1200, 512, 7485},
    };
    FichiersReglages fichiers;
    const QString chemin = fichiers.nouveau();
    {
        SettingsStore store(chemin);
        for (size_t i = 0; i < std::size(cas); ++i)
            store.ecrire("Config", QStringLiteral("K%1").arg(i), cas[i].texte);
        ASSERT_TRUE(store.sync());
    }
    const SettingsStore store(chemin);
    for (size_t i = 0; i < std::size(cas); ++i) {
        const Cas& c = cas[i];
        const QString cle = QStringLiteral("K%1").arg(i);
        SCOPED_TRACE(c.texte);
        EXPECT_EQ(store.lireEntier16("Config", cle, 1200), c.entier16);
        EXPECT_EQ(store.lireDouble("Config", cle, 512, 1, 65536), c.reel);
        EXPECT_EQ(store.lireSimple("Config", cle, 7485), c.simple);
    }
}

// Whole numbers are pinned by the golden file; a decimal must not come back
// as the binary number's long expansion ("0.100000001").
TEST(SettingsStore, DecimalsAreWrittenAsShortestText) {
    FichiersReglages fichiers;
    const QString chemin = fichiers.nouveau();
    {
        SettingsStore store(chemin);
        store.ecrireDouble("Config", "Dixieme", 0.1);
        store.ecrireSimple("Settings", "Dixieme", 0.1f);
        ASSERT_TRUE(store.sync());
    }
    EXPECT_EQ(texteBrut(chemin, "Config/Dixieme"), "0.1");
    EXPECT_EQ(texteBrut(chemin, "Settings/Dixieme"), "0.1");
    const SettingsStore relu(chemin);
    EXPECT_EQ(relu.lireSimple("Settings", "Dixieme", 0), 0.1f);
    EXPECT_EQ(relu.lireDouble("Config", "Dixieme", 0), 0.1);
}

// QSettings reads and writes its file by itself: a store whose name leads to
// a pipe (standing in for a device node) is refused, and neither the pipe nor
// the link is touched, even when the store goes. (A link to a regular file is
// taken: FichiersOrdinaires.ALinkIsFollowedAndTheOldPermissionsKept.)
TEST(SettingsStore, OnlyARegularFileIsWritten) {
    FichiersReglages fichiers;
    const QString tube = fichiers.dossier() + QStringLiteral("/tube");
    ASSERT_EQ(::mkfifo(QFile::encodeName(tube).constData(), 0644), 0);
    const QString lien = fichiers.nouveau();
    ASSERT_TRUE(QFile::link(tube, lien));
    {
        // QSettings would wait for ever for a writer to read the pipe.
        SettingsStore store(lien);
        EXPECT_EQ(store.refus(), lien + " n'est pas un fichier ordinaire (un tube nomm\u00e9)");
        EXPECT_EQ(store.emplacement(), lien);
        store.ecrire("Config", "Port", "COM2");
        EXPECT_EQ(store.lire("Config", "Port", "<absent>"), "<absent>");
        EXPECT_FALSE(store.sync());
    }
    EXPECT_TRUE(QFileInfo(lien).isSymLink());
    EXPECT_FALSE(QFileInfo(tube).isFile());
}

// Reading and writing the configuration: pure functions of the store, tested
// without any session, port or window.
class ConfigTest : public ::testing::Test {
protected:
    // A new store object for every reading and writing, as each run of the
    // program has.
    ConfigurationLue lire(const QString& chemin) {
        return lireConfiguration(SettingsStore(chemin), fichiers.dossier());
    }
    ConfigurationLue lireTexte(const QByteArray& texte) { return lire(fichiers.ecrire(texte)); }
    QString ecrire(const ConfigurationLue& lue) {
        const QString chemin = fichiers.nouveau();
        SettingsStore store(chemin);
        EXPECT_TRUE(ecrireConfiguration(store, lue.configuration, lue.profils, lue.disposition));
        return chemin;
    }
    QString golden() {
        QFile source(QStringLiteral(CONFIG_GOLDEN));
        EXPECT_TRUE(source.open(QIODevice::ReadOnly));
        return fichiers.ecrire(source.readAll());
    }

    FichiersReglages fichiers; // its folder stands for the program's own too
};

void comparerProfils(const QVector<ProfilMateriel>& lus, const QVector<ProfilMateriel>& attendus) {
    ASSERT_EQ(lus.size(), attendus.size());
    for (int i = 0; i < lus.size(); ++i) {
        EXPECT_EQ(lus[i].nom, attendus[i].nom);
        EXPECT_EQ(lus[i].carte(), attendus[i].carte()) << attendus[i].nom.toStdString();
    }
}

// The golden file is what the program writes: users' files hold these
// sections and key names, so that a renamed member or key fails here.
TEST_F(ConfigTest, GoldenFileReadsIntoTheConfigurationWithoutASession) {
    const ConfigurationLue lue = lire(golden());
    const Configuration& c = lue.configuration;
    EXPECT_EQ((QStringList{c.Port, c.HardWare, c.Quartz}), (QStringList{"COM4", "Carte labo 1", "16"}));
    EXPECT_EQ(std::pair(c.Baud, c.Timeout), std::pair(19200, 15000));
    EXPECT_EQ(c.carte(), (CarteMemoire{300, 100, 0x2000, 0xB000}));
    EXPECT_EQ((QStringList{c.FichCompilateur, c.FichCompilateurSYM, c.FichCompilateurBAT}),
              (QStringList{"ASM11", "asm11sym", "build.sh"}));
    EXPECT_EQ((QStringList{c.FichierCompilateur, c.FichierCompilateurSYM, c.FichierCompilateurBAT}),
              (QStringList{"/opt/hc11/bin/ASM11", "/opt/hc11/bin/asm11sym", "/home/u/build, v2.sh"}));
    EXPECT_FALSE(c.CompilateurDisponible);
    EXPECT_EQ(c.LastFichier, "/home/u/projets");
    EXPECT_EQ(c.FichiersRecents,
              (std::array<QString, 4>{"/home/u/a.asm", "/home/u/dossier, avec virgule/b.asm", "C:\\TP\\c.asm",
                                      ""}));
    EXPECT_EQ(c.Peripheriques,
              (std::array<QString, 4>{"/dev/ttyUSB0", "/dev/ttyS1", "/dev/pts/7", "/dev/ttyACM0"}));
    // The Talker is prepared for 16 MHz: the boot ROM listens at 2400 baud.
    EXPECT_EQ(c.BootBaud, 2400);
    EXPECT_EQ(c.TalkerPrepare.size(), 257);
    EXPECT_EQ((std::pair{c.QuartzTalker, c.BaudTalker}), (std::pair{c.Quartz, c.Baud}));

    QVector<ProfilMateriel> profils = profilsIntegres();
    profils.append({"Carte labo 1", {300, 100, 0x2000, 0xB000}});
    profils.append({"68HC11E9", {512, 768, 16, 0xB600}});
    comparerProfils(lue.profils, profils);

    const WindowLayout& d = lue.disposition;
    EXPECT_EQ((std::array{d.MainLeft, d.MainTop, d.MainWidth, d.MainHeight}),
              (std::array{110.5f, -30.f, 11775.f, 7485.5f}));
    EXPECT_EQ((std::array{d.frmMainWindowState, d.frmTraceCommandesWindowState, d.frmMemoireWindowState}),
              (std::array<int, 3>{FenetreMaximisee, FenetreMaximisee, FenetreNormale}));
}

TEST_F(ConfigTest, WritingWhatWasReadGivesTheGoldenFileBack) {
    const QString attendu = golden();
    const QString ecrit = ecrire(lire(attendu));
    const QSettings a(attendu, QSettings::IniFormat);
    const QSettings b(ecrit, QSettings::IniFormat);
    EXPECT_EQ(b.allKeys(), a.allKeys());
    for (const QString& cle : a.allKeys())
        EXPECT_EQ(b.value(cle).toString(), a.value(cle).toString()) << cle.toStdString();
}

TEST_F(ConfigTest, MinimisedWindowKeepsTheCoordinatesSavedBefore) {
    struct Fenetre {
        int WindowLayout::*etat;
        float WindowLayout::*coordonnee;
    };
    const Fenetre fenetres[] = {
        {&WindowLayout::frmMainWindowState, &WindowLayout::MainHeight},
        {&WindowLayout::frmMemoireWindowState, &WindowLayout::frmMemoireTop},
        {&WindowLayout::frmTraceCommandesWindowState, &WindowLayout::frmTraceCommandesHeight},
    };
    for (const Fenetre& f : fenetres) {
        const QString chemin = fichiers.nouveau();
        ConfigurationLue lue = lire(chemin);
        {
            SettingsStore store(chemin);
            lue.disposition.*f.coordonnee = 1234;
            ecrireConfiguration(store, lue.configuration, lue.profils, lue.disposition);
            lue.disposition.*f.coordonnee = 4321;
            lue.disposition.*f.etat = FenetreMinimisee;
            lue.disposition.frmRegistresLeft = 777; // a window that stays normal is written again
            ecrireConfiguration(store, lue.configuration, lue.profils, lue.disposition);
        }
        const WindowLayout relu = lire(chemin).disposition;
        EXPECT_EQ(relu.*f.coordonnee, 1234);
        EXPECT_EQ(relu.*f.etat, FenetreMinimisee);
        EXPECT_EQ(relu.frmRegistresLeft, 777);
    }
}

TEST_F(ConfigTest, UnreadableValuesFallBackWithoutLosingTheOthers) {
    const ConfigurationLue lue = lireTexte(
        "[Config]\nBaud=abc\ntimeout=150\nTAILLEEEPROM=2048\nDepartEEprom=63488\nFichCompilateur=\n"
        "FichCompilateurSYM=MONSYM.EXE\n"
        "[Settings]\nMainWidth=large\nfrmMemoireWindowState=7\nfrmFichiersWindowState=2\n"
        "[ConfigHardWare]\nHardWareADD=6\nHardWare0=68HC11A1\nHardWare1=68HC11E1\nHardWare2=68HC11F1\n"
        "HardWare3=68HC11811E2\nHardWare4=Carte abimee\nHardWare5=68HC11E9\n"
        "HardWare6=\"  \"\n"
        "[Carte abimee]\n"
        "TailleRam=xyz\nTailleEEprom=\nDepartRam=-5\nDepartEEprom=nan\n"
        "[68hc11e9]\n"
        "TailleRam=512\nTailleEEprom=768\nDepartRam=16\nDepartEEprom=46592\n");
    const Configuration& c = lue.configuration;
    EXPECT_EQ(std::tuple(c.Baud, c.Timeout, c.TailleEeprom, c.DepartEEprom),
              std::tuple(1200, 150, 2048.0, 0xF800));
    EXPECT_EQ(c.Port, "COM2") << "an absent key";
    EXPECT_EQ(c.FichCompilateur, Configuration().FichCompilateur) << "an empty name";
    EXPECT_EQ(c.LastFichier, fichiers.dossier());
    EXPECT_EQ(lue.disposition.MainWidth, 11775);
    EXPECT_EQ(lue.disposition.frmMemoireWindowState, FenetreNormale);
    EXPECT_EQ(lue.disposition.frmFichiersWindowState, FenetreMaximisee);
    comparerProfils(lue.profils.mid(4), {{"Carte abimee", {1024, 512, 0, 0xFE00}},
                                         {"68HC11E9", {512, 768, 16, 0xB600}},
                                         {"68HCxxxxx", {1024, 512, 0, 0xFE00}}});
}

// A negative time-out would make every wait endless (a port with no board
// behind it would hang for ever), one above the options dialog's range
// nearly so: both fall back to the default; 0 keeps its meaning.
TEST_F(ConfigTest, TimeOutOutsideTheDialogsRangeFallsBack) {
    const std::pair<const char*, int> cas[] = {{"-1", 2000},     {"-32768", 2000}, {"15001", 2000},
                                               {"15000", 15000}, {"0", 0},         {"5", 5}};
    for (const auto& [stocke, lu] : cas)
        EXPECT_EQ(lireTexte("[Config]\nTimeout=" + QByteArray(stocke) + "\n").configuration.Timeout, lu)
            << stocke;
}

// A stored crystal or rate the Talker cannot run at would prepare a Talker
// that never answers: it falls back as the options dialog does, the rate
// first (against the stored crystal's rates), then the crystal.
TEST_F(ConfigTest, CrystalAndRateTheTalkerCannotRunAtFallBack) {
    struct Cas {
        const char* lignes;
        const char* quartz;
        int baud, bootBaud;
    };
    const Cas cas[] = {
        {"Quartz=8\nBaud=19200\n", "8", 600, 1200}, {"Quartz=abc\n", "2", 600, 300},
        {"Quartz=12\nBaud=2400\n", "2", 600, 300},  {"Quartz=4\nBaud=4800\n", "4", 4800, 600},
        {"Quartz=16\nBaud=300\n", "16", 600, 2400},
    };
    for (const Cas& k : cas) {
        SCOPED_TRACE(k.lignes);
        const Configuration c = lireTexte(QByteArray("[Config]\n") + k.lignes).configuration;
        EXPECT_EQ(c.Quartz, k.quartz);
        EXPECT_EQ(c.Baud, k.baud);
        EXPECT_EQ(c.BootBaud, k.bootBaud);
    }
}

// The simulated board has no cable: with no rate stored it runs at the fastest
// its crystal allows, which is not written back unless the user changes it; a
// stored rate, or a real port, keeps the usual reading.
TEST_F(ConfigTest, SimulatedBoardWithNoRateStoredRunsAtTheCrystalsFastest) {
    const QString sansBaud = fichiers.ecrire("[Config]\nQuartz=16\n");
    const ConfigurationLue port = lire(sansBaud);
    EXPECT_EQ(port.configuration.Baud, 1200);
    EXPECT_FALSE(port.baudNonStocke);
    EXPECT_EQ(lireConfiguration(SettingsStore(fichiers.ecrire("[Config]\nBaud=2400\n")), fichiers.dossier(),
                                Liaison::CarteSimulee)
                  .configuration.Baud,
              2400);

    ConfigurationLue lue =
        lireConfiguration(SettingsStore(sansBaud), fichiers.dossier(), Liaison::CarteSimulee);
    EXPECT_EQ(lue.configuration.Baud, 19200);
    EXPECT_EQ(lue.baudNonStocke, 19200);
    EXPECT_EQ(lue.configuration.BaudTalker, 19200) << "the Talker is prepared for it";
    for (const auto& [baud, ecrit] : {std::pair{19200, "<absent>"}, std::pair{4800, "4800"}}) {
        lue.configuration.Baud = baud;
        const QString chemin = fichiers.nouveau();
        SettingsStore store(chemin);
        ASSERT_TRUE(
            ecrireConfiguration(store, lue.configuration, lue.profils, lue.disposition, lue.baudNonStocke));
        EXPECT_EQ(texteBrut(chemin, QStringLiteral("Config/Baud")), ecrit);
        EXPECT_EQ(texteBrut(chemin, QStringLiteral("Config/Quartz")), "16");
    }
}

TEST_F(ConfigTest, MemoryBlocksStayInsideTheAddressSpace) {
    struct Cas {
        const char* lignes;
        double taille, depart;
    };
    const Cas cas[] = {
        {"TailleEEprom=256\nDepartEEprom=65280\n", 256, 0xFF00},
        {"DepartEEprom=70000\n", 512, 0xFE00},
        {"DepartEEprom=65280\n", 512, 0xFE00}, // 512 bytes from $FF00 would pass $FFFF
        {"TailleEEprom=4096\nDepartEEprom=61440\n", 4096, 0xF000},
        {"TailleEEprom=0\nDepartEEprom=4096\n", 512, 0x1000},
    };
    for (const Cas& k : cas) {
        SCOPED_TRACE(k.lignes);
        const Configuration c = lireTexte(QByteArray("[Config]\n") + k.lignes).configuration;
        EXPECT_EQ(c.TailleEeprom, k.taille);
        EXPECT_EQ(c.DepartEEprom, k.depart);
    }
}

TEST_F(ConfigTest, ProfileListFollowsHardWareADD) {
    const QStringList integres = {"68HC11A1", "68HC11E1", "68HC11F1", "68HC11811E2"};
    const std::pair<const char*, QStringList> cas[] = {
        {"3", {"A", "B", "C", "D"}},
        {"4", {"A", "B", "C", "D", "E"}},
        {"2", {"A", "B", "C"}},
        {"0", integres},
        {"-1", integres},
        {"trois", integres},
    };
    for (const auto& [dernier, noms] : cas) {
        SCOPED_TRACE(dernier);
        const ConfigurationLue lue = lireTexte(QByteArray("[ConfigHardWare]\nHardWareADD=") + dernier +
                                               "\nHardWare0=A\nHardWare1=B\nHardWare2=C\nHardWare3=D\n"
                                               "HardWare4=E\n[A]\nTailleRam=128\n");
        QStringList lus;
        for (const ProfilMateriel& p : lue.profils)
            lus << p.nom;
        EXPECT_EQ(lus, noms);
        EXPECT_EQ(lue.profils[0].TailleRam, noms.first() == "A" ? 128 : 256);
    }
}

TEST_F(ConfigTest, BlankProfileNameIsKeptAsANewProfile) {
    ConfigurationLue lue = lire(fichiers.nouveau());
    lue.profils.append({"   ", {300, 100, 0x2000, 0xB000}});
    comparerProfils(lire(ecrire(lue)).profils.mid(4), {{"68HCxxxxx", {300, 100, 0x2000, 0xB000}}});
}

TEST_F(ConfigTest, AssemblerFilesAreFoundInTheProgramFolder) {
    auto creer = [&](const QString& nom, int taille) {
        QFile f(QDir(fichiers.dossier()).filePath(nom));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(taille, 'x'));
    };
    // With no name stored, the defaults name the assembler (which also writes
    // the symbols) and the compile script installed beside the program.
    const Configuration defauts;
    const QString assembleur = defauts.FichCompilateur.toUpper();
    creer(assembleur, 10);
    creer(defauts.FichCompilateurBAT, 5);
    const Configuration c = lire(fichiers.nouveau()).configuration;
    EXPECT_EQ(c.FichierCompilateur, QDir::toNativeSeparators(fichiers.dossier() + "/" + assembleur))
        << "found whatever the case of its name";
    EXPECT_EQ(c.FichierCompilateurSYM, c.FichierCompilateur);
    EXPECT_EQ(c.FichierCompilateurBAT,
              QDir::toNativeSeparators(fichiers.dossier() + "/" + defauts.FichCompilateurBAT));
    EXPECT_TRUE(c.CompilateurDisponible);

    // Installed, the compile script lies in the helper folder, apart from the programs.
    const QDir dossier(fichiers.dossier());
    const QString bin = dossier.filePath(QStringLiteral("bin"));
    const QString aide = QDir::cleanPath(bin + QStringLiteral("/" TESSALINE_HELPER_FROM_BIN));
    ASSERT_TRUE(dossier.mkpath(bin) && dossier.mkpath(aide));
    ASSERT_TRUE(QFile::rename(dossier.filePath(assembleur), bin + "/" + assembleur));
    ASSERT_TRUE(
        QFile::rename(dossier.filePath(defauts.FichCompilateurBAT), aide + "/" + defauts.FichCompilateurBAT));
    const Configuration installe = lireConfiguration(SettingsStore(fichiers.nouveau()), bin).configuration;
    EXPECT_EQ(installe.FichierCompilateur, QDir::toNativeSeparators(bin + "/" + assembleur));
    EXPECT_EQ(installe.FichierCompilateurBAT,
              QDir::toNativeSeparators(aide + "/" + defauts.FichCompilateurBAT));
    EXPECT_TRUE(installe.CompilateurDisponible);

    // A stored path wins over the program folder, even when it names nothing.
    const Configuration d =
        lireTexte("[Config]\nFichierCompilateurBAT=/nulle/part/COMPILE.BAT\n").configuration;
    EXPECT_EQ(d.FichierCompilateurBAT, "/nulle/part/COMPILE.BAT");
    EXPECT_FALSE(d.CompilateurDisponible);
}

// Wire bytes (sync byte = 0) the adaptation may write.
constexpr int BaudHote = 0xD1, CompteCourt = 0xD3, CompteProgHote = 0xD5, CompteProg = 0xFD, Baud = 0xFF;

QByteArray imageStockee() {
    return QByteArray::fromHex(TalkerImageHex);
}

int mot(const QByteArray& b, int k) {
    return static_cast<quint8>(b[k]) << 8 | static_cast<quint8>(b[k + 1]);
}

// TalkerDownload (integration) proves every combination loads and answers on
// the simulated board; what it cannot see is the EEPROM programming delay and
// any byte written outside the parameters.
TEST(AdapteTalker, EveryCombinationPatchesOnlyItsParametersAndScalesTheDelay) {
    const QByteArray stockee = imageStockee();
    ASSERT_EQ(stockee.size(), talker::WireBytes);
    const double compteParMhz = mot(stockee, CompteProg) / 8.0; // the image is built for 8 MHz
    for (const ReglageQuartz& q : tableQuartz())
        for (const VitesseTalker& v : q.vitesses) {
            SCOPED_TRACE(std::string(q.quartz) + " MHz " + std::to_string(v.baud));
            Configuration config;
            config.Quartz = q.quartz;
            config.Baud = v.baud;
            AdapteTalker(config);
            const QByteArray& p = config.TalkerPrepare;
            ASSERT_EQ(p.size(), talker::WireBytes);
            EXPECT_EQ(static_cast<quint8>(p[0]), 0xFF);
            for (int k = 0; k < talker::WireBytes; ++k) {
                const bool parametre = k == BaudHote || k == Baud ||
                                       (k >= CompteCourt && k <= CompteProgHote + 1) || k == CompteProg ||
                                       k == CompteProg + 1;
                if (!parametre) {
                    EXPECT_EQ(p[k], stockee[k]) << "wire byte $" << std::hex << k;
                }
            }
            EXPECT_EQ(p[BaudHote], p[Baud]) << "the host's copy of BAUD is the one loaded";
            EXPECT_EQ(mot(p, CompteProgHote), mot(p, CompteProg));
            // The 10 ms delay is counted in E cycles (E = crystal / 4), the
            // short count a fifth of it (MC68HC11 reference manual 4.4).
            const int prog = mot(p, CompteProg);
            EXPECT_EQ(mot(p, CompteCourt), prog / 5);
            EXPECT_NEAR(prog / compteParMhz, q.mhz, q.mhz * 0.02);
        }
}
TEST(AdapteTalker, ACombinationWithoutEntryLeavesTheImageAndBootRate) {
    const std::pair<const char*, int> sansEntree[] = {{"2", 4800}, {"2", 9600},  {"4", 9600}, {"8", 19200},
                                                      {"8", 300},  {"12", 1200}, {"", 1200},  {"16", 38400}};
    for (const auto& [quartz, baud] : sansEntree) {
        SCOPED_TRACE(std::string(quartz) + " MHz " + std::to_string(baud));
        Configuration config;
        config.Quartz = "2";
        config.Baud = 600;
        AdapteTalker(config); // a previous adaptation must not linger
        config.Quartz = quartz;
        config.Baud = baud;
        AdapteTalker(config);
        EXPECT_EQ(config.BootBaud, 300);
        EXPECT_EQ(config.TalkerPrepare, imageStockee());
    }
}

} // namespace
} // namespace tessaline::test
