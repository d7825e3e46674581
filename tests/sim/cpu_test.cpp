// The simulated CPU on a flat 64 KiB bus: the cycle counts of each instruction class,
// the addressing modes, the condition codes, whole programs, exception processing and
// the illegal-opcode trap, and the run loop.
#include "flat_bus.h"
#include "sim/opcode_table.h"
#include "sim/srecord.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>

namespace hc11::test {
namespace {

using namespace ccr;
namespace fs = std::filesystem;

// The cycle counts of each instruction class against the data sheet (MC68HC11A8 TD
// section 10, instruction set table). Which bytes are instructions, on every page, is
// pitted against the decoder's table in tests/disasm/disasm_test.cpp.
constexpr Page kPages[] = {Page::None, Page::P18, Page::P1A, Page::PCD};

// The cycle reference of the data sheet, by instruction class and addressing mode.
int referenceCycles(const std::string& mn, Mode mode) {
    const auto in = [&](std::initializer_list<const char*> names) {
        for (const char* n : names)
            if (mn == n) return true;
        return false;
    };
    // imm, dir, ext, ind X, ind Y
    const auto byMode = [&](int imm, int dir, int ext, int ix, int iy) {
        switch (mode) {
        case Mode::Immediate8:
        case Mode::Immediate16: return imm;
        case Mode::Direct: return dir;
        case Mode::Extended: return ext;
        case Mode::IndexedX: return ix;
        case Mode::IndexedY: return iy;
        default: return -1;
        }
    };
    if (in({"ADCA", "ADCB", "ADDA", "ADDB", "ANDA", "ANDB", "BITA", "BITB", "CMPA", "CMPB", "EORA",
            "EORB", "LDAA", "LDAB", "ORAA", "ORAB", "SBCA", "SBCB", "SUBA", "SUBB", "STAA", "STAB"}))
        return byMode(2, 3, 4, 4, 5);
    if (in({"LDD", "LDX", "LDS", "STD", "STX", "STS"})) return byMode(3, 4, 5, 5, 6);
    if (in({"LDY", "STY"})) return byMode(4, 5, 6, 6, 6);
    if (in({"ADDD", "SUBD", "CPX"})) return byMode(4, 5, 6, 6, 7);
    if (in({"CPY", "CPD"})) return byMode(5, 6, 7, 7, 7);
    if (in({"NEG", "COM", "LSR", "ROR", "ASR", "ASL", "ROL", "DEC", "INC", "TST", "CLR"}))
        return byMode(-1, -1, 6, 6, 7);
    if (mn == "JMP") return byMode(-1, -1, 3, 3, 4);
    if (mn == "JSR") return byMode(-1, 5, 6, 6, 7);
    if (mode == Mode::Relative) return mn == "BSR" ? 6 : 3;
    switch (mode) {
    case Mode::BitDirect:
    case Mode::BitBranchDirect: return 6;
    case Mode::BitIndexedX:
    case Mode::BitBranchIndexedX: return 7;
    case Mode::BitIndexedY:
    case Mode::BitBranchIndexedY: return 8;
    default: break;
    }
    if (in({"INX", "DEX", "INS", "DES", "TSX", "TXS", "ABX", "XGDX", "LSRD", "ASLD", "PSHA", "PSHB"}))
        return 3;
    if (in({"INY", "DEY", "TSY", "TYS", "ABY", "XGDY", "PULA", "PULB", "PSHX"})) return 4;
    if (in({"PSHY", "PULX", "RTS"})) return 5;
    if (mn == "PULY") return 6;
    if (mn == "MUL") return 10;
    if (mn == "RTI") return 12;
    if (in({"SWI", "WAI"})) return 14;
    if (in({"IDIV", "FDIV"})) return 41;
    return 2; // every other inherent instruction, STOP included
}

TEST(OpcodeTable, CyclesFollowTheDataSheetByClass) {
    for (Page page : kPages)
        for (int op = 0; op < 256; ++op) {
            const OpInfo& info = opInfo(page, uint8_t(op));
            if (!info.legal || info.specialModeOnly) continue;
            EXPECT_EQ(info.cycles, referenceCycles(info.mnemonic, info.mode))
                << info.mnemonic << " page " << int(page) << " op " << std::hex << op;
        }
}

// Addressing modes: every form of an instruction computes the same thing from the same
// operand. The PC advance and the cycles of every instruction are checked against the
// decoder's table in tests/disasm/disasm_test.cpp; addresses wrapping at 16
// bits in programs/wraps.asm.

struct Variant {
    Page page;
    uint8_t op;
    Mode mode;
};

bool isOperandMode(Mode m) {
    return m == Mode::Inherent || m == Mode::Immediate8 || m == Mode::Immediate16 || m == Mode::Direct ||
           m == Mode::Extended || m == Mode::IndexedX || m == Mode::IndexedY;
}

// Every legal opcode with an inherent, immediate or memory operand, grouped by mnemonic.
std::map<std::string, std::vector<Variant>> variantsByMnemonic() {
    std::map<std::string, std::vector<Variant>> byName;
    for (Page page : kPages)
        for (int op = 0; op < 256; ++op) {
            const OpInfo& info = opInfo(page, uint8_t(op));
            if (info.legal && !info.specialModeOnly && isOperandMode(info.mode))
                byName[info.mnemonic].push_back({page, uint8_t(op), info.mode});
        }
    return byName;
}

bool isWordOperation(const std::string& mn) {
    for (const char* w :
         {"ADDD", "SUBD", "CPD", "CPX", "CPY", "LDD", "LDS", "LDX", "LDY", "STD", "STS", "STX", "STY"})
        if (mn == w) return true;
    return false;
}

// Runs one form of an instruction with the operand $7B (or $7BA1) at its effective
// address: $0045 direct, $2345 extended and indexed (X = $2300 + $45, Y = $2280 + $C5).
struct ModeRun {
    std::string registers;
    uint16_t memory; // the word at the effective address afterwards
};
ModeRun runForm(const Variant& v, bool word) {
    constexpr uint16_t kDirect = 0x0045, kFar = 0x2345;
    FlatBoard board;
    board.bus.load(kDirect, {0x7B, 0xA1});
    board.bus.load(kFar, {0x7B, 0xA1});
    // The operand bytes and the effective address of each mode.
    const std::map<Mode, std::pair<std::vector<uint8_t>, uint16_t>> operands = {
        {Mode::Immediate8, {{0x7B}, 0}},   {Mode::Immediate16, {{0x7B, 0xA1}, 0}},
        {Mode::Direct, {{0x45}, kDirect}}, {Mode::Extended, {{0x23, 0x45}, kFar}},
        {Mode::IndexedX, {{0x45}, kFar}},  {Mode::IndexedY, {{0xC5}, kFar}}};
    const auto& [operand, ea] = operands.at(v.mode);
    std::vector<uint8_t> code;
    if (v.page != Page::None) code.push_back(prebyteOf(v.page));
    code.push_back(v.op);
    code.insert(code.end(), operand.begin(), operand.end());
    board.bus.load(FlatBoard::kCode, code);
    board.cpu.r = {.a = 0x96, .b = 0x5A, .ccr = H | C, .x = 0x2300, .y = 0x2280, .sp = 0x01FF};
    board.cpu.jump(FlatBoard::kCode);
    board.exec();
    EXPECT_EQ(board.cpu.r.pc, FlatBoard::kCode + code.size());
    return {describe(board.cpu.r), uint16_t(ea == 0 ? 0 : word ? board.bus.word(ea) : board.bus[ea])};
}

TEST(CpuAddressing, AllFormsOfAnInstructionAgree) {
    int compared = 0;
    for (const auto& [mnemonic, variants] : variantsByMnemonic()) {
        if (variants.size() < 2 || mnemonic == "JMP" || mnemonic == "JSR") continue;
        const bool word = isWordOperation(mnemonic);
        const ModeRun first = runForm(variants.front(), word);
        const bool immediateFirst =
            variants.front().mode == Mode::Immediate8 || variants.front().mode == Mode::Immediate16;
        for (size_t i = 1; i < variants.size(); ++i) {
            const ModeRun other = runForm(variants[i], word);
            EXPECT_EQ(other.registers, first.registers) << mnemonic << " form " << i;
            if (!immediateFirst) {
                EXPECT_EQ(other.memory, first.memory) << mnemonic << " form " << i;
            }
            ++compared;
        }
    }
    EXPECT_GT(compared, 150);
}

// A read-modify-write on memory does what the same operation does on accumulator A.
TEST(CpuAddressing, MemoryFormsMatchTheAccumulatorForm) {
    const auto all = variantsByMnemonic();
    for (const char* mn : {"NEG", "COM", "LSR", "ROR", "ASR", "ASL", "ROL", "DEC", "INC", "TST", "CLR"}) {
        const Variant acc = all.at(std::string(mn) + "A").front();
        for (uint8_t value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
            FlatBoard ref;
            const Registers viaA = ref.run({acc.op}, {.a = value, .ccr = C});
            FlatBoard board;
            board.bus[0x2345] = value;
            const Registers viaMemory =
                board.run({0x18, uint8_t(acc.op + 0x20), 0x45}, {.ccr = C, .y = 0x2300});
            EXPECT_EQ(viaMemory.ccr, viaA.ccr) << mn << " " << int(value);
            if (std::string(mn) != "TST") {
                EXPECT_EQ(board.bus[0x2345], viaA.a) << mn << " " << int(value);
            }
        }
    }
}

// The CPU's rules where a table states them best: the condition codes of the arithmetic,
// shift and register instructions, DAA, the divide edge cases and the branch conditions
// (MC68HC11A8 TD section 10, instruction set table and its condition code columns).
// Whole programs are below.
struct Alu8Case {
    const char* what;
    std::vector<uint8_t> code;
    uint8_t a, ccrIn;
    uint8_t operandB; // B before the instruction (ABA, SBA, CBA)
    uint8_t aOut, ccrOut;
};

// Accumulator-A instructions. Each is also run in its accumulator-B form ($8x -> $Cx,
// $4x -> $5x) where one exists, with the roles of A and B swapped.
const Alu8Case kAccumulatorCases[] = {
    {"ADDA half carry", {0x8B, 0x28}, 0x19, 0, 0, 0x41, H},
    {"ADDA signed overflow", {0x8B, 0x01}, 0x7F, 0, 0, 0x80, H | N | V},
    {"ADDA carry and overflow", {0x8B, 0x80}, 0x80, 0, 0, 0x00, Z | V | C},
    {"ADDA carry out", {0x8B, 0x01}, 0xFF, 0, 0, 0x00, H | Z | C},
    {"ADCA adds C", {0x89, 0x00}, 0x0F, C, 0, 0x10, H},
    {"ADCA carry chain", {0x89, 0xFF}, 0x00, C, 0, 0x00, H | Z | C},
    {"SUBA borrow", {0x80, 0x01}, 0x00, 0, 0, 0xFF, N | C},
    {"SUBA overflow", {0x80, 0x01}, 0x80, 0, 0, 0x7F, V},
    {"SUBA zero keeps H", {0x80, 0x05}, 0x05, H, 0, 0x00, H | Z},
    {"SBCA subtracts C", {0x82, 0x00}, 0x00, C, 0, 0xFF, N | C},
    {"SBCA overflow to zero", {0x82, 0x7F}, 0x80, C, 0, 0x00, Z | V},
    {"CMPA leaves A", {0x81, 0x20}, 0x10, 0, 0, 0x10, N | C},
    {"ANDA clears V keeps C", {0x84, 0x0F}, 0xF0, V | C, 0, 0x00, Z | C},
    {"LDAA zero", {0x86, 0x00}, 0x55, N | V | C, 0, 0x00, Z | C},
    {"NEGA of $80", {0x40}, 0x80, 0, 0, 0x80, N | V | C},
    {"NEGA of zero", {0x40}, 0x00, C, 0, 0x00, Z},
    {"COMA", {0x43}, 0x00, V, 0, 0xFF, N | C},
    {"INCA overflow", {0x4C}, 0x7F, 0, 0, 0x80, N | V},
    {"INCA wraps, C untouched", {0x4C}, 0xFF, 0, 0, 0x00, Z},
    {"DECA overflow", {0x4A}, 0x80, 0, 0, 0x7F, V},
    {"DECA wraps", {0x4A}, 0x00, C, 0, 0xFF, N | C},
    {"TSTA clears V and C", {0x4D}, 0x80, V | C, 0, 0x80, N},
    {"CLRA keeps H", {0x4F}, 0x55, H | N | V | C, 0, 0x00, H | Z},
    {"LSRA last bit out", {0x44}, 0x01, 0, 0, 0x00, Z | V | C},
    {"ASRA keeps sign", {0x47}, 0x81, 0, 0, 0xC0, N | C},
    {"ASLA sign out", {0x48}, 0x80, 0, 0, 0x00, Z | V | C},
    {"ASLA into sign", {0x48}, 0x40, 0, 0, 0x80, N | V},
    {"ROLA through C", {0x49}, 0x80, C, 0, 0x01, V | C},
    {"RORA through C", {0x46}, 0x01, C, 0, 0x80, N | C},
    {"ABA half carry", {0x1B}, 0x08, 0, 0x08, 0x10, H},
    {"SBA borrow", {0x10}, 0x10, 0, 0x20, 0xF0, N | C},
    {"CBA equal", {0x11}, 0x20, 0, 0x20, 0x20, Z},
    {"TBA", {0x17}, 0x11, V | C, 0x80, 0x80, N | C},
};

// The accumulator-B opcode of an accumulator-A one, or 0 when there is none.
uint8_t bForm(uint8_t op) {
    if ((op & 0xF0) == 0x40) return uint8_t(op + 0x10);
    if (op >= 0x80 && op <= 0x8B && op != 0x83 && op != 0x87) return uint8_t(op + 0x40);
    return 0;
}

TEST(CpuRules, EightBitConditionCodes) {
    for (const Alu8Case& c : kAccumulatorCases) {
        FlatBoard board;
        const Registers out = board.run(c.code, {.a = c.a, .b = c.operandB, .ccr = c.ccrIn});
        EXPECT_EQ(describe(out), describe({.a = c.aOut, .b = c.operandB, .ccr = c.ccrOut})) << c.what;

        if (bForm(c.code[0]) == 0) continue;
        std::vector<uint8_t> codeB = c.code;
        codeB[0] = bForm(c.code[0]);
        FlatBoard boardB;
        const Registers outB = boardB.run(codeB, {.a = 0x5A, .b = c.a, .ccr = c.ccrIn});
        EXPECT_EQ(describe(outB), describe({.a = 0x5A, .b = c.aOut, .ccr = c.ccrOut}))
            << c.what << " (B form)";
    }
}

// DAA after an addition: the manual's decimal-adjust table (upper digit, lower digit, C, H).
TEST(CpuRules, DecimalAdjustAfterAddition) {
    struct Case {
        uint8_t x, y;   // ADDA: A = x, operand y
        uint8_t result; // after DAA
        uint8_t flags;  // C, Z, N and H after DAA (V is undefined)
    };
    const Case cases[] = {
        {0x19, 0x28, 0x47, H},         // $19 + $28 = $41 with H, DAA gives $47
        {0x99, 0x01, 0x00, Z | C},     // lower digit $A: both digits corrected
        {0x58, 0x46, 0x04, C},         // $9E
        {0x09, 0x09, 0x18, H},         // $12 with H
        {0x50, 0x50, 0x00, Z | C},     // upper digit $A
        {0x99, 0x99, 0x98, H | N | C}, // $32 with C and H
        {0x12, 0x34, 0x46, 0},         // nothing to correct
    };
    for (const Case& c : cases) {
        FlatBoard board;
        const Registers out = board.run({0x8B, c.y, 0x19}, {.a = c.x});
        EXPECT_EQ(describe(out, uint8_t(~V)), describe({.a = c.result, .ccr = c.flags}, uint8_t(~V)))
            << std::hex << int(c.x) << " + " << int(c.y);
    }
}

struct RegCase {
    const char* what;
    std::vector<uint8_t> code;
    Registers in, out;
};

Registers withD(uint16_t d, Registers r) {
    r.setD(d);
    return r;
}

void runCases(std::initializer_list<RegCase> cases) {
    for (const RegCase& c : cases) {
        FlatBoard board;
        EXPECT_EQ(describe(board.run(c.code, c.in)), describe(c.out)) << c.what;
    }
}

TEST(CpuRules, SixteenBitAndRegisterInstructions) {
    runCases({
        {"ADDD overflow", {0xC3, 0x00, 0x01}, withD(0x7FFF, {}), withD(0x8000, {.ccr = N | V})},
        {"ADDD carry", {0xC3, 0x00, 0x01}, withD(0xFFFF, {}), withD(0x0000, {.ccr = Z | C})},
        {"ADDD low-byte carry", {0xC3, 0x00, 0xFF}, withD(0x0001, {.ccr = H}), withD(0x0100, {.ccr = H})},
        {"SUBD borrow", {0x83, 0x00, 0x01}, withD(0x0000, {}), withD(0xFFFF, {.ccr = N | C})},
        {"SUBD overflow", {0x83, 0x00, 0x01}, withD(0x8000, {}), withD(0x7FFF, {.ccr = V})},
        {"CPD equal", {0x1A, 0x83, 0x12, 0x34}, withD(0x1234, {.ccr = C}), withD(0x1234, {.ccr = Z})},
        {"CPX lower", {0x8C, 0x20, 0x00}, {.x = 0x1000}, {.ccr = N | C, .x = 0x1000}},
        {"CPY overflow", {0x18, 0x8C, 0x80, 0x00}, {.y = 0x7FFF}, {.ccr = N | V | C, .y = 0x7FFF}},
        {"LDS", {0x8E, 0x00, 0x00}, {.sp = 0x1234}, {.ccr = Z, .sp = 0}},
        {"LDD", {0xCC, 0x80, 0x00}, {.ccr = V | C}, withD(0x8000, {.ccr = N | C})},
        {"LSRD last bit", {0x04}, withD(0x0001, {.ccr = N}), withD(0x0000, {.ccr = Z | V | C})},
        {"ASLD sign out", {0x05}, withD(0x8000, {}), withD(0x0000, {.ccr = Z | V | C})},
        {"ASLD into sign", {0x05}, withD(0x4000, {}), withD(0x8000, {.ccr = N | V})},
        {"INX wraps, Z only", {0x08}, {.ccr = C, .x = 0xFFFF}, {.ccr = Z | C, .x = 0}},
        {"DEX wraps", {0x09}, {.ccr = Z}, {.x = 0xFFFF}},
        {"DEY, Z only", {0x18, 0x09}, {.ccr = Z | C, .y = 0}, {.ccr = C, .y = 0xFFFF}},
        {"INS wraps, no flags", {0x31}, {.ccr = Z, .sp = 0xFFFF}, {.ccr = Z, .sp = 0}},
        {"DES wraps", {0x34}, {.sp = 0}, {.sp = 0xFFFF}},
        {"TSX wraps", {0x30}, {.sp = 0xFFFF}, {.x = 0, .sp = 0xFFFF}},
        {"TXS wraps", {0x35}, {.x = 0}, {.sp = 0xFFFF}},
        {"TSY", {0x18, 0x30}, {.sp = 0x00FF}, {.y = 0x0100, .sp = 0x00FF}},
        {"TYS", {0x18, 0x35}, {.y = 0x0100}, {.y = 0x0100, .sp = 0x00FF}},
        {"ABX unsigned", {0x3A}, {.b = 0xFF, .x = 0x1000}, {.b = 0xFF, .x = 0x10FF}},
        {"ABX wraps", {0x3A}, {.b = 0x02, .ccr = N, .x = 0xFFFF}, {.b = 0x02, .ccr = N, .x = 0x0001}},
        {"ABY", {0x18, 0x3A}, {.b = 0x80, .y = 0x7FC0}, {.b = 0x80, .y = 0x8040}},
        {"TAB", {0x16}, {.a = 0x00, .b = 0x77, .ccr = N | V | C}, {.ccr = Z | C}},
        {"MUL max", {0x3D}, {.a = 0xFF, .b = 0xFF, .ccr = C | Z}, withD(0xFE01, {.ccr = Z})},
        {"TAP cannot set X", {0x06}, {.a = 0xFF}, {.a = 0xFF, .ccr = 0xBF}},
        {"TAP clears X", {0x06}, {.a = 0x00, .ccr = S | X | I}, {}},
        {"TAP keeps X set", {0x06}, {.a = X | C, .ccr = X}, {.a = X | C, .ccr = X | C}},
        {"TPA", {0x07}, {.ccr = 0xD5}, {.a = 0xD5, .ccr = 0xD5}},
        {"SEC SEV SEI", {0x0D, 0x0B, 0x0F}, {}, {.ccr = C | V | I}},
        {"CLC CLV CLI", {0x0C, 0x0A, 0x0E}, {.ccr = 0xFF}, {.ccr = uint8_t(~(C | V | I))}},
    });
}

TEST(CpuRules, DivideEdgeCases) {
    runCases({
        {"IDIV zero quotient", {0x02}, withD(5, {.x = 10}), withD(5, {.ccr = Z, .x = 0})},
        {"IDIV by one", {0x02}, withD(0xFFFF, {.x = 1}), withD(0, {.x = 0xFFFF})},
        {"FDIV one half", {0x03}, withD(0x8000, {.x = 0xFFFF}), withD(0x8000, {.x = 0x8000})},
        {"FDIV zero", {0x03}, withD(0, {.ccr = C, .x = 5}), withD(0, {.ccr = Z, .x = 0})},
    });
}

// Divide by zero and FDIV overflow leave D indeterminate on the chip: only X and the
// condition codes are checked.
TEST(CpuRules, DivideByZeroAndOverflow) {
    struct Case {
        const char* what;
        uint8_t op;
        uint16_t d, x;
        uint8_t ccrOut;
    };
    const Case cases[] = {
        {"IDIV by zero", 0x02, 0x1234, 0, C},
        {"FDIV by zero", 0x03, 0x1234, 0, V | C},
        {"FDIV X = D", 0x03, 5, 5, V},
        {"FDIV X < D", 0x03, 6, 5, V},
    };
    for (const Case& c : cases) {
        FlatBoard board;
        const Registers out = board.run({c.op}, withD(c.d, {.ccr = Z | N, .x = c.x}));
        EXPECT_EQ(out.x, 0xFFFF) << c.what;
        EXPECT_EQ(out.ccr, N | c.ccrOut) << c.what;
    }
}

TEST(CpuRules, ConditionsOfTheRelativeBranches) {
    struct Case {
        const char* name;
        uint8_t op;
        uint8_t ccr;
        bool taken;
    };
    const Case cases[] = {
        {"BRA", 0x20, 0, true},          {"BRN", 0x21, 0xFF, false}, {"BHI", 0x22, 0, true},
        {"BHI", 0x22, C, false},         {"BHI", 0x22, Z, false},    {"BLS", 0x23, 0, false},
        {"BLS", 0x23, C, true},          {"BLS", 0x23, Z, true},     {"BCC", 0x24, N | Z | V, true},
        {"BCC", 0x24, C, false},         {"BCS", 0x25, C, true},     {"BCS", 0x25, 0, false},
        {"BNE", 0x26, C, true},          {"BNE", 0x26, Z, false},    {"BEQ", 0x27, Z, true},
        {"BEQ", 0x27, 0, false},         {"BVC", 0x28, N, true},     {"BVC", 0x28, V, false},
        {"BVS", 0x29, V, true},          {"BVS", 0x29, 0, false},    {"BPL", 0x2A, V, true},
        {"BPL", 0x2A, N, false},         {"BMI", 0x2B, N, true},     {"BMI", 0x2B, 0, false},
        {"BGE", 0x2C, 0, true},          {"BGE", 0x2C, N | V, true}, {"BGE", 0x2C, N, false},
        {"BGE", 0x2C, V, false},         {"BLT", 0x2D, N, true},     {"BLT", 0x2D, V, true},
        {"BLT", 0x2D, N | V, false},     {"BLT", 0x2D, Z, false},    {"BGT", 0x2E, 0, true},
        {"BGT", 0x2E, N | V, true},      {"BGT", 0x2E, Z, false},    {"BGT", 0x2E, N, false},
        {"BGT", 0x2E, Z | N | V, false}, {"BLE", 0x2F, Z, true},     {"BLE", 0x2F, N, true},
        {"BLE", 0x2F, V, true},          {"BLE", 0x2F, 0, false},    {"BLE", 0x2F, N | V, false},
    };
    for (const Case& c : cases) {
        FlatBoard board;
        board.program({c.op, 0x10});
        board.cpu.r.ccr = c.ccr;
        EXPECT_EQ(board.exec(), 3u) << c.name;
        EXPECT_EQ(board.cpu.r.pc, c.taken ? 0x1012 : 0x1002) << c.name << " ccr " << std::hex << int(c.ccr);
        EXPECT_EQ(board.cpu.r.ccr, c.ccr) << c.name;
    }
}

// The condition code columns of the instruction set table for the instructions that
// change few or none of the bits: every other bit comes through, from all set and from
// all clear, on every page and in every addressing mode.
TEST(CpuRules, InstructionsChangeOnlyTheirConditionCodes) {
    struct Effect {
        uint8_t changes, clears, sets;
    };
    const Effect none{0, 0, 0};
    std::map<std::string, Effect> effects = {
        {"INX", {Z, 0, 0}},          {"DEX", {Z, 0, 0}},          {"INY", {Z, 0, 0}}, {"DEY", {Z, 0, 0}},
        {"BSET", {N | Z | V, V, 0}}, {"BCLR", {N | Z | V, V, 0}}, {"CLC", {C, C, 0}}, {"SEC", {C, 0, C}},
        {"CLV", {V, V, 0}},          {"SEV", {V, 0, V}},          {"CLI", {I, I, 0}}, {"SEI", {I, 0, I}},
    };
    for (const char* mn :
         {"ABX",  "ABY",   "BSR",   "JMP", "JSR", "NOP", "PSHA", "PSHB", "PSHX", "PSHY", "PULA",
          "PULB", "PULX",  "PULY",  "RTS", "TSX", "TSY", "TXS",  "TYS",  "DES",  "INS",  "XGDX",
          "XGDY", "BRSET", "BRCLR", "BRA", "BRN", "BHI", "BLS",  "BCC",  "BCS",  "BNE",  "BEQ",
          "BVC",  "BVS",   "BPL",   "BMI", "BGE", "BLT", "BGT",  "BLE"})
        effects[mn] = none;
    int checked = 0;
    for (Page page : {Page::None, Page::P18, Page::P1A, Page::PCD})
        for (int op = 0; op < 256; ++op) {
            const OpInfo& info = opInfo(page, uint8_t(op));
            const auto e = effects.find(info.mnemonic);
            if (!info.legalIn(false) || e == effects.end()) continue;
            std::vector<uint8_t> code;
            if (page != Page::None) code.push_back(prebyteOf(page));
            code.push_back(uint8_t(op));
            code.resize(6, 0x00);
            for (uint8_t in : {uint8_t(H | N | Z | V | C), uint8_t(0)}) {
                FlatBoard board;
                board.program(code);
                board.cpu.r.ccr = in;
                board.exec();
                const uint8_t out = board.cpu.r.ccr;
                const Effect& f = e->second;
                EXPECT_EQ(out & ~f.changes, in & ~f.changes) << info.mnemonic << " " << std::hex << op;
                EXPECT_EQ(out & (f.clears | f.sets), f.sets) << info.mnemonic << " " << std::hex << op;
            }
            ++checked;
        }
    EXPECT_EQ(checked, 66);
}

// Small 68HC11 programs, programs/*.asm, run from the S-record images stored beside them
// (scripts/update-images.sh), run on a flat 64 KiB bus from $1000 with every register zero, SP = $01FF
// and CCR = 0 (S clear, so that their final STOP stops the CPU). Their final registers,
// condition codes, memory and E cycles are the ones each program's comments derive
// from the data sheet's instruction set table; addresses of labels are the ones the
// programs' comments give from their layout at $1000.
const fs::path kProgramDir = TESSALINE_TEST_PROGRAMS;

std::string textOf(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Bytes {
    uint16_t address;
    std::vector<uint8_t> bytes;
};

struct Program {
    const char* name;
    Registers end; // PC not compared
    uint64_t cycles;
    std::vector<Bytes> memory;
};

const Program kPrograms[] = {
    {"bcd_add",
     {.a = 0x20, .ccr = Z, .x = 0x1018, .y = 0x1020, .sp = 0x01FF},
     121,
     {{0x1021, {0x20, 0x00, 0x00, 0x06}}}},
    {"to_decimal",
     {.a = 0x00, .b = 0x84, .ccr = C, .x = 0x5555, .y = 0x1030, .sp = 0x01FF},
     410,
     {{0x102C, {0x55, 0x55, 0x00, 0x84, '5', '4', '3', '2', '1'}}}},
    {"bit_count",
     {.ccr = 0, .x = 0x0040, .y = 0x104E, .sp = 0x01FF},
     366,
     {{0x0040, {0x80, 0x00, 0x00, 0x09}}, {0x104E, {0x03, 0x01, 0x02}}}},
    {"call_stack",
     {.a = 0x4C, .b = 0x50, .ccr = 0, .x = 0x4C50, .y = 0x0200, .sp = 0x01FF},
     137,
     {{0x01FB, {0x10, 0x09, 0xE0, 0x4C, 0x50}}}},
    {"checksum",
     {.a = 0xB9, .b = 0x1C, .ccr = Z, .x = 0x1038, .y = 0x0002, .sp = 0x01FF},
     191,
     {{0x0050, {0x02, 0x1C, 0xCA, 0xCB, 0xB9}}}},
    {"swi_rti",
     {.a = 0x99, .b = 0x22, .ccr = C, .x = 0x3344, .y = 0x5566, .sp = 0x01FF},
     256,
     {{0x0060, {0x01, 0x22, 0x11, 0x33, 0x44, 0x55, 0x66, 0x10, 0x13}}}},
    {"wraps",
     {.a = 0x20, .b = 0x04, .x = 0x5678, .y = 0x0001, .sp = 0x01FF},
     65,
     {{0x0000, {0x78}},
      {0x0004, {0xCF}},
      {0x0050, {0x78, 0x34}},
      {0x00FF, {0x12, 0x34}},
      {0xFFFE, {0x20, 0x04}}}},
};

TEST(CpuPrograms, EndWithTheRegistersMemoryAndCyclesTheirCommentsDerive) {
    for (const Program& p : kPrograms) {
        SCOPED_TRACE(p.name);
        std::string error;
        const auto image = parseSRecords(textOf(kProgramDir / (std::string(p.name) + ".s19")), error);
        ASSERT_TRUE(image) << error;
        FlatBoard board;
        for (const SRecordBlock& block : image->blocks)
            board.bus.load(block.address, block.bytes);
        board.cpu.jump(0x1000);
        board.cpu.stopOnEvents = true;
        board.bus.eventLimit = 100'000;
        board.cpu.run();
        ASSERT_EQ(board.cpu.lastEvent(), Cpu::Event::Stop);
        EXPECT_EQ(describe(board.cpu.r), describe(p.end));
        EXPECT_EQ(board.bus.cycles, p.cycles);
        for (const Bytes& m : p.memory)
            for (size_t i = 0; i < m.bytes.size(); ++i)
                EXPECT_EQ(board.bus[uint16_t(m.address + i)], m.bytes[i])
                    << "at " << std::hex << m.address + i;
    }
}

// Exception processing: the stack frame of interrupts, RTI and the X bit, IRQ/XIRQ
// masking and priority, WAI, STOP, TEST and reset. SWI and RTI run as a whole program
// above (programs/swi_rti.asm); STOP ended by the IRQ pin after the oscillator's delay is
// proven on the board (peripherals_test.cpp), where OPTION.DLY sets that delay.
const Registers kBefore = {.a = 0x11, .b = 0x22, .ccr = 0x00, .x = 0x3344, .y = 0x5566, .sp = 0x01FF};

// The nine bytes from SP + 1 upward: CCR, B, A, XH, XL, YH, YL, PCH, PCL (A8TD figure 9-3).
std::vector<uint8_t> stacked(FlatBus& bus, uint16_t sp) {
    std::vector<uint8_t> bytes;
    for (int i = 1; i <= 9; ++i)
        bytes.push_back(bus[uint16_t(sp + i)]);
    return bytes;
}
std::vector<uint8_t> frame(const Registers& r, uint16_t pc) {
    const uint8_t x[] = {uint8_t(r.x >> 8), uint8_t(r.x)}, y[] = {uint8_t(r.y >> 8), uint8_t(r.y)};
    return {r.ccr, r.b, r.a, x[0], x[1], y[0], y[1], uint8_t(pc >> 8), uint8_t(pc)};
}

Registers withCcr(uint8_t ccr) {
    Registers r = kBefore;
    r.ccr = ccr;
    return r;
}

void start(FlatBoard& board, std::initializer_list<uint8_t> code, Registers r = kBefore) {
    board.bus.load(FlatBoard::kCode, code);
    board.cpu.r = r;
    board.cpu.jump(FlatBoard::kCode);
}

TEST(CpuException, RtiCanClearXButNotSetIt) {
    struct Case {
        uint8_t ccrNow, stacked, after;
    };
    const Case cases[] = {
        {0x00, S | X | I | C, S | I | C}, // X clear stays clear
        {X, 0x00, 0x00},                  // X set may be cleared
        {X | I, X | N, X | N},            // and may stay set
    };
    for (const Case& c : cases) {
        FlatBoard board;
        start(board, {0x3B}, {.ccr = c.ccrNow, .sp = 0x01F6});
        board.bus.load(0x01F7, {c.stacked, 0, 0, 0, 0, 0, 0, 0x20, 0x00});
        board.exec();
        EXPECT_EQ(board.cpu.r.ccr, c.after);
        EXPECT_EQ(board.cpu.r.pc, 0x2000);
    }
}

TEST(CpuException, XirqIsMaskedOnlyByXAndWinsOverIrq) {
    struct Case {
        uint8_t ccr;
        bool taken;
    };
    // I does not mask XIRQ; unmasked, it wins over IRQ; X masks it (and IRQ, by the I it sets).
    for (const Case c : {Case{I, true}, Case{0, true}, Case{X | I, false}}) {
        FlatBoard board;
        start(board, {0x01}, withCcr(c.ccr));
        board.bus.xirqAsserted = true;
        board.bus.irqAsserted = true;
        board.exec();
        EXPECT_EQ(board.cpu.r.pc, c.taken ? FlatBoard::handlerFor(vec::Xirq) : 0x1001) << int(c.ccr);
        EXPECT_EQ(board.cpu.r.ccr, c.taken ? X | I : c.ccr) << int(c.ccr);
    }
}

TEST(CpuException, WaiStacksThenWakesOnAnUnmaskedInterrupt) {
    FlatBoard board;
    start(board, {0x3E}, withCcr(I));
    EXPECT_EQ(board.exec(), 14u);
    EXPECT_EQ(board.cpu.state(), Cpu::State::Waiting);
    const uint16_t spAfterWai = board.cpu.r.sp;
    EXPECT_EQ(spAfterWai, 0x01FF - 9);
    EXPECT_EQ(stacked(board.bus, spAfterWai), frame(withCcr(I), 0x1001));

    board.bus.irqAsserted = true; // masked by I: keeps waiting
    EXPECT_EQ(board.exec(), 1u);
    EXPECT_EQ(board.cpu.state(), Cpu::State::Waiting);

    board.cpu.r.ccr = 0;
    board.exec();
    EXPECT_EQ(board.cpu.state(), Cpu::State::Running);
    EXPECT_EQ(board.cpu.r.pc, FlatBoard::handlerFor(vec::Irq));
    EXPECT_EQ(board.cpu.r.sp, spAfterWai); // not stacked a second time
    EXPECT_EQ(board.cpu.r.ccr, I);
}

TEST(CpuException, WaiWakesOnXirqAndRunSkipsIdleTime) {
    FlatBoard board;
    start(board, {0x3E});
    board.bus.eventLimit = 1000;
    board.cpu.run();
    EXPECT_EQ(board.cpu.state(), Cpu::State::Waiting);
    EXPECT_EQ(board.bus.cycles, 1000u);

    board.bus.xirqAsserted = true;
    board.bus.eventLimit = 1001;
    board.cpu.run();
    EXPECT_EQ(board.cpu.state(), Cpu::State::Running);
    EXPECT_EQ(board.cpu.r.pc, FlatBoard::handlerFor(vec::Xirq));
    EXPECT_EQ(board.cpu.r.ccr, X | I);
}

// STOP does nothing while S is set; stopped, a masked IRQ leaves it stopped and a
// masked XIRQ resumes after it, with nothing stacked.
TEST(CpuException, StopIsANoOpWithSAndAMaskedXirqResumesAfterIt) {
    FlatBoard noOp;
    start(noOp, {0xCF}, withCcr(S));
    EXPECT_EQ(noOp.exec(), 2u);
    EXPECT_EQ(noOp.cpu.state(), Cpu::State::Running);
    EXPECT_EQ(noOp.cpu.r.pc, 0x1001);

    FlatBoard board;
    start(board, {0xCF, 0x01}, withCcr(X | I));
    board.exec();
    board.bus.irqAsserted = board.bus.irqPinAsserted = true;
    board.exec();
    EXPECT_EQ(board.cpu.state(), Cpu::State::Stopped);
    board.bus.xirqAsserted = true;
    board.exec();
    EXPECT_EQ(board.cpu.state(), Cpu::State::Running);
    EXPECT_EQ(board.cpu.r.sp, 0x01FF);
    EXPECT_EQ(board.cpu.r.pc, 0x1001);
}

TEST(CpuException, TestOpcodeSpinsInSpecialModes) {
    FlatBoard board;
    board.bus.specialMode = true;
    start(board, {0x00, 0x01});
    EXPECT_EQ(board.exec(), 1u);
    EXPECT_EQ(board.exec(), 1u);
    EXPECT_EQ(board.cpu.r.pc, 0x1000);
    board.bus.irqAsserted = true; // never recognised: TEST does not complete
    board.bus.eventLimit = board.bus.cycles + 100;
    board.cpu.run();
    EXPECT_EQ(board.cpu.r.pc, 0x1000);
    EXPECT_EQ(board.cpu.r.sp, kBefore.sp);
    EXPECT_EQ(board.bus.cycles, board.bus.eventLimit);

    board.bus.irqAsserted = false;
    board.cpu.jump(0x1001);
    board.exec();
    EXPECT_EQ(board.cpu.r.pc, 0x1002);
}

TEST(CpuException, ResetLoadsTheVectorAndMasksInterrupts) {
    for (uint16_t base : {0xFFC0, 0xBFC0}) {
        FlatBoard board;
        board.bus.vectorBase = base;
        board.bus.setWord(uint16_t(base + vec::Reset), 0xB600);
        start(board, {0x3E}); // leave it waiting first
        board.exec();
        board.cpu.reset();
        EXPECT_EQ(board.cpu.r.pc, 0xB600);
        EXPECT_EQ(board.cpu.r.ccr, S | X | I);
        EXPECT_EQ(board.cpu.state(), Cpu::State::Running);
    }
}

// The illegal-opcode trap: full frame stacked with the address of the first byte (prebyte
// included), I set, the vector at vectorBase + $38 taken (MC68HC11P2 DS 10.6.3). One hole
// on each page: the trap is the same code whichever opcode led to it, and every byte the
// decoder lists as data traps (tests/disasm/disasm_test.cpp).
TEST(CpuIllegalOpcode, TrapStacksTheFrameAndTakesTheVector) {
    const std::pair<Page, uint8_t> traps[] = {
        {Page::None, 0x41}, {Page::P18, 0x00}, {Page::P1A, 0x00}, {Page::PCD, 0x00}};
    const Registers r = {.a = 0xA1, .b = 0xB2, .ccr = N | C, .x = 0x1111, .y = 0x2222, .sp = 0x0180};
    for (const auto& [page, op] : traps) {
        SCOPED_TRACE(::testing::Message() << "prebyte " << int(prebyteOf(page)) << " op " << int(op));
        FlatBoard board;
        board.cpu.r = r;
        board.program(page == Page::None ? std::vector<uint8_t>{op}
                                         : std::vector<uint8_t>{prebyteOf(page), op},
                      0x1234);
        EXPECT_EQ(board.exec(), page == Page::None ? 14u : 15u);
        EXPECT_EQ(board.cpu.r.pc, FlatBoard::handlerFor(vec::IllegalOpcode));
        EXPECT_EQ(board.cpu.lastIllegalPc(), 0x1234);
        EXPECT_EQ(
            describe(board.cpu.r),
            describe({.a = 0xA1, .b = 0xB2, .ccr = N | C | I, .x = 0x1111, .y = 0x2222, .sp = 0x0180 - 9}));
        EXPECT_EQ(stacked(board.bus, 0x0180 - 9), frame(r, 0x1234));
    }
}

TEST(CpuIllegalOpcode, PrebyteAtTheTopOfMemoryStacksItsOwnAddress) {
    FlatBoard board;
    board.bus[0xFFFF] = kPrebyteCD;
    board.bus[0x0000] = 0x01; // $CD $01 is no instruction
    board.cpu.jump(0xFFFF);
    board.exec();
    EXPECT_EQ(board.cpu.lastIllegalPc(), 0xFFFF);
    EXPECT_EQ(board.bus.word(uint16_t(board.cpu.r.sp + 8)), 0xFFFF);
}

// The run loop: the event limit, a peripheral lowering it mid-instruction, stopping on
// events for headless runs, and the instruction trace.
TEST(CpuRun, RunsUntilTheEventLimit) {
    FlatBoard board;
    board.program({0x20, 0xFE}); // BRA *
    board.bus.eventLimit = 100;
    board.cpu.run();
    // 34 turns of 3 cycles: the last one starts at cycle 99.
    EXPECT_EQ(board.bus.cycles, 102u);
    EXPECT_EQ(board.cpu.instructions(), 34u);
    board.bus.eventLimit = 200;
    board.cpu.run();
    EXPECT_EQ(board.bus.cycles, 201u);
}

TEST(CpuRun, AnAccessThatLowersTheLimitEndsTheRun) {
    FlatBoard board;
    board.bus.makeSlow(0x30);
    board.bus.limitTrigger = 0x3000;
    board.bus[0x3001] = 0x42;
    // LDAA $3001 (slow page), STAA $3000 (lowers the limit), then an endless loop.
    board.program({0xB6, 0x30, 0x01, 0xB7, 0x30, 0x00, 0x20, 0xFE});
    board.cpu.run();
    EXPECT_EQ(board.cpu.r.pc, 0x1006);
    EXPECT_EQ(board.bus.cycles, 8u);
    EXPECT_EQ(board.bus.slowReads, 1);
    EXPECT_EQ(board.bus.slowWrites, 1);
    EXPECT_EQ(board.bus[0x3000], 0x42);
}

TEST(CpuRun, StopOnEventsReturnsAfterEachEvent) {
    struct Case {
        const char* what;
        std::vector<uint8_t> code;
        Cpu::Event event;
        Cpu::State state;
        uint16_t pcAfter;
    };
    const Case cases[] = {
        {"WAI", {0x01, 0x3E}, Cpu::Event::Wai, Cpu::State::Waiting, 0x1002},
        {"STOP", {0x01, 0xCF}, Cpu::Event::Stop, Cpu::State::Stopped, 0x1002},
        {"illegal",
         {0x01, 0x18, 0x00},
         Cpu::Event::IllegalOpcode,
         Cpu::State::Running,
         FlatBoard::handlerFor(vec::IllegalOpcode)},
    };
    for (const Case& c : cases) {
        FlatBoard board;
        board.bus.load(FlatBoard::handlerFor(vec::IllegalOpcode), {0x20, 0xFE});
        board.program({});
        board.bus.load(FlatBoard::kCode, c.code);
        board.cpu.stopOnEvents = true;
        board.cpu.run();
        EXPECT_EQ(board.cpu.lastEvent(), c.event) << c.what;
        EXPECT_EQ(board.cpu.state(), c.state) << c.what;
        EXPECT_EQ(board.cpu.r.pc, c.pcAfter) << c.what;
        EXPECT_LT(board.bus.cycles, 100u) << c.what;
        board.cpu.clearEvent();
        EXPECT_EQ(board.cpu.lastEvent(), Cpu::Event::None);
    }
}

// Each instruction the trace is shown, as "cycle PC A Y: bytes" (A and Y before it).
class RecordingTrace : public InstructionTrace {
public:
    std::vector<std::string> calls;
    void instruction(uint64_t cycle, uint16_t pc, const uint8_t* bytes, int length,
                     const Registers& before) override {
        char text[64];
        int n = std::snprintf(text, sizeof text, "%u %04X A=%02X Y=%04X:", unsigned(cycle), pc, before.a,
                              before.y);
        for (int i = 0; i < length; ++i)
            n += std::snprintf(text + n, sizeof text - size_t(n), " %02X", bytes[i]);
        calls.push_back(text);
    }
};

TEST(CpuRun, TraceSeesEachInstructionBeforeItRuns) {
    FlatBoard board;
    RecordingTrace trace;
    board.cpu.setTrace(&trace);
    board.program({0x86, 0x01, 0x18, 0xCE, 0x12, 0x34, 0x18, 0x1E, 0x10, 0x01, 0x00, 0x87});
    board.bus.load(FlatBoard::handlerFor(vec::IllegalOpcode), {0x20, 0xFE});
    board.cpu.stopOnEvents = true;
    board.cpu.run();
    EXPECT_EQ(trace.calls,
              (std::vector<std::string>{"0 1000 A=00 Y=0000: 86 01", "2 1002 A=01 Y=0000: 18 CE 12 34",
                                        "6 1006 A=01 Y=1234: 18 1E 10 01 00", "14 100B A=01 Y=1234: 87"}));
    EXPECT_EQ(board.cpu.instructions(), 4u);

    // step() traces too; switching the trace off stops the calls.
    board.cpu.jump(FlatBoard::kCode);
    board.cpu.step();
    EXPECT_EQ(trace.calls.size(), 5u);
    board.cpu.setTrace(nullptr);
    board.cpu.step();
    EXPECT_EQ(trace.calls.size(), 5u);
}

} // namespace
} // namespace hc11::test
