#include <gtest/gtest.h>

#include "engine/objects/frame_tree.h"
#include "tests/engine/objects/frame_fixtures.h"
#include "tests/engine/objects/mesh_fixtures.h"
#include "platform/d3dx/math_vector.h"
#include "tests/platform/d3dx/maths/math_expect.h"

using namespace platform::d3dx;
using qel_test::AddChildFrame;
using qel_test::ExpectNear;
using qel_test::MakeObjectWithRoot;

TEST(FrameTree, ListsFollowWalkOrderAndRebuildCleanly) {
  auto object = MakeObjectWithRoot();
  FrameRecord* a = AddChildFrame(object->root.get(), "A");
  FrameRecord* b = AddChildFrame(object->root.get(), "B");
  FrameRecord* a1 = AddChildFrame(a, "A1");
  a->mesh = std::make_unique<MeshRecord>();
  b->mesh = std::make_unique<MeshRecord>();
  for (int build = 0; build < 2; ++build) {  // a second build replaces the first
    ASSERT_TRUE(BuildObjectMeshList(object.get()));
    ASSERT_EQ(object->frameList, (std::vector<FrameRecord*>{object->root.get(), a, a1, b}));
    ASSERT_EQ(object->meshList, (std::vector<MeshRecord*>{a->mesh.get(), b->mesh.get()}));
  }
  EXPECT_EQ(b->index, 3u);
  EXPECT_EQ(a1->parent, a);
  EXPECT_EQ(b->parent, object->root.get());
  EXPECT_EQ(object->noMeshes, 0);
  int32_t frames = 10, meshes = 0;
  CountFrames(object->root.get(), &frames);
  CountMeshFrames(object->root.get(), &meshes);
  EXPECT_EQ(frames, 14);  // adds to what the counter held
  EXPECT_EQ(meshes, 2);

  a->mesh.reset();
  b->mesh.reset();
  ASSERT_TRUE(BuildObjectMeshList(object.get()));
  EXPECT_TRUE(object->meshList.empty());
  EXPECT_EQ(object->noMeshes, 1);
  EXPECT_FALSE(BuildObjectMeshList(nullptr));
}

TEST(FrameTree, FindFrameByExactName) {
  auto object = MakeObjectWithRoot();
  FrameRecord* arm = AddChildFrame(object->root.get(), "Arm");
  AddChildFrame(arm, "arm");
  EXPECT_EQ(FindFrameByName("Arm", object->root.get()), arm);
  EXPECT_EQ(FindFrameByName("arm", object->root.get()), arm->child.get());
  EXPECT_EQ(FindFrameByName("leg", object->root.get()), nullptr);
  EXPECT_EQ(FindFrameByName("Arm", nullptr), nullptr);
  EXPECT_EQ(FindFrameByName(nullptr, object->root.get()), nullptr);
}

TEST(FrameTree, CombinedMatricesOfAThreeLevelTree) {
  auto object = MakeObjectWithRoot();
  object->root->localMatrix = MatrixTranslation(10, 0, 0);
  FrameRecord* child = AddChildFrame(object->root.get(), "child", {0, 5, 0});
  child->localMatrix = MatrixMultiply(MatrixRotationY(kPi / 2), child->localMatrix);
  FrameRecord* grandchild = AddChildFrame(child, "grandchild", {0, 0, 1});
  grandchild->scale = {2, 2, 2};  // offset from the frame's own vectors
  grandchild->offsetTranslation = {1, 0, 0};
  FrameRecord* sibling = AddChildFrame(object->root.get(), "sibling", {0, 0, 3});
  ASSERT_TRUE(RefreshObjectFrames(object.get()));

  ExpectNear(Vec3TransformCoord({0, 0, 0}, child->combinedMatrix), {10, 5, 0});
  // Grandchild origin: offset (2 x 0 + 1, 0, 0), then (0, 0, 1) more, turned 90 degrees about Y
  // ((1, 0, 1) becomes (1, 0, -1)), then (10, 5, 0).
  ExpectNear(Vec3TransformCoord({0, 0, 0}, grandchild->combinedMatrix), {11, 5, -1});
  ExpectNear(Vec3TransformCoord({1, 0, 0}, grandchild->combinedMatrix), {11, 5, -3});  // scaled by 2, turned
  ExpectNear(Vec3TransformCoord({0, 0, 0}, sibling->combinedMatrix), {10, 0, 3});
  EXPECT_FALSE(RefreshObjectFrames(nullptr));
  ObjectRecord empty;
  EXPECT_FALSE(RefreshObjectFrames(&empty));
}

TEST(FrameTree, DeepTreesAreWalkedWithoutRecursion) {
  auto object = MakeObjectWithRoot();
  FrameRecord* last = object->root.get();
  for (int i = 0; i < 100000; ++i) last = AddChildFrame(last, "link", {0, 1, 0});
  last->mesh = std::make_unique<MeshRecord>();
  ASSERT_TRUE(RefreshObjectFrames(object.get()));
  EXPECT_EQ(object->frameList.size(), 100001u);
  EXPECT_FLOAT_EQ(last->combinedMatrix.m[3][1], 100000.0f);
}

