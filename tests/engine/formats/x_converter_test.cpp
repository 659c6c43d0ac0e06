// The X converter's walk: frames, where meshes go, and animation sets, tracks and keys.
#include <gtest/gtest.h>

#include "tests/engine/formats/formats_fixtures.h"

namespace {

using namespace formats_test;

const char kTriangle[] = "{ 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }";

std::string Mesh(const std::string& name) { return "Mesh " + name + " " + kTriangle + "\n"; }

std::vector<std::string> ChildNames(const FrameRecord* frame) {
  std::vector<std::string> names;
  for (const FrameRecord* c = frame->child.get(); c; c = c->sibling.get()) names.push_back(c->name);
  return names;
}

TEST(XConverter, TopLevelFramesBecomeRootChildrenInReverseOrder) {
  const auto object = ConvertX(XText("Frame P { " + Mesh("m") + "} Frame Q { } Frame R { }\n"));
  ASSERT_TRUE(object);
  EXPECT_STREQ(object->root->name, "");
  EXPECT_EQ(ChildNames(object->root.get()), (std::vector<std::string>{"R", "Q", "P"}));
}

TEST(XConverter, FrameTransformAndUnnamedFrames) {
  const auto object = ConvertX(XText(
      "Frame { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 5,6,7,1;; } " + Mesh("m") + "}\n"));
  ASSERT_TRUE(object && object->root->child);
  const FrameRecord& frame = *object->root->child;
  EXPECT_STREQ(frame.name, "$NoName$");
  EXPECT_EQ(frame.localMatrix.m[3][0], 5.0f);
  EXPECT_EQ(frame.localMatrix.m[3][2], 7.0f);
  EXPECT_TRUE(frame.mesh);
}

TEST(XConverter, ASecondMeshGetsAFrameOfItsOwn) {
  const auto object = ConvertX(XText("Frame F { " + Mesh("first") + Mesh("second") + "}\n"));
  ASSERT_TRUE(object);
  const FrameRecord* f = object->root->child.get();
  ASSERT_TRUE(f && f->mesh);
  ASSERT_TRUE(f->child);
  EXPECT_STREQ(f->child->name, "second");
  EXPECT_TRUE(f->child->mesh);
  EXPECT_EQ(object->meshList.size(), 2u);
}

TEST(XConverter, TopLevelMeshGoesToTheRootAndReferencedMeshesAreReadWhereReferenced) {
  const auto object = ConvertX(XText(Mesh("shared") + "Frame F { {shared} }\n"));
  ASSERT_TRUE(object);
  EXPECT_TRUE(object->root->mesh);
  ASSERT_TRUE(object->root->child);
  EXPECT_TRUE(object->root->child->mesh);
  EXPECT_EQ(object->meshList.size(), 2u);
}

TEST(XConverter, FilesWithoutAMeshOrNotX) {
  EXPECT_FALSE(ConvertX(XText("template T { <11111111-2222-3333-4444-555555555555> DWORD a; }\n")));
  EXPECT_FALSE(ConvertX(XText("Frame F { }\n")));
  EXPECT_FALSE(ConvertX("xof 0303txt 0032\nFrame F { " + Mesh("m")));  // unclosed
  EXPECT_FALSE(ConvertX("not an X file"));
}

const std::string kBones = "Frame A { " + Mesh("m") + "} Frame B { }\n";

TEST(XConverter, LastAnimationSetIsKeptWithTracksInReverseOrder) {
  const auto object = ConvertX(XText(kBones + R"(
AnimationSet first { Animation { {A} AnimationKey { 2; 1; 0;3;1,2,3;;; } } }
AnimationSet second {
  Animation toA { {A} AnimationKey { 2; 1; 7;3;1,2,3;;; } }
  Animation toB { {B} AnimationKey { 1; 2; 0;3;1,1,1;;, 9;3;2,2,2;;; } }
  Animation lone { AnimationKey { 2; 1; 3;3;0,0,0;;; } }
  Animation { }
}
)"));
  ASSERT_TRUE(object && object->firstSet);
  const AnimationSet& set = *object->firstSet;
  EXPECT_STREQ(set.name, "second");
  EXPECT_FALSE(set.next);  // only the first set of the chain travels in the image
  std::vector<std::string> tracks;
  for (const AnimationRecord* t = set.firstTrack.get(); t; t = t->next.get()) tracks.push_back(t->name);
  EXPECT_EQ(tracks, (std::vector<std::string>{"$NoName$", "lone", "B", "A"}));
  const AnimationRecord* toB = set.firstTrack->next->next.get();
  ASSERT_EQ(toB->scaleKeys.size(), 2u);
  EXPECT_EQ(toB->scaleKeys[1].frame, 9u);
  EXPECT_EQ(toB->scaleKeys[1].value.y, 2.0f);
  EXPECT_EQ(set.length, 9u);
}

TEST(XConverter, KeysOfEveryKind) {
  const auto object = ConvertX(XText(kBones + R"(
AnimationSet S { Animation { {A}
  AnimationKey { 0; 1; 4800;4;1,0.5,0,0;;; }
  AnimationKey { 2; 1; 10;3;4,5,6;;; }
  AnimationKey { 4; 2; 0;16;1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;;, 10;16;1,0,0,0,0,1,0,0,0,0,1,0,20,0,0,1;;; }
  AnimationKey { 3; 1; 0;3;1,1,1;;; }
} }
)"));
  ASSERT_TRUE(object && object->firstSet && object->firstSet->firstTrack);
  const AnimationRecord& track = *object->firstSet->firstTrack;
  EXPECT_STREQ(track.name, "A");
  // The file's (w, x, y, z) = (1, 0.5, 0, 0) turns the other way: x = -0.5, w = 1.
  ASSERT_EQ(track.rotationKeys.size(), 1u);
  EXPECT_EQ(track.rotationKeys[0].frame, 4800u);
  EXPECT_EQ(track.rotationKeys[0].rotation.x, -0.5f);
  EXPECT_EQ(track.rotationKeys[0].rotation.y, 0.0f);
  EXPECT_EQ(track.rotationKeys[0].rotation.w, 1.0f);
  ASSERT_EQ(track.positionKeys.size(), 1u);
  EXPECT_EQ(track.positionKeys[0].value.z, 6.0f);
  // Matrix keys 10 time units apart, translation x from 0 to 20: a change of 2 per unit.
  ASSERT_EQ(track.matrixKeys.size(), 2u);
  EXPECT_EQ(track.matrixKeys[0].delta.m[3][0], 2.0f);
  EXPECT_EQ(track.matrixKeys[0].delta.m[0][0], 0.0f);
  EXPECT_EQ(track.matrixKeys[1].delta.m[3][0], 0.0f);
  EXPECT_TRUE(track.scaleKeys.empty());  // key type 3 is passed over
  EXPECT_EQ(object->firstSet->length, 4800u);
}

TEST(XConverter, KeysWithTooFewValuesFailTheLoad) {
  EXPECT_FALSE(ConvertX(XText(kBones + "AnimationSet S { Animation { {A} AnimationKey { 0; 1; 0;3;1,0,0;;; } } }\n")));
}

}  // namespace
