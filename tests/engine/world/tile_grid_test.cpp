// The tile grid on the offscreen device: the start-up light and fog defaults, empty passes, grids
// drawn in the passes they belong to, index batches, the per-grid states, the device-reset fan-out and
// the refusals of the grid maker.
#include <cmath>

#include "platform/gfx/test_hooks.h"
#include "tests/engine/world/world_fixture.h"

namespace world_test {
namespace {

using TileGridTest = WorldTest;

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;

// Camera 0 above (x, z) at the given height, looking straight down (+x right, +z up the screen).
void LookDownAt(float x, float z, float height) {
  PlaceCamera(x, height, z);
  SetCameraAngles(90, 0, 0);
}

// A grid that shows its vertex colours unlit.
TileGridItem* MakeUnlitGrid(int32_t number, int32_t tilesX, int32_t tilesZ, float tileSize) {
  EXPECT_TRUE(MakeTileGrid(number, tilesX, tilesZ, tileSize, 0));
  TileGridItem* grid = FindTileGrid(number);
  if (grid) grid->lighting = 0;
  return grid;
}

uint32_t PixelOver(const std::vector<uint32_t>& pixels, gfx::Vector3 point) {
  int x = 0, y = 0;
  WorldTest::ScreenOf(point, &x, &y);
  return WorldTest::PixelAt(pixels, x, y);
}

TEST_F(TileGridTest, StartUpGivesLightZeroAndTheFogDefaults) {
  // The light module made its own light 0 first; the tile grid, constructed after it, replaces it.
  gfx::Light light{};
  ASSERT_EQ(Device()->GetLight(0, &light), gfx::kOk);
  EXPECT_EQ(light.type, gfx::LIGHT_DIRECTIONAL);
  EXPECT_FLOAT_EQ(light.direction.x, 0.1f);
  EXPECT_FLOAT_EQ(light.direction.y, -0.7f);
  EXPECT_FLOAT_EQ(light.direction.z, 0.2f);
  EXPECT_FLOAT_EQ(light.range, 5000.0f);
  EXPECT_FLOAT_EQ(light.attenuation0, 1.0f);
  EXPECT_EQ(light.diffuse.r + light.diffuse.g + light.diffuse.b, 3.0f);
  EXPECT_EQ(light.diffuse.a, 0.0f);
  EXPECT_EQ(light.specular.r + light.ambient.r, 0.0f);
  int32_t enabled = 0;
  Device()->GetLightEnable(0, &enabled);
  EXPECT_TRUE(enabled);
  EXPECT_EQ(RenderState(gfx::RS_FOGENABLE), 0u);
  EXPECT_EQ(RenderState(gfx::RS_FOGCOLOR), 0u);
  EXPECT_EQ(RenderState(gfx::RS_FOGVERTEXMODE), gfx::FOG_LINEAR);
  EXPECT_EQ(RenderState(gfx::RS_FOGSTART), gfx::FloatBits(0.0f));
  EXPECT_EQ(RenderState(gfx::RS_FOGEND), gfx::FloatBits(50000.0f));
}

TEST_F(TileGridTest, EmptyPassesLeaveTheDeviceAsTheyFoundIt) {
  const uint32_t states[][2] = {{gfx::RS_FOGCOLOR, 0xFF123456}, {gfx::RS_AMBIENT, 0xFF202020},
                                {gfx::RS_CULLMODE, gfx::CULL_CW}, {gfx::RS_ZENABLE, 0},
                                {gfx::RS_FILLMODE, gfx::FILL_WIREFRAME}, {gfx::RS_ALPHABLENDENABLE, 1},
                                {gfx::RS_LIGHTING, 0}};
  for (const auto& s : states) Device()->SetRenderState(s[0], s[1]);
  const uint32_t drawsBefore = gfx::DrawCallCount(Device());
  DrawTileGridsFirstPass();
  DrawTileGridsSecondPass();
  for (const auto& s : states) EXPECT_EQ(RenderState(s[0]), s[1]) << "state " << s[0];
  EXPECT_EQ(gfx::DrawCallCount(Device()), drawsBefore);
  Device()->SetRenderState(gfx::RS_FILLMODE, gfx::FILL_SOLID);
}

TEST_F(TileGridTest, GridShowsItsTilesInThePassesItBelongsTo) {
  MakeUnlitGrid(1, 4, 4, 1.0f);
  for (int32_t tz = 0; tz < 4; ++tz)
    for (int32_t tx = 0; tx < 4; ++tx) ASSERT_TRUE(SetTileGridTileColor(1, tx, tz, (tx + tz) % 2 ? kRed : kGreen));
  LookDownAt(2, 2, 5);

  DrawFrame();
  const std::vector<uint32_t> pixels = BackBuffer();
  for (int32_t tz = 0; tz < 4; ++tz)
    for (int32_t tx = 0; tx < 4; ++tx)
      ExpectColorNear(PixelOver(pixels, {tx + 0.5f, 0, tz + 0.5f}), ((tx + tz) % 2 ? kRed : kGreen) & 0xFFFFFF, 2);
  ExpectColorNear(PixelOver(pixels, {-0.5f, 0, 2}), kBackground, 0, "left of the grid");
  ExpectColorNear(PixelOver(pixels, {2, 0, 4.5f}), kBackground, 0, "beyond its far edge");

  const struct {
    uint8_t passByte;
    int passes;
    uint32_t polygons;
  } cases[] = {
      {0, 1, 32}, {0, 2, 0}, {1, 1, 0}, {1, 2, 32}, {2, 1, 32}, {2, 2, 32}, {2, 3, 64},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(SetTileGridPass(1, c.passByte));
    DrawFrame(c.passes);
    EXPECT_EQ(core_->polygonsDrawn, c.polygons) << "pass byte " << int(c.passByte) << ", passes " << c.passes;
    ExpectColorNear(PixelOver(BackBuffer(), {0.5f, 0, 0.5f}), c.polygons ? kGreen & 0xFFFFFF : kBackground, 2);
  }
}

TEST_F(TileGridTest, ImageTexturesTheTilesAndADeletedImageLeavesThemUntextured) {
  ASSERT_NE(CreateImage(7, 4, 4), nullptr);
  LockImage(7);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) WriteImagePixel(7, y, x, 255, 0, 0, 255);
  UnlockImage(7);
  ASSERT_TRUE(MakeTileGrid(1, 2, 2, 1.0f, 7));
  FindTileGrid(1)->lighting = 0;
  LookDownAt(1, 1, 4);
  DrawFrame();
  ExpectColorNear(PixelOver(BackBuffer(), {0.5f, 0, 0.5f}), 0x0000FF, 2, "blue image on white tiles");

