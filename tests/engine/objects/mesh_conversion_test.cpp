#include <gtest/gtest.h>

#include <cstring>

#include "engine/objects/mesh_conversion.h"
#include "engine/objects/mesh_storage.h"
#include "engine/objects/vertex_layout.h"
#include "tests/engine/objects/mesh_fixtures.h"
#include "tests/platform/d3dx/maths/math_expect.h"

using namespace platform::gfx;
using qel_test::ExpectNear;
using qel_test::MakeMesh;
using qel_test::NormalOf;
using qel_test::PositionOf;

TEST(MeshConversion, NormalsOfASharedVertexQuad) {
  auto quad = MakeMesh({{0, 1, 0}, {1, 1, 0}, {1, 0, 0}, {0, 0, 0}}, {0, 1, 2, 2, 3, 0});
  ASSERT_TRUE(ComputeMeshNormals(quad.get()));
  for (int v = 0; v < 4; ++v) ExpectNear(NormalOf(*quad, v), {0, 0, -1});
  EXPECT_EQ(quad->indexCount, 6);
  ExpectNear(PositionOf(*quad, 1), {1, 1, 0});
  EXPECT_EQ(quad->layoutChanged, 1);
}

TEST(MeshConversion, UnindexedMeshesGetSequentialIndices) {
  auto triangle = MakeMesh({{0, 1, 0}, {1, 1, 0}, {1, 0, 0}}, {});
  auto utility = CreateMeshBuffers(triangle.get(), nullptr, 0);
  ASSERT_TRUE(utility);
  EXPECT_EQ(triangle->indices, (std::vector<uint16_t>{0, 1, 2}));
  EXPECT_EQ(utility->Index(2), 2u);

  // A strip as the strip and fan converter of the model formats leaves it: listed, then normals.
  auto strip = MakeMesh({{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1, 1, 0}}, {}, PT_TRIANGLESTRIP);
  UpdateMeshNormals(strip.get());
  EXPECT_EQ(strip->primitiveType, uint32_t(PT_TRIANGLELIST));
  EXPECT_EQ(strip->indexCount, 6);
  for (int v = 0; v < 4; ++v) ExpectNear(NormalOf(*strip, v), {0, 0, -1});
}

TEST(MeshConversion, RefusesMeshesThatDrawMoreThanTheyHold) {
  auto mesh = MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2});
  mesh->drawPrimitiveCount = 2;
  EXPECT_FALSE(CreateMeshBuffers(mesh.get(), nullptr, 0));
  auto unindexed = MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {});
  unindexed->drawPrimitiveCount = 5;
  EXPECT_FALSE(ComputeMeshNormals(unindexed.get()));
}

TEST(MeshConversion, ConvertLayoutAndBack) {
  auto mesh = MakeMesh({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {0, 2, 1});
  mesh->savedFvf = 0x112;
  ASSERT_TRUE(ConvertMeshFVF(mesh.get(), 0x152));
  EXPECT_EQ(mesh->fvf, 0x152u);
  EXPECT_EQ(mesh->vertexSize, 36u);
  FVFLayout layout;
  GetMeshFVFLayout(mesh.get(), &layout);
  EXPECT_EQ(ReadVertexWord(&mesh->vertices[36], layout.diffuse), 0u);
  ExpectNear(PositionOf(*mesh, 2), {7, 8, 9});
  EXPECT_EQ(mesh->indices, (std::vector<uint16_t>{0, 2, 1}));

  // A declaration with a tangent has no FVF code: the mesh keeps the declaration.
  const VertexElement decl[] = {{0, 0, DECLTYPE_FLOAT3, 0, DECLUSAGE_POSITION, 0},
                                {0, 12, DECLTYPE_FLOAT3, 0, DECLUSAGE_NORMAL, 0},
                                {0, 24, DECLTYPE_FLOAT3, 0, DECLUSAGE_TANGENT, 0}, kDeclEnd};
  auto utility = CreateMeshBuffers(mesh.get(), decl, 0);
  ASSERT_TRUE(utility);
  ASSERT_TRUE(CopyD3DXMeshToMesh(mesh.get(), utility.get()));
  EXPECT_EQ(mesh->fvf, 0u);
  EXPECT_EQ(mesh->vertexSize, 36u);
  EXPECT_EQ(mesh->declaration[2].usage, DECLUSAGE_TANGENT);
  ExpectNear(PositionOf(*mesh, 1), {4, 5, 6});
  EXPECT_TRUE(ValidateMeshRecord(*mesh));

  ASSERT_TRUE(RestoreMeshFVF(mesh.get()));
  EXPECT_EQ(mesh->fvf, 0x112u);
  EXPECT_EQ(mesh->vertexSize, 32u);
  ExpectNear(PositionOf(*mesh, 0), {1, 2, 3});
}

TEST(MeshConversion, TooManyCornersComeBackAsPlainVertices) {
  constexpr uint32_t kFaces = 22000;  // 66,000 corners
  auto utility = platform::d3dx::Mesh::CreateFvf(kFaces, 3, platform::d3dx::MESH_32BIT, 0x002);
  ASSERT_TRUE(utility);
  const float corner[3] = {0, 0, 0}, second[3] = {1, 0, 0}, third[3] = {0, 1, 0};
  std::memcpy(&utility->VertexData()[0], corner, 12);
  std::memcpy(&utility->VertexData()[12], second, 12);
  std::memcpy(&utility->VertexData()[24], third, 12);
  for (uint32_t i = 0; i < kFaces * 3; ++i) utility->SetIndex(i, (i % 3 == 1) ? 2 : (i % 3 == 2 ? 1 : 0));
  MeshRecord mesh;
  ASSERT_TRUE(CopyD3DXMeshToMesh(&mesh, utility.get()));
  EXPECT_EQ(mesh.indexCount, 0);
  EXPECT_EQ(mesh.vertexCount, int32_t(kFaces * 3));
  EXPECT_EQ(mesh.drawPrimitiveCount, int32_t(kFaces));
  EXPECT_EQ(ReadVertexFloat(&mesh.vertices[4 * 12], 1), 1.0f);  // face 1, corner 1 is vertex 2
  EXPECT_TRUE(ValidateMeshRecord(mesh));
  EXPECT_FALSE(CopyD3DXMeshToMesh(&mesh, nullptr));
}

TEST(MeshConversion, UpdateNormalsNeedsPositionsAndNormals) {
  MeshRecord mesh;
  ASSERT_TRUE(SetupMeshStorage(&mesh, 0x102, 3, 3));
  mesh.drawPrimitiveCount = 1;
  mesh.indices = {0, 1, 2};
  UpdateMeshNormals(&mesh);
  EXPECT_EQ(mesh.layoutChanged, 0);  // no normals in the layout: nothing happened
  UpdateMeshNormals(nullptr);
}
