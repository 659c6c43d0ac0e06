#include "platform/window/clock.h"

#include <errno.h>
#include <time.h>

namespace platform::window {

namespace {
constexpr uint64_t kNanosecondsPerMs = 1000000u;

uint64_t MonotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return uint64_t(now.tv_sec) * 1000000000u + uint64_t(now.tv_nsec);
}
}  // namespace

uint32_t TimeGetTime() { return uint32_t(MonotonicNanoseconds() / kNanosecondsPerMs); }

uint64_t QueryPerformanceCounter() { return MonotonicNanoseconds(); }

uint64_t QueryPerformanceFrequency() { return 1000000000u; }

uint64_t CounterAtTime(uint32_t ms) {
  const uint64_t nowMs = MonotonicNanoseconds() / kNanosecondsPerMs;
  // The millisecond clock is the counter's milliseconds truncated to 32 bits: the signed distance
  // between the two 32-bit readings places `ms` on the counter's full scale.
  const int64_t distance = int32_t(ms - uint32_t(nowMs));
  const int64_t at = int64_t(nowMs) + distance;
  return at < 0 ? 0 : uint64_t(at) * kNanosecondsPerMs;
}

void SleepUntilCounter(uint64_t counter) {
  const timespec until{time_t(counter / 1000000000u), long(counter % 1000000000u)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
  }
}

}  // namespace platform::window
