// The bitmap module's entries, records and selection.
#include "engine/core/core_table.h"
#include "engine/core/errors.h"
#include "engine/display/display.h"
#include "engine/media2d/bitmap.h"
#include "engine/media2d/bitmap_state.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;

namespace {

BitmapState g_bitmaps;

// Depth-stencil formats in order of preference.
constexpr uint32_t kDepthCandidates[] = {75, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 40, 41,
                                         50, 51, 52, 60, 61, 62, 63, 64, 70, 71, 73, 80, 77, 79};

uint32_t FormatOf(gfx::Surface* surface) {
  gfx::SurfaceDesc desc{};
  return surface && gfx::Succeeded(surface->GetDesc(&desc)) ? desc.format : 0;
}

void ReleaseRecord(BitmapRecord* record) {
  if (!record) return;
  if (record->colour) record->colour->Release();
  if (record->depthStencil) record->depthStencil->Release();
  delete record;
}

void ReleaseAll() {
  BitmapState& b = g_bitmaps;
  // Drawing must not stay aimed at surfaces about to go (in a reset the back buffer is gone already).
  if (b.core && b.core->currentBitmap != 0) {
    if (b.device && b.core->backBufferSurface) {
      SelectBitmap(0);
    } else {
      b.core->currentRenderSurface = b.core->backBufferSurface;
      b.core->currentBitmap = 0;
    }
  }
  for (IdListNode* node = b.list.Head(); node; node = node->next) ReleaseRecord(static_cast<BitmapRecord*>(node->data));
  b.list.Clear();
  b.current = nullptr;
  if (b.api) b.api->Release();
  b.api = nullptr;
}

bool InRange(int32_t number, int32_t lowest) { return number >= lowest && number <= kMaxBitmapNumber; }

// Record 0 stands for the screen: the display's size, the depth of the surface drawn on, no surfaces.
void InitScreenBitmap() {
  BitmapState& b = g_bitmaps;
  delete b.list.FindAs<BitmapRecord>(0);
  b.list.Remove(0);
  b.creationFormat = FormatOf(b.core->backBufferSurface);
  b.creationBits = FormatToBits(b.creationFormat);
  auto* screen = new BitmapRecord{};
  screen->width = b.core->displayWidth;
  screen->height = b.core->displayHeight;
  screen->depth = int32_t(FormatToBits(FormatOf(b.core->currentRenderSurface)));
  b.list.Add(0, screen);
  SelectBitmap(0);
}

}  // namespace

BitmapState& Bitmaps() { return g_bitmaps; }

namespace BitmapModule {

void Constructor() {}

void Destructor() { ReleaseAll(); }

void SetErrorHandler(uint32_t* errorWord) { SetModuleErrorHandler(errorWord); }

void PassCoreData(CoreData* coreData) {
  BitmapState& b = g_bitmaps;
  b.core = coreData;
  auto getter = GetCoreTable().GetDirect3DDevice;
  b.device = getter ? getter() : nullptr;
  if (b.api) b.api->Release();
  b.api = nullptr;
  if (b.device) b.device->GetDirect3D(&b.api);
  if (b.core) InitScreenBitmap();
}

void RefreshD3D(int mode) {
  if (mode == 0) return Destructor();
  PassCoreData(g_bitmaps.core);
}

}  // namespace BitmapModule

uint32_t ChooseDepthFormat(uint32_t format) {
  gfx::Api* api = g_bitmaps.api;
  if (!api) return 0;
  for (uint32_t candidate : kDepthCandidates) {
    if (gfx::Succeeded(api->CheckDeviceFormat(0, gfx::DEVTYPE_HAL, format, gfx::USAGE_DEPTHSTENCIL,
                                              gfx::RTYPE_SURFACE, candidate)) &&
        gfx::Succeeded(api->CheckDepthStencilMatch(0, gfx::DEVTYPE_HAL, format, format, candidate))) {
      return candidate;
    }
  }
  return 0;
}

