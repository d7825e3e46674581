// The COP watchdog (M68HC11 RM 5.x): a program that stops writing $55/$AA to COPRST
// is reset through the COP vector after 2^15 E cycles times the CR1:CR0 rate; one that
// keeps feeding it runs on.
#include "board_test_support.h"

namespace hc11::test {
namespace {

constexpr uint16_t kCounter = 0x0080; // the COP handler counts its entries here
constexpr uint16_t kHandler = 0x0040; // INC $0080; BRA *
constexpr uint16_t kProgram = 0x0010;

std::unique_ptr<Board> copBoard(const std::vector<uint8_t>& program, bool copOn = true) {
    auto b = makeBoard("68HC11F1");
    if (copOn) b->programConfig(uint8_t(b->config() & ~config::NOCOP));
    loadCode(*b, kHandler, {0x7C, 0x00, 0x80, 0x20, 0xFE});
    loadCode(*b, kProgram, program);
    startProgram(*b, kProgram, {{vec::Cop, kHandler}});
    return b;
}

// Writes `value` to COPRST: LDAA #value; STAA $103A.
std::vector<uint8_t> storeCoprst(uint8_t value) {
    return {0x86, value, 0xB7, 0x10, 0x3A};
}

std::vector<uint8_t> concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(Cop, ResetsAProgramThatStopsFeedingItThroughTheCopVector) {
    // Feed once, then hang.
    auto b = copBoard(concat({storeCoprst(kCopArm), storeCoprst(kCopClear), {0x20, 0xFE}}));
    ASSERT_TRUE(b->copEnabled());
    const uint64_t r0 = b->cycleCount();
    b->runUntil(r0 + 8 + kCopBaseCycles - 3); // the $AA lands 8 cycles in
    EXPECT_EQ(b->copResets(), 0u);
    b->runUntil(r0 + 8 + kCopBaseCycles + 20);
    EXPECT_EQ(b->copResets(), 1u);
    EXPECT_EQ(b->peek(kCounter), 1);
    // The handler hangs too: the watchdog keeps firing, one period after each reset.
    runFor(*b, 3 * kCopBaseCycles);
    EXPECT_EQ(b->copResets(), 4u);
    EXPECT_EQ(b->peek(kCounter), 4);
}

TEST(Cop, FeedingKeepsItQuietAndTheRateAndNocopAreHonoured) {
    // A loop that feeds the watchdog forever.
    const auto feeder = concat({storeCoprst(kCopArm), storeCoprst(kCopClear), {0x20, 0xF4}});
    auto fed = copBoard(feeder);
    runFor(*fed, 10 * kCopBaseCycles);
    EXPECT_EQ(fed->copResets(), 0u);

    // $AA without $55 first does not clear it.
    auto onlyAa = copBoard(concat({storeCoprst(kCopClear), {0x20, 0xF9}}));
    runFor(*onlyAa, kCopBaseCycles + 20);
    EXPECT_EQ(onlyAa->copResets(), 1u);

    // CR1:CR0 = 01 (time-protected, written at once): four times the period.
    auto slow = copBoard(concat({{0x86, 0x01, 0xB7, 0x10, 0x39}, {0x20, 0xFE}}));
    const uint64_t r0 = slow->cycleCount();
    slow->runUntil(r0 + 4 * kCopBaseCycles - 3);
    EXPECT_EQ(slow->copResets(), 0u);
    slow->runUntil(r0 + 4 * kCopBaseCycles + 20);
    EXPECT_EQ(slow->copResets(), 1u);

    // The chip's factory CONFIG has NOCOP set: the hung program runs on.
    auto off = copBoard({0x20, 0xFE}, false);
    EXPECT_FALSE(off->copEnabled());
    runFor(*off, 100 * kCopBaseCycles);
    EXPECT_EQ(off->copResets(), 0u);
}

// The clock monitor: with OPTION.CME set, STOP stops the clocks and the monitor resets
// the part through its own vector; without it, STOP waits for IRQ, XIRQ or reset.
TEST(ClockMonitor, StopWithCmeResetsThroughTheClockMonitorVector) {
    for (const bool cme : {true, false}) {
        SCOPED_TRACE(cme);
        auto b = makeBoard("68HC11F1");
        loadCode(*b, kHandler, {0x7C, 0x00, 0x80, 0x20, 0xFE});
        // LDAA #OPTION value; STAA OPTION; CLRA; TAP (S cleared so STOP is obeyed); STOP.
        loadCode(*b, kProgram, {0x86, uint8_t(cme ? option::CME : 0), 0xB7, 0x10, 0x39, 0x4F, 0x06, 0xCF});
        startProgram(*b, kProgram, {{vec::ClockMonitor, kHandler}});
        runFor(*b, 1000);
        EXPECT_EQ(b->clockMonitorResets(), cme ? 1u : 0u);
        EXPECT_EQ(b->peek(kCounter), cme ? 1 : 0);
        EXPECT_EQ(b->cpu().state(), cme ? Cpu::State::Running : Cpu::State::Stopped);
        // The reset put OPTION back: CME is off, so the monitor fires only once.
        if (cme) {
            EXPECT_EQ(b->read(reg::OPTION) & option::CME, 0);
        }
    }
}

} // namespace
} // namespace hc11::test
