// The clock of deadlines and pauses: real time unless a test runs it faster,
// never going back, and a span not yet over never rounding to a platform
// time-out of 0 (which would mean no time-out at all).
#include <gtest/gtest.h>

#include <chrono>

#include "util/clock.h"

namespace {

// Runs the clock at speed for the scope of a test.
class ClockSpeed {
public:
    explicit ClockSpeed(uint32_t speed) { SetClockSpeedForTesting(speed); }
    ~ClockSpeed() { SetClockSpeedForTesting(1); }
};

}  // namespace

TEST(Clock, AFastClockPassesItsPausesInAFractionOfRealTimeAndRoundsSpansUp) {
    const ClockSpeed fast(50);
    const auto realStart = std::chrono::steady_clock::now();
    const uint64_t start = ClockNowMs();
    ClockSleepMs(10000);
    const auto realMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - realStart).count();
    EXPECT_GE(ClockNowMs() - start, 10000u);
    EXPECT_LT(realMs, 5000) << "200 ms of real time, with room for a loaded machine";

    EXPECT_EQ(ClockSpanToRealMs(60000), 1200u);
    EXPECT_EQ(ClockSpanToRealMs(51), 2u);
    EXPECT_EQ(ClockSpanToRealMs(1), 1u);
    EXPECT_EQ(ClockSpanToRealMs(0), 0u);
}

TEST(Clock, ASlowerSpeedGoesOnFromWhereTheClockStoodAndRealTimeIsUnscaled) {
    uint64_t beforeSlowing = 0;
    {
        const ClockSpeed fast(1000);
        ClockSleepMs(20000);
        beforeSlowing = ClockNowMs();
    }
    EXPECT_GE(ClockNowMs(), beforeSlowing);
    EXPECT_EQ(ClockSpanToRealMs(60000), 60000u);
    EXPECT_EQ(ClockSpanToRealMs(1), 1u);
}
