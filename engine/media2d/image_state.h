// The image module's records and state. Internal to the module and its tests.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"
#include "engine/core/id_list.h"
#include "engine/media2d/image.h"

namespace platform::gfx { class Api; class BaseTexture; class Device; class Surface; }

constexpr int32_t kMaxItemNumber = 22000000;
constexpr int kImageNameSize = 256;  // the record keeps 255 characters and a terminator

struct ImageRecord {
  platform::gfx::BaseTexture* texture = nullptr;  // owned: a flat texture, or a cube texture (mode 2)
  platform::gfx::CubeTexture* cubeTarget = nullptr;
  uint32_t cubeFace = 0;
  int32_t width = 0, height = 0;  // of the picture, not of the texture
  int32_t depth = 0;              // bits per pixel of level 0
  uint8_t locked = 0;             // held by LockImage
  float u = 1.0f, v = 1.0f;       // share of the texture the picture covers
  int32_t lockPitch = 0;
  uint8_t* lockBits = nullptr;
  int32_t lockWidth = 0, lockHeight = 0;  // size of the locked level, for bounds checks
  char fileName[kImageNameSize] = {};
};

using PasteImageFn = int32_t (*)(int32_t image, int32_t x, int32_t y, float u, float v, int32_t blended);

struct ImageState {
  IdList images;  // owns the records
  uint32_t format = 0;
  uint32_t colorKey = 0xFF000000u;
  platform::gfx::Device* device = nullptr;
  platform::gfx::Api* api = nullptr;  // one reference, taken from the device
  int32_t lastWidth = 0, lastHeight = 0;
  CoreData* core = nullptr;
  int32_t memoryMode = 0;
  void (*changeLink)() = nullptr;  // every sprite reads its image's fields again
  PasteImageFn pasteLink = nullptr;
  ImageReleaseHandler releaseHandler = nullptr;
};

ImageState& Images();

inline bool InImageRange(int32_t image) { return image >= 1 && image <= kMaxItemNumber; }
ImageRecord* FindImage(int32_t image);
// The record's texture when it is a flat one.
platform::gfx::Texture* FlatTexture(const ImageRecord& record);
// Runs the change link (sprites re-read their image).
void NotifyImageChange();
// Deletes the image when it exists: release handler, texture released, record freed, holders told.
void DeleteImageRecord(int32_t image);
// An image of the size with one level of the format; replaces an image of that number.
platform::gfx::Texture* CreateImageRecord(int32_t image, int32_t width, int32_t height, uint32_t format,
                                          uint32_t usage);
// Files the record under the number and tells the holders.
void AddImageRecord(int32_t image, ImageRecord* record);
// Share of a texture side covered by a picture side, at most 1.0.
float Extent(int32_t pictureSide, uint32_t textureSide);
// Level 0's size and format; false without a flat texture.
bool Level0(const ImageRecord& record, uint32_t* width, uint32_t* height, uint32_t* format);
// Chooses the module's texture format from the render surface (start-up, device reset).
void InitImageFormat(CoreData* coreData);
