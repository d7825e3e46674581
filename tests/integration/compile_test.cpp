// The compile command on the build machine: the compile script and the
// assembler installed beside the programs, started on a real source, in a
// folder whose name a shell would take apart.
#include "config/assembler_files.h"
#include "config/settings_store.h"
#include "link/session.h"
#include "operations/compilation.h"
#include "recording_screen.h"
#include "scripted_serial_line.h"
#include "virtual_clock.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tessaline;
using namespace tessaline::test;

namespace {

std::string texte(const QStringList& l) {
    return l.join(u'|').toStdString();
}

const QString Dossier = QStringLiteral("a b;touch x$(touch y)'q");

QByteArray lire(const QString& chemin) {
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void ecrire(const QString& chemin, const QByteArray& contenu, bool executable = false) {
    QFile f(chemin);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(contenu);
    f.close();
    if (executable) f.setPermissions(f.permissions() | QFile::ExeOwner);
}

// The data bytes of an S-record file by address.
QMap<int, int> image(const QByteArray& s19) {
    QMap<int, int> octets;
    for (const QByteArray& l : s19.split('\n')) {
        if (!l.startsWith("S1")) continue;
        const QByteArray b = QByteArray::fromHex(l.trimmed().mid(2));
        const int adresse = uint8_t(b[1]) << 8 | uint8_t(b[2]);
        for (int i = 3; i < b.size() - 1; ++i)
            octets[adresse + i - 3] = uint8_t(b[i]);
    }
    return octets;
}

// A clock whose wait slices can be counted: the user presses Cancel after some.
class Horloge : public VirtualClock {
public:
    void processEvents() override {
        VirtualClock::processEvents();
        if (++tranches == annulerApres && session) session->demanderAnnulation();
    }
    int tranches = 0;
    int annulerApres = -1;
    Session* session = nullptr;
};

class CompileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(racine.isValid());
        ASSERT_TRUE(QDir(racine.path()).mkdir(Dossier));
        rep = racine.filePath(Dossier) + u'/';
        // A fresh install: no assembler named in the settings.
        SettingsStore vide(racine.filePath(QStringLiteral("reglages.ini")));
        chargerFichiersCompilateur(session.config, vide, QStringLiteral(TESSALINE_BIN));
        horloge.session = &session;
    }

    // The current source as opening FOLDER/NAME.ASM makes it.
    void ouvrir(const QString& nom) {
        EtatFichiers& f = session.fichiers;
        f.FichierCourant = f.FichierASM = rep + nom + QStringLiteral(".ASM");
        f.FichierLST = rep + nom + QStringLiteral(".LST");
        f.FichierSYM = rep + nom + QStringLiteral(".SYM");
        f.FichierS19 = rep + nom + QStringLiteral(".S19");
    }

    QStringList fichiers() const { return QDir(rep).entryList(QDir::Files, QDir::Name); }

    QTemporaryDir racine;
    QString rep;
    ScriptedSerialLine ligne;
    Horloge horloge;
    RecordingScreen ecran;
    Session session{ligne, horloge, ecran};
};

