#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "engine/objects/object_matrix.h"
#include "engine/objects/record_links.h"
#include "tests/engine/objects/frame_fixtures.h"
#include "platform/d3dx/math_vector.h"
#include "tests/platform/d3dx/maths/math_expect.h"

using namespace platform::d3dx;
using qel_test::AddChildFrame;
using qel_test::ExpectNear;
using qel_test::MakeObjectWithRoot;

namespace {

// A stand-in object table for glue lookups.
std::map<uint32_t, ObjectRecord*>& Table() {
  static std::map<uint32_t, ObjectRecord*> table;
  return table;
}

class GlueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = GetRecordLinks();
    Table().clear();
    GetRecordLinks().findObject = [](uint32_t number) -> ObjectRecord* {
      auto it = Table().find(number);
      return it == Table().end() ? nullptr : it->second;
    };
  }
  void TearDown() override { GetRecordLinks() = saved_; }
  RecordLinks saved_;
};

Vector3 Origin(const Matrix& m) { return Vec3TransformCoord({0, 0, 0}, m); }

}  // namespace

TEST(ObjectMatrix, WorldIsScaleRotationTranslation) {
  ObjectRecord object;
  object.placement.position = {1, 2, 3};
  object.placement.scale = {2, 2, 2};
  object.placement.angles = {0, 90, 0};
  UpdateObjectWorldMatrix(&object, nullptr);
  ExpectNear(Vec3TransformCoord({1, 0, 0}, object.placement.worldMatrix), {1, 2, 1});
  ExpectNear(Origin(object.placement.scaleRotationMatrix), {0, 0, 0});

  object.placement.rotationOrder = 1;  // Z x Y x X: X applied last
  object.placement.angles = {90, 90, 0};
  UpdateObjectWorldMatrix(&object, nullptr);
  // (0, 0, 1) turned 90 about Y is (1, 0, 0), which X leaves alone; order 0 would give (0, -1, 0).
  ExpectNear(Vec3TransformNormal({0, 0, 1}, object.placement.rotationMatrix), {1, 0, 0});

  object.placement.matrixFixed = 1;
  const Matrix before = object.placement.worldMatrix;
  object.placement.position = {50, 50, 50};
  UpdateObjectWorldMatrix(&object, nullptr);
  ExpectNear(object.placement.worldMatrix, before);
}

TEST(ObjectMatrix, FreeFlightAndExtraRotation) {
  ObjectRecord object;
  object.placement.freeFlight = 1;
  object.placement.freeFlightMatrix = MatrixRotationZ(kPi / 2);
  object.placement.extraRotation = 1;
  object.placement.extraRotationMatrix = MatrixRotationX(kPi / 2);
  UpdateObjectWorldMatrix(&object, nullptr);
  // Extra first: (0, 1, 0) -> (0, 0, 1) about X, which Z leaves alone.
  ExpectNear(Vec3TransformNormal({0, 1, 0}, object.placement.worldMatrix), {0, 0, 1});
}

TEST_F(GlueTest, WorldMatricesOfAThreeLevelTreeWithGluedParents) {
  auto carrier = MakeObjectWithRoot();
  carrier->root->localMatrix = MatrixTranslation(10, 0, 0);
  FrameRecord* arm = AddChildFrame(carrier->root.get(), "arm", {0, 5, 0});
  AddChildFrame(arm, "hand", {0, 0, 1});
  ASSERT_TRUE(RefreshObjectFrames(carrier.get()));
  carrier->placement.position = {100, 0, 0};

  auto held = MakeObjectWithRoot();
  ASSERT_TRUE(RefreshObjectFrames(held.get()));
  held->placement.position = {1, 0, 0};
  held->placement.glued = 1;
  held->placement.glueTarget = 7;
  held->placement.glueFrame = 2;  // the hand

  auto ring = MakeObjectWithRoot();  // glued to the held object's root frame
  ASSERT_TRUE(RefreshObjectFrames(ring.get()));
  ring->placement.position = {0, 0, 2};
  ring->placement.glued = 1;
  ring->placement.glueTarget = 8;
  ring->placement.glueFrame = 0;

  Table() = {{7, carrier.get()}, {8, held.get()}};
  ASSERT_TRUE(UpdateObjectMatrix(ring.get()));
  ExpectNear(Origin(carrier->frameList[2]->worldMatrix), {110, 5, 1});
  ExpectNear(Origin(held->placement.worldMatrix), {111, 5, 1});
  ExpectNear(Origin(ring->placement.worldMatrix), {111, 5, 3});
  ExpectNear(Origin(held->placement.scaleRotationMatrix), {0, 0, 0});  // translation taken out
  EXPECT_EQ(carrier->frameList[2]->worldMatrixValid, 1);
}

TEST_F(GlueTest, BrokenGlueLeavesTheObjectUnglued) {
  auto a = MakeObjectWithRoot();
  auto b = MakeObjectWithRoot();
  ASSERT_TRUE(RefreshObjectFrames(a.get()));
  ASSERT_TRUE(RefreshObjectFrames(b.get()));
  a->placement.position = {1, 0, 0};
  b->placement.position = {0, 1, 0};
  for (auto* o : {a.get(), b.get()}) o->placement.glued = 1;
  a->placement.glueTarget = 2;  // a and b are glued to each other
  b->placement.glueTarget = 1;
  Table() = {{1, a.get()}, {2, b.get()}};
  ASSERT_TRUE(UpdateObjectMatrix(a.get()));  // ends instead of recursing forever
  EXPECT_TRUE(std::isfinite(a->placement.worldMatrix.m[3][0]));

  a->placement.glueTarget = 2;
  a->placement.glueFrame = 5;  // b has one frame
  b->placement.glueTarget = 0;
  ASSERT_TRUE(UpdateObjectMatrix(a.get()));
  ExpectNear(Origin(a->placement.worldMatrix), {1, 0, 0});
  a->placement.glueTarget = 99;  // no such object
  ASSERT_TRUE(UpdateObjectMatrix(a.get()));
  ExpectNear(Origin(a->placement.worldMatrix), {1, 0, 0});
}