TEST(FrameTree, BonesLinkToFramesOfTheirName) {
  auto object = MakeObjectWithRoot();
  FrameRecord* hip = AddChildFrame(object->root.get(), "hip");
  FrameRecord* knee = AddChildFrame(hip, "knee");
  object->root->mesh = std::make_unique<MeshRecord>();
  MeshRecord* mesh = object->root->mesh.get();
  mesh->bones.resize(4);
  CopyRecordName(mesh->bones[0].name, "knee");
  CopyRecordName(mesh->bones[1].name, "ghost");  // no such frame
  CopyRecordName(mesh->bones[2].name, "hip");
  CopyRecordName(mesh->bones[3].name, "hip");  // only the first bone of a name is linked
  ASSERT_TRUE(BuildObjectMeshList(object.get()));
  ASSERT_TRUE(AllocateBoneLinks(object->meshList));
  ASSERT_TRUE(LinkBonesToFrames(object->meshList, object->root.get()));
  EXPECT_EQ(mesh->boneFrames, (std::vector<FrameRecord*>{knee, nullptr, hip, nullptr}));
  EXPECT_EQ(mesh->boneMatrices[0], &knee->combinedMatrix);
  EXPECT_EQ(mesh->boneMatrices[1], nullptr);

  // Links are sized even when the caller skipped the allocation.
  MeshRecord other;
  other.bones.resize(2);
  ASSERT_TRUE(LinkBonesToFrames({&other}, object->root.get()));
  EXPECT_EQ(other.boneFrames.size(), 2u);
}

TEST(FrameTree, KeysAreSortedWithSlopes) {
  AnimationRecord track;
  track.positionKeys = {{10, {20, 0, 0}, {}}, {0, {0, 0, 0}, {}}, {5, {5, 10, 0}, {}}};
  track.scaleKeys = {{3, {1, 1, 1}, {}}, {3, {2, 2, 2}, {}}};  // equal frames keep their order
  track.rotationKeys = {{7, {0, 0, 0, 1}}, {2, {1, 0, 0, 0}}};
  PrepareAnimationKeys(&track);
  ASSERT_EQ(track.positionKeys[0].frame, 0u);
  ASSERT_EQ(track.positionKeys[1].frame, 5u);
  ASSERT_EQ(track.positionKeys[2].frame, 10u);
  ExpectNear(track.positionKeys[0].slope, {1, 2, 0});
  ExpectNear(track.positionKeys[1].slope, {3, -2, 0});  // (value at 10 - value at 5) / 5
  ExpectNear(track.positionKeys[2].slope, {0, 0, 0});   // the last key keeps its slope
  ExpectNear(track.scaleKeys[0].slope, {1, 1, 1});      // a span of 0 frames counts as 1
  EXPECT_EQ(track.rotationKeys[0].frame, 2u);
}

TEST(FrameTree, AnimationRangeFromSetsTablesAndAttachedFrames) {
  auto object = MakeObjectWithRoot();
  FrameRecord* arm = AddChildFrame(object->root.get(), "arm");
  arm->mesh = std::make_unique<MeshRecord>();
  arm->mesh->attachedFrames.resize(7);
  ASSERT_TRUE(BuildObjectMeshList(object.get()));
  EXPECT_FALSE(PrepareAnimation(object.get()));  // no animation set
  EXPECT_EQ(object->frameCount, 7.0f);           // but the attached frames set the range
  EXPECT_EQ(object->endFrame, 7.0f);

  object->firstSet = std::make_unique<AnimationSet>();
  object->firstSet->length = 40;
  object->firstSet->next = std::make_unique<AnimationSet>();
  object->firstSet->next->length = 90;
  object->firstSet->firstTrack = std::make_unique<AnimationRecord>();
  CopyRecordName(object->firstSet->firstTrack->name, "arm");
  object->firstSet->firstTrack->positionKeys = {{9, {}, {}}, {1, {}, {}}};
  ASSERT_TRUE(PrepareAnimation(object.get()));
  EXPECT_EQ(object->firstSet->firstTrack->drivenFrame, arm);
  EXPECT_EQ(object->firstSet->firstTrack->positionKeys[0].frame, 1u);
  EXPECT_EQ(object->endFrame, 90.0f);

  AnimationRecord& baked = *object->firstSet->firstTrack;
  baked.keyMode = 0;
  baked.matrixTable.resize(5);
  ASSERT_TRUE(PrepareAnimation(object.get()));
  EXPECT_EQ(object->frameCount, 4.0f);
  baked.matrixTable.clear();
  ASSERT_TRUE(PrepareAnimation(object.get()));
  EXPECT_EQ(object->frameCount, 0.0f);  // an empty table does not give a negative range
}
