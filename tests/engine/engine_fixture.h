// Engine bring-up shared by the module tests: the core as start-up leaves it, the engine window and the
// display device, torn down again before the process ends (a live GL device at exit can upset the
// leak checker).
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/core.h"
#include "engine/core/core_alloc.h"
#include "engine/core/core_data.h"
#include "engine/core/core_state.h"
#include "engine/core/core_table.h"
#include "engine/core/errors.h"
#include "engine/display/display.h"
#include "engine/system/result_list.h"
#include "platform/gfx/device.h"
#include "platform/window/window.h"

namespace engine_test {

// Clears the core, fills its table, points the error word at `errorWord` and starts the platform;
// CoreData gets the allocation callback and a windowed back buffer of width x height.
inline CoreData* StartCore(uint32_t* errorWord, int width, int height) {
  ResetCoreState();
  InitCoreTable();
  SetCoreErrorHandler(errorWord);
  std::string why;
  EXPECT_TRUE(platform::window::InitPlatform(&why)) << why;
  CoreData* core = GetCoreDataPointer();
  core->allocFree = CoreAllocFree;
  core->backBufferWidth = core->displayWidth = width;
  core->backBufferHeight = core->displayHeight = height;
  core->displayDepth = 32;
  core->windowMode = 1;
  return core;
}

// The engine window and the display module on it, before any device exists.
inline bool OpenDisplayModule(CoreData* core) {
  namespace pw = platform::window;
  core->window = pw::Window::Create("", pw::WS_OVERLAPPEDWINDOW, 0, 0, core->backBufferWidth,
                                    core->backBufferHeight, WindowProc);
  if (!core->window || !DisplayModule::Constructor()) return false;
  DisplayModule::PassCoreData(core, 0);
  OverrideHWND(core->window);
  return true;
}

// The windowed device at the back-buffer size, as the start-up console makes it.
inline bool StartDevice(CoreData* core) {
  if (!SetDisplayModeAll(core->backBufferWidth, core->backBufferHeight, 0, 1, 0, 1)) return false;
  DisplayModule::PassCoreData(core, 1);
  return GetDirect3DDevice() != nullptr;
}

// Core, window, display module and device in one step.
inline CoreData* StartEngineDisplay(uint32_t* errorWord, int width = 640, int height = 480) {
  CoreData* core = StartCore(errorWord, width, height);
  EXPECT_TRUE(OpenDisplayModule(core));
  EXPECT_TRUE(StartDevice(core)) << LastErrorText();
  return core;
}

// Releases the device and the window and leaves the core without an error word.
inline void StopEngineDisplay(CoreData* core) {
  DisplayModule::Destructor();
  if (core && core->window) platform::window::Window::Destroy(core->window);
  if (core) {
    core->window = nullptr;
    FreeResultList(core->resultList);
  }
  SetCoreErrorHandler(nullptr);
  platform::window::ClearMessageQueue();
}

// A suite's tests on one engine display: core, window, display module and a 640 x 480 device brought
// up before the first test and released after the last. word_ is the error word for the modules the
// suite constructs on it.
class EngineDisplayTest : public ::testing::Test {
 public:
  static void SetUpTestSuite() {
    core_ = StartEngineDisplay(&word_);
    ASSERT_NE(GetDirect3DDevice(), nullptr);
  }
  static void TearDownTestSuite() { StopEngineDisplay(core_); }

  // A module constructed as start-up constructs it, through the core's table: constructor, error
  // handler, then CoreData.
  static void ConstructModule(const ModuleEntries& module) {
    module.Constructor();
    module.SetErrorHandler(&word_);
    module.PassCoreData(core_);
  }

  static inline CoreData* core_ = nullptr;
  static inline uint32_t word_ = 0;
};

// The pixels of a 32-bit surface as 0xAARRGGBB, row by row (empty when it cannot be read).
inline std::vector<uint32_t> ReadSurfacePixels(platform::gfx::Surface* surface, uint32_t* width = nullptr,
                                               uint32_t* height = nullptr) {
  namespace gfx = platform::gfx;
  std::vector<uint32_t> pixels;
  gfx::SurfaceDesc desc{};
  gfx::LockedRect locked{};
  if (!surface || gfx::Failed(surface->GetDesc(&desc)) ||
      gfx::Failed(surface->LockRect(&locked, nullptr, gfx::LOCK_READONLY)))
    return pixels;
  pixels.resize(size_t(desc.width) * desc.height);
  for (uint32_t y = 0; y < desc.height; ++y)
    std::memcpy(&pixels[size_t(y) * desc.width], static_cast<uint8_t*>(locked.bits) + size_t(y) * locked.pitch,
                size_t(desc.width) * 4);
  surface->UnlockRect();
  if (width) *width = desc.width;
  if (height) *height = desc.height;
  return pixels;
}

}  // namespace engine_test
