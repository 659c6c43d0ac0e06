// The tile-grid module's records and state. Internal to the module and its tests.
#pragma once
#include <cstdint>
#include <vector>

#include "engine/core/core_data.h"
#include "engine/core/id_list.h"
#include "engine/world/device_ref.h"
#include "platform/gfx/types.h"

#include "platform/gfx/resources.h"

namespace platform::gfx { class Device; }

constexpr int32_t kMaxTileGridNumber = 22000000;
constexpr uint32_t kTileGridFvf = 0x152;  // position, normal, diffuse colour, one coordinate pair
constexpr uint32_t kTileGridStride = 36;
// Triangles of one index batch: 65532 16-bit indices over 43688 vertices, whole tiles only.
constexpr uint32_t kTileBatchTriangles = 21844;
constexpr uint32_t kTileBatchVertices = 2 * kTileBatchTriangles;
// Grids up to this many tiles are indexed by one buffer (every index below 65536).
constexpr int64_t kSingleBufferTiles = 16384;
constexpr int64_t kMaxGridTiles = int64_t(1) << 20;

struct TileGridVertex {
  float x, y, z;
  float nx, ny, nz;
  uint32_t color;
  float u, v;
};
static_assert(sizeof(TileGridVertex) == kTileGridStride);

struct TileGridItem {
  platform::gfx::Matrix world{};  // the world transform it is drawn with
  platform::gfx::Vector3 position{0, 0, 0};
  platform::gfx::Vector3 angles{0, 0, 0};  // radians
  platform::gfx::Vector3 scale{1, 1, 1};
  uint8_t cameraLocked = 0;  // the world matrix follows the view before every draw
  DeviceRef<platform::gfx::VertexBuffer> vertices;  // 4 per tile
  DeviceRef<platform::gfx::IndexBuffer> indices;    // 6 per tile over every tile; null when batched
  // last + 1 batches, last = 2 x tiles / kTileBatchTriangles; batch k holds the triangles from
  // kTileBatchTriangles x k, indexed from its first vertex kTileBatchVertices x k. Entries may be null.
  uint32_t lastBatch = 0;
  std::vector<DeviceRef<platform::gfx::IndexBuffer>> batches;
  platform::gfx::Texture* textures[2] = {};  // stages 0 and 1; the image module owns them
  // Images the textures come from (0: none). Their textures are looked up again before every draw, so
  // a deleted image leaves its stage empty instead of pointing at a texture that is gone.
  int32_t images[2] = {};
  platform::gfx::Device* device = nullptr;   // where the grid's own states go
  std::vector<uint8_t> creatorData[3];       // kept for the grid's maker; drawing reads none
  int32_t tilesX = 0, tilesZ = 0;
  uint32_t filter = 2;         // magnification and minification on sampler 0 (TEXF_*)
  uint32_t translucency = 0;   // blend mode 0..4 of a translucent grid
  uint32_t addressMode = 1;    // U and V on sampler 0 (TADDRESS_*)
  uint32_t mipFilter = 2;
  uint8_t wireframe = 0, lighting = 1, culling = 1, transparency = 0, zbuffer = 1, fog = 1, ambient = 1,
          translucent = 0, spare = 0;
  uint8_t pass = 2;  // 0 first pass, 1 second pass, any other value both
};

struct TileGridState {
  RecordList list;  // TileGridItem by grid number; nodes freed at exit, grids by ReleaseTileGrids
  CoreData* core = nullptr;
  platform::gfx::Device* device = nullptr;
  platform::gfx::Device* (*getDevice)() = nullptr;
  // Links kept for grid makers.
  platform::gfx::Texture* (*getImageTexture)(int32_t) = nullptr;
  int32_t (*getImageWidth)(int32_t) = nullptr;
  int32_t (*getImageHeight)(int32_t) = nullptr;
  void (*placeAutoCamera)(float, float, float, float) = nullptr;
  void (*setVector3)(uint32_t, float, float, float) = nullptr;
  void (*getVector3)(platform::gfx::Vector3*, uint32_t) = nullptr;
  int32_t (*vectorExists)(uint32_t) = nullptr;
};

TileGridState& TileGrids();
TileGridItem* FindTileGrid(int32_t grid);

// Fog defaults and light 0 on the display device; keeps the device and image links.
void SetupTileGridModule();
// Draws the list's grids that belong to pass 0 or 1.
void DrawTileGrids(RecordList& list, int pass);
// Frees every grid and its buffers; the list is left empty.
void ReleaseTileGrids();
// S x Rz x Ry x Rx x T of the item's scale, angles and position (a camera-locked grid is drawn with
// this times the inverse view).
platform::gfx::Matrix TileGridPlacement(const TileGridItem& item);
