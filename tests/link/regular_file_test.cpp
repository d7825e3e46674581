// The one way the program writes, removes and reads the files a user names:
// only regular files, whatever stands at the name or behind its links. A
// named pipe stands in for a device node (making one needs no privilege).
#include "link/regular_file.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace tessaline;

namespace {

class FichiersOrdinaires : public ::testing::Test {
protected:
    QString chemin(const QString& nom) const { return dir.filePath(nom); }
    void ecrire(const QString& nom, const QByteArray& contenu, mode_t mode = 0644) {
        QFile f(chemin(nom));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contenu);
        f.close();
        ASSERT_EQ(::chmod(QFile::encodeName(chemin(nom)).constData(), mode), 0);
    }
    void tube(const QString& nom) {
        ASSERT_EQ(::mkfifo(QFile::encodeName(chemin(nom)).constData(), 0644), 0);
    }
    void lien(const QString& cible, const QString& nom) {
        ASSERT_EQ(::symlink(QFile::encodeName(cible).constData(), QFile::encodeName(chemin(nom)).constData()),
                  0);
    }
    QByteArray lire(const QString& nom) const {
        QFile f(chemin(nom));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The name's own type and permission bits (a link is not followed).
    mode_t mode(const QString& nom) const {
        struct stat st {};
        return ::lstat(QFile::encodeName(chemin(nom)).constData(), &st) == 0 ? st.st_mode : 0;
    }
    QStringList noms() const {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
    }

    QTemporaryDir dir;
};

} // namespace

// The case (a link to a device node, here a pipe), a pipe, a folder:
// refused with a message naming what is there, and left as they were, with no
// temporary file left behind.
TEST_F(FichiersOrdinaires, ASaveRefusesAnythingButARegularFile) {
    tube(QStringLiteral("n"));
    lien(chemin(QStringLiteral("n")), QStringLiteral("out.bin"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("dossier")));
    const struct {
        const char* nom;
        const char* raison;
    } refus[] = {
        {"out.bin", "(un tube nomm\u00e9)"}, {"n", "(un tube nomm\u00e9)"}, {"dossier", "(un dossier)"}};
    for (const auto& r : refus) {
        SCOPED_TRACE(r.nom);
        QString erreur;
        EXPECT_FALSE(enregistrerFichier(chemin(r.nom), "abc", erreur));
        EXPECT_EQ(erreur, chemin(r.nom) + " n'est pas un fichier ordinaire " + QString::fromUtf8(r.raison));
    }
    EXPECT_TRUE(S_ISFIFO(mode(QStringLiteral("n"))));
    EXPECT_TRUE(S_ISLNK(mode(QStringLiteral("out.bin"))));
    EXPECT_TRUE(S_ISDIR(mode(QStringLiteral("dossier"))));
    EXPECT_EQ(noms(), QStringList({"dossier", "n", "out.bin"}));
}

// A link to a regular file: the file is replaced, the link stays, and the
// file keeps its permission bits (0640 stays 0640); so does a plain file.
TEST_F(FichiersOrdinaires, ALinkIsFollowedAndTheOldPermissionsKept) {
    ecrire(QStringLiteral("vrai.bin"), "l'ancien contenu", 0640);
    lien(QStringLiteral("vrai.bin"), QStringLiteral("lien.bin"));
    QString erreur;
    ASSERT_TRUE(enregistrerFichier(chemin(QStringLiteral("lien.bin")), "neuf", erreur))
        << erreur.toStdString();
    EXPECT_EQ(lire(QStringLiteral("vrai.bin")), "neuf");
    EXPECT_TRUE(S_ISLNK(mode(QStringLiteral("lien.bin"))));
    EXPECT_EQ(mode(QStringLiteral("vrai.bin")) & 07777, 0640u);

    ecrire(QStringLiteral("prive.bin"), "x", 0600);
    ASSERT_TRUE(enregistrerFichier(chemin(QStringLiteral("prive.bin")), "yy", erreur));
    EXPECT_EQ(mode(QStringLiteral("prive.bin")) & 07777, 0600u);
    EXPECT_EQ(noms(), QStringList({"lien.bin", "prive.bin", "vrai.bin"}));
}

// A save dropped halfway leaves the old file; one whose name has become a
// pipe while it was written does not replace the pipe.
TEST_F(FichiersOrdinaires, TheOldFileStaysUntilEverythingIsWritten) {
    ecrire(QStringLiteral("f.bin"), "ancien");
    {
        FichierEnregistre f(chemin(QStringLiteral("f.bin")));
        ASSERT_TRUE(f.ouvrir());
        ASSERT_TRUE(f.ecrire("moitie"));
        EXPECT_EQ(lire(QStringLiteral("f.bin")), "ancien");
        f.abandonner();
    }
    EXPECT_EQ(lire(QStringLiteral("f.bin")), "ancien");

    FichierEnregistre f(chemin(QStringLiteral("f.bin")));
    ASSERT_TRUE(f.ouvrir());
    ASSERT_TRUE(f.ecrire("neuf"));
    ASSERT_TRUE(QFile::remove(chemin(QStringLiteral("f.bin"))));
    tube(QStringLiteral("f.bin"));
    EXPECT_FALSE(f.valider());
    EXPECT_EQ(f.echec().genre, EchecFichier::Genre::NonOrdinaire);
    EXPECT_TRUE(S_ISFIFO(mode(QStringLiteral("f.bin"))));
    EXPECT_EQ(noms(), QStringList({"f.bin"}));
}

// Removing and reading: a pipe is neither removed nor waited on; a link's
// regular file is removed and the link kept; a file above the limit is not
// read.
TEST_F(FichiersOrdinaires, RemovingAndReadingTakeOnlyRegularFiles) {
    tube(QStringLiteral("tube"));
    QString erreur;
    EXPECT_FALSE(retirerFichier(chemin(QStringLiteral("tube")), &erreur));
    EXPECT_TRUE(S_ISFIFO(mode(QStringLiteral("tube"))));
    QElapsedTimer temps;
    temps.start();
    EchecFichier echec;
    EXPECT_FALSE(lireFichierOrdinaire(chemin(QStringLiteral("tube")), 100, echec));
    EXPECT_EQ(echec.genre, EchecFichier::Genre::NonOrdinaire);
    EXPECT_EQ(echec.nature, NatureFichier::Tube);
    EXPECT_LT(temps.elapsed(), 1000);

    ecrire(QStringLiteral("vieux.S19"), "S1");
    lien(QStringLiteral("vieux.S19"), QStringLiteral("lien.S19"));
    EXPECT_TRUE(retirerFichier(chemin(QStringLiteral("lien.S19"))));
    EXPECT_EQ(noms(), QStringList({"lien.S19", "tube"}));
    EXPECT_TRUE(retirerFichier(chemin(QStringLiteral("lien.S19")))) << "nothing there is no fault";

    ecrire(QStringLiteral("cent"), QByteArray(100, 'x'));
    EXPECT_EQ(lireFichierOrdinaire(chemin(QStringLiteral("cent")), 100, echec), QByteArray(100, 'x'));
    EXPECT_FALSE(lireFichierOrdinaire(chemin(QStringLiteral("cent")), 99, erreur));
    EXPECT_EQ(erreur, chemin(QStringLiteral("cent")) + " est trop grand (plus de 99 octets)");
    EXPECT_FALSE(lireFichierOrdinaire(chemin(QStringLiteral("absent")), 99, erreur));
    EXPECT_EQ(erreur, chemin(QStringLiteral("absent")) + " : fichier introuvable");
}
