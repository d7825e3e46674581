// tessaline-cli on the in-process simulated board (--simulate), in virtual time: its
// options and stored settings, checked before anything is sent; program, verify, erase,
// upload-bin and upload-dis, what the files hold afterwards, symbols for addresses,
// and the exit status.
#include "program_runner.h"
#include "s_record_lines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tessaline::test;

namespace {

class CliSimulee : public ::testing::Test {
protected:
    // A run with `reglages` as its settings file, in the test's folder.
    ResultatCli cli(const QStringList& arguments, const QByteArray& reglages = Reglages,
                    bool erreursSurTerminal = false) {
        ecrireFichier(QStringLiteral("t.ini"), reglages);
        return lancer(QStringLiteral(TESSALINE_CLI),
                      QStringList{"--settings", dir.filePath(QStringLiteral("t.ini")), "--simulate"} +
                          arguments,
                      Lancement().dans(dir.path()).surTerminal(erreursSurTerminal));
    }
    void ecrireFichier(const QString& nom, const QByteArray& contenu) {
        QFile f(dir.filePath(nom));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contenu);
    }
    QByteArray lire(const QString& nom) {
        QFile f(dir.filePath(nom));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static constexpr const char* Reglages = "[Config]\nQuartz=8\nBaud=9600\nHardWare=68HC11F1\nTimeout=50\n";
    QTemporaryDir dir;
    // The example's 35 bytes at $FE00.
    const QByteArray programme =
        QByteArray::fromHex("0E7F01007F0101BDFE15850126037C01018D0A20F2B601004CB7010039C6105A26FD39");
};

} // namespace

