// What the device knows of each pixel format: size, what it may be used for, how it reaches GL,
// and conversions of rows to and from packed 0xAARRGGBB (for locks of render targets, copies
// between formats and formats GL cannot take as they are).
#pragma once
#include <cstdint>

#include "platform/gfx/gl.h"

namespace platform::gfx::format {

struct Info {
  uint32_t bytesPerPixel;  // 0 for block-compressed formats
  uint32_t blockBytes;     // bytes per 4 x 4 block of a compressed format, else 0
  bool hasAlpha;
  bool texture;       // may be a texture or an off-screen plain surface
  bool renderTarget;  // may be rendered to (kept as 8-bit RGB(A) in GL; locks convert)
  bool depth;         // a depth-stencil format the device provides
  GLenum glInternal;  // GL internal format of a texture
  GLenum glFormat;    // 0: upload through a 0xAARRGGBB conversion
  GLenum glType;
};

// Null for formats the device does not provide at all.
const Info* Find(uint32_t format);
inline bool IsCompressed(const Info& info) { return info.blockBytes != 0; }
inline bool IsDisplayFormat(uint32_t format) { return format == 22 || format == 23; }
bool IsBackBufferFormat(uint32_t format);

// Bytes per row of a level and rows of storage (block rows for compressed formats).
uint32_t Pitch(const Info& info, uint32_t width);
uint32_t StorageRows(const Info& info, uint32_t height);
inline uint32_t LevelBytes(const Info& info, uint32_t width, uint32_t height) {
  return Pitch(info, width) * StorageRows(info, height);
}
// Number of levels of a full chain down to 1 x 1.
uint32_t FullChainLevels(uint32_t width, uint32_t height);

// Row conversions; false for formats without a conversion (compressed, depth).
bool ToArgb(uint32_t format, const uint8_t* src, uint32_t* dst, uint32_t count);
bool FromArgb(uint32_t format, const uint32_t* src, uint8_t* dst, uint32_t count);

}  // namespace platform::gfx::format
