// The engine brought up offscreen for the camera, light and particle tests: one 640 x 480 device per
// suite and the scene modules constructed as start-up constructs them (constructor, error handler,
// then CoreData) before every test.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/display/display.h"
#include "engine/scene/camera.h"
#include "engine/scene/camera_state.h"
#include "engine/scene/light.h"
#include "engine/scene/light_state.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/d3dx/math_vector.h"
#include "platform/gfx/device.h"
#include "tests/engine/engine_fixture.h"

namespace scene_test {

namespace gfx = platform::gfx;
namespace dx = platform::d3dx;

class SceneTest : public engine_test::EngineDisplayTest {
 public:
  void SetUp() override {
    ASSERT_NE(GetDirect3DDevice(), nullptr);
    Cameras().autoCamera = 1;
    Cameras().firstPlacement = 1;
    ConstructModule(GetCoreTable().CameraModule);
    ConstructModule(GetCoreTable().LightModule);
    word_ = 0;
  }
  void TearDown() override {
    // The device keeps lights enabled after the module forgets them.
    for (IdListNode* node = Lights().list.records.Head(); node; node = node->next)
      Device()->LightEnable(uint32_t(node->id), 0);
    LightModule::Destructor();
    CameraModule::Destructor();
  }

  static gfx::Device* Device() { return GetDirect3DDevice(); }
  static gfx::Matrix Transform(uint32_t state) {
    gfx::Matrix m{};
    Device()->GetTransform(state, &m);
    return m;
  }
  static std::vector<uint32_t> BackBuffer() { return engine_test::ReadSurfacePixels(core_->backBufferSurface); }
  static uint32_t PixelAt(int x, int y) { return BackBuffer()[size_t(y) * 640 + size_t(x)]; }
};

inline void ExpectMatrixNear(const gfx::Matrix& a, const gfx::Matrix& b, float tolerance, const char* what = "") {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(a.m[r][c], b.m[r][c], tolerance) << what << " [" << r << "][" << c << "]";
}

inline void ExpectVectorNear(const gfx::Vector3& a, const gfx::Vector3& b, float tolerance, const char* what = "") {
  EXPECT_NEAR(a.x, b.x, tolerance) << what;
  EXPECT_NEAR(a.y, b.y, tolerance) << what;
  EXPECT_NEAR(a.z, b.z, tolerance) << what;
}

// A left-handed perspective written out by hand.
inline gfx::Matrix HandPerspective(float fovDegrees, float aspect, float zn, float zf) {
  const double fov = double(fovDegrees) * 0.017453292;
  const double yScale = 1.0 / std::tan(fov / 2);
  gfx::Matrix m{};
  m.m[0][0] = float(yScale / aspect);
  m.m[1][1] = float(yScale);
  m.m[2][2] = zf / (zf - zn);
  m.m[2][3] = 1.0f;
  m.m[3][2] = -zn * zf / (zf - zn);
  return m;
}

}  // namespace scene_test