TEST_F(CliSimulee, CrystalAndRateAreCheckedBeforeAnythingIsSent) {
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
        const ResultatCli r = cli(c.arguments, "[Config]\nQuartz=8\nBaud=1200\n");
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

// A command line tells what to do while it waits for the board, and prints no
// registers that did not come from the target.
TEST_F(CliSimulee, PromptsForTheResetAndPrintsNoInventedRegisters) {
    const ResultatCli regs = cli({"regs"}, "[Config]\nTimeout=20\n");
    EXPECT_EQ(regs.code, 1);
    EXPECT_TRUE(regs.sortie.isEmpty()) << regs.sortie.toStdString();

    const ResultatCli charge = cli({"load-talker", "--", "regs"}, "[Config]\nTimeout=20\n");
    EXPECT_EQ(charge.code, 0) << charge.erreurs.toStdString();
    EXPECT_TRUE(charge.erreurs.contains("Reset 68HC11F1 !...\nMettez MODA et MODB en Mode BOOSTRAP\n"))
        << charge.erreurs.toStdString();
    EXPECT_TRUE(charge.sortie.contains("SP=00E8\n")) << charge.sortie.toStdString();
}

// The simulated board is the device: a stored port that names nothing is no
// reason to fail.
TEST_F(CliSimulee, SimulationIgnoresTheStoredPort) {
    const ResultatCli r = cli({"load-talker"}, "[Config]\nPort=XYZ\nTimeout=20\n");
    EXPECT_EQ(r.code, 0) << r.erreurs.toStdString();
}

// An EEPROM image given by its name alone is found among the installed examples (the
// help pages' command lines run so), unless the current folder holds a file of that
// name: that one is taken.
TEST_F(CliSimulee, AnEepromImageInTheCurrentFolderComesBeforeTheExamples) {
    ecrireFichier(QStringLiteral("compteur.s19"), "S104FE00A558\nS9030000FC\n");
    const ResultatCli r =
        cli({"--eeprom", "compteur.s19", "load-talker", "--", "dump", "FE00", "1"}, "[Config]\nTimeout=20\n");
    EXPECT_EQ(r.code, 0) << r.erreurs.toStdString();
    EXPECT_TRUE(r.sortie.contains(QStringLiteral("FE00 A5 "))) << r.sortie.toStdString();
}

// The dump's character column on a terminal: bytes below 32, DEL and the
// codes 81, 8D, 8F, 90 and 9D (control characters in the memory window's code
// page) are ".", so that nothing on standard output drives the terminal; a
// printable byte keeps its character.
TEST_F(CliSimulee, DumpWritesNoControlCharacterToTheTerminal) {
    const ResultatCli r =
        cli({"load-talker", "--",   "set", "0100", "7F81", "--",   "set", "0102", "8D1B", "--", "set",
             "0104",        "8F90", "--",  "set",  "0106", "9D41", "--",  "dump", "0100", "8"},
            "[Config]\nTimeout=20\n");
    ASSERT_EQ(r.code, 0) << r.erreurs.toStdString();
    EXPECT_TRUE(r.sortie.endsWith(QStringLiteral("0100 7F 81 8D 1B 8F 90 9D 41 ") + QString(24, u' ') +
                                  QStringLiteral(".......A\n")))
        << r.sortie.toStdString();
    for (const QChar c : r.sortie)
        EXPECT_TRUE(c == u'\n' || c.isPrint()) << "U+" << std::hex << static_cast<int>(c.unicode());
}

// Programmed, then read back into a binary file: the example's bytes; the
// second, changed-only pass writes nothing.
TEST_F(CliSimulee, ProgramThenUploadGivesTheProgramBack) {
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
    EXPECT_FALSE(r.erreurs.contains(u'%'));
}

// On a terminal every long operation shows its progress line up to 100 % and
// erases it when it ends; standard output, a pipe, gets none of it.
TEST_F(CliSimulee, ProgressLinesOnATerminalOnly) {
    const ResultatCli r =
        cli({"--yes", "load-talker", "--", "program", TESSALINE_EXAMPLES "/compteur.s19", "--", "erase", "--",
             "upload-bin", "fe00", "200", "p.bin", "--", "upload-dis", "b600", "10", "p.dis"},
            Reglages, true);
    ASSERT_EQ(r.code, 0) << r.erreurs.toStdString();
    EXPECT_EQ(lire("p.bin"), QByteArray(0x200, '\xFF'));
    const QString titres[] = {"Load Talker !...", "Load *.S19 !...", "Erase EEPROM !...",
                              "Attendez SVP... UpLoadBIN en Cours", "Attendez SVP... UpLoadDIS en Cours"};
    qsizetype depuis = 0;
    for (const QString& titre : titres) {
        SCOPED_TRACE(titre.toStdString());
        const qsizetype fin = r.erreurs.indexOf(u'\r' + titre + QStringLiteral(" 100 %"), depuis);
        ASSERT_GE(fin, 0) << r.erreurs.toStdString();
        EXPECT_TRUE(r.erreurs.mid(depuis, fin - depuis).contains(u'\r' + titre + QStringLiteral("   0 %")));
        // Erased once done: nothing else written over it.
        depuis = fin + titre.size() + 7;
        EXPECT_EQ(r.erreurs.mid(depuis, 4), QStringLiteral("\r\x1b[K"));
    }
    EXPECT_FALSE(r.sortie.contains(u'\r'));
    EXPECT_FALSE(r.sortie.contains(u'%'));
}

// Erase asks; with no terminal to answer and no --yes, nothing is erased and
// the run fails. With --yes the EEPROM reads $FF.
TEST_F(CliSimulee, EraseNeedsYesWithoutATerminal) {
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
    // One bulk-erase pulse for the whole array.
    EXPECT_EQ(r.erreurs.count("Erase EEPROM "), 1);
    EXPECT_TRUE(r.erreurs.contains("Erase EEPROM FE00 - FFFF")) << r.erreurs.toStdString();
    EXPECT_FALSE(r.erreurs.contains(u'\r') || r.erreurs.contains(u'%')) << "no progress off a terminal";
}

// config: CONFIG and its bits on standard output; security refused, nothing
// programmed; a new value programmed and said to take effect at RESET; a value
// past a byte refused before anything is sent.
TEST_F(CliSimulee, ConfigShowsItsBitsRefusesSecurityAndProgramsForTheNextReset) {
    ResultatCli r = cli({"load-talker", "--", "config"}, Reglages);
    EXPECT_EQ(r.code, 0) << r.erreurs.toStdString();
    EXPECT_TRUE(r.sortie.contains("CONFIG = $FF\n  EE3-EE0 = 1111 : EEPROM en $FE00\n"))
        << r.sortie.toStdString();
    EXPECT_TRUE(r.sortie.contains("  NOCOP = 1 : chien de garde COP arr\u00eat\u00e9\n"));

    r = cli({"load-talker", "--", "config", "F7"}, Reglages);
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.erreurs.contains("mode s\u00e9curit\u00e9 (NOSEC = 0)")) << r.erreurs.toStdString();
    EXPECT_TRUE(r.erreurs.contains("config : rien n'est programm\u00e9"));

    r = cli({"load-talker", "--", "config", "fb"}, Reglages);
    EXPECT_EQ(r.code, 0) << r.erreurs.toStdString();
    EXPECT_TRUE(
        r.erreurs.contains("CONFIG programm\u00e9 : $FB. La relecture donne encore $FF, ce qui est normal"))
        << r.erreurs.toStdString();

    r = cli({"config", "100"}, Reglages);
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.erreurs.contains("config: value 100 does not fit in a byte")) << r.erreurs.toStdString();
}

