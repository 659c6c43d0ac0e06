// The world modules inside the engine's own start-up and frame step: the light and fog set-up they
// leave on the device, an object drawn through the frame step exactly as it is drawn without them, a
// tile grid in the camera passes, and the device-reset fan-out.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/core/core.h"
#include "engine/core/core_data.h"
#include "engine/core/core_table.h"
#include "engine/display/display.h"
#include "engine/objects/object_commands.h"
#include "engine/scene/camera.h"
#include "engine/world/tile_grid.h"
#include "engine/world/tile_grid_state.h"
#include "platform/gfx/device.h"
#include "tests/engine/engine_fixture.h"

namespace {

namespace gfx = platform::gfx;

constexpr uint32_t kBackground = 0x000080;

std::vector<uint32_t> DrawOneFrame() {
  SyncFrame();
  std::vector<uint32_t> pixels = engine_test::ReadSurfacePixels(GetCoreDataPointer()->backBufferSurface);
  for (uint32_t& p : pixels) p &= 0xFFFFFF;
  return pixels;
}

size_t PixelsOff(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int tolerance) {
  if (a.size() != b.size()) return a.size() + b.size();
  size_t off = 0;
  for (size_t i = 0; i < a.size(); ++i)
    for (int shift : {0, 8, 16}) {
      const int d = int((a[i] >> shift) & 255) - int((b[i] >> shift) & 255);
      if (d > tolerance || d < -tolerance) {
        ++off;
        break;
      }
    }
  return off;
}

// The world modules' frame slots left empty, as if they were not in the engine.
void WithoutWorldModules(CoreTable& t) {
  t.UpdateWorldCollisions = t.RenderWorld = t.StoreWorldCollisionPositions = nullptr;
  t.DrawTileGridsFirstPass = t.DrawTileGridsSecondPass = nullptr;
}

TEST(WorldModulesInTheEngine, StartUpFramesAndDeviceReset) {
  ASSERT_EQ(InitEngine(), 0) << StartUpFailureReason();
  CoreData* core = GetCoreDataPointer();
  gfx::Device* device = GetDirect3DDevice();
  ASSERT_NE(device, nullptr);

  // Start-up: the tile grid, constructed after the light module, has the last word on light 0.
  gfx::Light light{};
  device->GetLight(0, &light);
  EXPECT_EQ(light.type, gfx::LIGHT_DIRECTIONAL);
  EXPECT_FLOAT_EQ(light.direction.x, 0.1f);
  EXPECT_FLOAT_EQ(light.direction.y, -0.7f);
  EXPECT_FLOAT_EQ(light.direction.z, 0.2f);
  EXPECT_FLOAT_EQ(light.range, 5000.0f);
  int32_t enabled = 0;
  device->GetLightEnable(0, &enabled);
  EXPECT_TRUE(enabled);
  uint32_t fogEnd = 0;
  device->GetRenderState(gfx::RS_FOGEND, &fogEnd);
  EXPECT_EQ(fogEnd, gfx::FloatBits(50000.0f));

  // A display mode change runs every module's RefreshD3D: the grids go and the tile grid sets itself
  // up again (the light module, after it, makes its own light 0 once more). The reset also puts every
  // device state back to its default, so what follows starts from a device no world pass has touched.
  ASSERT_TRUE(MakeTileGrid(1, 10, 10, 1.0f, 0));
  ASSERT_NE(SetDisplayMode(640, 480, 32), 0u);
  EXPECT_FALSE(TileGridExists(1));
  device = GetDirect3DDevice();
  EXPECT_EQ(TileGrids().device, device);
  device->GetLight(0, &light);
  EXPECT_FLOAT_EQ(light.direction.y, -0.5f);

  // A lit box ahead of the camera, drawn by the frame step without the world modules (the saved
  // expectation) and then with them.
  DisableAutoCamera();
  EnableCameraClear();
  SetMainCameraClearColor(0xFF000000u | kBackground);
  CreateBoxObject(1, 2, 2, 2);
  PositionObject(1, 0.5f, 0, 6);
  RotateObject(1, 20, 30, 0);
  CoreTable& t = GetCoreTable();
  const CoreTable full = t;
  WithoutWorldModules(t);
  const std::vector<uint32_t> expected = DrawOneFrame();
  t = full;
  const std::vector<uint32_t> withWorld = DrawOneFrame();
  ASSERT_EQ(expected.size(), size_t(640 * 480));
  EXPECT_NE(expected[240 * 640 + 330], kBackground) << "the box is drawn";
  EXPECT_EQ(expected[10 * 640 + 10], kBackground);
  EXPECT_EQ(PixelsOff(withWorld, expected, 1), 0u);
  EXPECT_EQ(PixelsOff(DrawOneFrame(), expected, 1), 0u) << "a second frame with them";

  // A floor grid below the box, made after the reset, drawn in both camera passes of the frame step.
  ASSERT_TRUE(MakeTileGrid(2, 10, 10, 1.0f, 0));
  ASSERT_TRUE(PositionTileGrid(2, -5, -2, 2));
  const std::vector<uint32_t> pixels = DrawOneFrame();
  EXPECT_NE(pixels[470 * 640 + 320], kBackground) << "the grid";
  EXPECT_EQ(pixels[240 * 640 + 330], expected[240 * 640 + 330]) << "the box";
  EXPECT_EQ(core->polygonsDrawn, 12u + 2 * 200u);

  // The process would end here; the test releases what it made and the device.
  TileGridModule::Destructor();
  DisplayModule::Destructor();
}

}  // namespace
