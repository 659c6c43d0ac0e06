// Textures the game draws itself, pixel by pixel: the striped heart of the goal pad in the ball's
// colour (image 5001 on object 101), the two music-level hearts (images 5002 and 5003 on objects
// 102 and 103), and the pixel and line drawing the visualiser uses.
#pragma once
#include <cstdint>

#include "platform/gfx/resources.h"

constexpr int32_t kColourImage = 5001;
constexpr int32_t kLeftLevelImage = 5002;
constexpr int32_t kRightLevelImage = 5003;
constexpr int32_t kGeneratedImageSize = 128;

// Writes one pixel (a packed colour) into level 0 of the image's texture. The last column and row are
// never written, nor anything outside the image.
void SetImagePixel(int32_t image, int32_t x, int32_t y, uint32_t colour);
// A straight line, both ends included, under the same rule; the texture is locked once.
void DrawImageLine(int32_t image, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);
// Level 0 of an image's texture, locked once over a rectangle (both corners included; the whole image
// by default) while the canvas lives, for pixels and lines under the rule above: the texture sends
// what was drawn to GL once, before it is next drawn.
class ImageCanvas {
 public:
  explicit ImageCanvas(int32_t image);
  ImageCanvas(int32_t image, int32_t left, int32_t top, int32_t right, int32_t bottom);
  ~ImageCanvas();
  ImageCanvas(const ImageCanvas&) = delete;
  ImageCanvas& operator=(const ImageCanvas&) = delete;

  void Write(int32_t x, int32_t y, uint32_t colour);
  // Both ends included.
  void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);

 private:
  platform::gfx::Surface* surface_ = nullptr;
  platform::gfx::Rect area_{};
  platform::gfx::LockedRect locked_{};
  uint32_t format_ = 0;
  int32_t bytesPerPixel_ = 0;
};

// Bytes per pixel of a device surface format; 0 for formats the drawing does not write.
int32_t FormatBytesPerPixel(uint32_t format);

// Image 5001 anew: six bands of stripes in the ball's colour.
void BuildColourImage();
// Heart 101 wears image 5001; hearts 102 and 103 wear images 5002 and 5003.
void TextureGoalHeart();
void TextureLevelHearts();
// Image 5002 (left) or 5003 (right) anew: one band per 20 rows of the music channel's level.
void BuildMusicLevelImages(uint8_t left);
