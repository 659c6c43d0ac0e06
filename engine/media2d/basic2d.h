// The basic 2D module: dots, filled boxes, lines, circles and four-colour gradient boxes on the
// current render surface (the back buffer, or the selected bitmap) in the CoreData ink colours, with
// direct pixel access through a lock of the surface and a rectangle copy inside it.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"

namespace Basic2DModule {
void Constructor();
void Destructor();
void SetErrorHandler(uint32_t* errorWord);
void PassCoreData(CoreData* coreData);
// 0 releases the line buffer (device reset); 1 makes it again.
void RefreshD3D(int mode);
}  // namespace Basic2DModule

// Ink colours (packed ARGB) of later 2D drawing and engine text.
void SetDrawColors(uint32_t foreground, uint32_t background);
// 0xFF000000 | (r & 255) << 16 | (g & 255) << 8 | (b & 255).
uint32_t Rgb(int32_t red, int32_t green, int32_t blue);
// A 16-bit 5-6-5 colour.
uint32_t Pack565(int32_t red, int32_t green, int32_t blue);

// One pixel in the ink foreground; outside a lock it locks and unlocks by itself.
void DrawDot(int32_t x, int32_t y);
// Fills (x1, y1)-(x2, y2), right and bottom edges excluded, with the ink foreground.
void DrawBox(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// A circle outline; it unlocks the surface when done, also when the caller had locked it.
void DrawCircle(int32_t x, int32_t y, int32_t radius);
// c1 bottom-left, c2 top-left, c3 bottom-right, c4 top-right.
void DrawGradientBox(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t c1, uint32_t c2, uint32_t c3,
                     uint32_t c4);
// Brackets many dots with one lock of the current render surface.
void LockDrawSurface();
void UnlockDrawSurface();
// Copies the w x h rectangle at (sx, sy) of the current render surface to (dx, dy) of the same surface.
void CopySurfaceRect(int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t sx, int32_t sy);
