// Pixel formats of textures and surfaces as seen by the CPU: sizes, and conversion of locked pixels
// from and to 32-bit ARGB. Channels narrower or wider than 8 bits are scaled with rounding, so a value
// read and written back unchanged keeps its exact bits.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/d3dx/pictures/picture.h"

namespace platform::d3dx {

// Bits per pixel (4 for DXT1, 8 for DXT2 to DXT5); 0 for formats this layer does not know.
uint32_t FormatBits(gfx::Format format);
// True for the 4 x 4 block-compressed formats.
bool IsBlockFormat(gfx::Format format);
// True when ReadPixels and WritePixels handle the format.
bool IsConvertibleFormat(gfx::Format format);
bool FormatHasAlpha(gfx::Format format);

// Bytes of one tightly packed row (block formats: one row of 4 x 4 blocks) and number of such rows.
size_t FormatRowBytes(gfx::Format format, uint32_t width);
uint32_t FormatRowCount(gfx::Format format, uint32_t height);
inline size_t FormatSurfaceBytes(gfx::Format format, uint32_t width, uint32_t height) {
  return FormatRowBytes(format, width) * FormatRowCount(format, height);
}

// Converts width x height pixels of a locked region to ARGB; `pitch` is the distance in bytes between
// rows (of blocks, for block formats). False for an unknown format.
bool ReadPixels(gfx::Format format, const uint8_t* bits, size_t pitch, uint32_t width, uint32_t height,
                Picture& out);
// Converts a picture into a locked region of the picture's size.
bool WritePixels(gfx::Format format, const Picture& in, uint8_t* bits, size_t pitch);

// Luminance of an ARGB colour, as the L formats store it.
uint8_t LuminanceOf(uint32_t argb);

// Channel values scaled between `bits` wide and 8 bits wide, rounded.
inline uint32_t ScaleTo8(uint32_t value, uint32_t bits) {
  uint32_t max = (bits >= 32) ? 0xFFFFFFFFu : ((1u << bits) - 1);
  return max == 0 ? 0 : uint32_t((uint64_t(value) * 255 + max / 2) / max);
}
inline uint32_t ScaleFrom8(uint32_t value, uint32_t bits) {
  uint64_t max = (uint64_t(1) << bits) - 1;
  return uint32_t((value * max + 127) / 255);
}

}  // namespace platform::d3dx
