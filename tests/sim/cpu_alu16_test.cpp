// 16-bit arithmetic, index and stack register instructions, MUL/IDIV/FDIV and the
// condition code instructions, against the instruction set summary (M68HC11 RM).
#include "flat_bus.h"

#include <gtest/gtest.h>

namespace hc11::test {
namespace {

using namespace ccr;

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

TEST(CpuAlu16, AddSubtractCompare) {
    runCases({
        {"ADDD overflow", {0xC3, 0x00, 0x01}, withD(0x7FFF, {}), withD(0x8000, {.ccr = N | V})},
        {"ADDD carry", {0xC3, 0x00, 0x01}, withD(0xFFFF, {}), withD(0x0000, {.ccr = Z | C})},
        {"ADDD low-byte carry", {0xC3, 0x00, 0xFF}, withD(0x0001, {.ccr = H}), withD(0x0100, {.ccr = H})},
        {"SUBD borrow", {0x83, 0x00, 0x01}, withD(0x0000, {}), withD(0xFFFF, {.ccr = N | C})},
        {"SUBD overflow", {0x83, 0x00, 0x01}, withD(0x8000, {}), withD(0x7FFF, {.ccr = V})},
        {"CPD equal", {0x1A, 0x83, 0x12, 0x34}, withD(0x1234, {.ccr = C}), withD(0x1234, {.ccr = Z})},
        {"CPX lower", {0x8C, 0x20, 0x00}, {.x = 0x1000}, {.ccr = N | C, .x = 0x1000}},
        {"CPY overflow", {0x18, 0x8C, 0x80, 0x00}, {.y = 0x7FFF}, {.ccr = N | V | C, .y = 0x7FFF}},
    });
}

TEST(CpuAlu16, LoadsSetNAndZAndClearV) {
    runCases({
        {"LDD", {0xCC, 0x80, 0x00}, {.ccr = V | C}, withD(0x8000, {.ccr = N | C})},
        {"LDX", {0xCE, 0x00, 0x00}, {.x = 0x5555}, {.ccr = Z}},
        {"LDY", {0x18, 0xCE, 0xFF, 0xFF}, {}, {.ccr = N, .y = 0xFFFF}},
        {"LDS", {0x8E, 0x00, 0x00}, {.sp = 0x1234}, {.ccr = Z, .sp = 0}},
    });
}

TEST(CpuAlu16, DoubleShifts) {
    runCases({
        {"LSRD last bit", {0x04}, withD(0x0001, {.ccr = N}), withD(0x0000, {.ccr = Z | V | C})},
        {"LSRD high bit", {0x04}, withD(0x8000, {}), withD(0x4000, {})},
        {"LSRD across bytes", {0x04}, withD(0x0100, {}), withD(0x0080, {})},
        {"ASLD sign out", {0x05}, withD(0x8000, {}), withD(0x0000, {.ccr = Z | V | C})},
        {"ASLD into sign", {0x05}, withD(0x4000, {}), withD(0x8000, {.ccr = N | V})},
        {"ASLD across bytes", {0x05}, withD(0x00FF, {}), withD(0x01FE, {})},
    });
}

TEST(CpuAlu16, IndexAndStackRegisters) {
    runCases({
        {"INX wraps, Z only", {0x08}, {.ccr = C, .x = 0xFFFF}, {.ccr = Z | C, .x = 0}},
        {"DEX to zero", {0x09}, {.x = 1}, {.ccr = Z}},
        {"DEX wraps", {0x09}, {.ccr = Z}, {.x = 0xFFFF}},
        {"INY", {0x18, 0x08}, {.y = 0xFFFF}, {.ccr = Z}},
        {"DEY", {0x18, 0x09}, {.ccr = Z | N, .y = 0}, {.ccr = N, .y = 0xFFFF}},
        {"INS wraps, no flags", {0x31}, {.ccr = Z, .sp = 0xFFFF}, {.ccr = Z, .sp = 0}},
        {"DES wraps", {0x34}, {.sp = 0}, {.sp = 0xFFFF}},
        {"TSX", {0x30}, {.sp = 0x01FF}, {.x = 0x0200, .sp = 0x01FF}},
        {"TSX wraps", {0x30}, {.sp = 0xFFFF}, {.x = 0, .sp = 0xFFFF}},
        {"TXS wraps", {0x35}, {.x = 0}, {.sp = 0xFFFF}},
        {"TSY", {0x18, 0x30}, {.sp = 0x00FF}, {.y = 0x0100, .sp = 0x00FF}},
        {"TYS", {0x18, 0x35}, {.y = 0x0100}, {.y = 0x0100, .sp = 0x00FF}},
        {"ABX unsigned", {0x3A}, {.b = 0xFF, .x = 0x1000}, {.b = 0xFF, .x = 0x10FF}},
        {"ABX wraps", {0x3A}, {.b = 0x02, .ccr = N, .x = 0xFFFF}, {.b = 0x02, .ccr = N, .x = 0x0001}},
        {"ABY", {0x18, 0x3A}, {.b = 0x80, .y = 0x7FC0}, {.b = 0x80, .y = 0x8040}},
        {"XGDX", {0x8F}, withD(0x1234, {.x = 0xABCD}), withD(0xABCD, {.x = 0x1234})},
        {"XGDY", {0x18, 0x8F}, withD(0x1234, {.y = 0xABCD}), withD(0xABCD, {.y = 0x1234})},
        {"TAB", {0x16}, {.a = 0x00, .b = 0x77, .ccr = N | V | C}, {.ccr = Z | C}},
    });
}

TEST(CpuAlu16, MultiplySetsCFromBitSevenOfB) {
    runCases({
        {"MUL max", {0x3D}, {.a = 0xFF, .b = 0xFF, .ccr = C | Z}, withD(0xFE01, {.ccr = Z})},
        {"MUL bit 7", {0x3D}, {.a = 0x10, .b = 0x08}, withD(0x0080, {.ccr = C})},
        {"MUL 12 x 11", {0x3D}, {.a = 0x0C, .b = 0x0B, .ccr = N}, withD(0x0084, {.ccr = N | C})},
    });
}

TEST(CpuAlu16, IntegerAndFractionalDivide) {
    runCases({
        {"IDIV", {0x02}, withD(100, {.ccr = N | Z | V | C, .x = 7}), withD(2, {.ccr = N, .x = 14})},
        {"IDIV zero quotient", {0x02}, withD(5, {.x = 10}), withD(5, {.ccr = Z, .x = 0})},
        {"IDIV by one", {0x02}, withD(0xFFFF, {.x = 1}), withD(0, {.x = 0xFFFF})},
        {"FDIV 1/3", {0x03}, withD(1, {.x = 3}), withD(1, {.x = 0x5555})},
        {"FDIV one half", {0x03}, withD(0x8000, {.x = 0xFFFF}), withD(0x8000, {.x = 0x8000})},
        {"FDIV zero", {0x03}, withD(0, {.ccr = C, .x = 5}), withD(0, {.ccr = Z, .x = 0})},
    });
}

// Divide by zero and FDIV overflow leave D indeterminate on the chip: only X and the
// condition codes are checked.
TEST(CpuAlu16, DivideByZeroAndOverflow) {
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

TEST(CpuAlu16, ConditionCodeInstructions) {
    runCases({
        {"TAP cannot set X", {0x06}, {.a = 0xFF}, {.a = 0xFF, .ccr = 0xBF}},
        {"TAP clears X", {0x06}, {.a = 0x00, .ccr = S | X | I}, {}},
        {"TAP keeps X set", {0x06}, {.a = X | C, .ccr = X}, {.a = X | C, .ccr = X | C}},
        {"TPA", {0x07}, {.ccr = 0xD5}, {.a = 0xD5, .ccr = 0xD5}},
        {"CLC", {0x0C}, {.ccr = 0xFF}, {.ccr = uint8_t(~C)}},
        {"SEC", {0x0D}, {}, {.ccr = C}},
        {"CLV", {0x0A}, {.ccr = 0xFF}, {.ccr = uint8_t(~V)}},
        {"SEV", {0x0B}, {}, {.ccr = V}},
        {"CLI", {0x0E}, {.ccr = 0xFF}, {.ccr = uint8_t(~I)}},
        {"SEI", {0x0F}, {}, {.ccr = I}},
    });
}

} // namespace
} // namespace hc11::test
