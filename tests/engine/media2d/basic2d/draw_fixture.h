// The engine brought up offscreen for the 2D drawing and bitmap tests: one 640 x 480 device per suite,
// the basic 2D and bitmap modules constructed as start-up constructs them, and pixels read back from
// any surface.
#pragma once
#include <gtest/gtest.h>

#include "tests/engine/engine_fixture.h"

#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "engine/core/core.h"
#include "engine/core/core_alloc.h"
#include "engine/core/core_data.h"
#include "engine/core/core_state.h"
#include "engine/core/core_table.h"
#include "engine/core/errors.h"
#include "engine/display/display.h"
#include "engine/media2d/basic2d.h"
#include "engine/media2d/basic2d_state.h"
#include "engine/media2d/bitmap.h"
#include "engine/media2d/bitmap_state.h"
#include "engine/system/result_list.h"
#include "platform/gfx/device.h"
#include "platform/window/window.h"

namespace draw_test {

namespace gfx = platform::gfx;
namespace pw = platform::window;

constexpr uint32_t kWhite = 0xFFFFFFFFu;

// A surface's pixels as 32-bit words (16-bit surfaces widened, one word per pixel).
struct Pixels {
  int32_t width = 0, height = 0;
  std::vector<uint32_t> at;
  uint32_t operator()(int32_t x, int32_t y) const { return at[size_t(y) * size_t(width) + size_t(x)]; }
  // Pixels whose colour (alpha aside) is not black.
  std::set<std::pair<int32_t, int32_t>> Lit() const {
    std::set<std::pair<int32_t, int32_t>> lit;
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x)
        if ((*this)(x, y) & 0xFFFFFF) lit.insert({x, y});
    return lit;
  }
};

inline Pixels ReadPixels(gfx::Surface* surface) {
  Pixels p;
  gfx::SurfaceDesc desc{};
  gfx::LockedRect locked{};
  if (!surface || gfx::Failed(surface->GetDesc(&desc)) ||
      gfx::Failed(surface->LockRect(&locked, nullptr, gfx::LOCK_READONLY))) {
    return p;
  }
  const uint32_t bytes = FormatToBits(desc.format) / 8;
  p.width = int32_t(desc.width);
  p.height = int32_t(desc.height);
  p.at.resize(size_t(desc.width) * desc.height);
  for (uint32_t y = 0; y < desc.height; ++y) {
    const uint8_t* row = static_cast<const uint8_t*>(locked.bits) + size_t(y) * size_t(locked.pitch);
    for (uint32_t x = 0; x < desc.width; ++x) {
      uint32_t value = 0;
      std::memcpy(&value, row + x * bytes, bytes);
      p.at[size_t(y) * desc.width + x] = value;
    }
  }
  surface->UnlockRect();
  return p;
}

// Channels within `tolerance` of each other, alpha aside.
inline bool Near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int d = int((a >> shift) & 255) - int((b >> shift) & 255);
    if (d > tolerance || d < -tolerance) return false;
  }
  return true;
}

class DrawTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { core_ = engine_test::StartEngineDisplay(&word_); }
  static void TearDownTestSuite() { engine_test::StopEngineDisplay(core_); }

  // The modules as start-up makes them, drawing white on a black screen.
  void SetUp() override {
    ASSERT_NE(GetDirect3DDevice(), nullptr);
    Basic2DModule::Constructor();
    Basic2DModule::SetErrorHandler(&word_);
    Basic2DModule::PassCoreData(core_);
    BitmapModule::Constructor();
    BitmapModule::SetErrorHandler(&word_);
    BitmapModule::PassCoreData(core_);
    ClearScreen(0, 0, 0);
    SetDrawColors(kWhite, 0);
    word_ = 0;
  }
  void TearDown() override {
    SelectBitmap(0);
    BitmapModule::Destructor();
    Basic2DModule::Destructor();
  }

  static Pixels Screen() { return ReadPixels(core_->backBufferSurface); }
  static Pixels Target() { return ReadPixels(core_->currentRenderSurface); }

  template <typename F>
  static uint32_t ErrorOf(F call) {
    word_ = 0;
    call();
    return word_;
  }

  static inline uint32_t word_ = 0;
  static inline CoreData* core_ = nullptr;
};

}  // namespace draw_test
