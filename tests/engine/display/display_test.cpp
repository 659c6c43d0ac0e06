// The display module on the real device layer (offscreen GL).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/engine/engine_fixture.h"
#include "engine/core/core.h"
#include "engine/core/core_alloc.h"
#include "engine/core/core_data.h"
#include "engine/core/core_state.h"
#include "engine/core/core_table.h"
#include "engine/core/errors.h"
#include "engine/display/display.h"
#include "engine/display/display_state.h"
#include "engine/system/result_list.h"
#include "platform/d3dx/pictures/picture_writers.h"
#include "platform/fs/save.h"
#include "platform/gfx/device.h"
#include "platform/window/window.h"

namespace gfx = platform::gfx;
namespace pw = platform::window;

namespace {

std::vector<int> g_refreshes;

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    core_ = engine_test::StartCore(&word_, 640, 480);
    ASSERT_TRUE(engine_test::OpenDisplayModule(core_));
    g_refreshes.clear();
    GetCoreTable().TextModule.RefreshD3D = [](int mode) { g_refreshes.push_back(mode); };
  }
  void TearDown() override { engine_test::StopEngineDisplay(core_); }
  bool StartDevice() { return engine_test::StartDevice(core_) && Display().device != nullptr; }
  uint32_t BackBufferPixel(int x, int y) {
    gfx::LockedRect locked{};
    gfx::Surface* surface = core_->backBufferSurface;
    if (!surface || gfx::Failed(surface->LockRect(&locked, nullptr, gfx::LOCK_READONLY))) return 0xDEADBEEF;
    uint32_t pixel;
    std::memcpy(&pixel, static_cast<uint8_t*>(locked.bits) + y * locked.pitch + x * 4, 4);
    surface->UnlockRect();
    return pixel;
  }
  uint32_t word_ = 0;
  CoreData* core_ = nullptr;
};

TEST_F(DisplayTest, RefusesBadModesBeforeTouchingTheDevice) {
  struct Case { int32_t w, h, depth, windowed, vp, lockable; uint32_t code; } cases[] = {
      {0, 600, 16, 1, 64, 0, 1501}, {800, -1, 16, 1, 64, 0, 1501}, {800, 600, 8, 1, 64, 0, 1502},
      {800, 600, 24, 1, 64, 0, 1514}, {800, 600, 32, 2, 64, 0, 1503}, {800, 600, 32, 1, 3, 0, 1508},
      {800, 600, 32, 1, 64, 2, 1509}, {100000, 100000, 32, 1, 64, 0, 1507}, {100000, 100000, 16, 1, 64, 0, 1505},
  };
  for (const Case& c : cases) {
    word_ = 0;
    EXPECT_FALSE(SetDisplayModeEx(c.w, c.h, c.depth, c.windowed, c.vp, c.lockable)) << c.code;
    EXPECT_EQ(word_, c.code);
    EXPECT_EQ(Display().device, nullptr) << c.code;
  }
}

TEST_F(DisplayTest, ClearsTheBackBufferToAColour) {
  ASSERT_TRUE(StartDevice()) << LastErrorText();
  EXPECT_EQ(word_, 0u);
  ClearScreen(255, 0, 128 + 256);  // each channel modulo 256
  EXPECT_EQ(BackBufferPixel(0, 0) & 0xFFFFFF, 0xFF0080u);
  EXPECT_EQ(BackBufferPixel(639, 479) & 0xFFFFFF, 0xFF0080u);
  BeginScene();
  EndScene();
  PresentFrame();
}

TEST_F(DisplayTest, LargerModeCarriesExtras) {
  ASSERT_TRUE(StartDevice()) << LastErrorText();
  ASSERT_TRUE(SetDisplayModeEx(700, 500, 32, 1, 64, 1));  // no 700 x 500 mode: the next larger one
  EXPECT_EQ(Display().width, 800u);
  EXPECT_EQ(Display().height, 600u);
  EXPECT_EQ(Display().extraWidth, 100u);
  EXPECT_EQ(Display().extraHeight, 100u);
  PresentFrame();  // presents the top-left 700 x 500
  EXPECT_EQ(word_, 0u);
  ASSERT_TRUE(SetDisplayModeEx(640, 480, 32, 1, 64, 1));
  EXPECT_EQ(Display().extraWidth, 0u);
}

