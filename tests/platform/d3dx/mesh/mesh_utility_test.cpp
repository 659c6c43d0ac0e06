#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "platform/d3dx/math_vector.h"
#include "platform/d3dx/mesh_utility.h"
#include "tests/platform/d3dx/maths/math_expect.h"

using namespace platform::d3dx;
using namespace platform::gfx;
using qel_test::ExpectNear;

namespace {

// Position, normal, one texture set: 8 floats.
void PutVertex(Mesh& mesh, uint32_t v, Vector3 p, Vector2 uv = {0, 0}) {
  float values[8] = {p.x, p.y, p.z, 0, 0, 0, uv.x, uv.y};
  std::memcpy(&mesh.VertexData()[v * 32], values, sizeof values);
}

Vector3 NormalOf(const Mesh& mesh, uint32_t v) {
  Vector3 n;
  std::memcpy(&n, &mesh.VertexData()[v * mesh.VertexSize() + 12], sizeof n);
  return n;
}

void PutIndices(Mesh& mesh, std::initializer_list<uint32_t> indices) {
  size_t i = 0;
  for (uint32_t index : indices) mesh.SetIndex(i++, index);
}

}  // namespace

TEST(UtilityMesh, CreateGivesZeroedStorageOfTheLayout) {
  auto mesh = Mesh::CreateFvf(2, 4, MESH_SYSTEMMEM, 0x152);
  ASSERT_TRUE(mesh);
  EXPECT_EQ(mesh->Fvf(), 0x152u);
  EXPECT_EQ(mesh->VertexSize(), 36u);
  EXPECT_EQ(mesh->VertexData().size(), 4u * 36u);
  EXPECT_EQ(mesh->IndexData().size(), 6u * 2u);
  for (uint8_t b : mesh->VertexData()) ASSERT_EQ(b, 0);

  auto wide = Mesh::CreateFvf(1, 70000, MESH_SYSTEMMEM | MESH_32BIT, 0x002);
  ASSERT_TRUE(wide);
  wide->SetIndex(2, 69999);
  EXPECT_EQ(wide->Index(2), 69999u);
  EXPECT_FALSE(Mesh::CreateFvf(1, 70000, MESH_SYSTEMMEM, 0x002));  // 16-bit indices cannot reach them

  const VertexElement twoStreams[] = {{0, 0, DECLTYPE_FLOAT3, 0, DECLUSAGE_POSITION, 0},
                                      {1, 0, DECLTYPE_FLOAT3, 0, DECLUSAGE_NORMAL, 0}, kDeclEnd};
  EXPECT_FALSE(Mesh::Create(1, 3, MESH_SYSTEMMEM, twoStreams));
  const VertexElement tangent[] = {{0, 0, DECLTYPE_FLOAT3, 0, DECLUSAGE_POSITION, 0},
                                   {0, 12, DECLTYPE_FLOAT3, 0, DECLUSAGE_TANGENT, 0}, kDeclEnd};
  auto declMesh = Mesh::Create(1, 3, MESH_SYSTEMMEM, tangent);
  ASSERT_TRUE(declMesh);
  EXPECT_EQ(declMesh->Fvf(), 0u);
  EXPECT_EQ(declMesh->VertexSize(), 24u);
}

