#include "config/assembler_files.h"
#include "config/config_persistence.h"
#include "config/hardware_profiles.h"
#include "config_fixture.h"

#include <QDir>

namespace tessaline::test {
namespace {

class ConfigTest : public ::testing::Test {
protected:
    // A new store object for every load and save: a process does not re-read
    // a file it wrote itself.
    void charger(ConfigSession& s, WindowLayout& disposition) {
        SettingsStore store(fichier.path());
        IniComboHard(s.session);
        ChargerConfig(s.session, store, disposition, programme.folder());
    }
    void charger() { charger(s, disposition); }
    void sauver(const Session& session, const WindowLayout& d) {
        SettingsStore store(fichier.path());
        ASSERT_TRUE(SauverConfig(session, store, d));
    }
    void creerFichier(const QString& chemin, int taille) {
        QFile f(chemin);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(taille, 'x'));
    }
    QStringList nomsProfils() const {
        QStringList noms;
        for (const ProfilMateriel& p : s.session.profils)
            noms.append(p.nom);
        return noms;
    }

    TemporarySettings fichier;
    TemporarySettings programme; // its folder stands for the program's own
    ConfigSession s;
    WindowLayout disposition;
};

const QStringList NomsIntegres = {"68HC11A1", "68HC11E1", "68HC11F1", "68HC11811E2"};

TEST_F(ConfigTest, FirstRunTakesEveryDefault) {
    s.session.config.BootBaud = 0;
    charger();
    const Configuration& c = s.session.config;
    EXPECT_EQ(c.Port, "COM2");
    EXPECT_EQ(c.HardWare, "68HC11F1");
    EXPECT_EQ(c.Quartz, "8");
    EXPECT_EQ(c.Baud, 1200);
    EXPECT_EQ(c.BootBaud, 1200);
    EXPECT_EQ(c.Timeout, 2000);
    EXPECT_EQ(c.FinRam(), 1023);
    EXPECT_EQ(c.DepartEEprom, 0xFE00);
    EXPECT_EQ(c.FinEeprom(), 0xFFFF);
    EXPECT_EQ((QStringList{c.FichCompilateur, c.FichCompilateurSYM, c.FichCompilateurBAT}),
              (QStringList{"AS11.EXE", "ASSYM.EXE", "COMPILE.BAT"}));
    EXPECT_EQ(c.FichierCompilateur + c.FichierCompilateurSYM + c.FichierCompilateurBAT, "");
    EXPECT_EQ(c.LastFichier, programme.folder());
    EXPECT_EQ(c.Peripheriques[3], "/dev/ttyS3");
    EXPECT_EQ(nomsProfils(), NomsIntegres);
    EXPECT_EQ(s.session.profils[3].DepartEEprom, 0xF800);
    EXPECT_EQ(s.session.console.CmdAdresse, "FE00");
    EXPECT_EQ(s.session.console.CmdLongueur, "80");
    EXPECT_EQ(s.ecran.texts["txtADRESSE"], "FE00");
    EXPECT_EQ(s.ecran.texts["txtLONGUEUR"], "80");
    ASSERT_TRUE(s.ecran.enabled.contains("cmdDELType"));
    EXPECT_FALSE(s.ecran.enabled["cmdDELType"]);
    EXPECT_EQ(s.ecran.texts["lblCheminCompilateurBAT"], "Aucun");
    EXPECT_EQ(s.ecran.texts["lblTailleCompilateur"], "0 Octets");
    EXPECT_FALSE(c.CompilateurDisponible);
    EXPECT_EQ(c.TalkerPrepare.size(), 257);
}

TEST_F(ConfigTest, FirstRunSavesEveryKeyUnderItsName) {
    charger();
    sauver(s.session, disposition);
    const std::pair<const char*, QString> attendus[] = {
        {"Settings/MainLeft", "0"},
        {"Settings/MainTop", "0"},
        {"Settings/MainWidth", "11775"},
        {"Settings/MainHeight", "7485"},
        {"Settings/frmDocumentLeft", "0"},
        {"Settings/frmDocumentTop", "0"},
        {"Settings/frmFichiersLeft", "0"},
        {"Settings/frmFichiersTop", "0"},
        {"Settings/frmFichiersWidth", "8655"},
        {"Settings/frmFichiersHeight", "6420"},
        {"Settings/frmMemoireLeft", "0"},
        {"Settings/frmMemoireTop", "4425"},
        {"Settings/frmMemoireHeight", "3125"},
        {"Settings/frmTraceCommandesLeft", "0"},
        {"Settings/frmTraceCommandesTop", "4425"},
        {"Settings/frmTraceCommandesWidth", "8970"},
        {"Settings/frmTraceCommandesHeight", "4560"},
        {"Settings/frmRegistresLeft", "9480"},
        {"Settings/frmRegistresTop", "0"},
        {"Settings/frmMainWindowState", "0"},
        {"Settings/frmMemoireWindowState", "0"},
        {"Settings/frmDocumenWindowStatet", "0"},
        {"Settings/frmFichiersWindowState", "0"},
        {"Settings/frmTraceCommandesWindowState", "0"},
        {"Config/Port", "COM2"},
        {"Config/HardWare", "68HC11F1"},
        {"Config/Quartz", "8"},
        {"Config/Baud", "1200"},
        {"Config/Timeout", "2000"},
        {"Config/TailleRam", "1024"},
        {"Config/TailleEeprom", "512"},
        {"Config/DepartRam", "0"},
        {"Config/DepartEEprom", "65024"},
        {"Config/FichCompilateur", "AS11.EXE"},
        {"Config/FichCompilateurSYM", "ASSYM.EXE"},
        {"Config/FichCompilateurBAT", "COMPILE.BAT"},
        {"Config/FichierCompilateur", ""},
        {"Config/FichierCompilateurSYM", ""},
        {"Config/FichierCompilateurBAT", ""},
        {"Config/LastFichier", programme.folder()},
        {"File/File1", ""},
        {"File/File4", ""},
        {"ConfigHardWare/HardWareADD", "3"},
        {"ConfigHardWare/HardWare0", "68HC11A1"},
        {"ConfigHardWare/HardWare3", "68HC11811E2"},
        {"68HC11A1/TailleRam", "256"},
        {"68HC11E1/DepartEEprom", "46592"},
        {"68HC11811E2/TailleEeprom", "2048"},
        {"68HC11811E2/DepartEEprom", "63488"},
        {"Ports/COM1", "/dev/ttyS0"},
        {"Ports/COM4", "/dev/ttyS3"},
    };
    for (const auto& [cle, valeur] : attendus)
        EXPECT_EQ(texteBrut(fichier.path(), cle), valeur) << cle;
}

void remplir(ConfigSession& s, WindowLayout& d) {
    float valeur = 10.5f;
    for (const FenetreSauvee& fenetre : fenetresSauvees()) {
        for (const auto& [cle, membre] : fenetre.coordonnees) {
            if (cle) d.*membre = (valeur += 100);
        }
    }
    d.frmMainWindowState = FenetreMaximisee;
    d.frmTraceCommandesWindowState = FenetreMaximisee;
    Configuration& c = s.session.config;
    c.Port = "COM4";
    c.HardWare = "Carte labo 1";
    c.Quartz = "16";
    c.Baud = 19200;
    c.Timeout = 15000;
    c.TailleRam = 768;
    c.DepartRam = 0x1000;
    c.TailleEeprom = 2048;
    c.DepartEEprom = 0xF800;
    c.FichCompilateur = "ASM11";
    c.FichCompilateurSYM = "asm11sym";
    c.FichCompilateurBAT = "build.sh";
    c.FichierCompilateur = "/opt/hc11/bin/ASM11";
    c.FichierCompilateurSYM = "/opt/hc11/bin/asm11sym";
    c.FichierCompilateurBAT = "/home/u/build, v2.sh";
    c.LastFichier = "/home/u/projets";
    c.FichiersRecents = {"/home/u/a.asm", "/home/u/dossier, avec virgule/b.asm", "C:\\TP\\c.asm", ""};
    c.Peripheriques = {"/dev/ttyUSB0", "/dev/ttyS1", "/dev/pts/7", "/dev/ttyACM0"};
    s.session.profils = profilsIntegres();
    s.session.profils.append({"Carte labo 1", 300, 100, 0x2000, 0xB000});
    s.session.profils.append({"68HC11E9", 512, 512, 0, 0xB600});
}

void comparerProfils(const QVector<ProfilMateriel>& lus, const QVector<ProfilMateriel>& attendus) {
    ASSERT_EQ(lus.size(), attendus.size());
    for (int i = 0; i < lus.size(); ++i) {
        SCOPED_TRACE(attendus[i].nom.toStdString());
        EXPECT_EQ(lus[i].nom, attendus[i].nom);
        EXPECT_EQ(lus[i].TailleRam, attendus[i].TailleRam);
        EXPECT_EQ(lus[i].TailleEeprom, attendus[i].TailleEeprom);
        EXPECT_EQ(lus[i].DepartRam, attendus[i].DepartRam);
        EXPECT_EQ(lus[i].DepartEEprom, attendus[i].DepartEEprom);
    }
}

TEST_F(ConfigTest, SavedValuesComeBackThroughANewStore) {
    remplir(s, disposition);
    sauver(s.session, disposition);

    ConfigSession relu;
    WindowLayout dispositionRelue;
    charger(relu, dispositionRelue);
    EXPECT_EQ(dispositionRelue, disposition);
    const Configuration& a = s.session.config;
    const Configuration& b = relu.session.config;
    EXPECT_EQ((QStringList{b.Port, b.HardWare, b.Quartz}), (QStringList{a.Port, a.HardWare, a.Quartz}));
    EXPECT_EQ(b.Baud, a.Baud);
    EXPECT_EQ(b.BootBaud, 2400);
    EXPECT_EQ(b.Timeout, a.Timeout);
    EXPECT_EQ((std::array{b.TailleRam, b.DepartRam, b.TailleEeprom, b.DepartEEprom}),
              (std::array{a.TailleRam, a.DepartRam, a.TailleEeprom, a.DepartEEprom}));
    EXPECT_EQ((QStringList{b.FichCompilateur, b.FichCompilateurSYM, b.FichCompilateurBAT}),
              (QStringList{a.FichCompilateur, a.FichCompilateurSYM, a.FichCompilateurBAT}));
    EXPECT_EQ((QStringList{b.FichierCompilateur, b.FichierCompilateurSYM, b.FichierCompilateurBAT}),
              (QStringList{a.FichierCompilateur, a.FichierCompilateurSYM, a.FichierCompilateurBAT}));
    EXPECT_EQ(b.LastFichier, a.LastFichier);
    EXPECT_EQ(b.FichiersRecents, a.FichiersRecents);
    EXPECT_EQ(b.Peripheriques, a.Peripheriques);
    EXPECT_EQ(relu.session.console.CmdAdresse, "F800");
    comparerProfils(relu.session.profils, s.session.profils);
    EXPECT_EQ(texteBrut(fichier.path(), "ConfigHardWare/HardWareADD"), "5");
    EXPECT_TRUE(relu.ecran.enabled.value("cmdDELType"));
}

TEST_F(ConfigTest, MinimisedWindowKeepsTheCoordinatesSavedBefore) {
    struct Fenetre {
        int WindowLayout::*etat;
        float WindowLayout::*coordonnee;
    };
    const Fenetre fenetres[] = {
        {&WindowLayout::frmMainWindowState, &WindowLayout::MainHeight},
        {&WindowLayout::frmMemoireWindowState, &WindowLayout::frmMemoireTop},
        {&WindowLayout::frmDocumenWindowStatet, &WindowLayout::frmDocumentLeft},
        {&WindowLayout::frmFichiersWindowState, &WindowLayout::frmFichiersWidth},
        {&WindowLayout::frmTraceCommandesWindowState, &WindowLayout::frmTraceCommandesHeight},
    };
    for (const Fenetre& f : fenetres) {
        TemporarySettings autre;
        SettingsStore store(autre.path());
        WindowLayout avant;
        avant.*f.coordonnee = 1234;
        SauverConfig(s.session, store, avant);
        WindowLayout apres = avant;
        apres.*f.coordonnee = 4321;
        apres.*f.etat = FenetreMinimisee;
        apres.frmRegistresLeft = 777; // a window that stays normal is written again
        SauverConfig(s.session, store, apres);

        WindowLayout relu;
        chargerDisposition(SettingsStore(autre.path()), relu);
        EXPECT_EQ(relu.*f.coordonnee, 1234);
        EXPECT_EQ(relu.*f.etat, FenetreMinimisee);
        EXPECT_EQ(relu.frmRegistresLeft, 777);
    }
}

TEST_F(ConfigTest, UnreadableValuesFallBackWithoutLosingTheOthers) {
    ecrireFichierBrut(fichier.path(), "[Config]\n"
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
    charger();
    const Configuration& c = s.session.config;
    EXPECT_EQ(c.Baud, 1200);
    EXPECT_EQ(c.Timeout, 150);
    EXPECT_EQ(c.TailleEeprom, 2048);
    EXPECT_EQ(s.session.console.CmdAdresse, "F800");
    EXPECT_EQ(c.FichCompilateur, "AS11.EXE");
    EXPECT_EQ(c.FichCompilateurSYM, "MONSYM.EXE");
    EXPECT_EQ(disposition.MainWidth, 11775);
    EXPECT_EQ(disposition.frmMemoireWindowState, FenetreNormale);
    EXPECT_EQ(disposition.frmFichiersWindowState, FenetreMaximisee);
    comparerProfils(s.session.profils.mid(4), {{"Carte abimee", 1024, 512, 0, 0xFE00},
                                               {"68HC11E9", 512, 768, 16, 0xB600},
                                               {"68HCxxxxx", 1024, 512, 0, 0xFE00}});
    EXPECT_TRUE(s.ecran.enabled.value("cmdDELType"));
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
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.lignes);
        ecrireFichierBrut(fichier.path(), QByteArray("[Config]\n") + c.lignes);
        charger();
        EXPECT_EQ(s.session.config.TailleEeprom, c.taille);
        EXPECT_EQ(s.session.config.DepartEEprom, c.depart);
    }
}

