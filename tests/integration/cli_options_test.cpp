// The command line's options and stored settings, checked before anything is
// sent: tessaline-cli on the in-process simulated board, in virtual time.
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ResultatCli {
    int code;
    QString sortie;
    QString erreurs;
};

ResultatCli cli(const QByteArray& reglages, const QStringList& arguments, const QString& dossier = {}) {
    QTemporaryDir dir;
    const QString fichier = dir.filePath(QStringLiteral("t.ini"));
    QFile f(fichier);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reglages);
    f.close();
    QProcess p;
    if (!dossier.isEmpty()) p.setWorkingDirectory(dossier);
    p.start(QStringLiteral(TESSALINE_CLI),
            QStringList{QStringLiteral("--settings"), fichier, QStringLiteral("--simulate")} + arguments);
    // A Talker that can never answer makes the download retry without end.
    if (!p.waitForFinished(30000)) p.kill();
    p.waitForFinished();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

TEST(CliOptions, CrystalAndRateAreCheckedBeforeAnythingIsSent) {
    struct Cas {
        QStringList arguments;
        int code;
        const char* explication; // in the one line of a refusal
    };
    const Cas cas[] = {
        {{"--quartz", "4", "--baud", "9600", "load-talker"},
         2,
         "with crystal 4 MHz, which allows 600, 1200, 2400 and 4800 baud"},
        {{"--quartz", "16", "--baud", "19200", "--timeout", "50", "load-talker"}, 0, nullptr},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const ResultatCli r = cli("[Config]\nQuartz=8\nBaud=1200\n", c.arguments);
        EXPECT_EQ(r.code, c.code) << r.erreurs.toStdString();
        if (c.explication) {
            EXPECT_EQ(r.erreurs.count(u'\n'), 1) << r.erreurs.toStdString();
            EXPECT_TRUE(r.erreurs.contains(QLatin1String(c.explication))) << r.erreurs.toStdString();
            EXPECT_TRUE(r.sortie.isEmpty()) << "nothing was sent: " << r.sortie.toStdString();
        } else {
            EXPECT_TRUE(r.sortie.contains("Talker: Talker Charg\u00e9")) << r.sortie.toStdString();
        }
    }
}

// A stored crystal that is not a number, with a rate it could not give, falls
// back as the options dialog does; the simulated board has that crystal.
TEST(CliOptions, StoredCrystalAndRateFallBackAndTheTalkerLoads) {
    const ResultatCli r = cli("[Config]\nQuartz=abc\nBaud=19200\nTimeout=50\n", {"load-talker"});
    EXPECT_EQ(r.code, 0) << r.erreurs.toStdString();
    EXPECT_TRUE(r.sortie.contains("Talker: Talker Charg\u00e9")) << r.sortie.toStdString();
}

// A command line tells what to do while it waits for the board, and prints no
// registers that did not come from the target.
TEST(CliOptions, PromptsForTheResetAndPrintsNoInventedRegisters) {
    const ResultatCli regs = cli("[Config]\nTimeout=20\n", {"regs"});
    EXPECT_EQ(regs.code, 1);
    EXPECT_TRUE(regs.sortie.isEmpty()) << regs.sortie.toStdString();

    const ResultatCli charge = cli("[Config]\nTimeout=20\n", {"load-talker", "--", "regs"});
    EXPECT_EQ(charge.code, 0) << charge.erreurs.toStdString();
    EXPECT_TRUE(charge.erreurs.contains("Reset 68HC11F1 !...\nMettez MODA et MODB en Mode BOOSTRAP\n"))
        << charge.erreurs.toStdString();
    EXPECT_TRUE(charge.sortie.contains("SP=00E8\n")) << charge.sortie.toStdString();
}

