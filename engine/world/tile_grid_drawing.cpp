// Drawing the grids of one pass: each grid's own states, world matrix, textures and buffers, then the
// shared fog colour and ambient level back as they were.
#include <algorithm>

#include "engine/world/tile_grid_state.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;
namespace dx = platform::d3dx;

namespace {

struct BlendPair {
  uint32_t source, dest;
};
// Blend factors of translucency modes 0..4.
constexpr BlendPair kTranslucentBlends[] = {
    {gfx::BLEND_ONE, gfx::BLEND_INVSRCCOLOR},   {gfx::BLEND_DESTCOLOR, gfx::BLEND_SRCCOLOR},
    {gfx::BLEND_SRCCOLOR, gfx::BLEND_ONE},      {gfx::BLEND_SRCALPHA, gfx::BLEND_SRCALPHA},
    {gfx::BLEND_SRCCOLOR, gfx::BLEND_DESTCOLOR},
};

// The shared fog colour is blacked out for translucent fogged grids and put back for the others,
// switching only when that changes from one grid to the next.
struct FogColorSwitch {
  gfx::Device* display;
  uint32_t saved;
  bool blacked = false;

  void Apply(bool black) {
    if (black && !blacked) {
      display->SetRenderState(gfx::RS_FOGCOLOR, 0);
      blacked = true;
    } else if (!black && blacked) {
      display->SetRenderState(gfx::RS_FOGCOLOR, saved);
      blacked = false;
    }
  }
};

uint32_t BufferBytes(gfx::VertexBuffer* buffer) {
  gfx::VertexBufferDesc desc{};
  return buffer && gfx::Succeeded(buffer->GetDesc(&desc)) ? desc.size : 0;
}
uint32_t BufferBytes(gfx::IndexBuffer* buffer) {
  gfx::IndexBufferDesc desc{};
  return buffer && gfx::Succeeded(buffer->GetDesc(&desc)) ? desc.size : 0;
}

void SetGridStates(gfx::Device* device, const TileGridItem& grid, const CoreData* core, FogColorSwitch& fog,
                   uint32_t savedAmbient) {
  device->SetRenderState(gfx::RS_FILLMODE, grid.wireframe ? gfx::FILL_WIREFRAME : gfx::FILL_SOLID);
  uint32_t cull = gfx::CULL_NONE;
  if (grid.culling) {
    const bool reflected = core && core->stencilMode == 2 && core->renderPassIndex == 1;
    cull = reflected ? gfx::CULL_CW : gfx::CULL_CCW;
  }
  device->SetRenderState(gfx::RS_CULLMODE, cull);
  device->SetRenderState(gfx::RS_ZENABLE, grid.zbuffer ? 1 : 0);
  if (core && core->fogOn == 1) {
    device->SetRenderState(gfx::RS_FOGENABLE, grid.fog ? 1 : 0);
    fog.Apply(grid.fog && grid.translucent);
  }
  device->SetRenderState(gfx::RS_AMBIENT, grid.ambient ? savedAmbient : 0xFFFFFFFFu);
  if (grid.transparency) {
    device->SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
    device->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    device->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
    device->SetRenderState(gfx::RS_ALPHATESTENABLE, 1);
    device->SetRenderState(gfx::RS_ALPHAFUNC, gfx::CMP_GREATER);
    device->SetRenderState(gfx::RS_ALPHAREF, 0);
  } else {
    device->SetRenderState(gfx::RS_ALPHABLENDENABLE, 0);
    device->SetRenderState(gfx::RS_ALPHATESTENABLE, 0);
    device->SetRenderState(gfx::RS_ALPHAFUNC, gfx::CMP_ALWAYS);
  }
  if (grid.translucent) {
    device->SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
    if (grid.translucency < std::size(kTranslucentBlends)) {
      device->SetRenderState(gfx::RS_SRCBLEND, kTranslucentBlends[grid.translucency].source);
      device->SetRenderState(gfx::RS_DESTBLEND, kTranslucentBlends[grid.translucency].dest);
    }
  }
  device->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
  device->SetSamplerState(0, gfx::SAMP_ADDRESSU, grid.addressMode);
  device->SetSamplerState(0, gfx::SAMP_ADDRESSV, grid.addressMode);
  device->SetSamplerState(0, gfx::SAMP_MAGFILTER, grid.filter);
  device->SetSamplerState(0, gfx::SAMP_MINFILTER, grid.filter);
  device->SetSamplerState(0, gfx::SAMP_MIPFILTER, grid.mipFilter);
}

void SetGridTexturesAndLighting(gfx::Device* device, const TileGridItem& grid) {
  device->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_MODULATE);
  device->SetTextureStageState(0, gfx::TSS_COLORARG1, gfx::TA_TEXTURE);
  device->SetTextureStageState(0, gfx::TSS_COLORARG2, gfx::TA_DIFFUSE);
  device->SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_SELECTARG1);
  device->SetTextureStageState(0, gfx::TSS_ALPHAARG1, gfx::TA_TEXTURE);
  device->SetTextureStageState(1, gfx::TSS_COLOROP, gfx::TOP_DISABLE);
  if (grid.textures[0] && !grid.wireframe) {
    device->SetTexture(0, grid.textures[0]);
    if (grid.textures[1]) device->SetTexture(1, grid.textures[1]);
  } else {
    device->SetTexture(0, nullptr);
  }
  if (grid.lighting) {
    device->SetRenderState(gfx::RS_LIGHTING, 1);
    gfx::Material material{};
    material.diffuse = {1, 1, 1, 1};
    material.ambient = {1, 1, 1, 1};
    device->SetMaterial(&material);
  } else {
    device->SetRenderState(gfx::RS_LIGHTING, 0);
  }
}