TEST_F(DisplayTest, ModeChangeRefreshesModulesAndARefusedModeKeepsTheOldOne) {
  ASSERT_TRUE(StartDevice()) << LastErrorText();
  gfx::Device* device = Display().device;
  gfx::Surface* backBuffer = core_->backBufferSurface;

  EXPECT_EQ(ChangeDisplayMode(0, 480, 32), 0u);
  EXPECT_EQ(word_, 1501u);
  EXPECT_EQ(ChangeDisplayMode(640, 480, 24), 0u);
  EXPECT_EQ(word_, 1514u);
  EXPECT_TRUE(g_refreshes.empty());  // nothing was released
  EXPECT_EQ(Display().device, device);
  EXPECT_EQ(core_->backBufferSurface, backBuffer);
  EXPECT_EQ(core_->backBufferWidth, 640);
  ClearScreen(0, 255, 0);
  EXPECT_EQ(BackBufferPixel(1, 1) & 0xFFFFFF, 0x00FF00u);  // still drawing on the old device

  word_ = 0;
  EXPECT_EQ(ChangeDisplayMode(800, 600, 32), 1u);
  EXPECT_EQ(g_refreshes, (std::vector<int>{0, 1}));
  EXPECT_EQ(core_->backBufferWidth, 800);
  EXPECT_EQ(core_->displayHeight, 600);
  ASSERT_NE(core_->backBufferSurface, nullptr);
  gfx::SurfaceDesc desc{};
  core_->backBufferSurface->GetDesc(&desc);
  EXPECT_EQ(desc.width, 800u);
  EXPECT_EQ(core_->currentRenderSurface, core_->backBufferSurface);
  EXPECT_EQ(word_, 0u);
}

TEST_F(DisplayTest, ListsModesAndAdapters) {
  ListDisplayModes();
  const int32_t count = GetResultListCount();
  ASSERT_GT(count, 0);
  bool has640 = false;
  for (int32_t i = 1; i <= count; ++i) {
    char* text = GetResultListString(i);
    ASSERT_NE(text, nullptr);
    const int32_t w = GetResultListValueA(i), h = GetResultListValueB(i), bits = GetResultListValueC(i);
    EXPECT_EQ(std::string(text), std::to_string(w) + "x" + std::to_string(h) + "x" + std::to_string(bits));
    EXPECT_GE(bits, 16);
    for (int32_t j = i + 1; j <= count; ++j) {
      EXPECT_FALSE(GetResultListValueA(j) == w && GetResultListValueB(j) == h && GetResultListValueC(j) == bits);
    }
    has640 |= w == 640 && h == 480 && bits == 32;
    CoreAllocFree(&text, 0);
  }
  EXPECT_TRUE(has640);

  ListDisplayAdapters();
  EXPECT_EQ(GetResultListCount(), GetAdapterCount());
  word_ = 0;
  EXPECT_EQ(GetResultListValueA(1), 0);
  EXPECT_EQ(word_, 9004u);
  char* name = GetResultListString(1);
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(std::string(name), Display().adapters[0].name);
  CoreAllocFree(&name, 0);
}

