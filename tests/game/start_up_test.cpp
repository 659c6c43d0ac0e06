// The engine started as the process entry starts it: window, device, modules, paced frames, and the
// way out when the window is closed.
#include <SDL.h>
#include <gtest/gtest.h>

#include "engine/core/core.h"
#include "engine/core/core_data.h"
#include "engine/core/core_state.h"
#include "engine/core/core_table.h"
#include "engine/display/display.h"
#include "engine/display/display_state.h"
#include "platform/window/clock.h"
#include "platform/window/window.h"

namespace {

int g_presents = 0;
void (*g_present)() = nullptr;

TEST(EngineStartUp, OpensTheWindowPacesFramesAndEndsWhenClosed) {
  ASSERT_EQ(InitEngine(), 0) << StartUpFailureReason();
  CoreData* data = GetCoreDataPointer();
  ASSERT_NE(data->window, nullptr);
  EXPECT_TRUE(data->window->IsVisible());
  int w = 0, h = 0;
  data->window->GetClientSize(w, h);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  EXPECT_EQ(Core().className, "12345");  // the title buffer is empty at start-up
  EXPECT_EQ(data->windowX, (1024 - 640) / 2);
  EXPECT_EQ(Core().startUpDone, 1);
  EXPECT_EQ(Core().hostErrorWord, 0u);
  EXPECT_NE(GetDirect3DDevice(), nullptr);
  EXPECT_NE(data->backBufferSurface, nullptr);
  EXPECT_EQ(data->allocFree != nullptr && data->pumpMessages != nullptr && data->setCursorShape != nullptr, true);
  for (int i = 0; i < kModuleCount; ++i) EXPECT_EQ(data->modulePresent[i], 1) << i;

  // Count the frames presented.
  CoreTable& t = GetCoreTable();
  g_present = t.PresentFrame;
  t.PresentFrame = [] {
    ++g_presents;
    g_present();
  };

  EnableManualSync();
  SetFrameRateLimit(60);
  const int kFrames = 20;
  int frames = 0;
  const uint32_t start = GetTimer();
  while (LoopCheck()) {
    if (++frames == kFrames) {
      SDL_Event close{};
      close.type = SDL_WINDOWEVENT;
      close.window.event = SDL_WINDOWEVENT_CLOSE;
      close.window.windowID = data->window->Id();
      SDL_PushEvent(&close);
    }
    Sync();
    ASSERT_LT(frames, 1000) << "closing the window did not end the loop";
  }
  // Closing ends the loop at the frame it arrives in (that frame draws nothing); every frame before it
  // waited for its 15 ms period after the one before.
  EXPECT_EQ(frames, kFrames);
  EXPECT_GE(GetTimer() - start, uint32_t(15 * (kFrames - 2)));
  EXPECT_GE(g_presents, kFrames - 2);  // the first manual frame only ends its scene
  EXPECT_EQ(Core().quitRequest, 1u);
  GetCoreTable().PresentFrame = g_present;

  // The way out frees what the engine built: every module, the device and the window, so nothing the
  // engine made is left for the leak checker when the process ends.
  EXPECT_FALSE(ExitEngine());
  for (int i = 0; i < kModuleCount; ++i) EXPECT_EQ(data->modulePresent[i], 0) << i;
  EXPECT_EQ(GetDirect3DDevice(), nullptr);
  EXPECT_EQ(data->window, nullptr);
  EXPECT_FALSE(platform::window::PlatformReady()) << "the platform outlives the engine";
}

}  // namespace
