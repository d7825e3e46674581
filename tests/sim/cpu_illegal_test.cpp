// The illegal-opcode trap: full frame stacked with the address of the first byte (prebyte included), I set,
// the vector at vectorBase + $38 taken (MC68HC11P2 DS 10.6.3).
#include "flat_bus.h"

#include "sim/opcode_table.h"

#include <gtest/gtest.h>

namespace hc11::test {
namespace {

using namespace ccr;

struct Trap {
    Page page;
    uint8_t op;
};

// One hole on each page: the trap is the same code whichever opcode led to it, and every
// byte the decoder lists as data traps (tests/disasm/cpu_cross_check_test.cpp).
TEST(CpuIllegalOpcode, TrapStacksTheFrameAndTakesTheVector) {
    const Trap traps[] = {{Page::None, 0x41}, {Page::P18, 0x00}, {Page::P1A, 0x00}, {Page::PCD, 0x00}};
    const uint16_t at = 0x1234;
    for (const Trap& t : traps) {
        FlatBoard board;
        std::vector<uint8_t> code;
        if (t.page != Page::None) code.push_back(prebyteOf(t.page));
        code.push_back(t.op);
        board.bus.load(at, code);
        board.cpu.r = {.a = 0xA1, .b = 0xB2, .ccr = N | C, .x = 0x1111, .y = 0x2222, .sp = 0x0180};
        board.cpu.jump(at);

        const unsigned cycles = board.exec();
        const std::string what =
            "prebyte " + std::to_string(prebyteOf(t.page)) + " op " + std::to_string(t.op);
        EXPECT_EQ(cycles, t.page == Page::None ? 14u : 15u) << what;
        EXPECT_EQ(board.cpu.r.pc, FlatBoard::handlerFor(vec::IllegalOpcode)) << what;
        EXPECT_EQ(board.cpu.lastIllegalPc(), at) << what;
        EXPECT_EQ(board.cpu.r.sp, 0x0180 - 9) << what;
        EXPECT_EQ(board.cpu.r.ccr, N | C | I) << what;
        const std::vector<uint8_t> frame = {N | C, 0xB2, 0xA1, 0x11, 0x11, 0x22, 0x22, 0x12, 0x34};
        for (int i = 0; i < 9; ++i)
            EXPECT_EQ(board.bus[uint16_t(0x0180 - 8 + i)], frame[i]) << what << " frame byte " << i;
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

} // namespace
} // namespace hc11::test