TEST_F(CompileTest, TheExampleCompilesInAFolderWithShellCharactersAndRunsNothingElse) {
    ASSERT_TRUE(session.config.CompilateurDisponible);
    ecrire(rep + QStringLiteral("COMPTEUR.ASM"), lire(QStringLiteral(TESSALINE_EXAMPLES "/compteur.asm")));
    ecrire(rep + QStringLiteral("COMPTEUR.S19"), "S1 left by an earlier compile");
    ecrire(rep + QStringLiteral("RETOUR.NFO"), "an earlier report");
    ouvrir(QStringLiteral("COMPTEUR"));
    const QStringList avant = QDir::current().entryList(QDir::Files);

    QStringList produitsAuChargement;
    QElapsedTimer chrono;
    chrono.start();
    EXPECT_TRUE(compilerSource(session, [&] { produitsAuChargement = fichiers(); }).actif);
    const qint64 ms = chrono.elapsed();

    const QStringList produits = {"COMPTEUR.ASM", "COMPTEUR.LST", "COMPTEUR.S19", "COMPTEUR.SYM",
                                  "RETOUR.NFO"};
    EXPECT_EQ(texte(produitsAuChargement), texte(produits));
    EXPECT_EQ(texte(fichiers()), texte(produits));
    QStringList racineApres = QDir(racine.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    racineApres.removeAll(QStringLiteral("reglages.ini"));
    EXPECT_EQ(texte(racineApres), Dossier.toStdString());
    EXPECT_EQ(texte(QDir::current().entryList(QDir::Files)), texte(avant));

    // The same bytes at the same addresses as the stored image of the example.
    const QMap<int, int> attendu = image(lire(QStringLiteral(TESSALINE_EXAMPLES "/compteur.s19")));
    ASSERT_EQ(attendu.size(), 35);
    EXPECT_EQ(image(lire(rep + QStringLiteral("COMPTEUR.S19"))), attendu);

    // Only the new report reaches the trace, not the earlier RETOUR.NFO.
    ASSERT_EQ(ecran.runsOf(Zone::Trace).size(), 1);
    EXPECT_EQ(ecran.runsOf(Zone::Trace)[0].text,
              "\r\nCOMPTEUR.ASM: assembled without error, 35 byte(s) of code in COMPTEUR.S19\n");
    EXPECT_FALSE(ecran.waitVisible);
    EXPECT_TRUE(ecran.messages.isEmpty());
    EXPECT_LT(ms, 1900) << "the script's end is awaited, not a fixed delay";
}

// A compile that finds a fault writes nothing: the S19, the listing and the
// symbols of the last good compile stay byte for byte, and the report's error
// lines are red in the trace. The next good compile replaces all three.
TEST_F(CompileTest, AFaultKeepsTheLastGoodProductsAndASuccessReplacesThem) {
    const QString source = rep + QStringLiteral("PROG.ASM");
    ecrire(source, "        ORG $E000\r\nDEBUT   LDAA #$01\r\n        BRA DEBUT\r\n");
    ouvrir(QStringLiteral("PROG"));
    ASSERT_TRUE(compilerSource(session, {}).reussi());
    QMap<QString, QByteArray> bons;
    for (const QString& f :
         {session.fichiers.FichierS19, session.fichiers.FichierLST, session.fichiers.FichierSYM})
        bons[f] = lire(f);
    ASSERT_TRUE(bons[session.fichiers.FichierS19].startsWith("S0"));

    ecrire(source, "        ORG $E000\r\nDEBUT   LDAA #$02\r\n        BRA NOWHERE\r\n");
    ecran.clear(Zone::Trace);
    const BilanCompilation echec = compilerSource(session, {});
    EXPECT_FALSE(echec.reussi());
    EXPECT_EQ(echec.lignesErreur, 2);
    for (auto it = bons.cbegin(); it != bons.cend(); ++it)
        EXPECT_EQ(lire(it.key()), it.value()) << it.key().toStdString();
    EXPECT_EQ(texte(fichiers()), "PROG.ASM|PROG.LST|PROG.S19|PROG.SYM|RETOUR.NFO")
        << "no temporary file left";
    const auto runs = ecran.runsOf(Zone::Trace);
    ASSERT_EQ(runs.size(), 2);
    EXPECT_EQ(runs[0].text, "\r\n");
    EXPECT_EQ(runs[1].text,
              "PROG.ASM(3): error: undefined symbol NOWHERE\n"
              "PROG.ASM: 1 error(s), nothing written (PROG.S19, .LST and .SYM left as they were)\n");
    EXPECT_EQ(runs[1].colour, couleur::Rouge);
    EXPECT_TRUE(runs[1].bold);

    ecrire(source, "        ORG $E000\r\nDEBUT   LDAA #$02\r\n        BRA DEBUT\r\n");
    ecran.clear(Zone::Trace);
    const BilanCompilation succes = compilerSource(session, {});
    EXPECT_TRUE(succes.reussi());
    EXPECT_EQ(succes.lignesErreur, 0);
    for (auto it = bons.cbegin(); it != bons.cend(); ++it)
        if (!it.key().endsWith(QLatin1String(".SYM"))) {
            EXPECT_NE(lire(it.key()), it.value()) << it.key().toStdString();
        }
    EXPECT_EQ(image(lire(session.fichiers.FichierS19)).value(0xE001), 0x02);
    ASSERT_EQ(ecran.runsOf(Zone::Trace).size(), 1);
    EXPECT_EQ(ecran.runsOf(Zone::Trace)[0].colour, couleur::Vert);
}

TEST_F(CompileTest, MissingFilesAreToldAndDisableTheCommandButTheScriptStillRuns) {
    // No source.
    ouvrir(QStringLiteral("ABSENT"));
    EXPECT_FALSE(compilerSource(session, {}).actif);
    EXPECT_EQ(texte(ecran.messageTexts()), "le Fichier *.ASM n'existe pas !");

    // No assembler: named, the command disabled, the script started all the same.
    ecrire(rep + QStringLiteral("PROG.ASM"), " NOP\n");
    ouvrir(QStringLiteral("PROG"));
    ecran.messages.clear();
    session.config.FichierCompilateur = racine.filePath(QStringLiteral("nulle-part"));
    EXPECT_FALSE(compilerSource(session, {}).actif);
    EXPECT_EQ(texte(ecran.messageTexts()), "le Fichier Compilateurtessaline-asmn'existe pas !");
    EXPECT_EQ(ecran.runsOf(Zone::Trace).size(), 1) << "the script's report of the missing program";

    // The compile command itself unavailable: only the report of the last run.
    ecran.messages.clear();
    session.config.CompilateurDisponible = false;
    EXPECT_TRUE(compilerSource(session, {}).actif);
    EXPECT_EQ(texte(ecran.messageTexts()), "le Fichier Compilateur n'existe pas !");
    EXPECT_TRUE(ecran.waitLabels.size() == 1 && fichiers().contains("RETOUR.NFO"));
    EXPECT_EQ(ecran.runsOf(Zone::Trace).size(), 2);
}

TEST_F(CompileTest, AnEmptyProductIsAwaitedThreeSecondsAndCancelEndsTheScript) {
    ecrire(rep + QStringLiteral("PROG.ASM"), " NOP\n");
    ouvrir(QStringLiteral("PROG"));
    // A script that leaves the S-records empty and writes the listing.
    const QString script = racine.filePath(QStringLiteral("lent"));
    ecrire(script, "#!/bin/sh\n: > \"$1.S19\"\necho listing > \"$1.LST\"\n", true);
    session.config.FichierCompilateurBAT = script;
    bool charge = false;
    EXPECT_TRUE(compilerSource(session, [&] { charge = true; }).actif);
    EXPECT_TRUE(charge);
    const QStringList textes = ecran.messageTexts();
    ASSERT_FALSE(textes.isEmpty());
    EXPECT_EQ(textes.count(" Fichier :" + rep + "PROG.S19\r\nEn cr\u00e9ation !..."), textes.size());
    EXPECT_GT(horloge.elapsed(), 3.0);
    EXPECT_LT(horloge.elapsed(), 3.5);

    // A script that never ends: Cancel during the wait kills it.
    ecrire(script, "#!/bin/sh\nexec sleep 60\n", true);
    horloge.annulerApres = horloge.tranches + 5;
    QElapsedTimer chrono;
    chrono.start();
    compilerSource(session, {});
    EXPECT_LT(chrono.elapsed(), 10000);
    EXPECT_FALSE(session.liaison.annulation);
}

} // namespace