// The simulated board is the device: a stored port that names nothing is no
// reason to fail. And --help is no usage error.
TEST(CliOptions, SimulationIgnoresTheStoredPortAndHelpIsNoError) {
    const ResultatCli r = cli("[Config]\nPort=XYZ\nTimeout=20\n", {"load-talker"});
    EXPECT_EQ(r.code, 0) << r.erreurs.toStdString();
    const ResultatCli aide = cli("", {"--help"});
    EXPECT_EQ(aide.code, 0);
    EXPECT_TRUE(aide.sortie.startsWith("usage: tessaline-cli")) << aide.sortie.toStdString();
    EXPECT_TRUE(aide.erreurs.isEmpty());
}

// The simulated board can start with its EEPROM programmed earlier: the dump
// after the download shows the example program's first record, byte for byte.
TEST(CliOptions, EepromImageIsInTheSimulatedBoardFromTheStart) {
    QFile image(QStringLiteral(TESSALINE_EXAMPLES "/compteur.s19"));
    ASSERT_TRUE(image.open(QIODevice::ReadOnly));
    const QList<QByteArray> records = image.readAll().split('\n');
    ASSERT_TRUE(records.size() > 1 && records[1].startsWith("S113FE00")) << records.value(1).toStdString();
    QStringList octets;
    for (int i = 8; i < 8 + 32; i += 2)
        octets << QString::fromLatin1(records[1].mid(i, 2));

    const ResultatCli r = cli("[Config]\nTimeout=20\n",
                              {"--eeprom", image.fileName(), "load-talker", "--", "dump", "FE00", "10"});
    EXPECT_EQ(r.code, 0) << r.erreurs.toStdString();
    EXPECT_TRUE(r.sortie.contains(QStringLiteral("FE00 ") + octets.join(u' ') + u' '))
        << r.sortie.toStdString();

    // Given by its name alone, the example is found among the installed ones,
    // unless the current folder holds a file of that name: that one is taken.
    QTemporaryDir ailleurs;
    const QStringList parNom{"--eeprom", "compteur.s19", "load-talker", "--", "dump", "FE00", "1"};
    const ResultatCli exemple = cli("[Config]\nTimeout=20\n", parNom, ailleurs.path());
    EXPECT_EQ(exemple.code, 0) << exemple.erreurs.toStdString();
    EXPECT_TRUE(exemple.sortie.contains(QStringLiteral("FE00 ") + octets[0] + u' '))
        << exemple.sortie.toStdString();
    QFile local(ailleurs.filePath(QStringLiteral("compteur.s19")));
    ASSERT_TRUE(local.open(QIODevice::WriteOnly));
    local.write("S104FE00A558\nS9030000FC\n");
    local.close();
    const ResultatCli propre = cli("[Config]\nTimeout=20\n", parNom, ailleurs.path());
    EXPECT_EQ(propre.code, 0) << propre.erreurs.toStdString();
    EXPECT_TRUE(propre.sortie.contains(QStringLiteral("FE00 A5 "))) << propre.sortie.toStdString();
}

// The dump's character column on a terminal: bytes below 32, DEL and the
// codes 81, 8D, 8F, 90 and 9D (control characters in the memory window's code
// page) are ".", so that nothing on standard output drives the terminal; a
// printable byte keeps its character.
TEST(CliOptions, DumpWritesNoControlCharacterToTheTerminal) {
    const ResultatCli r =
        cli("[Config]\nTimeout=20\n",
            {"load-talker", "--",   "set", "0100", "7F81", "--",   "set", "0102", "8D1B", "--", "set",
             "0104",        "8F90", "--",  "set",  "0106", "9D41", "--",  "dump", "0100", "8"});
    ASSERT_EQ(r.code, 0) << r.erreurs.toStdString();
    EXPECT_TRUE(r.sortie.endsWith(QStringLiteral("0100 7F 81 8D 1B 8F 90 9D 41 ") + QString(24, u' ') +
                                  QStringLiteral(".......A\n")))
        << r.sortie.toStdString();
    for (const QChar c : r.sortie)
        EXPECT_TRUE(c == u'\n' || c.isPrint()) << "U+" << std::hex << static_cast<int>(c.unicode());
}

} // namespace
