// The assembler: every opcode against the decoder, the directives, the expressions, the
// faults and the three products; the program on hostile sources.
#include "asm/assembler.h"
#include "asm/listing_output.h"
#include "asm/srecord_output.h"
#include "disasm/desass_instr.h"
#include "program_runner.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

namespace tessaline::test {
namespace {

using namespace tessaline::asm11;
using namespace tessaline;
using namespace tessaline::test;

// The directives, the expressions, the choice of addressing mode, the faults
// with their line numbers, and the three products of one assembly.
// The code of an assembly as "ADDR:BYTES" per line that emits some.
std::string code(const Assemblage& a) {
    QStringList t;
    for (const LigneAssemblee& l : a.lignes)
        if (!l.octets.isEmpty())
            t << QString::number(l.adresse, 16).toUpper().rightJustified(4, u'0') + u':' +
                     QString::fromLatin1(l.octets.toHex().toUpper());
    return t.join(u' ').toStdString();
}

std::string erreurs(const Assemblage& a) {
    QStringList t;
    for (const MessageAssemblage& m : a.erreurs)
        t << QStringLiteral("%1: %2").arg(m.ligne).arg(m.texte);
    return t.join(u'\n').toStdString();
}

struct Cas {
    const char* nom;
    const char* source;
    const char* code;
};

TEST(Assembler, DirectivesExpressionsAndAddressingModes) {
    const Cas cas[] = {
        {"precedence, parentheses, bases, characters, unary minus",
         " FCB 2+3*4,(2+3)*4,10/3,-1,%1010,@17,'A','A'+1,$1f-$F,7-2-1", "0000:0E1403FF0A0F41421004"},
        {"* is the location counter in an operand and a product in between", " ORG $1234\n FDB *,*+2,2**",
         "1234:123412362468"},
        {"FCC has no terminating byte and keeps blanks; FDB is high byte first",
         " FCC /a b/\n FCC \"x;y\"\n FDB $1234,-2", "0000:612062 0003:783B79 0006:1234FFFE"},
        {"direct for a known value in page 0 up to $FF, extended for $100 and for a forward reference",
         "V EQU $40\n LDAA V\n LDAA V*4-1\n LDAA V*4\n LDAA FWD\nFWD NOP",
         "0000:9640 0002:96FF 0004:B60100 0007:B6000A 000A:01"},
        {"JMP has no direct form; JSR has one", " JMP $12\n JSR $12", "0000:7E0012 0003:9D12"},
        {"indexed: ,X, n,Y, blanks around the comma", " LDAA ,X\n LDAA 5,Y\n STAA $10 , x",
         "0000:A600 0002:18A605 0005:A710"},
        {"bit instructions: comma or blank separators, # before the mask",
         " BSET 4,X $80\n BCLR $12,#$55\n"
         "L BRCLR $10,$01,L\n BRSET 1,Y 2 *",
         "0000:1C0480 0003:151255 0006:131001FC 000A:181E0102FB"},
        {"immediate 16-bit, LSL and BHS as second names", " LDX #$1234\n LSLD\n BHS *",
         "0000:CE1234 0003:05 0004:24FE"},
        {"ORG several times, RMB reserves without emitting, labels with ':'",
         " ORG $100\nA: RMB 3\nB FDB A,B\n ORG $20\n FCB B-A", "0103:01000103 0020:03"},
        {"comments: '*' lines, ';' anywhere, text after the operand; CR LF line ends",
         "* head\r\n LDAA #1 load one\r\n  ; alone\r\n INCA ; with ;\r\n", "0000:8601 0002:4C"},
        {"branch range limits: +127 and -128", "B1 BRA B2\n RMB 127\nB2 RMB 0\nB3 RMB 126\n BRA B3",
         "0000:207F 00FF:2080"},
        {"BSZ and ZMB emit zeros, FILL a value; OPT and PAGE are ignored",
         " BSZ 2\n ZMB 1\n FILL $AA,3\n OPT l\n PAGE\n NOP", "0000:0000 0002:00 0003:AAAAAA 0006:01"},
        {"lines after END are not assembled", " NOP\n END\n WHAT EVER", "0000:01"},
    };
    for (const Cas& c : cas) {
        const Assemblage a = assembler(QString::fromLatin1(c.source));
        EXPECT_EQ(erreurs(a), "") << c.nom;
        EXPECT_EQ(code(a), c.code) << c.nom;
    }
}

TEST(Assembler, FaultsNameTheirLineAndLeaveTheOtherLinesInPlace) {
    const Assemblage a = assembler(QStringLiteral("L1 LDAA NOWHERE\n"
                                                  " BRA FAR\n"
                                                  " FROB\n"
                                                  "L1 NOP\n"
                                                  " LDAA #256\n"
                                                  " BSET $123 1\n"
                                                  " STAA #1\n"
                                                  " LDAA 4,Z\n"
                                                  " ORG LATER\n"
                                                  " EQU 4\n"
                                                  " FCC /open\n"
                                                  " LDAA 5/0\n"
                                                  " RMB 129\n"
                                                  " LDAA 1/ZERO\n"
                                                  "FAR NOP\n"
                                                  "LATER NOP\n"
                                                  "ZERO EQU 0\n"));
    EXPECT_EQ(erreurs(a), "1: undefined symbol NOWHERE\n"
                          "2: branch out of range: target $0091 is 140 bytes away (-128 to +127)\n"
                          "3: unknown mnemonic FROB\n"
                          "4: duplicate label L1 (first defined on line 1)\n"
                          "5: value 256 out of range\n"
                          "6: direct address 291 out of range\n"
                          "7: bad operand: no immediate mode for this instruction\n"
                          "8: bad operand: X or Y expected after ','\n"
                          "9: ORG needs a value known here: LATER is defined further down\n"
                          "10: EQU needs a label\n"
                          "11: bad operand: string not closed by /\n"
                          "12: bad operand: division by zero\n"
                          "14: bad operand: division by zero");
    // An unreadable operand emits nothing; a wrong value keeps its bytes' place.
    EXPECT_EQ(a.symboles.value("FAR"), 3 + 2 + 1 + 2 + 3 + 2 + 129 + 3);
    EXPECT_EQ(a.lignes[14].adresse, a.symboles.value("FAR")) << "pass 2 lays the code where pass 1 did";
}

// Parentheses and signs nested without end (the fuzzer's crash: 50,000
// parentheses) are a fault of their line, not a stack overflow; a sane depth
// still reads.
TEST(Assembler, DeepExpressionsAreAFaultOfTheirLine) {
    const QString profond = QString(50000, u'(') + u'1' + QString(50000, u')');
    const QString signes = QString(50000, u'-') + u'1';
    const Assemblage a = assembler(QStringLiteral(" NOP\n LDAA #") + profond + QStringLiteral("\n LDX #") +
                                   signes + QStringLiteral("\n LDAB #") + QString(200, u'(') +
                                   QStringLiteral("-2") + QString(200, u')') + QStringLiteral("\n"));
    EXPECT_EQ(erreurs(a), "2: bad operand: expression nested too deeply (more than 256 levels)\n"
                          "3: bad operand: expression nested too deeply (more than 256 levels)");
    EXPECT_NE(code(a).find(":C6FE"), std::string::npos) << code(a);
}

TEST(Assembler, ProductsAndTheAddressToListingLineMap) {
    const Assemblage a = assembler(QStringLiteral("N EQU 1\n"
                                                  " ORG $F000\n"
                                                  "zeta FCC /0123456789ABCDEFGHI/\n"
                                                  "alpha LDAA #N\n"
                                                  " ORG $F100\n"
                                                  " RTS\n"
                                                  " END alpha\n"));
    ASSERT_EQ(erreurs(a), "");
    // Records break at 16 bytes and wherever the addresses jump.
    const QByteArray s19 = texteS19(a, QStringLiteral("PROG"));
    EXPECT_EQ(s19.toStdString(), "S007000050524F47C0\r\n"
                                 "S113F000303132333435363738394142434445465A\r\n"
                                 "S108F010474849860198\r\n"
                                 "S104F10039D1\r\n"
                                 "S903F013F9\r\n");
    EXPECT_EQ(texteSymboles(a).toStdString(),
              "N         $0001\r\nalpha     $F013\r\nzeta      $F000\r\n\r\n3 symbol(s)\r\n");

    const QString lst = QString::fromLatin1(texteListing(a));
    const QStringList lignes = lst.split(QStringLiteral("\r\n"));
    EXPECT_EQ(lignes[0].toStdString(), "    1      =0001      N EQU 1");
    EXPECT_EQ(lignes[2].toStdString(), "    3 F000 3031323334 zeta FCC /0123456789ABCDEFGHI/");
    EXPECT_EQ(lignes[3].toStdString(), "      F005 3536373839");
    EXPECT_TRUE(lignes[6].startsWith("    4 F013 8601"));
    // $F014: the second byte of LDAA #N; $0001: an EQU value is no address.
    QList<int> numeros;
    for (int adresse : {0xF000, 0xF007, 0xF014, 0xF100, 0x0001, 0xF101})
        numeros << ligneListingDeAdresse(lst, adresse);
    EXPECT_EQ(numeros, (QList<int>{2, 3, 6, 8, -1, -1}));
}

// Found by fuzzing: a faulty instruction or an RMB 0 right after the last cell
// was listed at "10000", a five-digit address no cell has.
TEST(Assembler, NothingIsListedPastTheLastCell) {
    const Assemblage a = assembler(QStringLiteral(" ORG $FFFE\n LDAA #1\n CLR\n RMB 0\n"));
    EXPECT_EQ(erreurs(a), "3: bad operand: value expected");
    EXPECT_EQ(code(a), "FFFE:8601");
    EXPECT_EQ(std::pair(a.lignes[2].adresse, a.lignes[3].adresse), std::pair(-1, -1));
    EXPECT_FALSE(texteListing(a).contains("10000"));
}

// Every opcode the decoder knows, written as the decoder lists it, assembles
// back to its own bytes: the assembler reads the decoder's operand formats
// ("$21 , X", the bit instructions' blank-separated fields, the binary mask,
// the branch target) and picks the same addressing mode.
// Operand bytes for a class: an extended address above page 0 (else the
// assembler rightly picks direct), and a backward branch.
QByteArray operandes(InstrClass c) {
    switch (c) {
    case InstrClass::Extended:
    case InstrClass::Immediate16: return QByteArray::fromHex("C035");
    case InstrClass::Relative: return QByteArray::fromHex("92");
    default: return QByteArray::fromHex("45A592").left(operandBytes(c));
    }
}

// The decoder's line without its bytes: TAB, mnemonic, TAB, operand.
QString ligneSource(const QString& ligneListing) {
    QString l = ligneListing.mid(1);
    l = l.mid(l.indexOf(u'\t'));
    while (l.startsWith(QStringLiteral("\t\t")))
        l.remove(0, 1);
    return l;
}

TEST(RoundTrip, EveryOpcodeAssemblesBackToItsBytesInEitherCase) {
    int verifies = 0;
    for (int p = 0; p < kOpcodePageCount; ++p) {
        const auto page = OpcodePage(p);
        for (int code = 0; code < 256; ++code) {
            const OpcodeEntry* e = opcodeEntry(page, uint8_t(code));
            if (!e) continue;
            QByteArray octets;
            if (prebyteOf(page) != 0) octets.append(char(prebyteOf(page)));
            octets.append(char(code));
            octets.append(operandes(e->instrClass));
            const Desassemblage d =
                DesassInstr(QString::fromLatin1(octets.toHex().toUpper()), "C000", "0", "0");
            ASSERT_EQ(d.LongInstr, octets.size()) << d.ligne.toStdString();
            const QString ligne = ligneSource(d.ligne);
            for (const QString& texte : {ligne, ligne.toLower()}) {
                const asm11::Assemblage a =
                    asm11::assembler(QStringLiteral("\tORG\t$C000\n") + texte + u'\n');
                ASSERT_TRUE(a.erreurs.isEmpty())
                    << texte.toStdString() << ": " << a.erreurs.value(0).texte.toStdString();
                EXPECT_EQ(a.lignes[1].adresse, 0xC000);
                EXPECT_EQ(a.lignes[1].octets.toHex(), octets.toHex()) << texte.toStdString();
            }
            ++verifies;
        }
    }
    EXPECT_EQ(verifies, 307);
}

// tessaline-asm on names that are not regular files: each run ends at once with
// status 1 and a line naming the fault. (A source nested without end is
// Assembler.DeepExpressionsAreAFaultOfTheirLine's.)
struct Sortie {
    ResultatCli r;
    qint64 ms = 0;
};

Sortie assembler(const QString& source) {
    QElapsedTimer temps;
    temps.start();
    const ResultatCli r = lancer(QStringLiteral(TESSALINE_ASM), {source});
    return {r, temps.elapsed()};
}

TEST(AssemblerProgram, SourcesThatAreNoRegularFilesEndWithAFaultNotAWait) {
    QTemporaryDir dir;
    // A pipe would block the reading for ever, a device never end.
    const QString tube = dir.filePath("TUBE.ASM");
    ASSERT_EQ(::mkfifo(QFile::encodeName(tube).constData(), 0644), 0);
    for (const QString& source : {tube, QStringLiteral("/dev/zero")}) {
        SCOPED_TRACE(source.toStdString());
        const Sortie s = assembler(source);
        EXPECT_EQ(s.r.code, 1);
        EXPECT_TRUE(s.r.sortie.contains(": error: cannot read: not a regular file"))
            << s.r.sortie.toStdString();
        EXPECT_LT(s.ms, 10000);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System, QDir::Name), QStringList({"TUBE.ASM"}))
        << "no product";
}

} // namespace
} // namespace tessaline::test
