#include "tools/assetgen/canvas.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kSamples = 4;  // per axis

uint8_t Channel(float v) { return uint8_t(std::clamp(std::lround(v * 255.0f), 0L, 255L)); }

uint32_t Pack(Colour c) {
  return 0xFF000000u | uint32_t(Channel(c.r)) << 16 | uint32_t(Channel(c.g)) << 8 | Channel(c.b);
}

double SegmentDistance(double px, double py, double x0, double y0, double x1, double y1) {
  const double dx = x1 - x0, dy = y1 - y0;
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? ((px - x0) * dx + (py - y0) * dy) / length2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  const double ex = x0 + t * dx - px, ey = y0 + t * dy - py;
  return std::sqrt(ex * ex + ey * ey);
}

uint32_t Hash(int x, int y, uint32_t seed) {
  uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}

double Lattice(int x, int y, int period, uint32_t seed) {
  x = ((x % period) + period) % period;
  y = ((y % period) + period) % period;
  return (Hash(x, y, seed) & 0xFFFFFF) / double(0xFFFFFF);
}

double Smooth(double t) { return t * t * (3 - 2 * t); }

}  // namespace

Colour Rgb(int r, int g, int b, float a) { return {r / 255.0f, g / 255.0f, b / 255.0f, a}; }

Colour Mix(Colour x, Colour y, float t) {
  return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t, x.a + (y.a - x.a) * t};
}

Colour Scaled(Colour c, float brightness) { return {c.r * brightness, c.g * brightness, c.b * brightness, c.a}; }

Colour WithAlpha(Colour c, float a) { return {c.r, c.g, c.b, a}; }

Canvas::Canvas(int width, int height, Colour fill)
    : width_(width), height_(height), pixels_(size_t(width) * height, fill) {}

void Canvas::Blend(int x, int y, Colour c, float coverage) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  const float a = std::clamp(c.a * coverage, 0.0f, 1.0f);
  if (a <= 0) return;
  Colour& d = At(x, y);
  const float out = a + d.a * (1 - a);
  if (out <= 0) return;
  d.r = (c.r * a + d.r * d.a * (1 - a)) / out;
  d.g = (c.g * a + d.g * d.a * (1 - a)) / out;
  d.b = (c.b * a + d.b * d.a * (1 - a)) / out;
  d.a = out;
}

void Canvas::Add(int x, int y, Colour c, float amount) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || amount <= 0) return;
  Colour& d = At(x, y);
  d.r = std::min(1.0f, d.r + c.r * amount);
  d.g = std::min(1.0f, d.g + c.g * amount);
  d.b = std::min(1.0f, d.b + c.b * amount);
  d.a = std::min(1.0f, d.a + amount);
}

void Canvas::Fill(Colour c) { std::fill(pixels_.begin(), pixels_.end(), c); }

void Canvas::FillRect(int x0, int y0, int x1, int y1, Colour c) {
  for (int y = std::max(0, y0); y < std::min(height_, y1); ++y)
    for (int x = std::max(0, x0); x < std::min(width_, x1); ++x) Blend(x, y, c);
}

void Canvas::VerticalGradient(int x0, int y0, int x1, int y1, Colour top, Colour bottom) {
  for (int y = std::max(0, y0); y < std::min(height_, y1); ++y) {
    const Colour c = Mix(top, bottom, y1 - y0 > 1 ? float(y - y0) / float(y1 - y0 - 1) : 0.0f);
    for (int x = std::max(0, x0); x < std::min(width_, x1); ++x) Blend(x, y, c);
  }
}

void Canvas::HorizontalGradient(int x0, int y0, int x1, int y1, Colour left, Colour right) {
  for (int x = std::max(0, x0); x < std::min(width_, x1); ++x) {
    const Colour c = Mix(left, right, x1 - x0 > 1 ? float(x - x0) / float(x1 - x0 - 1) : 0.0f);
    for (int y = std::max(0, y0); y < std::min(height_, y1); ++y) Blend(x, y, c);
  }
}

void Canvas::Shape(double x0, double y0, double x1, double y1, const std::function<bool(double, double)>& inside,
                   Colour c) {
  const int px0 = std::max(0, int(std::floor(x0))), py0 = std::max(0, int(std::floor(y0)));
  const int px1 = std::min(width_ - 1, int(std::ceil(x1))), py1 = std::min(height_ - 1, int(std::ceil(y1)));
  for (int y = py0; y <= py1; ++y) {
    for (int x = px0; x <= px1; ++x) {
      int hits = 0;
      for (int sy = 0; sy < kSamples; ++sy)
        for (int sx = 0; sx < kSamples; ++sx)
          hits += inside(x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples) ? 1 : 0;
      if (hits) Blend(x, y, c, float(hits) / (kSamples * kSamples));
    }
  }
}

