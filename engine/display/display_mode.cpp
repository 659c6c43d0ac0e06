// Display modes: validation, device set-up and creation, mode changes and the reset fan-out.
#include "engine/core/core_table.h"
#include "engine/core/errors.h"
#include "engine/display/display.h"
#include "engine/display/display_state.h"
#include "platform/gfx/device.h"
#include "platform/window/window.h"

namespace gfx = platform::gfx;
namespace pw = platform::window;

namespace {

// A mode that passed validation, as it will be set.
struct ModeChoice {
  uint32_t width, height, depth;
  int32_t windowed;
  uint32_t vertexProcessing;
  int32_t lockable;
  uint32_t extraWidth, extraHeight;
};

const std::vector<DisplayModeRecord>& Adapter0Modes() {
  static const std::vector<DisplayModeRecord> none;
  return Display().adapters.empty() ? none : Display().adapters[0].modes;
}

uint32_t DesktopBits() {
  const DisplayState& d = Display();
  return d.adapters.empty() ? 32 : FormatToBits(d.adapters[0].currentMode.format);
}

bool Refuse(const char* text, uint32_t code) {
  RaiseErrorText(text);
  RaiseErrorCode(code);
  return false;
}

// Checks a mode without touching the device, the window or any module.
bool ValidateMode(int32_t width, int32_t height, int32_t depth, int32_t windowed, int32_t vertexProcessing,
                  int32_t lockable, ModeChoice& choice) {
  if (width < 1 || height < 1) return Refuse("Invalid display resolution", 1501);
  if (depth == 0) depth = int32_t(DesktopBits());
  if (depth == 24) return Refuse("Invalid bit depth specified", 1514);
  if (depth != 16 && depth != 32) return Refuse("Invalid bit depth specified", 1502);
  if (windowed != 0 && windowed != 1) return Refuse("Invalid display mode specified", 1503);

  choice = ModeChoice{uint32_t(width), uint32_t(height), uint32_t(depth), windowed, 0, lockable, 0, 0};
  const auto& modes = Adapter0Modes();
  bool found = false;
  for (const DisplayModeRecord& mode : modes) {
    if (mode.width == uint32_t(width) && mode.height == uint32_t(height) && FormatToBits(mode.format) == uint32_t(depth)) {
      found = true;
      break;
    }
  }
  if (!found) {
    for (const DisplayModeRecord& mode : modes) {
      if (mode.width > uint32_t(width) && mode.height > uint32_t(height) && FormatToBits(mode.format) == uint32_t(depth)) {
        choice.extraWidth = mode.width - uint32_t(width);
        choice.extraHeight = mode.height - uint32_t(height);
        choice.width = mode.width;
        choice.height = mode.height;
        found = true;
        break;
      }
    }
  }
  if (!found) return Refuse("Display mode not supported", depth == 16 ? 1505 : 1507);

  switch (vertexProcessing) {
    case 64: case 0: choice.vertexProcessing = gfx::CREATE_HARDWARE_VERTEXPROCESSING; break;
    case 32: case 1: case 2: choice.vertexProcessing = gfx::CREATE_SOFTWARE_VERTEXPROCESSING; break;
    default: return Refuse("Unknown vertex processing mode", 1508);
  }
  if (lockable != 0 && lockable != 1) return Refuse("Invalid lockable flag", 1509);
  return true;
}

uint32_t ChooseDepthStencilFormat(uint32_t backBufferFormat) {
  static const uint32_t kCandidates[] = {75, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 40, 41,
                                         50, 51, 52, 60, 61, 62, 63, 64, 70, 71, 73, 80, 77, 79};
  DisplayState& d = Display();
  for (uint32_t format : kCandidates) {
    if (gfx::Succeeded(d.api->CheckDeviceFormat(0, gfx::DEVTYPE_HAL, backBufferFormat, gfx::USAGE_DEPTHSTENCIL,
                                                gfx::RTYPE_SURFACE, format)) &&
        gfx::Succeeded(d.api->CheckDepthStencilMatch(0, gfx::DEVTYPE_HAL, backBufferFormat, backBufferFormat, format))) {
      return format;
    }
  }
  RaiseErrorText("Failed to find valid stencil buffer");
  return 0;
}

void SetInitialStates(gfx::Device* device) {
  device->SetSamplerState(0, gfx::SAMP_MAGFILTER, gfx::TEXF_LINEAR);
  device->SetSamplerState(0, gfx::SAMP_MINFILTER, gfx::TEXF_LINEAR);
  device->SetSamplerState(0, gfx::SAMP_MIPFILTER, gfx::TEXF_LINEAR);
  device->SetRenderState(gfx::RS_DITHERENABLE, 1);
  device->SetRenderState(gfx::RS_ZENABLE, gfx::ZB_TRUE);
  device->SetRenderState(gfx::RS_SHADEMODE, gfx::SHADE_GOURAUD);
  device->SetRenderState(gfx::RS_SPECULARENABLE, 0);
  device->SetRenderState(gfx::RS_LIGHTING, 1);
  device->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
  device->SetRenderState(gfx::RS_AMBIENT, 0xFF323232);
}

int32_t CreateDevice(pw::Window* window, gfx::PresentParams& params) {
  DisplayState& d = Display();
  if (!d.adapters.empty()) d.api->GetAdapterDisplayMode(0, &d.adapters[0].currentMode);
  EndFrameScene();
  const bool hadSurfaces = d.core && d.core->backBufferSurface;
  if (d.core) ReleaseDeviceState();
  if (d.device) {
    d.device->Release();
    d.device = nullptr;
  }
  params.deviceWindow = window ? window->DeviceWindow() : nullptr;
  if (d.core) d.core->softwareVertexProcessing = 0;

  gfx::Result result = d.api->CreateDevice(0, gfx::DEVTYPE_HAL, params.deviceWindow, d.creationFlags, &params, &d.device);
  if (gfx::Failed(result)) {
    d.creationFlags = gfx::CREATE_SOFTWARE_VERTEXPROCESSING;
    result = d.api->CreateDevice(0, gfx::DEVTYPE_HAL, params.deviceWindow, d.creationFlags, &params, &d.device);
    if (gfx::Succeeded(result) && d.core) d.core->softwareVertexProcessing = 1;
  }
  if (gfx::Failed(result)) {
    d.device = nullptr;
    RaiseErrorText("Unable to create device");
    if (result == gfx::kInvalidCall) RaiseErrorCode(1511);
    else if (result == gfx::kNotAvailable) RaiseErrorCode(1512);
    else if (result == gfx::kOutOfVideoMemory) RaiseErrorCode(1513);
    return 0;
  }
  SetInitialStates(d.device);
  ClearToColor(0, 0, 0);
  if (hadSurfaces) RestoreDeviceState();
  return 1;
}

bool Setup() {
  DisplayState& d = Display();
  if (!d.api) return Refuse("Invalid D3D pointer for Setup ( )", 1510);
  d.autoDepthStencil = 1;
  d.params = gfx::PresentParams{};
  d.haveParams = true;
  gfx::PresentParams& p = d.params;
  p.backBufferWidth = d.width;
  p.backBufferHeight = d.height;
  p.backBufferCount = 1;
  p.swapEffect = gfx::SWAPEFFECT_DISCARD;
  p.flags = d.lockable ? uint32_t(gfx::PRESENTFLAG_LOCKABLE_BACKBUFFER) : 0u;
  p.fullScreenRefreshRate = 0;
  p.enableAutoDepthStencil = 1;
  if (d.windowed) {
    d.backBufferFormat = d.desktopMode.format;
    p.windowed = 1;
    p.presentationInterval = gfx::PRESENT_INTERVAL_IMMEDIATE;
  } else {
    d.backBufferFormat = gfx::FMT_R8G8B8;
    for (const DisplayModeRecord& mode : Adapter0Modes()) {
      if (mode.width == d.width && mode.height == d.height && FormatToBits(mode.format) == d.depth) {
        d.backBufferFormat = mode.format;
      }
    }
    p.windowed = 0;
    p.presentationInterval = d.vsync ? uint32_t(gfx::PRESENT_INTERVAL_ONE) : uint32_t(gfx::PRESENT_INTERVAL_IMMEDIATE);
  }
  d.depthStencilFormat = ChooseDepthStencilFormat(d.backBufferFormat);
  p.backBufferFormat = d.backBufferFormat;
  p.autoDepthStencilFormat = d.depthStencilFormat;
  // Full screen is the desktop-sized window; the device presents scaled into it as into any window.
  if (d.deviceWindow) d.deviceWindow->SetFullscreen(!d.windowed);
  if (CreateDevice(d.deviceWindow, p) != 1) return false;
  if (!d.device) return Refuse("Unable to create device", 1511);
  return true;
}

// Sizes the window for the window mode in force.
void PlaceWindow() {
  DisplayState& d = Display();
  CoreData* core = d.core;
  pw::Window* window = core->window;
  if (!window) return;
  switch (core->windowMode) {
    case 1: {
      if (d.firstPlacement) {
        int clientWidth = 0, clientHeight = 0;
        window->GetClientSize(clientWidth, clientHeight);
        d.frameExtraWidth = core->backBufferWidth - clientWidth;
        d.frameExtraHeight = core->backBufferHeight - clientHeight;
      }
      d.extrasWidth = d.frameExtraWidth;
      d.extrasHeight = d.frameExtraHeight;
      window->SetOuterSize(core->backBufferWidth + d.extrasWidth, core->backBufferHeight + d.extrasHeight);
      window->Show(true);
      break;
    }
    case 2: {
      const pw::ScreenRect area = pw::GetWorkArea();
      window->SetOuterSize(area.width, area.height);
      d.extrasWidth = d.extrasHeight = 0;
      break;
    }
    case 3:
      window->SetOuterSize(int(d.width), int(d.height));
      d.extrasWidth = d.extrasHeight = 0;
      break;
    default: {
      int width = 0, height = 0;
      pw::GetScreenSize(width, height);
      window->SetOuterSize(width, height);
      d.extrasWidth = d.extrasHeight = 0;
      break;
    }
  }
  d.firstPlacement = 0;
}

// Every module's RefreshD3D, in the fixed fan-out order.
std::vector<void (*)(int)> CollectRefreshFunctions() {
  const CoreTable& t = GetCoreTable();
  const ModuleEntries* order[] = {&t.TextModule, &t.Basic2DModule, &t.SpriteModule, &t.ImageModule,
                                  &t.InputModule, &t.SystemModule, &t.MemoryBlockModule, &t.BitmapModule,
                                  &t.VideoModule, &t.NetSessionModule, &t.ObjectModule, &t.CameraModule,
                                  &t.TileGridModule, &t.LightModule, &t.ParticleModule, &t.VectorModule,
                                  &t.SoundModule, &t.MusicModule};
  std::vector<void (*)(int)> functions;
  for (const ModuleEntries* module : order) functions.push_back(module->RefreshD3D);
  return functions;
}

}  // namespace

