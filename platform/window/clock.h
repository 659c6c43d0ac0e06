// Clocks: a millisecond clock and a high-resolution counter on the same monotonic time base.
#pragma once
#include <cstdint>

namespace platform::window {

// Milliseconds since an arbitrary start (wraps after about 49 days, callers subtract).
uint32_t TimeGetTime();
// High-resolution counter and its ticks per second.
uint64_t QueryPerformanceCounter();
uint64_t QueryPerformanceFrequency();

// The counter's reading at the moment TimeGetTime first reads `ms`, for a reading within about 24 days
// of now (a moment already past gives a reading in the past). Lets a wait for the millisecond clock end
// to the counter's precision instead of the millisecond's.
uint64_t CounterAtTime(uint32_t ms);
// Sleeps until the counter reads `counter` or later; returns at once for a reading already past.
void SleepUntilCounter(uint64_t counter);

}  // namespace platform::window