BitmapRecord* CreateBitmap(int32_t number, int32_t width, int32_t height, uint32_t format) {
  BitmapState& b = g_bitmaps;
  auto* record = new BitmapRecord{};
  if (!b.device || width <= 0 || height <= 0 ||
      gfx::Failed(b.device->CreateRenderTarget(uint32_t(width), uint32_t(height), format, gfx::MULTISAMPLE_NONE, 0, 1,
                                               &record->colour, nullptr))) {
    RaiseErrorText("Failed to create new bitmap");
    delete record;
    return nullptr;
  }
  // Without a depth-stencil surface the bitmap still takes 2D drawing; 3D drawing into it runs
  // without a depth test.
  if (const uint32_t depthFormat = ChooseDepthFormat(FormatOf(b.core ? b.core->backBufferSurface : nullptr))) {
    b.device->CreateDepthStencilSurface(uint32_t(width), uint32_t(height), depthFormat, gfx::MULTISAMPLE_NONE, 0, 1,
                                        &record->depthStencil, nullptr);
  }
  record->width = width;
  record->height = height;
  record->depth = int32_t(FormatToBits(format));
  if (!b.list.Add(number, record)) {
    ReleaseRecord(record);
    return nullptr;
  }
  return record;
}

void RemoveBitmapRecord(int32_t number) {
  BitmapState& b = g_bitmaps;
  auto* record = b.list.FindAs<BitmapRecord>(number);
  if (!record) return;
  // The device must not be left drawing into surfaces about to go.
  if (b.core && b.core->currentBitmap == number) SelectBitmap(0);
  if (b.current == record) b.current = nullptr;
  b.list.Remove(number);
  ReleaseRecord(record);
}

void NewBitmap(int32_t number, int32_t width, int32_t height) {
  if (!InRange(number, 1)) return RaiseErrorCode(kErrorBitmapNumber);
  BitmapState& b = g_bitmaps;
  RemoveBitmapRecord(number);
  if (!CreateBitmap(number, width, height, b.creationFormat)) return RaiseErrorCode(kErrorBitmapMissing);
  SelectBitmap(number);
  if (b.device) b.device->Clear(0, nullptr, gfx::CLEAR_TARGET, 0, 1.0f, 0);
}

void DeleteBitmap(int32_t number) {
  if (!InRange(number, 1)) return RaiseErrorCode(kErrorBitmapNumber);
  if (!g_bitmaps.list.Find(number)) return RaiseErrorCode(kErrorBitmapMissing);
  SelectBitmap(0);
  RemoveBitmapRecord(number);
}

void SelectBitmap(int32_t number) {
  if (!InRange(number, 0)) return RaiseErrorCode(kErrorBitmapNumber);
  BitmapState& b = g_bitmaps;
  if (!b.core) return;
  if (number == 0) {
    if (b.device) {
      b.device->SetRenderTarget(0, b.core->backBufferSurface);
      b.device->SetDepthStencilSurface(b.core->depthStencilSurface);
    }
    b.current = b.list.FindAs<BitmapRecord>(0);
    b.core->currentRenderSurface = b.core->backBufferSurface;
    b.core->currentBitmap = 0;
    return;
  }
  auto* record = b.list.FindAs<BitmapRecord>(number);
  if (!record) return RaiseErrorCode(kErrorBitmapMissing);
  b.current = record;
  if (b.device) {
    b.device->SetRenderTarget(0, record->colour);
    b.device->SetDepthStencilSurface(record->depthStencil);
  }
  b.core->currentRenderSurface = record->colour;
  b.core->currentBitmap = number;
}

int32_t BitmapExists(int32_t number) {
  if (!InRange(number, 0)) {
    RaiseErrorCode(kErrorBitmapNumber);
    return 0;
  }
  return g_bitmaps.list.Find(number) ? 1 : 0;
}