// Every tile's triangles, from the single index buffer or batch by batch with a base vertex each. Draws
// stay inside the buffers: a grid whose buffers are smaller than its counts say draws nothing beyond
// them, and a missing batch skips its own triangles only.
void DrawGridTiles(gfx::Device* device, const TileGridItem& grid, CoreData* core) {
  if (grid.tilesX <= 0 || grid.tilesZ <= 0) return;
  const int64_t tiles = int64_t(grid.tilesX) * grid.tilesZ;
  const int64_t vertexCount = 4 * tiles;
  if (int64_t(BufferBytes(grid.vertices.Get())) < vertexCount * kTileGridStride) return;
  if (grid.indices.Get()) {
    if (vertexCount > 65536 || int64_t(BufferBytes(grid.indices.Get())) < 6 * tiles * 2) return;
    device->DrawIndexedPrimitive(gfx::PT_TRIANGLELIST, 0, 0, uint32_t(vertexCount), 0, uint32_t(2 * tiles));
    if (core) core->polygonsDrawn += uint32_t(2 * tiles);
    return;
  }
  int64_t remaining = 2 * tiles;
  int64_t base = 0;
  for (uint32_t k = 0; k <= grid.lastBatch && k < grid.batches.size() && remaining > 0; ++k) {
    const int64_t n = std::min<int64_t>(remaining, kTileBatchTriangles);
    gfx::IndexBuffer* batch = grid.batches[k].Get();
    if (batch && int64_t(BufferBytes(batch)) >= 3 * n * 2 && base + 2 * n <= vertexCount) {
      device->SetIndices(batch);
      device->DrawIndexedPrimitive(gfx::PT_TRIANGLELIST, int32_t(base), 0, uint32_t(2 * n), 0, uint32_t(n));
      if (core) core->polygonsDrawn += uint32_t(n);
    }
    base += 2 * n;
    remaining -= kTileBatchTriangles;
  }
}

void DrawGrid(TileGridItem& grid, CoreData* core) {
  gfx::Device* device = grid.device;
  if (grid.cameraLocked) {
    gfx::Matrix view{}, inverseView{};
    device->GetTransform(gfx::TS_VIEW, &view);
    if (!dx::MatrixInverse(view, &inverseView)) inverseView = dx::MatrixIdentity();
    grid.world = dx::MatrixMultiply(TileGridPlacement(grid), inverseView);
  }
  device->SetTransform(gfx::TS_WORLD, &grid.world);
  device->SetVertexShader(nullptr);
  device->SetFVF(kTileGridFvf);
  device->SetStreamSource(0, grid.vertices.Get(), 0, kTileGridStride);
  device->SetIndices(grid.indices.Get());
  SetGridTexturesAndLighting(device, grid);
  DrawGridTiles(device, grid, core);

  device->SetSamplerState(0, gfx::SAMP_MAGFILTER, gfx::TEXF_LINEAR);
  device->SetSamplerState(0, gfx::SAMP_MINFILTER, gfx::TEXF_LINEAR);
  device->SetSamplerState(0, gfx::SAMP_MIPFILTER, gfx::TEXF_LINEAR);
  device->SetRenderState(gfx::RS_ALPHABLENDENABLE, 0);
  device->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
  device->SetRenderState(gfx::RS_ZENABLE, 1);
}

}  // namespace

gfx::Matrix TileGridPlacement(const TileGridItem& item) {
  gfx::Matrix m = dx::MatrixScaling(item.scale.x, item.scale.y, item.scale.z);
  m = dx::MatrixMultiply(m, dx::MatrixRotationZ(item.angles.z));
  m = dx::MatrixMultiply(m, dx::MatrixRotationY(item.angles.y));
  m = dx::MatrixMultiply(m, dx::MatrixRotationX(item.angles.x));
  return dx::MatrixMultiply(m, dx::MatrixTranslation(item.position.x, item.position.y, item.position.z));
}

void DrawTileGrids(RecordList& list, int pass) {
  TileGridState& s = TileGrids();
  gfx::Device* display = s.device;
  if (!display) return;
  uint32_t savedAmbient = 0;
  FogColorSwitch fog{display, 0};
  display->GetRenderState(gfx::RS_FOGCOLOR, &fog.saved);
  display->GetRenderState(gfx::RS_AMBIENT, &savedAmbient);

  for (IdListNode* node = list.records.Head(); node; node = node->next) {
    TileGridItem* grid = static_cast<TileGridItem*>(node->data);
    if (!grid || !grid->device) continue;
    if ((pass == 0 && grid->pass == 1) || (pass == 1 && grid->pass == 0)) continue;
    for (int k = 0; k < 2; ++k)
      if (grid->images[k] && s.getImageTexture) grid->textures[k] = s.getImageTexture(grid->images[k]);
    SetGridStates(grid->device, *grid, s.core, fog, savedAmbient);
    DrawGrid(*grid, s.core);
  }

  display->SetRenderState(gfx::RS_AMBIENT, savedAmbient);
  display->SetRenderState(gfx::RS_FOGCOLOR, fog.saved);
}
