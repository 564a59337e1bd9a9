// The steady clock behind the program's deadlines and pauses, at the speed a
// test may have set.
#include "util/clock.h"

#include <chrono>
#include <mutex>
#include <thread>

namespace {

using Steady = std::chrono::steady_clock;

// The clock reads base at realBase and advances speed times as fast as real
// time from there; a change of speed starts a new base, so it never jumps.
struct Rate {
    Steady::time_point realBase;
    uint64_t baseMs;
    uint32_t speed;
};

std::mutex g_rateLock;
Rate g_rate{Steady::now(), 0, 1};

uint64_t NowUnderLock(Steady::time_point now) {
    const auto realUs = std::chrono::duration_cast<std::chrono::microseconds>(now - g_rate.realBase).count();
    return g_rate.baseMs + static_cast<uint64_t>(realUs) * g_rate.speed / 1000;
}

uint32_t Speed() {
    const std::lock_guard<std::mutex> hold(g_rateLock);
    return g_rate.speed;
}

}  // namespace

uint64_t ClockNowMs() {
    const std::lock_guard<std::mutex> hold(g_rateLock);
    return NowUnderLock(Steady::now());
}

void ClockSleepMs(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::microseconds(uint64_t{ms} * 1000 / Speed()));
}

uint32_t ClockSpanToRealMs(uint32_t ms) {
    const uint32_t speed = Speed();
    return ms / speed + (ms % speed != 0);
}

void SetClockSpeedForTesting(uint32_t speed) {
    const std::lock_guard<std::mutex> hold(g_rateLock);
    const Steady::time_point now = Steady::now();
    g_rate = {now, NowUnderLock(now), speed == 0 ? 1 : speed};
}
