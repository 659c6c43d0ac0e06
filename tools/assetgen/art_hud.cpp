// The play HUD's frames, the life icon, the planning screen's icons and the particle. All are drawn
// with the colour key: the game draws its gauges first and these frames over them, so the frames are
// the key colour wherever a gauge must show through. Sizes follow where the game draws them:
//   Gui1 (341 x 75) at the bottom left, round the colour gauges (x 21-204, rows 22-29, 38-45, 46-62)
//     and the carried-paint gauges (x 220-246, 255-281, 290-316, rows 41-62);
//   Gui2, a strip repeated along the bottom edge from x 341 (10 rows);
//   Gui3 (120 x 65) at the bottom right, under the clock (centred x 65, rows 22 and 42).
#include <cmath>
#include <string>
#include <vector>

#include "tools/assetgen/art_style.h"
#include "tools/assetgen/generators.h"
#include "tools/assetgen/text.h"

namespace {

constexpr int kStripRows = 10;

// The bottom band every HUD piece ends in, so the three join up.
Colour StripRow(int row) {
  if (row == 0) return kPressedPink;
  if (row == 1) return kFramePurple;
  return Mix(Rgb(36, 14, 80), kPanelDark, float(row - 2) / (kStripRows - 3));
}

void PaintStrip(Canvas& c, int x0, int x1, int top) {
  for (int r = 0; r < kStripRows; ++r) c.FillRect(x0, top + r, x1, top + r + 1, StripRow(r));
}

void Plate(Canvas& c, const std::vector<Point>& outline) {
  c.Polygon(outline, kPanelDark);
  for (size_t i = 0; i + 1 < outline.size(); ++i)
    c.Line(outline[i].x, outline[i].y, outline[i + 1].x, outline[i + 1].y, 2, kFramePurple);
}

// A window in the plate through which a gauge shows, with a frame round it.
void Window(Canvas& c, int x0, int y0, int x1, int y1) {
  c.FillRect(x0 - 2, y0 - 2, x1 + 2, y1 + 2, kFramePurple);
  c.FillRect(x0 - 1, y0 - 1, x1 + 1, y1 + 1, Rgb(60, 20, 120));
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) c.At(x, y) = Rgb(0, 0, 0, 0);
}

TextStyle Small(Colour colour, Align align = Align::kLeft) { return {"Liberation Sans", 9, true, false, colour, align}; }

void Gui1(const Output& out) {
  Canvas c(341, 75);
  Plate(c, {{0, 75}, {0, 8}, {232, 8}, {248, 24}, {339, 24}, {339, 75}});
  PaintStrip(c, 0, 341, 65);
  Window(c, 19, 20, 206, 31);
  Window(c, 19, 36, 206, 64);
  for (int x : {218, 253, 288}) Window(c, x, 39, x + 30, 64);
  DrawText(c, 112, 9, "BALL COLOUR", Small(kTitlePurple, Align::kCentre));
  DrawText(c, 268, 26, "PAINT", Small(kTitlePurple, Align::kCentre));
  DrawText(c, 5, 20, "R", Small(Rgb(255, 70, 70)));
  DrawText(c, 5, 36, "G", Small(Rgb(70, 255, 70)));
  DrawText(c, 5, 50, "B", Small(Rgb(90, 120, 255)));
  out.WriteBmp("Art\\Gui1.bmp", c.Keyed());
}

void Gui2(const Output& out) {
  Canvas c(4, kStripRows);
  PaintStrip(c, 0, 4, 0);
  out.WriteBmp("Art\\Gui2.bmp", c.Keyed());
}

void Gui3(const Output& out) {
  Canvas c(120, 65);
  Plate(c, {{120, 65}, {1, 65}, {1, 16}, {16, 1}, {120, 1}});
  PaintStrip(c, 0, 120, 55);
  for (int y : {19, 39}) {
    c.FillRect(18, y - 1, 113, y + 15, kFramePurple);
    c.FillRect(19, y, 112, y + 14, Rgb(4, 2, 12));
  }
  DrawText(c, 65, 6, "TIME", Small(kTitlePurple, Align::kCentre));
  out.WriteBmp("Art\\Gui3.bmp", c.Keyed());
}

