// Objects drawn through the camera passes: lit faces where the camera sees them, culling, the draw
// list's texture order, transparent objects far to near after the opaque pass, the render bytes,
// stencil shadows and mirrors, and the per-frame counters.
#include "engine/objects/render_objects.h"
#include "platform/gfx/test_hooks.h"
#include "tests/engine/objects/render/render_fixture.h"

namespace render_test {
namespace {

using RenderPassTest = RenderTest;

// A box of 2 below eye level at z 10: its front face (z 9) spans rows 329..418 around column 320,
// its top face rows 313..329.
constexpr int kTopRow = 322, kFrontRow = 373, kAboveRow = 300;

TEST_F(RenderPassTest, BoxShowsTheFacesTheLightReaches) {
  const struct {
    const char* what;
    gfx::Vector3 light;
    uint32_t top, front;
  } cases[] = {
      {"light shining down", {0, -1, 0}, 0xFFFFFF, 0x000000},
      {"light shining ahead", {0, 0, 1}, 0x000000, 0xFFFFFF},
  };
  AddBox(1, {2, 2, 2}, {0, -3, 10});
  for (const auto& c : cases) {
    SetLight(c.light);
    DrawFrame();
    std::vector<uint32_t> pixels = BackBuffer();
    ExpectColorNear(PixelAt(pixels, 320, kTopRow), c.top, 3, c.what);
    ExpectColorNear(PixelAt(pixels, 320, kFrontRow), c.front, 3, c.what);
    ExpectColorNear(PixelAt(pixels, 320, kAboveRow), kBackground, 0, c.what);
    ExpectColorNear(PixelAt(pixels, 380, kFrontRow), kBackground, 0, c.what);  // beyond its right edge
    EXPECT_EQ(core_->polygonsDrawn, 12u);
    EXPECT_EQ(core_->drawCalls, 1u);
  }
}

TEST_F(RenderPassTest, ObjectsOutsideTheFrustumAreDroppedUnlessNeverCulled) {
  AddBox(1, {2, 2, 2}, {0, 0, 10});
  ObjectRecord* behind = AddBox(2, {2, 2, 2}, {0, 0, -10});
  ObjectRecord* aside = AddBox(3, {2, 2, 2}, {100, 0, 10});
  uint32_t before = gfx::DrawCallCount(Device());
  DrawFrame();
  EXPECT_EQ(Manager().visibleCount, 1u);
  EXPECT_EQ(core_->drawCalls, 1u);
  EXPECT_EQ(core_->polygonsDrawn, 12u);
  EXPECT_EQ(gfx::DrawCallCount(Device()) - before, 1u);

  behind->neverCulled = 1;  // kept, though still out of sight
  aside->bounds.cullRadius = 0.0f;  // radius 0: never tested
  DrawFrame();
  EXPECT_EQ(Manager().visibleCount, 3u);
  EXPECT_EQ(core_->drawCalls, 3u);
}

TEST_F(RenderPassTest, DrawListGroupsByFirstTextureAndSkipsObjectsWithoutStages) {
  const int32_t images[] = {7, 3, 7};
  ObjectRecord* boxes[3];
  for (int i = 0; i < 3; ++i) {
    boxes[i] = AddBox(i + 1, {1, 1, 1}, {float(i), 0, 10});
    boxes[i]->meshList[0]->stages[0].image = images[i];
  }
  ObjectRecord* bare = AddBox(4, {1, 1, 1}, {-2, 0, 10});
  bare->meshList[0]->stages.clear();
  DrawFrame();
  ASSERT_EQ(Manager().listedCount, 3u);
  EXPECT_EQ(Manager().drawList[0], boxes[1]);
  EXPECT_EQ(Manager().drawList[1], boxes[0]);
  EXPECT_EQ(Manager().drawList[2], boxes[2]);
  EXPECT_EQ(core_->drawCalls, 3u);

  // The same count with a changed texture keeps the list until it is invalidated.
  boxes[1]->meshList[0]->stages[0].image = 9;
  DrawFrame();
  EXPECT_EQ(Manager().drawList[0], boxes[1]);
  Manager().InvalidateDrawList();
  DrawFrame();
  EXPECT_EQ(Manager().drawList[2], boxes[1]);
}

// Half-transparent red in own material colour.
void MakeHalfRed(ObjectRecord* object) {
  MeshRecord* mesh = object->meshList[0];
  mesh->transparency = 1;
  mesh->ownMaterial = 1;
  mesh->material.diffuse = {1, 0, 0, 0.5f};
  object->transparent = 1;
  object->sortFlag = 1;
}

TEST_F(RenderPassTest, TransparentObjectsAreDrawnFarToNearAfterTheOpaqueOnes) {
  const float distances[] = {5, 20, 10};
  ObjectRecord* glass[3];
  for (int i = 0; i < 3; ++i) {
    glass[i] = AddBox(i + 1, {1, 1, 1}, {float(i - 1) * 0.1f, 3, distances[i]});
    MakeHalfRed(glass[i]);
  }
  // A half-red pane in front of a white box: the box must already be there when the pane is blended.
  ObjectRecord* pane = AddBox(4, {2, 2, 0.2f}, {0, 0, 5});
  MakeHalfRed(pane);
  AddBox(5, {4, 4, 1}, {0, 0, 10});
  DrawFrame();
  const auto& order = Manager().transparentList;
  ASSERT_EQ(order.size(), 4u);
  EXPECT_EQ(order[0], glass[1]);
  EXPECT_EQ(order[1], glass[2]);
  EXPECT_EQ(order[2], glass[0]);  // 5.8 away: it sits 3 above the axis
  EXPECT_EQ(order[3], pane);
  ExpectColorNear(PixelAt(BackBuffer(), 320, 240), 0xFF8080, 4, "half red over the white box");
}

TEST_F(RenderPassTest, TransparentListDoublesWhenFullAndKeepsItsSize) {
  for (int32_t i = 1; i < kTableSize; ++i) MakeHalfRed(AddBox(i, {0.1f, 0.1f, 0.1f}, {0, 0, 10.0f + float(i)}));
  Manager().transparentCapacity = 32;  // reached sooner than 256, the same rule
  DrawFrame();
  EXPECT_EQ(Manager().transparentCapacity, 64u);
  DrawFrame();
  EXPECT_EQ(Manager().transparentCapacity, 64u);
  EXPECT_EQ(Manager().transparentList.front()->placement.position.z, 10.0f + float(kTableSize - 1));
}

TEST_F(RenderPassTest, RenderBytesChangeThePixels) {
  // The light shines down, so the front face is dark unless a byte says otherwise.
  SetLight({0, -1, 0});
  const struct {
    const char* what;
    void (*set)(MeshRecord*);
    uint32_t centre;
  } cases[] = {
      {"plain", [](MeshRecord*) {}, 0x000000},
      {"lighting off: the vertex colour", [](MeshRecord* m) { m->lighting = 0; }, 0xFFFFFF},
      {"wireframe: the inside stays clear", [](MeshRecord* m) { m->lighting = 0, m->wireframe = 1; }, kBackground},
  };
  for (const auto& c : cases) {
    ObjectRecord* box = AddBox(1, {2, 2, 2}, {0, 0, 10});
    c.set(box->meshList[0]);
    DrawFrame();
    // Off the face's diagonal, which the wireframe draws.
    ExpectColorNear(PixelAt(BackBuffer(), 340, 230), c.centre, 3, c.what);
    ResetObjectManager();
    Manager().SetCapacity(kTableSize);
    GetObjectTable().usedIds.clear();
  }
}

// Meshes drawn one after another with equal states skip their state setters; one differing byte (or
// material colour) between neighbours in the draw list still shows.
TEST_F(RenderPassTest, NeighboursWithEqualStatesShareThemAndADifferenceStillShows) {
  SetLight({0, -1, 0});  // the front faces are dark where lighting is on
  const float xs[] = {-4, -2, 0, 2, 4};
  ObjectRecord* boxes[5];
  for (int i = 0; i < 5; ++i) {
    boxes[i] = AddBox(i + 1, {1, 1, 1}, {xs[i], 0, 10});
    boxes[i]->meshList[0]->lighting = 0;
  }
  boxes[2]->meshList[0]->lighting = 1;  // between two unlit ones
  MeshRecord* coloured = boxes[4]->meshList[0];
  coloured->ownMaterial = 1;
  coloured->lighting = 1;
  coloured->material.emissive = {1, 0, 0, 1};  // red whatever the light
  boxes[3]->meshList[0]->lighting = 1;
  boxes[3]->meshList[0]->ownMaterial = 1;  // same bytes as box 4, other material
  DrawFrame();
  DrawFrame();
  std::vector<uint32_t> pixels = BackBuffer();
  const uint32_t expected[] = {0xFFFFFF, 0xFFFFFF, 0x000000, 0x000000, 0xFF0000};
  for (int i = 0; i < 5; ++i)
    ExpectColorNear(PixelAt(pixels, 320 + int(xs[i] * 44.3f), 240), expected[i], 3, boxes[i]->root->name);
}

TEST_F(RenderPassTest, FogTintsMeshesWithTheirFogByte) {
  core_->fogOn = 1;
  Device()->SetRenderState(gfx::RS_FOGCOLOR, 0xFFFF0000);
  Device()->SetRenderState(gfx::RS_FOGTABLEMODE, gfx::FOG_LINEAR);
  Device()->SetRenderState(gfx::RS_FOGSTART, gfx::FloatBits(0.0f));
  Device()->SetRenderState(gfx::RS_FOGEND, gfx::FloatBits(10.0f));
  ObjectRecord* fogged = AddBox(1, {2, 2, 2}, {-2, 0, 10});
  ObjectRecord* clear = AddBox(2, {2, 2, 2}, {2, 0, 10});
  fogged->meshList[0]->lighting = clear->meshList[0]->lighting = 0;
  clear->meshList[0]->fog = 0;
  DrawFrame();
  std::vector<uint32_t> pixels = BackBuffer();
  // At depth 9 of a fog from 0 to 10 nine tenths are fog.
  uint32_t foggedPixel = PixelAt(pixels, 320 - 74, 240), clearPixel = PixelAt(pixels, 320 + 74, 240);
  EXPECT_GT(Red(foggedPixel), 240);
  EXPECT_LT(Green(foggedPixel), 50);
  ExpectColorNear(clearPixel, 0xFFFFFF, 3, "fog byte off");
  Device()->SetRenderState(gfx::RS_FOGENABLE, 0);
}

TEST_F(RenderPassTest, ZWriteOffLetsLaterObjectsBehindShowThrough) {
  for (uint8_t zWrite : {uint8_t(1), uint8_t(0)}) {
    ObjectRecord* front = AddBox(1, {2, 2, 2}, {0, 0, 8});
    ObjectRecord* back = AddBox(2, {4, 4, 2}, {0, 0, 12});
    MeshRecord* f = front->meshList[0];
    MeshRecord* b = back->meshList[0];
    f->ownMaterial = b->ownMaterial = 1;
    f->material.diffuse = {1, 0, 0, 1};
    b->material.diffuse = {0, 1, 0, 1};
    f->zWrite = zWrite;
    DrawFrame();
    ExpectColorNear(PixelAt(BackBuffer(), 320, 240), zWrite ? 0xFF0000 : 0x00FF00, 3, zWrite ? "z-write" : "none");
    ResetObjectManager();
    Manager().SetCapacity(kTableSize);
    GetObjectTable().usedIds.clear();
  }
}

TEST_F(RenderPassTest, TranslucentModesBlendWithTheBackground) {
  // Grey 0x80 over the background 0x000080.
  const struct {
    uint32_t mode;
    uint32_t expected;
  } cases[] = {
      {0, 0x8080C0},  // one, inverse source colour
      {1, 0x000080},  // destination colour, source colour
      {2, 0x4040C0},  // source colour, one
      {3, 0x8080FF},  // source alpha, source alpha
      {4, 0x404080},  // source colour, destination colour
  };
  for (const auto& c : cases) {
    ObjectRecord* box = AddBox(1, {2, 2, 2}, {0, 0, 10});
    MeshRecord* mesh = box->meshList[0];
    mesh->ownMaterial = 1;
    mesh->material.diffuse = {0.5f, 0.5f, 0.5f, 1};
    mesh->translucent = 1;
    mesh->translucentMode = c.mode;
    box->transparent = box->sortFlag = 1;
    DrawFrame();
    ExpectColorNear(PixelAt(BackBuffer(), 320, 240), c.expected, 4, ("mode " + std::to_string(c.mode)).c_str());
    ResetObjectManager();
    Manager().SetCapacity(kTableSize);
    GetObjectTable().usedIds.clear();
  }
}

TEST_F(RenderPassTest, ShadowVolumeDarkensWhatLiesInsideIt) {
  SetLight({0, -1, 0});
  AddBox(1, {20, 0.2f, 20}, {0, -3, 10});  // the floor, its top at -2.9
  ObjectRecord* caster = AddBox(2, {1, 1, 1}, {0, 2, 10});
  // A volume under the caster down through the floor, drawn as it stands (not rebuilt from the light).
  FrameRecord* frame = caster->frameList[0];
  frame->shadowMesh = std::make_unique<MeshRecord>();
  ASSERT_TRUE(MakeBoxMesh(true, frame->shadowMesh.get(), -1, -6, -1, 1, -1, 1, gfx::FVF_XYZ, 0));
  caster->castsShadow = 1;
  core_->stencilMode = 1;
  core_->shadowCasterCount = 1;
  DrawFrame();
  std::vector<uint32_t> pixels = BackBuffer();
  // One shade: alpha 64 of black, so three quarters of the lit floor remain.
  ExpectColorNear(PixelAt(pixels, 320, 350), 0xBFBFBF, 3, "in the shadow");
  ExpectColorNear(PixelAt(pixels, 434, 350), 0xFFFFFF, 3, "beside it");

  // The caster stops casting: shadow mesh dropped, back to no stencil effect.
  Manager().ClearObjectStencilEffects(caster);
  EXPECT_EQ(frame->shadowMesh, nullptr);
  EXPECT_EQ(core_->stencilMode, 0u);
  EXPECT_EQ(core_->renderPassCount, 1u);
  DrawFrame();
  ExpectColorNear(PixelAt(BackBuffer(), 320, 350), 0xFFFFFF, 3, "shadow gone");
}

TEST_F(RenderPassTest, MirrorShowsTheReflectedSceneTintedInsideItsPixelsOnly) {
  ObjectRecord* mirror = AddBox(1, {8, 8, 0.2f}, {0, 0, 12});
  mirror->reflects = 1;
  AddBox(2, {2, 2, 2}, {2.5f, 0, 7});
  core_->stencilMode = 2;
  core_->mirrorCount = 1;
  core_->renderPassCount = 2;
  DrawFrame();
  std::vector<uint32_t> pixels = BackBuffer();
  // Plain mirror: the mirror colour 0x88 under a quarter of black.
  ExpectColorNear(PixelAt(pixels, 250, 150), 0x000066, 3, "empty mirror");
  ExpectColorNear(PixelAt(pixels, 100, 240), kBackground, 0, "outside the mirror");
  uint32_t reflected = PixelAt(pixels, 382, 240);
  EXPECT_NE(reflected, 0x000066u) << "the box's reflection";
  EXPECT_NE(reflected, kBackground & 0xFFFFFF);
  ExpectColorNear(PixelAt(pixels, 487, 240), 0xFFFFFF, 3, "the box itself");
  // The view and cull mode are back after the pass.
  EXPECT_EQ(Manager().frameCull, uint32_t(gfx::CULL_CCW));

  // Removing the last mirror leaves one pass and no stencil mode.
  Manager().ClearObjectStencilEffects(mirror);
  EXPECT_EQ(core_->stencilMode, 0u);
  EXPECT_EQ(core_->renderPassCount, 1u);
}

TEST_F(RenderPassTest, RemovingTheLastMirrorWhileShadowsRemainKeepsShadowMode) {
  ObjectRecord* mirror = AddBox(1, {1, 1, 1}, {0, 0, 10});
  mirror->reflects = 1;
  core_->stencilMode = 2;
  core_->renderPassCount = 2;
  core_->mirrorCount = 1;
  core_->shadowCasterCount = 2;
  Manager().ClearObjectStencilEffects(mirror);
  EXPECT_EQ(core_->stencilMode, 1u);
  EXPECT_EQ(core_->renderPassCount, 1u);
}

TEST_F(RenderPassTest, ScreenLockedObjectsDrawWithTheFixedView) {
  // The camera looks away from the box; screen-locked, it is drawn with the identity view all the same.
  ObjectRecord* locked = AddBox(1, {2, 2, 2}, {0, 0, 10});
  PlaceCamera(50, 0, 0);
  locked->screenLocked = 1;
  locked->screenLocked2 = 1;
  locked->transparent = 1;  // not drawn by the transparent half
  locked->sortFlag = 1;
  locked->bounds.cullRadius = 0.0f;
  DrawFrame();
  ExpectColorNear(PixelAt(BackBuffer(), 320, 240), 0xFFFFFF, 3, "locked box ahead");
  EXPECT_TRUE(Manager().transparentList.empty());
  EXPECT_FLOAT_EQ(GetCameraData(0)->fieldOfView, 61.962135f);
  gfx::Matrix view{};
  Device()->GetTransform(gfx::TS_VIEW, &view);
  EXPECT_FLOAT_EQ(view.m[3][0], -50.0f);  // the camera's view is back

  locked->screenLocked = locked->screenLocked2 = 0;
  locked->sortFlag = 0;
  locked->transparent = 0;
  DrawFrame();
  ExpectColorNear(PixelAt(BackBuffer(), 320, 240), kBackground, 0, "in the world, out of sight");
}

}  // namespace
}  // namespace render_test
