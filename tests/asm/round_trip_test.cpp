// Every opcode the decoder knows, written as the decoder lists it, assembles
// back to its own bytes: the assembler reads the decoder's operand formats
// ("$21 , X", the bit instructions' blank-separated fields, the binary mask,
// the branch target) and picks the same addressing mode.
#include "asm/assembler.h"
#include "disasm/desass_instr.h"

#include <gtest/gtest.h>

using namespace tessaline;

namespace {

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

} // namespace
