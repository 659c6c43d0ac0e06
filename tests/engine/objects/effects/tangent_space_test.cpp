// Effect vertex elements added to mesh records: tangent frames of a textured quad and cube, meshes
// that have their frame already, and the four strongest bone influences.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "engine/objects/mesh_storage.h"
#include "engine/objects/tangent_space.h"
#include "platform/d3dx/mesh_vertex_format.h"

namespace {

namespace gfx = platform::gfx;
using gfx::Vector3;

struct Vertex {
  float x, y, z, nx, ny, nz, u, v;
};

// A mesh of position, normal and one texture set from whole vertices and triangles.
std::unique_ptr<MeshRecord> MakeMesh(const std::vector<Vertex>& vertices, const std::vector<uint16_t>& indices) {
  auto mesh = std::make_unique<MeshRecord>();
  EXPECT_TRUE(SetupMeshStorage(mesh.get(), 0x112, int32_t(vertices.size()), int32_t(indices.size())));
  std::memcpy(mesh->vertices.data(), vertices.data(), vertices.size() * sizeof(Vertex));
  std::copy(indices.begin(), indices.end(), mesh->indices.begin());
  mesh->drawVertexCount = mesh->vertexCount;
  mesh->drawPrimitiveCount = int32_t(indices.size() / 3);
  return mesh;
}

// Face quads of a unit cube: corner (s, t) at origin + s u + t v, texture (s, t), normal u x v.
struct Face {
  Vector3 origin, u, v;
};
constexpr Face kCubeFaces[] = {
    {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},  {{1, 0, 1}, {-1, 0, 0}, {0, 1, 0}}, {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
    {{0, 0, 1}, {0, 0, -1}, {0, 1, 0}}, {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}},  {{0, 0, 1}, {1, 0, 0}, {0, 0, -1}},
};

std::unique_ptr<MeshRecord> MakeFaces(const Face* faces, size_t count) {
  std::vector<Vertex> vertices;
  std::vector<uint16_t> indices;
  const float st[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (size_t f = 0; f < count; ++f) {
    const Face& face = faces[f];
    const Vector3 n{face.u.y * face.v.z - face.u.z * face.v.y, face.u.z * face.v.x - face.u.x * face.v.z,
                    face.u.x * face.v.y - face.u.y * face.v.x};
    for (const auto& c : st)
      vertices.push_back({face.origin.x + c[0] * face.u.x + c[1] * face.v.x,
                          face.origin.y + c[0] * face.u.y + c[1] * face.v.y,
                          face.origin.z + c[0] * face.u.z + c[1] * face.v.z, n.x, n.y, n.z, c[0], c[1]});
    const uint16_t b = uint16_t(f * 4);
    indices.insert(indices.end(), {b, uint16_t(b + 1), uint16_t(b + 2), b, uint16_t(b + 2), uint16_t(b + 3)});
  }
  return MakeMesh(vertices, indices);
}

// The element of the mesh's layout, whether an FVF code or a declaration describes it.
std::optional<gfx::VertexElement> Element(const MeshRecord& mesh, uint8_t usage, uint8_t index = 0) {
  gfx::VertexElement decl[gfx::kMaxDeclLength];
  std::memcpy(decl, mesh.declaration, sizeof decl);
  if (mesh.fvf != 0) platform::d3dx::DeclarationFromFvf(mesh.fvf, decl);
  for (uint32_t i = 0; i < platform::d3dx::DeclarationLength(decl); ++i)
    if (decl[i].usage == usage && decl[i].usageIndex == index) return decl[i];
  return std::nullopt;
}

std::vector<float> FloatsAt(const MeshRecord& mesh, int vertex, uint32_t offset, int count) {
  std::vector<float> out(static_cast<size_t>(count));
  std::memcpy(out.data(), &mesh.vertices[size_t(vertex) * mesh.vertexSize + offset], out.size() * 4);
  return out;
}

void ExpectFloats(const std::vector<float>& got, const std::vector<float>& expected, const char* what) {
  ASSERT_EQ(got.size(), expected.size()) << what;
  for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], expected[i], 1e-5f) << what << " [" << i << "]";
}

TEST(TangentSpace, AQuadGetsTangentAndBinormalAfterItsOwnElements) {
  auto quad = MakeFaces(kCubeFaces, 1);
  AddEffectVertexStreams(quad.get(), 1, 1, 0, 0);
  EXPECT_EQ(quad->fvf, 0u);
  EXPECT_EQ(quad->vertexSize, 56u);
  ASSERT_TRUE(Element(*quad, gfx::DECLUSAGE_TANGENT));
  EXPECT_EQ(Element(*quad, gfx::DECLUSAGE_TANGENT)->offset, 32);
  EXPECT_EQ(Element(*quad, gfx::DECLUSAGE_BINORMAL)->offset, 44);
  EXPECT_EQ(quad->vertexCount, 4);
  EXPECT_EQ(quad->indexCount, 6);
  for (int v = 0; v < 4; ++v) {
    ExpectFloats(FloatsAt(*quad, v, 32, 6), {1, 0, 0, 0, 1, 0}, "tangent and binormal");
    ExpectFloats(FloatsAt(*quad, v, 12, 3), {0, 0, 1}, "normal kept");
  }
  ExpectFloats(FloatsAt(*quad, 2, 0, 3), {1, 1, 0}, "position kept");
  ExpectFloats(FloatsAt(*quad, 1, 24, 2), {1, 0}, "texture coordinates kept");
}

