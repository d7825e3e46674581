// The command line of tessaline-cli: global options, then commands separated by "--".
// Each row is an argument vector and either what the parser makes of it or the start of
// the one-line usage error the program prints before leaving with status 2.
#include "cli/command_line.h"

#include "program_runner.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace tessaline;

namespace {

// The parse as one line: the options that were given, then each command with its
// arguments, "|" between commands.
QString describe(const LigneCommande& l) {
    const OptionsGlobales& o = l.options;
    QStringList parts;
    if (!o.settings.isEmpty()) parts << "settings=" + o.settings;
    if (o.port) parts << "port=" + *o.port;
    if (o.hardware) parts << "hardware=" + *o.hardware;
    if (o.quartz) parts << "quartz=" + *o.quartz;
    if (o.baud) parts << "baud=" + QString::number(*o.baud);
    if (o.timeout) parts << "timeout=" + QString::number(*o.timeout);
    if (o.simulate) parts << "simulate";
    if (!o.eeprom.isEmpty()) parts << "eeprom=" + o.eeprom;
    if (!o.symbols.isEmpty()) parts << "symbols=" + o.symbols;
    if (o.yes) parts << "yes";
    QStringList commandes;
    for (const CommandeCli& c : l.commandes)
        commandes << (QStringList{c.nom} + c.arguments).join(u' ');
    parts << commandes.join(QStringLiteral(" | "));
    return parts.join(u' ');
}

struct Row {
    const char* arguments; // split on spaces
    const char* parsed;    // describe() of the result, or nullptr for a usage error
    const char* error;     // start of the error line when parsed is nullptr
};

const Row kRows[] = {
    // Commands and their arguments; hex fields are taken in upper case.
    {"info", "info", nullptr},
    {"dump b600 1f", "dump B600 1F", nullptr},
    {"set 1000 55 -- regs -- disassemble e000", "set 1000 55 | regs | disassemble E000", nullptr},
    {"-- info --", "info", nullptr},
    {"disasm 86ff00 c000", "disasm 86FF00 C000", nullptr},
    {"fill 0 ff 0", "fill 0 FF 0", nullptr},
    // Execution control: an optional start address, a decimal count and milliseconds.
    {"run -- run fe00 -- break fe15 -- step -- step 1000 -- wait 250 -- stop",
     "run | run FE00 | break FE15 | step | step 1000 | wait 250 | stop", nullptr},
    // File names and the option word stay as typed.
    {"program Prog.s19 --changed-only -- upload-bin e000 100 Out.bin -- erase",
     "program Prog.s19 --changed-only | upload-bin E000 100 Out.bin | erase", nullptr},
    // Global options, each once, before the first command.
    {"--settings /tmp/t.ini --port COM2 --hardware 68HC11E9 --quartz 16 --baud 9600 --timeout 0 "
     "--yes test-talker",
     "settings=/tmp/t.ini port=COM2 hardware=68HC11E9 quartz=16 baud=9600 timeout=0 yes test-talker",
     nullptr},
    {"--simulate --hardware 68HC11E9 --baud 9600 regs", "hardware=68HC11E9 baud=9600 simulate regs", nullptr},
    {"--timeout 15000 --baud 1200 regs", "baud=1200 timeout=15000 regs", nullptr},
    {"--eeprom ex.s19 --simulate dump fe00 10", "simulate eeprom=ex.s19 dump FE00 10", nullptr},
    // Usage errors.
    {"", nullptr, "no command given"},
    {"--verbose info", nullptr, "unknown option --verbose"},
    {"--port", nullptr, "--port needs a value"},
    {"--simulate --eeprom", nullptr, "--eeprom needs a value"},
    {"--eeprom ex.s19 info", nullptr, "--eeprom goes with --simulate"},
    {"--quartz 12 info", nullptr, "--quartz takes 2, 4, 8 or 16"},
    {"--baud 0 info", nullptr, "--baud takes a rate"},
    {"--baud 115201 info", nullptr, "--baud takes a rate"},
    {"--baud 9600x info", nullptr, "--baud takes a rate"},
    {"--timeout -1 info", nullptr, "--timeout takes tenths"},
    {"--timeout 15001 info", nullptr, "--timeout takes tenths of a second (0-15000)"},
    {"info --simulate", nullptr, "usage: info"},
    {"flash", nullptr, "unknown command flash"},
    {"program p.s19 --force", nullptr, "program: unknown option --force"},
    {"program p.s19 --ignore-checksum --changed-only", "program p.s19 --ignore-checksum --changed-only",
     nullptr},
    {"program p.s19 --changed-only --changed-only", nullptr, "program: --changed-only is given twice"},
    // Options that contradict each other, or one given twice.
    {"--simulate --port COM1 info", nullptr, "--port and --simulate contradict each other"},
    {"--port COM1 --port COM2 info", nullptr, "--port is given twice"},
    {"--simulate --simulate info", nullptr, "--simulate is given twice"},
    // What the console would complete or cut without a word: a length of 0 or
    // above FF, a fill value above FF. A value of set is a byte or a word.
    {"fill 0100 0 aa", nullptr, "fill: length 0 is not 1 to FF"},
    {"fill 0100 1ff aa", nullptr, "fill: length 1FF is not 1 to FF"},
    {"fill 0100 10 1ff", nullptr, "fill: value 1FF does not fit in a byte"},
    {"dump 0100 0", nullptr, "dump: length 0 is not 1 to FF"},
    {"dump 0100 100", nullptr, "dump: length 100 is not 1 to FF"},
    {"fill 0100 ff 0ff -- set 0100 1ff", "fill 0100 FF 0FF | set 0100 1FF", nullptr},
    {"upload-dis e000 10", nullptr, "usage: upload-dis ADDRESS LENGTH FILE"},
    {"upload-bin e000 1000g out.bin", nullptr, "upload-bin: 1000G is not 1 to 4 hex digits"},
    {"dump 1000", nullptr, "usage: dump ADDRESS LENGTH"},
    {"fill 1000 10 FF 1", nullptr, "usage: fill ADDRESS LENGTH VALUE"},
    {"dump 10000 10", nullptr, "dump: 10000 is not 1 to 4 hex digits"},
    {"disasm 86F", nullptr, "disasm: 86F is not a whole number of hex bytes"},
    {"info -- dump 1000", nullptr, "usage: dump"},
    {"step 0", nullptr, "step: 0 is not a decimal number from 1 to 1000"},
    {"step 1001", nullptr, "step: 1001 is not a decimal number from 1 to 1000"},
    {"wait 1F", nullptr, "wait: 1F is not a decimal number"},
    {"run FE00 0", nullptr, "usage: run [ADDRESS]"},
};

TEST(CommandLine, ArgumentVectorsGiveTheirParseOrAUsageError) {
    for (const Row& r : kRows) {
        const QStringList arguments = QString::fromUtf8(r.arguments).split(u' ', Qt::SkipEmptyParts);
        QString erreur;
        const auto ligne = analyserLigneCommande(arguments, erreur);
        if (r.parsed) {
            ASSERT_TRUE(ligne) << r.arguments << ": " << erreur.toStdString();
            EXPECT_EQ(describe(*ligne).toStdString(), r.parsed) << r.arguments;
        } else {
            EXPECT_FALSE(ligne) << r.arguments << " parsed as " << describe(*ligne).toStdString();
            EXPECT_TRUE(erreur.startsWith(QString::fromUtf8(r.error)))
                << r.arguments << ": " << erreur.toStdString();
            EXPECT_FALSE(erreur.contains(u'\n')) << r.arguments;
        }
    }
}

// Before anything is sent: on the simulated board, the Talker's download that
// comes first in the run does not even start.
TEST(CommandLine, UsageErrorLeavesWithStatusTwoBeforeTouchingAnything) {
    const struct {
        QStringList arguments;
        const char* erreur;
    } cas[] = {
        {{"--baud", "fast", "info"}, "tessaline-cli: --baud takes a rate"},
        {{"--simulate", "load-talker", "--", "fill", "0100", "0", "AA"},
         "tessaline-cli: fill: length 0 is not"},
        {{"--simulate", "load-talker", "--", "fill", "0100", "10", "1FF"}, "tessaline-cli: fill: value 1FF"},
        {{"--simulate", "--port", "COM1", "load-talker"}, "tessaline-cli: --port and --simulate contradict"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.erreur);
        const test::ResultatCli r = test::lancer(QStringLiteral(TESSALINE_CLI), c.arguments);
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.erreurs.startsWith(c.erreur)) << r.erreurs.toStdString();
        EXPECT_EQ(r.erreurs.count(u'\n'), 1);
        EXPECT_TRUE(r.sortie.isEmpty());
    }
}

} // namespace

