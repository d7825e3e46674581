// Reading and writing the configuration: pure functions of the store, tested
// without any session, port or window.
#include "config/config_persistence.h"
#include "config/hardware_profiles.h"
#include "config_fixture.h"

#include <QDir>

namespace tessaline::test {
namespace {

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
    EXPECT_EQ(c.Baud, 19200);
    EXPECT_EQ(c.Timeout, 15000);
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
    const ConfigurationLue lue =
        lireTexte("[Config]\n"
                  "Baud=abc\n"
                  "timeout=150\n"
                  "TAILLEEEPROM=2048\n"
                  "DepartEEprom=63488\n"
                  "FichCompilateur=\n"
                  "FichCompilateurSYM=MONSYM.EXE\n"
                  "[Settings]\n"
                  "MainWidth=large\n"
                  "frmMemoireWindowState=7\n"
                  "frmFichiersWindowState=2\n"
                  "[ConfigHardWare]\n"
                  "HardWareADD=6\n"
                  "HardWare0=68HC11A1\nHardWare1=68HC11E1\nHardWare2=68HC11F1\n"
                  "HardWare3=68HC11811E2\nHardWare4=Carte abimee\nHardWare5=68HC11E9\n"
                  "HardWare6=\"  \"\n"
                  "[Carte abimee]\n"
                  "TailleRam=xyz\nTailleEEprom=\nDepartRam=-5\nDepartEEprom=nan\n"
                  "[68hc11e9]\n"
                  "TailleRam=512\nTailleEEprom=768\nDepartRam=16\nDepartEEprom=46592\n");
    const Configuration& c = lue.configuration;
    EXPECT_EQ(c.Baud, 1200);
    EXPECT_EQ(c.Timeout, 150);
    EXPECT_EQ(c.TailleEeprom, 2048);
    EXPECT_EQ(c.DepartEEprom, 0xF800);
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

} // namespace
} // namespace tessaline::test