// One life: the ball in small.
void Life(const Output& out) {
  Canvas c(22, 22);
  c.Circle(11, 11, 9, Rgb(200, 190, 255));
  c.Circle(9.5, 9.5, 5, Rgb(255, 255, 255, 0.6f));
  c.Circle(13, 13, 5.5, Rgb(90, 40, 170, 0.5f));
  c.Shape(0, 6, 22, 16,
          [](double x, double y) {
            const double ex = (x - 11) / 10.5, ey = (y - 11) / 3.2;
            const double d = ex * ex + ey * ey;
            return d <= 1.0 && d >= 0.55;
          },
          kCyan);
  out.WriteBmp("Art\\Life1.bmp", c.Keyed());
}

// Icons are light shapes with a dark outline on the black planning panel.
const Colour kIcon = Rgb(215, 190, 255);
const Colour kIconEdge = Rgb(70, 20, 150);

Canvas Arrow(int w, int h, double angle) {
  Canvas c(w, h);
  const double cx = w / 2.0, cy = h / 2.0, length = std::max(w, h) / 2.0 - 0.5, half = std::min(w, h) / 2.0 - 0.5;
  const double ux = std::cos(angle), uy = std::sin(angle), vx = -uy, vy = ux;
  const auto at = [&](double along, double across) {
    return Point{cx + ux * along + vx * across, cy + uy * along + vy * across};
  };
  const std::vector<Point> shape = {at(length, 0),          at(length * 0.05, half),        at(length * 0.05, half * 0.4),
                                    at(-length, half * 0.4), at(-length, -half * 0.4),      at(length * 0.05, -half * 0.4),
                                    at(length * 0.05, -half)};
  c.Polygon(shape, kIconEdge);
  std::vector<Point> inner;
  for (const Point& p : shape) inner.push_back({cx + (p.x - cx) * 0.72, cy + (p.y - cy) * 0.72});
  c.Polygon(inner, kIcon);
  return c;
}

// A three-quarter circle with an arrow head: turning the view left (anticlockwise) or right.
Canvas TurnArrow(bool left) {
  Canvas c(22, 22);
  const double cx = 11, cy = 12, r = 7.5;
  const auto arc = [&](double width, Colour colour) {
    c.Shape(0, 0, 22, 22,
            [&](double x, double y) {
              const double d = std::hypot(x - cx, y - cy);
              double a = std::atan2(y - cy, x - cx);  // 0 at the right, clockwise on screen
              if (left) a = M_PI - a;
              if (a < 0) a += 2 * M_PI;
              return std::abs(d - r) <= width && a > M_PI * 0.1 && a < M_PI * 1.55;
            },
            colour);
  };
  arc(2.6, kIconEdge);
  arc(1.4, kIcon);
  // The head at the end of the arc, pointing along it.
  const double tip = left ? -1 : 1;
  const double hx = cx + tip * r * std::cos(M_PI * 0.1), hy = cy - r * std::sin(M_PI * 0.1) - 1;
  c.Polygon({{hx - 5, hy}, {hx + 5, hy}, {hx, hy + 6 * 1.0}}, kIconEdge);
  c.Polygon({{hx - 3.2, hy + 0.8}, {hx + 3.2, hy + 0.8}, {hx, hy + 4.6}}, kIcon);
  return c;
}

Canvas PlusMinus(int size, bool plus) {
  Canvas c(size, size);
  const int m = size / 2, t = std::max(1, size / 8);
  c.FillRect(0, m - t - 1, size, m + t + 1, kIconEdge);
  if (plus) c.FillRect(m - t - 1, 0, m + t + 1, size, kIconEdge);
  c.FillRect(1, m - t, size - 1, m + t, kIcon);
  if (plus) c.FillRect(m - t, 1, m + t, size - 1, kIcon);
  return c;
}