namespace {

// The example's symbols as the assembler writes its .SYM.
const QByteArray SymbolesExemple = "COMPTE      $0100\r\nPAIRS       $0101\r\nattente     $FE1F\r\n"
                                   "boucle      $FE07\r\ndebut       $FE00\r\nincremente  $FE15\r\n"
                                   "Yy          $1234\r\nYY          $4321\r\n\r\n8 symbol(s)\r\n";

} // namespace

// A symbol stands for an address by its exact name, or by the one name equal
// regardless of case, with a hexadecimal offset; an address is named by the
// nearest symbol below it, within 256 bytes.
TEST(Symbols, NamesAndAddressesBothWays) {
    const TableSymboles t = analyserSymboles(SymbolesExemple);
    EXPECT_EQ(t.taille(), 8) << "the count line is no symbol";
    EXPECT_EQ(t.adresse("boucle"), 0xFE07);
    EXPECT_EQ(t.adresse("BOUCLE"), 0xFE07);
    EXPECT_EQ(t.adresse("COMPTE+1"), 0x0101);
    EXPECT_EQ(t.adresse("debut-1"), 0xFDFF);
    EXPECT_EQ(t.adresse("incremente+A"), 0xFE1F);
    EXPECT_EQ(t.adresse("YY"), 0x4321);
    EXPECT_EQ(t.adresse("yy"), std::nullopt) << "two names match regardless of case";
    EXPECT_EQ(t.adresse("fin"), std::nullopt);
    EXPECT_EQ(t.adresse("debut+FFFF"), std::nullopt) << "past FFFF";
    EXPECT_EQ(t.nom(0xFE0A), "boucle+3");
    EXPECT_EQ(t.nom(0xFE15), "incremente");
    EXPECT_EQ(t.nom(0x0101), "PAIRS");
    EXPECT_EQ(t.nom(0x0300), "") << "farther than 256 bytes from any symbol";
}

