// tessaline-cli assemble: the compile path of the windows from the command
// line, with the assembler and compile script installed beside it and no
// assembler named in the settings.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "program_runner.h"

#include <gtest/gtest.h>

using namespace tessaline::test;

namespace {

class AssembleCommand : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(racine.isValid());
        ASSERT_TRUE(QDir(racine.path()).mkdir(QStringLiteral("tp 1;ls $(touch z)'")));
        rep = racine.filePath(QStringLiteral("tp 1;ls $(touch z)'")) + u'/';
    }

    void ecrire(const QString& nom, const QByteArray& contenu) {
        QFile f(rep + nom);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contenu);
    }

    ResultatCli assembler(const QString& nom) {
        return lancer(QStringLiteral(TESSALINE_CLI),
                      {QStringLiteral("--settings"), racine.filePath("reglages.ini"),
                       QStringLiteral("assemble"), rep + nom},
                      Lancement().dans(racine.path()));
    }

    QStringList fichiers() const { return QDir(rep).entryList(QDir::Files, QDir::Name); }

    QTemporaryDir racine;
    QString rep;
};

TEST_F(AssembleCommand, TheExampleAssemblesAndItsReportIsPrinted) {
    QFile exemple(QStringLiteral(TESSALINE_EXAMPLES "/compteur.asm"));
    ASSERT_TRUE(exemple.open(QIODevice::ReadOnly));
    ecrire(QStringLiteral("compteur.asm"), exemple.readAll());
    const ResultatCli s = assembler(QStringLiteral("compteur.asm"));
    EXPECT_EQ(s.code, 0) << s.erreurs.toStdString();
    EXPECT_EQ(s.sortie.toStdString(),
              "compteur.asm: assembled without error, 35 byte(s) of code in compteur.S19\n");
    EXPECT_EQ(fichiers().join(u' ').toStdString(),
              "RETOUR.NFO compteur.LST compteur.S19 compteur.SYM compteur.asm");
    EXPECT_EQ(QDir(racine.path()).entryList(QDir::Files).join(u' ').toStdString(), "")
        << "nothing ran in the working folder";
}

TEST_F(AssembleCommand, FaultsAndMissingProductsEndWithStatusOne) {
    ecrire(QStringLiteral("BAD.A11"), "\tORG\t$E000\r\n\tLDAA\t#$1FF\r\n");
    ResultatCli s = assembler(QStringLiteral("BAD.A11"));
    EXPECT_EQ(s.code, 1);
    EXPECT_EQ(s.sortie.toStdString(),
              "BAD.A11(2): error: value 511 out of range\n"
              "BAD.A11: 1 error(s), nothing written (BAD.S19, .LST and .SYM left as they were)\n");

    // PROG.V2.ASM has the base name PROG and the extension V2.ASM: no source.
    ecrire(QStringLiteral("PROG.V2.ASM"), " NOP\n");
    s = assembler(QStringLiteral("PROG.V2.ASM"));
    EXPECT_EQ(s.code, 1);
    EXPECT_TRUE(s.erreurs.contains("le Fichier *.ASM n'existe pas !")) << s.erreurs.toStdString();
    EXPECT_FALSE(fichiers().contains("PROG.S19"));
}

} // namespace

// Products and a report left by an earlier compile say nothing about this
// one: with the source gone, nothing of them is printed and the run fails.
TEST_F(AssembleCommand, AnEarlierSuccessIsNeverReportedAgain) {
    QFile exemple(QStringLiteral(TESSALINE_EXAMPLES "/compteur.asm"));
    ASSERT_TRUE(exemple.open(QIODevice::ReadOnly));
    ecrire(QStringLiteral("compteur.asm"), exemple.readAll());
    ASSERT_EQ(assembler(QStringLiteral("compteur.asm")).code, 0);
    ASSERT_TRUE(QFile::remove(rep + QStringLiteral("compteur.asm")));

    const ResultatCli s = assembler(QStringLiteral("compteur.asm"));
    EXPECT_EQ(s.code, 1);
    EXPECT_EQ(s.sortie.toStdString(), "");
    EXPECT_TRUE(s.erreurs.contains("le Fichier *.ASM n'existe pas !")) << s.erreurs.toStdString();
    EXPECT_FALSE(s.erreurs.contains("assembled without error")) << s.erreurs.toStdString();
}
