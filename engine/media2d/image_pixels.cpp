// Pixel access to an image's level 0: locking and writing pixels, translucency, and the conversions to
// and from the gapless rows of a memory block.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "engine/core/errors.h"
#include "engine/display/display.h"
#include "engine/media2d/image_state.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;

namespace {

// The whole of level 0 locked, with its size; false when the lock failed.
bool LockLevel0(gfx::Texture* texture, gfx::LockedRect& locked, uint32_t& width, uint32_t& height) {
  gfx::SurfaceDesc desc{};
  if (!texture || gfx::Failed(texture->GetLevelDesc(0, &desc))) return false;
  if (gfx::Failed(texture->LockRect(0, &locked, nullptr, 0))) return false;
  width = desc.width;
  height = desc.height;
  return true;
}

uint32_t PackArgb(int32_t alpha, int32_t red, int32_t green, int32_t blue) {
  return uint32_t(alpha & 255) << 24 | uint32_t(red & 255) << 16 | uint32_t(green & 255) << 8 | uint32_t(blue & 255);
}

}  // namespace

void LockImage(int32_t image) {
  ImageRecord* record = FindImage(image);
  if (!record) return;
  if (record->locked) return RaiseErrorText("Failed to lock image for image library as it's already locked");
  gfx::LockedRect locked{};
  uint32_t width = 0, height = 0;
  if (!LockLevel0(FlatTexture(*record), locked, width, height))
    return RaiseErrorText("Failed to lock image for image library");
  record->lockPitch = locked.pitch;
  record->lockBits = static_cast<uint8_t*>(locked.bits);
  record->lockWidth = int32_t(width);
  record->lockHeight = int32_t(height);
  record->locked = 1;
}

void UnlockImage(int32_t image) {
  ImageRecord* record = FindImage(image);
  if (!record || !record->locked) return;
  if (gfx::Texture* texture = FlatTexture(*record)) texture->UnlockRect(0);
  record->locked = 0;
  record->lockBits = nullptr;
}

void WriteImagePixel(int32_t image, int32_t y, int32_t x, int32_t alpha, int32_t red, int32_t green, int32_t blue) {
  ImageRecord* record = FindImage(image);
  if (!record) return;
  if (!record->locked || !record->lockBits)
    return RaiseErrorText("Unable to modify texture data for image library as it isn't locked");
  if (record->depth != 32) return RaiseErrorText("Unable to modify texture data for image library: not 32 bits deep");
  if (x < 0 || y < 0 || x >= record->lockWidth || y >= record->lockHeight)
    return RaiseErrorText("Unable to modify texture data for image library: pixel outside the image");
  const uint32_t pixel = PackArgb(alpha, red, green, blue);
  std::memcpy(record->lockBits + size_t(y) * record->lockPitch + size_t(x) * 4, &pixel, 4);
}

void SetImageTranslucency(int32_t image, int32_t alpha) {
  ImageRecord* record = FindImage(image);
  if (!record) return;
  gfx::Texture* texture = FlatTexture(*record);
  gfx::LockedRect locked{};
  uint32_t width = 0, height = 0;
  if (record->depth != 32 || !LockLevel0(texture, locked, width, height))
    return RaiseErrorText("Failed to lock texture in translucency for image library");
  const int32_t rows = std::min(record->height, int32_t(height)), columns = std::min(record->width, int32_t(width));
  const uint32_t top = uint32_t(alpha & 255) << 24;
  for (int32_t row = 0; row < rows; ++row) {
    auto* line = static_cast<uint8_t*>(locked.bits) + size_t(row) * locked.pitch;
    for (int32_t column = 0; column < columns; ++column) {
      uint32_t pixel;
      std::memcpy(&pixel, line + size_t(column) * 4, 4);
      if (pixel != 0) pixel = (pixel & 0x00FFFFFFu) | top;
      std::memcpy(line + size_t(column) * 4, &pixel, 4);
    }
  }
  texture->UnlockRect(0);
}

void GetImageData(int32_t image, int32_t* width, int32_t* height, int32_t* depth, uint8_t** data, uint32_t* size,
                  int32_t mode) {
  if (mode != 1) {
    if (data && *data) {
      std::free(*data);
      *data = nullptr;
    }
    return;
  }
  const ImageRecord* record = FindImage(image);
  gfx::Texture* texture = record ? FlatTexture(*record) : nullptr;
  if (!texture || !width || !height || !depth || !data || !size) return;
  const int32_t bytes = record->depth / 8;
  gfx::SurfaceDesc desc{};
  texture->GetLevelDesc(0, &desc);
  // The block holds what level 0 has; the sizes handed out describe the block.
  const int32_t w = std::min(record->width, int32_t(desc.width)), h = std::min(record->height, int32_t(desc.height));
  *width = w;
  *height = h;
  *depth = record->depth;
  const gfx::Rect rect{0, 0, w, h};
  gfx::LockedRect locked{};
  if (bytes < 1 || record->depth % 8 != 0 || w < 1 || h < 1 || gfx::Failed(texture->LockRect(0, &locked, &rect, gfx::LOCK_READONLY))) {
    *size = 1;  // unreadable
    return;
  }
  const size_t rowBytes = size_t(w) * size_t(bytes);
  auto* block = static_cast<uint8_t*>(std::malloc(rowBytes * size_t(h)));
  if (block) {
    for (int32_t row = 0; row < h; ++row)
      std::memcpy(block + row * rowBytes, static_cast<const uint8_t*>(locked.bits) + size_t(row) * locked.pitch,
                  rowBytes);
    *data = block;
    *size = uint32_t(rowBytes * size_t(h));
  } else {
    *size = 1;
  }
  texture->UnlockRect(0);
}

void MakeImageFromData(int32_t image, int32_t width, int32_t height, int32_t depth, const uint8_t* data,
                       uint32_t size) {
  // Only 16- and 32-bit pixels have a texture format here; the block must hold every row.
  if ((depth != 16 && depth != 32) || width < 1 || height < 1 || !data ||
      uint64_t(size) < uint64_t(width) * uint64_t(height) * uint64_t(depth / 8))
    return;
  if (const ImageRecord* record = FindImage(image)) {
    if (!record->texture) return;
    if (record->width != width || record->height != height || record->depth != depth) DeleteImageRecord(image);
  }
  if (!FindImage(image)) {
    CreateImageRecord(image, width, height, depth == 16 ? gfx::FMT_A1R5G5B5 : gfx::FMT_A8R8G8B8, 0);
  }
  ImageRecord* record = FindImage(image);
  gfx::Texture* texture = record ? FlatTexture(*record) : nullptr;
  if (!texture) return;
  gfx::SurfaceDesc desc{};
  texture->GetLevelDesc(0, &desc);
  // The texture's format must take the rows as they are.
  if (FormatToBits(desc.format) != uint32_t(depth)) return;
  const int32_t w = std::min(width, int32_t(desc.width)), h = std::min(height, int32_t(desc.height));
  const gfx::Rect rect{0, 0, w, h};
  gfx::LockedRect locked{};
  if (gfx::Succeeded(texture->LockRect(0, &locked, &rect, 0))) {
    const size_t sourceRow = size_t(width) * size_t(depth / 8), copied = size_t(w) * size_t(depth / 8);
    for (int32_t row = 0; row < h; ++row)
      std::memcpy(static_cast<uint8_t*>(locked.bits) + size_t(row) * locked.pitch, data + row * sourceRow, copied);
    texture->UnlockRect(0);
  }
  NotifyImageChange();
}
