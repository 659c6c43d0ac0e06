#include <gtest/gtest.h>

#include <cmath>

#include "engine/objects/mesh_builders.h"
#include "engine/objects/mesh_conversion.h"
#include "engine/objects/object_bounds.h"
#include "engine/objects/object_errors.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/d3dx/math_vector.h"
#include "tests/engine/objects/error_double.h"
#include "tests/engine/objects/frame_fixtures.h"
#include "tests/engine/objects/mesh_fixtures.h"
#include "tests/platform/d3dx/maths/math_expect.h"

using namespace platform::d3dx;
using namespace platform::gfx;
using qel_test::ExpectNear;
using qel_test::NormalOf;
using qel_test::PositionOf;

namespace {
// The face normals of the box builder, four vertices each: -z, +z, +y, -y, +x, -x.
const Vector3 kFaceNormals[6] = {{0, 0, -1}, {0, 0, 1}, {0, 1, 0}, {0, -1, 0}, {1, 0, 0}, {-1, 0, 0}};
}  // namespace

TEST(Builders, UnitCubeBox) {
  MeshRecord box;
  ASSERT_TRUE(MakeBoxMesh(true, &box, -1, -1, -1, 1, 1, 1, 0x112, 0xFFFFFFFF));
  EXPECT_EQ(box.vertexCount, 24);
  EXPECT_EQ(box.indexCount, 36);
  EXPECT_EQ(box.drawPrimitiveCount, 12);
  EXPECT_EQ(box.drawVertexCount, 24);
  EXPECT_EQ(box.primitiveType, uint32_t(PT_TRIANGLELIST));
  EXPECT_EQ(std::vector<uint16_t>(box.indices.begin(), box.indices.begin() + 12),
            (std::vector<uint16_t>{0, 1, 2, 2, 3, 0, 4, 5, 6, 6, 7, 4}));
  ExpectNear(PositionOf(box, 1), {1, 1, -1});  // face -z: (x1, y1, z0) with uv (1, 0)
  FVFLayout layout;
  GetMeshFVFLayout(&box, &layout);
  EXPECT_EQ(ReadVertexFloat(&box.vertices[32], layout.u[0]), 1.0f);
  ExpectNear(PositionOf(box, 23), {-1, 1, 1});  // face -x's last corner (x0, y1, z1)
  for (int v = 0; v < 24; ++v) ExpectNear(NormalOf(box, v), kFaceNormals[v / 4]);
  ASSERT_TRUE(CalculateMeshBounds(&box));
  EXPECT_FLOAT_EQ(box.bounds.radius, std::sqrt(3.0f));
  ExpectNear(box.bounds.centre, {0, 0, 0});
  EXPECT_TRUE(ValidateMeshRecord(box));
}

TEST(Builders, NormalsOfACube) {
  MeshRecord box;
  ASSERT_TRUE(MakeBoxMesh(true, &box, 0, 0, 0, 2, 3, 4, 0x112, 0));
  FVFLayout layout;
  GetMeshFVFLayout(&box, &layout);
  for (int v = 0; v < 24; ++v) WriteVertexNormal(&box.vertices[size_t(v) * 32], layout, {0, 0, 0});
  ASSERT_TRUE(ComputeMeshNormals(&box));
  for (int v = 0; v < 24; ++v) ExpectNear(NormalOf(box, v), kFaceNormals[v / 4]);
}

TEST(Builders, BoxIntoExistingStorageMustFit) {
  MeshRecord mesh;
  ASSERT_TRUE(SetupMeshStorage(&mesh, 0x112, 24, 36));
  EXPECT_TRUE(MakeBoxMesh(false, &mesh, 0, 0, 0, 1, 1, 1, 0x112, 0));
  EXPECT_FALSE(MakeBoxMesh(false, &mesh, 0, 0, 0, 1, 1, 1, 0x152, 0));  // a larger vertex than the storage
  ASSERT_TRUE(SetupMeshStorage(&mesh, 0x112, 10, 36));
  EXPECT_FALSE(MakeBoxMesh(false, &mesh, 0, 0, 0, 1, 1, 1, 0x112, 0));
}

