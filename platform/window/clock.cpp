#include "platform/window/clock.h"

#include <time.h>

namespace platform::window {

namespace {
uint64_t MonotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return uint64_t(now.tv_sec) * 1000000000u + uint64_t(now.tv_nsec);
}
}  // namespace

uint32_t TimeGetTime() { return uint32_t(MonotonicNanoseconds() / 1000000u); }

uint64_t QueryPerformanceCounter() { return MonotonicNanoseconds(); }

uint64_t QueryPerformanceFrequency() { return 1000000000u; }

}  // namespace platform::window