// A record addressed to RAM, a missing file: exit 1 with the message, and no
// file is left behind.
TEST_F(CliSimulee, FailuresEndWithStatusOne) {
    ecrireFichier("ram.s19", "S1130200000102030405060708090A0B0C0D0E0FE1\n");
    ResultatCli r = cli({"load-talker", "--", "program", "ram.s19"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.erreurs.contains("Adresse \u00e0 Programmer en dehors de la plage de l'EEPROM"));
    r = cli({"load-talker", "--", "program", "absent.s19"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.erreurs.contains("absent.s19 : fichier introuvable"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"ram.s19", "t.ini"}));
}

// The save over a link to a device node (a pipe stands in for it),
// and a folder: refused before any read, with the message, and left as they
// were. (A link to a regular file: FichiersOrdinaires.ALinkIsFollowedAndTheOldPermissionsKept.)
TEST_F(CliSimulee, UploadsWriteOnlyRegularFiles) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("n")).constData(), 0644), 0);
    ASSERT_TRUE(QFile::link(dir.filePath("n"), dir.filePath("out.bin")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("dossier.dis"));
    ResultatCli r = cli({"load-talker", "--", "upload-bin", "FE00", "4", "out.bin"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.erreurs.contains("out.bin n'est pas un fichier ordinaire (un tube nomm\u00e9)"))
        << r.erreurs.toStdString();
    EXPECT_FALSE(r.erreurs.contains("LoadMem")) << "nothing read for a refused file";
    r = cli({"load-talker", "--", "upload-dis", "FE00", "4", "dossier.dis"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.erreurs.contains("dossier.dis n'est pas un fichier ordinaire (un dossier)"));
    EXPECT_TRUE(QFileInfo(dir.filePath("out.bin")).isSymLink());
    EXPECT_TRUE(QFileInfo(dir.filePath("dossier.dis")).isDir());
}

// A range past $FFFF would read from $0000 on: refused as writes past it are,
// before anything is read, and no file is made.
TEST_F(CliSimulee, AnUploadPastFFFFIsRefused) {
    const ResultatCli r = cli({"load-talker", "--", "upload-bin", "FFFF", "10", "haut.bin"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.erreurs.contains("Lecture refus\u00e9e : de FFFF \u00e0 1000E, au-del\u00e0 de FFFF"))
        << r.erreurs.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("haut.bin")));
}

// Records with a wrong checksum are programmed, each named on one line of
// standard error, and the run fails unless --ignore-checksum is given.
TEST_F(CliSimulee, WrongChecksumsAreNamedAndFailTheRunUnlessIgnored) {
    ecrireFichier("faux.s19", "S105FE00AABB00\nS105FE02CCDD51\nS105FE04EEFF00\n"); // lines 1 and 3 wrong
    ResultatCli r =
        cli({"load-talker", "--", "program", "faux.s19", "--", "upload-bin", "FE00", "6", "p.bin"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(lire("p.bin"), QByteArray::fromHex("AABBCCDDEEFF")) << "programmed all the same";
    EXPECT_TRUE(
        r.erreurs.contains("Somme de contr\u00f4le fausse ligne 1 : S1 FE00, lue 00, calcul\u00e9e 97\n"))
        << r.erreurs.toStdString();
    EXPECT_TRUE(
        r.erreurs.contains("Somme de contr\u00f4le fausse ligne 3 : S1 FE04, lue 00, calcul\u00e9e 0B\n"));
    EXPECT_FALSE(r.erreurs.contains("ligne 2 :"));
    EXPECT_TRUE(r.erreurs.contains("2 enregistrement(s) S1"));

    r = cli({"load-talker", "--", "program", "faux.s19", "--ignore-checksum", "--changed-only"});
    EXPECT_EQ(r.code, 0) << r.erreurs.toStdString();
    EXPECT_EQ(r.erreurs.count("Somme de contr\u00f4le fausse"), 2);
}

// A folder given to program is named for what it is.
TEST_F(CliSimulee, AFolderIsNoS19File) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("prog.s19"));
    const ResultatCli r = cli({"load-talker", "--", "program", "prog.s19"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.erreurs.contains("prog.s19 n'est pas un fichier ordinaire (un dossier)"))
        << r.erreurs.toStdString();
}

// 300 bytes in ten records (more than one read), one of them written over by
// a later record: verify agrees with what program wrote, then names exactly the
// bytes changed behind its back, in both reads, with exit status 1.
TEST_F(CliSimulee, VerifyNamesEveryByteThatDiffersAndOnlyThose) {
    QByteArray s19, image(300, 0);
    for (int i = 0; i < 300; ++i)
        image[i] = char(i * 7 + 1);
    for (int debut = 0; debut < 300; debut += 30)
        s19 += ligneS1(0xFE00 + debut, image.mid(debut, 30));
    image.replace(0x10, 4, QByteArray::fromHex("A1A2A3A4"));
    s19 += ligneS1(0xFE10, QByteArray::fromHex("A1A2A3A4")) + "S9030000FC\n";
    ecrireFichier("p.s19", s19);

    ResultatCli r = cli({"load-talker", "--", "program", "p.s19", "--", "verify", "p.s19"});
    EXPECT_EQ(r.code, 0) << r.erreurs.toStdString();
    EXPECT_TRUE(r.erreurs.contains("verify : 300 octet(s) lu(s), 0 diff\u00e9rence(s)"))
        << r.erreurs.toStdString();

    r = cli({"load-talker", "--", "program", "p.s19", "--", "set", "FE11", "00", "--", "set", "FF20", "5A",
             "--", "verify", "p.s19"});
    EXPECT_EQ(r.code, 1);
    const QString attendu =
        QStringLiteral("FE11 A2 00\nFF20 %1 5A\n").arg(int(std::uint8_t(image[0x120])), 2, 16, QChar(u'0'));
    EXPECT_TRUE(r.sortie.endsWith(attendu.toUpper())) << r.sortie.toStdString();
}

// The example programmed with its .SYM beside it: breakpoint, start and dump by
// symbol, and the stop line names the stop by its symbol.
TEST_F(CliSimulee, SymbolsBesideTheProgramNameAddressesAndStops) {
    ASSERT_TRUE(QFile::copy(QStringLiteral(TESSALINE_EXAMPLES "/compteur.s19"), dir.filePath("c.s19")));
    ecrireFichier("c.SYM",
                  "COMPTE      $0100\r\ndebut       $FE00\r\nincremente  $FE15\r\n\r\n3 symbol(s)\r\n");
    const ResultatCli r = cli({"load-talker", "--", "program", "c.s19", "--", "break", "incremente+3", "--",
                               "run", "debut", "--", "dump", "COMPTE", "1"});
    EXPECT_EQ(r.code, 0) << r.erreurs.toStdString();
    EXPECT_TRUE(r.sortie.contains(QRegularExpression("\nFE18 <incremente\\+3> [^\n]*INCA\nPC=FE18 ")))
        << r.sortie.toStdString();
    EXPECT_TRUE(r.sortie.contains("\n0100 00 "))
        << "stopped before its first INCA: " << r.sortie.toStdString();

    // Assembled in the same line: the symbols are the ones the assembly writes,
    // not those of an older .SYM, and are read when the command comes.
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(TESSALINE_EXAMPLES "/compteur.asm"), dir.filePath("compteur.asm")));
    ecrireFichier("compteur.SYM", "boucle      $FE01\r\n\r\n1 symbol(s)\r\n");
    const ResultatCli a =
        cli({"assemble", "compteur.asm", "--", "load-talker", "--", "program", "compteur.S19", "--", "break",
             "boucle", "--", "run", "FE00", "--", "break", "nulle"});
    EXPECT_EQ(a.code, 1);
    EXPECT_TRUE(a.sortie.contains("\nFE07 <boucle> \tBDFE15\t\t\tJSR\t$FE15 <incremente>\n"))
        << a.sortie.toStdString();
    EXPECT_TRUE(a.erreurs.endsWith("tessaline-cli: break: nulle is no symbol of compteur.SYM\n"))
        << a.erreurs.toStdString();
}

