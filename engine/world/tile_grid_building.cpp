// Making grids: the vertex buffer of every tile, its single index buffer or its index batches, and the
// placement and look commands on a made grid.
#include <cmath>
#include <memory>

#include "engine/world/tile_grid.h"
#include "engine/world/tile_grid_state.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;

namespace {

constexpr uint16_t kTileCorners[6] = {0, 1, 2, 0, 2, 3};  // two clockwise triangles seen from above

bool InGridRange(int32_t grid) { return grid >= 1 && grid <= kMaxTileGridNumber; }

bool FillVertices(TileGridItem& grid, float tileSize) {
  const uint32_t count = uint32_t(grid.tilesX) * uint32_t(grid.tilesZ) * 4;
  gfx::VertexBuffer* buffer = nullptr;
  if (gfx::Failed(grid.device->CreateVertexBuffer(count * kTileGridStride, gfx::USAGE_WRITEONLY, kTileGridFvf,
                                                  gfx::POOL_MANAGED, &buffer, nullptr)))
    return false;
  grid.vertices = DeviceRef<gfx::VertexBuffer>(buffer);
  void* data = nullptr;
  if (gfx::Failed(buffer->Lock(0, 0, &data, 0))) return false;
  TileGridVertex* v = static_cast<TileGridVertex*>(data);
  for (int32_t tz = 0; tz < grid.tilesZ; ++tz) {
    for (int32_t tx = 0; tx < grid.tilesX; ++tx) {
      const float x0 = float(tx) * tileSize, x1 = float(tx + 1) * tileSize;
      const float z0 = float(tz) * tileSize, z1 = float(tz + 1) * tileSize;
      *v++ = {x0, 0, z0, 0, 1, 0, 0xFFFFFFFF, 0, 1};
      *v++ = {x0, 0, z1, 0, 1, 0, 0xFFFFFFFF, 0, 0};
      *v++ = {x1, 0, z1, 0, 1, 0, 0xFFFFFFFF, 1, 0};
      *v++ = {x1, 0, z0, 0, 1, 0, 0xFFFFFFFF, 1, 1};
    }
  }
  buffer->Unlock();
  return true;
}

// An index buffer of `tiles` tiles counted from their own first vertex; null when it cannot be made.
DeviceRef<gfx::IndexBuffer> MakeTileIndices(gfx::Device* device, uint32_t tiles) {
  gfx::IndexBuffer* buffer = nullptr;
  if (tiles == 0 || gfx::Failed(device->CreateIndexBuffer(tiles * 6 * 2, gfx::USAGE_WRITEONLY, gfx::FMT_INDEX16,
                                                          gfx::POOL_MANAGED, &buffer, nullptr)))
    return {};
  DeviceRef<gfx::IndexBuffer> held(buffer);
  void* data = nullptr;
  if (gfx::Failed(buffer->Lock(0, 0, &data, 0))) return {};
  uint16_t* index = static_cast<uint16_t*>(data);
  for (uint32_t t = 0; t < tiles; ++t)
    for (uint16_t corner : kTileCorners) *index++ = uint16_t(4 * t + corner);
  buffer->Unlock();
  return held;
}

bool FillIndices(TileGridItem& grid) {
  const uint32_t tiles = uint32_t(grid.tilesX) * uint32_t(grid.tilesZ);
  if (tiles <= kSingleBufferTiles) {
    grid.indices = MakeTileIndices(grid.device, tiles);
    return grid.indices.Get() != nullptr;
  }
  uint32_t triangles = 2 * tiles;
  grid.lastBatch = triangles / kTileBatchTriangles;
  grid.batches.resize(grid.lastBatch + 1);
  for (uint32_t k = 0; k <= grid.lastBatch; ++k) {
    const uint32_t n = triangles < kTileBatchTriangles ? triangles : kTileBatchTriangles;
    if (n > 0) {
      grid.batches[k] = MakeTileIndices(grid.device, n / 2);
      if (!grid.batches[k].Get()) return false;
    }
    triangles -= n;
  }
  return true;
}

// The grid's vertex buffer locked at tile (tileX, tileZ)'s four vertices.
TileGridVertex* LockTile(TileGridItem& grid, int32_t tileX, int32_t tileZ) {
  if (tileX < 0 || tileZ < 0 || tileX >= grid.tilesX || tileZ >= grid.tilesZ || !grid.vertices.Get()) return nullptr;
  const uint32_t first = (uint32_t(tileZ) * uint32_t(grid.tilesX) + uint32_t(tileX)) * 4;
  void* data = nullptr;
  if (gfx::Failed(grid.vertices.Get()->Lock(first * kTileGridStride, 4 * kTileGridStride, &data, 0))) return nullptr;
  return static_cast<TileGridVertex*>(data);
}

}  // namespace