TEST_F(ConfigTest, DeleteButtonOnlyWithUserProfiles) {
    struct Cas {
        const char* dernier;
        bool boutonActif;
        QStringList noms;
    };
    const Cas cas[] = {
        {"3", false, {"A", "B", "C", "D"}}, {"4", true, {"A", "B", "C", "D", "E"}},
        {"2", false, {"A", "B", "C"}},      {"0", false, NomsIntegres},
        {"-1", false, NomsIntegres},        {"trois", false, NomsIntegres},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.dernier);
        ecrireFichierBrut(fichier.path(), QByteArray("[ConfigHardWare]\nHardWareADD=") + c.dernier +
                                              "\nHardWare0=A\nHardWare1=B\nHardWare2=C\nHardWare3=D\n"
                                              "HardWare4=E\n[A]\nTailleRam=128\n");
        s.ecran.enabled.clear();
        charger();
        EXPECT_EQ(nomsProfils(), c.noms);
        if (c.noms.first() == "A") {
            EXPECT_EQ(s.session.profils[0].TailleRam, 128);
        }
        ASSERT_TRUE(s.ecran.enabled.contains("cmdDELType"));
        EXPECT_EQ(s.ecran.enabled["cmdDELType"], c.boutonActif);
    }
}

TEST_F(ConfigTest, BlankProfileNameIsKeptAsANewProfile) {
    s.session.profils = profilsIntegres();
    s.session.profils.append({"   ", 300, 100, 0x2000, 0xB000});
    sauver(s.session, disposition);
    ConfigSession relu;
    charger(relu, disposition);
    comparerProfils(relu.session.profils.mid(4), {{"68HCxxxxx", 300, 100, 0x2000, 0xB000}});
}

