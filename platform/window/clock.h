// Clocks: a millisecond clock and a high-resolution counter.
#pragma once
#include <cstdint>

namespace platform::window {

// Milliseconds since an arbitrary start (wraps after about 49 days, callers subtract).
uint32_t TimeGetTime();
// High-resolution counter and its ticks per second.
uint64_t QueryPerformanceCounter();
uint64_t QueryPerformanceFrequency();

}  // namespace platform::window