// watch on the running chaser, by symbol and by address: one line every
// 250 ms for two seconds, the time first, then each entry as NAME=HEX (DEC);
// the lit LED moves from line to line.
TEST_F(CliSimulee, WatchPrintsOneLinePerRefresh) {
    QFile sym(dir.filePath("c.SYM"));
    ASSERT_TRUE(sym.open(QIODevice::WriteOnly));
    sym.write("MOTIF       $0100\r\nSENS        $0101\r\n\r\n2 symbol(s)\r\n");
    sym.close();
    const ResultatCli r =
        cli({"--eeprom", QStringLiteral(TESSALINE_EXAMPLES "/chenillard.s19"), "--symbols", sym.fileName(),
             "load-talker", "--", "run", "FE00", "--", "watch", "MOTIF", "0101", "--for", "2000"});
    EXPECT_EQ(r.code, 0) << r.erreurs.toStdString();
    static const QRegularExpression ligne(
        QStringLiteral("^(\\d+\\.\\d{3}) MOTIF=([0-9A-F]{2}) \\((\\d+)\\) 0101=00 \\(0\\)$"),
        QRegularExpression::MultilineOption);
    QVector<double> temps;
    QStringList motifs;
    for (auto it = ligne.globalMatch(r.sortie); it.hasNext();) {
        const auto m = it.next();
        temps << m.captured(1).toDouble();
        EXPECT_EQ(m.captured(2).toInt(nullptr, 16), m.captured(3).toInt()) << "hex and decimal agree";
        if (!motifs.contains(m.captured(2))) motifs << m.captured(2);
    }
    ASSERT_EQ(temps.size(), 8) << r.sortie.toStdString();
    EXPECT_EQ(temps.front(), 0.0);
    EXPECT_NEAR(temps.back(), 1.75, 0.05);
    EXPECT_GE(motifs.size(), 6) << r.sortie.toStdString();
}

