// Vertex animation: bone skinning, baked per-vertex matrices and morphing between attached frames,
// and a real animated model posed at two frames.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "engine/formats/model_loader.h"
#include "engine/objects/animation.h"
#include "engine/objects/frame_tree.h"
#include "engine/objects/object_bounds.h"
#include "engine/objects/record_links.h"
#include "engine/objects/vertex_animation.h"
#include "platform/d3dx/math_matrix.h"
#include "tests/engine/objects/error_double.h"
#include "tests/engine/objects/frame_fixtures.h"
#include "tests/engine/objects/mesh_fixtures.h"
#include "tests/platform/d3dx/maths/math_expect.h"

namespace {

using namespace platform::d3dx;
using qel_test::ExpectNear;
using qel_test::NormalOf;
using qel_test::PositionOf;

BoneRecord Bone(const char* name, std::vector<uint32_t> vertices, std::vector<float> weights,
                Matrix offset = MatrixIdentity()) {
  BoneRecord bone;
  CopyRecordName(bone.name, name);
  bone.vertexIndices = std::move(vertices);
  bone.weights = std::move(weights);
  bone.offsetMatrix = offset;
  return bone;
}

void SetNormal(MeshRecord* mesh, int vertex, const Vector3& n) {
  FVFLayout layout;
  GetMeshFVFLayout(mesh, &layout);
  WriteVertexNormal(&mesh->vertices[size_t(vertex) * mesh->vertexSize], layout, n);
}

// Root "skin" carrying a four-vertex mesh, and two bone frames "a" (moved 10 along x) and "b" (turned
// 90 degrees about z, then moved 5 up).
struct TwoBoneObject {
  std::unique_ptr<ObjectRecord> object = qel_test::MakeObjectWithRoot("skin");
  FrameRecord* a = qel_test::AddChildFrame(object->root.get(), "a", {10, 0, 0});
  FrameRecord* b = qel_test::AddChildFrame(object->root.get(), "b");
  MeshRecord* mesh = nullptr;

