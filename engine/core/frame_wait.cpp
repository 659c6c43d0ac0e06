// The frame's wait for its period. It sleeps on the window's events, taking each message as it
// arrives, until shortly before the period ends, then sleeps on the high-resolution counter and spins
// only the last fraction of a millisecond: the frame starts on time without a CPU spent polling.
#include <algorithm>

#include "engine/core/core.h"
#include "engine/core/core_state.h"
#include "engine/core/core_table.h"
#include "platform/window/clock.h"
#include "platform/window/window.h"

namespace pw = platform::window;

namespace {

constexpr uint64_t kNsPerMs = 1000000;
// A wait on the window's events counts whole milliseconds and may wake late on a busy machine: it ends
// this long before the period does.
constexpr uint64_t kEventWaitMarginNs = 1500000;
// A sleep on the counter wakes late by the timer's slack and the scheduler's delay: the last stretch
// is a spin on the counter.
constexpr uint64_t kSpinNs = 200000;

// Sleeps or spins toward `deadline` (a counter reading): until a message arrives or shortly before
// the deadline while far from it, for at most a millisecond when near it, to the deadline at the end.
void PauseToward(uint64_t deadline) {
  const uint64_t now = pw::QueryPerformanceCounter();
  const uint64_t left = deadline > now ? deadline - now : 0;
  if (left >= kEventWaitMarginNs + kNsPerMs) {
    pw::WaitForEvents(uint32_t((left - kEventWaitMarginNs) / kNsPerMs));
  } else if (left > kSpinNs) {
    pw::SleepUntilCounter(std::min(deadline - kSpinNs, now + kNsPerMs));
  } else {
    while (pw::QueryPerformanceCounter() < deadline) {
    }
  }
}

}  // namespace

uint32_t WaitFramePeriod(uint32_t period) {
  CoreState& core = Core();
  if (const HookFn flush = GetCoreTable().FlushFrame) flush();
  // The moment the millisecond clock reaches the period's end, on the counter.
  const uint64_t deadline = pw::CounterAtTime(core.lastFrameTime + period);
  while (pw::TimeGetTime() - core.lastFrameTime < period) {
    if (ProcessMessages() == 1) return 1;
    PauseToward(deadline);
  }
  return 0;
}
