// Box collision's slide vector (the blocked part of the last movement), the edge-on-edge axes, the
// axis-aligned route, and automatic collision moving objects and the camera back out of contact.
#include <cmath>

#include "engine/objects/box_collision.h"
#include "engine/objects/object_matrix.h"
#include "tests/engine/objects/collision/collision_fixture.h"
#include "tests/platform/d3dx/maths/math_expect.h"

namespace {

using collision_test::CollisionTest;
using qel_test::ExpectNear;

class BoxCollision : public CollisionTest {
 protected:
  // The wall: a box of size 2 at the origin; the mover: a box of size 1 that was at `from` and is
  // now at `to`.
  void Move(Vector3 from, Vector3 to) {
    Box(1, {2, 2, 2}, {0, 0, 0});
    Box(2, {1, 1, 1}, from);
    PositionObject(2, to.x, to.y, to.z);
  }
  static Vector3 Slide() { return {GetCollisionSlideX(), GetCollisionSlideY(), GetCollisionSlideZ()}; }
};

TEST_F(BoxCollision, TheSlideVectorIsTheMovementIntoTheCrossedFace) {
  struct Case {
    const char* what;
    Vector3 from, to, slide;
  };
  const Case cases[] = {
      // Only the part across the +x face is blocked: taking it off slides the box along the wall.
      {"diagonally into the +x face", {2, 0, 0}, {1.3f, 0, 0.3f}, {-0.7f, 0, 0}},
      {"diagonally into the -z face", {0.2f, 0, -2}, {0, 0, -1.2f}, {0, 0, 0.8f}},
      // Already inside: sliding would not get it out, so the whole movement goes back.
      {"starting inside", {1.2f, 0, 0}, {1.1f, 0, 0.2f}, {-0.1f, 0, 0.2f}},
      // From above only x and z faces are chosen: none is crossed, the whole fall goes back.
      {"falling onto it", {0, 2, 0}, {0, 1.4f, 0}, {0, -0.6f, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Move(c.from, c.to);
    EXPECT_EQ(CheckObjectBoxCollision(Object(2), Object(1)), 1);
    ExpectNear(Slide(), c.slide, 1e-5f);
    DeleteObject(1);
    DeleteObject(2);
  }
  Move({3, 0, 0}, {2, 0, 0});  // stopped short of the wall
  EXPECT_EQ(CheckObjectBoxCollision(Object(2), Object(1)), 0);
  ExpectNear(Slide(), {0, 0, 0});
}

TEST_F(BoxCollision, BoxesStandingOnCrossedEdgesAreToldApartByTheEdgeAxes) {
  // A's top edge runs along z at height sqrt(2), B's bottom edge along x at its centre - sqrt(2): no
  // face of either separates them, only the axis across both edges.
  const float touching = 2.0f * std::sqrt(2.0f);
  for (const auto& [gap, hit] : {std::pair{0.05f, 0}, std::pair{-0.05f, 1}}) {
    SCOPED_TRACE(gap);
    Box(1, {2, 2, 2}, {0, 0, 0});
    RotateObject(1, 0, 0, 45);
    Box(2, {2, 2, 2}, {0, touching + gap, 0});
    RotateObject(2, 45, 0, 0);
    EXPECT_EQ(TestObjectCollision(1, 2), hit);
  }
}

TEST_F(BoxCollision, TheAxisAlignedRouteNeedsOverlapAndSlidesByTheSmallestGap) {
  Move({2, 0, 0}, {1.3f, 0, 0.3f});
  ObjectRecord* wall = Object(1);
  ObjectRecord* mover = Object(2);
  wall->bounds.axisAlignedBoxTest = mover->bounds.axisAlignedBoxTest = 1;
  EXPECT_EQ(CheckObjectBoxCollision(mover, wall), 1);
  ExpectNear(Slide(), {-0.2f, 0, 0}, 1e-5f);  // back out to just touching the +x face
  wall->bounds.slideResponse = 0;
  EXPECT_EQ(CheckObjectBoxCollision(mover, wall), 1);
  ExpectNear(Slide(), {0, 0, 0});
  PositionObject(2, 1.5f, 0, 0);  // faces touching: no overlap on this route
  EXPECT_EQ(CheckObjectBoxCollision(mover, wall), 0);
}

TEST_F(BoxCollision, AutomaticCollisionMovesOnlyWhatAsksForIt) {
  Move({2, 0, 0}, {2, 0, 0});
  ObjectRecord* mover = Object(2);
  struct Case {
    const char* what;
    uint32_t mode;
    Vector3 turn;
    Vector3 after;
  };
  const Case cases[] = {
      {"no mode: the default of every object", 0, {0, 0, 0}, {1.3f, 0, 0.3f}},
      {"sliding", 1, {0, 0, 0}, {2, 0, 0.3f}},
      {"going back", 2, {0, 0, 0}, {2, 0, 0}},
      {"going back and turned back", 2, {0, 30, 0}, {3, 0, 0}},  // pushed 1 further from the wall
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PositionObject(2, 2, 0, 0);
    RotateObject(2, 0, 0, 0);
    mover->bounds.autoCollisionMode = c.mode;
    RunPrepareAutoCollision();  // end of a frame
    PositionObject(2, 1.3f, 0, 0.3f);
    RotateObject(2, c.turn.x, c.turn.y, c.turn.z);
    RunResolveAutoCollision();  // start of the next
    ExpectNear(mover->placement.position, c.after, 1e-5f);
    ExpectNear(mover->placement.angles, {0, 0, 0});
    RunResolveAutoCollision();  // nothing pending: nothing moves
    ExpectNear(mover->placement.position, c.after, 1e-5f);
  }
}

TEST_F(BoxCollision, TheCameraIsPushedBackOutOfAnObject) {
  Box(1, {2, 2, 2}, {0, 0, 0});
  ObjectRecord* camera = GetCameraCollisionObject();
  camera->bounds.boxMin = {-0.5f, -0.5f, -0.5f};
  camera->bounds.boxMax = {0.5f, 0.5f, 0.5f};
  camera->bounds.autoCollisionMode = 2;
  PlaceCamera(5, 0, 0);
  RunPrepareAutoCollision();
  ExpectNear(camera->placement.position, {5, 0, 0});
  PlaceCamera(0.5f, 0, 0);
  RunResolveAutoCollision();
  EXPECT_EQ(GetCameraPositionX(), 5.0f);

  // The camera has not moved since: it is not tested.
  RunPrepareAutoCollision();
  Object(1)->placement.position = {5, 0, 0};
  UpdateObjectMatrix(Object(1));
  RunResolveAutoCollision();
  EXPECT_EQ(GetCameraPositionX(), 5.0f);
  EXPECT_EQ(camera->bounds.movedThisFrame, 0);

  SetCollisionSwitch(0);
  PlaceCamera(4.5f, 0, 0);
  RunPrepareAutoCollision();
  RunResolveAutoCollision();
  EXPECT_EQ(GetCameraPositionX(), 4.5f);
}

}  // namespace