// On the command line a symbol goes where an address goes, from --symbols or
// the .SYM beside the program's S19; four hex digits stay an address; an
// unknown symbol, or one with no symbols known, is a usage error.
TEST(Symbols, CommandLineAddressesMayBeSymbols) {
    QTemporaryDir dir;
    const QString sym = dir.filePath("prog.SYM"), s19 = dir.filePath("prog.s19");
    for (const auto& [chemin, texte] :
         {std::pair{sym, SymbolesExemple}, std::pair{s19, QByteArray("S9030000FC\n")}}) {
        QFile f(chemin);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(texte);
    }
    const auto resoudre = [](const QStringList& arguments, QString& erreur) {
        auto l = analyserLigneCommande(arguments, erreur);
        if (!l || !resoudreSymboles(*l, erreur)) return QString();
        return describe(*l);
    };
    QString erreur;
    EXPECT_EQ(
        resoudre({"--symbols", sym, "dump", "COMPTE", "2", "--", "break", "boucle+3", "--", "run", "BEEF"},
                 erreur),
        "symbols=" + sym + " dump 0100 2 | break FE0A | run BEEF")
        << erreur.toStdString();
    EXPECT_EQ(resoudre({"program", s19, "--", "fill", "compte", "2", "0"}, erreur),
              "program " + s19 + " | fill 0100 2 0")
        << erreur.toStdString();
    EXPECT_EQ(resoudre({"--symbols", sym, "dump", "fin", "2"}, erreur), "");
    EXPECT_EQ(erreur, "dump: fin is no symbol of prog.SYM");
    EXPECT_EQ(resoudre({"dump", "boucle", "2"}, erreur), "");
    EXPECT_TRUE(erreur.startsWith("a symbol stands for an address, and no symbols are known"))
        << erreur.toStdString();
    EXPECT_EQ(resoudre({"dump", "FE00", "boucle"}, erreur), "") << "a length is no address";
}