TEST_F(DisplayTest, GammaRampAndFrameRateSampling) {
  ASSERT_TRUE(StartDevice()) << LastErrorText();
  SetGamma(255, 255, 255);
  gfx::GammaRamp ramp{};
  Display().device->GetGammaRamp(0, &ramp);
  EXPECT_EQ(ramp.red[0], 0);
  EXPECT_EQ(ramp.red[1], 255);
  EXPECT_EQ(ramp.green[2], 510);
  EXPECT_EQ(ramp.blue[255], 65025);
  uint32_t r = 0, g = 0, b = 0;
  GetGamma(&r, &g, &b);
  EXPECT_EQ(r + g + b, 765u);
  GetGamma(nullptr, &g, &b);  // refused, nothing stored

  BeginFrameScene();
  GetFrameRate();  // the first sample starts the measuring second
  EndFrameScene();
  const uint32_t before = Display().frames;
  BeginFrameScene();
  GetFrameRate();
  GetFrameRate();  // the same frame counts once
  EXPECT_EQ(Display().frames, before + 1);
  EndFrameScene();
}

TEST_F(DisplayTest, WindowCommands) {
  ASSERT_TRUE(StartDevice()) << LastErrorText();
  SetWindowTitle("Qel");
  EXPECT_EQ(core_->window->Title(), "Qel");

  // The window class's icon, as the engine's start-up loads it from the game's folder.
  std::vector<uint8_t> icon;
  ASSERT_EQ(platform::d3dx::EncodePicture(platform::d3dx::IFF_BMP, platform::d3dx::Picture(8, 8, 0xFF102030), true,
                                          icon),
            platform::gfx::kOk);
  const std::string iconFile = testing::TempDir() + "display_icon.bmp";
  ASSERT_TRUE(platform::fs::SaveWholeFile(iconFile, icon.data(), icon.size()));
  ASSERT_TRUE(platform::window::LoadClassIcon(iconFile));

  // The game's own style (no border, a caption): the window is exactly the back buffer's size, as no
  // frame lies inside it here.
  SetWindowDecorations(2, 1, 1);
  EXPECT_EQ(Display().extrasWidth, std::max(0, Display().frameExtraWidth - 2));
  int clientWidth = 0, clientHeight = 0;
  core_->window->GetClientSize(clientWidth, clientHeight);
  EXPECT_EQ(clientWidth, core_->backBufferWidth);
  EXPECT_EQ(clientHeight, core_->backBufferHeight);
  SetWindowDecorations(1, 1, 1);
  EXPECT_EQ(Display().extrasWidth, std::max(0, Display().frameExtraWidth - 2));
  EXPECT_EQ(Display().windowStyle & 0x00C00000u, 0x00C00000u);
  EXPECT_TRUE(core_->window->ShowsIcon());
  SetWindowDecorations(0, 0, 0);
  EXPECT_EQ(Display().windowStyle, 0x80000000u);
  EXPECT_EQ(Display().extrasWidth, 0);
  EXPECT_FALSE(core_->window->ShowsIcon());
  SetWindowDecorations(0, 0, 1);
  EXPECT_TRUE(core_->window->ShowsIcon());
  SetWindowDecorations(0, 0, 0);

  SetWindowPosition(12, 34);
  EXPECT_EQ(core_->windowX, 12);

  EXPECT_EQ(SwitchToFullscreen(), 1u);
  EXPECT_FALSE(IsWindowed());
  EXPECT_EQ(core_->windowMode, 3);
  EXPECT_TRUE(core_->window->IsFullscreen());
  EXPECT_TRUE(core_->window->ShowsIcon());  // full screen takes the class icon again
  SwitchToWindowed();
  EXPECT_TRUE(IsWindowed());
  EXPECT_EQ(core_->windowMode, 1);
  EXPECT_EQ(Display().windowStyle, 0x00CF0000u);
  EXPECT_EQ(Display().extrasWidth, Display().frameExtraWidth);
  EXPECT_FALSE(core_->window->IsFullscreen());
  EXPECT_EQ(GetDisplayWidth(), 640);

  EXPECT_EQ(DisplayPassThrough(7), 7);
  SetCullMode(gfx::CULL_CCW);
  uint32_t cull = 0;
  Display().device->GetRenderState(gfx::RS_CULLMODE, &cull);
  EXPECT_EQ(cull, gfx::CULL_CCW);
}

}  // namespace