// The simulated board's time tools through the Talker, on the example counter
// (compteur.s19): each stop gives the program's own cycles since the last one; a
// step back over one pass of the loop (44 instructions, the even pass) lands where
// the stop before was, registers and memory alike; a write watchpoint stops after the
// instruction that writes.
TEST_F(CliSimulee, CyclesStepBackAndWatchpointsThroughTheTalker) {
    const auto registres = [](const QString& sortie) {
        QStringList lignes;
        for (const QString& l : sortie.split(u'\n'))
            if (l.startsWith(QLatin1String("PC="))) lignes << l;
        return lignes;
    };
    const ResultatCli r =
        cli({"--eeprom", "compteur.s19", "load-talker", "--",   "break", "FE07", "--", "run",      "FE00",
             "--",       "continue",     "--",          "dump", "0100",  "2",    "--", "continue", "--",
             "back",     "44",           "--",          "dump", "0100",  "2",    "--", "back",     "500"});
    EXPECT_EQ(r.code, 0) << r.erreurs.toStdString();
    // CLI, CLR, CLR; an odd pass; an even pass with its INC.
    for (const char* cycles : {"14 E (7,0 \u00b5s)", "122 E (61,0 \u00b5s)", "128 E (64,0 \u00b5s)"})
        EXPECT_TRUE(r.sortie.contains(QStringLiteral("\nCycles depuis le dernier arr\u00eat : ") +
                                      QString::fromUtf8(cycles) + u'\n'))
            << cycles << r.sortie.toStdString();
    const QStringList vus = registres(r.sortie);
    ASSERT_EQ(vus.size(), 5) << r.sortie.toStdString();
    EXPECT_EQ(vus[3], vus[1]) << "back 44 is the stop before";
    EXPECT_TRUE(vus[4].startsWith(QLatin1String("PC=FE00 "))) << "all the way back: " << vus[4].toStdString();
    EXPECT_EQ(r.sortie.count(QStringLiteral("\n0100 01 00 ")), 2) << r.sortie.toStdString();

    const ResultatCli w =
        cli({"--eeprom", "compteur.s19", "watchpoint", "0100-0101", "w", "--", "load-talker", "--", "run",
             "FE00", "--", "wait", "100", "--", "continue", "--", "wait", "100"});
    EXPECT_EQ(w.code, 0) << w.erreurs.toStdString();
    EXPECT_TRUE(w.sortie.contains(QStringLiteral("Point d'observation $0100-$0101 (\u00e9criture)\n")));
    EXPECT_TRUE(
        w.sortie.contains(QStringLiteral("\nFE04 ")) &&
        w.sortie.contains(QStringLiteral("Point d'observation : $0100 \u00e9crit ($00) par l'instruction "
                                         "en $FE01\n")))
        << w.sortie.toStdString();
    EXPECT_TRUE(
        w.sortie.contains(QStringLiteral("Point d'observation : $0101 \u00e9crit ($00) par l'instruction "
                                         "en $FE04\n")))
        << w.sortie.toStdString();

    const ResultatCli refus = cli({"watchpoint", "0101-0100"});
    EXPECT_EQ(refus.code, 2);
    EXPECT_TRUE(refus.erreurs.contains(QStringLiteral("finit avant de commencer")))
        << refus.erreurs.toStdString();
}
