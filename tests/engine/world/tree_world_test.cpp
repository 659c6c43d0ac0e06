// The tree world on the offscreen device: units and the tree walk, the growable arrays and the
// release, the states every camera pass leaves, lightmapped faces and stage sets in pixels, the choice
// of visible faces, tables that point outside each other, and stage texture coordinates.
#include <cmath>
#include <memory>

#include "engine/world/tree_world_render.h"
#include "tests/engine/world/world_builder.h"
#include "tests/engine/world/world_fixture.h"

namespace world_test {
namespace {

using TreeWorldTest = WorldTest;

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF;
constexpr gfx::Vector3 kTowardsCamera{0, 0, -1};

uint32_t g_now = 0;
uint32_t Now() { return g_now; }

// A world texture of one colour; the world holds the only reference.
int32_t AddSolidTexture(uint32_t argb) {
  gfx::Texture* texture = WorldTest::SolidTexture(argb);
  const int32_t number = AddWorldTexture("solid", texture);
  if (texture) texture->Release();
  return number;
}

int32_t AddGreyLightmap(uint8_t level) {
  const uint8_t rgb[2 * 2 * 3] = {level, level, level, level, level, level,
                                  level, level, level, level, level, level};
  return AddWorldLightmap(rgb, 2, 2);
}

uint32_t PixelOver(const std::vector<uint32_t>& pixels, gfx::Vector3 point) {
  int x = 0, y = 0;
  WorldTest::ScreenOf(point, &x, &y);
  return WorldTest::PixelAt(pixels, x, y);
}

WorldStage StageOf(std::vector<WorldStageFrame> frames, int32_t sourceBlend = gfx::BLEND_ONE,
                   int32_t destBlend = gfx::BLEND_ZERO) {
  WorldStage stage;
  stage.frames = std::move(frames);
  stage.sourceBlend = sourceBlend;
  stage.destBlend = destBlend;
  return stage;
}

TEST(WorldUnits, WorldIsZUpAndAThirtyFifthOfTheEngine) {
  const gfx::Vector3 e = WorldToEngineUnits({1, 2, 3});
  EXPECT_FLOAT_EQ(e.x, 0.029f);
  EXPECT_FLOAT_EQ(e.y, 0.087f);
  EXPECT_FLOAT_EQ(e.z, 0.058f);
  const gfx::Vector3 i = WorldIntToEngineUnits(1, 2, 3);
  EXPECT_FLOAT_EQ(i.y, 0.087f);
  const gfx::Vector3 w = EngineToWorldUnits(e);
  EXPECT_NEAR(w.x, 1, 1e-5);
  EXPECT_NEAR(w.y, 2, 1e-5);
  EXPECT_NEAR(w.z, 3, 1e-5);
}

// Node 0 splits at x = 10 (front: leaf 0, back: node 1); node 1 splits at y = 0 (front: leaf 1, back:
// leaf 2).
TEST(WorldTree, FindWorldLeafWalksToTheLeafAndStopsOnBrokenTables) {
  std::vector<WorldPlane> planes = {{1, 0, 0, 10}, {0, 1, 0, 0}};
  std::vector<WorldNode> nodes = {{0, -1, 1, {}, {}}, {1, -2, -3, {}, {}}};
  const std::vector<WorldLeaf> leaves(3, WorldLeaf{});
  auto build = [&] {
    SetWorldTree(planes.data(), int32_t(planes.size()), nodes.data(), int32_t(nodes.size()), leaves.data(), 3,
                 nullptr, 0, nullptr, 0, 0);
  };
  build();
  const struct {
    gfx::Vector3 point;
    int32_t leaf;
  } cases[] = {{{10, 0, 0}, 0}, {{11, -5, 0}, 0}, {{5, 1, 0}, 1}, {{5, 0, 0}, 1}, {{5, -1, 0}, 2}};
  for (const auto& c : cases) EXPECT_EQ(FindWorldLeaf(c.point), c.leaf) << c.point.x << ", " << c.point.y;

  nodes[1].back = 0;  // back into node 0: a circle
  build();
  EXPECT_EQ(FindWorldLeaf({5, -1, 0}), -1);
  nodes[1] = {7, -2, -3, {}, {}};  // no such plane
  build();
  EXPECT_EQ(FindWorldLeaf({5, 1, 0}), -1);
  nodes[1] = {1, -9, -3, {}, {}};  // no such leaf
  build();
  EXPECT_EQ(FindWorldLeaf({5, 1, 0}), -1);
  SetWorldTree(nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0, 0);
  EXPECT_EQ(FindWorldLeaf({0, 0, 0}), -1);
  ReleaseWorld();
}

// Entries own a block shared with the test, so the test sees which entries were freed.
struct HeldEntry {
  std::shared_ptr<int> block;
};

TEST(WorldArrays, GrowByTheStepAndShrinkOnlyWhenMoreThanTheStepIsSpare) {
  const auto token = std::make_shared<int>(0);
  GrowableArray<HeldEntry> a;
  ASSERT_TRUE(a.Resize(3, 10));
  EXPECT_EQ(a.Capacity(), 13);
  for (int i = 0; i < 3; ++i) a.entries[size_t(i)].block = token;
  a.count = 3;
  a.entries[5].block = token;  // a stale entry past the count
  EXPECT_EQ(token.use_count(), 5);

  ASSERT_TRUE(a.Resize(13, 10));  // fits: nothing changes
  EXPECT_EQ(a.Capacity(), 13);
  EXPECT_EQ(token.use_count(), 5);
  ASSERT_TRUE(a.Resize(14, 10));  // grows to 24; entries from the count on start empty
  EXPECT_EQ(a.Capacity(), 24);
  EXPECT_EQ(token.use_count(), 4);
  ASSERT_TRUE(a.Resize(20, 10));  // 4 spare: kept
  EXPECT_EQ(a.Capacity(), 24);
  ASSERT_TRUE(a.Resize(2, 10));  // 22 spare: down to 2, and the count with it
  EXPECT_EQ(a.Capacity(), 2);
  EXPECT_EQ(a.count, 2);
  EXPECT_EQ(token.use_count(), 3);
  EXPECT_NE(a.At(1), nullptr);
  EXPECT_EQ(a.At(2), nullptr);
  EXPECT_EQ(a.At(-1), nullptr);

  EXPECT_FALSE(a.Resize(-1, 10));
  EXPECT_FALSE(a.Resize(kMaxGrowableEntries + 1, 10));
  EXPECT_EQ(a.Capacity(), 2);
  a.Free();
  EXPECT_EQ(token.use_count(), 1);
  EXPECT_EQ(a.count, 0);
}

TEST_F(TreeWorldTest, ReleaseGivesBackEveryTextureAndASecondReleaseFreesNothing) {
  gfx::Texture* texture = SolidTexture(kRed);
  ASSERT_NE(texture, nullptr);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(AddWorldTexture("red", texture), i);  // fewer than the step of 10
  EXPECT_EQ(AddGreyLightmap(128), 0);
  ASSERT_TRUE(ResizeWorldEntryArray(4));
  World().entries.count = 4;
  World().entries.entries[0].blocks[1].assign(64, 1);
  AddSquare({0, 0, 5}, 1, kTowardsCamera, 0, 0);
  SetSingleLeafTree(1);
  ASSERT_TRUE(FinishWorld());
  EXPECT_EQ(texture->AddRef(), 5u);  // the test's, three entries', this one
  texture->Release();

  TreeWorldModule::Destructor();
  EXPECT_EQ(texture->AddRef(), 2u);
  texture->Release();
  const TreeWorld& w = World();
  EXPECT_EQ(w.worldCount, 0);
  EXPECT_EQ(w.textures.Capacity() + w.lightmaps.Capacity() + w.entries.Capacity(), 0);
  EXPECT_TRUE(w.faces.empty() && w.vertices.empty() && w.groups.empty() && w.nodes.empty());

  TreeWorldModule::Destructor();
  EXPECT_EQ(texture->Release(), 0u);
}

// What every camera pass leaves for the object passes, with no world and with a drawn stage set that
// changes blending, depth and alpha testing.
TEST_F(TreeWorldTest, EveryPassEndsWithTheStatesTheObjectPassesStartFrom) {
  const struct {
    uint32_t state, scrambled, expected;
  } states[] = {
      {gfx::RS_FOGENABLE, 1, 0},
      {gfx::RS_SPECULARENABLE, 0, 1},
      {gfx::RS_CULLMODE, gfx::CULL_CW, gfx::CULL_CCW},
      {gfx::RS_ZFUNC, gfx::CMP_ALWAYS, gfx::CMP_LESSEQUAL},
      {gfx::RS_ZENABLE, 0, 1},
      {gfx::RS_ZWRITEENABLE, 0, 1},
      {gfx::RS_ALPHABLENDENABLE, 1, 0},
      {gfx::RS_SRCBLEND, gfx::BLEND_DESTCOLOR, gfx::BLEND_ONE},
      {gfx::RS_DESTBLEND, gfx::BLEND_ONE, gfx::BLEND_ZERO},
      {gfx::RS_ALPHATESTENABLE, 1, 0},
  };
  auto check = [&](const char* what) {
    for (const auto& s : states) Device()->SetRenderState(s.state, s.scrambled);
    const gfx::Matrix moved = dx::MatrixTranslation(1, 2, 3);
    Device()->SetTransform(gfx::TS_WORLD, &moved);
    Device()->SetSamplerState(0, gfx::SAMP_MAGFILTER, gfx::TEXF_POINT);
    Device()->SetTextureStageState(0, gfx::TSS_TEXCOORDINDEX, 1);
    DrawFrame(0);
    for (const auto& s : states) EXPECT_EQ(RenderState(s.state), s.expected) << what << ": state " << s.state;
    gfx::Matrix world{};
    Device()->GetTransform(gfx::TS_WORLD, &world);
    EXPECT_TRUE(dx::MatrixIsIdentity(world)) << what;
    uint32_t value = 0;
    Device()->GetSamplerState(0, gfx::SAMP_MAGFILTER, &value);
    EXPECT_EQ(value, gfx::TEXF_LINEAR) << what;
    Device()->GetTextureStageState(0, gfx::TSS_TEXCOORDINDEX, &value);
    EXPECT_EQ(value, 0u) << what;
  };
  check("no world");

  WorldStageSet set;
  set.cullMode = gfx::CULL_NONE;
  WorldStage stage = StageOf({{"$lightmap", -1}}, gfx::BLEND_SRCALPHA, gfx::BLEND_INVSRCALPHA);
  stage.depthFunc = gfx::CMP_EQUAL;
  stage.depthWrite = 0;
  stage.alphaTest = 1;
  stage.alphaFunc = gfx::CMP_GREATER;
  set.stages = {stage};
  AddSquare({0, 0, 5}, 1, kTowardsCamera, -1, AddGreyLightmap(200), AddWorldStageSet(set));
  SetSingleLeafTree(1);
  ASSERT_TRUE(FinishWorld());
  SetWorldRenderSwitch(2);
  check("a drawn stage set");
  EXPECT_EQ(core_->polygonsDrawn, 2u);
}

// A red texture times a grey lightmap of 128; a face without a lightmap shows its texture alone; a face
// without a texture is not drawn.
TEST_F(TreeWorldTest, TexturedFacesAreLitByTheirLightmaps) {
  const int32_t red = AddSolidTexture(kRed);
  const int32_t grey = AddGreyLightmap(128);
  AddSquare({-1.2f, 0, 5}, 1, kTowardsCamera, red, grey);
  AddSquare({1.2f, 0, 5}, 1, kTowardsCamera, red, -1);
  AddSquare({0, 2.5f, 5}, 0.5f, kTowardsCamera, -1, grey);
  SetSingleLeafTree(3);
  ASSERT_TRUE(FinishWorld());

  DrawFrame();
  EXPECT_EQ(core_->polygonsDrawn, 0u) << "render switch off";
  SetWorldRenderSwitch(2);
  DrawFrame();
  EXPECT_EQ(core_->polygonsDrawn, 4u);
  const std::vector<uint32_t> pixels = BackBuffer();
  ExpectColorNear(PixelOver(pixels, {-1.2f, 0, 5}), 0x800000, 3, "texture x lightmap");
  ExpectColorNear(PixelOver(pixels, {1.2f, 0, 5}), 0xFF0000, 2, "no lightmap");
  ExpectColorNear(PixelOver(pixels, {0, 2.5f, 5}), kBackground, 0, "no texture");
}

TEST_F(TreeWorldTest, StageSetsDrawStageAfterStage) {
  const int32_t red = AddSolidTexture(kRed);
  const int32_t colours[] = {red, AddSolidTexture(kGreen), AddSolidTexture(kBlue), AddSolidTexture(kWhite)};
  const int32_t grey = AddGreyLightmap(128);

  // The face's lightmap (named in any letter case), then red multiplied in.
  WorldStageSet lit;
  lit.stages = {StageOf({{"$LightMap", -1}}), StageOf({{"red", red}}, gfx::BLEND_DESTCOLOR, gfx::BLEND_ZERO)};
  lit.stages[0].texCoordSource = 1;
  AddSquare({-2.2f, 0, 5}, 1, kTowardsCamera, -1, grey, AddWorldStageSet(lit));

  // Four frames at rate 2.5: frame (whole seconds) mod 4.
  WorldStageSet animated;
  animated.stages = {StageOf({{"r", colours[0]}, {"g", colours[1]}, {"b", colours[2]}, {"w", colours[3]}})};
  animated.stages[0].animationRate = 2.5f;
  AddSquare({0, 0, 5}, 1, kTowardsCamera, -1, -1, AddWorldStageSet(animated));

  WorldStageSet skipped;
  skipped.skipDrawing = 1;
  skipped.stages = {StageOf({{"r", red}})};
  AddSquare({2.2f, 0, 5}, 1, kTowardsCamera, -1, -1, AddWorldStageSet(skipped));
  SetSingleLeafTree(3);
  ASSERT_TRUE(FinishWorld());
  SetWorldRenderSwitch(2);
  World().clock = Now;

  const struct {
    uint32_t now, frameColour;
  } times[] = {{0, kRed}, {2000, kBlue}, {3999, kWhite}, {5000, kGreen}};
  for (const auto& t : times) {
    g_now = t.now;
    DrawFrame();
    const std::vector<uint32_t> pixels = BackBuffer();
    ExpectColorNear(PixelOver(pixels, {-2.2f, 0, 5}), 0x800000, 3, "lightmap times red");
    ExpectColorNear(PixelOver(pixels, {0, 0, 5}), t.frameColour & 0xFFFFFF, 2, "animated frame");
    ExpectColorNear(PixelOver(pixels, {2.2f, 0, 5}), kBackground, 0, "skipped");
  }
}

// Two leaves split at engine z = 10: leaf 0 (cluster 0) before it, leaf 1 (cluster 1) beyond it. Face
// A stands in leaf 0 at z 5 and is drawn from both sides (its stage set does not cull); face B stands
// in leaf 1 at z 20, facing the origin. Cluster 0 sees only itself; cluster 1 sees both.
TEST_F(TreeWorldTest, VisibleFacesComeFromTheCameraClusterTheLeafBoxesAndTheFaceSide) {
  const int32_t red = AddSolidTexture(kRed);
  WorldStageSet twoSided;
  twoSided.cullMode = gfx::CULL_NONE;
  twoSided.stages = {StageOf({{"red", red}})};
  AddSquare({0, 0, 5}, 1, kTowardsCamera, -1, -1, AddWorldStageSet(twoSided));
  AddSquare({0, 0, 20}, 1, kTowardsCamera, red);
  const int32_t e = kWorldExtent, s = int32_t(10.0f * kEngineToWorld);
  const WorldPlane plane{0, 1, 0, 10.0f * kEngineToWorld};
  const WorldNode node{0, -2, -1, {-e, -e, -e}, {e, e, e}};
  std::vector<WorldLeaf> leaves = {
      {0, 0, {-e, -e, -e}, {e, s, e}, 0, 1, 0, 0},
      {1, 0, {-e, s + 1, -e}, {e, e, e}, 1, 1, 0, 0},
  };
  const int32_t leafFaces[] = {0, 1};
  const uint8_t rows[] = {0b01, 0b11};
  auto build = [&](bool visibility) {
    SetWorldTree(&plane, 1, &node, 1, leaves.data(), 2, leafFaces, 2, visibility ? rows : nullptr, 2, 1);
  };
  build(true);
  ASSERT_TRUE(FinishWorld());
  SetWorldRenderSwitch(2);
  using Flags = std::vector<uint32_t>;
  const struct {
    bool visibility;
    float z, yAngle;
    Flags flags;
    const char* what;
  } cases[] = {
      {true, 0, 0, {1, 0}, "cluster 0 sees only itself"},
      {true, 15, 180, {1, 1}, "cluster 1 sees both"},
      {true, 25, 180, {1, 0}, "B turns its back on the camera"},
      {false, 0, 180, {1, 0}, "leaf 1's box lies wholly behind the camera"},
      {false, 0, 0, {1, 1}, "no visibility rows"},
  };
  for (const auto& c : cases) {
    build(c.visibility);
    PlaceCamera(0, 0, c.z);
    SetCameraAngles(0, c.yAngle, 0);
    DrawFrame();
    EXPECT_EQ(World().visibleFaces, c.flags) << c.what;
  }

  // On the reflected pass of a mirror the mirror point chooses: from z 15, in cluster 1.
  build(true);
  PlaceCamera(0, 0, 0);
  SetCameraAngles(0, 0, 0);
  core_->stencilMode = 2;
  Device()->BeginScene();
  BeginCameraPasses();
  core_->renderPassIndex = 1;
  core_->cameraZ = 15;
  RenderWorld();
  AdvanceCameraPass();
  Device()->EndScene();
  EXPECT_EQ(World().visibleFaces, (Flags{1, 1}));

  // A camera outside every cluster sees every face.
  core_->stencilMode = 0;
  leaves[0].cluster = -1;
  build(true);
  DrawFrame();
  EXPECT_EQ(World().visibleFaces, (Flags{1, 1}));
  EXPECT_EQ(word_, 0u);
}

// Ranges and numbers that point past the tables they index are skipped wherever they are read; the
// sound face still draws and still stops a sphere.
TEST_F(TreeWorldTest, TablesThatPointOutsideEachOtherAreSkipped) {
  const int32_t red = AddSolidTexture(kRed);
  AddSquare({0, 0, 5}, 1, kTowardsCamera, red);
  AddSquarePatch({-3, 0, 5}, 1, kTowardsCamera, red);
  const uint16_t triangle[] = {0, 1, 2};
  const std::vector<WorldSourceVertex> corners = SquareCorners({3, 0, 5}, 1, kTowardsCamera);
  AddWorldMesh(corners.data(), 4, triangle, 3, red, -1, -1);
  SetSingleLeafTree(3);
  ASSERT_TRUE(FinishWorld());
  SetWorldRenderSwitch(2);
  TreeWorld& w = World();
  w.faces[1].patch = 70000;                     // no such patch
  w.faces[2].firstMeshIndex = 1;                // runs past the mesh indices
  WorldFace broken = w.faces[0];
  broken.firstVertex = int32_t(w.vertices.size()) - 2;  // runs past the drawing vertices
  broken.stageSet = 40;                          // no such stage set
  broken.lightmap = 9;                           // no such lightmap
  w.faces.push_back(broken);
  w.sourceFaces.push_back(w.sourceFaces[0]);
  w.sourceFaces.back().firstVertex = 1 << 30;
  w.visibleFaces.push_back(0);
  w.leafFaces.insert(w.leafFaces.end(), {3, 99, -4});
  w.leaves[0].leafFaceCount = 6;
  WorldLeaf stray = w.leaves[0];
  stray.firstLeafFace = 1 << 30;
  w.leaves.push_back(stray);
  w.groups[0].faces.insert(w.groups[0].faces.end(), {3, 70000, -1});
  w.groups.push_back(WorldFaceGroup{-(1 << 30), {0}});  // a stage set far past the table
  w.groups.push_back(WorldFaceGroup{INT32_MIN, {0}});
  w.nodes[0].back = 5;                          // no such node

  DrawFrame();
  EXPECT_EQ(core_->polygonsDrawn, 2u);
  ExpectColorNear(PixelOver(BackBuffer(), {0, 0, 5}), 0xFF0000, 2);
  gfx::Vector3 end{};
  EXPECT_EQ(TraceWorldMove({0, 0, 0}, {0, 0, 10}, {0.5f, 0.5f, 0.5f}, &end, 5, 0.003f), 1);
  EXPECT_NEAR(end.z, 5 - 0.5f - 0.001f, 1e-3);

  // Visibility rows shorter than the cluster count says.
  const uint8_t row = 0xFF;
  SetWorldTree(w.planes.data(), 1, w.nodes.data(), 1, w.leaves.data(), 1, w.leafFaces.data(), 3, &row, 1, 1);
  w.clusterCount = 50;
  w.leaves[0].cluster = 40;
  DrawFrame();
  EXPECT_EQ(core_->polygonsDrawn, 0u);
}

TEST(StageCoordinates, FramesAndScrollStepsStayInRange) {
  WorldStage stage;
  stage.frames.resize(4);
  stage.animationRate = 2.5f;
  const struct {
    double seconds;
    int32_t frame;
  } frames[] = {{0, 0}, {1.0, 1}, {2.5, 2}, {3.99, 3}, {5.0, 1}, {1e12, 0}};
  for (const auto& f : frames) EXPECT_EQ(StageFrame(stage, f.seconds), f.frame) << f.seconds;
  stage.animationRate = 1e30f;
  const int32_t fast = StageFrame(stage, 4294967.295);
  EXPECT_TRUE(fast >= 0 && fast < 4) << fast;
  stage.animationRate = 0;
  EXPECT_EQ(StageFrame(stage, 7.0), 0);

  const struct {
    float step, reduced;
  } scrolls[] = {{25.0f, 1.0f}, {1.5f, 0.5f}, {1.0f, 1.0f}, {0.25f, 0.25f}, {-3.0f, -3.0f}, {INFINITY, 0.0f}};
  for (const auto& s : scrolls) EXPECT_FLOAT_EQ(ReduceScroll(s.step), s.reduced) << s.step;
  const float huge = ReduceScroll(1e30f);
  EXPECT_TRUE(huge >= 0.0f && huge <= 1.0f) << huge;
}

// A scroll of 0.5 per second at 150000 ms: (150000 mod 100000) x 0.001 x 0.5 = 25, reduced to 1.0 on a
// polygon and added whole to a patch; both come back after the draw.
TEST_F(TreeWorldTest, StageScrollChangesCoordinatesForOneDrawOnly) {
  AddSquare({0, 0, 5}, 1, kTowardsCamera, -1);
  AddSquarePatch({3, 0, 5}, 1, kTowardsCamera, -1);
  World().clock = Now;
  g_now = 150000;
  WorldStage stage;
  stage.mods = {TexCoordMod{0, 0, 0, 0.5f, 0}};
  TreeWorld& w = World();
  const float before[] = {w.vertices[0].u, w.patches[0].vertices[0].u};
  const float added[] = {1.0f, 25.0f};
  for (int f = 0; f < 2; ++f) {
    WorldFace& face = w.faces[size_t(f)];
    WorldVertex& first = f == 0 ? w.vertices[0] : w.patches[0].vertices[0];
    ApplyStageTexCoordMods(face, stage);
    EXPECT_FLOAT_EQ(first.u, before[f] + added[f]) << "face " << f;
    RestoreFaceTexCoords(face);
    EXPECT_FLOAT_EQ(first.u, before[f]) << "face " << f;
  }
}

}  // namespace
}  // namespace world_test
