// Level textures (bright, since the game tints them with the ball's colour and frames them in grey),
// the warp's see-through swirl, the editor's marker textures and the plasma's sphere map.
#include <cmath>
#include <string>

#include "tools/assetgen/art_style.h"
#include "tools/assetgen/generators.h"
#include "tools/assetgen/random.h"
#include "tools/assetgen/text.h"

namespace {

constexpr int kSide = 256;

// Fine grain over a bright base, tiling.
void Grain(Canvas& c, uint32_t seed, float strength) {
  for (int y = 0; y < c.height(); ++y)
    for (int x = 0; x < c.width(); ++x) {
      const double n = TiledNoise(x / 8.0, y / 8.0, c.width() / 8, 3, seed) - 0.5;
      c.Blend(x, y, n > 0 ? Rgb(255, 255, 255) : Rgb(0, 0, 0), float(std::abs(n) * strength));
    }
}

// Raised panels: a light edge up and left, a dark edge down and right.
void Bevel(Canvas& c, int x0, int y0, int x1, int y1, float depth) {
  c.FillRect(x0, y0, x1, y0 + 2, Rgb(255, 255, 255, depth));
  c.FillRect(x0, y0, x0 + 2, y1, Rgb(255, 255, 255, depth));
  c.FillRect(x0, y1 - 2, x1, y1, Rgb(0, 0, 0, depth));
  c.FillRect(x1 - 2, y0, x1, y1, Rgb(0, 0, 0, depth));
}

Canvas Plain() {
  Canvas c(kSide, kSide, Rgb(226, 226, 232));
  Grain(c, 1, 0.12f);
  for (int y = 0; y < kSide; y += 128)
    for (int x = 0; x < kSide; x += 128) Bevel(c, x, y, x + 128, y + 128, 0.25f);
  c.Circle(128, 128, 10, Rgb(200, 200, 210));
  c.Ring(128, 128, 10, 12, Rgb(170, 170, 185));
  return c;
}

Canvas Tiles() {
  Canvas c(kSide, kSide, Rgb(235, 235, 240));
  for (int ty = 0; ty < 4; ++ty)
    for (int tx = 0; tx < 4; ++tx) {
      const int x0 = tx * 64, y0 = ty * 64;
      c.FillRect(x0, y0, x0 + 64, y0 + 64, (tx + ty) % 2 ? Rgb(205, 205, 215) : Rgb(245, 245, 250));
      Bevel(c, x0, y0, x0 + 64, y0 + 64, 0.3f);
    }
  Grain(c, 2, 0.08f);
  return c;
}

Canvas Stone() {
  Canvas c(kSide, kSide);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      const double n = TiledNoise(x / 32.0, y / 32.0, 8, 5, 31);
      const int v = int(180 + 70 * n);
      c.At(x, y) = Rgb(v, v, std::min(255, v + 6));
    }
  // Slabs in a running bond.
  for (int row = 0; row < 4; ++row) {
    const int y0 = row * 64, shift = row % 2 ? 64 : 0;
    c.FillRect(0, y0, kSide, y0 + 3, Rgb(120, 120, 130, 0.8f));
    for (int x = shift; x < kSide + shift; x += 128) c.FillRect(x % kSide, y0, x % kSide + 3, y0 + 64, Rgb(120, 120, 130, 0.8f));
  }
  return c;
}

Canvas Circuit() {
  Canvas c(kSide, kSide, Rgb(220, 228, 236));
  Grain(c, 4, 0.06f);
  Random random(44);
  const Colour trace = Rgb(150, 165, 190);
  for (int i = 0; i < 26; ++i) {
    double x = random.Int(0, 15) * 16 + 8, y = random.Int(0, 15) * 16 + 8;
    for (int step = 0; step < 5; ++step) {
      const int dir = random.Int(0, 3);
      const double nx = x + (dir == 0 ? 32 : dir == 1 ? -32 : 0), ny = y + (dir == 2 ? 32 : dir == 3 ? -32 : 0);
      // Traces wrap round the edges, so the texture tiles.
      for (int ox = -kSide; ox <= kSide; ox += kSide)
        for (int oy = -kSide; oy <= kSide; oy += kSide) c.Line(x + ox, y + oy, nx + ox, ny + oy, 3, trace);
      x = std::fmod(nx + kSide, kSide), y = std::fmod(ny + kSide, kSide);
    }
    c.Circle(x, y, 5, trace);
    c.Circle(x, y, 2.5, Rgb(245, 245, 250));
  }
  return c;
}

// Bands running down the texture (the game scrolls it downwards), every other band the key colour.
Canvas WarpSwirl() {
  Canvas c(64, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const double wave = std::sin((y + 6 * std::sin(x * 2 * M_PI / 64)) * 2 * M_PI / 16);
      if (wave < -0.2) continue;
      const float bright = float(0.55 + 0.45 * wave);
      c.At(x, y) = Mix(Rgb(40, 120, 255), Rgb(160, 255, 255), bright);
    }
  return c;
}

Canvas Marker(Colour base, const std::string& symbol, const std::string& label) {
  Canvas c(64, 64, base);
  Grain(c, 9, 0.1f);
  Bevel(c, 0, 0, 64, 64, 0.45f);
  c.Circle(32, 27, 17, Rgb(255, 255, 255, 0.25f));
  DrawShadowedText(c, 32, 9, symbol, {"DejaVu Sans", 26, true, false, Rgb(255, 255, 255), Align::kCentre}, Rgb(0, 0, 0, 0.6f), 2);
  DrawText(c, 32, 47, label, {"Liberation Sans", 10, true, false, Rgb(255, 255, 255), Align::kCentre});
  return c;
}

// A sphere map: the plasma's glow reflected round it.
Canvas PlasmaSphereMap() {
  Canvas c(128, 128);
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) {
      const double dx = (x + 0.5 - 64) / 64, dy = (y + 0.5 - 64) / 64, d = std::hypot(dx, dy);
      const double swirl = TiledNoise(x / 16.0, y / 16.0, 8, 3, 77);
      const float t = float(std::clamp(1 - d, 0.0, 1.0));
      c.At(x, y) = Mix(Rgb(10, 20, 90), Rgb(90, 170, 255), t * float(0.6 + 0.4 * swirl));
    }
  c.Glow(44, 40, 34, Rgb(255, 255, 255), 0.9f);
  return c;
}

}  // namespace

void MakeTextures(const Output& out) {
  out.WriteJpeg("Textures\\TexPlain.jpg", Plain().Opaque());
  out.WriteJpeg("Textures\\TexTiles.jpg", Tiles().Opaque());
  out.WriteJpeg("Textures\\TexStone.jpg", Stone().Opaque());
  out.WriteJpeg("Textures\\TexCircuit.jpg", Circuit().Opaque());
  out.WriteBmp("Textures\\Warp.bmp", WarpSwirl().Keyed());
  out.WriteJpeg("Textures\\PlayerStart.jpg", Marker(Rgb(40, 160, 60), "S", "START").Opaque());
  out.WriteJpeg("Textures\\Message.jpg", Marker(Rgb(200, 160, 20), "?", "MESSAGE").Opaque());
  out.WriteJpeg("Textures\\Platform.jpg", Marker(Rgb(50, 90, 180), "<>", "MOVER").Opaque());
  out.WriteJpeg("Textures\\Respawn.jpg", Marker(Rgb(210, 100, 30), "R", "RESPAWN").Opaque());
  out.WriteJpeg("Models\\plasmaball-blue.jpg", PlasmaSphereMap().Opaque());
}
