// program, erase, upload-bin and upload-dis through tessaline-cli on the
// simulated board: what the files hold afterwards, and the exit status.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ResultatCli {
    int code;
    QString sortie;
    QString erreurs;
};

class CliProgrammation : public ::testing::Test {
protected:
    void SetUp() override {
        QFile f(dir.filePath(QStringLiteral("t.ini")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Config]\nQuartz=8\nBaud=9600\nHardWare=68HC11F1\n");
    }
    ResultatCli cli(const QStringList& arguments) {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.setStandardInputFile(QProcess::nullDevice());
        p.start(QStringLiteral(TESSALINE_CLI),
                QStringList{"--settings", dir.filePath("t.ini"), "--simulate", "--timeout", "50"} +
                    arguments);
        if (!p.waitForFinished(30000)) p.kill();
        p.waitForFinished();
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }
    QByteArray lire(const QString& nom) {
        QFile f(dir.filePath(nom));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    // The example's 35 bytes at $FE00.
    const QByteArray programme =
        QByteArray::fromHex("0E7F01007F0101BDFE15850126037C01018D0A20F2B601004CB7010039C6105A26FD39");
};

} // namespace

// Programmed, then read back into a binary file: the example's bytes; the
// second, changed-only pass writes nothing.
TEST_F(CliProgrammation, ProgramThenUploadGivesTheProgramBack) {
    const QString s19 = QStringLiteral(TESSALINE_EXAMPLES "/compteur.s19");
    const ResultatCli r =
        cli({"load-talker", "--", "program", s19, "--", "program", s19, "--changed-only", "--", "upload-bin",
             "fe00", "23", "p.bin", "--", "upload-dis", "fe1d", "1", "p.dis"});
    EXPECT_EQ(r.code, 0) << r.erreurs.toStdString();
    EXPECT_EQ(lire("p.bin"), programme);
    EXPECT_EQ(lire("p.dis"), "FE1D\t\tC610\t\t\tLDAB\t#$10\r\n");
    EXPECT_TRUE(r.sortie.contains("35 octets \u00e9crits\n")) << r.sortie.toStdString();
    EXPECT_TRUE(r.sortie.contains("0 octets \u00e9crits, 35 d\u00e9j\u00e0 en place\n"))
        << r.sortie.toStdString();
    EXPECT_FALSE(r.erreurs.contains(u'\r')) << "no progress line when standard error is no terminal";
}

// Erase asks; with no terminal to answer and no --yes, nothing is erased and
// the run fails. With --yes the EEPROM reads $FF.
TEST_F(CliProgrammation, EraseNeedsYesWithoutATerminal) {
    const QString image = QStringLiteral(TESSALINE_EXAMPLES "/compteur.s19");
    ResultatCli r =
        cli({"--eeprom", image, "load-talker", "--", "erase", "--", "upload-bin", "fe00", "23", "a.bin"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.erreurs.contains("non confirm\u00e9")) << r.erreurs.toStdString();
    EXPECT_EQ(lire("a.bin"), programme);

    r = cli({"--eeprom", image, "--yes", "load-talker", "--", "erase", "--", "upload-bin", "fe00", "200",
             "a.bin"});
    EXPECT_EQ(r.code, 0) << r.erreurs.toStdString();
    EXPECT_EQ(lire("a.bin"), QByteArray(0x200, '\xFF'));
    EXPECT_EQ(r.erreurs.count("Erase EEPROM "), 8);
}

// A record addressed to RAM, a missing file: exit 1 with the message, and no
// file is left behind.
TEST_F(CliProgrammation, FailuresEndWithStatusOne) {
    QFile s19(dir.filePath("ram.s19"));
    ASSERT_TRUE(s19.open(QIODevice::WriteOnly));
    s19.write("S1130200000102030405060708090A0B0C0D0E0FE1\n");
    s19.close();
    ResultatCli r = cli({"load-talker", "--", "program", "ram.s19"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.erreurs.contains("Adresse \u00e0 Programmer en dehors de la plage de l'EEPROM"));
    r = cli({"load-talker", "--", "program", "absent.s19"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.erreurs.contains("absent.s19 : fichier introuvable"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"ram.s19", "t.ini"}));
}
