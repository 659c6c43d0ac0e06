// The text module on the real device layer (offscreen GL): a 640 x 480 device, the module built on it,
// and the back buffer read back.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

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
    namespace pw = platform::window;
    ResetCoreState();
    InitCoreTable();
    SetCoreErrorHandler(&word_);
    ASSERT_TRUE(pw::InitPlatform());
    core_ = GetCoreDataPointer();
    core_->allocFree = CoreAllocFree;
    core_->backBufferWidth = core_->displayWidth = kWidth;
    core_->backBufferHeight = core_->displayHeight = kHeight;
    core_->windowMode = 1;
    core_->window = pw::Window::Create("", pw::WS_OVERLAPPEDWINDOW, 0, 0, kWidth, kHeight, WindowProc);
    ASSERT_NE(core_->window, nullptr);
    ASSERT_TRUE(DisplayModule::Constructor());
    DisplayModule::PassCoreData(core_, 0);
    OverrideHWND(core_->window);
    ASSERT_TRUE(SetDisplayModeAll(kWidth, kHeight, 0, 1, 0, 1)) << LastErrorText();
    DisplayModule::PassCoreData(core_, 1);
    ASSERT_NE(GetDirect3DDevice(), nullptr);

    TextModuleState().effectiveCharset = 0;  // it outlives the module, so it would leak from one test into the next
    TextModule::Constructor();
    TextModule::SetErrorHandler(&word_);
    TextModule::PassCoreData(core_);
    ASSERT_EQ(word_, 0u);
  }

  void TearDown() override {
    TextModule::Destructor();
    DisplayModule::Destructor();
    platform::window::Window::Destroy(core_->window);
    core_->window = nullptr;
    FreeResultList(core_->resultList);
    SetCoreErrorHandler(nullptr);
    platform::window::ClearMessageQueue();
  }

  void ClearBlack() { ClearScreen(0, 0, 0); }

  // The back buffer's pixels as 0xRRGGBB.
  std::vector<uint32_t> ReadBack() {
    std::vector<uint32_t> pixels(size_t(kWidth) * kHeight, 0xDEADBEEF);
    platform::gfx::LockedRect locked{};
    platform::gfx::Surface* surface = core_->backBufferSurface;
    if (!surface || platform::gfx::Failed(surface->LockRect(&locked, nullptr, platform::gfx::LOCK_READONLY)))
      return pixels;
    for (int y = 0; y < kHeight; ++y) {
      std::memcpy(&pixels[size_t(y) * kWidth], static_cast<uint8_t*>(locked.bits) + y * locked.pitch, kWidth * 4);
      for (int x = 0; x < kWidth; ++x) pixels[size_t(y) * kWidth + x] &= 0xFFFFFF;
    }
    surface->UnlockRect();
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
