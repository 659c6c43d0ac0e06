// The video module: 33 fixed playback slots, each able to hold a media graph that plays a video into
// a texture drawn on the screen, into an image, or into a window over the engine window. Its frame
// update copies the newest frame of every playing slot, restarts looping videos and places video
// windows. Nothing in the system opens a video (this platform has no media graphs), so every slot
// stays empty and the update finds nothing to do.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"

namespace VideoModule {
// Zeroes every slot.
void Constructor();
// Frees every slot: stops its graph, hides its window, releases its interfaces.
void Destructor();
void SetErrorHandler(uint32_t* errorWord);
// Keeps CoreData and the device, and links the image and sprite functions the slots use.
void PassCoreData(CoreData* coreData);
// 0: Destructor (a device reset); 1: zeroes the slots and links again with the kept CoreData.
void RefreshD3D(int mode);
}  // namespace VideoModule

// Frame work (CoreTable slot).
void VideoUpdate();
// 1 stops every copy of a frame into a slot's texture.
void SetVideoFrameCopyOff(uint8_t off);
