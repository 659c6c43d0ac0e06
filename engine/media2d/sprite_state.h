// The sprite module's records, list, draw queue and background state. Internal to the module and its
// tests.
#pragma once
#include <cstdint>
#include <vector>

#include "engine/core/core_data.h"
#include "engine/core/id_list.h"
#include "engine/media2d/sprite.h"

namespace platform::gfx { class Device; class Surface; class Texture; }

// Pre-transformed position, diffuse colour, one texture-coordinate pair.
constexpr uint32_t kSpriteFvf = 0x144;

struct SpriteVertex {
  float x, y, z, rhw;
  uint32_t diffuse;
  float u, v;
};
static_assert(sizeof(SpriteVertex) == 28);

struct SpriteRecord {
  platform::gfx::Device* device = nullptr;
  float x = 0, y = 0;
  int32_t alpha = 255, red = 255, green = 255, blue = 255;
  int32_t offsetX = 0, offsetY = 0;  // handle offset subtracted from the position
  int32_t width = 0, height = 0;
  float u = 1.0f, v = 1.0f;
  float scaleX = 1.0f, scaleY = 1.0f;
  uint8_t blended = 1;
  int32_t setWidth = 0, setHeight = 0;  // 0: width x scale is used
  platform::gfx::Texture* texture = nullptr;  // the image's, not owned
  int32_t image = 0;
  uint8_t visible = 1;
  SpriteVertex vertices[4] = {};  // top-left, top-right, bottom-left, bottom-right
};

// The image functions the sprite module reads (kept at construction).
struct SpriteImageLinks {
  int32_t (*width)(int32_t image) = nullptr;
  int32_t (*height)(int32_t image) = nullptr;
  platform::gfx::Texture* (*texture)(int32_t image) = nullptr;
  float (*u)(int32_t image) = nullptr;
  float (*v)(int32_t image) = nullptr;
};

constexpr int32_t kInitialQueueCapacity = 100;

struct SpriteList : RecordList {
  std::vector<SpriteRecord> queue;  // whole copies; size() is the capacity
  int32_t count = 0;                // entries in use
};

struct SpriteState {
  SpriteList list;
  platform::gfx::Device* device = nullptr;
  CoreData* core = nullptr;
  SpriteImageLinks images;
  platform::gfx::Surface* backBuffer = nullptr;   // one reference
  platform::gfx::Surface* backgroundCopy = nullptr;  // system-memory surface of the back buffer's size
  int32_t backgroundMode = 0;  // 2 from the first sprite of the run, 0 when the last one goes
  bool anySpriteCreated = false;
  SpriteRecord scratch;  // pastes of images and video frames
};

SpriteState& Sprites();
SpriteRecord* FindSprite(int32_t sprite);
// Sets the quad's four corners for the integer screen position (x, y).
void PlaceSprite(SpriteRecord& record, int32_t x, int32_t y);
void SetTextureCoordinates(SpriteRecord& record, float u, float v);
void SetDiffuse(SpriteRecord& record);
void QueueSprite(int32_t sprite);
// Both return the device's result of the last state change (0 on success).
int32_t DrawSpriteQueue();
int32_t DrawSpriteNow(const SpriteRecord& record);
// Drops every sprite (records and list nodes).
void ClearSprites();
