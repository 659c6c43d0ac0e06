// Reader of ".cur" and ".ico" files: a directory of pictures, each an uncompressed device-independent
// bitmap (colour rows, then a 1-bit AND mask) stored bottom-up. Every offset and size is checked
// against the file before it is used.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/window/cursor.h"

namespace platform::window {

namespace {

constexpr size_t kDirectoryHeader = 6;
constexpr size_t kDirectoryEntry = 16;
constexpr int kMaxSide = 256;

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

struct Entry {
  int width, height, hotX, hotY;
  uint32_t size, offset;
};

size_t RowBytes(int width, int bits) { return ((size_t(width) * size_t(bits) + 31) / 32) * 4; }

bool DecodeBitmap(const uint8_t* data, size_t size, int& width, int& height, std::vector<uint8_t>& rgba) {
  if (size < 40) return false;
  const uint32_t headerSize = U32(data);
  if (headerSize < 40 || headerSize > size) return false;
  const int32_t w = int32_t(U32(data + 4));
  const int32_t doubledHeight = int32_t(U32(data + 8));
  const int bits = U16(data + 14);
  const uint32_t compression = U32(data + 16);
  const uint32_t colorsUsed = U32(data + 32);
  if (compression != 0) return false;
  if (w < 1 || w > kMaxSide || doubledHeight < 2 || doubledHeight > 2 * kMaxSide) return false;
  const int h = doubledHeight / 2;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;

  size_t paletteCount = 0;
  if (bits <= 8) {
    paletteCount = colorsUsed ? colorsUsed : (size_t(1) << bits);
    if (paletteCount > (size_t(1) << bits)) return false;
  }
  const size_t paletteOffset = headerSize;
  const size_t colorOffset = paletteOffset + paletteCount * 4;
  const size_t colorRow = RowBytes(w, bits);
  const size_t maskOffset = colorOffset + colorRow * size_t(h);
  const size_t maskRow = RowBytes(w, 1);
  if (colorOffset > size || maskOffset > size) return false;
  const bool hasMask = maskOffset + maskRow * size_t(h) <= size;
  if (!hasMask && bits != 32) return false;

  rgba.assign(size_t(w) * size_t(h) * 4, 0);
  bool anyAlpha = false;
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = data + colorOffset + colorRow * size_t(h - 1 - y);
    for (int x = 0; x < w; ++x) {
      uint8_t* out = &rgba[(size_t(y) * size_t(w) + size_t(x)) * 4];
      uint8_t b, g, r, a = 255;
      if (bits >= 24) {
        const uint8_t* p = row + size_t(x) * size_t(bits / 8);
        b = p[0], g = p[1], r = p[2];
        if (bits == 32) {
          a = p[3];
          anyAlpha |= a != 0;
        }
      } else {
        const size_t bit = size_t(x) * size_t(bits);
        const unsigned index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
        if (index >= paletteCount) return false;
        const uint8_t* p = data + paletteOffset + index * 4;
        b = p[0], g = p[1], r = p[2];
      }
      out[0] = r, out[1] = g, out[2] = b, out[3] = a;
    }
  }
  // Without alpha in the colour data the AND mask says which pixels are transparent.
  if (!(bits == 32 && anyAlpha)) {
    if (!hasMask) return false;
    for (int y = 0; y < h; ++y) {
      const uint8_t* row = data + maskOffset + maskRow * size_t(h - 1 - y);
      for (int x = 0; x < w; ++x) {
        const bool transparent = (row[x / 8] >> (7 - x % 8)) & 1;
        rgba[(size_t(y) * size_t(w) + size_t(x)) * 4 + 3] = transparent ? 0 : 255;
      }
    }
  }
  width = w;
  height = h;
  return true;
}

}  // namespace

bool DecodeCursorFile(const uint8_t* data, size_t size, int want, CursorImage& out) {
  if (!data || size < kDirectoryHeader || want < 1 || want > kMaxSide) return false;
  const uint16_t type = U16(data + 2);
  const uint16_t count = U16(data + 4);
  if (U16(data) != 0 || (type != 1 && type != 2) || count == 0) return false;
  if (kDirectoryHeader + size_t(count) * kDirectoryEntry > size) return false;

  bool found = false;
  Entry best{};
  for (uint16_t i = 0; i < count; ++i) {
    const uint8_t* p = data + kDirectoryHeader + size_t(i) * kDirectoryEntry;
    Entry e{p[0] ? p[0] : 256, p[1] ? p[1] : 256, type == 2 ? U16(p + 4) : 0, type == 2 ? U16(p + 6) : 0,
            U32(p + 8), U32(p + 12)};
    if (e.offset > size || e.size > size - e.offset) continue;
    if (!found || std::abs(e.width - want) + std::abs(e.height - want) <
                      std::abs(best.width - want) + std::abs(best.height - want)) {
      best = e;
      found = true;
    }
  }
  if (!found) return false;

  int width = 0, height = 0;
  std::vector<uint8_t> pixels;
  if (!DecodeBitmap(data + best.offset, best.size, width, height, pixels)) return false;

  out.width = out.height = want;
  out.hotX = std::min(want - 1, best.hotX * want / width);
  out.hotY = std::min(want - 1, best.hotY * want / height);
  out.rgba.assign(size_t(want) * size_t(want) * 4, 0);
  for (int y = 0; y < want; ++y) {
    const int sy = y * height / want;
    for (int x = 0; x < want; ++x) {
      const int sx = x * width / want;
      std::memcpy(&out.rgba[(size_t(y) * size_t(want) + size_t(x)) * 4],
                  &pixels[(size_t(sy) * size_t(width) + size_t(sx)) * 4], 4);
    }
  }
  return true;
}

}  // namespace platform::window
