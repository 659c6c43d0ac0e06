// The basic 2D module's state. Internal to the module and its tests.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"

namespace platform::gfx { class Device; class Surface; class VertexBuffer; }

struct Basic2DState {
  platform::gfx::Surface* lockSurface = nullptr;
  bool locked = false;
  uint8_t* bits = nullptr;
  int32_t pitch = 0;
  int32_t lockedWidth = 0, lockedHeight = 0;
  // Of the locked surface's own format: a bitmap may be 16 bits deep on a 32-bit screen.
  int32_t lockedBytesPerPixel = 0;
  platform::gfx::Device* device = nullptr;
  platform::gfx::VertexBuffer* lineBuffer = nullptr;  // two XYZRHW | DIFFUSE vertices
  CoreData* core = nullptr;
};

Basic2DState& Basic2D();

// Writes one pixel into the locked surface; pixels outside it (or off the screen) are dropped.
void WritePixel(int32_t x, int32_t y, uint32_t colour);
