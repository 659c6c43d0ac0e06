// DDS: uncompressed pixels described by bit masks or by a format number, and DXT1 to DXT5 blocks;
// mip levels and cube maps. Volume pictures are described but not decoded.
#include <algorithm>
#include <bit>

#include "platform/d3dx/pictures/picture_readers.h"
#include "platform/d3dx/pictures/pixel_formats.h"

namespace platform::d3dx {
namespace {

enum : uint32_t {
  kHeaderBytes = 128,  // magic and header
  kFlagMipMapCount = 0x20000,
  kPixelAlphaPixels = 0x1, kPixelAlpha = 0x2, kPixelFourCC = 0x4, kPixelRgb = 0x40, kPixelLuminance = 0x20000,
  kCaps2CubeMap = 0x200, kCaps2AllFaces = 0xFC00, kCaps2Volume = 0x200000,
};

struct DdsHeader {
  uint32_t width = 0, height = 0, depth = 1, levels = 1, faces = 1;
  bool volume = false;
  gfx::Format format = gfx::FMT_UNKNOWN;  // what the file holds (reported)
  bool byMasks = false;                   // decoded through the masks below, else by `format`
  uint32_t maskBits = 0;
  uint32_t masks[4] = {0, 0, 0, 0};       // red (or luminance), green, blue, alpha
  bool luminance = false;
};

struct MaskFormat {
  uint32_t bits, r, g, b, a;
  gfx::Format format;
};
constexpr MaskFormat kMaskFormats[] = {
    {32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, gfx::FMT_A8R8G8B8},
    {32, 0xFF0000, 0xFF00, 0xFF, 0, gfx::FMT_X8R8G8B8},
    {32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000, gfx::FMT_A8B8G8R8},
    {32, 0xFF, 0xFF00, 0xFF0000, 0, gfx::FMT_X8B8G8R8},
    {32, 0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000, gfx::FMT_A2B10G10R10},
    {32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000, gfx::FMT_A2R10G10B10},
    {32, 0xFFFF, 0xFFFF0000, 0, 0, gfx::FMT_G16R16},
    {24, 0xFF0000, 0xFF00, 0xFF, 0, gfx::FMT_R8G8B8},
    {16, 0xF800, 0x7E0, 0x1F, 0, gfx::FMT_R5G6B5},
    {16, 0x7C00, 0x3E0, 0x1F, 0, gfx::FMT_X1R5G5B5},
    {16, 0x7C00, 0x3E0, 0x1F, 0x8000, gfx::FMT_A1R5G5B5},
    {16, 0xF00, 0xF0, 0xF, 0xF000, gfx::FMT_A4R4G4B4},
    {16, 0xF00, 0xF0, 0xF, 0, gfx::FMT_X4R4G4B4},
    {16, 0xE0, 0x1C, 0x3, 0xFF00, gfx::FMT_A8R3G3B2},
    {8, 0xE0, 0x1C, 0x3, 0, gfx::FMT_R3G3B2},
};

gfx::Format ReportedMaskFormat(const DdsHeader& h) {
  const uint32_t* m = h.masks;
  if (h.luminance) {
    if (h.maskBits == 8) return m[3] ? gfx::FMT_A4L4 : gfx::FMT_L8;
    return m[3] ? gfx::FMT_A8L8 : gfx::FMT_L16;
  }
  if (!m[0] && !m[1] && !m[2]) return gfx::FMT_A8;
  for (const MaskFormat& f : kMaskFormats)
    if (f.bits == h.maskBits && f.r == m[0] && f.g == m[1] && f.b == m[2] && f.a == m[3]) return f.format;
  return m[3] ? gfx::FMT_A8R8G8B8 : gfx::FMT_X8R8G8B8;
}

Result ParsePixelFormat(Bytes f, DdsHeader& h) {
  const uint32_t flags = f.U32(80), fourCC = f.U32(84);
  if (flags & kPixelFourCC) {
    h.format = gfx::Format(fourCC);
    // Besides the DXT codes, a file may name a plain format by its number.
    return IsConvertibleFormat(h.format) ? gfx::kOk : kInvalidData;
  }
  if (!(flags & (kPixelRgb | kPixelLuminance | kPixelAlpha))) return kInvalidData;
  h.byMasks = true;
  h.maskBits = f.U32(88);
  if (h.maskBits != 8 && h.maskBits != 16 && h.maskBits != 24 && h.maskBits != 32) return kInvalidData;
  h.luminance = (flags & kPixelLuminance) != 0;
  h.masks[0] = (flags & (kPixelRgb | kPixelLuminance)) ? f.U32(92) : 0;
  h.masks[1] = (flags & kPixelRgb) ? f.U32(96) : 0;
  h.masks[2] = (flags & kPixelRgb) ? f.U32(100) : 0;
  h.masks[3] = (flags & (kPixelAlphaPixels | kPixelAlpha)) ? f.U32(104) : 0;
  h.format = ReportedMaskFormat(h);
  return gfx::kOk;
}

uint64_t LevelBytes(const DdsHeader& h, uint32_t w, uint32_t ht) {
  return h.byMasks ? uint64_t(w) * ht * (h.maskBits / 8) : FormatSurfaceBytes(h.format, w, ht);
}

uint32_t Shrunk(uint32_t size, uint32_t level) { return std::max(1u, size >> level); }

Result ParseHeader(Bytes f, DdsHeader& h) {
  if (!f.Has(0, kHeaderBytes) || f.U32(4) != 124 || f.U32(76) != 32) return kInvalidData;
  h.height = f.U32(12);
  h.width = f.U32(16);
  if (gfx::Failed(CheckPictureSize(h.width, h.height))) return kInvalidData;
  const uint32_t caps2 = f.U32(112);
  if (caps2 & kCaps2Volume) {
    h.volume = true;
    h.depth = std::max(1u, f.U32(24));
    if (h.depth > kMaxPictureSide) return kInvalidData;
  }
  if (caps2 & kCaps2CubeMap) {
    if ((caps2 & kCaps2AllFaces) != kCaps2AllFaces || h.volume) return kInvalidData;  // only whole cubes
    h.faces = 6;
  }
  const uint32_t mipCount = f.U32(28);
  if ((f.U32(8) & kFlagMipMapCount) && mipCount > 1) {
    if (mipCount > uint32_t(std::bit_width(std::max({h.width, h.height, h.depth})))) return kInvalidData;
    h.levels = mipCount;
  }
  if (Result r = ParsePixelFormat(f, h); gfx::Failed(r)) return r;
  uint64_t total = 0;
  for (uint32_t level = 0; level < h.levels; ++level)
    total += LevelBytes(h, Shrunk(h.width, level), Shrunk(h.height, level)) * Shrunk(h.depth, level);
  return f.Has(kHeaderBytes, total * h.faces) ? gfx::kOk : kInvalidData;
}

void DecodeByMasks(const DdsHeader& h, const uint8_t* data, Picture& out) {
  const MaskChannel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]), alpha(h.masks[3]);
  const uint32_t bytes = h.maskBits / 8;
  for (uint32_t& pixel : out.pixels) {
    uint32_t v = 0;
    for (uint32_t i = 0; i < bytes; ++i) v |= uint32_t(data[i]) << (8 * i);
    data += bytes;
    const uint32_t r = red.Get(v, 0);
    pixel = alpha.Get(v, 255) << 24 | r << 16 | (h.luminance ? r * 0x101u : (green.Get(v, 0) << 8 | blue.Get(v, 0)));
  }
}

}  // namespace