  DeleteImage(7);
  DrawFrame();
  ExpectColorNear(PixelOver(BackBuffer(), {0.5f, 0, 0.5f}), 0xFFFFFF, 2, "the image is gone");
}

// 30000 tiles: last batch 2, batches of 21844, 21844 and 16312 triangles from vertices 0, 43688 and
// 87376. A block of tiles in each batch gets its own colour, so each shows only where its own
// vertices are.
TEST_F(TileGridTest, LargeGridDrawsInBatchesEachFromItsOwnVertices) {
  TileGridItem* grid = MakeUnlitGrid(2, 200, 150, 0.1f);
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->indices.Get(), nullptr);
  ASSERT_EQ(grid->lastBatch, 2u);
  ASSERT_EQ(grid->batches.size(), 3u);
  const uint32_t batchTriangles[] = {21844, 21844, 16312};
  for (int k = 0; k < 3; ++k) {
    gfx::IndexBufferDesc desc{};
    ASSERT_NE(grid->batches[k].Get(), nullptr);
    grid->batches[k].Get()->GetDesc(&desc);
    EXPECT_EQ(desc.size, batchTriangles[k] * 3 * 2) << "batch " << k;
  }
  // Tile rows 20, 80 and 140 lie in batches 0, 1 and 2 (10922 tiles per batch).
  const struct {
    int32_t row;
    uint32_t color;
  } blocks[] = {{20, kBlue}, {80, kRed}, {140, kGreen}};
  for (const auto& b : blocks)
    for (int32_t tz = b.row - 2; tz <= b.row + 2; ++tz)
      for (int32_t tx = 98; tx <= 102; ++tx) ASSERT_TRUE(SetTileGridTileColor(2, tx, tz, b.color));
  LookDownAt(10, 7.5f, 20);
  auto blockCentre = [](int32_t row) { return gfx::Vector3{10.05f, 0, row * 0.1f + 0.05f}; };

