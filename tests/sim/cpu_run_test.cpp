// The run loop: the event limit, a peripheral lowering it mid-instruction, stopping on
// events for headless runs, and the instruction trace.
#include "flat_bus.h"

#include <gtest/gtest.h>

namespace hc11::test {
namespace {

using namespace ccr;

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

TEST(CpuRun, WithoutStopOnEventsATrapRunsItsHandler) {
    FlatBoard board;
    board.bus.load(FlatBoard::handlerFor(vec::IllegalOpcode), {0x20, 0xFE});
    board.program({0x41});
    board.bus.eventLimit = 1000;
    board.cpu.run();
    EXPECT_GE(board.bus.cycles, 1000u);
    EXPECT_EQ(board.cpu.lastEvent(), Cpu::Event::None);
    EXPECT_EQ(board.cpu.lastIllegalPc(), FlatBoard::kCode);
    EXPECT_EQ(board.cpu.r.pc, FlatBoard::handlerFor(vec::IllegalOpcode));
}

struct Recorded {
    uint64_t cycle;
    uint16_t pc;
    std::vector<uint8_t> bytes;
    Registers before;
};

class RecordingTrace : public InstructionTrace {
public:
    std::vector<Recorded> calls;
    void instruction(uint64_t cycle, uint16_t pc, const uint8_t* bytes, int length,
                     const Registers& before) override {
        calls.push_back({cycle, pc, std::vector<uint8_t>(bytes, bytes + length), before});
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

    ASSERT_EQ(trace.calls.size(), 4u);
    const std::vector<uint8_t> bytes[] = {
        {0x86, 0x01}, {0x18, 0xCE, 0x12, 0x34}, {0x18, 0x1E, 0x10, 0x01, 0x00}, {0x87}};
    const uint16_t pcs[] = {0x1000, 0x1002, 0x1006, 0x100B};
    const uint64_t cycles[] = {0, 2, 6, 14};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(trace.calls[i].pc, pcs[i]);
        EXPECT_EQ(trace.calls[i].bytes, bytes[i]);
        EXPECT_EQ(trace.calls[i].cycle, cycles[i]);
    }
    EXPECT_EQ(trace.calls[1].before.a, 0x01);
    EXPECT_EQ(trace.calls[2].before.y, 0x1234);
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
