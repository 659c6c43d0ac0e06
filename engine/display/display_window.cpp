// The window and state commands around the device.
#include <algorithm>
#include <cstring>

#include "engine/core/errors.h"
#include "engine/display/display.h"
#include "engine/display/display_state.h"
#include "platform/gfx/device.h"
#include "platform/window/clock.h"
#include "platform/window/window.h"

namespace gfx = platform::gfx;
namespace pw = platform::window;

namespace {

constexpr uint32_t kOverlappedStyle = 0x00CF0000;
constexpr uint32_t kPopupStyle = 0x80000000;
constexpr uint32_t kCaptionStyle = 0x00C00000;
constexpr uint32_t kFullscreenStyle = 0x800A0000;
constexpr int32_t kShowNormal = 10;

CoreData* Core() { return Display().core ? Display().core : GetCoreDataPointer(); }

void ApplyWindowStyle(bool full, bool invalidateAll) {
  DisplayState& d = Display();
  pw::Window* window = d.deviceWindow ? d.deviceWindow : Core()->window;
  if (!window) return;
  if (full) {
    if (!d.title.empty()) window->SetTitle(d.title.c_str());
    window->SetStyle(d.windowStyle);
    window->SetPosition(Core()->windowX, Core()->windowY);
    window->SetOuterSize(d.windowWidth + d.extrasWidth, d.windowHeight + d.extrasHeight);
    window->SetIcon(d.iconShown);
  }
  window->Show(d.showCommand != 0);
  window->Invalidate();
}

void SetState(uint32_t state, uint32_t value) {
  if (gfx::Device* device = Display().device) device->SetRenderState(state, value);
}

}  // namespace

int32_t SwitchToWindowed() {
  DisplayState& d = Display();
  CoreData* core = Core();
  d.windowed = 1;
  core->windowMode = 1;
  ChangeDisplayMode(core->displayWidth, core->displayHeight, core->displayDepth);
  d.showCommand = kShowNormal;
  d.windowWidth = core->displayWidth;
  d.windowHeight = core->displayHeight;
  d.extrasWidth = d.frameExtraWidth;
  d.extrasHeight = d.frameExtraHeight;
  d.windowStyle = kOverlappedStyle;
  ApplyWindowStyle(true, true);
  return 1;
}

uint32_t SwitchToFullscreen() {
  DisplayState& d = Display();
  CoreData* core = Core();
  d.showCommand = kShowNormal;
  const pw::ScreenRect area = pw::GetWorkArea();
  d.windowWidth = area.width;
  d.windowHeight = area.height;
  d.iconShown = true;
  d.extrasWidth = d.extrasHeight = 0;
  d.windowStyle = kFullscreenStyle;
  ApplyWindowStyle(true, true);
  d.windowed = 0;
  core->windowMode = 3;
  return ChangeDisplayMode(core->displayWidth, core->displayHeight, core->displayDepth);
}

int32_t SetWindowDecorations(int32_t border, int32_t caption, int32_t icon) {
  DisplayState& d = Display();
  if (border == 1) {
    d.windowStyle = kOverlappedStyle;
    d.extrasWidth = d.frameExtraWidth;
    d.extrasHeight = d.frameExtraHeight;
  } else {
    d.windowStyle = kPopupStyle;
    d.extrasWidth = d.extrasHeight = 0;
  }
  if (caption == 1) {
    // A caption without a sizing frame is two pixels narrower than the full frame. Where the window
    // system draws its frame outside the window (no frame was measured), the window keeps the back
    // buffer's size instead of shrinking below it and showing a scaled picture.
    d.extrasWidth = std::max(0, d.frameExtraWidth - 2);
    d.extrasHeight = std::max(0, d.frameExtraHeight - 2);
    d.windowStyle |= kCaptionStyle;
  }
  d.iconShown = icon == 1;
  if (d.windowWidth == 0) {
    d.windowWidth = Core()->displayWidth;
    d.windowHeight = Core()->displayHeight;
  }
  ApplyWindowStyle(true, true);
  return 1;
}

int32_t SetWindowPosition(int32_t x, int32_t y) {
  DisplayState& d = Display();
  Core()->windowX = x;
  Core()->windowY = y;
  if (d.windowWidth == 0) {
    d.windowWidth = Core()->displayWidth;
    d.windowHeight = Core()->displayHeight;
  }
  ApplyWindowStyle(true, true);
  return 1;
}

int32_t SetWindowTitle(const char* text) {
  DisplayState& d = Display();
  d.title = text ? text : "";
  pw::Window* window = d.deviceWindow ? d.deviceWindow : Core()->window;
  if (window) window->SetTitle(d.title.c_str());
  return 1;
}

void OverrideHWND(pw::Window* window) {
  if (!window) RaiseErrorText("Invalid window handle passed to OverrideHWND");
  Display().deviceWindow = window;
}

bool SetDisplayDebug() {
  RaiseErrorText("SetDisplayDebug mode disabled");
  return true;
}

void SetGamma(uint32_t red, uint32_t green, uint32_t blue) {
  DisplayState& d = Display();
  d.gammaRed = red;
  d.gammaGreen = green;
  d.gammaBlue = blue;
  gfx::GammaRamp ramp{};
  for (uint32_t i = 0; i < 256; ++i) {
    ramp.red[i] = uint16_t(i * red);
    ramp.green[i] = uint16_t(i * green);
    ramp.blue[i] = uint16_t(i * blue);
  }
  if (d.device) d.device->SetGammaRamp(0, 0, &ramp);
}

void GetGamma(uint32_t* red, uint32_t* green, uint32_t* blue) {
  if (!red || !green || !blue) {
    RaiseErrorText("Invalid pointers passed to GetGamma");
    return;
  }
  *red = Display().gammaRed;
  *green = Display().gammaGreen;
  *blue = Display().gammaBlue;
}

int32_t GetFrameRate() {
  DisplayState& d = Display();
  if (d.frameSample) {
    const double now = double(pw::QueryPerformanceCounter()) / double(pw::QueryPerformanceFrequency());
    ++d.frames;
    if (now - d.lastSampleTime > 1.0) {
      d.rate = float(d.frames / (now - d.lastSampleTime));
      d.lastSampleTime = now;
      d.frames = 0;
    }
    d.frameSample = 0;
  }
  return int32_t(d.rate);
}

gfx::Device* GetDirect3DDevice() { return Display().device; }
int32_t GetDisplayWidth() { return Core()->displayWidth; }
int32_t GetDisplayHeight() { return Core()->displayHeight; }
uint32_t GetDisplayDepth() { return Display().depth; }
bool IsWindowed() { return Display().windowed == 1; }

uint32_t GetDisplayModeCount() {
  const DisplayState& d = Display();
  return d.api ? d.api->GetAdapterModeCount(0, d.lastEnumeratedFormat) : 0;
}

int32_t GetAdapterCount() { return Display().api ? int32_t(Display().api->GetAdapterCount()) : 0; }

void SetDitherEnable(uint32_t value) { SetState(gfx::RS_DITHERENABLE, value); }
void SetShadeMode(uint32_t value) { SetState(gfx::RS_SHADEMODE, value); }
void SetLightingEnable(uint32_t value) { SetState(gfx::RS_LIGHTING, value); }
void SetCullMode(uint32_t value) { SetState(gfx::RS_CULLMODE, value); }
void SetSpecularEnable(uint32_t value) { SetState(gfx::RS_SPECULARENABLE, value); }
void SetRenderStateValue(uint32_t state, uint32_t value) { SetState(state, value); }
int32_t DisplayPassThrough(int32_t value) { return value; }