// Back to the first view: a target.
Canvas Reset() {
  Canvas c(32, 32);
  c.Circle(16, 16, 15, kIconEdge);
  c.Ring(16, 16, 9.5, 13.5, kIcon);
  c.Circle(16, 16, 5, kIcon);
  return c;
}

// A round dot with a dark rim, readable over any level.
Canvas Pointer() {
  Canvas c(8, 8);
  c.Circle(4, 4, 3.8, Rgb(0, 0, 0));
  c.Circle(4, 4, 2.4, Rgb(255, 255, 255));
  return c;
}

Canvas Tick() {
  Canvas c(12, 12);
  c.Line(1.5, 6.5, 4.5, 10, 3.2, Rgb(10, 60, 10));
  c.Line(4.5, 10, 10.5, 1.5, 3.2, Rgb(10, 60, 10));
  c.Line(1.5, 6.5, 4.5, 10, 1.8, Rgb(90, 255, 90));
  c.Line(4.5, 10, 10.5, 1.5, 1.8, Rgb(90, 255, 90));
  return c;
}

// The planning screen's option buttons, 140 x 16; a tick stands right of them at x 153.
Canvas Button(const std::string& label) {
  Canvas c(140, 16);
  c.RoundedRect(0, 0, 140, 16, 3, kFramePurple);
  c.RoundedRect(1, 1, 139, 15, 2, Rgb(28, 12, 46));
  c.HorizontalGradient(2, 2, 138, 8, Rgb(70, 30, 130), Rgb(28, 12, 46));
  DrawText(c, 70, 1, label, {"Liberation Sans", 11, true, false, Rgb(255, 255, 255), Align::kCentre});
  return c;
}

// A spark for the game's particles.
Canvas Particle() {
  Canvas c(32, 32);
  const Colour hot = Rgb(255, 240, 160), warm = Rgb(255, 150, 40);
  c.Polygon({{16, 1}, {19, 13}, {31, 16}, {19, 19}, {16, 31}, {13, 19}, {1, 16}, {13, 13}}, warm);
  c.Polygon({{16, 6}, {18, 14}, {26, 16}, {18, 18}, {16, 26}, {14, 18}, {6, 16}, {14, 14}}, hot);
  c.Circle(16, 16, 4, Rgb(255, 255, 255));
  return c;
}

}  // namespace

void MakeHudArt(const Output& out) {
  Gui1(out);
  Gui2(out);
  Gui3(out);
  Life(out);
  out.WriteBmp("Art\\arrow left.bmp", Arrow(16, 12, M_PI).Keyed());
  out.WriteBmp("Art\\arrow right.bmp", Arrow(16, 12, 0).Keyed());
  out.WriteBmp("Art\\arrow up.bmp", Arrow(12, 16, -M_PI / 2).Keyed());
  out.WriteBmp("Art\\arrow down.bmp", Arrow(12, 16, M_PI / 2).Keyed());
  out.WriteBmp("Art\\turn left.bmp", TurnArrow(true).Keyed());
  out.WriteBmp("Art\\turn right.bmp", TurnArrow(false).Keyed());
  out.WriteBmp("Art\\plus.bmp", PlusMinus(12, true).Keyed());
  out.WriteBmp("Art\\minus.bmp", PlusMinus(10, false).Keyed());
  out.WriteBmp("Art\\circle.bmp", Reset().Keyed());
  out.WriteBmp("Art\\dot.bmp", Pointer().Keyed());
  out.WriteBmp("Art\\tick.bmp", Tick().Keyed());
  out.WriteBmp("Art\\showwarp.bmp", Button("Show Warp Links").Keyed());
  out.WriteBmp("Art\\colourinfo.bmp", Button("Colour Info").Keyed());
  out.WriteBmp("Art\\background.bmp", Button("Background").Keyed());
  out.WriteBmp("Art\\buyplan.bmp", Button("Buy Time: 1000").Keyed());
  out.WriteBmp("Art\\Particle1.bmp", Particle().Keyed());
}
