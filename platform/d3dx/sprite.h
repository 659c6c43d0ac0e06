// The sprite batch: textured rectangles drawn unscaled in screen pixels, collected between Begin and
// End and drawn at End with as few draw calls as the textures allow. Text of every font goes through
// one batch, so a frame's text costs one draw per glyph page.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gfx/device.h"

namespace platform::d3dx {

using gfx::Result;

// Begin flags; the values are those callers pass. Other bits are accepted and ignored.
enum : uint32_t {
  SPRITE_ALPHABLEND = 16,    // blend by source alpha; without it rectangles are drawn opaque
  SPRITE_SORT_TEXTURE = 32,  // group the batch by texture (first use decides the order of the groups)
};

class Sprite {
 public:
  ~Sprite();
  Sprite(const Sprite&) = delete;
  Sprite& operator=(const Sprite&) = delete;

  gfx::Device* Device() const { return device_; }
  bool InBatch() const { return inBatch_; }

  // Keeps the device states the batch changes and sets its own; kInvalidCall inside a batch.
  Result Begin(uint32_t flags);
  // Queues the `source` texels of level 0 of the texture with their top-left on pixel (x, y),
  // modulated by the colour (0xAARRGGBB). kInvalidCall outside a batch or for a texture of another device.
  Result Draw(gfx::Texture* texture, const gfx::Rect& source, int32_t x, int32_t y, uint32_t color);
  // Draws what is queued; the batch stays open.
  Result Flush();
  // Draws what is queued and gives the device back the states it had at Begin.
  Result End();
  // Moves the batch to another device (the engine makes a new device when the display mode changes);
  // kInvalidCall inside a batch.
  Result ChangeDevice(gfx::Device* device);

 private:
  friend Result CreateSprite(gfx::Device* device, std::unique_ptr<Sprite>* sprite);
  struct Quad {
    uint32_t group;  // index in textures_
    float x0, y0, x1, y1, u0, v0, u1, v1;
    uint32_t color;
  };
  struct Group {
    gfx::Texture* texture;  // referenced while queued
    float width, height;
  };
  struct Vertex {  // pre-transformed, coloured, one texture coordinate set
    float x, y, z, rhw;
    uint32_t color;
    float u, v;
  };
  Sprite() = default;
  Result MakeStateBlocks(gfx::Device* device);
  void SortQuads();
  void DrawRuns();
  void ReleaseStateBlocks();

  gfx::Device* device_ = nullptr;  // referenced
  gfx::StateBlock* ownStates_ = nullptr;
  gfx::StateBlock* savedStates_ = nullptr;
  bool inBatch_ = false;
  bool statesChanged_ = false;  // a flush of this batch set the batch's states
  uint32_t flags_ = 0;
  std::vector<Quad> quads_;
  std::vector<Group> groups_;
  std::vector<uint32_t> order_;  // quads in drawing order
  std::vector<Vertex> vertices_;
};

// kInvalidCall without a device or out-pointer; the device's failure when it cannot record states.
Result CreateSprite(gfx::Device* device, std::unique_ptr<Sprite>* sprite);

}  // namespace platform::d3dx
