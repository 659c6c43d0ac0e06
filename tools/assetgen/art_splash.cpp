// The full-screen pictures (two splash screens and the loading screen) and the menu's backdrops and
// frame. The game stretches the full-screen ones to the display; the menu pictures are drawn at their
// own size beside the menu column.
#include <cmath>
#include <string>

#include "tools/assetgen/art_style.h"
#include "tools/assetgen/generators.h"
#include "tools/assetgen/random.h"
#include "tools/assetgen/text.h"

namespace {

constexpr int kWide = 640, kHigh = 480;

// Soft clouds: noise above a threshold, lit from above, fading out towards the band's edges.
void PaintClouds(Canvas& c, int top, int bottom, uint32_t seed) {
  for (int y = top; y < bottom; ++y) {
    const double edge = std::min(1.0, std::min(y - top, bottom - 1 - y) / 40.0);
    for (int x = 0; x < c.width(); ++x) {
      const double n = TiledNoise(x / 90.0, y / 45.0, 64, 5, seed);
      const double cover = std::clamp((n - 0.52) * 4.0, 0.0, 1.0) * edge;
      if (cover <= 0) continue;
      const double shade = 0.85 + 0.15 * TiledNoise(x / 30.0, (y - 6) / 15.0, 256, 3, seed + 9);
      c.Blend(x, y, Scaled(Rgb(255, 250, 255), float(shade)), float(cover * 0.9));
    }
  }
}

// Beams of light spreading from a point.
void PaintRays(Canvas& c, double cx, double cy, int count, Colour colour, double spread) {
  for (int i = 0; i < count; ++i) {
    const double angle = (i + 0.5) * 2 * M_PI / count;
    const double a0 = angle - spread / 2, a1 = angle + spread / 2, far = 1200;
    c.Polygon({{cx, cy}, {cx + far * std::cos(a0), cy + far * std::sin(a0)}, {cx + far * std::cos(a1), cy + far * std::sin(a1)}},
              colour);
  }
}

// The player's gyroscope ball: a shaded sphere inside a tilted glowing ring.
void PaintBall(Canvas& c, double cx, double cy, double r, Colour body, Colour glow) {
  const auto ring = [&](bool front) {
    c.Shape(cx - r * 1.6, cy - r, cx + r * 1.6, cy + r,
            [&](double x, double y) {
              const double ex = (x - cx) / (r * 1.5), ey = (y - cy) / (r * 0.45);
              const double d = ex * ex + ey * ey;
              return d <= 1.0 && d >= 0.8 && (y > cy) == front;
            },
            glow);
  };
  c.Glow(cx, cy, r * 2.6, glow, 0.7f);
  ring(false);
  c.Circle(cx, cy, r, body);
  // Shading towards the lower right, highlight to the upper left.
  for (int y = int(cy - r); y <= int(cy + r); ++y)
    for (int x = int(cx - r); x <= int(cx + r); ++x) {
      const double dx = (x + 0.5 - cx) / r, dy = (y + 0.5 - cy) / r;
      const double d2 = dx * dx + dy * dy;
      if (d2 > 1) continue;
      const double light = std::max(0.0, -0.5 * dx - 0.6 * dy + 0.62 * std::sqrt(1 - d2));
      c.Blend(x, y, Rgb(0, 0, 0), float(0.55 * (1 - light)));
      c.Add(x, y, Rgb(255, 255, 255), float(std::pow(light, 12) * 0.9));
    }
  ring(true);
}

void PaintLogo(Canvas& c, double cx, double top, int pixels, Colour fill) {
  TextStyle logo{kLogoFace, pixels, true, false, fill, Align::kCentre};
  TextStyle edge = logo;
  edge.colour = Rgb(255, 255, 255);
  for (int dx = -2; dx <= 2; ++dx)
    for (int dy = -2; dy <= 2; ++dy)
      if (dx * dx + dy * dy >= 3) DrawText(c, cx + dx, top + dy, "qel", edge);
  DrawText(c, cx, top, "qel", logo);
}

void Heaven(const Output& out) {
  Canvas c(kWide, kHigh);
  c.VerticalGradient(0, 0, kWide, kHigh, Rgb(96, 150, 250), Rgb(255, 232, 246));
  PaintRays(c, kWide / 2.0, 150, 18, Rgb(255, 255, 255, 0.13f), 0.11);
  PaintClouds(c, 250, kHigh, 11);
  PaintClouds(c, 0, 120, 12);
  c.Glow(kWide / 2.0, 150, 260, Rgb(255, 250, 225), 0.9f);
  PaintBall(c, kWide / 2.0, 150, 52, Rgb(250, 250, 255), Rgb(190, 230, 255));
  PaintLogo(c, kWide / 2.0, 250, 96, kTitlePurple);
  TextStyle line{"Liberation Sans", 22, true, true, Rgb(70, 40, 140), Align::kCentre};
  DrawText(c, kWide / 2.0, 384, "Every colour leads to white.", line);
  line.pixels = 15, line.bold = false, line.italic = false;
  DrawText(c, kWide / 2.0, 440, "A puzzle of paint, light and motion", line);
  out.WriteJpeg("Art\\heaven.jpg", c.Opaque());
}

void Music(const Output& out) {
  Canvas c(kWide, kHigh);
  c.VerticalGradient(0, 0, kWide, kHigh, Rgb(10, 4, 30), Rgb(34, 10, 70));
  // A mirrored spectrum across the middle, as the game's visualiser draws it.
  Random random(7);
  const int bars = 48;
  for (int i = 0; i < bars; ++i) {
    const double level = 0.25 + 0.75 * std::pow(std::sin(i * 0.37) * 0.5 + 0.5, 1.5) * random.Range(0.55, 1.0);
    const double h = level * 130;
    const double x0 = 40 + i * (560.0 / bars), x1 = x0 + 560.0 / bars - 3;
    const Colour top = Mix(Rgb(8, 247, 244), Rgb(219, 78, 230), float(i) / bars);
    c.Shape(x0, 250 - h, x1, 250, [&](double, double) { return true; }, WithAlpha(top, 0.9f));
    c.Shape(x0, 252, x1, 252 + h * 0.6, [&](double, double) { return true; }, WithAlpha(top, 0.35f));
  }
  c.Glow(320, 250, 330, Rgb(119, 18, 230), 0.35f);
  for (int x = 0; x < kWide; ++x) {
    const double y = 251 + 14 * std::sin(x * 0.045) * std::sin(x * 0.011);
    c.Blend(x, int(y), Rgb(255, 255, 255), 0.8f);
  }
  TextStyle title{kLogoFace, 64, true, false, Rgb(255, 255, 255), Align::kCentre};
  DrawShadowedText(c, kWide / 2.0, 30, "music", title, kTitlePurple, 4);
  TextStyle line{"Liberation Sans", 17, false, true, Rgb(200, 180, 255), Align::kCentre};
  DrawText(c, kWide / 2.0, 112, "Original tracks made for qel", line);
  line.italic = false, line.pixels = 15, line.colour = Rgb(230, 220, 255);
  const char* tracks[] = {"Dj Varn - Raduziravu Dadirir", "Qel - First Light", "Qel - Paint Runner",
                          "The Advanced - Qel", "Qel - Expert Pulse"};
  for (int i = 0; i < 5; ++i) DrawText(c, kWide / 2.0, 330 + i * 24, tracks[i], line);
  out.WriteJpeg("Art\\music.jpg", c.Opaque());
}

// A floor of glowing lines running to the horizon.
void PaintGridFloor(Canvas& c, double horizon, Colour colour) {
  const double cx = c.width() / 2.0;
  for (int i = -14; i <= 14; ++i) c.Line(cx + i * 8, horizon, cx + i * 90, c.height() + 40, 1.5, colour);
  for (int k = 1; k < 14; ++k) {
    const double y = horizon + (c.height() - horizon) * std::pow(k / 13.0, 2.2);
    c.Line(0, y, c.width(), y, 1.2, WithAlpha(colour, colour.a * float(0.4 + 0.6 * k / 13.0)));
  }
}

void Loading(const Output& out) {
  Canvas c(kWide, kHigh);
  c.VerticalGradient(0, 0, kWide, kHigh, Rgb(6, 2, 20), Rgb(28, 8, 58));
  PaintGridFloor(c, 300, Rgb(119, 18, 230, 0.55f));
  // Red, green and blue light meeting in white.
  Canvas light(kWide, kHigh);
  const double cx = kWide / 2.0, cy = 170;
  const Colour channels[] = {Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(0, 0, 255)};
  for (int i = 0; i < 3; ++i) {
    const double a = -M_PI / 2 + i * 2 * M_PI / 3;
    const double x = cx + 34 * std::cos(a), y = cy + 34 * std::sin(a);
    for (int py = int(y - 62); py <= int(y + 62); ++py)
      for (int px = int(x - 62); px <= int(x + 62); ++px) {
        const double d = std::hypot(px + 0.5 - x, py + 0.5 - y);
        if (d <= 60) light.Add(px, py, channels[i], float(std::min(1.0, (60 - d) / 2.0)));
      }
  }
  c.Composite(light, 0, 0);
  c.Glow(cx, cy, 150, Rgb(255, 255, 255), 0.25f);
  PaintLogo(c, cx, 262, 72, kTitlePurple);
  TextStyle line{"Liberation Sans", 20, true, false, Rgb(220, 210, 255), Align::kCentre};
  DrawText(c, cx, 400, "Loading...", line);
  out.WriteJpeg("Art\\Loading.jpg", c.Opaque());
}

// The menu's translucent backdrops: drawn at alpha 120 over the moving scene.
Canvas Backdrop(int width, int height, uint32_t seed) {
  Canvas c(width, height);
  c.VerticalGradient(0, 0, width, height, Rgb(36, 12, 82), Rgb(10, 4, 30));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const double n = TiledNoise(x / 40.0, y / 40.0, 64, 3, seed);
      c.Blend(x, y, Rgb(90, 40, 170), float(n * 0.18));
    }
  for (int d = -height; d < width; d += 14) c.Line(d, height, d + height, 0, 1, Rgb(150, 90, 255, 0.06f));
  c.Glow(width / 2.0, 0, width * 0.7, Rgb(119, 18, 230), 0.35f);
  return c;
}