  TwoBoneObject() {
    b->localMatrix = MatrixMultiply(MatrixRotationZ(kPi / 2), MatrixTranslation(0, 5, 0));
    object->root->mesh = qel_test::MakeMesh({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {7, 7, 7}}, {0, 1, 2});
    mesh = object->root->mesh.get();
    SetNormal(mesh, 1, {1, 0, 0});
    mesh->bones.push_back(Bone("a", {0, 2}, {1.0f, 0.5f}, MatrixTranslation(-1, 0, 0)));
    mesh->bones.push_back(Bone("b", {1, 2, 99}, {1.0f, 0.5f, 1.0f}, MatrixTranslation(-1, 0, 0)));  // 99: beyond
    mesh->bones.push_back(Bone("nowhere", {3}, {1.0f}));             // names no frame
    RefreshObjectFrames(object.get());
    LinkBonesToFrames(object->meshList, object->root.get());
    BackupMeshVertices(mesh);
  }
};

TEST(BoneSkinning, VerticesFollowTheirBonesAsTheWeightsSay) {
  TwoBoneObject t;
  t.object->animationChanged = 1;
  ASSERT_TRUE(UpdateObjectAnimation(t.object.get(), t.object->root.get()));
  ExpectNear(PositionOf(*t.mesh, 0), {10, 0, 0});       // offset (-1, 0, 0), then bone a
  ExpectNear(PositionOf(*t.mesh, 1), {-1, 4, 0});     // offset to (-1, 1, 0), turned, moved up
  ExpectNear(NormalOf(*t.mesh, 1), {0, 1, 0});        // turned, not moved
  ExpectNear(PositionOf(*t.mesh, 2), {4.5f, 2, 1});   // half (9, 0, 1) and half (0, 4, 1)
  ExpectNear(PositionOf(*t.mesh, 3), {7, 7, 7});        // its bone has no frame
  EXPECT_EQ(t.mesh->verticesChanged, 1);
  // The backup stays as loaded, so a second pose does not drift.
  ExpectNear(qel_test::PositionOf(*t.mesh, 0), {10, 0, 0});
  EXPECT_EQ(t.mesh->backupVertices.size(), t.mesh->vertices.size());
}

TEST(BoneSkinning, SkinsOnlyWhenTheFrameOrTheBlendChanged) {
  TwoBoneObject t;
  t.object->playing = 1;
  UpdateObjectFrames(t.object.get());  // frame and previous frame are both 0, nothing asked
  ExpectNear(PositionOf(*t.mesh, 0), {1, 0, 0});
  t.object->frame = 1.0f;
  UpdateObjectFrames(t.object.get());
  ExpectNear(PositionOf(*t.mesh, 0), {10, 0, 0});
  EXPECT_EQ(t.object->previousFrame, 1.0f);

  t.a->localMatrix = MatrixTranslation(20, 0, 0);  // moved, but the clock did not change
  CombineFrameMatrices(t.object->root.get());
  UpdateFrameMatrices(t.object->root.get(), MatrixIdentity());
  UpdateObjectFrames(t.object.get());
  ExpectNear(PositionOf(*t.mesh, 0), {10, 0, 0});
  t.object->blending = 1;
  t.object->blendFactor = 0.5f;
  UpdateObjectFrames(t.object.get());
  ExpectNear(PositionOf(*t.mesh, 0), {20, 0, 0});
}

// Skinning leaves vertices in object space, so the bounds of a skinned mesh are measured where the
// renderer draws it: its own frame's matrix (here 100 up) does not move it a second time.
TEST(BoneSkinning, BoundsOfASkinnedMeshIgnoreItsFramesMatrix) {
  auto object = qel_test::MakeObjectWithRoot();
  FrameRecord* skin = qel_test::AddChildFrame(object->root.get(), "skin", {0, 100, 0});
  qel_test::AddChildFrame(object->root.get(), "a", {10, 0, 0});
  qel_test::AddChildFrame(object->root.get(), "b", {0, 5, 0});
  skin->mesh = qel_test::MakeMesh({{1, 0, 0}, {0, 1, 0}, {0, 0, 2}}, {0, 1, 2});
  MeshRecord* mesh = skin->mesh.get();
  mesh->bones.push_back(Bone("a", {0, 2}, {1.0f, 1.0f}));
  mesh->bones.push_back(Bone("b", {1}, {1.0f}));
  RefreshObjectFrames(object.get());
  LinkBonesToFrames(object->meshList, object->root.get());
  BackupMeshVertices(mesh);
  const RecordLinks saved = GetRecordLinks();
  InstallAnimationRecordLinks();
  object->animationChanged = 1;
  ASSERT_TRUE(UpdateObjectAnimation(object.get(), skin));
  ExpectNear(PositionOf(*mesh, 1), {0, 6, 0});  // skinned: (11, 0, 0), (0, 6, 0) and (10, 0, 2)

  object->currentPoseBounds = 1;
  ASSERT_TRUE(CalculateObjectBounds(object.get()));
  ExpectNear(object->bounds.boxMin, {0, 0, 0});
  ExpectNear(object->bounds.boxMax, {11, 6, 2});
  ExpectNear(object->bounds.centre, {5.5f, 3, 1});
  EXPECT_NEAR(object->bounds.radius, std::sqrt(5.5f * 5.5f + 9.0f + 1.0f), 1e-4f);
  GetRecordLinks() = saved;
}

TEST(BakedSkinning, EachVertexTakesItsColumnOfTheFramesRow) {
  auto object = qel_test::MakeObjectWithRoot();
  object->root->mesh = qel_test::MakeMesh({{1, 1, 1}, {1, 1, 1}}, {});
  qel_test::AddChildFrame(object->root.get(), "second")->mesh = qel_test::MakeMesh({{1, 1, 1}, {1, 1, 1}}, {});
  BuildObjectMeshList(object.get());
  object->firstSet = std::make_unique<AnimationSet>();
  object->firstSet->firstTrack = std::make_unique<AnimationRecord>();
  AnimationRecord& track = *object->firstSet->firstTrack;
  track.keyMode = 0;
  track.tableColumns = 2;
  track.matrixTable = {{MatrixIdentity(), MatrixTranslation(1, 0, 0)},
                       {MatrixTranslation(0, 2, 0), MatrixTranslation(0, 0, 3)}};
  track.values = {0, 1, 1, 5};  // the last column lies beyond the rows
  struct Case {
    float frame;
    Vector3 v0, v1, v2, v3;
  };
  const Case cases[] = {
      {0.9f, {1, 1, 1}, {2, 1, 1}, {2, 1, 1}, {1, 1, 1}},
      {1.0f, {1, 3, 1}, {1, 1, 4}, {1, 1, 4}, {1, 1, 1}},
      {7.0f, {1, 3, 1}, {1, 1, 4}, {1, 1, 4}, {1, 1, 1}},  // beyond the table: its last row
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frame);
    object->frame = c.frame;
    SkinMeshVertices(object.get(), object->root.get());
    ExpectNear(PositionOf(*object->meshList[0], 0), c.v0);
    ExpectNear(PositionOf(*object->meshList[0], 1), c.v1);
    ExpectNear(PositionOf(*object->meshList[1], 0), c.v2);
    ExpectNear(PositionOf(*object->meshList[1], 1), c.v3);
  }
}

