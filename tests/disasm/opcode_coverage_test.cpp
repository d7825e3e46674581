// The listing format of every instruction class, for every opcode of the decoder's own
// table. Which opcodes exist, with which length, mnemonic and class, and that every other
// byte lists as data, is proven against the simulated CPU's independent table in
// cpu_cross_check_test.cpp; this file proves what each class writes.
#include "disasm/desass_instr.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

using namespace tessaline;

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

// The opcode as the listing shows it: prebyte first.
QString codeOf(OpcodePage page, int op) {
    return (page == OpcodePage::Page1 ? QString() : hex2(prebyteOf(page))) + hex2(op);
}

} // namespace

TEST(OpcodeCoverage, EveryKnownOpcodeWritesTheLineAndDestinationOfItsClass) {
    int known = 0;
    for (const OperandSet* set : {&kForward, &kWrapping})
        for (int p = 0; p < kOpcodePageCount; ++p)
            for (int op = 0; op < 256; ++op) {
                const OpcodeEntry* e = opcodeEntry(OpcodePage(p), uint8_t(op));
                if (e == nullptr) continue;
                const QString code = codeOf(OpcodePage(p), op);
                SCOPED_TRACE(QStringLiteral("%1 %2, %3")
                                 .arg(code, e->mnemonic, QLatin1String(set->name))
                                 .toStdString());
                const QString hexa = code + set->operands;
                const Desassemblage d = DesassInstr(hexa, set->adresse, set->regIX, set->regIY);
                const auto form = set->forms.find({e->instrClass, p != 0});
                ASSERT_NE(form, set->forms.end()) << "no hand-written form for this class";
                EXPECT_EQ(d.LongInstr, code.size() / 2 + operandBytes(e->instrClass));
                EXPECT_EQ(d.ligne, "\t" + hexa.left(2 * d.LongInstr) + form->second.tabs + e->mnemonic +
                                       form->second.operand);
                EXPECT_EQ(d.AdrDest, form->second.adrDest);
                EXPECT_EQ(opcodeAt(hexa), e);
                ++known;
            }
    EXPECT_EQ(known, 2 * 307);
}
