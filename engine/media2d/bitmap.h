// The bitmap module: numbered off-screen drawing surfaces. A bitmap is a lockable render target with
// its own depth-stencil surface; selecting it sends all later drawing (2D, text, sprites, 3D) into it
// until the screen, bitmap 0, is selected again. The game composes generated images in bitmaps.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"

namespace BitmapModule {
void Constructor();
void Destructor();
void SetErrorHandler(uint32_t* errorWord);
// Takes the device, makes the screen record and selects the screen.
void PassCoreData(CoreData* coreData);
// 0 deletes every bitmap (device reset); 1 selects the screen again.
void RefreshD3D(int mode);
}  // namespace BitmapModule

// Numbers are 1..22000000 (1001 outside); selection and the existence test also take 0, the screen.
// Missing bitmaps raise 1002.
// Makes (or remakes) the bitmap in the back buffer's format, selects it and clears it to black. When
// it cannot be made, the text error and 1002 are raised and nothing is cleared; the drawing target
// stays as it was (the screen, when the bitmap replaced was the target).
void NewBitmap(int32_t number, int32_t width, int32_t height);
// Selects the screen and releases the bitmap.
void DeleteBitmap(int32_t number);
void SelectBitmap(int32_t number);
int32_t BitmapExists(int32_t number);

// Pixel hand-over for the memory blocks. Mode 1: a new block (free it with another mode) of the
// bitmap's rows, top to bottom, packed in the surface's own pixel format; any other mode frees the
// block given in `data`.
void GetBitmapData(int32_t number, int32_t* width, int32_t* height, int32_t* depth, uint8_t** data, int32_t* size,
                   uint8_t mode);
// Makes the bitmap when needed (depth 16, 24 or 32) and copies height rows of width x depth / 8 bytes
// into it; nothing when `size` holds fewer bytes than that.
void SetBitmapData(int32_t number, int32_t width, int32_t height, int32_t depth, const uint8_t* data, int32_t size);
