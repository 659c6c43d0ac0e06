#include <gtest/gtest.h>

#include "engine/objects/frustum.h"
#include "platform/d3dx/math_matrix.h"

using namespace platform::d3dx;

namespace {
// Camera at the origin looking down +z, 90 degrees, square, depth 1 to 100.
void BuildTestFrustum() {
  BuildFrustumPlanes(MatrixLookAtLH({0, 0, 0}, {0, 0, 1}, {0, 1, 0}), MatrixPerspectiveFovLH(kPi / 2, 1, 1, 100));
}
}  // namespace

TEST(Frustum, SpheresAgainstTheCameraFrustum) {
  BuildTestFrustum();
  EXPECT_TRUE(SphereInFrustum(0, 0, 10, 1));
  EXPECT_FALSE(SphereInFrustum(0, 0, -10, 1));   // behind
  EXPECT_TRUE(SphereInFrustum(0, 0, 0.5f, 1));   // reaches over the near plane at depth 1
  EXPECT_FALSE(SphereInFrustum(0, 0, 102, 1));   // beyond the far plane
  EXPECT_FALSE(SphereInFrustum(20, 0, 10, 5));   // left of the view: x 15..25 at depth 10
  EXPECT_TRUE(SphereInFrustum(20, 0, 10, 8));
  const Plane& left = GetFrustumLevel(0).planes[0];
  EXPECT_NEAR(left.a * left.a + left.b * left.b + left.c * left.c, 1.0f, 1e-5f);  // normalised
}

TEST(Frustum, BoxesAndPortalLevels) {
  BuildTestFrustum();
  EXPECT_TRUE(BoxInFrustum(0, 0, 0, 10, 1, 1, 1));
  EXPECT_FALSE(BoxInFrustum(0, 0, 0, -10, 1, 1, 1));
  EXPECT_TRUE(BoxInFrustum(0, 0, 0, -10, 1, 1, 11.5f));  // reaches depth 1.5

  // A portal 1 x 1 at depth 10 straight ahead narrows level 1.
  const Vector3 corners[4] = {{-1, -1, 10}, {1, -1, 10}, {1, 1, 10}, {-1, 1, 10}};
  ASSERT_TRUE(PushPortalFrustum(1, {0, 0, 0}, corners));
  EXPECT_TRUE(BoxInFrustum(1, 0, 0, 20, 0.5f, 0.5f, 0.5f));
  EXPECT_FALSE(BoxInFrustum(1, 5, 0, 20, 0.5f, 0.5f, 0.5f));  // inside the camera's view, not the portal's
  EXPECT_TRUE(BoxInFrustum(0, 5, 0, 20, 0.5f, 0.5f, 0.5f));
  EXPECT_FALSE(BoxInFrustum(1, 0, 0, 200, 0.5f, 0.5f, 0.5f));  // the far plane of level 0 still holds
  EXPECT_FALSE(PushPortalFrustum(0, {0, 0, 0}, corners));
  EXPECT_FALSE(PushPortalFrustum(kFrustumLevels, {0, 0, 0}, corners));
}