bool SetDisplayModeEx(int32_t width, int32_t height, int32_t depth, int32_t windowed, int32_t vertexProcessing,
                      int32_t lockable) {
  ModeChoice choice{};
  if (!ValidateMode(width, height, depth, windowed, vertexProcessing, lockable, choice)) return false;
  DisplayState& d = Display();
  d.width = choice.width;
  d.height = choice.height;
  d.depth = choice.depth;
  d.windowed = choice.windowed;
  d.extraWidth = choice.extraWidth;
  d.extraHeight = choice.extraHeight;
  d.backBufferCount = 1;
  d.vsync = 1;
  d.creationFlags = choice.vertexProcessing + gfx::CREATE_MULTITHREADED;
  d.lockable = choice.lockable;
  if (!Setup()) return RaiseErrorText("Unable to setup 3D device"), false;
  if (!d.core) {
    BeginFrameScene();
    return true;
  }
  PlaceWindow();
  BeginFrameScene();
  return true;
}

bool SetDisplayModeWH(int32_t w, int32_t h) { return SetDisplayModeEx(w, h, 16, 0, 64, 0); }
bool SetDisplayModeWHD(int32_t w, int32_t h, int32_t depth) { return SetDisplayModeEx(w, h, depth, 0, 64, 0); }
bool SetDisplayModeWHDW(int32_t w, int32_t h, int32_t depth, int32_t windowed) {
  return SetDisplayModeEx(w, h, depth, windowed, 64, 0);
}
bool SetDisplayModeWHDWV(int32_t w, int32_t h, int32_t depth, int32_t windowed, int32_t vp) {
  return SetDisplayModeEx(w, h, depth, windowed, vp, 0);
}
bool SetDisplayModeAll(int32_t w, int32_t h, int32_t depth, int32_t windowed, int32_t vp, int32_t lockable) {
  return SetDisplayModeEx(w, h, depth, windowed, vp, lockable);
}

