// BMP: 1, 4 and 8 bits through a palette (8 and 4 also run-length encoded), 16 and 32 bits plain or
// with bit fields, 24 bits; bottom-up or top-down rows.
#include <climits>

#include "platform/d3dx/pictures/picture_readers.h"

namespace platform::d3dx {
namespace {

enum : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

struct BmpHeader {
  uint32_t width = 0, height = 0;
  bool topDown = false;
  uint32_t bpp = 0, compression = kRgb;
  uint64_t paletteOffset = 0;
  uint32_t paletteEntryBytes = 4, paletteCount = 0;
  uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
  uint64_t pixelOffset = 0;
};

uint64_t RowStride(const BmpHeader& h) { return (uint64_t(h.width) * h.bpp + 31) / 32 * 4; }

Result ParseHeader(Bytes f, BmpHeader& h) {
  if (!f.Has(0, 18)) return kInvalidData;
  const uint32_t headerSize = f.U32(14);
  if (!f.Has(14, headerSize)) return kInvalidData;
  uint32_t colorsUsed = 0;
  if (headerSize == 12) {
    h.width = f.U16(18);
    h.height = f.U16(20);
    h.bpp = f.U16(24);
    h.paletteEntryBytes = 3;
  } else if (headerSize >= 40) {
    int32_t width = f.I32(18), height = f.I32(22);
    if (width <= 0 || height == 0 || height == INT_MIN) return kInvalidData;
    h.width = uint32_t(width);
    h.topDown = height < 0;
    h.height = uint32_t(height < 0 ? -height : height);
    h.bpp = f.U16(28);
    h.compression = f.U32(30);
    colorsUsed = f.U32(46);
  } else {
    return kInvalidData;
  }
  if (gfx::Failed(CheckPictureSize(h.width, h.height))) return kInvalidData;

  h.paletteOffset = 14 + uint64_t(headerSize);
  switch (h.compression) {
    case kRgb:
      if (h.bpp != 1 && h.bpp != 4 && h.bpp != 8 && h.bpp != 16 && h.bpp != 24 && h.bpp != 32) return kInvalidData;
      break;
    case kRle8:
    case kRle4:
      if (h.bpp != (h.compression == kRle8 ? 8u : 4u) || h.topDown) return kInvalidData;
      break;
    case kBitFields:
    case kAlphaBitFields: {
      if (h.bpp != 16 && h.bpp != 32) return kInvalidData;
      // Masks follow a 40-byte header and sit inside the longer ones, at the same offsets.
      const bool hasAlpha = h.compression == kAlphaBitFields || headerSize >= 56;
      if (!f.Has(54, hasAlpha ? 16 : 12)) return kInvalidData;
      for (int i = 0; i < (hasAlpha ? 4 : 3); ++i) h.masks[i] = f.U32(54 + 4 * i);
      if (headerSize == 40) h.paletteOffset += hasAlpha ? 16 : 12;
      break;
    }
    default:
      return kInvalidData;
  }
  if (h.compression == kRgb && h.bpp == 16) {
    h.masks[0] = 0x7C00, h.masks[1] = 0x03E0, h.masks[2] = 0x001F;
  } else if (h.compression == kRgb && h.bpp == 32) {
    h.masks[0] = 0xFF0000, h.masks[1] = 0xFF00, h.masks[2] = 0xFF;
  }
  if (h.bpp <= 8) {
    const uint32_t full = 1u << h.bpp;
    if (colorsUsed > full) return kInvalidData;
    h.paletteCount = colorsUsed ? colorsUsed : full;
    if (!f.Has(h.paletteOffset, uint64_t(h.paletteCount) * h.paletteEntryBytes)) return kInvalidData;
  }
  h.pixelOffset = f.U32(10);
  if (h.pixelOffset < h.paletteOffset + uint64_t(h.paletteCount) * h.paletteEntryBytes) return kInvalidData;
  // Plain rows must all be there (the last one may lack its padding); run-length data is checked as
  // it is decoded.
  const bool plain = h.compression != kRle8 && h.compression != kRle4;
  if (plain && !f.Has(h.pixelOffset, RowStride(h) * (h.height - 1) + (uint64_t(h.width) * h.bpp + 7) / 8))
    return kInvalidData;
  if (!plain && !f.Has(h.pixelOffset, 2)) return kInvalidData;
  return gfx::kOk;
}

gfx::Format FileFormat(const BmpHeader& h) {
  if (h.bpp <= 8) return gfx::FMT_P8;
  if (h.bpp == 24) return gfx::FMT_R8G8B8;
  if (h.bpp == 32) return h.masks[3] ? gfx::FMT_A8R8G8B8 : gfx::FMT_X8R8G8B8;
  if (h.masks[3] == 0x8000) return gfx::FMT_A1R5G5B5;
  if (h.masks[3] == 0xF000) return gfx::FMT_A4R4G4B4;
  if (h.masks[0] == 0xF800 && h.masks[1] == 0x07E0 && h.masks[2] == 0x001F) return gfx::FMT_R5G6B5;
  return gfx::FMT_X1R5G5B5;
}

// Palette indexes, one per pixel, row 0 at the bottom, as the run-length codes lay them out.
Result DecodeRunLength(Bytes f, const BmpHeader& h, std::vector<uint8_t>& indexes) {
  indexes.assign(size_t(h.width) * h.height, 0);
  const bool four = h.compression == kRle4;
  uint64_t at = h.pixelOffset;
  uint32_t x = 0, y = 0;
  auto put = [&](uint32_t value) {
    if (x >= h.width || y >= h.height) return false;  // a run past the end of its row
    indexes[size_t(y) * h.width + x++] = uint8_t(value);
    return true;
  };
  while (true) {
    if (!f.Has(at, 2)) return kInvalidData;
    const uint32_t count = f.U8(at), value = f.U8(at + 1);
    at += 2;
    if (count > 0) {
      for (uint32_t i = 0; i < count; ++i)
        if (!put(four ? (i & 1 ? value & 0xF : value >> 4) : value)) return kInvalidData;
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      return gfx::kOk;
    } else if (value == 2) {
      if (!f.Has(at, 2)) return kInvalidData;
      x += f.U8(at);
      y += f.U8(at + 1);
      at += 2;
    } else {
      const uint64_t bytes = four ? (value + 1) / 2 : value;
      if (!f.Has(at, bytes)) return kInvalidData;
      for (uint32_t i = 0; i < value; ++i) {
        uint32_t b = f.U8(at + (four ? i / 2 : i));
        if (!put(four ? (i & 1 ? b & 0xF : b >> 4) : b)) return kInvalidData;
      }
      at += (bytes + 1) & ~uint64_t(1);  // absolute runs are padded to 16 bits
    }
  }
}

Result DecodePixels(Bytes f, const BmpHeader& h, Picture& out) {
  std::vector<uint32_t> palette(h.paletteCount);
  for (uint32_t i = 0; i < h.paletteCount; ++i) {
    uint64_t e = h.paletteOffset + uint64_t(i) * h.paletteEntryBytes;
    palette[i] = 0xFF000000u | uint32_t(f.U8(e + 2)) << 16 | uint32_t(f.U8(e + 1)) << 8 | f.U8(e);
  }
  out = Picture(h.width, h.height);
  auto destRow = [&](uint32_t fileRow) { return out.Row(h.topDown ? fileRow : h.height - 1 - fileRow); };

  if (h.compression == kRle8 || h.compression == kRle4) {
    std::vector<uint8_t> indexes;
    if (Result r = DecodeRunLength(f, h, indexes); gfx::Failed(r)) return r;
    for (uint32_t y = 0; y < h.height; ++y)
      for (uint32_t x = 0; x < h.width; ++x) {
        uint8_t i = indexes[size_t(y) * h.width + x];
        if (i >= h.paletteCount) return kInvalidData;
        destRow(y)[x] = palette[i];
      }
    return gfx::kOk;
  }

  const uint64_t stride = RowStride(h);
  const MaskChannel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]), alpha(h.masks[3]);
  for (uint32_t y = 0; y < h.height; ++y) {
    const uint8_t* row = f.data + h.pixelOffset + stride * y;
    uint32_t* dst = destRow(y);
    for (uint32_t x = 0; x < h.width; ++x) {
      if (h.bpp <= 8) {
        const uint32_t perByte = 8 / h.bpp, bit = (perByte - 1 - x % perByte) * h.bpp;
        const uint32_t index = row[x / perByte] >> bit & ((1u << h.bpp) - 1);
        if (index >= h.paletteCount) return kInvalidData;
        dst[x] = palette[index];
      } else if (h.bpp == 24) {
        const uint8_t* p = row + 3 * x;
        dst[x] = 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
      } else {
        const uint8_t* p = row + x * (h.bpp / 8);
        uint32_t v = h.bpp == 16 ? uint32_t(p[0] | p[1] << 8)
                                 : uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
        dst[x] = alpha.Get(v, 255) << 24 | red.Get(v, 0) << 16 | green.Get(v, 0) << 8 | blue.Get(v, 0);
      }
    }
  }
  return gfx::kOk;
}

}  // namespace

Result ReadBmp(Bytes file, bool decode, PictureFile& out) {
  BmpHeader h;
  if (Result r = ParseHeader(file, h); gfx::Failed(r)) return r;
  out.info = {.width = h.width, .height = h.height, .format = FileFormat(h), .imageFileFormat = IFF_BMP};
  if (!decode) return gfx::kOk;
  out.images.resize(1);
  return DecodePixels(file, h, out.images[0]);
}

}  // namespace platform::d3dx
