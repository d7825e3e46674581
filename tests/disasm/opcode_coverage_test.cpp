// Every opcode the decoder must know, and every other byte and prebyte pair, decoded from
// the expectation list of expected_opcodes.h.
#include "expected_opcodes.h"

#include "disasm/desass_instr.h"

#include <gtest/gtest.h>

#include <QSet>

#include <map>
#include <utility>

using namespace tessaline;
using tessaline::test::ExpectedOpcode;
using tessaline::test::expectedOpcodes;

namespace {

// What a class writes after the mnemonic and gives as destination, for one set of
// operand bytes following the opcode, worked out by hand from the listing format.
struct ClassForm {
    QString tabs;    // between the bytes and the mnemonic
    QString operand; // everything after the mnemonic
    QString adrDest;
};

struct OperandSet {
    const char* name;
    QString operands; // bytes after the opcode (and prebyte)
    QString adresse;
    QString regIX;
    QString regIY;
    std::map<std::pair<InstrClass, bool>, ClassForm> forms; // by class and "prefixed"
};

const QString T3 = QStringLiteral("\t\t\t");
const QString T2 = QStringLiteral("\t\t");

const OperandSet kForward = {
    "operands 21 43 65 at $E000, X=$1000, Y=$2000",
    "214365A9",
    "E000",
    "1000",
    "2000",
    {
        {{InstrClass::Inherent, false}, {T3, "", "E001"}},
        {{InstrClass::Inherent, true}, {T3, "", "E002"}},
        {{InstrClass::Immediate8, false}, {T3, "\t#$21", "E002"}},
        {{InstrClass::Immediate16, false}, {T3, "\t#$2143", "E003"}},
        {{InstrClass::Immediate16, true}, {T2, "\t#$2143", "E004"}},
        {{InstrClass::Direct, false}, {T3, "\t$21", "21"}},
        {{InstrClass::Direct, true}, {T3, "\t$21", "21"}},
        {{InstrClass::Extended, false}, {T3, "\t$2143", "2143"}},
        {{InstrClass::Extended, true}, {T3, "\t$2143", "2143"}},
        {{InstrClass::IndexedX, false}, {T3, "\t$21 , X", "1021"}},
        {{InstrClass::IndexedX, true}, {T3, "\t$21 , X", "1021"}},
        {{InstrClass::IndexedY, true}, {T3, "\t$21 , Y", "2021"}},
        {{InstrClass::Relative, false}, {T3, "\t$E023", "E023"}},
        {{InstrClass::BitDirect, false}, {T3, "\t$21\t%1000011", "E003"}},
        {{InstrClass::BitIndexedX, false}, {T3, "\t$21 , X %1000011", "E003"}},
        {{InstrClass::BitIndexedY, true}, {T3, "\t$21 , Y %1000011", "E004"}},
        {{InstrClass::BitBranchDirect, false}, {T3, "\t$21\t$43\t$E069", "E069"}},
        {{InstrClass::BitBranchIndexedX, false}, {T3, "\t$21 , X $43\t$E069", "E069"}},
        {{InstrClass::BitBranchIndexedY, true}, {T3, "\t$21 , Y $43\t$E06A", "E06A"}},
    }};

// Negative offsets and sums that wrap past $FFFF or below $0000.
const OperandSet kWrapping = {
    "operands C0 FF 80 at $0010, X=$FFF0, Y=$FF80",
    "C0FF8001",
    "0010",
    "FFF0",
    "FF80",
    {
        {{InstrClass::Inherent, false}, {T3, "", "0011"}},
        {{InstrClass::Inherent, true}, {T3, "", "0012"}},
        {{InstrClass::Immediate8, false}, {T3, "\t#$C0", "0012"}},
        {{InstrClass::Immediate16, false}, {T3, "\t#$C0FF", "0013"}},
        {{InstrClass::Immediate16, true}, {T2, "\t#$C0FF", "0014"}},
        {{InstrClass::Direct, false}, {T3, "\t$C0", "C0"}},
        {{InstrClass::Direct, true}, {T3, "\t$C0", "C0"}},
        {{InstrClass::Extended, false}, {T3, "\t$C0FF", "C0FF"}},
        {{InstrClass::Extended, true}, {T3, "\t$C0FF", "C0FF"}},
        {{InstrClass::IndexedX, false}, {T3, "\t$C0 , X", "00B0"}},
        {{InstrClass::IndexedX, true}, {T3, "\t$C0 , X", "00B0"}},
        {{InstrClass::IndexedY, true}, {T3, "\t$C0 , Y", "0040"}},
        {{InstrClass::Relative, false}, {T3, "\t$FFD2", "FFD2"}},
        {{InstrClass::BitDirect, false}, {T3, "\t$C0\t%11111111", "0013"}},
        {{InstrClass::BitIndexedX, false}, {T3, "\t$C0 , X %11111111", "0013"}},
        {{InstrClass::BitIndexedY, true}, {T3, "\t$C0 , Y %11111111", "0014"}},
        {{InstrClass::BitBranchDirect, false}, {T3, "\t$C0\t$FF\t$FF94", "FF94"}},
        {{InstrClass::BitBranchIndexedX, false}, {T3, "\t$C0 , X $FF\t$FF94", "FF94"}},
        {{InstrClass::BitBranchIndexedY, true}, {T3, "\t$C0 , Y $FF\t$FF95", "FF95"}},
    }};

QString hex2(int v) {
    return QString::number(v, 16).toUpper().rightJustified(2, u'0');
}

} // namespace

