#include <gtest/gtest.h>

#include <cmath>

#include "engine/objects/mesh_builders.h"
#include "engine/objects/mesh_storage.h"
#include "engine/objects/object_bounds.h"
#include "engine/objects/record_links.h"
#include "platform/d3dx/math_matrix.h"
#include "tests/engine/objects/frame_fixtures.h"
#include "tests/platform/d3dx/maths/math_expect.h"

using namespace platform::d3dx;
using qel_test::AddChildFrame;
using qel_test::ExpectNear;

namespace {

// Root without a mesh; "near" carries a unit cube one step along x, "far" (its child) another cube
// turned 90 degrees about Z, 10 further on and 3 up.
std::unique_ptr<ObjectRecord> MakeTwoCubeObject() {
  auto object = qel_test::MakeObjectWithRoot();
  FrameRecord* nearFrame = AddChildFrame(object->root.get(), "near", {1, 0, 0});
  nearFrame->mesh = std::make_unique<MeshRecord>();
  MakeBoxMesh(true, nearFrame->mesh.get(), -1, -1, -1, 1, 1, 1, 0x112, 0);
  FrameRecord* farFrame = AddChildFrame(nearFrame, "far", {10, 3, 0});
  farFrame->localMatrix = MatrixMultiply(MatrixRotationZ(kPi / 2), farFrame->localMatrix);
  farFrame->mesh = std::make_unique<MeshRecord>();
  MakeBoxMesh(true, farFrame->mesh.get(), 0, 0, 0, 2, 1, 1, 0x112, 0);
  RefreshObjectFrames(object.get());
  return object;
}

}  // namespace

TEST(Bounds, MeshWithoutPositionsKeepsTheEmptyBox) {
  MeshRecord colours;
  ASSERT_TRUE(SetupMeshStorage(&colours, 0x040, 3, 0));  // diffuse only
  ASSERT_TRUE(CalculateMeshBounds(&colours));
  EXPECT_EQ(colours.bounds.boxMin.x, 1e6f);
  EXPECT_EQ(colours.bounds.radius, 0.0f);
  EXPECT_FALSE(CalculateMeshBounds(nullptr));
}

TEST(Bounds, TransformedTree) {
  auto object = MakeTwoCubeObject();
  ASSERT_TRUE(CalculateObjectBounds(object.get()));
  // The far box spans x 0..2, y 0..1 before turning: turned it spans x -1..0, y 0..2, then moves
  // by (11, 3, 0).
  ExpectNear(object->bounds.boxMin, {0, -1, -1});
  ExpectNear(object->bounds.boxMax, {11, 5, 1});
  ExpectNear(object->bounds.centre, {5.5f, 2, 0});
  // The furthest corners from the centre are (0, -1, +-1) and (11, 5, +-1): sqrt(5.5^2 + 3^2 + 1).
  EXPECT_NEAR(object->bounds.radius, std::sqrt(5.5f * 5.5f + 9.0f + 1.0f), 1e-4f);
  // Each mesh keeps its own bounds in its own space.
  EXPECT_FLOAT_EQ(object->frameList[1]->mesh->bounds.radius, std::sqrt(3.0f));
  ExpectNear(object->frameList[2]->mesh->bounds.centre, {1, 0.5f, 0.5f});
  EXPECT_FALSE(CalculateObjectBounds(nullptr));
}

namespace {
// A stand-in keyframe animation: the "near" frame slides 0.01 along x per animation frame.
bool SlideNearFrame(ObjectRecord* object, float frame) {
  CombineFrameMatrices(object->root.get());
  FrameRecord* nearFrame = object->frameList[1];
  nearFrame->animatedMatrix = MatrixMultiply(nearFrame->animatedMatrix, MatrixTranslation(frame * 0.01f, 0, 0));
  return true;
}
}  // namespace

TEST(Bounds, AnimationIsSampledIntoPerFrameBounds) {
  RecordLinks saved = GetRecordLinks();
  GetRecordLinks().animateObjectFrame = SlideNearFrame;
  auto object = MakeTwoCubeObject();
  object->firstSet = std::make_unique<AnimationSet>();
  object->firstSet->length = 2000;  // sampled every second frame
  object->frame = 17.0f;
  ASSERT_TRUE(CalculateObjectBounds(object.get()));

  const AnimationSet& set = *object->firstSet;
  ASSERT_EQ(set.frameBoxMin.size(), 2000u);
  ExpectNear(set.frameBoxMin[0], {0, -1, -1});
  ExpectNear(set.frameBoxMax[1000], {21, 5, 1});  // moved on by 10
  ExpectNear(set.frameCentre[1000], {15.5f, 2, 0});
  EXPECT_NEAR(set.frameRadius[1000], std::sqrt(5.5f * 5.5f + 9.0f + 1.0f), 1e-4f);
  EXPECT_EQ(set.frameBoxMin[1].x, 1e6f);  // between samples: untouched
  // The object's bounds cover every sampled pose; the clock is put back.
  EXPECT_GT(object->bounds.boxMax.x, 30.9f);
  EXPECT_GT(object->bounds.radius, 20.0f);
  EXPECT_EQ(object->frame, 17.0f);
  EXPECT_EQ(object->playing, 0);

  object->currentPoseBounds = 1;  // only the current pose counts
  ASSERT_TRUE(CalculateObjectBounds(object.get()));
  EXPECT_NEAR(object->bounds.boxMax.x, 11.17f, 1e-4f);

  object->firstSet->length = kMaxAnimationLength + 1;  // a corrupt length is refused, not allocated
  EXPECT_FALSE(CalculateObjectBounds(object.get()));
  GetRecordLinks() = saved;
}