TEST(Morphing, PositionsMixBetweenTheAttachedFramesAroundTheClock) {
  auto object = qel_test::MakeObjectWithRoot();
  object->root->mesh = qel_test::MakeMesh({{0, 0, 0}, {0, 0, 0}}, {});
  MeshRecord* mesh = object->root->mesh.get();
  for (float x : {0.0f, 2.0f, 4.0f}) {
    auto frame = std::make_unique<FrameRecord>();
    frame->localMatrix = MatrixTranslation(0, x, 0);
    frame->mesh = qel_test::MakeMesh({{x, 0, 0}, {x, 1, 0}}, {});
    mesh->attachedFrames.push_back(std::move(frame));
  }
  BuildObjectMeshList(object.get());
  struct Case {
    float frame;
    float x;
    uint32_t cursor;
  };
  const Case cases[] = {{0.5f, 1, 0}, {1.25f, 2.5f, 1}, {2.5f, 0, 0}, {-3.0f, 0, 0}};
  object->playing = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frame);
    object->frame = c.frame;
    UpdateObjectAnimation(object.get(), object->root.get());
    ExpectNear(PositionOf(*mesh, 0), {c.x, 0, 0});
    ExpectNear(PositionOf(*mesh, 1), {c.x, 1, 0});
    EXPECT_EQ(mesh->attachedFrameCursor, c.cursor);
    EXPECT_EQ(object->root->localMatrix.m[3][1], float(2 * c.cursor));
  }
  // Stopped and nothing asked for: left alone.
  object->playing = 0;
  object->frame = 0.5f;
  UpdateObjectAnimation(object.get(), object->root.get());
  ExpectNear(PositionOf(*mesh, 0), {0, 0, 0});
  // An attached mesh with fewer vertices only mixes what all of them hold.
  mesh->attachedFrames[1]->mesh = qel_test::MakeMesh({{9, 9, 9}}, {});
  object->animationChanged = 1;
  UpdateObjectAnimation(object.get(), object->root.get());
  ExpectNear(PositionOf(*mesh, 0), {4.5f, 4.5f, 4.5f});
  ExpectNear(PositionOf(*mesh, 1), {0, 1, 0});
}

// The positions of every mesh are numbers (no bone or key sent them to infinity).
bool AllPositionsFinite(const ObjectRecord& object) {
  for (const MeshRecord* mesh : object.meshList)
    for (int v = 0; v < mesh->vertexCount; ++v) {
      const Vector3 p = PositionOf(*mesh, v);
      if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return false;
    }
  return true;
}

TEST(AnimatedModel, LoadedModelsPosedAtTwoFramesHaveDifferentBounds) {
  struct Case {
    const char* file;
    float length, middle;
  };
  // anim_test.x: 4 bones of which 2 name no frame; BCN_Epileptic.X: 3 skinned meshes, 54 bones, 57 tracks.
  const Case cases[] = {{"anim_test.x", 24, 12}, {"BCN_Epileptic.X", 15840, 7920}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::filesystem::path file = std::filesystem::path("/usr/share/assimp/models/X") / c.file;
    if (!std::filesystem::exists(file)) GTEST_SKIP() << "assimp-testmodels is not installed";
    RaisedErrors().clear();
    std::unique_ptr<ObjectRecord> object;
    ASSERT_TRUE(LoadModelFile(file.c_str(), &object));
    ObjectRecord* o = object.get();
    ASSERT_TRUE(RefreshObjectFrames(o));
    LinkBonesToFrames(o->meshList, o->root.get());
    ASSERT_TRUE(PrepareAnimation(o));
    EXPECT_EQ(o->endFrame, c.length);
    for (MeshRecord* mesh : o->meshList) BackupMeshVertices(mesh);
    InstallAnimationRecordLinks();

    auto boundsAt = [&](float frame) {
      o->frame = frame;
      o->animationChanged = 1;
      AnimateObjectFrame(o, frame);
      UpdateFrameMatrices(o->root.get(), MatrixIdentity());
      UpdateObjectFrames(o);
      EXPECT_TRUE(AllPositionsFinite(*o));
      o->currentPoseBounds = 1;
      EXPECT_TRUE(CalculateObjectBounds(o));
      return o->bounds;
    };
    const BoundsBlock first = boundsAt(0.0f);
    const BoundsBlock middle = boundsAt(c.middle);
    const BoundsBlock again = boundsAt(0.0f);
    const float moved = std::abs(first.boxMax.x - middle.boxMax.x) + std::abs(first.boxMax.y - middle.boxMax.y) +
                        std::abs(first.boxMax.z - middle.boxMax.z) + std::abs(first.boxMin.x - middle.boxMin.x) +
                        std::abs(first.boxMin.y - middle.boxMin.y) + std::abs(first.boxMin.z - middle.boxMin.z);
    EXPECT_GT(moved, 0.1f);
    // Skinning always starts from the backup: back at frame 0 the bounds are those of frame 0.
    ExpectNear(again.boxMin, first.boxMin, 1e-3f);
    ExpectNear(again.boxMax, first.boxMax, 1e-3f);
    EXPECT_TRUE(RaisedErrors().empty());
    GetRecordLinks().animateObjectFrame = nullptr;
    GetRecordLinks().updateObjectAnimation = nullptr;
  }
}

}  // namespace
