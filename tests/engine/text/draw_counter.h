// Counts the draw calls the text module makes through the device's own counter.
#pragma once
#include <cstdint>

#include "engine/text/text_state.h"
#include "platform/gfx/test_hooks.h"

class DrawCounter {
 public:
  void Reset() { start_ = platform::gfx::DrawCallCount(TextModuleState().device); }
  uint32_t Count() const { return platform::gfx::DrawCallCount(TextModuleState().device) - start_; }

 private:
  uint32_t start_ = platform::gfx::DrawCallCount(TextModuleState().device);
};