// The compile script's own report goes out through a redirection: it refuses
// a report name that leads to a pipe (standing in for a device) and leaves it
// alone; a link to a regular file keeps its link and gets the new report.
TEST_F(CompileTest, TheScriptWritesItsReportOnlyIntoARegularFile) {
    ecrire(rep + QStringLiteral("PROG.ASM"), " NOP\n");
    const auto script = [&] {
        QProcess p;
        const QString assembleur = QStringLiteral(TESSALINE_BIN "/tessaline-asm");
        p.start(QStringLiteral(TESSALINE_COMPILE_SCRIPT),
                {QStringLiteral("PROG"), rep, assembleur, assembleur});
        EXPECT_TRUE(p.waitForFinished(30000));
        return std::pair{p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
    };
    ASSERT_EQ(::mkfifo(QFile::encodeName(racine.filePath("tube")).constData(), 0644), 0);
    ASSERT_TRUE(QFile::link(racine.filePath("tube"), rep + QStringLiteral("RETOUR.NFO")));
    const auto [statut, erreurs] = script();
    EXPECT_EQ(statut, 1);
    EXPECT_TRUE(erreurs.contains("RETOUR.NFO is not a regular file")) << erreurs.toStdString();
    EXPECT_TRUE(QFileInfo(rep + QStringLiteral("RETOUR.NFO")).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(rep + QStringLiteral("PROG.LST"))) << "nothing assembled";

    ASSERT_TRUE(QFile::remove(rep + QStringLiteral("RETOUR.NFO")));
    ecrire(racine.filePath("rapport.txt"), "an earlier report");
    ASSERT_TRUE(QFile::link(racine.filePath("rapport.txt"), rep + QStringLiteral("RETOUR.NFO")));
    EXPECT_EQ(script().first, 0);
    EXPECT_TRUE(QFileInfo(rep + QStringLiteral("RETOUR.NFO")).isSymLink());
    EXPECT_TRUE(lire(racine.filePath("rapport.txt")).contains("PROG.ASM: assembled without error"));
}

// The compile command itself looks at the report's name before it starts the
// script, and removes only regular files among the earlier products.
TEST_F(CompileTest, ACompileRefusesAReportThatIsNoRegularFile) {
    ecrire(rep + QStringLiteral("PROG.ASM"), " NOP\n");
    ouvrir(QStringLiteral("PROG"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(rep + QStringLiteral("RETOUR.NFO")).constData(), 0644), 0);
    const BilanCompilation b = compilerSource(session, {});
    EXPECT_FALSE(b.termine);
    EXPECT_EQ(texte(ecran.messageTexts()), ("Compilation impossible : " + rep +
                                            "RETOUR.NFO n'est pas un fichier ordinaire (un tube nomm\u00e9)")
                                               .toStdString());
    EXPECT_FALSE(QFileInfo(rep + QStringLiteral("RETOUR.NFO")).isFile());
    EXPECT_TRUE(QFileInfo::exists(rep + QStringLiteral("RETOUR.NFO")));
    EXPECT_TRUE(ecran.runsOf(Zone::Trace).isEmpty());

    ASSERT_TRUE(QFile::remove(rep + QStringLiteral("RETOUR.NFO")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(rep + QStringLiteral("PROG.LST")).constData(), 0644), 0);
    ecran.messages.clear();
    const BilanCompilation ok = compilerSource(session, {});
    EXPECT_TRUE(ok.termine);
    EXPECT_EQ(ok.statut, 1) << "the assembler refused to write its listing there";
    EXPECT_FALSE(QFileInfo(rep + QStringLiteral("PROG.LST")).isFile());
    EXPECT_TRUE(QFileInfo::exists(rep + QStringLiteral("PROG.LST")));
}
