// Segment queries against box objects: hit or miss, distance, and the hit's frame, triangle and world
// point in the result list.
#include <cmath>
#include <string>

#include "engine/objects/mesh_builders.h"
#include "engine/objects/ray_query.h"
#include "engine/system/result_list.h"
#include "platform/d3dx/math_vector.h"
#include "tests/engine/objects/collision/collision_fixture.h"
#include "tests/platform/d3dx/maths/math_expect.h"

namespace {

using namespace platform::d3dx;
using collision_test::CollisionTest;

class RayQuery : public CollisionTest {
 protected:
  // Entry n's text, freed again.
  std::string EntryText(int32_t n) {
    char* text = GetResultListString(n);
    std::string copy = text ? text : "";
    if (text) core_->allocFree(&text, 0);
    return copy;
  }
  Vector3 EntryFloats(int32_t n) {
    const ResultListEntry& e = core_->resultList.entries[n - 1];
    return {e.floatA, e.floatB, e.floatC};
  }
};

// Where p lies in the triangle, as weights of its corners (they sum to 1).
Vector3 Barycentric(const Vector3& p, const Vector3& a, const Vector3& b, const Vector3& c) {
  const Vector3 n = Vec3Cross(Vec3Subtract(b, a), Vec3Subtract(c, a));
  const float area = Vec3Dot(n, n);
  const float wa = Vec3Dot(n, Vec3Cross(Vec3Subtract(b, p), Vec3Subtract(c, p))) / area;
  const float wb = Vec3Dot(n, Vec3Cross(Vec3Subtract(c, p), Vec3Subtract(a, p))) / area;
  return {wa, wb, 1.0f - wa - wb};
}

TEST_F(RayQuery, AHitPublishesItsFaceAndPointAndAMissKeepsThem) {
  Box(1, {2, 2, 2}, {5, 0, 0});
  EXPECT_NEAR(RayIntersectObject(1, 0, 0.5f, 0.3f, 10, 0.5f, 0.3f), 4.0f, 1e-5);

  ASSERT_EQ(GetResultListCount(), 9);
  EXPECT_EQ(GetResultListValueA(1), 0);   // the root frame
  EXPECT_EQ(GetResultListValueB(1), -1);  // no bones
  EXPECT_EQ(EntryText(1), "0,-1");
  const int32_t corners[3] = {GetResultListValueA(2), GetResultListValueB(2), GetResultListValueC(2)};
  EXPECT_EQ(EntryText(2), std::to_string(corners[0]) + "," + std::to_string(corners[1]) + "," +
                              std::to_string(corners[2]));
  Vector3 p[3];
  for (int c = 0; c < 3; ++c) {
    EXPECT_GE(corners[c], 20);  // the -x face: the builder's last four vertices
    EXPECT_LE(corners[c], 23);
    p[c] = EntryFloats(3 + c);  // in the mesh's own space
    EXPECT_EQ(p[c].x, -1.0f);
    p[c] = Vec3Add(p[c], {5, 0, 0});
  }
  const Vector3 hit = EntryFloats(6);
  qel_test::ExpectNear(hit, {4, 0.5f, 0.3f});
  EXPECT_EQ(EntryText(6), "4.000000,0.500000,0.300000");
  const Vector3 weights = Barycentric(hit, p[0], p[1], p[2]);
  for (float w : {weights.x, weights.y, weights.z}) {
    EXPECT_GE(w, -1e-5f);
    EXPECT_LE(w, 1.0f + 1e-5f);
  }
  for (int n = 7; n <= 9; ++n) {
    qel_test::ExpectNear(EntryFloats(n), {0, 0, 0});
    EXPECT_EQ(EntryText(n), "0.000000,0.000000,0.000000");
  }

  EXPECT_EQ(RayIntersectObject(1, 0, 5, 0, 10, 5, 0), 0.0f);  // passes above
  EXPECT_EQ(GetResultListCount(), 9);
  qel_test::ExpectNear(EntryFloats(6), {4, 0.5f, 0.3f});
  EXPECT_EQ(word_, 0u);
}

TEST_F(RayQuery, DistancesFollowTheObjectsPlacementAndTheSegmentsLength) {
  ObjectRecord* box = Box(1, {2, 2, 2}, {5, 0, 0});
  struct Case {
    const char* what;
    Vector3 scale, angles, from, to;
    float distance;
  };
  const float diagonal = 5.0f - std::sqrt(2.0f) + 0.1f;
  const Case cases[] = {
      {"from the far side", {100, 100, 100}, {0, 0, 0}, {10, 0, 0}, {0, 0, 0}, 4.0f},
      {"too short a segment", {100, 100, 100}, {0, 0, 0}, {0, 0, 0}, {3, 0, 0}, 0.0f},
      {"ending on the face", {100, 100, 100}, {0, 0, 0}, {0, 0, 0}, {4, 0, 0}, 4.0f},
      {"scaled twice", {200, 200, 200}, {0, 0, 0}, {0, 0, 0}, {10, 0, 0}, 3.0f},
      {"turned on its edge", {100, 100, 100}, {0, 45, 0}, {0, 0, 0.1f}, {10, 0, 0.1f}, diagonal},
      {"from inside, front faces only", {100, 100, 100}, {0, 0, 0}, {5, 0, 0}, {10, 0, 0}, 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScaleObject(1, c.scale.x, c.scale.y, c.scale.z);
    RotateObject(1, c.angles.x, c.angles.y, c.angles.z);
    EXPECT_NEAR(RayIntersectObject(1, c.from.x, c.from.y, c.from.z, c.to.x, c.to.y, c.to.z), c.distance, 1e-4);
  }
  // The query itself does not stop at the segment's end; the command does.
  ScaleObject(1, 100, 100, 100);
  RotateObject(1, 0, 0, 0);
  EXPECT_NEAR(IntersectObjectSegment(box, 0, 0, 0, 3, 0, 0), 4.0f, 1e-5);
  // Both sides once culling is off.
  SetObjectCulling(1, 0);
  EXPECT_NEAR(RayIntersectObject(1, 5, 0, 0, 10, 0, 0), 1.0f, 1e-5);
  EXPECT_EQ(RayIntersectObject(2, 0, 0, 0, 10, 0, 0), 0.0f);  // no such object
  EXPECT_EQ(word_, 7008u);
}

TEST_F(RayQuery, BoneFramesHiddenFramesAndDamagedMeshes) {
  ObjectRecord* box = Box(1, {2, 2, 2}, {5, 0, 0});
  MeshRecord* mesh = box->meshList[0];
  EXPECT_GT(RayIntersectObject(1, 0, 0.5f, 0.3f, 10, 0.5f, 0.3f), 0.0f);
  const uint32_t first = uint32_t(GetResultListValueA(2));

  // A bone naming the triangle's first vertex gives its frame's index.
  BoneRecord bone;
  bone.vertexIndices = {first};
  bone.weights = {1.0f};
  mesh->bones.push_back(std::move(bone));
  mesh->boneFrames = {box->frameList[0]};
  EXPECT_GT(RayIntersectObject(1, 0, 0.5f, 0.3f, 10, 0.5f, 0.3f), 0.0f);
  EXPECT_EQ(GetResultListValueB(1), 0);
  mesh->bones.clear();
  mesh->boneFrames.clear();

  box->workBlock = {0};  // the frame is hidden
  EXPECT_EQ(RayIntersectObject(1, 0, 0.5f, 0.3f, 10, 0.5f, 0.3f), 0.0f);
  box->workBlock.clear();

  // Draw counts and indices beyond the arrays are passed over, not read.
  SetObjectCulling(1, 0);
  mesh->drawPrimitiveCount = 1000;
  for (int i = 30; i < 36; ++i) mesh->indices[size_t(i)] = 9999;  // the -x face's two triangles
  EXPECT_NEAR(RayIntersectObject(1, 0, 0.5f, 0.3f, 10, 0.5f, 0.3f), 6.0f, 1e-5);  // through to the +x face
}

TEST_F(RayQuery, AStripMeshIsTestedAsTheListItBecomes) {
  ObjectRecord* ball = Box(1, {2, 2, 2}, {5, 0, 0});
  MeshRecord* mesh = ball->meshList[0];
  ASSERT_TRUE(MakeSphereMesh(true, mesh, 0, 0, 0, 1, 8, 16, 0x112));
  ASSERT_EQ(mesh->primitiveType, uint32_t(platform::gfx::PT_TRIANGLESTRIP));
  SetObjectCulling(1, 0);
  const float distance = RayIntersectObject(1, 0, 0.01f, 0.02f, 10, 0.01f, 0.02f);
  EXPECT_GT(distance, 4.0f);
  EXPECT_LT(distance, 4.1f);
  EXPECT_EQ(mesh->primitiveType, uint32_t(platform::gfx::PT_TRIANGLELIST));
}

}  // namespace