bool MakeTileGrid(int32_t grid, int32_t tilesX, int32_t tilesZ, float tileSize, int32_t image) {
  TileGridState& s = TileGrids();
  if (!InGridRange(grid) || tilesX < 1 || tilesZ < 1 || int64_t(tilesX) * tilesZ > kMaxGridTiles ||
      !(tileSize > 0.0f) || !std::isfinite(tileSize) || !s.device)
    return false;
  auto item = std::make_unique<TileGridItem>();
  item->device = s.device;
  item->tilesX = tilesX;
  item->tilesZ = tilesZ;
  item->world = TileGridPlacement(*item);
  item->images[0] = image;
  if (!FillVertices(*item, tileSize) || !FillIndices(*item)) return false;
  DeleteTileGrid(grid);
  if (!s.list.records.Add(grid, item.get())) return false;
  item.release();
  return true;
}

bool DeleteTileGrid(int32_t grid) {
  TileGridItem* item = InGridRange(grid) ? FindTileGrid(grid) : nullptr;
  if (!item) return false;
  TileGrids().list.records.Remove(grid);
  delete item;
  return true;
}

bool TileGridExists(int32_t grid) { return InGridRange(grid) && FindTileGrid(grid); }

bool SetTileGridTileColor(int32_t grid, int32_t tileX, int32_t tileZ, uint32_t color) {
  TileGridItem* item = InGridRange(grid) ? FindTileGrid(grid) : nullptr;
  TileGridVertex* corners = item ? LockTile(*item, tileX, tileZ) : nullptr;
  if (!corners) return false;
  for (int i = 0; i < 4; ++i) corners[i].color = color;
  item->vertices.Get()->Unlock();
  return true;
}

namespace {

// The grid's vector (position, angles or scale) set and the world matrix rebuilt.
bool PlaceGrid(int32_t grid, gfx::Vector3 TileGridItem::*field, gfx::Vector3 value) {
  TileGridItem* item = InGridRange(grid) ? FindTileGrid(grid) : nullptr;
  if (!item) return false;
  item->*field = value;
  item->world = TileGridPlacement(*item);
  return true;
}

}  // namespace

bool PositionTileGrid(int32_t grid, float x, float y, float z) {
  return PlaceGrid(grid, &TileGridItem::position, {x, y, z});
}
bool RotateTileGrid(int32_t grid, float x, float y, float z) {
  return PlaceGrid(grid, &TileGridItem::angles, {x, y, z});
}
bool ScaleTileGrid(int32_t grid, float x, float y, float z) { return PlaceGrid(grid, &TileGridItem::scale, {x, y, z}); }

bool SetTileGridPass(int32_t grid, uint8_t pass) {
  TileGridItem* item = InGridRange(grid) ? FindTileGrid(grid) : nullptr;
  if (!item) return false;
  item->pass = pass;
  return true;
}

bool SetTileGridSecondImage(int32_t grid, int32_t image) {
  TileGridItem* item = InGridRange(grid) ? FindTileGrid(grid) : nullptr;
  if (!item) return false;
  item->images[1] = image;
  item->textures[1] = nullptr;
  return true;
}