TEST(TangentSpace, EveryCubeFaceTakesItsOwnTextureAxes) {
  auto cube = MakeFaces(kCubeFaces, 6);
  AddEffectVertexStreams(cube.get(), 0, 1, 0, 0);
  ASSERT_EQ(cube->vertexCount, 24);
  for (int f = 0; f < 6; ++f) {
    const Face& face = kCubeFaces[f];
    for (int k = 0; k < 4; ++k)
      ExpectFloats(FloatsAt(*cube, f * 4 + k, 32, 6), {face.u.x, face.u.y, face.u.z, face.v.x, face.v.y, face.v.z},
                   "face frame");
  }
}

TEST(TangentSpace, AMeshWithItsFrameOnlyGainsWhatIsMissing) {
  auto quad = MakeFaces(kCubeFaces, 1);
  AddEffectVertexStreams(quad.get(), 1, 1, 0, 0);
  // Tangents written by hand survive a second attach that asks for a colour as well.
  for (int v = 0; v < 4; ++v) {
    const float mine[3] = {0, 0, 7};
    std::memcpy(&quad->vertices[size_t(v) * quad->vertexSize + 32], mine, sizeof mine);
  }
  AddEffectVertexStreams(quad.get(), 1, 1, 1, 0);
  EXPECT_EQ(quad->vertexSize, 60u);
  ASSERT_TRUE(Element(*quad, gfx::DECLUSAGE_COLOR));
  EXPECT_EQ(Element(*quad, gfx::DECLUSAGE_COLOR)->type, gfx::DECLTYPE_FLOAT1);
  ExpectFloats(FloatsAt(*quad, 3, 32, 3), {0, 0, 7}, "tangent untouched");
}

TEST(TangentSpace, TheFourStrongestBonesFillTwoTextureSets) {
  auto mesh = MakeFaces(kCubeFaces, 1);  // four vertices
  mesh->bones.resize(6);
  auto influence = [&](int bone, uint32_t vertex, float weight) {
    mesh->bones[size_t(bone)].vertexIndices.push_back(vertex);
    mesh->bones[size_t(bone)].weights.push_back(weight);
  };
  // Vertex 0: six bones; vertex 1: bone 0 twice (the later weight stands) and a tie between bones 2 and
  // 5; vertex 2: none; an influence on a vertex the mesh lacks is passed over.
  const float weights[6] = {0.1f, 0.5f, 0.2f, 0.9f, 0.3f, 0.05f};
  for (int b = 0; b < 6; ++b) influence(b, 0, weights[b]);
  influence(0, 1, 0.2f);
  influence(0, 1, 0.7f);
  influence(5, 1, 0.4f);
  influence(2, 1, 0.4f);
  influence(3, 99, 1.0f);
  AddEffectVertexStreams(mesh.get(), 0, 0, 0, 1);

  EXPECT_EQ(mesh->boneStreams, 1);
  ASSERT_TRUE(Element(*mesh, gfx::DECLUSAGE_TEXCOORD, 1));
  const uint32_t weightsAt = Element(*mesh, gfx::DECLUSAGE_TEXCOORD, 1)->offset;
  const uint32_t bonesAt = Element(*mesh, gfx::DECLUSAGE_TEXCOORD, 2)->offset;
  EXPECT_EQ(weightsAt, 32u);
  EXPECT_EQ(bonesAt, 48u);
  ExpectFloats(FloatsAt(*mesh, 0, weightsAt, 4), {0.9f, 0.5f, 0.3f, 0.2f}, "vertex 0 weights");
  ExpectFloats(FloatsAt(*mesh, 0, bonesAt, 4), {3, 1, 4, 2}, "vertex 0 bones");
  ExpectFloats(FloatsAt(*mesh, 1, weightsAt, 4), {0.7f, 0.4f, 0.4f, 0}, "vertex 1 weights");
  ExpectFloats(FloatsAt(*mesh, 1, bonesAt, 4), {0, 2, 5, 0}, "vertex 1 bones");
  ExpectFloats(FloatsAt(*mesh, 2, weightsAt, 4), {0, 0, 0, 0}, "vertex 2 weights");
  ExpectFloats(FloatsAt(*mesh, 2, bonesAt, 4), {0, 0, 0, 0}, "vertex 2 bones");
  ExpectFloats(FloatsAt(*mesh, 2, 0, 3), {1, 1, 0}, "position kept");
}

TEST(TangentSpace, AMeshWithoutTrianglesIsLeftAlone) {
  auto mesh = MakeFaces(kCubeFaces, 1);
  mesh->drawPrimitiveCount = 5;  // more than its storage holds
  AddEffectVertexStreams(mesh.get(), 1, 1, 1, 1);
  EXPECT_EQ(mesh->fvf, 0x112u);
  EXPECT_EQ(mesh->vertexSize, 32u);
}

}  // namespace
