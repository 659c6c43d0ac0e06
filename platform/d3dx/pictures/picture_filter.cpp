#include "platform/d3dx/pictures/picture_filter.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform::d3dx {
namespace {

// The source pixels and weights that make each destination pixel along one axis.
struct Taps {
  std::vector<uint32_t> first;   // per destination pixel: its first entry in source and weight
  std::vector<uint32_t> source;  // source pixel, relative to the rectangle
  std::vector<float> weight;     // normalised per destination pixel
};

void WeighLinear(double c, uint32_t srcSize, std::vector<std::pair<uint32_t, double>>& w) {
  double i0 = std::floor(c), f = c - i0;
  auto clampIndex = [&](double i) { return uint32_t(std::clamp(i, 0.0, double(srcSize - 1))); };
  w.push_back({clampIndex(i0), 1.0 - f});
  if (f > 0) w.push_back({clampIndex(i0 + 1), f});
}

void WeighBox(double lo, double hi, uint32_t srcSize, std::vector<std::pair<uint32_t, double>>& w) {
  for (uint32_t i = uint32_t(std::floor(lo)); i < srcSize && i < hi; ++i) {
    double overlap = std::min(hi, i + 1.0) - std::max(lo, double(i));
    if (overlap > 1e-9) w.push_back({i, overlap});
  }
}

void WeighTriangle(double c, double radius, uint32_t srcSize, std::vector<std::pair<uint32_t, double>>& w) {
  int64_t lo = int64_t(std::floor(c - radius)), hi = int64_t(std::ceil(c + radius));
  for (int64_t i = std::max<int64_t>(0, lo); i < hi && i < int64_t(srcSize); ++i) {
    double weight = 1.0 - std::abs(i + 0.5 - c) / radius;
    if (weight > 1e-9) w.push_back({uint32_t(i), weight});
  }
}

Taps MakeTaps(uint32_t srcSize, uint32_t dstSize, uint32_t kind) {
  Taps taps;
  const double scale = double(srcSize) / dstSize;
  std::vector<std::pair<uint32_t, double>> w;
  for (uint32_t d = 0; d < dstSize; ++d) {
    w.clear();
    if (kind == FILTER_LINEAR)
      WeighLinear((d + 0.5) * scale - 0.5, srcSize, w);
    else if (kind == FILTER_BOX)
      WeighBox(d * scale, (d + 1) * scale, srcSize, w);
    else
      WeighTriangle((d + 0.5) * scale, std::max(1.0, scale), srcSize, w);
    double total = 0;
    for (auto& e : w) total += e.second;
    if (total <= 0) {
      w.assign(1, {std::min(uint32_t((d + 0.5) * scale), srcSize - 1), 1.0});
      total = 1;
    }
    taps.first.push_back(uint32_t(taps.source.size()));
    for (auto& e : w) {
      taps.source.push_back(e.first);
      taps.weight.push_back(float(e.second / total));
    }
  }
  taps.first.push_back(uint32_t(taps.source.size()));
  return taps;
}

uint32_t PointIndex(uint32_t d, uint32_t srcSize, uint32_t dstSize) {
  return uint32_t((uint64_t(2 * d + 1) * srcSize) / (uint64_t(2) * dstSize));
}

void CopyUnscaled(const Picture& src, const gfx::Rect& s, Picture& dst, const gfx::Rect& d) {
  const int32_t w = std::min(s.right - s.left, d.right - d.left), h = std::min(s.bottom - s.top, d.bottom - d.top);
  for (int32_t y = d.top; y < d.bottom; ++y)
    for (int32_t x = d.left; x < d.right; ++x) {
      int32_t dx = x - d.left, dy = y - d.top;
      dst.At(x, y) = (dx < w && dy < h) ? src.At(s.left + dx, s.top + dy) : 0;
    }
}

void CopyPoint(const Picture& src, const gfx::Rect& s, Picture& dst, const gfx::Rect& d) {
  const uint32_t sw = s.right - s.left, sh = s.bottom - s.top, dw = d.right - d.left, dh = d.bottom - d.top;
  for (uint32_t y = 0; y < dh; ++y) {
    const uint32_t* row = src.Row(s.top + PointIndex(y, sh, dh)) + s.left;
    uint32_t* out = dst.Row(d.top + y) + d.left;
    for (uint32_t x = 0; x < dw; ++x) out[x] = row[PointIndex(x, sw, dw)];
  }
}

// Separable filtering: rows first into a float buffer, then columns.
void CopyFiltered(const Picture& src, const gfx::Rect& s, Picture& dst, const gfx::Rect& d, uint32_t kind) {
  const uint32_t sw = s.right - s.left, sh = s.bottom - s.top, dw = d.right - d.left, dh = d.bottom - d.top;
  const Taps across = MakeTaps(sw, dw, kind), down = MakeTaps(sh, dh, kind);
  std::vector<float> rows(size_t(sh) * dw * 4);
  for (uint32_t y = 0; y < sh; ++y) {
    const uint32_t* row = src.Row(s.top + y) + s.left;
    float* out = &rows[size_t(y) * dw * 4];
    for (uint32_t x = 0; x < dw; ++x, out += 4) {
      float acc[4] = {0, 0, 0, 0};
      for (uint32_t t = across.first[x]; t < across.first[x + 1]; ++t) {
        uint32_t p = row[across.source[t]];
        float wgt = across.weight[t];
        for (int c = 0; c < 4; ++c) acc[c] += wgt * float(p >> (24 - 8 * c) & 0xFF);
      }
      std::copy(acc, acc + 4, out);
    }
  }
  for (uint32_t y = 0; y < dh; ++y) {
    uint32_t* out = dst.Row(d.top + y) + d.left;
    for (uint32_t x = 0; x < dw; ++x) {
      float acc[4] = {0, 0, 0, 0};
      for (uint32_t t = down.first[y]; t < down.first[y + 1]; ++t) {
        const float* p = &rows[(size_t(down.source[t]) * dw + x) * 4];
        for (int c = 0; c < 4; ++c) acc[c] += down.weight[t] * p[c];
      }
      uint32_t pixel = 0;
      for (int c = 0; c < 4; ++c)
        pixel |= uint32_t(std::clamp(std::lround(acc[c]), 0L, 255L)) << (24 - 8 * c);
      out[x] = pixel;
    }
  }
}

}  // namespace

