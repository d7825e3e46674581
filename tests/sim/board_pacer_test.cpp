// RealTimePacer against a clock the test moves by hand.
#include "sim/real_time_pacer.h"

#include <gtest/gtest.h>

namespace hc11 {
namespace {

using namespace std::chrono_literals;

TEST(RealTimePacer, MapsElapsedTimeToCycles) {
    std::chrono::nanoseconds now = 5s;
    RealTimePacer pacer(2'000'000, [&] { return now; });
    pacer.start(1000);
    EXPECT_EQ(pacer.targetCycle(), 1000u);
    now += 1ms;
    EXPECT_EQ(pacer.targetCycle(), 3000u);
    EXPECT_EQ(pacer.timeUntil(3000), 0ns);
    EXPECT_EQ(pacer.timeUntil(5000), 1ms);
    EXPECT_EQ(pacer.timeUntil(500), 0ns);
    now -= 2ms; // a clock that went back never gives a cycle before the start
    EXPECT_EQ(pacer.targetCycle(), 1000u);
}

TEST(RealTimePacer, LimitsTheLagAfterAStall) {
    std::chrono::nanoseconds now = 0s;
    RealTimePacer pacer(1'000'000, [&] { return now; });
    pacer.start(0);
    now += 50ms;
    pacer.limitLag(40'000, 20ms); // 10 ms behind: within the limit
    EXPECT_EQ(pacer.targetCycle(), 50'000u);
    now += 1s;
    pacer.limitLag(50'000, 20ms); // a second behind: restart from here
    EXPECT_EQ(pacer.targetCycle(), 50'000u);
    now += 1ms;
    EXPECT_EQ(pacer.targetCycle(), 51'000u);
}

} // namespace
} // namespace hc11
