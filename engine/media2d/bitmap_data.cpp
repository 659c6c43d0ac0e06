// A bitmap's pixels handed to and taken from the memory blocks: rows top to bottom, without gaps, in
// the surface's own pixel format.
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "engine/display/display.h"
#include "engine/media2d/bitmap.h"
#include "engine/media2d/bitmap_state.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;

namespace {

// The surface that holds bitmap `number`'s pixels: the back buffer for the screen.
gfx::Surface* PixelSurface(int32_t number, const BitmapRecord& record) {
  const CoreData* core = Bitmaps().core;
  return number == 0 ? (core ? core->backBufferSurface : nullptr) : record.colour;
}

uint32_t FormatForDepth(int32_t depth) {
  switch (depth) {
    case 16: return gfx::FMT_R5G6B5;
    case 24: return gfx::FMT_R8G8B8;
    case 32: return gfx::FMT_X8R8G8B8;
    default: return gfx::FMT_UNKNOWN;
  }
}

template <typename T>
void Store(T* out, T value) {
  if (out) *out = value;
}

}  // namespace

void GetBitmapData(int32_t number, int32_t* width, int32_t* height, int32_t* depth, uint8_t** data, int32_t* size,
                   uint8_t mode) {
  if (mode != 1) {
    if (data && *data) std::free(*data);
    Store<uint8_t*>(data, nullptr);
    return;
  }
  const auto* record = Bitmaps().list.FindAs<BitmapRecord>(number);
  gfx::Surface* surface = record ? PixelSurface(number, *record) : nullptr;
  gfx::SurfaceDesc desc{};
  if (!surface || gfx::Failed(surface->GetDesc(&desc))) return;
  // The surface itself says how many pixels and bytes it holds.
  const int32_t bytesPerPixel = int32_t(FormatToBits(desc.format) / 8);
  const int32_t w = std::min(record->width, int32_t(desc.width));
  const int32_t h = std::min(record->height, int32_t(desc.height));
  if (bytesPerPixel == 0 || w <= 0 || h <= 0) return;
  gfx::LockedRect locked{};
  if (gfx::Failed(surface->LockRect(&locked, nullptr, gfx::LOCK_READONLY))) return;
  const size_t rowBytes = size_t(w) * size_t(bytesPerPixel);
  auto* block = static_cast<uint8_t*>(std::malloc(rowBytes * size_t(h)));
  if (block) {
    for (int32_t y = 0; y < h; ++y) {
      std::memcpy(block + rowBytes * size_t(y), static_cast<const uint8_t*>(locked.bits) + ptrdiff_t(locked.pitch) * y,
                  rowBytes);
    }
  }
  surface->UnlockRect();
  if (!block) return;
  Store(width, w);
  Store(height, h);
  Store(depth, bytesPerPixel * 8);
  Store(data, block);
  Store(size, int32_t(rowBytes * size_t(h)));
}

void SetBitmapData(int32_t number, int32_t width, int32_t height, int32_t depth, const uint8_t* data, int32_t size) {
  BitmapState& b = Bitmaps();
  if (!data || width <= 0 || height <= 0 || number < 0 || number > kMaxBitmapNumber) return;
  const uint32_t format = FormatForDepth(depth);
  if (format == gfx::FMT_UNKNOWN) return;
  const int64_t rowBytes = int64_t(width) * (depth / 8);
  if (int64_t(size) < rowBytes * height) return;  // the block must hold every row it claims

  if (number >= 1) {
    const auto* existing = b.list.FindAs<BitmapRecord>(number);
    const bool same = existing && existing->width == width && existing->height == height && existing->depth == depth;
    if (existing && !same) DeleteBitmap(number);
    if (!same && !CreateBitmap(number, width, height, format)) return;
  }
  const auto* record = b.list.FindAs<BitmapRecord>(number);
  gfx::Surface* surface = record ? PixelSurface(number, *record) : nullptr;
  gfx::SurfaceDesc desc{};
  if (!surface || gfx::Failed(surface->GetDesc(&desc))) return;
  if (int32_t(FormatToBits(desc.format)) != depth) return;  // the screen keeps its own format
  const int32_t rows = std::min(height, int32_t(desc.height));
  const size_t copied = size_t(std::min<int64_t>(rowBytes, int64_t(desc.width) * (depth / 8)));
  gfx::LockedRect locked{};
  if (gfx::Failed(surface->LockRect(&locked, nullptr, 0))) return;
  for (int32_t y = 0; y < rows; ++y) {
    std::memcpy(static_cast<uint8_t*>(locked.bits) + ptrdiff_t(locked.pitch) * y, data + rowBytes * y, copied);
  }
  surface->UnlockRect();
}
