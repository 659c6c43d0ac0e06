// Size, screen and pick queries against camera 0, the camera's orientation, switches of state, and
// vertex access to one frame's mesh.
#include "tests/engine/objects/table/object_fixture.h"

namespace objects_test {
namespace {

class QueryTest : public ObjectModuleTest {
 protected:
  void SetUp() override {
    ObjectModuleTest::SetUp();
    DisableAutoCamera();
    CreateBoxObject(1, 2, 4, 6);
    PlaceCamera(0, 0, 0);
    SetCameraAngles(0, 0, 0);
  }
};

TEST_F(QueryTest, SizeIsTheBoxTimesTheScale) {
  ScaleObject(1, 200, 100, 50);
  EXPECT_FLOAT_EQ(GetObjectSizeX(1), 4.0f);
  EXPECT_FLOAT_EQ(GetObjectSizeY(1), 4.0f);
  EXPECT_FLOAT_EQ(GetObjectSizeZ(1), 3.0f);
  EXPECT_EQ(GetObjectSizeX(2), 0.0f);
  EXPECT_EQ(word_, 7008u);
}

TEST_F(QueryTest, ScreenPositionOfObjectsAroundTheCamera) {
  struct Case {
    Vector3 position;
    int32_t onScreen;
  };
  for (const Case& c : {Case{{0, 0, 50}, 1}, Case{{0, 0, -50}, 0}, Case{{500, 0, 50}, 0}, Case{{0, 0, 5000}, 0}}) {
    PositionObject(1, c.position.x, c.position.y, c.position.z);
    EXPECT_EQ(IsObjectOnScreen(1), c.onScreen) << c.position.x << " " << c.position.z;
  }
  PositionObject(1, 0, 0, 50);
  EXPECT_EQ(GetObjectScreenX(1), 320);
  EXPECT_EQ(GetObjectScreenY(1), 240);
  PositionObject(1, 10, 10, 50);
  EXPECT_GT(GetObjectScreenX(1), 320) << "right of the camera is right on the screen";
  EXPECT_LT(GetObjectScreenY(1), 240) << "above the camera is up on the screen";
  PositionObject(1, 0, 0, 0);
  GetObjectScreenX(1);  // at the camera itself: any position, no fault
}

TEST_F(QueryTest, PickThroughTheScreenCentreLooksAlongTheCamera) {
  PickScreenCommand(320, 240, 10);
  EXPECT_NEAR(GetPickVectorX(), 0.0f, 1e-3f);
  EXPECT_NEAR(GetPickVectorZ(), 10.0f, 1e-3f);
  PickScreenCommand(639, 240, 10);
  EXPECT_GT(GetPickVectorX(), 0.0f);
  EXPECT_NEAR(std::hypot(GetPickVectorX(), GetPickVectorZ()), 10.0f, 1e-3f);
}

TEST_F(QueryTest, AlignTakesTheCamerasOrientationButKeepsThePosition) {
  PlaceCamera(5, 5, 5);
  SetCameraAngles(0, 90, 0);
  PositionObject(1, 1, 2, 3);
  AlignObjectWithCamera(1);
  const PositionBlock& p = Object(1)->placement;
  EXPECT_EQ(p.freeFlight, 1);
  EXPECT_NEAR(p.look.x, 1.0f, 1e-5f);
  EXPECT_NEAR(p.angles.y, 90.0f, 1e-5f);
  EXPECT_EQ(p.rotationOrder, 0u);
  EXPECT_NEAR(p.worldMatrix.m[3][0], 1.0f, 1e-5f);
  EXPECT_NEAR(p.worldMatrix.m[3][2], 3.0f, 1e-5f);
  // The object's own z axis now points along the camera's look vector.
  EXPECT_NEAR(p.worldMatrix.m[2][0], 1.0f, 1e-5f);
}

TEST_F(QueryTest, AnimationVisibilityAndCollisionSwitches) {
  Object(1)->frame = 7;
  PlayObjectAnimation(1);
  EXPECT_EQ(Object(1)->playing, 1);
  EXPECT_EQ(Object(1)->looping, 0);
  EXPECT_EQ(Object(1)->frame, 0.0f);
  LoopObjectAnimation(1);
  EXPECT_EQ(Object(1)->looping, 1);
  HideObject(1);
  EXPECT_EQ(Object(1)->visible, 0);
  ShowObject(1);
  EXPECT_EQ(Object(1)->visible, 1);
  SetObjectCollisionOff(1);
  EXPECT_EQ(Object(1)->bounds.collisionOn, 0);
  SetObjectCollisionOn(1);
  EXPECT_EQ(Object(1)->bounds.collisionOn, 1);
  SetObjectCollisionToPolygons(1);
  EXPECT_EQ(Object(1)->bounds.collisionType, 3u);
  SetObjectCollisionToBoxes(1);
  EXPECT_EQ(Object(1)->bounds.collisionType, 2u);
}

TEST_F(QueryTest, RayDistanceIsLimitedToTheSegment) {
  CreateBoxObject(2, 2, 2, 2);
  PositionObject(2, 0, 0, 20);
  EXPECT_NEAR(RayIntersectObject(2, 0, 10, 20, 0, -10, 20), 9.0f, 1e-4f);
  EXPECT_EQ(RayIntersectObject(2, 0, 10, 20, 0, 5, 20), 0.0f) << "the box lies beyond the segment's end";
  EXPECT_EQ(RayIntersectObject(3, 0, 10, 20, 0, -10, 20), 0.0f);
  EXPECT_EQ(word_, 7008u);
}

TEST_F(QueryTest, CollisionTestAgainstOneOrEveryObject) {
  CreateBoxObject(2, 2, 2, 2);
  CreateBoxObject(3, 2, 2, 2);
  PositionObject(1, 100, 0, 0);
  PositionObject(3, 1, 0, 0);
  EXPECT_EQ(TestObjectCollision(2, 3), 1);
  EXPECT_EQ(TestObjectCollision(2, 0), 3);
  EXPECT_EQ(TestObjectCollision(2, 1), 0);
  EXPECT_EQ(TestObjectCollision(2, 9), 0);
  EXPECT_EQ(word_, 7008u);
}

TEST_F(QueryTest, LockedVertexAccessStaysInsideTheMesh) {
  EXPECT_EQ(GetLockedVertexX(0), 0.0f) << "nothing locked";
  CreateTriangleObject(2, 1, 2, 3, 4, 5, 6, 7, 8, 9);
  LockFrameVertexData(2, 0);
  EXPECT_EQ(GetLockedVertexX(1), 4.0f);
  EXPECT_EQ(GetLockedVertexZ(2), 9.0f);
  EXPECT_EQ(GetLockedVertexY(3), 0.0f) << "a vertex beyond the mesh reads 0";
  SetLockedVertexPosition(3, 0, 0, 0);
  SetLockedVertexPosition(-1, 0, 0, 0);
  SetLockedVertexPosition(0, -1, -2, -3);
  EXPECT_EQ(GetLockedVertexY(0), -2.0f);
  MeshRecord* mesh = FirstMesh(2);
  mesh->verticesChanged = 0;
  UnlockFrameVertexData();
  EXPECT_EQ(mesh->verticesChanged, 1);
  EXPECT_EQ(GetLockedVertexX(1), 0.0f) << "the lock ended";

  LockFrameVertexData(2, 0);
  DeleteObject(2);
  EXPECT_EQ(GetLockedVertexX(1), 0.0f) << "a deleted object's mesh is not read";
  SetLockedVertexPosition(0, 1, 1, 1);
  UnlockFrameVertexData();
}

}  // namespace
}  // namespace objects_test
