// Camera 0: its matrices from position and angles, aiming, automatic placement, field of view and
// range, the view rectangle, the camera loop of the frame step, errors and the device reset.
#include <utility>

#include "engine/core/core.h"
#include "engine/core/core_state.h"
#include "tests/engine/scene/scene_fixture.h"

namespace scene_test {
namespace {

using CameraTest = SceneTest;

constexpr float kStartFov = 61.962135f;

CameraRecord& Camera0() {
  CameraRecord* camera = GetCameraData(0);
  EXPECT_NE(camera, nullptr);
  return *camera;
}

// Where a world point lands in view space through the device's view transform.
gfx::Vector3 InView(const gfx::Vector3& p) { return dx::Vec3TransformCoord(p, SceneTest::Transform(gfx::TS_VIEW)); }

TEST_F(CameraTest, StartsAtTheOriginLookingAlongZWithTheDefaultProjection) {
  const CameraRecord& camera = Camera0();
  ExpectVectorNear(camera.position, {0, 0, 0}, 0);
  ExpectVectorNear(camera.look, {0, 0, 1}, 1e-6f);
  ExpectVectorNear(camera.up, {0, 1, 0}, 1e-6f);
  ExpectVectorNear(camera.right, {1, 0, 0}, 1e-6f);
  EXPECT_FLOAT_EQ(camera.fieldOfView, kStartFov);
  EXPECT_FLOAT_EQ(camera.nearPlane, 1.0f);
  EXPECT_FLOAT_EQ(camera.farPlane, 3000.0f);
  EXPECT_FLOAT_EQ(camera.aspect, 640.0f / 480.0f);
  EXPECT_EQ(camera.backgroundOn, 0u);
  EXPECT_EQ(camera.viewRect.width, 640u);
  EXPECT_EQ(camera.viewRect.height, 480u);
  EXPECT_EQ(core_->currentCamera, 0);
  ExpectMatrixNear(Transform(gfx::TS_PROJECTION), HandPerspective(kStartFov, 640.0f / 480.0f, 1, 3000), 1e-5f);
  ExpectMatrixNear(Transform(gfx::TS_VIEW), dx::MatrixIdentity(), 0);
  // Only camera 0 exists.
  EXPECT_EQ(GetCameraData(1), nullptr);
}

TEST_F(CameraTest, ViewFollowsPositionAndAngles) {
  // Turned 90 degrees about y the camera looks along +x, with its right along -z.
  PlaceCamera(10, 20, -30);
  SetCameraAngles(0, 90, 0);
  ExpectVectorNear(Camera0().look, {1, 0, 0}, 1e-6f, "look");
  ExpectVectorNear(Camera0().right, {0, 0, -1}, 1e-6f, "right");
  ExpectVectorNear(InView({15, 21, -33}), {3, 1, 5}, 1e-4f, "a point ahead, above and to the right");

  // Any pitch and yaw without roll is the look-at view of a point ahead, up being +y.
  SetCameraAngles(30, 45, 0);
  const gfx::Vector3 eye{10, 20, -30};
  const gfx::Vector3 ahead = dx::Vec3Add(eye, Camera0().look);
  ExpectMatrixNear(Transform(gfx::TS_VIEW), dx::MatrixLookAtLH(eye, ahead, {0, 1, 0}), 1e-4f, "look-at");
  EXPECT_NEAR(Camera0().look.y, -0.5f, 1e-6f);  // pitched 30 degrees down

  SetCameraAngleX(0);
  SetCameraAngleY(180);
  ExpectVectorNear(Camera0().look, {0, 0, -1}, 1e-6f, "turned round");
  MoveCamera(-5);
  ExpectVectorNear(Camera0().position, {10, 20, -25}, 1e-5f, "moved backwards");
  EXPECT_FLOAT_EQ(GetCameraPositionZ(), -25.0f);
  EXPECT_FLOAT_EQ(GetCameraAngleY(), 180.0f);
}

TEST_F(CameraTest, AimingGivesAnglesFrom0To360ThatLookAtThePoint) {
  const struct { gfx::Vector3 from, to; float ax, ay; } cases[] = {
      {{0, 0, 0}, {0, 0, 10}, 0, 0},      // straight ahead
      {{0, 0, 0}, {5, 0, 0}, 0, 90},      // on +x
      {{0, 0, 0}, {-5, 0, 0}, 0, 270},    // on -x: not -90
      {{0, 0, 0}, {0, 0, -5}, 0, 180},    // behind
      {{0, 0, 0}, {0, 10, 10}, 315, 0},   // up is a negative pitch
      {{0, 10, 0}, {0, 0, 10}, 45, 0},    // down
      {{3, 4, 5}, {-7, -1, 12}, -1, -1},  // anywhere: only the look is checked
  };
  for (const auto& c : cases) {
    PlaceCamera(c.from.x, c.from.y, c.from.z);
    AimCamera(c.to.x, c.to.y, c.to.z);
    const CameraRecord& camera = Camera0();
    if (c.ax >= 0) {
      EXPECT_NEAR(GetCameraAngleX(), c.ax, 1e-3f) << c.to.x << "," << c.to.y << "," << c.to.z;
      EXPECT_NEAR(GetCameraAngleY(), c.ay, 1e-3f) << c.to.x << "," << c.to.y << "," << c.to.z;
    }
    EXPECT_GE(camera.angles.x, 0.0f);
    EXPECT_LT(camera.angles.x, 360.0f);
    EXPECT_GE(camera.angles.y, 0.0f);
    EXPECT_LT(camera.angles.y, 360.0f);
    ExpectVectorNear(camera.look, dx::Vec3Normalize(dx::Vec3Subtract(c.to, c.from)), 1e-5f, "look at the point");
  }
}

TEST_F(CameraTest, AutomaticPlacementStandsBehindAndAboveAndTurnsTheBackgroundOn) {
  PlaceAutoCamera(0, 0, 0, 10);
  ExpectVectorNear(Camera0().position, {0, 5, -30}, 1e-6f);
  ExpectVectorNear(Camera0().look, dx::Vec3Normalize({0, -5, 30}), 1e-5f);
  EXPECT_EQ(Camera0().backgroundOn, 1u);

  PlaceAutoCamera(0, 0, 0, 0.2f);  // z would be -0.6
  ExpectVectorNear(Camera0().position, {0, 0.1f, -2.0f}, 1e-6f);

  DisableAutoCamera();
  PlaceAutoCamera(0, 0, 0, 100);
  ExpectVectorNear(Camera0().position, {0, 0.1f, -2.0f}, 1e-6f, "placement off");
}

TEST_F(CameraTest, TheFirstPlacementTurnsTheBackgroundOnEvenWithPlacementOff) {
  DisableAutoCamera();
  PlaceAutoCamera(0, 0, 0, 10);
  EXPECT_EQ(Camera0().backgroundOn, 1u);
  ExpectVectorNear(Camera0().position, {0, 0, 0}, 0);
}

TEST_F(CameraTest, FieldOfViewAndRangeKeepEachOther) {
  SetCameraFOV(90);
  SetCameraRange(2, 500);
  EXPECT_FLOAT_EQ(Camera0().fieldOfView, 90.0f);
  ExpectMatrixNear(Transform(gfx::TS_PROJECTION), HandPerspective(90, 640.0f / 480.0f, 2, 500), 1e-5f, "range");
  SetCameraFOV(45);
  EXPECT_FLOAT_EQ(Camera0().nearPlane, 2.0f);
  EXPECT_FLOAT_EQ(Camera0().farPlane, 500.0f);
  ExpectMatrixNear(Transform(gfx::TS_PROJECTION), HandPerspective(45, 640.0f / 480.0f, 2, 500), 1e-5f, "fov");

  // Values without a perspective leave the camera as it was.
  SetCameraFOV(0);
  SetCameraFOV(180);
  SetCameraFOV(std::nanf(""));
  SetCameraRange(7, 7);
  SetCameraRange(1, INFINITY);
  EXPECT_FLOAT_EQ(Camera0().fieldOfView, 45.0f);
  EXPECT_FLOAT_EQ(Camera0().farPlane, 500.0f);
  ExpectMatrixNear(Transform(gfx::TS_PROJECTION), HandPerspective(45, 640.0f / 480.0f, 2, 500), 1e-5f, "unchanged");
}

TEST_F(CameraTest, ThePassClearsDepthOnlyUntilTheBackgroundIsOn) {
  Device()->ColorFill(core_->backBufferSurface, nullptr, 0xFF102030);
  BeginCameraPasses();
  EXPECT_EQ(PixelAt(320, 240), 0xFF102030u);
  EXPECT_EQ(AdvanceCameraPass(), 1u);

  EnableCameraClear();
  SetMainCameraClearColor(0xFF00FF00);
  SetCameraViewport(10, 20, 110, 220);
  EXPECT_EQ(Camera0().viewRect.width, 100u);
  EXPECT_EQ(Camera0().viewRect.height, 200u);
  BeginCameraPasses();
  gfx::Viewport viewport{};
  Device()->GetViewport(&viewport);
  EXPECT_EQ(viewport.x, 10u);
  EXPECT_EQ(viewport.y, 20u);
  EXPECT_EQ(viewport.width, 100u);
  EXPECT_EQ(viewport.height, 200u);
  EXPECT_EQ(PixelAt(50, 50), 0xFF00FF00u);  // inside the rectangle
  EXPECT_EQ(PixelAt(5, 5), 0xFF102030u);    // outside it
  EXPECT_EQ(core_->drawnCamera, 0);
  EXPECT_EQ(AdvanceCameraPass(), 1u);
  EXPECT_EQ(core_->drawnCamera, -1);
  Device()->GetViewport(&viewport);
  EXPECT_EQ(viewport.width, 640u);  // the whole back buffer again
  EXPECT_EQ(viewport.height, 480u);
}

// A quad over the whole back buffer at depth 0.5, depth-tested (less or equal) without writing depth.
void DrawScreenQuadAtHalfDepth(uint32_t colour) {
  struct Vertex {
    float x, y, z, rhw;
    uint32_t colour;
  };
  const Vertex quad[4] = {{0, 0, 0.5f, 1, colour}, {640, 0, 0.5f, 1, colour}, {0, 480, 0.5f, 1, colour},
                          {640, 480, 0.5f, 1, colour}};
  gfx::Device* device = SceneTest::Device();
  device->SetFVF(gfx::FVF_XYZRHW | gfx::FVF_DIFFUSE);
  device->SetTexture(0, nullptr);
  device->SetRenderState(gfx::RS_LIGHTING, 0);
  device->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
  device->SetRenderState(gfx::RS_ZENABLE, 1);
  device->SetRenderState(gfx::RS_ZWRITEENABLE, 0);
  device->SetRenderState(gfx::RS_ZFUNC, gfx::CMP_LESSEQUAL);
  device->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, quad, sizeof(Vertex));
}

// What a pixel holds after the camera's clear, seen through two screen quads at depth 0.5: red where
// the stencil is still 5, blue where it is 0, and the clear's own colour where the depth was not cleared.
uint32_t ProbeAfterClear(uint32_t stencilMode, bool background) {
  gfx::Device* device = SceneTest::Device();
  device->Clear(0, nullptr, gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER | gfx::CLEAR_STENCIL, 0xFF102030, 0.25f, 5);
  GetCoreDataPointer()->stencilMode = stencilMode;
  Camera0().backgroundOn = background ? 1 : 0;
  Camera0().backgroundColor = 0xFF00FF00;
  BeginCameraPasses();
  device->SetRenderState(gfx::RS_STENCILENABLE, 1);
  device->SetRenderState(gfx::RS_STENCILFUNC, gfx::CMP_EQUAL);
  for (const auto& [ref, colour] : {std::pair<uint32_t, uint32_t>{5, 0xFFFF0000}, {0, 0xFF0000FF}}) {
    device->SetRenderState(gfx::RS_STENCILREF, ref);
    DrawScreenQuadAtHalfDepth(colour);
  }
  device->SetRenderState(gfx::RS_STENCILENABLE, 0);
  device->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
  AdvanceCameraPass();
  GetCoreDataPointer()->stencilMode = 0;
  return SceneTest::PixelAt(320, 240) | 0xFF000000u;
}

// The clear takes the stencil along with the depth (a plain fill for the rasteriser) unless mirrors
// carry their marks in it; depth and colour come out of it as before, and a depth buffer without
// stencil is still cleared.
TEST_F(CameraTest, TheClearTakesTheStencilAlongUnlessMirrorsKeepTheirMarksInIt) {
  struct Case {
    uint32_t stencilMode;
    bool background;
    uint32_t pixel;
  };
  const Case cases[] = {
      {0, true, 0xFF0000FF}, {0, false, 0xFF0000FF}, {1, true, 0xFF0000FF},
      {2, true, 0xFFFF0000}, {2, false, 0xFFFF0000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "stencil mode " << c.stencilMode << ", background " << c.background);
    EXPECT_EQ(ProbeAfterClear(c.stencilMode, c.background), c.pixel);
  }

  gfx::Surface* own = nullptr;
  gfx::Surface* noStencil = nullptr;
  ASSERT_TRUE(gfx::Succeeded(Device()->GetDepthStencilSurface(&own)));
  ASSERT_TRUE(gfx::Succeeded(Device()->CreateDepthStencilSurface(640, 480, gfx::FMT_D16, 0, 0, 0, &noStencil, nullptr)));
  Device()->SetDepthStencilSurface(noStencil);
  Device()->Clear(0, nullptr, gfx::CLEAR_ZBUFFER, 0, 0.25f, 0);
  Camera0().backgroundOn = 1;
  Camera0().backgroundColor = 0xFF00FF00;
  BeginCameraPasses();
  EXPECT_EQ(PixelAt(320, 240) | 0xFF000000u, 0xFF00FF00u) << "the colour is cleared";
  DrawScreenQuadAtHalfDepth(0xFF0000FF);
  EXPECT_EQ(PixelAt(320, 240) | 0xFF000000u, 0xFF0000FFu) << "and so is the depth";
  AdvanceCameraPass();
  Device()->SetDepthStencilSurface(own);
  own->Release();
  noStencil->Release();
}

TEST_F(CameraTest, RectanglesReachingPastTheBackBufferAreCutToIt) {
  SetCameraViewport(600, 400, 1000, 1000);
  BeginCameraPasses();
  gfx::Viewport viewport{};
  Device()->GetViewport(&viewport);
  EXPECT_EQ(viewport.x, 600u);
  EXPECT_EQ(viewport.y, 400u);
  EXPECT_EQ(viewport.width, 40u);
  EXPECT_EQ(viewport.height, 80u);
  AdvanceCameraPass();
  // Rectangles without area, or off the surface's top-left, are refused.
  SetCameraViewport(50, 50, 50, 90);
  SetCameraViewport(80, 50, 10, 90);
  SetCameraViewport(-10, 0, 100, 100);
  EXPECT_EQ(Camera0().viewRect.x, 600u);
  EXPECT_EQ(Camera0().viewRect.width, 400u);
}

// The frame step with only the camera loop and a probe in the object phase.
std::vector<std::pair<int32_t, uint32_t>> g_passes;

TEST_F(CameraTest, TheFrameStepDrawsEveryPassOfCameraZero) {
  CoreTable& t = GetCoreTable();
  const CoreTable saved = t;
  t = CoreTable{};
  t.BeginScene = t.EndScene = t.PresentFrame = [] {};
  t.BeginCameraPasses = BeginCameraPasses;
  t.AdvanceCameraPass = AdvanceCameraPass;
  t.RunObjectMainPhase = [] { g_passes.push_back({core_->drawnCamera, core_->renderPassIndex}); };
  Core().startUpDone = 1;
  core_->renderPassCount = 2;
  PlaceCamera(1, 2, 3);
  g_passes.clear();
  SyncFrame();
  core_->renderPassCount = 1;
  Core().startUpDone = 0;
  t = saved;

  const std::vector<std::pair<int32_t, uint32_t>> expected = {{0, 0}, {0, 1}};
  EXPECT_EQ(g_passes, expected);
  EXPECT_EQ(core_->drawnCamera, -1);
  EXPECT_FLOAT_EQ(core_->cameraX, 1.0f);
  EXPECT_FLOAT_EQ(core_->cameraZ, 3.0f);
}

TEST_F(CameraTest, BadNumbersRaise7201AndMissingCameras7203) {
  PlaceCamera(1, 2, 3);
  const struct {
    const char* what;
    float (*call)();
    uint32_t code;
  } cases[] = {
      {"position of -1", [] { SetCameraPosition(-1, 9, 9, 9); return 0.0f; }, 7201},
      {"rotation beyond the range", [] { SetCameraRotation(22000001, 9, 9, 9); return 0.0f; }, 7201},
      {"aim a missing camera", [] { AimCamera(1, 9, 9, 9); return 0.0f; }, 7203},
      {"move a missing camera", [] { MoveCamera(5, 1.0f); return 0.0f; }, 7203},
      {"range of a missing camera", [] { ApplyCameraRange(2, 5, 6); return 0.0f; }, 7203},
      {"view of -5", [] { ApplyCameraView(-5, 0, 0, 5, 5); return 0.0f; }, 7201},
      {"fov of a missing camera", [] { SetCameraFOV(3, 50.0f); return 0.0f; }, 7203},
      {"clear of a missing camera", [] { EnableCameraClear(22000000); return 0.0f; }, 7203},
      {"colour of -1", [] { SetCameraClearColor(-1, 0); return 0.0f; }, 7201},
      {"x of a missing camera", [] { return GetCameraX(1); }, 7203},
      {"y of -1", [] { return GetCameraY(-1); }, 7201},
      {"angle of a missing camera", [] { return GetCameraAngleX(4); }, 7203},
      {"place a missing camera by number", [] { PositionCameraById(6, 9, 9, 9); return 0.0f; }, 7203},
  };
  for (const auto& c : cases) {
    word_ = 0;
    EXPECT_EQ(c.call(), 0.0f) << c.what;
    EXPECT_EQ(word_, c.code) << c.what;
  }
  ExpectVectorNear(Camera0().position, {1, 2, 3}, 0);
  EXPECT_FLOAT_EQ(Camera0().fieldOfView, kStartFov);
  EXPECT_EQ(GetCameraData(-1), nullptr);
  word_ = 0;
  EXPECT_FLOAT_EQ(GetCameraY(0), 2.0f);
  EXPECT_EQ(word_, 0u);
}

TEST_F(CameraTest, ADeviceResetRebuildsADefaultCameraAtTheNewSize) {
  PlaceCamera(1, 2, 3);
  SetCameraAngles(10, 20, 30);
  SetCameraFOV(90);
  SetCameraRange(5, 50);
  core_->backBufferWidth = 400;
  core_->backBufferHeight = 100;
  CameraModule::RefreshD3D(0);
  CameraModule::RefreshD3D(1);
  core_->backBufferWidth = 640;
  core_->backBufferHeight = 480;
  const CameraRecord& camera = Camera0();
  ExpectVectorNear(camera.position, {0, 0, 0}, 0);
  ExpectVectorNear(camera.angles, {0, 0, 0}, 0);
  EXPECT_FLOAT_EQ(camera.fieldOfView, kStartFov);
  EXPECT_FLOAT_EQ(camera.nearPlane, 1.0f);
  EXPECT_FLOAT_EQ(camera.farPlane, 3000.0f);
  EXPECT_FLOAT_EQ(camera.aspect, 4.0f);
  EXPECT_EQ(camera.fullViewport.width, 400u);
  EXPECT_EQ(camera.fullViewport.height, 100u);
}

}  // namespace
}  // namespace scene_test