void Canvas::Circle(double cx, double cy, double radius, Colour c) {
  Shape(cx - radius, cy - radius, cx + radius, cy + radius,
        [&](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius; }, c);
}

void Canvas::Ring(double cx, double cy, double inner, double outer, Colour c) {
  Shape(cx - outer, cy - outer, cx + outer, cy + outer,
        [&](double x, double y) {
          const double d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
          return d2 <= outer * outer && d2 >= inner * inner;
        },
        c);
}

void Canvas::Polygon(const std::vector<Point>& points, Colour c) {
  if (points.size() < 3) return;
  double x0 = points[0].x, x1 = x0, y0 = points[0].y, y1 = y0;
  for (const Point& p : points) {
    x0 = std::min(x0, p.x), x1 = std::max(x1, p.x), y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
  }
  // Even-odd rule: works for any simple polygon, convex or not.
  Shape(x0, y0, x1, y1,
        [&](double x, double y) {
          bool in = false;
          for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
            const Point& a = points[i];
            const Point& b = points[j];
            if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) in = !in;
          }
          return in;
        },
        c);
}

void Canvas::Line(double x0, double y0, double x1, double y1, double width, Colour c) {
  const double h = width / 2;
  Shape(std::min(x0, x1) - h, std::min(y0, y1) - h, std::max(x0, x1) + h, std::max(y0, y1) + h,
        [&](double x, double y) { return SegmentDistance(x, y, x0, y0, x1, y1) <= h; }, c);
}

void Canvas::RoundedRect(double x0, double y0, double x1, double y1, double radius, Colour c) {
  Shape(x0, y0, x1, y1,
        [&](double x, double y) {
          if (x < x0 || x > x1 || y < y0 || y > y1) return false;
          const double cx = std::clamp(x, x0 + radius, x1 - radius), cy = std::clamp(y, y0 + radius, y1 - radius);
          return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
        },
        c);
}

void Canvas::Glow(double cx, double cy, double radius, Colour c, float strength) {
  const int x0 = std::max(0, int(cx - radius)), x1 = std::min(width_ - 1, int(cx + radius) + 1);
  const int y0 = std::max(0, int(cy - radius)), y1 = std::min(height_ - 1, int(cy + radius) + 1);
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy) / radius;
      if (d >= 1) continue;
      const double falloff = (1 - d) * (1 - d);
      Add(x, y, c, float(falloff * strength));
    }
  }
}

void Canvas::Composite(const Canvas& layer, int dx, int dy) {
  for (int y = 0; y < layer.height(); ++y)
    for (int x = 0; x < layer.width(); ++x) Blend(x + dx, y + dy, layer.At(x, y));
}

namespace {
// The game loads nearly every picture with the magenta key, so a painted colour keeps clear of it:
// near magenta gets enough green that neither the key nor a JPEG's rounding can reach it.
uint32_t OffKey(uint32_t packed) {
  constexpr int kClearance = 80;
  const int r = int(packed >> 16 & 0xFF), g = int(packed >> 8 & 0xFF), b = int(packed & 0xFF);
  const int distance = (255 - r) + g + (255 - b);
  if (distance >= kClearance) return packed;
  return (packed & 0xFFFF00FFu) | uint32_t(g + kClearance - distance) << 8;
}
}  // namespace

platform::d3dx::Picture Canvas::Opaque() const {
  platform::d3dx::Picture picture{uint32_t(width_), uint32_t(height_)};
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) picture.At(x, y) = OffKey(Pack(Scaled(At(x, y), At(x, y).a)));
  return picture;
}

platform::d3dx::Picture Canvas::Keyed() const {
  platform::d3dx::Picture picture(uint32_t(width_), uint32_t(height_), 0xFFFF00FFu);
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x)
      if (At(x, y).a >= 0.5f) picture.At(x, y) = OffKey(Pack(At(x, y)));
  return picture;
}

double TiledNoise(double x, double y, int period, int octaves, uint32_t seed) {
  double total = 0, weight = 0, amplitude = 1;
  for (int o = 0; o < octaves; ++o) {
    const int ix = int(std::floor(x)), iy = int(std::floor(y));
    const double fx = Smooth(x - ix), fy = Smooth(y - iy);
    const double a = Lattice(ix, iy, period, seed + o), b = Lattice(ix + 1, iy, period, seed + o);
    const double c = Lattice(ix, iy + 1, period, seed + o), d = Lattice(ix + 1, iy + 1, period, seed + o);
    total += amplitude * ((a + (b - a) * fx) * (1 - fy) + (c + (d - c) * fx) * fy);
    weight += amplitude;
    amplitude *= 0.5;
    x *= 2, y *= 2, period *= 2;
  }
  return total / weight;
}