Result ReadDds(Bytes file, bool decode, PictureFile& out) {
  DdsHeader h;
  if (Result r = ParseHeader(file, h); gfx::Failed(r)) return r;
  const gfx::ResourceType type = h.volume ? gfx::RTYPE_VOLUMETEXTURE : h.faces == 6 ? gfx::RTYPE_CUBETEXTURE : gfx::RTYPE_TEXTURE;
  out.info = {h.width, h.height, h.depth, h.levels, h.format, type, IFF_DDS};
  if (!decode) return gfx::kOk;
  if (h.volume) return kInvalidData;

  out.faces = h.faces;
  out.levels = h.levels;
  out.images.resize(size_t(h.faces) * h.levels);
  const uint8_t* data = file.data + kHeaderBytes;
  for (uint32_t face = 0; face < h.faces; ++face)
    for (uint32_t level = 0; level < h.levels; ++level) {
      const uint32_t w = Shrunk(h.width, level), ht = Shrunk(h.height, level);
      Picture& image = out.images[size_t(face) * h.levels + level];
      if (h.byMasks) {
        image = Picture(w, ht);
        DecodeByMasks(h, data, image);
      } else {
        ReadPixels(h.format, data, FormatRowBytes(h.format, w), w, ht, image);
      }
      data += LevelBytes(h, w, ht);
    }
  return gfx::kOk;
}

}  // namespace platform::d3dx
