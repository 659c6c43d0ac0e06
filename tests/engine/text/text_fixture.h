// The text module on the real device layer (offscreen GL): a 640 x 480 device, the module built on it,
// and the back buffer read back.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/engine/engine_fixture.h"
#include "engine/core/core.h"
#include "engine/core/core_alloc.h"
#include "engine/core/core_data.h"
#include "engine/core/core_state.h"
#include "engine/core/core_table.h"
#include "engine/core/errors.h"
#include "engine/display/display.h"
#include "engine/system/result_list.h"
#include "engine/text/text.h"
#include "engine/text/text_state.h"
#include "platform/gfx/device.h"
#include "platform/window/window.h"

class TextTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 640, kHeight = 480;

  void SetUp() override {
    core_ = engine_test::StartEngineDisplay(&word_, kWidth, kHeight);
    ASSERT_NE(GetDirect3DDevice(), nullptr);

    TextModuleState().effectiveCharset = 0;  // it outlives the module, so it would leak from one test into the next
    TextModule::Constructor();
    TextModule::SetErrorHandler(&word_);
    TextModule::PassCoreData(core_);
    ASSERT_EQ(word_, 0u);
  }

  void TearDown() override {
    TextModule::Destructor();
    engine_test::StopEngineDisplay(core_);
  }

  void ClearBlack() { ClearScreen(0, 0, 0); }

  // The back buffer's pixels as 0xRRGGBB.
  std::vector<uint32_t> ReadBack() {
    std::vector<uint32_t> pixels = engine_test::ReadSurfacePixels(core_->backBufferSurface);
    if (pixels.empty()) return std::vector<uint32_t>(size_t(kWidth) * kHeight, 0xDEADBEEF);
    for (uint32_t& p : pixels) p &= 0xFFFFFF;
    return pixels;
  }

  // The back buffer after clearing it and drawing.
  template <class Draw>
  std::vector<uint32_t> Render(Draw draw) {
    ClearBlack();
    draw();
    return ReadBack();
  }

  uint32_t word_ = 0;
  CoreData* core_ = nullptr;
};

// The smallest box around every pixel that is not black.
struct InkBox {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // right and bottom inclusive
  int count = 0;
  bool empty() const { return count == 0; }
};

inline InkBox FindInk(const std::vector<uint32_t>& pixels, int width) {
  InkBox box;
  for (size_t i = 0; i < pixels.size(); ++i) {
    if (pixels[i] == 0) continue;
    const int x = int(i % width), y = int(i / width);
    box.left = std::min(box.left, x);
    box.right = std::max(box.right, x);
    box.top = std::min(box.top, y);
    box.bottom = std::max(box.bottom, y);
    ++box.count;
  }
  return box;
}
