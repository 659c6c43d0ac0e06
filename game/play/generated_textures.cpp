#include "game/play/generated_textures.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "engine/media2d/basic2d.h"
#include "engine/media2d/image.h"
#include "engine/objects/object_commands.h"
#include "game/play/game_state.h"
#include "game/play/music.h"
#include "platform/d3dx/pictures/pixel_formats.h"
#include "platform/gfx/resources.h"

namespace gfx = platform::gfx;

namespace {

uint32_t PlayerColour() {
  const int32_t* c = Game().playerColour;
  return Rgb(c[0], c[1], c[2]);
}

// One band of stripes from row b - 2: the first row in `top`, the next five and four sloping lines in
// `rest`.
void DrawBand(ImageCanvas& canvas, int32_t b, uint32_t top, uint32_t rest) {
  canvas.Line(0, b - 2, 128, b - 2, top);
  for (int32_t y = b - 1; y <= b + 3; ++y) canvas.Line(0, y, 128, y, rest);
  for (int32_t k = 0; k < 4; ++k) canvas.Line(0, b + 4 + k, 128, b + k, rest);
}

// A texture of its own for every drawing: the rasteriser threads may still be drawing the last frame
// with the old one, and rewriting that would make the upload wait for them.
void RemakeImage(int32_t image) {
  if (HasImage(image)) DeleteImage(image);
  CreateImage(image, kGeneratedImageSize, kGeneratedImageSize);
}

}  // namespace

ImageCanvas::ImageCanvas(int32_t image) : ImageCanvas(image, 0, 0, INT32_MAX, INT32_MAX) {}

ImageCanvas::ImageCanvas(int32_t image, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  gfx::Texture* texture = GetImageTexture(image);
  if (!texture || gfx::Failed(texture->GetSurfaceLevel(0, &surface_))) return;
  gfx::SurfaceDesc desc{};
  if (gfx::Succeeded(surface_->GetDesc(&desc))) {
    // The surface's own size as well as the image's: a pixel never lands outside the locked bits. The
    // last column and row are left alone.
    const int32_t width = std::min<int32_t>(GetImageWidth(image), int32_t(desc.width));
    const int32_t height = std::min<int32_t>(GetImageHeight(image), int32_t(desc.height));
    area_ = {std::max(left, 0), std::max(top, 0), int32_t(std::min<int64_t>(int64_t(right) + 1, width - 1)),
             int32_t(std::min<int64_t>(int64_t(bottom) + 1, height - 1))};
    format_ = desc.format;
    bytesPerPixel_ = FormatBytesPerPixel(desc.format);
  }
  if (area_.left >= area_.right || area_.top >= area_.bottom || bytesPerPixel_ == 0 ||
      gfx::Failed(surface_->LockRect(&locked_, &area_, 0))) {
    surface_->Release();
    surface_ = nullptr;
  }
}

ImageCanvas::~ImageCanvas() {
  if (!surface_) return;
  surface_->UnlockRect();
  surface_->Release();
}

void ImageCanvas::Write(int32_t x, int32_t y, uint32_t colour) {
  if (!surface_ || x < area_.left || y < area_.top || x >= area_.right || y >= area_.bottom) return;
  uint8_t* at = static_cast<uint8_t*>(locked_.bits) + size_t(y - area_.top) * size_t(locked_.pitch) +
                size_t(x - area_.left) * size_t(bytesPerPixel_);
  if (bytesPerPixel_ == 4) {
    std::memcpy(at, &colour, 4);
    return;
  }
  // Narrower formats get the colour in their own layout, in their own bytes only.
  platform::d3dx::Picture pixel(1, 1, colour);
  platform::d3dx::WritePixels(gfx::Format(format_), pixel, at, size_t(bytesPerPixel_));
}

void ImageCanvas::Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
  const int32_t dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
  const int32_t sx = x2 >= x1 ? 1 : -1, sy = y2 >= y1 ? 1 : -1;
  int32_t x = x1, y = y1, e = 0;
  if (dy < dx) {
    while (x != x2) {
      Write(x, y, colour);
      x += sx;
      e += 2 * dy;
      if (e > dx) y += sy, e -= 2 * dx;
    }
  } else {
    while (y != y2) {
      Write(x, y, colour);
      y += sy;
      e += 2 * dx;
      if (e > dy) x += sx, e -= 2 * dy;
    }
  }
  Write(x, y, colour);
}

int32_t FormatBytesPerPixel(uint32_t format) {
  switch (format) {
    case gfx::FMT_R8G8B8:
      return 3;
    case gfx::FMT_A8R8G8B8: case gfx::FMT_X8R8G8B8: case gfx::FMT_A2B10G10R10: case gfx::FMT_A8B8G8R8:
    case gfx::FMT_X8B8G8R8: case gfx::FMT_G16R16: case gfx::FMT_A2R10G10B10:
      return 4;
    case gfx::FMT_R5G6B5: case gfx::FMT_X1R5G5B5: case gfx::FMT_A1R5G5B5: case gfx::FMT_A4R4G4B4:
    case gfx::FMT_A8R3G3B2: case gfx::FMT_X4R4G4B4:
      return 2;
    case gfx::FMT_R3G3B2: case gfx::FMT_A8:
      return 1;
    default:
      return 0;
  }
}

void SetImagePixel(int32_t image, int32_t x, int32_t y, uint32_t colour) {
  ImageCanvas(image, x, y, x, y).Write(x, y, colour);
}

void DrawImageLine(int32_t image, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
  ImageCanvas(image, std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2))
      .Line(x1, y1, x2, y2, colour);
}

void BuildColourImage() {
  RemakeImage(kColourImage);
  const uint32_t colour = PlayerColour();
  ImageCanvas canvas(kColourImage);
  for (int32_t b = 2; b - 2 < 107; b += 20) DrawBand(canvas, b, colour, colour);
}

void TextureGoalHeart() { SetObjectTexture(101, kColourImage); }

void TextureLevelHearts() {
  SetObjectTexture(102, kLeftLevelImage);
  SetObjectTexture(103, kRightLevelImage);
}

void BuildMusicLevelImages(uint8_t left) {
  const int32_t image = left ? kLeftLevelImage : kRightLevelImage;
  RemakeImage(image);
  float levels[2] = {};
  GetMusicLevels(&levels[0], &levels[1]);
  const float level = (left ? levels[0] : levels[1]) * 127.0f;
  if (level <= 0.0f) return;
  ImageCanvas canvas(image);
  for (int32_t b = 2; float(b - 2) < level; b += 20) DrawBand(canvas, b, PlayerColour(), Rgb(0, 255, 255));
}
