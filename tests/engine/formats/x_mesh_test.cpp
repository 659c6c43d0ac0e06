// Reading X meshes: layout, triangles, normals, colours, materials, subsets and skin weights, and
// meshes whose parts disagree with each other.
#include <gtest/gtest.h>

#include "engine/objects/vertex_layout.h"
#include "tests/engine/formats/formats_fixtures.h"

namespace {

using namespace formats_test;

// A cube of 8 corners and 6 four-sided faces.
const std::string kCubeData = R"(
  8; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;, 0;0;1;, 1;0;1;, 1;1;1;, 0;1;1;;
  6; 4;0,1,2,3;, 4;4,5,6,7;, 4;0,1,5,4;, 4;1,2,6,5;, 4;2,3,7,6;, 4;3,0,4,7;;
)";

std::unique_ptr<ObjectRecord> CubeWith(const std::string& children) {
  return ConvertX(XText("Mesh cube {" + kCubeData + children + "}\n"));
}

const MeshRecord& MeshOf(const std::unique_ptr<ObjectRecord>& object) { return *object->root->mesh; }

std::string Material(const char* rgba, const char* texture = nullptr) {
  std::string m = std::string("Material { ") + rgba + ";; 8; 0.5;0.5;0.5;; 0.1;0.2;0.3;; ";
  if (texture) m += std::string("TextureFilename { \"") + texture + "\"; } ";
  return m + "}";
}

Vector3 Normal(const MeshRecord& mesh, int vertex) {
  FVFLayout layout;
  GetMeshFVFLayout(&mesh, &layout);
  return ReadVertexNormal(&mesh.vertices[size_t(vertex) * mesh.vertexSize], layout);
}

uint32_t Diffuse(const MeshRecord& mesh, int vertex) {
  FVFLayout layout;
  GetMeshFVFLayout(&mesh, &layout);
  return ReadVertexWord(&mesh.vertices[size_t(vertex) * mesh.vertexSize], layout.diffuse);
}

TEST(XMesh, QuadsBecomeTrianglesOfThePositionNormalTextureLayout) {
  const auto object = CubeWith("");
  ASSERT_TRUE(object && object->root->mesh);
  const MeshRecord& m = MeshOf(object);
  EXPECT_EQ(m.fvf, 0x112u);
  EXPECT_EQ(m.vertexSize, 32u);
  EXPECT_EQ(m.vertexCount, 8);
  EXPECT_EQ(m.indexCount, 36);
  EXPECT_EQ(m.drawPrimitiveCount, 12);
  EXPECT_EQ(m.primitiveType, 4u);
  EXPECT_EQ(std::vector<uint16_t>(m.indices.begin(), m.indices.begin() + 6), (std::vector<uint16_t>{0, 1, 2, 0, 2, 3}));
  // No material list: one unnamed stage, an all-zero own material, no subsets.
  ASSERT_EQ(m.stages.size(), 1u);
  EXPECT_STREQ(m.stages[0].fileName, "");
  EXPECT_EQ(m.ownMaterial, 1);
  EXPECT_EQ(m.material.diffuse.a, 0.0f);
  EXPECT_EQ(m.material.power, 0.0f);
  EXPECT_TRUE(m.subsets.empty());
}

TEST(XMesh, FacesOfFiveCornersFanAndShortFacesMakeNoTriangle) {
  const auto object = ConvertX(XText(R"(Mesh m {
    5; 0;0;0;, 1;0;0;, 2;1;0;, 1;2;0;, 0;1;0;;
    2; 5;4,3,2,1,0;, 2;0,1;;
  })"));
  ASSERT_TRUE(object);
  const MeshRecord& m = MeshOf(object);
  EXPECT_EQ(m.indices, (std::vector<uint16_t>{4, 3, 2, 4, 2, 1, 4, 1, 0}));
}

TEST(XMesh, NormalsMergePerCornerWhenTheirTrianglesMatch) {
  const std::string normals = R"(MeshNormals { 6; 0;0;-1;, 0;0;1;, 0;-1;0;, 1;0;0;, 0;1;0;, -1;0;0;;
    6; 4;0,0,0,0;, 4;1,1,1,1;, 4;2,2,2,2;, 4;3,3,3,3;, 4;4,4,4,4;, 4;5,5,5,5;; })";
  auto object = CubeWith(normals);
  ASSERT_TRUE(object);
  // Vertex 0 is last used by the sixth face.
  EXPECT_EQ(Normal(MeshOf(object), 0).x, -1.0f);
  EXPECT_EQ(Normal(MeshOf(object), 6).y, 1.0f);

  // Faces that fan into another triangle count, or name a normal the list lacks: normals stay zero.
  for (const char* bad : {"MeshNormals { 1; 0;0;1;; 1; 3;0,0,0;; }",
                          "MeshNormals { 1; 0;0;1;; 6; 4;0,0,0,0;, 4;0,0,0,0;, 4;0,0,0,0;, 4;0,0,0,0;, "
                          "4;0,0,0,0;, 4;0,0,0,9;; }"}) {
    object = CubeWith(bad);
    ASSERT_TRUE(object) << bad;
    for (int v = 0; v < 8; ++v) EXPECT_EQ(Normal(MeshOf(object), v).z, 0.0f) << bad;
  }
}