uint32_t ChangeDisplayMode(int32_t width, int32_t height, int32_t depth) {
  DisplayState& d = Display();
  CoreData* core = d.core ? d.core : GetCoreDataPointer();
  // A mode that cannot be set is refused before anything is released.
  ModeChoice choice{};
  if (!ValidateMode(width, height, depth, d.windowed, 64, 1, choice)) return 0;

  const CoreData before = *core;
  auto storeSizes = [core, &d](int32_t w, int32_t h, int32_t bits) {
    d.width = uint32_t(w);
    d.height = uint32_t(h);
    core->backBufferWidth = core->displayWidth = w;
    core->backBufferHeight = core->displayHeight = h;
    core->displayDepth = bits;
  };
  RefreshDeviceObjects(0);
  storeSizes(width, height, depth);
  if (!SetDisplayModeEx(width, height, depth, d.windowed, 64, 1)) {
    // The device could not be made in the new mode: bring the old one back.
    storeSizes(before.displayWidth, before.displayHeight, before.displayDepth);
    core->backBufferWidth = before.backBufferWidth;
    core->backBufferHeight = before.backBufferHeight;
    if (SetDisplayModeEx(before.displayWidth, before.displayHeight, before.displayDepth, d.windowed, 64, 1)) {
      RefreshDeviceObjects(1);
    }
    return 0;
  }
  RefreshDeviceObjects(1);
  ClearToColor(0, 0, 0);
  return 1;
}

