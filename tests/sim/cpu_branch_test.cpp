// Branches, bit-test branches, bit set/clear, jumps, subroutines and the stack, including
// the wrap of every address at $FFFF/$0000.
#include "flat_bus.h"

#include <gtest/gtest.h>

namespace hc11::test {
namespace {

using namespace ccr;

TEST(CpuBranch, ConditionsOfTheRelativeBranches) {
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

TEST(CpuBranch, TargetsWrapAtSixteenBits) {
    struct Case {
        uint16_t at;
        uint8_t offset;
        uint16_t target;
    };
    const Case cases[] = {
        {0xFFFE, 0x04, 0x0004}, // forward across $FFFF
        {0x0000, 0xFC, 0xFFFE}, // backward below $0000
        {0xFFFF, 0x02, 0x0003}, // the instruction itself straddles $FFFF/$0000
        {0x1000, 0x80, 0x0F82}, // most negative offset
        {0x1000, 0x7F, 0x1081}, // most positive offset
    };
    for (const Case& c : cases) {
        FlatBoard board;
        board.bus[c.at] = 0x20; // BRA
        board.bus[uint16_t(c.at + 1)] = c.offset;
        board.cpu.jump(c.at);
        board.exec();
        EXPECT_EQ(board.cpu.r.pc, c.target) << std::hex << c.at;
    }
}

TEST(CpuBranch, BitTestBranches) {
    struct Case {
        const char* what;
        uint16_t at;
        std::vector<uint8_t> code;
        uint16_t x, y;
        uint16_t operandAt;
        uint8_t operand;
        uint16_t pcAfter;
        unsigned cycles;
    };
    const Case cases[] = {
        {"BRSET direct $FF taken", 0x1000, {0x12, 0xFF, 0x81, 0x10}, 0, 0, 0x00FF, 0x81, 0x1014, 6},
        {"BRSET direct, one bit clear", 0x1000, {0x12, 0xFF, 0x83, 0x10}, 0, 0, 0x00FF, 0x81, 0x1004, 6},
        {"BRSET mask 0 always", 0x1000, {0x12, 0x40, 0x00, 0x10}, 0, 0, 0x0040, 0x00, 0x1014, 6},
        {"BRCLR direct $FF taken", 0x1000, {0x13, 0xFF, 0x7E, 0x10}, 0, 0, 0x00FF, 0x81, 0x1014, 6},
        {"BRCLR direct, one bit set", 0x1000, {0x13, 0xFF, 0x01, 0x10}, 0, 0, 0x00FF, 0x81, 0x1004, 6},
        {"BRSET back across a page", 0x10FC, {0x12, 0x40, 0x01, 0xF0}, 0, 0, 0x0040, 0x01, 0x10F0, 6},
        {"BRCLR forward across a page", 0x10F8, {0x13, 0x40, 0x01, 0x10}, 0, 0, 0x0040, 0x00, 0x110C, 6},
        {"BRSET ,X offset $FF", 0x1000, {0x1E, 0xFF, 0x80, 0xFE}, 0x20F0, 0, 0x21EF, 0x80, 0x1002, 7},
        {"BRCLR ,X offset $FF", 0x1000, {0x1F, 0xFF, 0x80, 0x02}, 0x20F0, 0, 0x21EF, 0x7F, 0x1006, 7},
        {"BRSET ,Y wraps", 0x1000, {0x18, 0x1E, 0x20, 0x04, 0x10}, 0, 0xFFF0, 0x0010, 0x04, 0x1015, 8},
        {"BRCLR ,Y offset $FF", 0x1000, {0x18, 0x1F, 0xFF, 0x04, 0x10}, 0, 0x2000, 0x20FF, 0x04, 0x1005, 8},
    };
    for (const Case& c : cases) {
        FlatBoard board;
        board.bus.load(c.at, c.code);
        board.bus[c.operandAt] = c.operand;
        board.cpu.jump(c.at);
        board.cpu.r.x = c.x;
        board.cpu.r.y = c.y;
        board.cpu.r.ccr = N | V;
        EXPECT_EQ(board.exec(), c.cycles) << c.what;
        EXPECT_EQ(board.cpu.r.pc, c.pcAfter) << c.what;
        EXPECT_EQ(board.cpu.r.ccr, N | V) << c.what;
    }
}

TEST(CpuBranch, BitSetAndClear) {
    struct Case {
        const char* what;
        std::vector<uint8_t> code;
        uint16_t at;
        uint8_t before, after, ccrOut;
    };
    const Case cases[] = {
        {"BSET direct $FF", {0x14, 0xFF, 0x81}, 0x00FF, 0x00, 0x81, N | C},
        {"BCLR direct", {0x15, 0x10, 0xF0}, 0x0010, 0xF0, 0x00, Z | C},
        {"BSET ,X offset $FF", {0x1C, 0xFF, 0x01}, 0x20FF, 0x40, 0x41, C},
        {"BCLR ,X", {0x1D, 0x01, 0x80}, 0x2001, 0x81, 0x01, C},
        {"BSET ,Y", {0x18, 0x1C, 0x02, 0x80}, 0x3002, 0x00, 0x80, N | C},
        {"BCLR ,Y wraps", {0x18, 0x1D, 0x20, 0xFF}, 0x0010, 0xFF, 0x00, Z | C},
    };
    for (const Case& c : cases) {
        FlatBoard board;
        board.bus[c.at] = c.before;
        const uint16_t y = c.at == 0x0010 ? 0xFFF0 : 0x3000;
        board.run(c.code, {.ccr = V | C, .x = 0x2000, .y = y});
        EXPECT_EQ(board.bus[c.at], c.after) << c.what;
        EXPECT_EQ(board.cpu.r.ccr, c.ccrOut) << c.what;
    }
}

TEST(CpuBranch, SubroutineCallsStackTheReturnAddress) {
    struct Case {
        const char* what;
        std::vector<uint8_t> code;
        uint16_t target, returnTo;
        unsigned cycles;
    };
    const Case cases[] = {
        {"JSR direct", {0x9D, 0x80}, 0x0080, 0x1002, 5},
        {"JSR extended", {0xBD, 0x20, 0x00}, 0x2000, 0x1003, 6},
        {"JSR ,X", {0xAD, 0x10}, 0x3010, 0x1002, 6},
        {"JSR ,Y", {0x18, 0xAD, 0x10}, 0x4010, 0x1003, 7},
        {"BSR", {0x8D, 0x10}, 0x1012, 0x1002, 6},
    };
    for (const Case& c : cases) {
        FlatBoard board;
        board.program(c.code);
        board.bus[c.target] = 0x39; // RTS
        board.cpu.r.x = 0x3000;
        board.cpu.r.y = 0x4000;
        EXPECT_EQ(board.exec(), c.cycles) << c.what;
        EXPECT_EQ(board.cpu.r.pc, c.target) << c.what;
        EXPECT_EQ(board.cpu.r.sp, FlatBoard::kStack - 2) << c.what;
        EXPECT_EQ(board.bus.word(FlatBoard::kStack - 1), c.returnTo) << c.what;
        EXPECT_EQ(board.exec(), 5u) << c.what; // RTS
        EXPECT_EQ(board.cpu.r.pc, c.returnTo) << c.what;
        EXPECT_EQ(board.cpu.r.sp, FlatBoard::kStack) << c.what;
    }
}

TEST(CpuBranch, Jumps) {
    FlatBoard board;
    EXPECT_EQ(board.run({0x7E, 0xBE, 0xEF}, {}, 1).pc, 0xBEEF);
    EXPECT_EQ(board.run({0x6E, 0xFF}, {.x = 0x2001}, 1).pc, 0x2100);
    EXPECT_EQ(board.run({0x18, 0x6E, 0x20}, {.y = 0xFFF0}, 1).pc, 0x0010);
}

TEST(CpuBranch, PushAndPullAreBigEndianAndWrap) {
    FlatBoard board;
    // PSHX then PULY moves X to Y through the stack, high byte at the lower address.
    board.program({0x3C, 0x18, 0x38});
    board.cpu.r.x = 0x1234;
    EXPECT_EQ(board.exec(), 4u);
    EXPECT_EQ(board.bus.word(FlatBoard::kStack - 1), 0x1234);
    EXPECT_EQ(board.cpu.r.sp, FlatBoard::kStack - 2);
    EXPECT_EQ(board.exec(), 6u);
    EXPECT_EQ(board.cpu.r.y, 0x1234);
    EXPECT_EQ(board.cpu.r.sp, FlatBoard::kStack);

    // The stack pointer wraps: PSHA at SP = $0000 writes $0000 and leaves SP = $FFFF.
    board.bus.load(FlatBoard::kCode, {0x36, 0x37, 0x3C, 0x32, 0x33, 0x38});
    board.cpu.r = {.a = 0xAA, .b = 0xBB, .x = 0xC0DE, .sp = 0x0000};
    board.cpu.jump(FlatBoard::kCode);
    board.exec();
    EXPECT_EQ(board.bus[0x0000], 0xAA);
    EXPECT_EQ(board.cpu.r.sp, 0xFFFF);
    board.exec();
    EXPECT_EQ(board.bus[0xFFFF], 0xBB);
    board.exec();
    EXPECT_EQ(board.bus.word(0xFFFD), 0xC0DE);
    EXPECT_EQ(board.cpu.r.sp, 0xFFFC);
    board.cpu.r.a = board.cpu.r.b = 0;
    board.cpu.r.x = 0;
    board.exec(); // PULA
    board.exec(); // PULB
    board.exec(); // PULX
    EXPECT_EQ(board.cpu.r.a, 0xC0);
    EXPECT_EQ(board.cpu.r.b, 0xDE);
    EXPECT_EQ(board.cpu.r.x, 0xBBAA);
    EXPECT_EQ(board.cpu.r.sp, 0x0000);
}

} // namespace
} // namespace hc11::test
