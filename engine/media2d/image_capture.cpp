// Capturing a rectangle of the render surface into an image, and stretching an image's picture over a
// whole power-of-two texture.
#include <algorithm>
#include <cstring>

#include "engine/core/errors.h"
#include "engine/display/display.h"
#include "engine/media2d/image_state.h"
#include "platform/d3dx/pictures/textures.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;
namespace d3dx = platform::d3dx;

namespace {

constexpr int32_t kMaxPowerOfTwo = 4096;

// Sides past the largest power of two count as their own next power.
bool IsPowerOfTwoSide(uint32_t side) { return NextPowerOfTwo(int32_t(side)) == int32_t(side); }

gfx::Ref<gfx::Surface> Level0Surface(gfx::Texture* texture) {
  gfx::Ref<gfx::Surface> surface;
  if (texture) texture->GetSurfaceLevel(0, surface.put());
  return surface;
}

// Copies w x h pixels of `bytes` each from the source lock into the destination lock. A destination
// smaller than asked takes the nearest source pixel of each of its own.
void CopyPixels(const gfx::LockedRect& src, const gfx::LockedRect& dst, uint32_t dstWidth, uint32_t dstHeight,
                int32_t w, int32_t h, uint32_t bytes) {
  const auto* from = static_cast<const uint8_t*>(src.bits);
  auto* to = static_cast<uint8_t*>(dst.bits);
  if (dstWidth >= uint32_t(w) && dstHeight >= uint32_t(h)) {
    for (int32_t row = 0; row < h; ++row)
      std::memcpy(to + size_t(row) * dst.pitch, from + size_t(row) * src.pitch, size_t(w) * bytes);
    return;
  }
  if (bytes != 2 && bytes != 4) return;
  const int32_t cw = std::min(int32_t(dstWidth), w), ch = std::min(int32_t(dstHeight), h);
  const float sx = float(w) / float(cw), sy = float(h) / float(ch);
  float fy = 0.0f;
  for (int32_t row = 0; row < ch; ++row, fy += sy) {
    const uint8_t* sourceRow = from + size_t(std::min(int32_t(fy), h - 1)) * src.pitch;
    uint8_t* destRow = to + size_t(row) * dst.pitch;
    float fx = 0.0f;
    for (int32_t column = 0; column < cw; ++column, fx += sx) {
      std::memcpy(destRow + size_t(column) * bytes, sourceRow + size_t(std::min(int32_t(fx), w - 1)) * bytes, bytes);
    }
  }
}

// The rectangle of the surface in a new texture of the surface's format; null when any step fails.
gfx::Texture* CopyRectToTexture(gfx::Surface* surface, const gfx::SurfaceDesc& desc, const gfx::Rect& rect) {
  const int32_t w = rect.right - rect.left, h = rect.bottom - rect.top;
  const uint32_t bytes = FormatToBits(desc.format) / 8;
  gfx::Texture* temporary = nullptr;
  if (bytes == 0 || gfx::Failed(d3dx::CreateTexture(Images().device, uint32_t(w), uint32_t(h), 0, 0,
                                                    gfx::Format(desc.format), gfx::POOL_MANAGED, &temporary)))
    return nullptr;
  gfx::SurfaceDesc level{};
  temporary->GetLevelDesc(0, &level);
  // The copy is byte for byte: a texture in another format would be filled with wrong pixels.
  bool copied = FormatToBits(level.format) / 8 == bytes;
  gfx::LockedRect dst{}, src{};
  if (copied && gfx::Succeeded(temporary->LockRect(0, &dst, nullptr, 0))) {
    if (gfx::Succeeded(surface->LockRect(&src, &rect, gfx::LOCK_READONLY))) {
      CopyPixels(src, dst, level.width, level.height, w, h, bytes);
      surface->UnlockRect();
    } else {
      copied = false;
    }
    temporary->UnlockRect(0);
  } else {
    copied = false;
  }
  if (!copied) {
    temporary->Release();
    return nullptr;
  }
  return temporary;
}

}  // namespace

int32_t NextPowerOfTwo(int32_t n) {
  if (n <= 1) return 1;
  for (int32_t p = 2; p <= kMaxPowerOfTwo; p *= 2) {
    if (p >= n) return p;
  }
  return n;
}