bool RectInside(const gfx::Rect& r, uint32_t width, uint32_t height) {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && uint32_t(r.right) <= width &&
         uint32_t(r.bottom) <= height;
}

Result ResamplePicture(const Picture& src, const gfx::Rect& srcRect, Picture& dst, const gfx::Rect& dstRect,
                       uint32_t filter) {
  const uint32_t kind = filter == kDefault ? FILTER_TRIANGLE : (filter & kFilterKindMask);
  if (kind < FILTER_NONE || kind > FILTER_BOX) return gfx::kInvalidCall;
  if (!RectInside(srcRect, src.width, src.height) || !RectInside(dstRect, dst.width, dst.height))
    return gfx::kInvalidCall;
  const bool sameSize =
      srcRect.right - srcRect.left == dstRect.right - dstRect.left && srcRect.bottom - srcRect.top == dstRect.bottom - dstRect.top;
  if (kind == FILTER_NONE || sameSize)
    CopyUnscaled(src, srcRect, dst, dstRect);
  else if (kind == FILTER_POINT)
    CopyPoint(src, srcRect, dst, dstRect);
  else
    CopyFiltered(src, srcRect, dst, dstRect, kind);
  return gfx::kOk;
}

void ApplyColorKey(Picture& picture, uint32_t key) {
  if (key == 0) return;
  for (uint32_t& p : picture.pixels)
    if (p == key) p = 0;
}

Picture NextMipLevel(const Picture& level, uint32_t filter) {
  Picture next(std::max(1u, level.width / 2), std::max(1u, level.height / 2));
  ResamplePicture(level, FullRect(level), next, FullRect(next), filter == kDefault ? FILTER_BOX : filter);
  return next;
}

}  // namespace platform::d3dx
