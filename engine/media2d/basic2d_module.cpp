// The basic 2D module's entries, the surface lock and the pixel drawing on it (dots and circles).
#include <cstddef>
#include <cstring>

#include "engine/core/core_table.h"
#include "engine/core/errors.h"
#include "engine/display/display.h"
#include "engine/media2d/basic2d.h"
#include "engine/media2d/basic2d_state.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;

namespace {

Basic2DState g_basic2D;

constexpr uint32_t kLineBufferSize = 80;

gfx::Device* CurrentDevice() {
  auto getter = GetCoreTable().GetDirect3DDevice;
  return getter ? getter() : nullptr;
}

void ReleaseLineBuffer() {
  if (g_basic2D.lineBuffer) g_basic2D.lineBuffer->Release();
  g_basic2D.lineBuffer = nullptr;
}

// The eight points of (x, y) around the centre, in the order the outline has always been drawn. Wide
// arithmetic: a huge radius must not wrap a point back onto the surface.
void PlotCirclePoints(int64_t cx, int64_t cy, int64_t x, int64_t y, uint32_t colour) {
  const int64_t points[8][2] = {{cx + x, cy + y}, {cx + y, cy + x}, {cx + y, cy - x}, {cx + x, cy - y},
                                {cx - x, cy - y}, {cx - y, cy - x}, {cx - y, cy + x}, {cx - x, cy + y}};
  const Basic2DState& s = g_basic2D;
  for (const auto& p : points) {
    if (p[0] >= 0 && p[1] >= 0 && p[0] < s.lockedWidth && p[1] < s.lockedHeight) {
      WritePixel(int32_t(p[0]), int32_t(p[1]), colour);
    }
  }
}

}  // namespace

Basic2DState& Basic2D() { return g_basic2D; }

namespace Basic2DModule {

void Constructor() {
  Basic2DState& s = g_basic2D;
  ReleaseLineBuffer();
  s.device = CurrentDevice();
  s.lockSurface = nullptr;
  s.locked = false;
  s.bits = nullptr;
  if (s.device) {
    s.device->CreateVertexBuffer(kLineBufferSize, gfx::USAGE_WRITEONLY, gfx::FVF_XYZRHW | gfx::FVF_DIFFUSE,
                                 gfx::POOL_DEFAULT, &s.lineBuffer, nullptr);
  }
}

void Destructor() {
  UnlockDrawSurface();
  ReleaseLineBuffer();
}

void SetErrorHandler(uint32_t* errorWord) { SetModuleErrorHandler(errorWord); }

// The bytes per pixel are taken from each locked surface instead, as bitmaps may differ from the screen.
void PassCoreData(CoreData* coreData) { g_basic2D.core = coreData; }

void RefreshD3D(int mode) {
  if (mode == 0) return Destructor();
  Constructor();
  PassCoreData(g_basic2D.core);
}

}  // namespace Basic2DModule

void LockDrawSurface() {
  Basic2DState& s = g_basic2D;
  if (s.locked || !s.core || !s.core->currentRenderSurface) return;
  gfx::Surface* surface = s.core->currentRenderSurface;
  gfx::LockedRect locked{};
  if (gfx::Failed(surface->LockRect(&locked, nullptr, 0))) return;
  gfx::SurfaceDesc desc{};
  surface->GetDesc(&desc);
  s.lockSurface = surface;
  s.bits = static_cast<uint8_t*>(locked.bits);
  s.pitch = locked.pitch;
  s.lockedWidth = int32_t(desc.width);
  s.lockedHeight = int32_t(desc.height);
  s.lockedBytesPerPixel = int32_t(FormatToBits(desc.format) / 8);
  s.locked = true;
}

void UnlockDrawSurface() {
  Basic2DState& s = g_basic2D;
  if (!s.locked) return;
  s.lockSurface->UnlockRect();
  s.lockSurface = nullptr;
  s.bits = nullptr;
  s.locked = false;
}

void WritePixel(int32_t x, int32_t y, uint32_t colour) {
  const Basic2DState& s = g_basic2D;
  if (!s.locked || x < 0 || y < 0 || x >= s.lockedWidth || y >= s.lockedHeight) return;
  if (s.core->currentBitmap == 0 && (x >= s.core->displayWidth || y >= s.core->displayHeight)) return;
  uint8_t* row = s.bits + ptrdiff_t(s.pitch) * y;
  if (s.lockedBytesPerPixel == 2) {
    const uint16_t packed = uint16_t(Pack565(int32_t(colour >> 16 & 255), int32_t(colour >> 8 & 255),
                                             int32_t(colour & 255)));
    std::memcpy(row + 2 * x, &packed, 2);
  } else if (s.lockedBytesPerPixel == 4) {
    std::memcpy(row + 4 * x, &colour, 4);
  }
}

void DrawDot(int32_t x, int32_t y) {
  Basic2DState& s = g_basic2D;
  if (!s.core) return;
  if (s.locked) return WritePixel(x, y, s.core->inkForeground);
  LockDrawSurface();
  WritePixel(x, y, s.core->inkForeground);
  UnlockDrawSurface();
}

// Midpoint circle, eight octants at a time.
void DrawCircle(int32_t cx, int32_t cy, int32_t radius) {
  Basic2DState& s = g_basic2D;
  LockDrawSurface();
  if (!s.locked) return;
  const uint32_t colour = s.core->inkForeground;
  int64_t x = 0, y = radius, d = 1 - int64_t(radius);
  PlotCirclePoints(cx, cy, x, y, colour);
  if (radius > 0) {
    do {
      if (d < 0) {
        d += 2 * x;
      } else {
        d += 2 * (x - y);
        --y;
      }
      ++x;
      PlotCirclePoints(cx, cy, x, y, colour);
    } while (y > x);
  }
  UnlockDrawSurface();
}
