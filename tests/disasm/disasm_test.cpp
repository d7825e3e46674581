// The decoder: its binary conversions, its listing lines, every opcode it knows, and
// its table and the simulated CPU's pitted against each other.
#include "disasm/binary_conversions.h"
#include "disasm/desass_instr.h"
#include "flat_bus.h"
#include "link/conversions.h"
#include "sim/opcode_table.h"

#include <QSet>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tessaline::test {
namespace {

using namespace tessaline;
using hc11::test::FlatBoard;

// Two upper-case digits are the next test's; here the texts that are not.
TEST(HexSigne8, ReadsTheLastTwoDigitsOfAnyText) {
    const struct {
        const char* texte;
        int valeur;
    } cas[] = {{"fb", -5}, {"", 0}, {"5", 5}, {"1FF", -1}, {"G0", 0}};
    for (const auto& c : cas)
        EXPECT_EQ(HexSigne8(c.texte), c.valeur) << c.texte;
}

TEST(HexSigne8, ReadsEveryByteAsTwosComplement) {
    for (int v = 0; v < 256; ++v)
        EXPECT_EQ(HexSigne8(DecHexa2(v)), int(int8_t(v))) << v;
}

// Up to sixteen bits DecBin is pinned by HexBin's table and the last test.
TEST(DecBin, SixtyFourBits) {
    EXPECT_EQ(DecBin(0x8000000000000000ull), "1" + QString(63, u'0'));
}

TEST(BinDec, ReadsBinaryDigitsAndRejectsAnythingElse) {
    const struct {
        const char* texte;
        int64_t valeur;
    } cas[] = {{"", 0},
               {"0", 0},
               {"1", 1},
               {"101", 5},
               {"00000101", 5},
               {"11111111", 255},
               {"2", kBinDecErreur},
               {"10a1", kBinDecErreur},
               {" 1", kBinDecErreur},
               {"1 ", kBinDecErreur},
               {"111111111111111111111111111111111111111111111111111111111111111", INT64_MAX},
               {"0000111111111111111111111111111111111111111111111111111111111111111", INT64_MAX},
               {"1000000000000000000000000000000000000000000000000000000000000000", kBinDecErreur}};
    for (const auto& c : cas)
        EXPECT_EQ(BinDec(c.texte), c.valeur) << c.texte;
}

TEST(HexBin, BinaryOfAHexadecimalText) {
    const struct {
        const char* texte;
        const char* bits;
    } cas[] = {{"00", "0"},
               {"", "0"},
               {"01", "1"},
               {"05", "101"},
               {"80", "10000000"},
               {"FF", "11111111"},
               {"0F", "1111"},
               {"f0", "11110000"},
               {"1G", "10000"},
               {"123456789ABCDEF0", "1001000110100010101100111100010011010101111001101111011110000"}};
    for (const auto& c : cas)
        EXPECT_EQ(HexBin(c.texte), c.bits) << c.texte;
}

TEST(HexBin, IsDecBinOfTheHexadecimalValueAcrossSixteenBits) {
    for (int v = 0; v <= 0xFFFF; v += 7)
        EXPECT_EQ(HexBin(DecHexa4(int64_t(v))), DecBin(uint64_t(v))) << v;
}

// Whole listing lines, character by character, for the corner cases of the decoder
// (targets that wrap, data bytes, input that is too short). The line of every
// instruction class is proven below, class by class.
struct LineCase {
    const char* hexa;
    const char* adresse;
    const char* ligne;
    int longueur;
    const char* adrDest;
};

void expectLines(const std::vector<LineCase>& cases, const QString& regIX = "0000",
                 const QString& regIY = "0000") {
    for (const LineCase& c : cases) {
        const Desassemblage d = DesassInstr(c.hexa, c.adresse, regIX, regIY);
        EXPECT_EQ(d.ligne, c.ligne) << c.hexa << " at " << c.adresse;
        EXPECT_EQ(d.LongInstr, c.longueur) << c.hexa << " at " << c.adresse;
        EXPECT_EQ(d.AdrDest, c.adrDest) << c.hexa << " at " << c.adresse;
    }
}

TEST(ListingLine, TargetsAndDestinationsWrapAroundTheAddressSpace) {
    expectLines({{"207F", "FFF0", "\t207F\t\t\tBRA\t$0071", 2, "0071"},
                 {"8D00", "FFFE", "\t8D00\t\t\tBSR\t$0000", 2, "0000"},
                 {"2080", "0010", "\t2080\t\t\tBRA\t$FF92", 2, "FF92"},
                 {"01", "FFFF", "\t01\t\t\tNOP", 1, "0000"},
                 {"CE1234", "FFFE", "\tCE1234\t\t\tLDX\t#$1234", 3, "0001"},
                 {"18A6FF", "E000", "\t18A6FF\t\t\tLDAA\t$FF , Y", 3, "00FE"}},
                "FFF0", "FFFF");
}

TEST(ListingLine, LowerCaseDigitsNeverFormAnOpcode) {
    expectLines({
        {"cc123400", "E000", "\tcc\t\t\tFCB\t$cc", 1, "E001"},
        {"1a83123400", "E000", "\t1a\t\t\tFCB\t$1a", 1, "E001"},
        {"18ce123400", "E000", "\t18\t\t\tFCB\t$18", 1, "E001"},
        {"1A8f", "E000", "\t1A\t\t\tFCB\t$1A", 1, "E001"},
        // The opcode is upper case: the operand is shown as it stands.
        {"86ff", "E000", "\t86ff\t\t\tLDAA\t#$ff", 2, "E002"},
    });
}

TEST(ListingLine, ShortInputListsTheFirstByteAsData) {
    expectLines({
        // A failed memory read gives the empty text.
        {"", "E000", "\t\t\t\tFCB\t$", 1, "E001"},
        {"8", "E000", "\t8\t\t\tFCB\t$8", 1, "E001"},
        {"86", "E000", "\t86\t\t\tFCB\t$86", 1, "E001"},
        {"18", "E000", "\t18\t\t\tFCB\t$18", 1, "E001"},
        {"18CE10", "E000", "\t18\t\t\tFCB\t$18", 1, "E001"},
        {"1F2E20", "E000", "\t1F\t\t\tFCB\t$1F", 1, "E001"},
        {"181E1080F", "E000", "\t18\t\t\tFCB\t$18", 1, "E001"},
        // Exactly the instruction's bytes are enough.
        {"181E1080F9", "E000", "\t181E1080F9\t\t\tBRSET\t$10 , Y $80\t$DFFE", 5, "DFFE"},
        {"01", "E000", "\t01\t\t\tNOP", 1, "E001"},
    }); // An instruction cut short goes nowhere either.
    EXPECT_FALSE(transfersControl("7E12"));
    EXPECT_FALSE(transfersControl("181E1080"));
    EXPECT_FALSE(transfersControl(""));
}

TEST(ListingLine, AddressAndRegisterTextsAreReadModulo10000) {
    expectLines({{"2000", "", "\t2000\t\t\tBRA\t$0002", 2, "0002"},
                 {"2000", "1E000", "\t2000\t\t\tBRA\t$E002", 2, "E002"},
                 {"2000", "FFFFFFFFFF", "\t2000\t\t\tBRA\t$0001", 2, "0001"},
                 {"A610", "E000", "\tA610\t\t\tLDAA\t$10 , X", 2, "0010"}},
                "", "");
}

// The listing format of every instruction class, for every opcode of the decoder's own
// table. Which opcodes exist, with which length, mnemonic and class, and that every other
// byte lists as data, is proven against the simulated CPU's independent table in
// the cross-check below; here, what each class writes.
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

// The decoder against the simulated CPU, which has its own opcode table: two tables kept
// by hand drift apart, and a listing that disagrees with what the chip executes sends a
// single step to the wrong address. The opcode map of the M68HC11 RM is the authority.
constexpr uint16_t kCode = FlatBoard::kCode;
constexpr uint16_t kX = 0x2000;
constexpr uint16_t kY = 0x3000;

// Operand bytes placed after every opcode: a page-0 address or offset $40, a mask $42 and
// a backward branch offset $F0 for BRSET/BRCLR. Every address they form ($0040, $4042,
// $2040, $3040) lies away from the code at $1000 and from the stack.
const std::vector<uint8_t> kOperands = {0x40, 0x42, 0xF0};

// Instructions whose next PC comes from the stack or a vector, or that never finish.
const QSet<QString> kLeavesTheStraightLine = {"SWI", "WAI", "STOP", "RTI", "RTS"};

struct Opcode {
    OpcodePage page;
    uint8_t op;
    const OpcodeEntry* entry;
};

std::vector<Opcode> knownOpcodes() {
    std::vector<Opcode> all;
    for (int p = 0; p < kOpcodePageCount; ++p)
        for (int op = 0; op < 256; ++op)
            if (const OpcodeEntry* e = opcodeEntry(OpcodePage(p), uint8_t(op)))
                all.push_back({OpcodePage(p), uint8_t(op), e});
    return all;
}

std::vector<uint8_t> bytesOf(OpcodePage page, uint8_t op, const std::vector<uint8_t>& operands) {
    std::vector<uint8_t> bytes;
    if (page != OpcodePage::Page1) bytes.push_back(prebyteOf(page));
    bytes.push_back(op);
    bytes.insert(bytes.end(), operands.begin(), operands.end());
    return bytes;
}

QString hexaOf(const std::vector<uint8_t>& bytes) {
    QString hexa;
    for (uint8_t b : bytes)
        hexa += DecHexa2(b);
    return hexa;
}

std::string nameOf(const std::vector<uint8_t>& bytes) {
    return hexaOf(bytes).left(4).toStdString();
}

// The simulator lists its pages and addressing modes in the decoder's order, one for one.
hc11::Page simPage(OpcodePage page) {
    return hc11::Page(int(page));
}
hc11::Mode simMode(InstrClass c) {
    return hc11::Mode(int(c));
}

// A fresh board with `bytes` at kCode, X and Y set, interrupts masked, events reported.
std::unique_ptr<FlatBoard> boardWith(const std::vector<uint8_t>& bytes, uint8_t ccr = hc11::ccr::I,
                                     uint8_t operandMemory = 0x00) {
    auto board = std::make_unique<FlatBoard>();
    board->program(bytes);
    board->cpu.r.x = kX;
    board->cpu.r.y = kY;
    board->cpu.r.ccr = ccr;
    board->cpu.stopOnEvents = true;
    for (uint16_t a : {uint16_t(0x0040), uint16_t(kX + 0x40), uint16_t(kY + 0x40)})
        board->bus[a] = operandMemory;
    return board;
}

bool trapped(const FlatBoard& board) {
    return board.cpu.lastEvent() == hc11::Cpu::Event::IllegalOpcode && board.cpu.lastIllegalPc() == kCode &&
           board.cpu.r.pc == FlatBoard::handlerFor(hc11::vec::IllegalOpcode);
}

Desassemblage decode(const std::vector<uint8_t>& bytes) {
    return DesassInstr(hexaOf(bytes), DecHexa4(int64_t(kCode)), DecHexa4(int64_t(kX)), DecHexa4(int64_t(kY)));
}

TEST(CpuCrossCheck, StraightLineInstructionsAdvanceThePcByTheirLength) {
    int checked = 0;
    for (const Opcode& o : knownOpcodes()) {
        if (transfersControl(*o.entry) || kLeavesTheStraightLine.contains(o.entry->mnemonic)) continue;
        const std::vector<uint8_t> bytes = bytesOf(o.page, o.op, kOperands);
        SCOPED_TRACE(nameOf(bytes) + " " + o.entry->mnemonic);
        auto board = boardWith(bytes);
        board->exec();
        EXPECT_EQ(board->cpu.lastEvent(), hc11::Cpu::Event::None);
        EXPECT_EQ(board->cpu.r.pc, kCode + decode(bytes).LongInstr);
        ++checked;
    }
    // 307 less 30 control transfers less SWI, WAI, STOP, RTI, RTS.
    EXPECT_EQ(checked, 307 - 30 - 5);
}

TEST(CpuCrossCheck, ControlTransfersLandOnTheNextInstructionOrTheDestination) {
    // Condition codes and operand memory chosen so that every conditional branch and
    // bit branch is seen both taken and not taken.
    const struct {
        uint8_t ccr;
        uint8_t memory;
    } runs[] = {{0x00, 0x00}, {0x0F, 0xFF}, {hc11::ccr::N, 0x00}, {hc11::ccr::V, 0xFF}};
    int checked = 0;
    for (const Opcode& o : knownOpcodes()) {
        if (!transfersControl(*o.entry)) continue;
        const std::vector<uint8_t> bytes = bytesOf(o.page, o.op, kOperands);
        SCOPED_TRACE(nameOf(bytes) + " " + o.entry->mnemonic);
        const Desassemblage d = decode(bytes);
        const uint16_t next = uint16_t(kCode + d.LongInstr);
        const uint16_t dest = uint16_t(HexaDec(d.AdrDest));
        const QString m = o.entry->mnemonic;
        bool reachedNext = false, reachedDest = false;
        for (const auto& run : runs) {
            auto board = boardWith(bytes, run.ccr | hc11::ccr::I, run.memory);
            board->exec();
            const uint16_t pc = board->cpu.r.pc;
            EXPECT_TRUE(pc == next || pc == dest) << "went to " << pc;
            reachedNext |= pc == next;
            reachedDest |= pc == dest;
        }
        const bool always = m == "BRA" || m == "BSR" || m == "JMP" || m == "JSR";
        EXPECT_EQ(std::pair(reachedDest, reachedNext), std::pair(m != "BRN", !always));
        ++checked;
    }
    EXPECT_EQ(checked, 30);
}

// Every byte, and every prebyte pair, outside the decoder's table lists as one data byte
// that goes nowhere, and the chip traps on it in the normal modes.
TEST(CpuCrossCheck, EveryByteOutsideTheTableIsOneDataByteAndTraps) {
    int checked = 0;
    for (int b = 0; b < 256; ++b) {
        const OpcodePage page = pageOfPrebyte(uint8_t(b));
        const bool prebyte = page != OpcodePage::Page1;
        for (int s = 0; s < (prebyte ? 256 : 1); ++s) {
            if (opcodeEntry(page, uint8_t(prebyte ? s : b)) != nullptr) continue;
            // After a one-byte data byte, whatever follows.
            const std::vector<uint8_t> bytes = {uint8_t(b), uint8_t(prebyte ? s : 0x01), 0x21, 0x43, 0x65};
            SCOPED_TRACE(nameOf(bytes));
            const QString octet = hexaOf(bytes).left(2);
            const Desassemblage d = decode(bytes);
            EXPECT_EQ(
                QStringList({d.ligne, QString::number(d.LongInstr), d.AdrDest}),
                QStringList({"\t" + octet + "\t\t\tFCB\t$" + octet, "1", DecHexa4(int64_t(kCode + 1))}));
            auto board = boardWith(bytes);
            board->exec();
            EXPECT_TRUE(trapped(*board)) << "listed as data but executed";
            ++checked;
        }
    }
    // 21 page-1 bytes ($00 and 20 holes) and 3 x 256 prebyte pairs less 75 opcodes.
    EXPECT_EQ(checked, 21 + 768 - 75);
}

TEST(CpuCrossCheck, BothOpcodeTablesAgreeOnEveryPage) {
    int legal = 0;
    for (int p = 0; p < kOpcodePageCount; ++p) {
        const auto page = OpcodePage(p);
        if (page != OpcodePage::Page1) {
            EXPECT_EQ(prebyteOf(page), hc11::prebyteOf(simPage(page)));
        }
        for (int op = 0; op < 256; ++op) {
            const OpcodeEntry* mine = opcodeEntry(page, uint8_t(op));
            const hc11::OpInfo& sim = hc11::opInfo(simPage(page), uint8_t(op));
            const std::string what = "page " + std::to_string(p + 1) + " opcode " + std::to_string(op);
            ASSERT_EQ(mine != nullptr, sim.legalIn(false)) << what << " " << sim.mnemonic;
            if (mine == nullptr) continue;
            ++legal;
            EXPECT_EQ(mine->length, int(sim.length)) << what << " " << mine->mnemonic;
            EXPECT_STREQ(mine->mnemonic, sim.mnemonic) << what;
            EXPECT_EQ(simMode(mine->instrClass), sim.mode) << what << " " << mine->mnemonic;
        }
    }
    EXPECT_EQ(legal, 307);
}

} // namespace
} // namespace tessaline::test
