// The CPU's rules where a table states them best: the condition codes of the arithmetic,
// shift and register instructions, DAA, the divide edge cases and the branch conditions
// (MC68HC11A8 TD section 10, instruction set table and its condition code columns).
// Whole programs are in cpu_program_test.cpp.
#include "flat_bus.h"

#include "sim/opcode_table.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace hc11::test {
namespace {

using namespace ccr;

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

} // namespace
} // namespace hc11::test
