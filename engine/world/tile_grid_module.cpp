// The tile-grid module's life: the device defaults at start-up and after a device reset, the grid list
// and the release of every grid.
#include <cstring>

#include "engine/core/errors.h"
#include "engine/display/display.h"
#include "engine/media2d/image.h"
#include "engine/media2d/vector.h"
#include "engine/scene/camera.h"
#include "engine/world/tile_grid.h"
#include "engine/world/tile_grid_state.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;

TileGridState& TileGrids() {
  static TileGridState state;  // InitTileGridList; its nodes go with the process (FreeTileGridList)
  return state;
}

TileGridItem* FindTileGrid(int32_t grid) { return TileGrids().list.FindAs<TileGridItem>(grid); }

void SetupTileGridModule() {
  TileGridState& s = TileGrids();
  s.getDevice = GetDirect3DDevice;
  s.getImageTexture = GetImageTexture;
  s.getImageWidth = GetImageWidth;
  s.getImageHeight = GetImageHeight;
  s.device = s.getDevice();
  if (!s.device) return;
  s.device->SetRenderState(gfx::RS_FOGENABLE, 0);
  s.device->SetRenderState(gfx::RS_FOGCOLOR, 0);
  s.device->SetRenderState(gfx::RS_FOGVERTEXMODE, gfx::FOG_LINEAR);
  s.device->SetRenderState(gfx::RS_FOGSTART, gfx::FloatBits(0.0f));
  s.device->SetRenderState(gfx::RS_FOGEND, gfx::FloatBits(50000.0f));

  gfx::Light light{};
  light.type = gfx::LIGHT_DIRECTIONAL;
  light.diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
  light.direction = {0.1f, -0.7f, 0.2f};
  light.range = 5000.0f;
  light.attenuation0 = 1.0f;
  s.device->SetLight(0, &light);
  s.device->LightEnable(0, 1);
}

void ReleaseTileGrids() {
  RecordList& list = TileGrids().list;
  for (IdListNode* node = list.records.Head(); node; node = node->next) {
    delete static_cast<TileGridItem*>(node->data);
    node->data = nullptr;
  }
  list.records.Clear();
}

namespace TileGridModule {

void Constructor() { SetupTileGridModule(); }
void Destructor() { ReleaseTileGrids(); }
void SetErrorHandler(uint32_t* errorWord) { SetModuleErrorHandler(errorWord); }

void PassCoreData(CoreData* coreData) {
  TileGridState& s = TileGrids();
  s.core = coreData;
  s.placeAutoCamera = PlaceAutoCamera;
  s.setVector3 = SetVector3;
  s.getVector3 = GetVector3;
  s.vectorExists = VectorExists;
}

void RefreshD3D(int mode) {
  if (mode == 0) {
    ReleaseTileGrids();
  } else if (mode == 1) {
    SetupTileGridModule();
    PassCoreData(TileGrids().core);
  }
}

}  // namespace TileGridModule

void DrawTileGridsFirstPass() { DrawTileGrids(TileGrids().list, 0); }
void DrawTileGridsSecondPass() { DrawTileGrids(TileGrids().list, 1); }