TEST(XMesh, TextureCoordinatesBeyondTheVerticesArePassedOver) {
  std::string coords = "MeshTextureCoords { 12; ";
  for (int i = 0; i < 12; ++i) coords += std::to_string(i) + ";0.5;" + (i < 11 ? "," : ";");
  const auto object = CubeWith(coords + " }");
  ASSERT_TRUE(object);
  FVFLayout layout;
  const MeshRecord& m = MeshOf(object);
  GetMeshFVFLayout(&m, &layout);
  EXPECT_EQ(ReadVertexFloat(&m.vertices[7 * 32], layout.u[0]), 7.0f);
  EXPECT_EQ(m.vertices.size(), 8u * 32);
}

TEST(XMesh, VertexColoursAddADiffuseColourDrawnInsteadOfTheMaterial) {
  const auto object = CubeWith(R"(MeshVertexColors { 3;
    1; 0.5;1.2;-0.3;1;;, 2; 1;1;1;0.5;;, 99; 1;0;0;1;;; }
    MeshMaterialList { 1; 6; 0,0,0,0,0,0;; )" + Material("1;0;0;1") + "}");
  ASSERT_TRUE(object);
  const MeshRecord& m = MeshOf(object);
  EXPECT_EQ(m.fvf, 0x152u);
  EXPECT_EQ(m.vertexSize, 36u);
  EXPECT_EQ(Diffuse(m, 0), 0xFFFFFFFFu);  // no colour entry: opaque white
  EXPECT_EQ(Diffuse(m, 1), 0xFF80FF00u);  // 0.5 -> 128, 1.2 -> 255, -0.3 -> 0
  EXPECT_EQ(Diffuse(m, 2), 0x80FFFFFFu);
  EXPECT_EQ(m.ownMaterial, 0);  // the colour entry for vertex 99 is passed over
}

TEST(XMesh, MaterialListsGroupTrianglesIntoSubsets) {
  // Two materials without textures, different colours; faces 0-2 listed, the rest take the last entry.
  const auto object = CubeWith("MeshMaterialList { 2; 3; 1,0,1;; " + Material("1;0;0;1") + Material("0;0;1;0.5") + "}");
  ASSERT_TRUE(object);
  const MeshRecord& m = MeshOf(object);
  ASSERT_EQ(m.subsets.size(), 2u);
  EXPECT_EQ(m.subsetTextures, 1);
  EXPECT_EQ(m.stages.size(), 2u);
  const MaterialSubset& red = m.subsets[0];
  const MaterialSubset& blue = m.subsets[1];
  EXPECT_STREQ(red.name, "");
  EXPECT_EQ(red.firstIndex, 0u);
  EXPECT_EQ(red.triangleCount, 2u);  // face 1
  EXPECT_EQ(red.indexCount, 6u);
  EXPECT_EQ(red.material.diffuse.r, 1.0f);
  EXPECT_EQ(blue.firstIndex, 6u);
  EXPECT_EQ(blue.triangleCount, 10u);  // faces 0, 2 and the unlisted 3-5
  EXPECT_EQ(blue.material.ambient.a, 0.5f);
  EXPECT_EQ(blue.material.specular.a, 1.0f);
  EXPECT_EQ(blue.material.emissive.g, 0.2f);
  EXPECT_EQ(blue.material.power, 8.0f);
  // Indices now run subset by subset: face 1 (vertices 4-7) first.
  EXPECT_EQ(std::vector<uint16_t>(m.indices.begin(), m.indices.begin() + 3), (std::vector<uint16_t>{4, 5, 6}));
  EXPECT_EQ(m.indexCount, 36);
  EXPECT_EQ(m.material.diffuse.r, 1.0f);  // the own material is material 0
  EXPECT_EQ(m.ownMaterial, 1);
}

TEST(XMesh, MaterialsOfOneTextureShareOneStage) {
  const auto object = CubeWith("MeshMaterialList { 2; 6; 0,1,0,1,0,1;; " + Material("1;0;0;1", "wall.png") +
                               Material("0;1;0;1", "wall.png") + "}");
  ASSERT_TRUE(object);
  const MeshRecord& m = MeshOf(object);
  ASSERT_EQ(m.stages.size(), 1u);
  EXPECT_STREQ(m.stages[0].fileName, "wall.png");
  EXPECT_TRUE(m.subsets.empty());
  EXPECT_EQ(m.material.diffuse.r, 1.0f);
}