TEST(OpcodeCoverage, ExpectationListHoldsThe307OpcodesOnce) {
    const auto expected = expectedOpcodes();
    QSet<QString> codes;
    for (const ExpectedOpcode& e : expected)
        codes.insert(e.code);
    EXPECT_EQ(expected.size(), 307u);
    EXPECT_EQ(codes.size(), 307);
}

TEST(OpcodeCoverage, EveryKnownOpcodeDecodesToItsMnemonicLengthLineAndDestination) {
    for (const OperandSet* set : {&kForward, &kWrapping}) {
        for (const ExpectedOpcode& e : expectedOpcodes()) {
            SCOPED_TRACE(
                QStringLiteral("%1 %2, %3").arg(e.code, e.mnemonic, QLatin1String(set->name)).toStdString());
            const QString hexa = e.code + set->operands;
            const Desassemblage d = DesassInstr(hexa, set->adresse, set->regIX, set->regIY);
            const auto form = set->forms.find({e.instrClass, e.prefixed()});
            ASSERT_NE(form, set->forms.end()) << "no hand-written form for this class";
            EXPECT_EQ(d.LongInstr, e.length);
            EXPECT_EQ(d.ligne,
                      "\t" + hexa.left(2 * e.length) + form->second.tabs + e.mnemonic + form->second.operand);
            EXPECT_EQ(d.AdrDest, form->second.adrDest);

            const OpcodeEntry* entry = opcodeAt(hexa);
            ASSERT_NE(entry, nullptr);
            EXPECT_EQ(entry->instrClass, e.instrClass);
        }
    }
}

TEST(OpcodeCoverage, EveryOtherByteAndPrebytePairIsOneDataByte) {
    QSet<QString> known;
    for (const ExpectedOpcode& e : expectedOpcodes())
        known.insert(e.code);
    const QStringList prebytes = {"18", "1A", "CD"};
    int dataBytes = 0;
    const auto expectDataByte = [&](const QString& code) {
        const QString hexa = code + QStringLiteral("214365A9");
        const QString b1 = hexa.left(2);
        const Desassemblage d = DesassInstr(hexa, "C000", "0000", "0000");
        EXPECT_EQ(d.ligne, "\t" + b1 + "\t\t\tFCB\t$" + b1) << code.toStdString();
        EXPECT_EQ(d.LongInstr, 1) << code.toStdString();
        EXPECT_EQ(d.AdrDest, "C001") << code.toStdString();
        EXPECT_EQ(opcodeAt(hexa), nullptr) << code.toStdString();
        EXPECT_FALSE(transfersControl(hexa)) << code.toStdString();
        ++dataBytes;
    };
    for (int b = 0; b < 256; ++b) {
        const QString first = hex2(b);
        if (prebytes.contains(first)) {
            for (int s = 0; s < 256; ++s)
                if (!known.contains(first + hex2(s))) expectDataByte(first + hex2(s));
        } else if (!known.contains(first)) {
            expectDataByte(first);
        }
    }
    // 256 first bytes less 3 prebytes less 232 page-1 opcodes, and 3 x 256 pairs less 75.
    EXPECT_EQ(dataBytes, 21 + 768 - 75);
}

TEST(OpcodeCoverage, ControlTransfersAreTheBranchesJumpsAndCalls) {
    int transfers = 0;
    for (const ExpectedOpcode& e : expectedOpcodes()) {
        const bool expected = test::kControlTransferMnemonics.contains(e.mnemonic);
        EXPECT_EQ(transfersControl(e.code + "00000000"), expected) << e.code.toStdString();
        if (expected) ++transfers;
    }
    // 17 relative branches, 6 BRSET/BRCLR, 3 JMP, 4 JSR.
    EXPECT_EQ(transfers, 30);
    // An instruction cut short is listed as a data byte and goes nowhere.
    EXPECT_FALSE(transfersControl("7E12"));
    EXPECT_FALSE(transfersControl("181E1080"));
    EXPECT_FALSE(transfersControl(""));
}