int32_t CaptureImage(int32_t image, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  ImageState& s = Images();
  if (!InImageRange(image)) return RaiseErrorCode(501), 0;
  if (!(x1 < x2 && y1 < y2) || x1 < 0 || y1 < 0) return RaiseErrorCode(504), 0;
  gfx::Surface* surface = s.core ? s.core->currentRenderSurface : nullptr;
  if (!surface || !s.device) return RaiseErrorCode(500), 0;
  gfx::SurfaceDesc desc{};
  if (gfx::Failed(surface->GetDesc(&desc))) return RaiseErrorCode(500), 0;
  if (x2 > int32_t(desc.width) || y2 > int32_t(desc.height)) return RaiseErrorCode(504), 0;

  const int32_t w = x2 - x1, h = y2 - y1;
  if (const ImageRecord* old = FindImage(image); old && (old->width != w || old->height != h)) {
    DeleteImageRecord(image);
  }
  gfx::Texture* temporary = CopyRectToTexture(surface, desc, gfx::Rect{x1, y1, x2, y2});
  if (!temporary) return RaiseErrorCode(500), 0;

  if (!FindImage(image)) CreateImageRecord(image, w, h, s.format, 0);
  ImageRecord* record = FindImage(image);
  if (!record || !FlatTexture(*record)) {
    temporary->Release();
    return RaiseErrorCode(500), 0;
  }
  uint32_t levelWidth = 0, levelHeight = 0;
  Level0(*record, &levelWidth, &levelHeight, nullptr);
  // The picture goes into the top-left w x h of a level that can hold it, where its extents say it is
  // (a kept image may already have been stretched to a larger texture); a smaller level takes it scaled.
  const bool fits = levelWidth >= uint32_t(w) && levelHeight >= uint32_t(h);
  const gfx::Rect picture{0, 0, w, h};
  gfx::SurfaceDesc temporaryLevel{};
  temporary->GetLevelDesc(0, &temporaryLevel);
  const gfx::Rect source{0, 0, std::min(w, int32_t(temporaryLevel.width)), std::min(h, int32_t(temporaryLevel.height))};
  const gfx::Result copied =
      d3dx::LoadSurfaceFromSurface(Level0Surface(FlatTexture(*record)).get(), fits ? &picture : nullptr,
                                   Level0Surface(temporary).get(), &source,
                                   fits && temporaryLevel.width >= uint32_t(w) && temporaryLevel.height >= uint32_t(h)
                                       ? d3dx::FILTER_NONE
                                       : d3dx::kDefault,
                                   s.colorKey);
  temporary->Release();
  if (gfx::Failed(copied)) return RaiseErrorCode(500), 0;
  record->u = fits ? Extent(w, levelWidth) : 1.0f;
  record->v = fits ? Extent(h, levelHeight) : 1.0f;
  StretchImageToTexture(image, NextPowerOfTwo(w), NextPowerOfTwo(h));
  return 1;
}

void StretchImageToTexture(int32_t image, int32_t newWidth, int32_t newHeight) {
  ImageState& s = Images();
  ImageRecord* record = FindImage(image);
  uint32_t levelWidth = 0, levelHeight = 0;
  if (!record || !Level0(*record, &levelWidth, &levelHeight, nullptr)) return;
  if (IsPowerOfTwoSide(levelWidth) && IsPowerOfTwoSide(levelHeight) && record->u == 1.0f && record->v == 1.0f) return;

  // The picture as it stands; a picture said to be larger than its level is read as far as the level goes.
  const int32_t width = record->width, height = record->height;
  const gfx::Rect picture{0, 0, std::min(width, int32_t(levelWidth)), std::min(height, int32_t(levelHeight))};
  gfx::Texture* temporary = nullptr;
  if (picture.right < 1 || picture.bottom < 1 ||
      gfx::Failed(d3dx::CreateTexture(s.device, uint32_t(picture.right), uint32_t(picture.bottom), 1, 0,
                                      gfx::Format(s.format), gfx::POOL_MANAGED, &temporary)))
    return;
  if (gfx::Failed(d3dx::LoadSurfaceFromSurface(Level0Surface(temporary).get(), nullptr,
                                               Level0Surface(FlatTexture(*record)).get(), &picture, d3dx::kDefault,
                                               0))) {
    temporary->Release();  // the image stays as it was
    return;
  }
  DeleteImageRecord(image);
  CreateImageRecord(image, newWidth, newHeight, s.format, 0);
  if ((record = FindImage(image)) != nullptr) {
    d3dx::LoadSurfaceFromSurface(Level0Surface(FlatTexture(*record)).get(), nullptr, Level0Surface(temporary).get(),
                                 nullptr, d3dx::kDefault, 0);
    record->width = width;
    record->height = height;
    record->u = record->v = 1.0f;
    NotifyImageChange();  // sprites read the picture's size, not the texture's
  }
  temporary->Release();
}
