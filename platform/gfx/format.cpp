#include "platform/gfx/format.h"

#include <cmath>
#include <cstring>

#include "platform/gfx/types.h"

namespace platform::gfx::format {
namespace {

constexpr GLenum kArgbUpload = 0;

struct Entry {
  uint32_t format;
  Info info;
};

// texture, renderTarget, depth
const Entry kFormats[] = {
    {FMT_R8G8B8, {3, 0, false, true, true, false, GL_RGB8, GL_BGR, GL_UNSIGNED_BYTE}},
    {FMT_A8R8G8B8, {4, 0, true, true, true, false, GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV}},
    {FMT_X8R8G8B8, {4, 0, false, true, true, false, GL_RGB8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV}},
    {FMT_R5G6B5, {2, 0, false, true, true, false, GL_RGB8, GL_RGB, GL_UNSIGNED_SHORT_5_6_5}},
    {FMT_X1R5G5B5, {2, 0, false, true, true, false, GL_RGB8, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV}},
    {FMT_A1R5G5B5, {2, 0, true, true, true, false, GL_RGBA8, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV}},
    {FMT_A4R4G4B4, {2, 0, true, true, true, false, GL_RGBA8, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV}},
    {FMT_R3G3B2, {1, 0, false, true, false, false, GL_RGB8, GL_RGB, GL_UNSIGNED_BYTE_3_3_2}},
    {FMT_A8, {1, 0, true, true, false, false, GL_ALPHA8, GL_ALPHA, GL_UNSIGNED_BYTE}},
    {FMT_A8R3G3B2, {2, 0, true, true, false, false, GL_RGBA8, kArgbUpload, 0}},
    {FMT_X4R4G4B4, {2, 0, false, true, true, false, GL_RGB8, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV}},
    {FMT_A2B10G10R10, {4, 0, true, true, false, false, GL_RGB10_A2, GL_RGBA, GL_UNSIGNED_INT_2_10_10_10_REV}},
    {FMT_A8B8G8R8, {4, 0, true, true, true, false, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE}},
    {FMT_X8B8G8R8, {4, 0, false, true, true, false, GL_RGB8, GL_RGBA, GL_UNSIGNED_BYTE}},
    {FMT_G16R16, {4, 0, false, true, false, false, GL_RGB8, kArgbUpload, 0}},
    {FMT_A2R10G10B10, {4, 0, true, true, false, false, GL_RGB10_A2, GL_BGRA, GL_UNSIGNED_INT_2_10_10_10_REV}},
    {FMT_A16B16G16R16, {8, 0, true, true, false, false, GL_RGBA16, GL_RGBA, GL_UNSIGNED_SHORT}},
    {FMT_L8, {1, 0, false, true, false, false, GL_LUMINANCE8, GL_LUMINANCE, GL_UNSIGNED_BYTE}},
    {FMT_A8L8, {2, 0, true, true, false, false, GL_LUMINANCE8_ALPHA8, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE}},
    {FMT_A4L4, {1, 0, true, true, false, false, GL_RGBA8, kArgbUpload, 0}},
    {FMT_L16, {2, 0, false, true, false, false, GL_LUMINANCE16, GL_LUMINANCE, GL_UNSIGNED_SHORT}},
    {FMT_A16B16G16R16F, {8, 0, true, true, false, false, GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT}},
    {FMT_A32B32G32R32F, {16, 0, true, true, false, false, GL_RGBA32F, GL_RGBA, GL_FLOAT}},
    {FMT_DXT1, {0, 8, true, true, false, false, GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 0, 0}},
    {FMT_DXT2, {0, 16, true, true, false, false, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0}},
    {FMT_DXT3, {0, 16, true, true, false, false, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0}},
    {FMT_DXT4, {0, 16, true, true, false, false, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0}},
    {FMT_DXT5, {0, 16, true, true, false, false, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0}},
    {FMT_D24S8, {4, 0, false, false, false, true, GL_DEPTH24_STENCIL8, 0, 0}},
    {FMT_D24X8, {4, 0, false, false, false, true, GL_DEPTH_COMPONENT24, 0, 0}},
    {FMT_D16, {2, 0, false, false, false, true, GL_DEPTH_COMPONENT16, 0, 0}},
    {FMT_D32, {4, 0, false, false, false, true, GL_DEPTH_COMPONENT32, 0, 0}},
};

inline uint32_t Expand(uint32_t v, int bits) {
  // Replicates the top bits so that the largest value becomes 255.
  uint32_t max = (1u << bits) - 1;
  return (v * 255 + max / 2) / max;
}
inline uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return a << 24 | r << 16 | g << 8 | b; }
inline uint16_t Load16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t Load32(const uint8_t* p) { uint32_t v; std::memcpy(&v, p, 4); return v; }
inline void Store16(uint8_t* p, uint32_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
inline void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

float HalfToFloat(uint16_t h) {
  uint32_t sign = h >> 15, exp = (h >> 10) & 31, man = h & 1023;
  float v = exp == 0 ? std::ldexp(float(man), -24) : exp == 31 ? INFINITY : std::ldexp(float(man | 1024), int(exp) - 25);
  return sign ? -v : v;
}
uint16_t FloatToHalf(float f) {
  uint32_t sign = std::signbit(f) ? 0x8000 : 0;
  f = std::fabs(f);
  if (f >= 65504.0f) return uint16_t(sign | 0x7BFF);
  if (f < 6.1035e-5f) return uint16_t(sign | uint32_t(std::lround(f * 16777216.0f)));
  int e;
  float m = std::frexp(f, &e);  // f = m * 2^e, m in [0.5, 1)
  uint32_t man = uint32_t(std::lround((m * 2.0f - 1.0f) * 1024.0f));
  uint32_t exp = uint32_t(e - 1 + 15);
  if (man == 1024) { man = 0; ++exp; }
  return uint16_t(sign | exp << 10 | man);
}
inline uint32_t UnitToByte(float f) { return f <= 0 ? 0 : f >= 1 ? 255 : uint32_t(f * 255.0f + 0.5f); }

}  // namespace

const Info* Find(uint32_t format) {
  for (const Entry& e : kFormats)
    if (e.format == format) return &e.info;
  return nullptr;
}

bool IsBackBufferFormat(uint32_t format) {
  return format == FMT_X8R8G8B8 || format == FMT_A8R8G8B8 || format == FMT_R5G6B5 || format == FMT_X1R5G5B5 ||
         format == FMT_A1R5G5B5;
}

uint32_t Pitch(const Info& info, uint32_t width) {
  if (info.blockBytes) return (width + 3) / 4 * info.blockBytes;
  return width * info.bytesPerPixel;
}

uint32_t StorageRows(const Info& info, uint32_t height) { return info.blockBytes ? (height + 3) / 4 : height; }

uint32_t FullChainLevels(uint32_t width, uint32_t height) {
  uint32_t levels = 1;
  while (width > 1 || height > 1) {
    width = width > 1 ? width / 2 : 1;
    height = height > 1 ? height / 2 : 1;
    ++levels;
  }
  return levels;
}

bool ToArgb(uint32_t format, const uint8_t* s, uint32_t* d, uint32_t n) {
  switch (format) {
    case FMT_A8R8G8B8: std::memcpy(d, s, n * 4); return true;
    case FMT_X8R8G8B8: for (uint32_t i = 0; i < n; ++i) d[i] = Load32(s + 4 * i) | 0xFF000000u; return true;
    case FMT_R8G8B8: for (uint32_t i = 0; i < n; ++i, s += 3) d[i] = Argb(255, s[2], s[1], s[0]); return true;
    case FMT_R5G6B5:
      for (uint32_t i = 0; i < n; ++i) {
        uint32_t v = Load16(s + 2 * i);
        d[i] = Argb(255, Expand(v >> 11, 5), Expand((v >> 5) & 63, 6), Expand(v & 31, 5));
      }
      return true;
    case FMT_X1R5G5B5:
    case FMT_A1R5G5B5:
      for (uint32_t i = 0; i < n; ++i) {
        uint32_t v = Load16(s + 2 * i);
        uint32_t a = format == FMT_X1R5G5B5 || (v & 0x8000) ? 255 : 0;
        d[i] = Argb(a, Expand((v >> 10) & 31, 5), Expand((v >> 5) & 31, 5), Expand(v & 31, 5));
      }
      return true;
    case FMT_A4R4G4B4:
    case FMT_X4R4G4B4:
      for (uint32_t i = 0; i < n; ++i) {
        uint32_t v = Load16(s + 2 * i);
        uint32_t a = format == FMT_X4R4G4B4 ? 255 : (v >> 12) * 17;
        d[i] = Argb(a, ((v >> 8) & 15) * 17, ((v >> 4) & 15) * 17, (v & 15) * 17);
      }
      return true;
    case FMT_R3G3B2:
      for (uint32_t i = 0; i < n; ++i) d[i] = Argb(255, Expand(s[i] >> 5, 3), Expand((s[i] >> 2) & 7, 3), Expand(s[i] & 3, 2));
      return true;
    case FMT_A8R3G3B2:
      for (uint32_t i = 0; i < n; ++i) {
        uint32_t v = Load16(s + 2 * i);
        d[i] = Argb(v >> 8, Expand((v >> 5) & 7, 3), Expand((v >> 2) & 7, 3), Expand(v & 3, 2));
      }
      return true;
    case FMT_A8: for (uint32_t i = 0; i < n; ++i) d[i] = uint32_t(s[i]) << 24; return true;
    case FMT_A8B8G8R8:
    case FMT_X8B8G8R8:
      for (uint32_t i = 0; i < n; ++i, s += 4) d[i] = Argb(format == FMT_X8B8G8R8 ? 255 : s[3], s[0], s[1], s[2]);
      return true;
    case FMT_A2B10G10R10:
    case FMT_A2R10G10B10:
      for (uint32_t i = 0; i < n; ++i) {
        uint32_t v = Load32(s + 4 * i);
        uint32_t lo = (v & 1023) >> 2, mid = ((v >> 10) & 1023) >> 2, hi = ((v >> 20) & 1023) >> 2;
        uint32_t a = (v >> 30) * 85;
        d[i] = format == FMT_A2R10G10B10 ? Argb(a, hi, mid, lo) : Argb(a, lo, mid, hi);
      }
      return true;
    case FMT_G16R16:
      for (uint32_t i = 0; i < n; ++i) d[i] = Argb(255, Load16(s + 4 * i) >> 8, Load16(s + 4 * i + 2) >> 8, 255);
      return true;
    case FMT_A16B16G16R16:
      for (uint32_t i = 0; i < n; ++i, s += 8) d[i] = Argb(Load16(s + 6) >> 8, Load16(s) >> 8, Load16(s + 2) >> 8, Load16(s + 4) >> 8);
      return true;
    case FMT_L8: for (uint32_t i = 0; i < n; ++i) d[i] = Argb(255, s[i], s[i], s[i]); return true;
    case FMT_A8L8: for (uint32_t i = 0; i < n; ++i, s += 2) d[i] = Argb(s[1], s[0], s[0], s[0]); return true;
    case FMT_A4L4:
      for (uint32_t i = 0; i < n; ++i) {
        uint32_t l = (s[i] & 15) * 17;
        d[i] = Argb((s[i] >> 4) * 17, l, l, l);
      }
      return true;
    case FMT_L16:
      for (uint32_t i = 0; i < n; ++i) {
        uint32_t l = Load16(s + 2 * i) >> 8;
        d[i] = Argb(255, l, l, l);
      }
      return true;
    case FMT_A16B16G16R16F:
      for (uint32_t i = 0; i < n; ++i, s += 8)
        d[i] = Argb(UnitToByte(HalfToFloat(Load16(s + 6))), UnitToByte(HalfToFloat(Load16(s))),
                    UnitToByte(HalfToFloat(Load16(s + 2))), UnitToByte(HalfToFloat(Load16(s + 4))));
      return true;
    case FMT_A32B32G32R32F:
      for (uint32_t i = 0; i < n; ++i, s += 16) {
        float f[4];
        std::memcpy(f, s, 16);
        d[i] = Argb(UnitToByte(f[3]), UnitToByte(f[0]), UnitToByte(f[1]), UnitToByte(f[2]));
      }
      return true;
    default: return false;
  }
}

bool FromArgb(uint32_t format, const uint32_t* s, uint8_t* d, uint32_t n) {
  auto a = [](uint32_t c) { return c >> 24; };
  auto r = [](uint32_t c) { return (c >> 16) & 255; };
  auto g = [](uint32_t c) { return (c >> 8) & 255; };
  auto b = [](uint32_t c) { return c & 255; };
  switch (format) {
    case FMT_A8R8G8B8:
    case FMT_X8R8G8B8: std::memcpy(d, s, n * 4); return true;
    case FMT_R8G8B8: for (uint32_t i = 0; i < n; ++i, d += 3) { d[0] = uint8_t(b(s[i])); d[1] = uint8_t(g(s[i])); d[2] = uint8_t(r(s[i])); } return true;
    case FMT_R5G6B5: for (uint32_t i = 0; i < n; ++i) Store16(d + 2 * i, (r(s[i]) >> 3) << 11 | (g(s[i]) >> 2) << 5 | b(s[i]) >> 3); return true;
    case FMT_X1R5G5B5:
    case FMT_A1R5G5B5:
      for (uint32_t i = 0; i < n; ++i) {
        uint32_t top = format == FMT_X1R5G5B5 || a(s[i]) >= 128 ? 0x8000 : 0;
        Store16(d + 2 * i, top | (r(s[i]) >> 3) << 10 | (g(s[i]) >> 3) << 5 | b(s[i]) >> 3);
      }
      return true;
    case FMT_A4R4G4B4:
    case FMT_X4R4G4B4:
      for (uint32_t i = 0; i < n; ++i) {
        uint32_t top = format == FMT_X4R4G4B4 ? 0xF000 : (a(s[i]) >> 4) << 12;
        Store16(d + 2 * i, top | (r(s[i]) >> 4) << 8 | (g(s[i]) >> 4) << 4 | b(s[i]) >> 4);
      }
      return true;
    case FMT_R3G3B2: for (uint32_t i = 0; i < n; ++i) d[i] = uint8_t((r(s[i]) >> 5) << 5 | (g(s[i]) >> 5) << 2 | b(s[i]) >> 6); return true;
    case FMT_A8R3G3B2: for (uint32_t i = 0; i < n; ++i) Store16(d + 2 * i, a(s[i]) << 8 | (r(s[i]) >> 5) << 5 | (g(s[i]) >> 5) << 2 | b(s[i]) >> 6); return true;
    case FMT_A8: for (uint32_t i = 0; i < n; ++i) d[i] = uint8_t(a(s[i])); return true;
    case FMT_A8B8G8R8:
    case FMT_X8B8G8R8:
      for (uint32_t i = 0; i < n; ++i, d += 4) { d[0] = uint8_t(r(s[i])); d[1] = uint8_t(g(s[i])); d[2] = uint8_t(b(s[i])); d[3] = uint8_t(format == FMT_X8B8G8R8 ? 255 : a(s[i])); }
      return true;
    case FMT_A2B10G10R10:
    case FMT_A2R10G10B10:
      for (uint32_t i = 0; i < n; ++i) {
        auto ten = [](uint32_t v) { return v << 2 | v >> 6; };
        uint32_t lo = format == FMT_A2R10G10B10 ? b(s[i]) : r(s[i]);
        uint32_t hi = format == FMT_A2R10G10B10 ? r(s[i]) : b(s[i]);
        Store32(d + 4 * i, (a(s[i]) >> 6) << 30 | ten(hi) << 20 | ten(g(s[i])) << 10 | ten(lo));
      }
      return true;
    case FMT_G16R16: for (uint32_t i = 0; i < n; ++i) { Store16(d + 4 * i, r(s[i]) * 257); Store16(d + 4 * i + 2, g(s[i]) * 257); } return true;
    case FMT_A16B16G16R16:
      for (uint32_t i = 0; i < n; ++i, d += 8) { Store16(d, r(s[i]) * 257); Store16(d + 2, g(s[i]) * 257); Store16(d + 4, b(s[i]) * 257); Store16(d + 6, a(s[i]) * 257); }
      return true;
    case FMT_L8: for (uint32_t i = 0; i < n; ++i) d[i] = uint8_t(r(s[i])); return true;
    case FMT_A8L8: for (uint32_t i = 0; i < n; ++i, d += 2) { d[0] = uint8_t(r(s[i])); d[1] = uint8_t(a(s[i])); } return true;
    case FMT_A4L4: for (uint32_t i = 0; i < n; ++i) d[i] = uint8_t((a(s[i]) >> 4) << 4 | r(s[i]) >> 4); return true;
    case FMT_L16: for (uint32_t i = 0; i < n; ++i) Store16(d + 2 * i, r(s[i]) * 257); return true;
    case FMT_A16B16G16R16F:
      for (uint32_t i = 0; i < n; ++i, d += 8) {
        Store16(d, FloatToHalf(r(s[i]) / 255.0f)); Store16(d + 2, FloatToHalf(g(s[i]) / 255.0f));
        Store16(d + 4, FloatToHalf(b(s[i]) / 255.0f)); Store16(d + 6, FloatToHalf(a(s[i]) / 255.0f));
      }
      return true;
    case FMT_A32B32G32R32F:
      for (uint32_t i = 0; i < n; ++i, d += 16) {
        float f[4] = {r(s[i]) / 255.0f, g(s[i]) / 255.0f, b(s[i]) / 255.0f, a(s[i]) / 255.0f};
        std::memcpy(d, f, 16);
      }
      return true;
    default: return false;
  }
}

}  // namespace platform::gfx::format