TEST(XMesh, MaterialsNamedByReferenceAndTrianglesOfMaterialsTheMeshLacks) {
  const auto object = ConvertX(XText(Material("0;1;0;1", "a.png").replace(0, 8, "Material green") + R"(
    Mesh cube {)" + kCubeData + R"(
      MeshMaterialList { 2; 6; 0,1,7,0,1,0;; {green} )" + Material("1;0;0;1", "b.png") + R"( }
    })"));
  ASSERT_TRUE(object);
  const MeshRecord& m = MeshOf(object);
  ASSERT_EQ(m.subsets.size(), 2u);
  EXPECT_STREQ(m.subsets[0].name, "a.png");
  EXPECT_STREQ(m.subsets[1].name, "b.png");
  // Face 2 names material 7: its triangles fall in no subset and leave the index list.
  EXPECT_EQ(m.subsets[0].triangleCount + m.subsets[1].triangleCount, 10u);
  EXPECT_EQ(m.indexCount, 30);
  EXPECT_EQ(m.drawPrimitiveCount, 10);
}

const char kIdentity[] = "1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;;";

std::string Weights(const char* frame, const std::string& indices, const std::string& weights, int n) {
  return std::string("SkinWeights { \"") + frame + "\"; " + std::to_string(n) + "; " + indices + "; " + weights +
         "; " + kIdentity + " }\n";
}

TEST(XMesh, SkinWeightsBecomeBonesInFileOrder) {
  const auto object = CubeWith("XSkinMeshHeader { 2; 4; 3; }\n" + Weights("hip", "0,1", "0.5,0.5", 2) +
                               Weights("knee", "2,99,3", "1,1,1", 3) + Weights("foot", "", "", 0) +
                               Weights("spare", "4", "1", 1));
  ASSERT_TRUE(object);
  const MeshRecord& m = MeshOf(object);
  ASSERT_EQ(m.bones.size(), 3u);  // the header's count
  EXPECT_STREQ(m.bones[0].name, "hip");
  EXPECT_EQ(m.bones[0].vertexIndices, (std::vector<uint32_t>{0, 1}));
  // An influence on a vertex the mesh lacks is dropped.
  EXPECT_EQ(m.bones[1].vertexIndices, (std::vector<uint32_t>{2, 3}));
  EXPECT_EQ(m.bones[2].InfluenceCount(), 0u);
  EXPECT_EQ(m.bones[1].offsetMatrix.m[3][3], 1.0f);
}

TEST(XMesh, CornersNamingMissingVerticesFailTheLoad) {
  EXPECT_FALSE(ConvertX(XText("Mesh m { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,3;; }")));
  EXPECT_TRUE(ConvertX(XText("Mesh m { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }")));
}

// More vertices than 16-bit indices reach: the mesh becomes plain vertices and bones follow them.
TEST(XMesh, MeshesBeyond16BitIndicesBecomePlainVertices) {
  const int n = 70000;
  std::string mesh = "Mesh big { " + std::to_string(n) + ";";
  for (int i = 0; i < n; ++i) mesh += std::to_string(i) + ";0;0;" + (i + 1 < n ? "," : ";");
  mesh += " 2; 3;0,1,69999;, 3;69999,1,2;; ";
  mesh += "MeshMaterialList { 2; 2; 0,1;; " + Material("1;0;0;1", "a.png") + Material("0;1;0;1", "b.png") + "}\n";
  mesh += "XSkinMeshHeader { 1; 1; 1; }\n" + Weights("b", "69999,5", "1,1", 2) + "}\n";
  const auto object = ConvertX(XText(mesh));
  ASSERT_TRUE(object);
  const MeshRecord& m = MeshOf(object);
  EXPECT_EQ(m.vertexCount, 6);
  EXPECT_EQ(m.indexCount, 0);
  EXPECT_EQ(m.drawPrimitiveCount, 2);
  FVFLayout layout;
  GetMeshFVFLayout(&m, &layout);
  EXPECT_EQ(ReadVertexPosition(&m.vertices[2 * 32], layout).x, 69999.0f);
  // Vertex 69999 was last copied to vertex 3; vertex 5 is used by no triangle.
  ASSERT_EQ(m.bones.size(), 1u);
  EXPECT_EQ(m.bones[0].vertexIndices, (std::vector<uint32_t>{3}));
  // Without an index list there is nothing to group: drawn whole with the first stage.
  EXPECT_EQ(m.stages.size(), 1u);
  EXPECT_TRUE(m.subsets.empty());
}

}  // namespace