TEST(UtilityMesh, CloneKeepsMatchingElementsAndZeroesNewOnes) {
  auto mesh = Mesh::CreateFvf(1, 3, MESH_SYSTEMMEM, 0x112);
  ASSERT_TRUE(mesh);
  for (uint32_t v = 0; v < 3; ++v) PutVertex(*mesh, v, {float(v), 1, 2}, {0.5f, float(v)});
  float normalValue[3] = {9, 9, 9};
  std::memcpy(&mesh->VertexData()[12], normalValue, sizeof normalValue);
  PutIndices(*mesh, {0, 2, 1});

  // To position, diffuse, texture set: the normal goes, the colour is new and zero.
  auto clone = mesh->CloneFvf(MESH_SYSTEMMEM | MESH_32BIT, 0x142);
  ASSERT_TRUE(clone);
  EXPECT_EQ(clone->VertexSize(), 24u);
  EXPECT_TRUE(clone->Has32BitIndices());
  EXPECT_EQ(clone->Index(1), 2u);
  for (uint32_t v = 0; v < 3; ++v) {
    float out[6];
    std::memcpy(out, &clone->VertexData()[v * 24], sizeof out);
    EXPECT_EQ(out[0], float(v));
    EXPECT_EQ(out[2], 2.0f);
    uint32_t colour;
    std::memcpy(&colour, &out[3], 4);
    EXPECT_EQ(colour, 0u);
    EXPECT_EQ(out[4], 0.5f);
    EXPECT_EQ(out[5], float(v));
  }

  // A three-float texture set gets the two source floats and a zero third.
  auto wider = mesh->CloneFvf(MESH_SYSTEMMEM, 0x112 | FvfTexCoordSize3(0));
  ASSERT_TRUE(wider);
  float uvw[3];
  std::memcpy(uvw, &wider->VertexData()[2 * 36 + 24], sizeof uvw);
  EXPECT_EQ(uvw[0], 0.5f);
  EXPECT_EQ(uvw[1], 2.0f);
  EXPECT_EQ(uvw[2], 0.0f);
}

TEST(UtilityMesh, NormalsOfASharedVertexQuad) {
  // A quad in the z = 0 plane, clockwise seen from -z: both triangles face -z.
  auto mesh = Mesh::CreateFvf(2, 4, MESH_SYSTEMMEM, 0x112);
  ASSERT_TRUE(mesh);
  PutVertex(*mesh, 0, {0, 1, 0});
  PutVertex(*mesh, 1, {1, 1, 0});
  PutVertex(*mesh, 2, {1, 0, 0});
  PutVertex(*mesh, 3, {0, 0, 0});
  PutIndices(*mesh, {0, 1, 2, 2, 3, 0});
  ASSERT_TRUE(ComputeNormals(mesh.get()));
  for (uint32_t v = 0; v < 4; ++v) ExpectNear(NormalOf(*mesh, v), {0, 0, -1});
}

TEST(UtilityMesh, NormalsWeighFacesByArea) {
  // Vertex 0 is shared by a large face facing -z (area 2) and a small one facing -x (area 0.5).
  auto mesh = Mesh::CreateFvf(2, 5, MESH_SYSTEMMEM, 0x112);
  ASSERT_TRUE(mesh);
  PutVertex(*mesh, 0, {0, 0, 0});
  PutVertex(*mesh, 1, {0, 2, 0});
  PutVertex(*mesh, 2, {2, 0, 0});
  PutVertex(*mesh, 3, {0, 0, 1});
  PutVertex(*mesh, 4, {0, 1, 0});
  PutIndices(*mesh, {0, 1, 2, 0, 3, 4});
  ASSERT_TRUE(ComputeNormals(mesh.get()));
  ExpectNear(NormalOf(*mesh, 0), Vec3Normalize({-1, 0, -4}));  // 2 x area per face: (-1, 0, 0) and (0, 0, -4)
  ExpectNear(NormalOf(*mesh, 2), {0, 0, -1});
  ExpectNear(NormalOf(*mesh, 3), {-1, 0, 0});
}

TEST(UtilityMesh, NormalsSkipBadFacesAndNeedTheElements) {
  auto mesh = Mesh::CreateFvf(2, 3, MESH_SYSTEMMEM, 0x112);
  ASSERT_TRUE(mesh);
  PutVertex(*mesh, 0, {0, 1, 0});
  PutVertex(*mesh, 1, {1, 1, 0});
  PutVertex(*mesh, 2, {1, 0, 0});
  PutIndices(*mesh, {0, 1, 2, 0, 1, 7});  // the second face names a vertex that does not exist
  ASSERT_TRUE(ComputeNormals(mesh.get()));
  ExpectNear(NormalOf(*mesh, 0), {0, 0, -1});

  auto noNormals = Mesh::CreateFvf(1, 3, MESH_SYSTEMMEM, 0x102);
  ASSERT_TRUE(noNormals);
  EXPECT_FALSE(ComputeNormals(noNormals.get()));
  EXPECT_FALSE(ComputeNormals(nullptr));
}
