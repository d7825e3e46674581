#include "config_fixture.h"

#include <QFileInfo>

#include <sys/stat.h>

namespace tessaline::test {
namespace {

TEST(SettingsStore, FindsSectionsAndKeysWrittenInOtherLetterCases) {
    FichiersReglages fichiers;
    const SettingsStore store(
        fichiers.ecrire("[config]\ntimeout=150\nTAILLEEEPROM=2048\n[carte LABO]\nDepartram=16\n"));
    EXPECT_EQ(store.lireEntier16("Config", "Timeout", 2000), 150);
    EXPECT_EQ(store.lireDouble("Config", "TailleEEprom", 512), 2048);
    EXPECT_EQ(store.lire("Carte labo", "DepartRam"), "16");
    EXPECT_EQ(store.lire("Config", "Absente", "défaut"), "défaut");
}

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
// the link is touched, even when the store goes; one whose name is a link to a
// regular file writes that file, keeps the link and the file's mode.
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

    const QString vrai = fichiers.ecrire("[Config]\nPort=COM1\n");
    ASSERT_TRUE(QFile::setPermissions(vrai, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    const QString lienVrai = fichiers.nouveau();
    ASSERT_TRUE(QFile::link(vrai, lienVrai));
    {
        SettingsStore store(lienVrai);
        store.ecrire("Config", "Port", "COM2");
        EXPECT_TRUE(store.sync());
        EXPECT_TRUE(store.refus().isEmpty());
    }
    EXPECT_TRUE(QFileInfo(lienVrai).isSymLink());
    EXPECT_EQ(texteBrut(vrai, "Config/Port"), "COM2");
    EXPECT_EQ(QFile::permissions(vrai) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
}

} // namespace
} // namespace tessaline::test
