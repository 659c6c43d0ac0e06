// Counts the draw calls the text module makes through the device: with the device layer's own counter
// where the build has it, else through a forwarding wrapper handed to the module for the time of the
// count (counting_device.h; to be deleted once every branch has the counter).
#pragma once
#include <cstdint>

#include "engine/text/text_state.h"

#if __has_include("platform/gfx/test_hooks.h")
#include "platform/gfx/test_hooks.h"

class DrawCounter {
 public:
  void Reset() { start_ = platform::gfx::DrawCallCount(TextModuleState().device); }
  uint32_t Count() const { return platform::gfx::DrawCallCount(TextModuleState().device) - start_; }

 private:
  uint32_t start_ = platform::gfx::DrawCallCount(TextModuleState().device);
};
#else
#include "tests/engine/text/counting_device.h"

class DrawCounter {
 public:
  DrawCounter() : counting_(TextModuleState().device) { TextModuleState().device = &counting_; }
  ~DrawCounter() { TextModuleState().device = counting_.Real(); }
  void Reset() { counting_.drawCalls = 0; }
  uint32_t Count() const { return counting_.drawCalls; }

 private:
  CountingDevice counting_;
};
#endif
