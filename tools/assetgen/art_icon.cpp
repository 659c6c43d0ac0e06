// The game's window icon, "icon.bmp" beside the media folders, where the engine's start-up looks for
// its window class's icon: the gyroscope ball in the title purple inside a cyan ring, on a
// transparent ground (a 32-bit BMP keeps the alpha).
#include <algorithm>
#include <cmath>

#include "tools/assetgen/art_style.h"
#include "tools/assetgen/generators.h"
#include "platform/d3dx/pictures/picture_writers.h"

namespace {

constexpr int kIconSize = 32;

// Straight alpha, channel by channel rounded to bytes, as ARGB.
platform::d3dx::Picture WithAlphaKept(const Canvas& c) {
  platform::d3dx::Picture picture(uint32_t(c.width()), uint32_t(c.height()));
  const auto byte = [](float v) { return uint32_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
  for (int y = 0; y < c.height(); ++y)
    for (int x = 0; x < c.width(); ++x) {
      const Colour& p = c.At(x, y);
      picture.At(uint32_t(x), uint32_t(y)) = byte(p.a) << 24 | byte(p.r) << 16 | byte(p.g) << 8 | byte(p.b);
    }
  return picture;
}

}  // namespace

void MakeIcon(const Output& out) {
  Canvas c(kIconSize, kIconSize);
  const double centre = kIconSize / 2.0;
  c.Circle(centre, centre, 15.5, kPanelDark);
  c.Ring(centre, centre, 12.5, 15, kCyan);
  c.Circle(centre, centre, 10, kFramePurple);
  c.Circle(centre - 1.5, centre - 1.5, 8, kTitlePurple);
  c.Circle(centre - 4, centre - 4, 3, Rgb(255, 255, 255, 0.7f));  // the light on the ball
  std::vector<uint8_t> bytes;
  if (platform::d3dx::EncodePicture(platform::d3dx::IFF_BMP, WithAlphaKept(c), true, bytes) != platform::gfx::kOk)
    Fail("cannot encode icon.bmp");
  out.WriteBytes("icon.bmp", bytes);
}