TEST(Builders, SphereCounts) {
  MeshRecord sphere;
  ASSERT_TRUE(MakeSphereMesh(true, &sphere, 1, 2, 3, 2.0f, 5, 8, 0x112));
  EXPECT_EQ(sphere.vertexCount, 6 * 9);
  EXPECT_EQ(sphere.indexCount, 9 * 5 * 2);
  EXPECT_EQ(sphere.primitiveType, uint32_t(PT_TRIANGLESTRIP));
  EXPECT_EQ(sphere.drawVertexCount, 54);
  EXPECT_EQ(sphere.drawPrimitiveCount, 88);
  EXPECT_EQ(sphere.indices[0], 0);
  EXPECT_EQ(sphere.indices[1], 9);  // a vertex paired with the one a ring further
  ExpectNear(PositionOf(sphere, 0), {1, 4, 3});   // the top pole
  ExpectNear(PositionOf(sphere, 53), {1, 0, 3}, 1e-5f);  // the bottom pole
  for (int v = 0; v < sphere.vertexCount; ++v) {
    EXPECT_NEAR(Vec3Length(Vec3Subtract(PositionOf(sphere, v), {1, 2, 3})), 2.0f, 1e-5f);
    EXPECT_NEAR(Vec3Length(NormalOf(sphere, v)), 1.0f, 1e-5f);
  }
  EXPECT_TRUE(ValidateMeshRecord(sphere));

  RaisedErrors().clear();
  EXPECT_FALSE(MakeSphereMesh(true, &sphere, 0, 0, 0, 1, 200, 200, 0x112));  // beyond 16-bit indices
  EXPECT_FALSE(MakeSphereMesh(true, &sphere, 0, 0, 0, 1, 0, 8, 0x112));
  EXPECT_EQ(RaisedErrors(), (std::vector<uint32_t>{kErrorMeshCannotBeMade, kErrorMeshCannotBeMade}));
  EXPECT_EQ(sphere.vertexCount, 54);  // untouched
}

TEST(Builders, TransformedCopyMovesPositionsAndTurnsNormals) {
  MeshRecord box, copy;
  ASSERT_TRUE(MakeBoxMesh(true, &box, -1, -1, -1, 1, 1, 1, 0x112, 0));
  const Matrix m = MatrixMultiply(MatrixMultiply(MatrixScaling(3, 3, 3), MatrixRotationY(kPi / 2)),
                                  MatrixTranslation(0, 10, 0));
  ASSERT_TRUE(CopyMeshTransformed(&copy, &box, &m));
  ExpectNear(PositionOf(copy, 1), {-3, 13, -3});  // (1, 1, -1) scaled, turned, moved
  ExpectNear(NormalOf(copy, 0), {-1, 0, 0});       // -z turned about Y, still unit length
  ExpectNear(copy.bounds.centre, {0, 10, 0});
  EXPECT_NEAR(copy.bounds.radius, 3.0f * std::sqrt(3.0f), 1e-4f);
  ASSERT_TRUE(CopyMeshTransformed(&copy, &box, nullptr));
  EXPECT_EQ(copy.vertices, box.vertices);
}

TEST(Builders, CombineObjectMeshes) {
  auto object = qel_test::MakeObjectWithRoot();
  object->root->mesh = std::make_unique<MeshRecord>();
  ASSERT_TRUE(MakeBoxMesh(true, object->root->mesh.get(), 0, 0, 0, 1, 1, 1, 0x112, 0));
  FrameRecord* moved = qel_test::AddChildFrame(object->root.get(), "moved", {5, 0, 0});
  moved->mesh = std::make_unique<MeshRecord>();
  ASSERT_TRUE(MakeBoxMesh(true, moved->mesh.get(), 0, 0, 0, 1, 1, 1, 0x152, 0xFF00FF00));
  ASSERT_TRUE(RefreshObjectFrames(object.get()));
  object->placement.scale = {2, 2, 2};
  object->placement.position = {100, 100, 100};  // not applied: the combined mesh is in object space

  std::unique_ptr<MeshRecord> combined;
  ASSERT_TRUE(CombineObjectMeshes(&combined, object.get()));
  EXPECT_EQ(combined->fvf, 0x112u);  // the first mesh's layout
  EXPECT_EQ(combined->vertexCount, 48);
  EXPECT_EQ(combined->indexCount, 72);
  EXPECT_EQ(combined->drawPrimitiveCount, 24);
  EXPECT_EQ(combined->indices[36], 24);  // the second mesh's indices follow its vertices
  ExpectNear(PositionOf(*combined, 24 + 1), {12, 2, 0});  // (1, 1, 0) moved by 5, scaled by 2
  EXPECT_TRUE(ValidateMeshRecord(*combined));

  object->root->mesh->fvf = 0;
  object->root->mesh->vertexSize = 32;
  std::unique_ptr<MeshRecord> none;
  EXPECT_FALSE(CombineObjectMeshes(&none, object.get()));  // a declaration-only first mesh
  EXPECT_FALSE(none);
}