TEST(ObjectMatrix, SkinnedMeshFramesUseTheObjectMatrix) {
  ObjectRecord object;
  object.placement.worldMatrix = MatrixTranslation(5, 0, 0);
  FrameRecord frame;
  frame.combinedMatrix = MatrixTranslation(0, 3, 0);
  MeshRecord skinned;
  skinned.bones.resize(1);
  UpdateFrameWorldMatrix(&object, &frame, &skinned);
  ExpectNear(Origin(frame.worldMatrix), {5, 0, 0});
  UpdateFrameWorldMatrix(&object, &frame, nullptr);
  ExpectNear(Origin(frame.worldMatrix), {5, 3, 0});
}

TEST(ObjectMatrix, AnglesFromMatrixRecoverTheRotation) {
  Vector3 angles;
  AnglesFromMatrix(MatrixRotationDegreesXYZ(30, 40, 50), &angles);
  ExpectNear(angles, {30, 40, 50}, 1e-3f);
  Matrix edge = MatrixIdentity();
  edge.m[0][2] = -1.0000001f;  // rounding past the arcsine's domain
  AnglesFromMatrix(edge, &angles);
  EXPECT_NEAR(angles.y, 90.0f, 1e-3f);
}

TEST(ObjectMatrix, WrapAngle) {
  const struct {
    float in, out;
  } cases[] = {{-30, 330}, {720, 0}, {1e9f, 0}, {359.5f, 359.5f}, {0, 0}, {-720.5f, 359.5f}};
  for (const auto& c : cases) EXPECT_FLOAT_EQ(WrapAngle(c.in), c.out) << c.in;
  EXPECT_EQ(WrapAngle(NAN), 0.0f);
}

TEST(ObjectMatrix, PointAnglesTurnTheLookVectorToTheTarget) {
  const Vector3 from{1, 2, 3};
  const Vector3 targets[] = {{2, 2, 4}, {1, 3, 4}, {-4, -1, 0}, {1, 2, -5}};
  for (const Vector3& to : targets) {
    float x, y, z;
    PointAnglesToTarget(from, to, &x, &y, &z);
    EXPECT_GE(x, 0.0f);
    EXPECT_LT(y, 360.0f);
    EXPECT_EQ(z, 0.0f);
    const Vector3 look = Vec3TransformNormal({0, 0, 1}, MatrixRotationDegreesXYZ(x, y, 0));
    ExpectNear(look, Vec3Normalize(Vec3Subtract(to, from)), 1e-4f);
  }
  float x, y, z;
  PointAnglesToTarget({0, 0, 0}, {1, 0, 1}, &x, &y, &z);
  EXPECT_NEAR(y, 45.0f, 1e-4f);
  EXPECT_NEAR(x, 0.0f, 1e-4f);
}

TEST(ObjectMatrix, LookVectorsAndFreeFlight) {
  ObjectRecord object;
  object.placement.angles = {0, 90, 0};
  UpdateObjectLookVectors(&object);
  ExpectNear(object.placement.look, {1, 0, 0});
  ExpectNear(object.placement.right, {0, 0, -1});
  ExpectNear(object.placement.up, {0, 1, 0});

  object.placement.angles = {10, 20, 30};
  SetObjectFreeFlight(&object, 1);
  EXPECT_EQ(object.placement.freeFlight, 1);
  ExpectNear(object.placement.freeFlightMatrix, MatrixRotationDegreesXYZ(10, 20, 30));
  ExpectNear(object.placement.angles, {10, 20, 30}, 1e-3f);
  object.placement.freeFlightMatrix = MatrixRotationY(0.5f);
  SetObjectFreeFlight(&object, 1);  // already in free flight: the angles follow the matrix
  ExpectNear(object.placement.angles, {0, 0.5f * kRadiansToDegrees, 0}, 1e-3f);
  UpdateObjectLookVectors(&object);
  ExpectNear(object.placement.look, {std::sin(0.5f), 0, std::cos(0.5f)});
  SetObjectFreeFlight(&object, 0);
  EXPECT_EQ(object.placement.freeFlight, 0);
}

TEST(ObjectMatrix, SortFlagFollowsTransparencyAndScreenLocks) {
  ObjectRecord object;
  SetObjectSortedTransparency(&object, 3);
  EXPECT_EQ(object.sortFlag, 1);
  SetObjectSortedTransparency(&object, 4);
  EXPECT_EQ(object.sortedTransparent, 0);
  EXPECT_EQ(object.sortFlag, 0);
  object.screenLocked2 = 1;
  UpdateObjectSortFlag(&object);
  EXPECT_EQ(object.sortFlag, 1);
  Vector3 out;
  TransformPoint(&out, {1, 0, 0}, MatrixMultiply(MatrixRotationZ(kPi / 2), MatrixTranslation(0, 0, 4)));
  ExpectNear(out, {0, 1, 4});
}