uint32_t SetDisplayMode(int32_t width, int32_t height, int32_t depth) { return ChangeDisplayMode(width, height, depth); }

void RefreshDeviceObjects(int mode) {
  const auto functions = CollectRefreshFunctions();
  if (Display().core) {
    if (mode == 0) ReleaseDeviceState();
    if (mode == 1) RestoreDeviceState();
  }
  for (auto refresh : functions) {
    if (refresh) refresh(mode);
  }
}

void ReleaseDeviceState() {
  CoreData* core = Display().core;
  if (!core) return;
  if (core->backBufferSurface) core->backBufferSurface->Release();
  if (core->depthStencilSurface) core->depthStencilSurface->Release();
  core->backBufferSurface = nullptr;
  core->depthStencilSurface = nullptr;
}

void RestoreDeviceState() {
  DisplayState& d = Display();
  CoreData* core = d.core;
  if (!core || !d.device) return;
  ReleaseDeviceState();
  d.device->GetRenderTarget(0, &core->backBufferSurface);
  d.device->GetDepthStencilSurface(&core->depthStencilSurface);
  if (core->backBufferSurface) d.device->SetRenderTarget(0, core->backBufferSurface);
  if (core->depthStencilSurface) d.device->SetDepthStencilSurface(core->depthStencilSurface);
  core->currentRenderSurface = core->backBufferSurface;
  core->currentBitmap = 0;
}

void ResetDevice() {
  DisplayState& d = Display();
  if (!d.haveParams || !d.device || d.params.windowed) return;
  d.params.windowed = 1;
  ReleaseDeviceState();
  d.device->Reset(&d.params);
  RestoreDeviceState();
}

void ClearToColor(int32_t red, int32_t green, int32_t blue) {
  DisplayState& d = Display();
  if (!d.device) return;
  const uint32_t color = 0xFF000000u | uint32_t(red & 255) << 16 | uint32_t(green & 255) << 8 | uint32_t(blue & 255);
  const uint32_t flags = d.autoDepthStencil == 1 ? gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER : gfx::CLEAR_TARGET;
  d.device->Clear(0, nullptr, flags, color, 1.0f, 0);
}

void ClearScreen(int32_t red, int32_t green, int32_t blue) { ClearToColor(red, green, blue); }
