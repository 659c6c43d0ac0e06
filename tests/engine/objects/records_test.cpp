#include <gtest/gtest.h>

#include <string>

#include "engine/objects/record_links.h"
#include "engine/objects/records.h"
#include "platform/d3dx/math_matrix.h"

TEST(Records, FreshMeshAndObjectDefaults) {
  MeshRecord mesh;
  EXPECT_EQ(mesh.bounds.collisionType, 0u);  // a mesh's bounds block starts all zero
  EXPECT_EQ(mesh.bounds.collisionOn, 0);
  EXPECT_EQ(mesh.primitiveType, 4u);
  EXPECT_EQ(mesh.lighting, 1);
  EXPECT_EQ(mesh.culling, 1);
  EXPECT_EQ(mesh.translucentMode, 2u);
  EXPECT_EQ(mesh.material.diffuse.a, 1.0f);
  EXPECT_EQ(mesh.material.power, 0.0f);
  EXPECT_EQ(mesh.declaration[0].stream, 0xFF);

  ObjectRecord object;
  EXPECT_EQ(object.bounds.collisionType, 2u);
  EXPECT_EQ(object.bounds.collisionOn, 1);
  EXPECT_EQ(object.bounds.slideResponse, 1u);
  EXPECT_EQ(object.placement.scale.y, 1.0f);
  EXPECT_EQ(object.placement.look.z, 1.0f);
  EXPECT_TRUE(platform::d3dx::MatrixIsIdentity(object.placement.worldMatrix));
  EXPECT_TRUE(platform::d3dx::MatrixIsIdentity(object.placement.freeFlightMatrix));
  EXPECT_EQ(object.placement.extraRotationMatrix.m[0][0], 0.0f);
  EXPECT_EQ(object.speed, 1.0f);
  EXPECT_EQ(object.separateBuffers, 1);
  EXPECT_EQ(object.partitionArea, -1);

  FrameRecord frame;
  EXPECT_TRUE(platform::d3dx::MatrixIsIdentity(frame.localMatrix));
  EXPECT_TRUE(platform::d3dx::MatrixIsIdentity(frame.offsetMatrix));
  EXPECT_EQ(frame.scale.x, 1.0f);
  MaterialSubset subset;
  EXPECT_EQ(subset.material.diffuse.r, 0.0f);  // subsets start zero-filled
  AnimationRecord track;
  EXPECT_EQ(track.linear, 1u);
  EXPECT_EQ(track.keyMode, 1u);
}

TEST(Records, CreateObjectNamesTheRootFrame) {
  std::unique_ptr<ObjectRecord> slot;
  ASSERT_TRUE(CreateObjectRecord(&slot, "box"));
  ASSERT_TRUE(slot && slot->root && slot->root->mesh);
  EXPECT_STREQ(slot->root->name, "box");

  const std::string longest(255, 'a'), tooLong(256, 'b');
  ASSERT_TRUE(CreateObjectRecord(&slot, longest.c_str()));
  EXPECT_EQ(std::string(slot->root->name), longest);
  ASSERT_TRUE(CreateObjectRecord(&slot, tooLong.c_str()));
  EXPECT_STREQ(slot->root->name, "");
  ASSERT_TRUE(CreateObjectRecord(&slot, nullptr));
  EXPECT_STREQ(slot->root->name, "");

  EXPECT_TRUE(DeleteObjectRecordTree(&slot));
  EXPECT_FALSE(slot);
  EXPECT_TRUE(DeleteObjectRecordTree(&slot));  // an empty slot is fine too
  EXPECT_TRUE(DeleteMeshRecord(nullptr));

  char name[kRecordNameLength];
  CopyRecordName(name, tooLong.c_str());
  EXPECT_EQ(std::string(name), std::string(255, 'b'));
}

namespace {
int g_effectsDeleted = 0;
int g_texturesReleased = 0;
}  // namespace

TEST(Records, OwnedDeviceObjectsAndEffectsAreReleasedOnce) {
  RecordLinks saved = GetRecordLinks();
  GetRecordLinks().deleteEffect = [](EffectObject*) { ++g_effectsDeleted; };
  GetRecordLinks().releaseTexture = [](platform::gfx::Texture*) { ++g_texturesReleased; };
  auto* fakeEffect = reinterpret_cast<EffectObject*>(0x1000);
  auto* fakeTexture = reinterpret_cast<platform::gfx::Texture*>(0x2000);
  {
    MeshRecord own, shared;
    own.effect = fakeEffect;
    shared.effect = fakeEffect;
    shared.effectShared = 1;  // belongs to the shared effect table
    own.stages.resize(1);
    own.stages[0].deviceTexture = fakeTexture;
    own.stages.resize(8);  // growing moves the stage and its texture: nothing released yet
    EXPECT_EQ(g_texturesReleased, 0);
    EXPECT_EQ(own.stages[0].deviceTexture, fakeTexture);
  }
  EXPECT_EQ(g_effectsDeleted, 1);
  EXPECT_EQ(g_texturesReleased, 1);
  GetRecordLinks() = saved;
}

TEST(Records, LongChainsAreDestroyedWithoutDeepRecursion) {
  // A model file can chain frames and tracks far deeper than the stack would allow to recurse.
  constexpr int kDepth = 200000;
  auto object = std::make_unique<ObjectRecord>();
  object->root = std::make_unique<FrameRecord>();
  FrameRecord* last = object->root.get();
  for (int i = 0; i < kDepth; ++i) {
    auto next = std::make_unique<FrameRecord>();
    FrameRecord* raw = next.get();
    (i % 2 ? last->child : last->sibling) = std::move(next);
    last = raw;
  }
  last->mesh = std::make_unique<MeshRecord>();
  object->firstSet = std::make_unique<AnimationSet>();
  object->firstSet->firstTrack = std::make_unique<AnimationRecord>();
  AnimationRecord* track = object->firstSet->firstTrack.get();
  for (int i = 0; i < kDepth; ++i) {
    track->next = std::make_unique<AnimationRecord>();
    track = track->next.get();
  }
  AnimationSet* set = object->firstSet.get();
  for (int i = 0; i < kDepth; ++i) {
    set->next = std::make_unique<AnimationSet>();
    set = set->next.get();
  }
  object.reset();
  SUCCEED();
}