TEST_F(ConfigTest, AssemblerFilesAreFoundInTheProgramFolder) {
    creerFichier(QDir(programme.folder()).filePath("as11.exe"), 10);
    creerFichier(QDir(programme.folder()).filePath("COMPILE.BAT"), 5);
    charger();
    const Configuration& c = s.session.config;
    EXPECT_EQ(c.FichierCompilateur, QDir::toNativeSeparators(programme.folder() + "/as11.exe"));
    EXPECT_EQ(c.FichierCompilateurSYM, "");
    EXPECT_EQ(c.FichierCompilateurBAT, QDir::toNativeSeparators(programme.folder() + "/COMPILE.BAT"));
    EXPECT_EQ(s.ecran.texts["lblCheminCompilateur"], c.FichierCompilateur);
    EXPECT_EQ(s.ecran.texts["lblCheminCompilateurSYM"], "Aucun");
    EXPECT_EQ(s.ecran.texts["lblTailleCompilateur"], "5 Octets");
    EXPECT_TRUE(c.CompilateurDisponible);

    // A stored path wins over the program folder, even when it names nothing.
    ecrireFichierBrut(fichier.path(), "[Config]\nFichierCompilateurBAT=/nulle/part/COMPILE.BAT\n");
    charger();
    EXPECT_EQ(c.FichierCompilateurBAT, "/nulle/part/COMPILE.BAT");
    EXPECT_EQ(s.ecran.texts["lblCheminCompilateurBAT"], "Aucun");
    EXPECT_FALSE(c.CompilateurDisponible);
}