// The frame round the menu column; everything inside its border is the colour key.
void MenuFrame(const Output& out) {
  const int w = 448, h = 458;
  Canvas frame(w, h);
  frame.RoundedRect(0, 0, w, h, 8, kFramePurple);
  frame.RoundedRect(2, 2, w - 2, h - 2, 6, kPressedPink);
  frame.RoundedRect(4, 4, w - 4, h - 4, 4, kFramePurple);
  // Cut the inside out again: the key colour shows the backdrop underneath.
  for (int y = 6; y < h - 6; ++y)
    for (int x = 6; x < w - 6; ++x) frame.At(x, y) = Rgb(0, 0, 0, 0);
  // The title's rule and corner studs.
  frame.Line(40, 44, w - 40, 44, 2, kFramePurple);
  frame.Line(60, 47, w - 60, 47, 1, WithAlpha(kCyan, 0.9f));
  for (const Point& p : {Point{12, 12}, Point{w - 12.0, 12}, Point{12, h - 12.0}, Point{w - 12.0, h - 12.0}}) {
    frame.Polygon({{p.x - 6, p.y}, {p.x, p.y - 6}, {p.x + 6, p.y}, {p.x, p.y + 6}}, kCyan);
  }
  out.WriteBmp("Art\\menuframe.bmp", frame.Keyed());
}

}  // namespace

void MakeSplashArt(const Output& out) {
  Heaven(out);
  Music(out);
  Loading(out);
  out.WriteBmp("Art\\menubg.bmp", Backdrop(440, 452, 21).Opaque());
  out.WriteBmp("Art\\menubg2.bmp", Backdrop(600, 450, 22).Opaque());
  MenuFrame(out);
}
