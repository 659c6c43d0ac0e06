// Copying video frames into the slot's texture and into a target image.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "engine/audio/video_state.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;

namespace {

uint32_t BytesPerPixel(uint32_t format) {
  switch (format) {
    case gfx::FMT_A8R8G8B8:
    case gfx::FMT_X8R8G8B8: return 4;
    case gfx::FMT_R5G6B5:
    case gfx::FMT_X1R5G5B5:
    case gfx::FMT_A1R5G5B5: return 2;
    default: return 0;
  }
}

uint32_t ChannelTo5Bits(uint32_t channel) {
  return std::min<uint32_t>(31, uint32_t(double(channel) * 0.12048192771084336));
}

}  // namespace

void CopyVideoFrame(FrameGrabber* grabber) {
  if (Videos().frameCopyOff == 1 || !grabber || grabber->frame.empty() || !grabber->texture) return;
  const int32_t width = grabber->width, height = grabber->height;
  // The grabber's numbers are checked against its buffer before a row is read.
  if (width <= 0 || height <= 0 || grabber->stride < width * 3 ||
      grabber->frame.size() < size_t(grabber->stride) * size_t(height))
    return;
  gfx::SurfaceDesc desc{};
  if (gfx::Failed(grabber->texture->GetLevelDesc(0, &desc))) return;
  const uint32_t format = desc.format;
  if (format != gfx::FMT_A8R8G8B8 && format != gfx::FMT_A1R5G5B5) return;
  const int32_t copyWidth = std::min<int32_t>(width, int32_t(desc.width));
  const int32_t copyHeight = std::min<int32_t>(height, int32_t(desc.height));
  if (copyWidth <= 0 || copyHeight <= 0) return;
  gfx::LockedRect locked{};
  if (gfx::Failed(grabber->texture->LockRect(0, &locked, nullptr, 0))) return;
  const double stepX = double(width) / copyWidth, stepY = double(height) / copyHeight;
  for (int32_t y = 0; y < copyHeight; ++y) {
    const int32_t sourceY = int32_t(y * stepY);
    const uint8_t* row = grabber->frame.data() + size_t(height - 1 - sourceY) * size_t(grabber->stride);
    uint8_t* out = static_cast<uint8_t*>(locked.bits) + ptrdiff_t(locked.pitch) * y;
    for (int32_t x = 0; x < copyWidth; ++x) {
      const uint8_t* p = row + size_t(int32_t(x * stepX)) * 3;
      const uint32_t blue = p[0], green = p[1], red = p[2];
      if (format == gfx::FMT_A8R8G8B8) {
        const uint32_t texel = 0xFF000000u | red << 16 | green << 8 | blue;
        std::memcpy(out + size_t(x) * 4, &texel, 4);
      } else {
        const uint16_t texel = uint16_t(0x8000 | (red & 0xF8) << 7 | (green & 0xF8) << 2 | blue >> 3);
        std::memcpy(out + size_t(x) * 2, &texel, 2);
      }
    }
  }
  grabber->texture->UnlockRect(0);
}

void CopyFrameToImage(VideoSlot& slot) {
  if (!slot.texture || !slot.imageTexture) return;
  gfx::SurfaceDesc source{}, target{};
  if (gfx::Failed(slot.texture->GetLevelDesc(0, &source)) || gfx::Failed(slot.imageTexture->GetLevelDesc(0, &target)))
    return;
  const uint32_t targetBytes = BytesPerPixel(target.format);
  // Frames are 32-bit; other pairings have no defined copy.
  if (BytesPerPixel(source.format) != 4 || targetBytes == 0 || target.width == 0 || target.height == 0) return;
  const int32_t frameWidth = std::clamp(int32_t(float(source.width) * std::fabs(slot.u)), 1, int32_t(source.width));
  const int32_t frameHeight = std::clamp(int32_t(float(source.height) * std::fabs(slot.v)), 1, int32_t(source.height));
  const gfx::Rect frameRect{0, 0, frameWidth, frameHeight};
  gfx::LockedRect from{}, to{};
  if (gfx::Failed(slot.texture->LockRect(0, &from, &frameRect, gfx::LOCK_READONLY))) return;
  if (gfx::Failed(slot.imageTexture->LockRect(0, &to, nullptr, 0))) {
    slot.texture->UnlockRect(0);
    return;
  }
  const double stepX = double(frameWidth) / target.width, stepY = double(frameHeight) / target.height;
  for (uint32_t y = 0; y < target.height; ++y) {
    const auto* row = static_cast<const uint8_t*>(from.bits) + ptrdiff_t(from.pitch) * int32_t(y * stepY);
    uint8_t* out = static_cast<uint8_t*>(to.bits) + ptrdiff_t(to.pitch) * y;
    for (uint32_t x = 0; x < target.width; ++x) {
      uint32_t pixel;
      std::memcpy(&pixel, row + size_t(int32_t(x * stepX)) * 4, 4);
      if (targetBytes == 4) {
        std::memcpy(out + size_t(x) * 4, &pixel, 4);
      } else {
        const uint16_t packed = uint16_t(0x8000 | ChannelTo5Bits(pixel >> 16 & 0xFF) << 10 |
                                         ChannelTo5Bits(pixel >> 8 & 0xFF) << 5 | ChannelTo5Bits(pixel & 0xFF));
        std::memcpy(out + size_t(x) * 2, &packed, 2);
      }
    }
  }
  slot.imageTexture->UnlockRect(0);
  slot.texture->UnlockRect(0);
}