TEST_F(ConfigTest, TailleFichierShowsTheSelectedFile) {
    const QString present = QDir(programme.folder()).filePath("ASSYM.EXE");
    creerFichier(present, 1234);
    const QString absent = QDir(programme.folder()).filePath("absent.exe");
    struct Cas {
        int selecteur;
        QString chemin;
        const char* etiquette;
        QString texte;
        QString taille;
        bool disponibleAvant, disponibleApres;
    };
    const Cas cas[] = {
        {0, present, "lblCheminCompilateur", present, "1234 Octets", false, true},
        {0, absent, "lblCheminCompilateur", "Aucun", "0 Octets", true, false},
        {0, programme.folder(), "lblCheminCompilateur", "Aucun", "0 Octets", true, false},
        {1, present, "lblCheminCompilateurSYM", present, "1234 Octets", false, false},
        {1, absent, "lblCheminCompilateurSYM", "Aucun", "0 Octets", true, true},
        {2, present, "lblCheminCompilateurBAT", present, "1234 Octets", false, true},
        {2, "", "lblCheminCompilateurBAT", "Aucun", "0 Octets", true, false},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.selecteur);
        SCOPED_TRACE(c.chemin.toStdString());
        s.ecran.texts.clear();
        s.session.config.CompilateurDisponible = c.disponibleAvant;
        TailleFichier(s.session, c.selecteur, c.chemin);
        EXPECT_EQ(s.ecran.texts.value(c.etiquette), c.texte);
        EXPECT_EQ(s.ecran.texts.value("lblTailleCompilateur"), c.taille);
        EXPECT_EQ(s.ecran.texts.size(), 2);
        EXPECT_EQ(s.session.config.CompilateurDisponible, c.disponibleApres);
    }
}

} // namespace
} // namespace tessaline::test
