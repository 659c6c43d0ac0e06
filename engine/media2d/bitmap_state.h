// The bitmap module's records and state. Internal to the module and its tests.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"
#include "engine/core/id_list.h"

namespace platform::gfx { class Api; class Device; class Surface; }

struct BitmapRecord {
  platform::gfx::Surface* colour = nullptr;        // the render target
  platform::gfx::Surface* depthStencil = nullptr;  // null when the device offers none for the format
  int32_t width = 0, height = 0;
  int32_t depth = 0;  // bits per pixel
};

struct BitmapState {
  IdList list;  // record 0 is the screen, with no surfaces of its own
  BitmapRecord* current = nullptr;
  uint32_t creationFormat = 0;  // the back buffer's
  uint32_t creationBits = 0;
  platform::gfx::Api* api = nullptr;
  platform::gfx::Device* device = nullptr;
  CoreData* core = nullptr;
};

BitmapState& Bitmaps();

constexpr int32_t kMaxBitmapNumber = 22000000;
constexpr uint32_t kErrorBitmapNumber = 1001;
constexpr uint32_t kErrorBitmapMissing = 1002;

// The first depth-stencil format the device pairs with `format`; 0 when there is none.
uint32_t ChooseDepthFormat(uint32_t format);
// Makes the record and files it under the number; null (with the text error raised) when the render
// target cannot be made.
BitmapRecord* CreateBitmap(int32_t number, int32_t width, int32_t height, uint32_t format);
// The record's surfaces are released and the record freed and removed; the screen is selected first
// when the number is the drawing target.
void RemoveBitmapRecord(int32_t number);
