#include "platform/d3dx/pictures/pixel_formats.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3dx/pictures/dxt_blocks.h"

namespace platform::d3dx {
namespace {

using gfx::Format;

struct Channel {
  uint8_t shift, bits;  // bits 0: the format has no such channel
};

// A plain format: little-endian pixel words of `bytes` bytes with these channels. A luminance
// channel stands for red, green and blue at once.
struct PlainFormat {
  Format format;
  uint8_t bytes;
  Channel a, r, g, b, l;
};

constexpr Channel kNone{0, 0};
constexpr PlainFormat kPlainFormats[] = {
    {gfx::FMT_A8R8G8B8, 4, {24, 8}, {16, 8}, {8, 8}, {0, 8}, kNone},
    {gfx::FMT_X8R8G8B8, 4, kNone, {16, 8}, {8, 8}, {0, 8}, kNone},
    {gfx::FMT_R8G8B8, 3, kNone, {16, 8}, {8, 8}, {0, 8}, kNone},
    {gfx::FMT_R5G6B5, 2, kNone, {11, 5}, {5, 6}, {0, 5}, kNone},
    {gfx::FMT_X1R5G5B5, 2, kNone, {10, 5}, {5, 5}, {0, 5}, kNone},
    {gfx::FMT_A1R5G5B5, 2, {15, 1}, {10, 5}, {5, 5}, {0, 5}, kNone},
    {gfx::FMT_A4R4G4B4, 2, {12, 4}, {8, 4}, {4, 4}, {0, 4}, kNone},
    {gfx::FMT_X4R4G4B4, 2, kNone, {8, 4}, {4, 4}, {0, 4}, kNone},
    {gfx::FMT_R3G3B2, 1, kNone, {5, 3}, {2, 3}, {0, 2}, kNone},
    {gfx::FMT_A8, 1, {0, 8}, kNone, kNone, kNone, kNone},
    {gfx::FMT_A8R3G3B2, 2, {8, 8}, {5, 3}, {2, 3}, {0, 2}, kNone},
    {gfx::FMT_A2B10G10R10, 4, {30, 2}, {0, 10}, {10, 10}, {20, 10}, kNone},
    {gfx::FMT_A8B8G8R8, 4, {24, 8}, {0, 8}, {8, 8}, {16, 8}, kNone},
    {gfx::FMT_X8B8G8R8, 4, kNone, {0, 8}, {8, 8}, {16, 8}, kNone},
    {gfx::FMT_G16R16, 4, kNone, {0, 16}, {16, 16}, kNone, kNone},
    {gfx::FMT_A2R10G10B10, 4, {30, 2}, {20, 10}, {10, 10}, {0, 10}, kNone},
    {gfx::FMT_A16B16G16R16, 8, {48, 16}, {0, 16}, {16, 16}, {32, 16}, kNone},
    {gfx::FMT_L8, 1, kNone, kNone, kNone, kNone, {0, 8}},
    {gfx::FMT_A8L8, 2, {8, 8}, kNone, kNone, kNone, {0, 8}},
    {gfx::FMT_A4L4, 1, {4, 4}, kNone, kNone, kNone, {0, 4}},
    {gfx::FMT_L16, 2, kNone, kNone, kNone, kNone, {0, 16}},
};

const PlainFormat* FindPlain(Format format) {
  for (const PlainFormat& p : kPlainFormats)
    if (p.format == format) return &p;
  return nullptr;
}

uint32_t Extract(uint64_t word, Channel c) {
  return uint32_t((word >> c.shift) & ((uint64_t(1) << c.bits) - 1));
}
uint64_t Insert(uint32_t value8, Channel c) {
  return c.bits ? uint64_t(ScaleFrom8(value8, c.bits)) << c.shift : 0;
}

uint32_t PlainToArgb(const PlainFormat& f, uint64_t word) {
  uint32_t a = f.a.bits ? ScaleTo8(Extract(word, f.a), f.a.bits) : 255;
  uint32_t r, g, b;
  if (f.l.bits) {
    r = g = b = ScaleTo8(Extract(word, f.l), f.l.bits);
  } else {
    r = f.r.bits ? ScaleTo8(Extract(word, f.r), f.r.bits) : 0;
    g = f.g.bits ? ScaleTo8(Extract(word, f.g), f.g.bits) : 0;
    b = f.b.bits ? ScaleTo8(Extract(word, f.b), f.b.bits) : 0;
  }
  return a << 24 | r << 16 | g << 8 | b;
}

uint64_t ArgbToPlain(const PlainFormat& f, uint32_t argb) {
  uint64_t word = 0;
  // Bits a format leaves unused (the X of X8R8G8B8) are written as ones.
  uint32_t usedBits = f.a.bits + f.r.bits + f.g.bits + f.b.bits + f.l.bits;
  if (!f.a.bits && usedBits < f.bytes * 8u) word = ~uint64_t(0) << usedBits;
  if (f.bytes < 8) word &= (uint64_t(1) << (f.bytes * 8)) - 1;
  word |= Insert(argb >> 24, f.a);
  if (f.l.bits) return word | Insert(LuminanceOf(argb), f.l);
  return word | Insert(argb >> 16 & 0xFF, f.r) | Insert(argb >> 8 & 0xFF, f.g) | Insert(argb & 0xFF, f.b);
}

uint64_t LoadWord(const uint8_t* p, uint32_t bytes) {
  uint64_t w = 0;
  for (uint32_t i = 0; i < bytes; ++i) w |= uint64_t(p[i]) << (8 * i);
  return w;
}
void StoreWord(uint8_t* p, uint32_t bytes, uint64_t w) {
  for (uint32_t i = 0; i < bytes; ++i) p[i] = uint8_t(w >> (8 * i));
}

// Floating-point formats: red, green, blue, alpha in that order, 16-bit halves or 32-bit floats.
uint32_t FloatChannelBytes(Format format) {
  return format == gfx::FMT_A16B16G16R16F ? 2 : format == gfx::FMT_A32B32G32R32F ? 4 : 0;
}

float HalfToFloat(uint32_t h) {
  const uint32_t exponent = h >> 10 & 0x1F, mantissa = h & 0x3FF;
  float value = exponent == 0    ? std::ldexp(float(mantissa), -24)
                : exponent == 31 ? (mantissa ? NAN : INFINITY)
                                 : std::ldexp(float(mantissa | 0x400), int(exponent) - 25);
  return (h & 0x8000) ? -value : value;
}

// Only values from 0 to 1 are written: they are exact enough as normal halves (or zero).
uint16_t UnitToHalf(float f) {
  if (f <= 0) return 0;
  int exponent;
  const float m = std::frexp(f, &exponent);  // f = m * 2^exponent, m in [0.5, 1)
  if (exponent < -13) return 0;
  uint32_t mantissa = uint32_t(std::lround((m * 2 - 1) * 1024));
  uint32_t biased = uint32_t(exponent - 1 + 15);
  if (mantissa == 1024) mantissa = 0, ++biased;
  return uint16_t(biased << 10 | mantissa);
}

float LoadFloatChannel(const uint8_t* p, uint32_t bytes) {
  if (bytes == 2) return HalfToFloat(uint32_t(p[0] | p[1] << 8));
  float f;
  std::memcpy(&f, p, 4);
  return f;
}

void StoreFloatChannel(uint8_t* p, uint32_t bytes, uint32_t value8) {
  const float f = value8 / 255.0f;
  if (bytes == 2) {
    const uint16_t h = UnitToHalf(f);
    p[0] = uint8_t(h), p[1] = uint8_t(h >> 8);
  } else {
    std::memcpy(p, &f, 4);
  }
}

uint32_t FloatToArgb(const uint8_t* p, uint32_t bytes) {
  uint32_t argb = 0;
  for (int c = 0; c < 4; ++c) {
    const float f = LoadFloatChannel(p + c * bytes, bytes);
    const uint32_t v = std::isnan(f) ? 0 : uint32_t(std::lround(std::clamp(f, 0.0f, 1.0f) * 255));
    argb |= v << (c == 3 ? 24 : 16 - 8 * c);
  }
  return argb;
}

void ArgbToFloat(uint32_t argb, uint8_t* p, uint32_t bytes) {
  for (int c = 0; c < 4; ++c) StoreFloatChannel(p + c * bytes, bytes, argb >> (c == 3 ? 24 : 16 - 8 * c) & 0xFF);
}

}  // namespace

uint8_t LuminanceOf(uint32_t argb) {
  uint32_t r = argb >> 16 & 0xFF, g = argb >> 8 & 0xFF, b = argb & 0xFF;
  return uint8_t((77 * r + 150 * g + 29 * b + 128) >> 8);
}

bool IsBlockFormat(Format format) {
  return format == gfx::FMT_DXT1 || format == gfx::FMT_DXT2 || format == gfx::FMT_DXT3 ||
         format == gfx::FMT_DXT4 || format == gfx::FMT_DXT5;
}

bool IsConvertibleFormat(Format format) {
  return FindPlain(format) || IsBlockFormat(format) || FloatChannelBytes(format);
}

uint32_t FormatBits(Format format) {
  if (const PlainFormat* p = FindPlain(format)) return p->bytes * 8u;
  if (format == gfx::FMT_DXT1) return 4;
  if (IsBlockFormat(format)) return 8;
  if (format == gfx::FMT_P8) return 8;
  return FloatChannelBytes(format) * 32;
}

bool FormatHasAlpha(Format format) {
  if (const PlainFormat* p = FindPlain(format)) return p->a.bits != 0;
  return IsBlockFormat(format) || FloatChannelBytes(format);
}

size_t FormatRowBytes(Format format, uint32_t width) {
  if (IsBlockFormat(format)) return size_t((width + 3) / 4) * DxtBlockBytes(format);
  return (size_t(width) * FormatBits(format) + 7) / 8;
}

uint32_t FormatRowCount(Format format, uint32_t height) {
  return IsBlockFormat(format) ? (height + 3) / 4 : height;
}

bool ReadPixels(Format format, const uint8_t* bits, size_t pitch, uint32_t width, uint32_t height,
                Picture& out) {
  out = Picture(width, height);
  if (const PlainFormat* p = FindPlain(format)) {
    for (uint32_t y = 0; y < height; ++y) {
      const uint8_t* src = bits + y * pitch;
      uint32_t* dst = out.Row(y);
      for (uint32_t x = 0; x < width; ++x, src += p->bytes) dst[x] = PlainToArgb(*p, LoadWord(src, p->bytes));
    }
    return true;
  }
  if (const uint32_t bytes = FloatChannelBytes(format)) {
    for (uint32_t y = 0; y < height; ++y)
      for (uint32_t x = 0; x < width; ++x) out.At(x, y) = FloatToArgb(bits + y * pitch + x * 4 * bytes, bytes);
    return true;
  }
  if (!IsBlockFormat(format)) return false;
  const uint32_t blockBytes = DxtBlockBytes(format);
  uint32_t texels[16];
  for (uint32_t by = 0; by < height; by += 4) {
    const uint8_t* block = bits + (by / 4) * pitch;
    for (uint32_t bx = 0; bx < width; bx += 4, block += blockBytes) {
      DecodeDxtBlock(format, block, texels);
      for (uint32_t y = by; y < by + 4 && y < height; ++y)
        for (uint32_t x = bx; x < bx + 4 && x < width; ++x) out.At(x, y) = texels[(y - by) * 4 + (x - bx)];
    }
  }
  return true;
}

bool WritePixels(Format format, const Picture& in, uint8_t* bits, size_t pitch) {
  if (const PlainFormat* p = FindPlain(format)) {
    for (uint32_t y = 0; y < in.height; ++y) {
      uint8_t* dst = bits + y * pitch;
      const uint32_t* src = in.Row(y);
      for (uint32_t x = 0; x < in.width; ++x, dst += p->bytes) StoreWord(dst, p->bytes, ArgbToPlain(*p, src[x]));
    }
    return true;
  }
  if (const uint32_t bytes = FloatChannelBytes(format)) {
    for (uint32_t y = 0; y < in.height; ++y)
      for (uint32_t x = 0; x < in.width; ++x) ArgbToFloat(in.At(x, y), bits + y * pitch + x * 4 * bytes, bytes);
    return true;
  }
  if (!IsBlockFormat(format)) return false;
  const uint32_t blockBytes = DxtBlockBytes(format);
  uint32_t texels[16];
  for (uint32_t by = 0; by < in.height; by += 4) {
    uint8_t* block = bits + (by / 4) * pitch;
    for (uint32_t bx = 0; bx < in.width; bx += 4, block += blockBytes) {
      // Texels past the picture's edge repeat its last row and column, so they do not pull the
      // block's end points away from the pixels that show.
      for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 4; ++x)
          texels[y * 4 + x] = in.At(std::min(bx + x, in.width - 1), std::min(by + y, in.height - 1));
      EncodeDxtBlock(format, texels, block);
    }
  }
  return true;
}

}  // namespace platform::d3dx