  const uint32_t drawsBefore = gfx::DrawCallCount(Device());
  DrawFrame(1);
  EXPECT_EQ(core_->polygonsDrawn, 60000u);
  EXPECT_EQ(gfx::DrawCallCount(Device()) - drawsBefore, 3u);
  std::vector<uint32_t> pixels = BackBuffer();
  for (const auto& b : blocks) ExpectColorNear(PixelOver(pixels, blockCentre(b.row)), b.color & 0xFFFFFF, 2);

  // Without batch 1 only its own tiles go: batch 2 still draws from vertex 87376.
  grid->batches[1].Reset();
  DrawFrame(1);
  EXPECT_EQ(core_->polygonsDrawn, 60000u - 21844u);
  pixels = BackBuffer();
  ExpectColorNear(PixelOver(pixels, blockCentre(20)), kBlue & 0xFFFFFF, 2);
  ExpectColorNear(PixelOver(pixels, blockCentre(80)), kBackground, 0, "batch 1 is missing");
  ExpectColorNear(PixelOver(pixels, blockCentre(140)), kGreen & 0xFFFFFF, 2);
}

// Fully fogged grids: an opaque one shows the fog colour; a translucent one (source plus destination
// times one minus source) is fogged black, which adds nothing to the background. The switch to black
// and back happens between grids, and the pass ends with the colour it started with.
TEST_F(TileGridTest, TranslucentFoggedGridsAreFoggedBlack) {
  core_->fogOn = 1;
  Device()->SetRenderState(gfx::RS_FOGCOLOR, kRed);
  Device()->SetRenderState(gfx::RS_FOGSTART, gfx::FloatBits(0.0f));
  Device()->SetRenderState(gfx::RS_FOGEND, gfx::FloatBits(0.001f));
  const bool translucent[] = {true, false, true};
  for (int i = 0; i < 3; ++i) {
    TileGridItem* grid = MakeUnlitGrid(i + 1, 1, 1, 1.0f);
    ASSERT_NE(grid, nullptr);
    grid->translucent = translucent[i];
    grid->translucency = 0;
    PositionTileGrid(i + 1, float(2 * i - 2), 0, 0);
  }
  LookDownAt(0.5f, 0.5f, 5);
  DrawFrame(1);
  const std::vector<uint32_t> pixels = BackBuffer();
  for (int i = 0; i < 3; ++i)
    ExpectColorNear(PixelOver(pixels, {float(2 * i - 2) + 0.5f, 0, 0.5f}), translucent[i] ? kBackground : 0xFF0000, 2);
  EXPECT_EQ(RenderState(gfx::RS_FOGCOLOR), kRed);

  // Without the CoreData fog flag the grids leave the fog switch alone.
  core_->fogOn = 0;
  Device()->SetRenderState(gfx::RS_FOGENABLE, 0);
  DrawFrame(1);
  EXPECT_EQ(RenderState(gfx::RS_FOGENABLE), 0u);
  Device()->SetRenderState(gfx::RS_FOGCOLOR, 0);
}

TEST_F(TileGridTest, CullingTurnsOnTheReflectedMirrorPass) {
  TileGridItem* grid = MakeUnlitGrid(1, 1, 1, 1.0f);
  ASSERT_NE(grid, nullptr);
  const struct {
    uint8_t culling;
    uint32_t stencilMode, passIndex, cull;
  } cases[] = {
      {1, 0, 0, gfx::CULL_CCW}, {1, 2, 0, gfx::CULL_CCW}, {1, 2, 1, gfx::CULL_CW},
      {1, 1, 1, gfx::CULL_CCW}, {0, 2, 1, gfx::CULL_NONE},
  };
  for (const auto& c : cases) {
    grid->culling = c.culling;
    core_->stencilMode = c.stencilMode;
    core_->renderPassIndex = c.passIndex;
    DrawTileGridsFirstPass();
    EXPECT_EQ(RenderState(gfx::RS_CULLMODE), c.cull)
        << "culling " << int(c.culling) << ", stencil mode " << c.stencilMode << ", pass " << c.passIndex;
  }
}

