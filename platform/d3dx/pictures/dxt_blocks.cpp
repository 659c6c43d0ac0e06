#include "platform/d3dx/pictures/dxt_blocks.h"

#include <algorithm>
#include <cmath>

#include "platform/d3dx/pictures/pixel_formats.h"

namespace platform::d3dx {
namespace {

using gfx::Format;

uint16_t Load16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t Load32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
void Store16(uint8_t* p, uint16_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }

struct Rgb {
  int r, g, b;
};

Rgb Expand565(uint16_t c) {
  return {int(ScaleTo8(c >> 11, 5)), int(ScaleTo8(c >> 5 & 63, 6)), int(ScaleTo8(c & 31, 5))};
}
uint16_t Pack565(int r, int g, int b) {
  return uint16_t(ScaleFrom8(r, 5) << 11 | ScaleFrom8(g, 6) << 5 | ScaleFrom8(b, 5));
}
uint32_t Opaque(Rgb c) { return 0xFF000000u | uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | uint32_t(c.b); }

// The four colours of a colour block; the fourth is transparent black in three-colour mode.
void ColourPalette(uint16_t c0, uint16_t c1, bool allowThreeColour, uint32_t palette[4]) {
  Rgb a = Expand565(c0), b = Expand565(c1);
  palette[0] = Opaque(a);
  palette[1] = Opaque(b);
  if (c0 > c1 || !allowThreeColour) {
    palette[2] = Opaque({(2 * a.r + b.r) / 3, (2 * a.g + b.g) / 3, (2 * a.b + b.b) / 3});
    palette[3] = Opaque({(a.r + 2 * b.r) / 3, (a.g + 2 * b.g) / 3, (a.b + 2 * b.b) / 3});
  } else {
    palette[2] = Opaque({(a.r + b.r) / 2, (a.g + b.g) / 2, (a.b + b.b) / 2});
    palette[3] = 0;
  }
}

void AlphaPalette(uint8_t a0, uint8_t a1, uint8_t palette[8]) {
  palette[0] = a0;
  palette[1] = a1;
  if (a0 > a1) {
    for (int i = 1; i < 7; ++i) palette[i + 1] = uint8_t(((7 - i) * a0 + i * a1) / 7);
  } else {
    for (int i = 1; i < 5; ++i) palette[i + 1] = uint8_t(((5 - i) * a0 + i * a1) / 5);
    palette[6] = 0;
    palette[7] = 255;
  }
}

bool Premultiplied(Format f) { return f == gfx::FMT_DXT2 || f == gfx::FMT_DXT4; }

uint32_t Unpremultiply(uint32_t argb) {
  uint32_t a = argb >> 24;
  if (a == 0) return 0;
  auto ch = [&](int shift) { return std::min<uint32_t>(255, ((argb >> shift & 0xFF) * 255 + a / 2) / a) << shift; };
  return a << 24 | ch(16) | ch(8) | ch(0);
}
uint32_t Premultiply(uint32_t argb) {
  uint32_t a = argb >> 24;
  auto ch = [&](int shift) { return (((argb >> shift & 0xFF) * a + 127) / 255) << shift; };
  return a << 24 | ch(16) | ch(8) | ch(0);
}

int ColourDistance(uint32_t x, uint32_t y) {
  int dr = int(x >> 16 & 0xFF) - int(y >> 16 & 0xFF), dg = int(x >> 8 & 0xFF) - int(y >> 8 & 0xFF),
      db = int(x & 0xFF) - int(y & 0xFF);
  return dr * dr + dg * dg + db * db;
}

// End points along the principal axis of the colours that count.
void FitEndPoints(const uint32_t texels[16], const bool counts[16], uint16_t& c0, uint16_t& c1) {
  double mean[3] = {0, 0, 0};
  int n = 0;
  for (int i = 0; i < 16; ++i) {
    if (!counts[i]) continue;
    mean[0] += texels[i] >> 16 & 0xFF;
    mean[1] += texels[i] >> 8 & 0xFF;
    mean[2] += texels[i] & 0xFF;
    ++n;
  }
  if (n == 0) {
    c0 = c1 = 0;
    return;
  }
  for (double& m : mean) m /= n;
  double cov[3][3] = {};
  for (int i = 0; i < 16; ++i) {
    if (!counts[i]) continue;
    double d[3] = {(texels[i] >> 16 & 0xFF) - mean[0], (texels[i] >> 8 & 0xFF) - mean[1], (texels[i] & 0xFF) - mean[2]};
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) cov[r][c] += d[r] * d[c];
  }
  // Power iteration from the covariance row of the widest channel: a fixed start such as (1, 1, 1)
  // can be orthogonal to the colours' spread (red against blue) and find no axis at all.
  int widest = 0;
  for (int r = 1; r < 3; ++r)
    if (cov[r][r] > cov[widest][widest]) widest = r;
  double axis[3] = {cov[widest][0], cov[widest][1], cov[widest][2]};
  for (int iter = 0; iter < 8; ++iter) {
    double next[3];
    for (int r = 0; r < 3; ++r) next[r] = cov[r][0] * axis[0] + cov[r][1] * axis[1] + cov[r][2] * axis[2];
    double len = std::sqrt(next[0] * next[0] + next[1] * next[1] + next[2] * next[2]);
    if (len < 1e-9) break;
    for (int r = 0; r < 3; ++r) axis[r] = next[r] / len;
  }
  double lo = 1e9, hi = -1e9;
  for (int i = 0; i < 16; ++i) {
    if (!counts[i]) continue;
    double t = ((texels[i] >> 16 & 0xFF) - mean[0]) * axis[0] + ((texels[i] >> 8 & 0xFF) - mean[1]) * axis[1] +
               ((texels[i] & 0xFF) - mean[2]) * axis[2];
    lo = std::min(lo, t);
    hi = std::max(hi, t);
  }
  auto point = [&](double t) {
    auto ch = [&](int k) { return int(std::lround(std::clamp(mean[k] + axis[k] * t, 0.0, 255.0))); };
    return Pack565(ch(0), ch(1), ch(2));
  };
  c0 = point(hi);
  c1 = point(lo);
}

void EncodeColourBlock(const uint32_t texels[16], bool dxt1, uint8_t* out) {
  bool counts[16];
  bool transparent = false;
  for (int i = 0; i < 16; ++i) {
    counts[i] = !dxt1 || (texels[i] >> 24) >= 128;
    transparent |= !counts[i];
  }
  uint16_t c0, c1;
  FitEndPoints(texels, counts, c0, c1);
  // Four-colour mode needs c0 > c1, three-colour mode (with transparency) c0 <= c1.
  if (transparent ? c0 > c1 : c0 < c1) std::swap(c0, c1);
  uint32_t palette[4];
  ColourPalette(c0, c1, dxt1, palette);
  const int choices = (dxt1 && c0 <= c1) ? 3 : 4;
  uint32_t indices = 0;
  for (int i = 0; i < 16; ++i) {
    int best = 3;
    if (counts[i]) {
      best = 0;
      for (int k = 1; k < choices; ++k)
        if (ColourDistance(texels[i], palette[k]) < ColourDistance(texels[i], palette[best])) best = k;
    }
    indices |= uint32_t(best) << (2 * i);
  }
  Store16(out, c0);
  Store16(out + 2, c1);
  for (int k = 0; k < 4; ++k) out[4 + k] = uint8_t(indices >> (8 * k));
}

void EncodeInterpolatedAlpha(const uint32_t texels[16], uint8_t* out) {
  uint8_t lo = 255, hi = 0;
  for (int i = 0; i < 16; ++i) {
    uint8_t a = uint8_t(texels[i] >> 24);
    lo = std::min(lo, a);
    hi = std::max(hi, a);
  }
  uint8_t palette[8];
  AlphaPalette(hi, lo, palette);
  uint64_t indices = 0;
  for (int i = 0; i < 16; ++i) {
    int a = int(texels[i] >> 24), best = 0;
    for (int k = 1; k < 8; ++k)
      if (std::abs(a - palette[k]) < std::abs(a - palette[best])) best = k;
    indices |= uint64_t(best) << (3 * i);
  }
  out[0] = hi;
  out[1] = lo;
  for (int k = 0; k < 6; ++k) out[2 + k] = uint8_t(indices >> (8 * k));
}

}  // namespace

