// Exception processing: the stack frame of interrupts, RTI and the X bit, IRQ/XIRQ
// masking and priority, WAI, STOP, TEST and reset. SWI and RTI run as a whole program in
// cpu_program_test.cpp (programs/swi_rti.asm).
#include "flat_bus.h"

#include <gtest/gtest.h>

namespace hc11::test {
namespace {

using namespace ccr;

const Registers kBefore = {.a = 0x11, .b = 0x22, .ccr = 0x00, .x = 0x3344, .y = 0x5566, .sp = 0x01FF};

// The nine bytes from SP + 1 upward: CCR, B, A, XH, XL, YH, YL, PCH, PCL (A8TD figure 9-3).
std::vector<uint8_t> frameAt(FlatBus& bus, uint16_t sp) {
    std::vector<uint8_t> bytes;
    for (int i = 1; i <= 9; ++i)
        bytes.push_back(bus[uint16_t(sp + i)]);
    return bytes;
}
std::vector<uint8_t> expectedFrame(const Registers& r, uint16_t pc) {
    return {r.ccr,        r.b,
            r.a,          uint8_t(r.x >> 8),
            uint8_t(r.x), uint8_t(r.y >> 8),
            uint8_t(r.y), uint8_t(pc >> 8),
            uint8_t(pc)};
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

// A request waits while I is set and is taken, between instructions, once CLI clears it.
TEST(CpuException, IMasksTheInterruptUntilCli) {
    FlatBoard board;
    start(board, {0x01, 0x0E, 0x01}, withCcr(I));
    board.bus.irqAsserted = true;
    board.bus.irqVectorOffset = vec::Sci;
    EXPECT_EQ(board.exec(), 2u); // NOP runs, the request waits
    EXPECT_EQ(board.cpu.r.pc, 0x1001);
    board.exec(); // CLI
    EXPECT_EQ(board.exec(), 12u);
    EXPECT_EQ(board.cpu.r.pc, FlatBoard::handlerFor(vec::Sci));
    EXPECT_EQ(frameAt(board.bus, board.cpu.r.sp), expectedFrame(withCcr(0), 0x1002));
    EXPECT_EQ(board.cpu.r.ccr, I);
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
    const Registers r = withCcr(I);
    start(board, {0x3E}, r);
    EXPECT_EQ(board.exec(), 14u);
    EXPECT_EQ(board.cpu.state(), Cpu::State::Waiting);
    const uint16_t spAfterWai = board.cpu.r.sp;
    EXPECT_EQ(spAfterWai, 0x01FF - 9);
    EXPECT_EQ(frameAt(board.bus, spAfterWai), expectedFrame(r, 0x1001));

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

TEST(CpuException, StopIsANoOpWhileSIsSet) {
    FlatBoard board;
    const Registers r = withCcr(S);
    start(board, {0xCF}, r);
    EXPECT_EQ(board.exec(), 2u);
    EXPECT_EQ(board.cpu.state(), Cpu::State::Running);
    EXPECT_EQ(board.cpu.r.pc, 0x1001);
}

TEST(CpuException, StopWaitsForAnInterrupt) {
    FlatBoard board;
    start(board, {0xCF, 0x01});
    EXPECT_EQ(board.exec(), 2u);
    EXPECT_EQ(board.cpu.state(), Cpu::State::Stopped);
    board.bus.eventLimit = 500;
    board.cpu.run();
    EXPECT_EQ(board.bus.cycles, 500u);
    EXPECT_EQ(board.cpu.state(), Cpu::State::Stopped);

    // An on-chip request has no clock while stopped: only the IRQ pin ends STOP, after
    // the oscillator's restart delay.
    board.bus.irqAsserted = true;
    board.exec();
    EXPECT_EQ(board.cpu.state(), Cpu::State::Stopped);
    board.bus.irqPinAsserted = true;
    board.bus.stopRecoveryCycles = 4064;
    EXPECT_EQ(board.exec(), 4064u + 12u);
    EXPECT_EQ(board.cpu.state(), Cpu::State::Running);
    EXPECT_EQ(board.cpu.r.pc, FlatBoard::handlerFor(vec::Irq));
    EXPECT_EQ(frameAt(board.bus, board.cpu.r.sp), expectedFrame(kBefore, 0x1001));
}

TEST(CpuException, MaskedXirqResumesAfterStop) {
    FlatBoard board;
    const Registers r = withCcr(X | I);
    start(board, {0xCF, 0x01}, r);
    board.exec();
    board.bus.irqAsserted = board.bus.irqPinAsserted = true; // masked by I
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

} // namespace
} // namespace hc11::test
