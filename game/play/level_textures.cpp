// The level's generated textures: the base texture tinted with the ball's colour under the block
// frame (image 1) and the door images, both composed on bitmap 2.
#include <algorithm>

#include "engine/media2d/basic2d.h"
#include "engine/media2d/bitmap.h"
#include "engine/media2d/image.h"
#include "engine/media2d/sprite.h"
#include "engine/objects/object_commands.h"
#include "game/play/game_state.h"
#include "game/play/level_builder.h"
#include "game/play/level_internal.h"

namespace {

int32_t Channel(int32_t value) { return std::clamp(value, 0, 255); }

// Start-up makes bitmap 2; should it be missing, drawing into the screen instead would capture the
// screen, so it is made here.
void SelectLevelBitmap() {
  if (!BitmapExists(kLevelBitmap)) NewBitmap(kLevelBitmap, kLevelTextureSize, kLevelTextureSize);
  SelectBitmap(kLevelBitmap);
}

// Fills bitmap 2 with the colour.
void FillLevelBitmap(uint32_t colour) {
  SetDrawColors(colour, 0);
  DrawBox(0, 0, kLevelTextureSize, kLevelTextureSize);
}

}  // namespace

uint32_t ClampedColour(int32_t red, int32_t green, int32_t blue) {
  return Rgb(Channel(red), Channel(green), Channel(blue));
}

void MakeDoorImage(int32_t image, int32_t red, int32_t green, int32_t blue) {
  SelectLevelBitmap();
  FillLevelBitmap(ClampedColour(red, green, blue));
  DrawSpriteAt(kBlockFrameSprite, 0, 0);
  CaptureImage(image, 0, 0, kLevelTextureSize, kLevelTextureSize);
  SelectBitmap(0);
}

void LoadLevelTexture(const char* path) {
  if (LoadImage(path, kBaseLevelImage)) LoadImage(path, kTintedLevelImage);
  else if (HasImage(kTintedLevelImage)) DeleteImage(kTintedLevelImage);
}

void TintLevelTexture(int32_t r, int32_t g, int32_t b) {
  // The play loop tints with each channel + 30, so values above 255 arrive; the sprite takes 0..255.
  r = Channel(r), g = Channel(g), b = Channel(b);
  if (r == 255 && g == 0 && b == 255) b = 254;  // the colour key would turn the texture transparent
  if (HasImage(kTintedLevelImage)) DeleteImage(kTintedLevelImage);
  SelectLevelBitmap();
  FillLevelBitmap(Rgb(0, 0, 0));
  SetSpriteColor(kBaseTextureSprite, r, g, b);
  DrawSpriteAt(kBaseTextureSprite, 0, 0);
  SetSpriteColor(kBaseTextureSprite, 255, 255, 255);
  DrawSpriteAt(kBlockFrameSprite, 0, 0);
  CaptureImage(kTintedLevelImage, 0, 0, kLevelTextureSize, kLevelTextureSize);
  SelectBitmap(0);
  RetextureBlocks();
}

void RetextureBlocks() {
  const MapTables& map = CurrentMap();
  const int32_t count = std::clamp(map.header.recordCount, 0, kMapRecordCapacity);
  for (int32_t i = 0; i < count; ++i) {
    const int32_t block = map.records[i].blockObject;
    if (block == -1) return;
    if (LevelObjectExists(block)) SetObjectTexture(block, kTintedLevelImage);
  }
  const int32_t* colour = Game().playerColour;
  int32_t blue = Channel(colour[2]);
  if (Channel(colour[0]) == 255 && Channel(colour[1]) == 0 && blue == 255) blue = 254;
  if (LevelObjectExists(kHeartCentreObject)) SetObjectColor(kHeartCentreObject, ClampedColour(colour[0], colour[1], blue));
}