uint32_t DxtBlockBytes(Format format) { return format == gfx::FMT_DXT1 ? 8 : 16; }

void DecodeDxtBlock(Format format, const uint8_t* block, uint32_t texels[16]) {
  const bool dxt1 = format == gfx::FMT_DXT1;
  const uint8_t* colour = dxt1 ? block : block + 8;
  uint32_t palette[4];
  ColourPalette(Load16(colour), Load16(colour + 2), dxt1, palette);
  uint32_t indices = Load32(colour + 4);
  for (int i = 0; i < 16; ++i) texels[i] = palette[indices >> (2 * i) & 3];
  if (dxt1) return;

  if (format == gfx::FMT_DXT2 || format == gfx::FMT_DXT3) {
    for (int i = 0; i < 16; ++i) {
      uint32_t a = block[i / 2] >> (4 * (i & 1)) & 0xF;
      texels[i] = (texels[i] & 0xFFFFFF) | (a * 17) << 24;
    }
  } else {
    uint8_t alphas[8];
    AlphaPalette(block[0], block[1], alphas);
    uint64_t bits = 0;
    for (int k = 0; k < 6; ++k) bits |= uint64_t(block[2 + k]) << (8 * k);
    for (int i = 0; i < 16; ++i) texels[i] = (texels[i] & 0xFFFFFF) | uint32_t(alphas[bits >> (3 * i) & 7]) << 24;
  }
  if (Premultiplied(format))
    for (int i = 0; i < 16; ++i) texels[i] = Unpremultiply(texels[i]);
}

void EncodeDxtBlock(Format format, const uint32_t texels[16], uint8_t* block) {
  if (format == gfx::FMT_DXT1) {
    EncodeColourBlock(texels, true, block);
    return;
  }
  uint32_t source[16];
  for (int i = 0; i < 16; ++i) source[i] = Premultiplied(format) ? Premultiply(texels[i]) : texels[i];
  if (format == gfx::FMT_DXT2 || format == gfx::FMT_DXT3) {
    for (int i = 0; i < 8; ++i)
      block[i] = uint8_t(ScaleFrom8(source[2 * i] >> 24, 4) | ScaleFrom8(source[2 * i + 1] >> 24, 4) << 4);
  } else {
    EncodeInterpolatedAlpha(source, block);
  }
  EncodeColourBlock(source, false, block + 8);
}

}  // namespace platform::d3dx
