// The execution history, the step back and the watchpoints of the board, checked
// against a second board that ran the same program to the same point.
#include "board_test_support.h"

namespace hc11::test {
namespace {

constexpr uint16_t kStart = 0x0100;

// A loop that stores into a table and a word, calls a subroutine that pushes and
// writes, and reads the timer; output compare 2 runs so that its flag and the
// counter move with time.
const char* const kLoop = R"(
        LDS  #$03FF
        LDD  #$0400
        STD  TOC2
        LDX  #$0040
        CLRB
LOOP    LDAA TCNT+1
        STAA 0,X
        INX
        STX  $0080
        JSR  SUB
        INCB
        CMPB #40
        BNE  LOOP
        LDX  #$0040
        BRA  LOOP
SUB     PSHB
        LDAA TFLG1
        STAA $0090
        LDAA #$40
        STAA TFLG1
        PULB
        RTS
)";

void startLoop(Board& b) {
    loadSource(b, kStart, kLoop);
    b.resetSingleChip(kStart);
}

// Runs one step at a time (an instruction, or an interrupt entry) until the CPU has
// executed `instructions` since power-on.
void runToInstruction(Board& b, uint64_t instructions) {
    while (b.cpu().instructions() < instructions)
        b.runUntil(b.cycleCount() + 1);
}

struct Seen {
    Registers r;
    Bytes ram;
    Bytes timer;
    uint64_t programCycles;
};
Seen seen(Board& b) {
    Seen s{b.cpu().r, {}, {}, b.programCycles()};
    for (uint16_t a = 0; a <= 0x03FF; ++a)
        s.ram.push_back(b.peek(a));
    s.timer = peekAll(b, {reg::TCNT, reg::TCNT + 1, reg::TFLG1, reg::TFLG2, reg::TOC1 + 2, reg::TOC1 + 3});
    return s;
}
void expectSame(const Seen& got, const Seen& want) {
    EXPECT_EQ(got.r, want.r);
    EXPECT_EQ(got.ram, want.ram);
    EXPECT_EQ(got.timer, want.timer);
    EXPECT_EQ(got.programCycles, want.programCycles);
}

TEST(History, StepBackThroughALoopGivesWhatARecordedRunHadThere) {
    auto a = makeBoard();
    a->setHistoryCapacity(100'000);
    startLoop(*a);
    runFor(*a, 3'000);
    const uint64_t done = a->cpu().instructions();
    ASSERT_GT(a->historyInstructions(), 50u);

    auto b = makeBoard();
    startLoop(*b);
    runToInstruction(*b, done - 50);

    const Board::StepBack back = a->stepBack(50);
    EXPECT_EQ(back.steps, 50u);
    EXPECT_EQ(back.unrestorable, "");
    expectSame(seen(*a), seen(*b));

    // From there both go on alike: the timer's time base was put back too.
    runFor(*a, 5'000);
    runFor(*b, 5'000);
    expectSame(seen(*a), seen(*b));

    // Step back again, past what the first step back undid.
    const uint64_t kept = a->historyInstructions();
    EXPECT_EQ(a->stepBack(kept + 10).steps, kept);
    auto c = makeBoard();
    startLoop(*c);
    EXPECT_EQ(seen(*a).r, seen(*c).r);
    EXPECT_EQ(seen(*a).ram, seen(*c).ram);
}

TEST(History, KeepsOnlyItsCapacityAndRefusesWhatItCannotPutBack) {
    auto b = makeBoard();
    b->setHistoryCapacity(100);
    startLoop(*b);
    runFor(*b, 3'000);
    EXPECT_EQ(b->historyInstructions(), 100u);

    // A branch to itself is kept once for all its turns: stepping back 40 turns takes
    // the program's cycles and the timer back 120 cycles.
    auto spin = makeBoard();
    spin->setHistoryCapacity(1000);
    loadSource(*spin, kStart, "        LDAA #1\n        BRA  *\n");
    spin->resetSingleChip(kStart);
    runFor(*spin, 30'000);
    EXPECT_EQ(spin->historyInstructions(), 1000u);
    EXPECT_TRUE(spin->resting()) << "the spin lets the board rest";
    const uint64_t cycles = spin->programCycles();
    const uint16_t tcnt = uint16_t(spin->peek(reg::TCNT) << 8 | spin->peek(reg::TCNT + 1));
    EXPECT_EQ(spin->stepBack(40).steps, 40u);
    EXPECT_EQ(spin->programCycles(), cycles - 120);
    EXPECT_EQ(uint16_t(spin->peek(reg::TCNT) << 8 | spin->peek(reg::TCNT + 1)), uint16_t(tcnt - 120));
    EXPECT_EQ(spin->cpu().r.pc, kStart + 2);

    // A program that sends on the SCI: its line is the debugger's, not put back.
    auto s = makeBoard();
    s->setHistoryCapacity(1000);
    loadSource(*s, kStart, R"(
        LDAA #$08
        STAA SCCR2
        LDAA #$41
        STAA SCDR
        LDAA #1
        LDAA #2
        BRA  *
)");
    s->resetSingleChip(kStart);
    runToInstruction(*s, 6);
    const Registers before = s->cpu().r;
    EXPECT_EQ(s->stepBack(1).steps, 1u); // LDAA #2
    const Board::StepBack refused = s->stepBack(2);
    EXPECT_EQ(refused.steps, 0u);
    EXPECT_EQ(refused.unrestorable, "SCI");
    EXPECT_NE(s->cpu().r, before);
    EXPECT_EQ(s->cpu().r.a, 1);
}

TEST(Watchpoints, AWriteStopsAtTheInstructionThatWritesAndAReadAtItsReader) {
    auto b = makeBoard();
    b->setWatchpoints({{0x0090, 0x0090, false, true}});
    startLoop(*b);
    runFor(*b, 100'000);
    ASSERT_TRUE(b->watchHit().has_value());
    const Board::WatchHit hit = *b->watchHit();
    uint16_t staa = kStart; // STAA $0090 in SUB
    while (b->peek(staa) != 0x97 || b->peek(uint16_t(staa + 1)) != 0x90)
        ++staa;
    EXPECT_EQ(hit.instruction, staa);
    EXPECT_TRUE(hit.write);
    EXPECT_EQ(hit.address, 0x0090);
    EXPECT_EQ(b->cpu().r.pc, staa + 2);
    EXPECT_EQ(b->peek(0x0090), hit.value);

    // A read of a range: the first LDAA TCNT+1 has nothing to do with it, the table
    // read by nobody; the stack byte pulled by PULB is read.
    b->clearWatchHit();
    b->setWatchpoints({{0x03F0, 0x03FF, true, false}});
    runFor(*b, 100'000);
    ASSERT_TRUE(b->watchHit().has_value());
    EXPECT_FALSE(b->watchHit()->write);
    EXPECT_EQ(b->peek(b->watchHit()->instruction), 0x33); // PULB
}

} // namespace
} // namespace hc11::test
