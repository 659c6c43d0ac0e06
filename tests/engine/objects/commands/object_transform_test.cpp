// Placing, scaling, turning and moving objects against values worked out by hand (row vectors,
// rotation X then Y then Z, angles in degrees).
#include "platform/d3dx/math_vector.h"
#include "tests/engine/objects/table/object_fixture.h"

namespace objects_test {
namespace {

using platform::d3dx::Vec3TransformCoord;

class TransformTest : public ObjectModuleTest {
 protected:
  void SetUp() override {
    ObjectModuleTest::SetUp();
    CreateBoxObject(1, 2, 2, 2);
    ASSERT_NE(Object(1), nullptr);
  }
  static PositionBlock& Place(int32_t object) { return Object(object)->placement; }
};

void ExpectNear(const Vector3& actual, const Vector3& expected) {
  EXPECT_NEAR(actual.x, expected.x, 1e-4f);
  EXPECT_NEAR(actual.y, expected.y, 1e-4f);
  EXPECT_NEAR(actual.z, expected.z, 1e-4f);
}

TEST_F(TransformTest, ScaleIsPercentAndTheScaledRadiusFollowsTheUnscaledOne) {
  const float radius = Object(1)->bounds.radius;
  ASSERT_NEAR(radius, std::sqrt(3.0f), 1e-4f);
  Object(1)->bounds.movedThisFrame = 0;
  Object(1)->bounds.worldCentreCurrent = 1;
  ScaleObject(1, 100, 200, 50);
  ExpectNear(Place(1).scale, {1.0f, 2.0f, 0.5f});
  EXPECT_FLOAT_EQ(Object(1)->bounds.scaledRadius, radius * 2.0f);
  EXPECT_EQ(Object(1)->bounds.movedThisFrame, 1);
  EXPECT_EQ(Object(1)->bounds.worldCentreCurrent, 0);
  ScaleObject(1, 100, 100, 100);
  EXPECT_FLOAT_EQ(Object(1)->bounds.scaledRadius, radius);
}

TEST_F(TransformTest, RepeatedScalingDoesNotCompoundTheCullRadius) {
  Object(1)->bounds.cullRadius = 3.0f;
  ScaleObject(1, 200, 200, 200);
  ScaleObject(1, 200, 200, 200);
  EXPECT_FLOAT_EQ(Object(1)->bounds.cullRadius, 6.0f);
  ScaleObject(1, 100, 100, 100);
  EXPECT_FLOAT_EQ(Object(1)->bounds.cullRadius, 3.0f);
}

TEST_F(TransformTest, PositionKeepsThePreviousPositionOfTheLastCall) {
  PositionObject(1, 1, 2, 3);
  PositionObject(1, 4, 5, 6);
  ExpectNear(Place(1).previousPosition, {1, 2, 3});
  ExpectNear(Place(1).position, {4, 5, 6});
  EXPECT_EQ(GetObjectX(1), 4.0f);
  EXPECT_EQ(GetObjectY(1), 5.0f);
  EXPECT_EQ(GetObjectZ(1), 6.0f);
  ExpectNear({Place(1).worldMatrix.m[3][0], Place(1).worldMatrix.m[3][1], Place(1).worldMatrix.m[3][2]}, {4, 5, 6});
}

TEST_F(TransformTest, WorldMatrixScalesThenTurnsXThenYThenMoves) {
  ScaleObject(1, 200, 100, 100);
  RotateObject(1, 90, 90, 0);
  PositionObject(1, 10, 0, 0);
  EXPECT_EQ(GetObjectXAngle(1), 90.0f);
  EXPECT_EQ(GetObjectYAngle(1), 90.0f);
  EXPECT_EQ(GetObjectZAngle(1), 0.0f);
  const Matrix& world = Place(1).worldMatrix;
  // (1, 0, 0): scaled to (2, 0, 0), unchanged by X, taken by Y(90) to (0, 0, -2), moved.
  ExpectNear(Vec3TransformCoord({1, 0, 0}, world), {10, 0, -2});
  // (0, 1, 0): X(90) gives (0, 0, 1), Y(90) gives (1, 0, 0); Y before X would give (0, 0, 1).
  ExpectNear(Vec3TransformCoord({0, 1, 0}, world), {11, 0, 0});
  EXPECT_EQ(Place(1).previousPosition.x, 0.0f) << "turning keeps the previous position";
}

TEST_F(TransformTest, LookVectorsFollowTheAngles) {
  RotateObject(1, 0, 90, 0);
  ExpectNear(Place(1).look, {1, 0, 0});
  ExpectNear(Place(1).right, {0, 0, -1});
  SetObjectAngleX(1, 90);
  EXPECT_EQ(GetObjectYAngle(1), 90.0f) << "one angle changes, the others stay";
  ExpectNear(Place(1).look, {0, -1, 0});
  SetObjectAngleY(1, 0);
  ExpectNear(Place(1).look, {0, -1, 0});
}

TEST_F(TransformTest, MoveStepsAlongTheLookVectorBothWays) {
  RotateObject(1, 0, 90, 0);
  MoveObject(1, 5);
  ExpectNear(Place(1).position, {5, 0, 0});
  MoveObject(1, -2);
  ExpectNear(Place(1).position, {3, 0, 0});
  ExpectNear(Place(1).previousPosition, {5, 0, 0});
}

TEST_F(TransformTest, PointTurnsTheLookVectorTowardsThePoint) {
  PointObject(1, 10, 0, 0);
  EXPECT_NEAR(GetObjectYAngle(1), 90.0f, 1e-4f);
  ExpectNear(Place(1).look, {1, 0, 0});
  PointObject(1, 0, 10, 10);
  EXPECT_NEAR(GetObjectXAngle(1), 315.0f, 1e-3f) << "angles are kept in 0..360";
  ExpectNear(Place(1).look, {0, std::sqrt(0.5f), std::sqrt(0.5f)});
}

TEST_F(TransformTest, RollTurnsAboutTheObjectsOwnZAxis) {
  RotateObject(1, 0, 90, 0);
  RollObject(1, 90);
  EXPECT_EQ(Place(1).freeFlight, 1);
  ExpectNear(Place(1).look, {1, 0, 0});
  // Up (0, 1, 0) rolled to (-1, 0, 0) in the object's frame, then turned by Y(90) to (0, 0, 1).
  ExpectNear(Place(1).up, {0, 0, 1});
  RotateObject(1, 0, 0, 0);
  EXPECT_EQ(Place(1).freeFlight, 0) << "setting angles leaves free flight";
  ExpectNear(Place(1).up, {0, 1, 0});
}

TEST_F(TransformTest, GluedObjectReportsItsWorldPositionAtOnce) {
  CreateBoxObject(2, 1, 1, 1);
  PositionObject(1, 10, 0, 0);
  PositionObject(2, 1, 2, 3);
  Place(2).glued = 1;
  Place(2).glueTarget = 1;
  Place(2).glueFrame = 0;
  EXPECT_FLOAT_EQ(GetObjectX(2), 11.0f);
  EXPECT_FLOAT_EQ(GetObjectY(2), 2.0f);
  // The parent moves; no frame passes before the child is asked.
  Place(1).position = {20, 0, 0};
  EXPECT_FLOAT_EQ(GetObjectX(2), 21.0f);
  EXPECT_FLOAT_EQ(GetObjectZ(2), 3.0f);
}

TEST_F(TransformTest, FixedMatrixIsKeptWhenMoved) {
  PositionObject(1, 1, 1, 1);
  Place(1).matrixFixed = 1;
  PositionObject(1, 9, 9, 9);
  EXPECT_EQ(Place(1).worldMatrix.m[3][0], 1.0f);
  EXPECT_EQ(GetObjectX(1), 9.0f);
}

TEST_F(TransformTest, FailedCheckReturnsZeroAndChangesNothing) {
  EXPECT_FALSE(SetObjectPosition(2, 1, 1, 1));
  EXPECT_EQ(word_, 7008u);
  EXPECT_EQ(GetObjectPositionX(2), 0.0f);
  EXPECT_FALSE(ApplyObjectRoll(0, 10));
  EXPECT_EQ(word_, 7006u);
}

}  // namespace
}  // namespace objects_test