// A camera-locked grid is placed in view space: wherever the camera goes, the grid stays in front of it.
TEST_F(TileGridTest, CameraLockedGridFollowsTheCamera) {
  TileGridItem* grid = MakeUnlitGrid(1, 1, 1, 1.0f);
  ASSERT_NE(grid, nullptr);
  SetTileGridTileColor(1, 0, 0, kGreen);
  grid->cameraLocked = 1;
  grid->culling = 0;
  RotateTileGrid(1, -1.5707963f, 0, 0);  // stood up to face the camera
  PositionTileGrid(1, -0.5f, -0.5f, 3);
  const gfx::Vector3 places[][2] = {{{0, 0, 0}, {0, 0, 0}}, {{10, 4, -7}, {20, 130, 0}}};
  for (const auto& place : places) {
    PlaceCamera(place[0].x, place[0].y, place[0].z);
    SetCameraAngles(place[1].x, place[1].y, place[1].z);
    DrawFrame();
    const std::vector<uint32_t> pixels = BackBuffer();
    ExpectColorNear(PixelAt(pixels, 320, 240), kGreen & 0xFFFFFF, 2, "in the middle of the view");
    ExpectColorNear(PixelAt(pixels, 20, 20), kBackground, 0, "in the corner");
  }
}

TEST_F(TileGridTest, DeviceResetDropsTheGridsAndSetsTheModuleUpAgain) {
  ASSERT_TRUE(MakeTileGrid(1, 2, 2, 1.0f, 0));
  TileGridModule::RefreshD3D(5);  // not a mode: nothing happens
  EXPECT_TRUE(TileGridExists(1));

  TileGridModule::RefreshD3D(0);
  EXPECT_FALSE(TileGridExists(1));
  gfx::Light other{};
  other.type = gfx::LIGHT_POINT;
  Device()->SetLight(0, &other);
  TileGridModule::RefreshD3D(1);
  gfx::Light light{};
  Device()->GetLight(0, &light);
  EXPECT_EQ(light.type, gfx::LIGHT_DIRECTIONAL);
  EXPECT_FLOAT_EQ(light.direction.y, -0.7f);
  EXPECT_EQ(TileGrids().core, core_);
  EXPECT_NE(TileGrids().placeAutoCamera, nullptr);

  // Working again: a new grid draws.
  MakeUnlitGrid(1, 2, 2, 1.0f);
  LookDownAt(1, 1, 4);
  DrawFrame();
  EXPECT_EQ(core_->polygonsDrawn, 16u);  // both passes
  ExpectColorNear(PixelOver(BackBuffer(), {0.5f, 0, 0.5f}), 0xFFFFFF, 2);
}

TEST_F(TileGridTest, MakerRefusesWhatItCannotBuild) {
  const struct {
    int32_t grid, tilesX, tilesZ;
    float size;
  } refused[] = {
      {0, 1, 1, 1.0f},          {22000001, 1, 1, 1.0f}, {1, 0, 1, 1.0f},   {1, 1, -3, 1.0f},
      {1, 1025, 1025, 1.0f},    {1, 1, 1, 0.0f},        {1, 1, 1, -1.0f},  {1, 1, 1, NAN},
      {1, 1, 1, INFINITY},
  };
  for (const auto& r : refused) {
    EXPECT_FALSE(MakeTileGrid(r.grid, r.tilesX, r.tilesZ, r.size, 0)) << r.grid << " " << r.tilesX << " " << r.size;
    EXPECT_FALSE(TileGridExists(r.grid));
  }
  EXPECT_FALSE(PositionTileGrid(3, 0, 0, 0));
  EXPECT_FALSE(SetTileGridPass(3, 0));
  EXPECT_FALSE(DeleteTileGrid(3));
  ASSERT_TRUE(MakeTileGrid(3, 2, 2, 1.0f, 0));
  EXPECT_FALSE(SetTileGridTileColor(3, 2, 0, kRed));
  EXPECT_FALSE(SetTileGridTileColor(3, 0, -1, kRed));
  // A number in use is replaced.
  ASSERT_TRUE(MakeTileGrid(3, 5, 1, 1.0f, 0));
  EXPECT_EQ(FindTileGrid(3)->tilesX, 5);
  EXPECT_EQ(TileGrids().list.records.Count(), 1);
  EXPECT_EQ(word_, 0u);  // the module raises no runtime errors
}

}  // namespace
}  // namespace world_test
