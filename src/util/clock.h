// The clock of the program's own durations: the deadline of a backend
// exchange and the workers' pauses. It is the steady clock; a test may run
// it faster, so that deadlines and pauses pass in a fraction of their time.
// Windows-free.
#pragma once

#include <cstdint>

// Milliseconds since an arbitrary start; never goes back.
uint64_t ClockNowMs();

// Pauses the calling thread for ms of the clock's time.
void ClockSleepMs(uint32_t ms);

// How long ms of the clock's time last in real milliseconds, rounded up so
// that a span that is not over never becomes 0: the platform's own
// time-outs count real time.
uint32_t ClockSpanToRealMs(uint32_t ms);

// From now on the clock runs speed times as fast as real time (1: real
// time). Tests of slow servers and of waits only.
void SetClockSpeedForTesting(uint32_t speed);
