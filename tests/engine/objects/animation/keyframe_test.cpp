// Keyframe animation: key interpolation at and between key times, the animated matrices built from
// the keys, and the animation clock.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/objects/animation.h"
#include "engine/objects/frame_tree.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/d3dx/math_quaternion.h"
#include "platform/d3dx/math_vector.h"
#include "tests/engine/objects/frame_fixtures.h"
#include "tests/platform/d3dx/maths/math_expect.h"

namespace {

using namespace platform::d3dx;
using qel_test::ExpectNear;

PositionKey Key(uint32_t frame, Vector3 value) { return PositionKey{frame, value, {0, 0, 0}}; }

Quaternion YawDegrees(float degrees) { return QuaternionRotationAxis({0, 1, 0}, degrees * kDegreesToRadians); }

TEST(KeyframeKeys, PositionAndScaleKeysInterpolateLinearlyAndHoldTheLastKey) {
  AnimationRecord track;
  track.positionKeys = {Key(10, {11, 2, -7}), Key(0, {1, 2, 3})};  // out of order, as a file may hold them
  track.scaleKeys = {Key(0, {1, 1, 1}), Key(4, {3, 1, 2})};
  PrepareAnimationKeys(&track);
  struct Case {
    float time;
    Vector3 position;
    Vector3 scale;
  };
  const Case cases[] = {
      {0.0f, {1, 2, 3}, {1, 1, 1}},      {3.5f, {4.5f, 2, -0.5f}, {2.75f, 1, 1.875f}},
      {10.0f, {11, 2, -7}, {3, 1, 2}},   {12.0f, {11, 2, -7}, {3, 1, 2}},
      {-2.0f, {-1, 2, 5}, {0, 1, 0.5f}},  // before the first key its slope runs backwards
      {2.0f, {3, 2, 1}, {2, 1, 1.5f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.time);
    Vector3 v;
    InterpolatePositionKeys(&v, &track, c.time);
    ExpectNear(v, c.position);
    InterpolateScaleKeys(&v, &track, c.time);
    ExpectNear(v, c.scale);
  }
}

TEST(KeyframeKeys, RotationKeysSlerpAlongTheShorterArc) {
  AnimationRecord track;
  track.rotationKeys = {{0, YawDegrees(0)}, {10, YawDegrees(90)}, {20, YawDegrees(90)}};
  Quaternion q;
  InterpolateRotationKeys(&q, &track, 5.0f);
  ExpectNear(q, {0, std::sin(22.5f * kDegreesToRadians), 0, std::cos(22.5f * kDegreesToRadians)});
  InterpolateRotationKeys(&q, &track, 10.0f);
  ExpectNear(q, YawDegrees(90));
  InterpolateRotationKeys(&q, &track, 25.0f);
  ExpectNear(q, YawDegrees(90));
  // The same end rotation written with the other sign still turns the short way.
  const Quaternion end = YawDegrees(90);
  track.rotationKeys[1].rotation = {-end.x, -end.y, -end.z, -end.w};
  InterpolateRotationKeys(&q, &track, 5.0f);
  const Matrix turned = MatrixRotationQuaternion(q);
  ExpectNear(Vec3TransformNormal({0, 0, 1}, turned),
             Vec3TransformNormal({0, 0, 1}, MatrixRotationY(45.0f * kDegreesToRadians)));

  AnimationRecord single;
  single.rotationKeys = {{7, YawDegrees(30)}};
  for (float t : {0.0f, 7.0f, 100.0f}) {
    InterpolateRotationKeys(&q, &single, t);
    ExpectNear(q, YawDegrees(30));
  }
}

TEST(KeyframeKeys, SplinePassesThroughItsKeysAndHoldsAfterTheLast) {
  AnimationRecord track;
  track.linear = 0;
  track.positionKeys = {Key(0, {0, 0, 0}), Key(10, {10, 5, 0}), Key(20, {20, 0, 0}), Key(30, {30, 5, 0})};
  Vector3 v;
  for (const PositionKey& key : track.positionKeys) {
    InterpolatePositionSpline(&v, &track, float(key.frame));
    ExpectNear(v, key.value);
  }
  InterpolatePositionSpline(&v, &track, 15.0f);
  EXPECT_NEAR(v.x, 15.0f, 1e-4);  // evenly spaced in x: the curve is straight in x
  InterpolatePositionSpline(&v, &track, 99.0f);
  ExpectNear(v, {30, 5, 0});
  // Two keys on one frame divide by nothing.
  track.positionKeys = {Key(4, {1, 0, 0}), Key(4, {2, 0, 0})};
  InterpolatePositionSpline(&v, &track, 4.0f);
  EXPECT_TRUE(std::isfinite(v.x));
}

TEST(KeyframeKeys, MatrixKeysStepFromTheCursorAndAddTheirDelta) {
  AnimationRecord track;
  MatrixKey first{0, MatrixIdentity(), MatrixZero()};
  first.delta.m[3][0] = 1.0f;  // one unit along x per frame
  track.matrixKeys = {first, {10, MatrixTranslation(10, 0, 0), MatrixZero()}, {20, MatrixTranslation(0, 7, 0), MatrixZero()}};
  struct Case {
    float time;
    float x, y;
    uint32_t cursor;
  };
  const Case cases[] = {{2.5f, 2.5f, 0, 0}, {15.0f, 10, 0, 1}, {25.0f, 0, 7, 2}, {1.0f, 1, 0, 0}, {-3.0f, -3, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.time);
    Matrix m;
    InterpolateMatrixKeys(&m, &track, c.time);
    EXPECT_NEAR(m.m[3][0], c.x, 1e-5);
    EXPECT_NEAR(m.m[3][1], c.y, 1e-5);
    EXPECT_EQ(track.matrixKeyCursor, c.cursor);
  }
  // A cursor left beyond the keys (another list, a file) starts from the last key.
  track.matrixKeyCursor = 900;
  Matrix m;
  InterpolateMatrixKeys(&m, &track, 12.0f);
  EXPECT_NEAR(m.m[3][0], 10.0f, 1e-5);
  EXPECT_EQ(track.matrixKeyCursor, 1u);
}

TEST(KeyframeKeys, ATrackWithoutKeysGivesIdentityValues) {
  AnimationRecord track;
  Vector3 v;
  Quaternion q;
  Matrix m;
  InterpolatePositionKeys(&v, &track, 3.0f);
  ExpectNear(v, {0, 0, 0});
  InterpolatePositionSpline(&v, &track, 3.0f);
  ExpectNear(v, {0, 0, 0});
  InterpolateScaleKeys(&v, &track, 3.0f);
  ExpectNear(v, {1, 1, 1});
  InterpolateRotationKeys(&q, &track, 3.0f);
  ExpectNear(q, {0, 0, 0, 1});
  InterpolateMatrixKeys(&m, &track, 3.0f);
  ExpectNear(m, MatrixIdentity());
}

// An object whose root drives a child frame "arm" through one track.
struct AnimatedObject {
  std::unique_ptr<ObjectRecord> object = qel_test::MakeObjectWithRoot();
  FrameRecord* arm = qel_test::AddChildFrame(object->root.get(), "arm", {0, 0, 9});
  AnimationRecord* track = nullptr;

  AnimatedObject() {
    object->firstSet = std::make_unique<AnimationSet>();
    object->firstSet->length = 10;
    object->firstSet->firstTrack = std::make_unique<AnimationRecord>();
    track = object->firstSet->firstTrack.get();
    CopyRecordName(track->name, "arm");
    arm->scale = {2, 2, 2};
    RefreshObjectFrames(object.get());
  }
  Vector3 ArmPoint(const Vector3& p) {
    UpdateFrameMatrices(object->root.get(), MatrixIdentity());
    return Vec3TransformCoord(p, arm->combinedMatrix);
  }
};

TEST(KeyframeMatrices, KeysBuildOffsetScaleRotationTranslationWithTheMatrixKeyFirst) {
  AnimatedObject a;
  a.track->rotationKeys = {{0, YawDegrees(0)}, {8, YawDegrees(120)}};
  a.track->positionKeys = {Key(0, {1, 0, 0}), Key(10, {1, 0, 0})};
  ASSERT_TRUE(PrepareAnimation(a.object.get()));
  ASSERT_EQ(a.track->drivenFrame, a.arm);
  EXPECT_EQ(a.object->endFrame, 10.0f);

  ASSERT_TRUE(AnimateObjectFrame(a.object.get(), 6.0f));
  // (1, 0, 0): scaled by the offset to (2, 0, 0), turned 90 degrees about y to (0, 0, -2), moved by (1, 0, 0).
  // The frame's own local translation (0, 0, 9) is replaced by the keys.
  ExpectNear(a.ArmPoint({1, 0, 0}), {1, 0, -2});

  a.track->matrixKeys = {{0, MatrixTranslation(0, 10, 0), MatrixZero()}};
  AnimateObjectFrame(a.object.get(), 6.0f);
  ExpectNear(a.ArmPoint({1, 0, 0}), {1, 20, -2});

  // A frame no track drives keeps offset x local.
  EXPECT_FALSE(AnimateObjectFrame(nullptr, 0.0f));
  a.track->drivenFrame = nullptr;
  AnimateObjectFrame(a.object.get(), 6.0f);
  ExpectNear(a.ArmPoint({1, 0, 0}), {2, 0, 9});
}

TEST(KeyframeMatrices, BlendingMixesTheTwoPosesAndKeepsRotationsWhole) {
  AnimatedObject a;
  a.arm->scale = {1, 1, 1};
  a.track->linear = 0;  // blending takes the linear keys whatever the track says
  a.track->positionKeys = {Key(0, {0, 0, 0}), Key(10, {10, 0, 0})};
  a.track->rotationKeys = {{0, YawDegrees(0)}, {10, YawDegrees(120)}};
  RefreshObjectFrames(a.object.get());
  PrepareAnimation(a.object.get());
  a.object->blending = 1;
  a.object->blendStartFrame = 0.0f;
  a.object->blendTargetFrame = 10.0f;
  a.object->blendFactor = 0.5f;
  AnimateObjectFrame(a.object.get(), 0.0f);
  // Halfway between no turn and a third of a turn is a sixth, at full length; moved halfway.
  ExpectNear(a.ArmPoint({0, 0, 1}), {5 + std::sin(kPi / 3), 0, std::cos(kPi / 3)}, 1e-4f);
}

TEST(KeyframeMatrices, AnEmptySetOrTrackPosesWithoutKeys) {
  AnimatedObject a;
  a.object->firstSet->length = 0;
  PrepareAnimation(a.object.get());
  for (float frame : {0.0f, 3.0f, -1.0f}) {
    ASSERT_TRUE(AnimateObjectFrame(a.object.get(), frame));
    ExpectNear(a.ArmPoint({0, 0, 0}), {0, 0, 0});  // driven: the offset alone
  }
}

TEST(AnimationClock, LoopingWrapsToTheStartAndPlayingOnceStopsAtTheEnd) {
  ObjectRecord object;
  object.playing = object.looping = 1;
  object.endFrame = 10.0f;
  std::vector<float> seen;
  for (int i = 0; i < 11; ++i) {
    StepObjectAnimation(&object);
    seen.push_back(object.frame);
  }
  EXPECT_EQ(seen, (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1}));

  ObjectRecord once;
  once.playing = 1;
  once.speed = 3.0f;
  once.endFrame = 10.0f;
  for (int i = 0; i < 6; ++i) StepObjectAnimation(&once);
  EXPECT_EQ(once.frame, 12.0f);
  EXPECT_EQ(once.playing, 0);

  ObjectRecord empty;  // a set of no length
  empty.playing = empty.looping = 1;
  StepObjectAnimation(&empty);
  EXPECT_EQ(empty.frame, 0.0f);
}

TEST(AnimationClock, BlendingEndsOnItsFourthStepAtTheTargetFrame) {
  ObjectRecord object;
  object.blending = 1;
  object.blendSpeed = 0.25f;
  object.blendTargetFrame = 42.0f;
  for (int i = 0; i < 3; ++i) StepObjectAnimation(&object);
  EXPECT_EQ(object.blending, 1);
  EXPECT_EQ(object.frame, 0.0f);
  StepObjectAnimation(&object);
  EXPECT_EQ(object.blending, 0);
  EXPECT_EQ(object.frame, 42.0f);
}

TEST(AnimationClock, PerFrameBoundsAreCopiedWithinTheSetsEntries) {
  auto object = qel_test::MakeObjectWithRoot();
  object->root->mesh = std::make_unique<MeshRecord>();
  BuildObjectMeshList(object.get());
  object->bounds.axisAlignedBoxTest = 0;
  object->firstSet = std::make_unique<AnimationSet>();
  AnimationSet& set = *object->firstSet;
  for (float i = 0; i < 3; ++i) {
    set.frameBoxMin.push_back({-i, -i, -i});
    set.frameBoxMax.push_back({i, i, i});
    set.frameCentre.push_back({i, 0, 0});
    set.frameRadius.push_back(i * 10);
  }
  object->frame = 0.5f;
  object->playing = 1;
  object->endFrame = 100.0f;
  StepObjectAnimation(object.get());  // frame 1.5
  EXPECT_EQ(object->bounds.radius, 10.0f);
  EXPECT_EQ(object->meshList[0]->bounds.radius, 10.0f);
  ExpectNear(object->meshList[0]->bounds.boxMin, {-1, -1, -1});
  object->frame = 50.0f;  // beyond the entries: the last one
  StepObjectAnimation(object.get());
  EXPECT_EQ(object->bounds.radius, 20.0f);
  ExpectNear(object->bounds.centre, {2, 0, 0});

  object->bounds.axisAlignedBoxTest = 1;  // sphere collision keeps its own bounds
  object->bounds.radius = 5.0f;
  object->frame = 0.0f;
  StepObjectAnimation(object.get());
  EXPECT_EQ(object->bounds.radius, 5.0f);
}

}  // namespace
