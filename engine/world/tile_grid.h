// The tile-grid module: numbered grids of square tiles (tiles X by tiles Z, each a quad of 4 vertices
// and 2 triangles) drawn in two per-camera passes of the frame step, each grid in one vertex buffer
// with 16-bit index buffers, placed by its own world matrix and drawn with its own fill, cull, depth,
// fog, ambient, blending and sampling options. The module also gives the device its start-up light 0
// and fog defaults. It raises no runtime errors: a command on a number outside 1..22000000 or without
// a grid does nothing and reports false.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"

namespace TileGridModule {
// SetupTileGridModule: fog defaults and light 0 on the device.
void Constructor();
// Releases every grid.
void Destructor();
void SetErrorHandler(uint32_t* errorWord);
// Keeps CoreData and the camera-placement and vector-store links.
void PassCoreData(CoreData* coreData);
// 0 releases every grid (a device reset drops them); 1 sets the module up again and passes CoreData
// again; any other value does nothing.
void RefreshD3D(int mode);
}  // namespace TileGridModule

// --- the frame step's slots (CoreTable)
// Grids whose pass byte is not 1 (before the object main phase).
void DrawTileGridsFirstPass();
// Grids whose pass byte is not 0 (after the stencil effects end).
void DrawTileGridsSecondPass();

// --- making grids
// A flat grid of tilesX x tilesZ square tiles of side tileSize in the x-z plane at height 0, from
// (0, 0, 0) towards +x and +z, normals up, white, each tile textured 0..1 with `image` on stage 0
// (0: none). It draws in both passes, lit, culled, depth-tested, fogged, in ambient light, with linear
// filtering and wrapped addressing. A grid of more than 16384 tiles is indexed in batches. A number in
// use is replaced. False (nothing made) for a number outside 1..22000000, a count below 1, more than
// 1 << 20 tiles, a size that is not a positive number, or no device.
bool MakeTileGrid(int32_t grid, int32_t tilesX, int32_t tilesZ, float tileSize, int32_t image);
// Deletes the grid and its buffers.
bool DeleteTileGrid(int32_t grid);
bool TileGridExists(int32_t grid);
// The colour (0xAARRGGBB) of the four vertices of tile (tileX, tileZ).
bool SetTileGridTileColor(int32_t grid, int32_t tileX, int32_t tileZ, uint32_t color);
// Position, rotation (radians) and scale; the world matrix becomes S x Rz x Ry x Rx x T.
bool PositionTileGrid(int32_t grid, float x, float y, float z);
bool RotateTileGrid(int32_t grid, float x, float y, float z);
bool ScaleTileGrid(int32_t grid, float x, float y, float z);
// 0 first pass only, 1 second pass only, 2 (or any other value) both.
bool SetTileGridPass(int32_t grid, uint8_t pass);
// The image on stage 1 (0: none); the stage stays disabled, as the grid draws only stage 0's combiner.
bool SetTileGridSecondImage(int32_t grid, int32_t image);
