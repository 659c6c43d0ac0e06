// Shadow volumes extruded from a mesh's silhouette, the silhouette edge list, and the wire meshes of
// a frame's bounds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <tuple>

#include "engine/objects/mesh_builders.h"
#include "engine/objects/object_bounds.h"
#include "engine/objects/shadow_volume.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/d3dx/math_vector.h"
#include "tests/engine/objects/error_double.h"
#include "tests/engine/objects/mesh_fixtures.h"
#include "tests/platform/d3dx/maths/math_expect.h"

namespace {

using namespace platform::d3dx;
using qel_test::ExpectNear;

Vector3 ShadowVertex(const MeshRecord& shadow, int i) {
  Vector3 p;
  std::memcpy(&p, &shadow.vertices[size_t(i) * 12], 12);
  return p;
}

// The builder's box from (-1, -1, -1) to (1, 1, 1): four vertices of its own per face.
std::unique_ptr<MeshRecord> UnitBox() {
  auto box = std::make_unique<MeshRecord>();
  MakeBoxMesh(true, box.get(), -1, -1, -1, 1, 1, 1, 0x112, 0xFFFFFFFF);
  return box;
}

// The same box with one vertex per corner, so faces share their edges.
std::unique_ptr<MeshRecord> WeldedUnitBox() {
  auto box = UnitBox();
  auto welded = std::make_unique<MeshRecord>();
  SetupMeshStorage(welded.get(), 0x002, 8, 36);
  for (int i = 0; i < 36; ++i) {
    const Vector3 p = qel_test::PositionOf(*box, box->indices[i]);
    const int corner = (p.x > 0 ? 1 : 0) + (p.y > 0 ? 2 : 0) + (p.z > 0 ? 4 : 0);
    std::memcpy(&welded->vertices[size_t(corner) * 12], &p, 12);
    welded->indices[i] = uint16_t(corner);
  }
  welded->drawPrimitiveCount = 12;
  return welded;
}

// Checks the volume of a unit box lit from beyond its +x face: that face's outline, extruded away
// from the light by `range`, with caps from the box centre.
void ExpectPlusXVolume(const MeshRecord& shadow, const Vector3& light, float range, int firstVertex = 0) {
  ASSERT_GE(shadow.drawVertexCount, firstVertex + 48);
  std::map<std::tuple<float, float, float>, int> corners;
  for (int e = 0; e < 4; ++e) {
    const int base = firstVertex + 12 * e;
    const Vector3 va = ShadowVertex(shadow, base), vb = ShadowVertex(shadow, base + 1);
    const Vector3 ea = ShadowVertex(shadow, base + 2), eb = ShadowVertex(shadow, base + 4);
    for (const Vector3& v : {va, vb}) {
      EXPECT_EQ(v.x, 1.0f);
      ++corners[{v.x, v.y, v.z}];
    }
    // The far points lie `range` on along the rays from the light through the silhouette.
    for (const auto& [near, far] : {std::pair{va, ea}, std::pair{vb, eb}}) {
      EXPECT_NEAR(Vec3Length(Vec3Subtract(far, near)), range, range * 1e-5f);
      ExpectNear(Vec3Normalize(Vec3Subtract(far, light)), Vec3Normalize(Vec3Subtract(near, light)), 1e-5f);
    }
    ExpectNear(ShadowVertex(shadow, base + 6), {0, 0, 0});  // near cap from the centre
    ExpectNear(ShadowVertex(shadow, base + 9), Vec3Scale(Vec3Normalize(Vec3Scale(light, -1)), range), 1e-2f);
  }
  EXPECT_EQ(corners.size(), 4u);  // one closed outline: every corner of the face twice
  for (const auto& [corner, count] : corners) EXPECT_EQ(count, 2);
}

TEST(SilhouetteEdges, PairsCancelInEitherOrderAndTheLastTakesTheGap) {
  std::vector<ShadowEdge> edges;
  ToggleSilhouetteEdge(&edges, 1, 2);
  ToggleSilhouetteEdge(&edges, 3, 4);
  ToggleSilhouetteEdge(&edges, 5, 6);
  ToggleSilhouetteEdge(&edges, 2, 1);  // shared by two lit faces
  ASSERT_EQ(edges.size(), 2u);
  EXPECT_EQ(edges[0].a, 5u);
  EXPECT_EQ(edges[1].a, 3u);
  ToggleSilhouetteEdge(&edges, 5, 6);
  ToggleSilhouetteEdge(&edges, 3, 4);
  EXPECT_TRUE(edges.empty());
}

TEST(ShadowVolume, ABoxLitFromOneSideExtrudesThatFacesOutline) {
  auto box = WeldedUnitBox();
  MeshRecord shadow;
  const Vector3 light{10, 0.5f, 0.25f};
  int32_t count = 0;
  ASSERT_TRUE(ExtrudeShadowVolume(light, box.get(), -1.0f, &shadow, &count, nullptr, nullptr));
  EXPECT_EQ(count, 48);  // four edges, twelve positions each
  EXPECT_EQ(shadow.drawPrimitiveCount, 16);
  EXPECT_EQ(shadow.vertexSize, 12u);
  EXPECT_EQ(shadow.verticesChanged, 1);
  ExpectPlusXVolume(shadow, light, 2000.0f);

  // Appended after what the shadow mesh already holds.
  ASSERT_TRUE(ExtrudeShadowVolume(light, box.get(), 30.0f, &shadow, &count, nullptr, nullptr));
  EXPECT_EQ(count, 96);
  ExpectPlusXVolume(shadow, light, 2000.0f);
  ExpectPlusXVolume(shadow, light, 30.0f, 48);

  // Faces that share no vertices share no edges: every face turned from the light gives its outline.
  auto split = UnitBox();
  count = 0;
  ASSERT_TRUE(ExtrudeShadowVolume(light, split.get(), -1.0f, &shadow, &count, nullptr, nullptr));
  EXPECT_EQ(count, 5 * 4 * 12);
}

TEST(ShadowVolume, TheLightIsTakenIntoTheMeshsSpace) {
  auto box = WeldedUnitBox();
  MeshRecord shadow;
  const Matrix world = MatrixTranslation(100, 0, 0);
  ASSERT_TRUE(BuildShadowVolumeMesh({110, 0.5f, 0.25f}, 50.0f, box.get(), &shadow, nullptr, &world));
  ExpectPlusXVolume(shadow, {10, 0.5f, 0.25f}, 50.0f);
}

TEST(ShadowVolume, DamagedIndicesAreSkipped) {
  auto box = UnitBox();
  box->indices[0] = 500;  // one triangle names a vertex the mesh does not have
  MeshRecord shadow;
  int32_t count = 0;
  ASSERT_TRUE(ExtrudeShadowVolume({10, 0.5f, 0.25f}, box.get(), 10.0f, &shadow, &count, nullptr, nullptr));
  EXPECT_EQ(count % 12, 0);
}

TEST(ShadowVolume, AFrameRebuildsOnlyWhenMarked) {
  FrameRecord frame;
  frame.mesh = WeldedUnitBox();
  frame.shadowMesh = std::make_unique<MeshRecord>();
  frame.shadowMesh->bounds.radius = 25.0f;
  EXPECT_TRUE(UpdateFrameShadow(&frame, nullptr, -1, 10, 0.5f, 0.25f));
  EXPECT_EQ(frame.shadowMesh->drawVertexCount, 0);
  frame.shadowMesh->bounds.shadowRebuild = -1.0f;
  EXPECT_TRUE(UpdateFrameShadow(&frame, nullptr, -1, 10, 0.5f, 0.25f));
  ExpectPlusXVolume(*frame.shadowMesh, {10, 0.5f, 0.25f}, 25.0f);
  EXPECT_FALSE(UpdateFrameShadow(&frame, nullptr, 0, 0, 0, 0));  // a device light, but no device

  FrameRecord bare;
  EXPECT_FALSE(UpdateFrameShadow(&bare, nullptr, -1, 0, 0, 0));
}

TEST(BoundMeshes, WireBoxAndSphereLieJustOutsideTheMeshBounds) {
  FrameRecord frame;
  frame.mesh = UnitBox();
  CalculateMeshBounds(frame.mesh.get());
  frame.boundBoxMesh = std::make_unique<MeshRecord>();
  frame.boundSphereMesh = std::make_unique<MeshRecord>();
  BuildBoundBoxMesh(&frame);
  BuildBoundSphereMesh(&frame);
  const MeshRecord& box = *frame.boundBoxMesh;
  EXPECT_EQ(box.vertexCount, 24);
  EXPECT_EQ(box.wireframe, 1);
  EXPECT_EQ(box.verticesChanged, 1);
  CalculateMeshBounds(frame.boundBoxMesh.get());
  ExpectNear(box.bounds.boxMax, {1.01f, 1.01f, 1.01f});
  const MeshRecord& sphere = *frame.boundSphereMesh;
  EXPECT_EQ(sphere.vertexCount, 6 * 9);
  EXPECT_EQ(sphere.wireframe, 1);
  CalculateMeshBounds(frame.boundSphereMesh.get());
  EXPECT_NEAR(sphere.bounds.radius, std::sqrt(3.0f) * 1.01f, 1e-4);

  FrameRecord empty;  // nothing to build from or into
  BuildBoundBoxMesh(&empty);
  BuildBoundSphereMesh(&empty);
}

}  // namespace
