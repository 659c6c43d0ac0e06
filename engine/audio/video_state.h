// The video module's slots and state. Internal to the module and its tests.
#pragma once
#include <cstdint>
#include <vector>

#include "engine/core/core_data.h"
#include "platform/audio/media_graph.h"

namespace platform::gfx { class Device; class Texture; }

constexpr int kVideoSlotCount = 33;

// Holds the newest frame a graph rendered: bottom-up rows of 24-bit pixels (blue, green, red).
struct FrameGrabber {
  std::vector<uint8_t> frame;
  int32_t width = 0, height = 0;
  int32_t stride = 0;  // bytes per row
  platform::gfx::Texture* texture = nullptr;  // the frame texture (the slot's)
  uint32_t format = 0;                        // 21 (A8R8G8B8) or 25 (A1R5G5B5)
};

struct VideoSlot {
  uint8_t leading[256];
  // The graph's twelve interfaces; each released when the slot is freed.
  platform::audio::MediaObject* graph;
  platform::audio::MediaControl* control;
  platform::audio::MediaEvent* event;
  platform::audio::MediaPosition* position;
  platform::audio::VideoWindow* window;
  platform::audio::MediaObject* others[7];
  FrameGrabber* grabber;  // owned
  platform::gfx::Texture* texture;  // the frame texture
  float u, v;  // part of the texture holding the frame; a negative v: stored upside down
  CoreRect rect;  // on the screen
  uint8_t eventCheck;  // 1: one event is taken every frame
  uint8_t looping;
  int32_t targetImage;  // 0: drawn on the screen
  platform::gfx::Texture* imageTexture;  // the target image's texture
};

// Three words beside each slot; the second byte is the slot's playing flag.
struct VideoSideEntry {
  uint8_t flags;
  uint8_t playing;
  uint8_t spare[10];
};

struct VideoState {
  VideoSlot slots[kVideoSlotCount];
  VideoSideEntry side[kVideoSlotCount];
  CoreData* core = nullptr;
  platform::gfx::Device* (*getDevice)() = nullptr;
  platform::gfx::Device* device = nullptr;
  platform::gfx::Texture* (*getImageTexture)(int32_t) = nullptr;
  platform::gfx::Texture* (*createImage)(int32_t, int32_t, int32_t) = nullptr;
  platform::gfx::Texture* (*createImageWithUsage)(int32_t, int32_t, int32_t, uint32_t) = nullptr;
  int32_t (*getImageWidth)(int32_t) = nullptr;
  int32_t (*getImageHeight)(int32_t) = nullptr;
  bool (*imageExists)(int32_t) = nullptr;
  void (*deleteImage)(int32_t) = nullptr;
  void (*pasteTextureRect)(platform::gfx::Texture*, float, float, int32_t, int32_t, int32_t, int32_t) = nullptr;
  uint8_t frameCopyOff = 0;
};

VideoState& Videos();

// Copies the grabber's newest frame into its texture (top-down, scaled down when the frame is larger).
void CopyVideoFrame(FrameGrabber* grabber);
// Copies the slot's frame rectangle into its target image, scaled to the image (nearest pixel).
void CopyFrameToImage(VideoSlot& slot);
// Stops the slot's graph, hides its window, releases its interfaces and frame grabber.
void FreeVideoSlot(VideoSlot& slot);
