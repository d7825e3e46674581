// 8-bit arithmetic, logic, unary, shift and decimal-adjust instructions: results and every
// condition code bit, against the instruction set summary (M68HC11 RM).
#include "flat_bus.h"

#include <gtest/gtest.h>

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
    {"ORAA", {0x8A, 0x80}, 0x01, V, 0, 0x81, N},
    {"EORA", {0x88, 0xFF}, 0xFF, 0, 0, 0x00, Z},
    {"BITA leaves A", {0x85, 0x80}, 0x80, V, 0, 0x80, N},
    {"LDAA zero", {0x86, 0x00}, 0x55, N | V | C, 0, 0x00, Z | C},
    {"NEGA of $80", {0x40}, 0x80, 0, 0, 0x80, N | V | C},
    {"NEGA of zero", {0x40}, 0x00, C, 0, 0x00, Z},
    {"NEGA of one", {0x40}, 0x01, 0, 0, 0xFF, N | C},
    {"COMA", {0x43}, 0x00, V, 0, 0xFF, N | C},
    {"INCA overflow", {0x4C}, 0x7F, 0, 0, 0x80, N | V},
    {"INCA wraps keeps C", {0x4C}, 0xFF, C, 0, 0x00, Z | C},
    {"DECA overflow", {0x4A}, 0x80, 0, 0, 0x7F, V},
    {"DECA to zero", {0x4A}, 0x01, 0, 0, 0x00, Z},
    {"DECA wraps", {0x4A}, 0x00, C, 0, 0xFF, N | C},
    {"TSTA clears V and C", {0x4D}, 0x80, V | C, 0, 0x80, N},
    {"CLRA keeps H", {0x4F}, 0x55, H | N | V | C, 0, 0x00, H | Z},
    {"LSRA last bit out", {0x44}, 0x01, 0, 0, 0x00, Z | V | C},
    {"LSRA clears N", {0x44}, 0x80, N, 0, 0x40, 0},
    {"ASRA keeps sign", {0x47}, 0x81, 0, 0, 0xC0, N | C},
    {"ASLA sign out", {0x48}, 0x80, 0, 0, 0x00, Z | V | C},
    {"ASLA into sign", {0x48}, 0x40, 0, 0, 0x80, N | V},
    {"ROLA through C", {0x49}, 0x80, C, 0, 0x01, V | C},
    {"ROLA C in", {0x49}, 0x00, C, 0, 0x01, 0},
    {"RORA through C", {0x46}, 0x01, C, 0, 0x80, N | C},
    {"RORA no C", {0x46}, 0x02, 0, 0, 0x01, 0},
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

TEST(CpuAlu8, AccumulatorInstructions) {
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
TEST(CpuAlu8, DecimalAdjustAfterAddition) {
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

} // namespace
} // namespace hc11::test
