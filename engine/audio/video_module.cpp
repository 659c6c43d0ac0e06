// The video module's entries, slot freeing and frame work.
#include <cstring>

#include "engine/audio/video.h"
#include "engine/audio/video_state.h"
#include "engine/core/errors.h"
#include "engine/display/display.h"
#include "engine/media2d/image.h"
#include "engine/media2d/sprite.h"
#include "platform/gfx/device.h"
#include "platform/window/window.h"

namespace pa = platform::audio;

namespace {

VideoState g_video;

void ZeroSlots() {
  std::memset(g_video.slots, 0, sizeof g_video.slots);
  std::memset(g_video.side, 0, sizeof g_video.side);
}

// Places the slot's video window over its rectangle, scaled from the display to the engine window.
void PlaceVideoWindow(VideoSlot& slot) {
  CoreData* core = g_video.core;
  if (!core) return;
  core->videoRect = slot.rect;
  int clientWidth = 0, clientHeight = 0;
  if (core->window) core->window->GetClientSize(clientWidth, clientHeight);
  if (core->displayWidth <= 0 || core->displayHeight <= 0) return;
  const double sx = double(clientWidth) / core->displayWidth, sy = double(clientHeight) / core->displayHeight;
  const int32_t left = int32_t(slot.rect.left * sx), top = int32_t(slot.rect.top * sy);
  const int32_t right = int32_t(slot.rect.right * sx), bottom = int32_t(slot.rect.bottom * sy);
  slot.window->SetWindowPosition(left, top, right - left, bottom - top);
}

}  // namespace

VideoState& Videos() { return g_video; }

void FreeVideoSlot(VideoSlot& slot) {
  if (slot.control) slot.control->Stop();
  if (slot.window) {
    slot.window->SetVisible(false);
    slot.window->SetOwner(nullptr);
    if (g_video.core) g_video.core->videoRect = CoreRect{0, 0, 0, 0};
  }
  pa::ReleaseMedia(slot.control);
  pa::ReleaseMedia(slot.event);
  pa::ReleaseMedia(slot.position);
  pa::ReleaseMedia(slot.window);
  for (pa::MediaObject*& other : slot.others) pa::ReleaseMedia(other);
  pa::ReleaseMedia(slot.graph);
  delete slot.grabber;
  slot.grabber = nullptr;
  if (slot.texture) slot.texture->Release();
  slot.texture = nullptr;
}

namespace VideoModule {

void Constructor() { ZeroSlots(); }

void Destructor() {
  for (VideoSlot& slot : g_video.slots) FreeVideoSlot(slot);
  ZeroSlots();
}

void SetErrorHandler(uint32_t* errorWord) { SetModuleErrorHandler(errorWord); }

void PassCoreData(CoreData* coreData) {
  VideoState& v = g_video;
  v.core = coreData;
  v.getDevice = GetDirect3DDevice;
  v.device = v.getDevice();
  v.getImageTexture = GetImageTexture;
  v.createImage = CreateImage;
  v.createImageWithUsage = CreateImageWithUsage;
  v.getImageWidth = GetImageWidth;
  v.getImageHeight = GetImageHeight;
  v.imageExists = ImageExists;
  v.deleteImage = DeleteImage;
  v.pasteTextureRect = PasteTextureRect;
}

void RefreshD3D(int mode) {
  if (mode == 0) {
    Destructor();
  } else if (mode == 1) {
    ZeroSlots();
    PassCoreData(g_video.core);
  }
}

}  // namespace VideoModule

void SetVideoFrameCopyOff(uint8_t off) { g_video.frameCopyOff = off; }

void VideoUpdate() {
  VideoState& v = g_video;
  for (int i = 0; i < kVideoSlotCount; ++i) {
    VideoSlot& slot = v.slots[i];
    if (!slot.control) continue;
    if (!slot.window) CopyVideoFrame(slot.grabber);
    int32_t code = 0;
    intptr_t param1 = 0, param2 = 0;
    if (slot.eventCheck && slot.event && pa::Succeeded(slot.event->GetEvent(&code, &param1, &param2, 0))) {
      if (code == pa::kEventComplete) {
        if (slot.looping) {
          if (slot.position) slot.position->SetCurrentPosition(0.0);
        } else {
          v.side[i].playing = 0;
        }
      }
      slot.event->FreeEventParams(code, param1, param2);  // whatever the event, its parameters go
    }
    if (slot.window) {
      PlaceVideoWindow(slot);
    } else if (slot.targetImage == 0) {
      if (v.pasteTextureRect && slot.texture)
        v.pasteTextureRect(slot.texture, slot.u, slot.v, slot.rect.left, slot.rect.top, slot.rect.right,
                           slot.rect.bottom);
    } else {
      CopyFrameToImage(slot);
    }
  }
}
