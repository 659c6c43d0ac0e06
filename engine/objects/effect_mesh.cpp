// Reading an effect's model: every mesh of an X file, placed by its frames, into one triangle list.
// A vertex of the file used with several normals becomes one vertex per normal. Every count is
// checked against the data object before it is used.
#include "engine/objects/effect_mesh.h"

#include <cstring>
#include <map>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/objects/mesh_conversion.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/d3dx/math_vector.h"
#include "platform/xfile/blob_reader.h"

namespace dx = platform::d3dx;
namespace gfx = platform::gfx;
namespace xf = platform::xfile;
namespace ids = platform::xfile::ids;

namespace {

constexpr int kMaxFrameDepth = 256;

struct EffectMeshVertex {
  gfx::Vector3 position, normal;
  float u = 0, v = 0;
};

struct Collected {
  std::vector<EffectMeshVertex> vertices;
  std::vector<uint32_t> indices;
  bool normals = false, coordinates = false;
};

// Each face of k corners as k - 2 triangles around its first corner; false for data that runs short
// or names a vertex beyond `vertexCount`.
bool ReadFaces(xf::BlobReader& blob, uint32_t vertexCount, std::vector<uint32_t>* triangles) {
  uint32_t faceCount;
  if (!blob.ReadU32(faceCount) || faceCount > blob.Remaining() / 4) return false;
  std::vector<uint32_t> corners;
  for (uint32_t f = 0; f < faceCount; ++f) {
    uint32_t k;
    if (!blob.ReadU32(k) || k > blob.Remaining() / 4) return false;
    corners.resize(k);
    for (uint32_t& c : corners) {
      blob.ReadU32(c);
      if (c >= vertexCount) return false;
    }
    for (uint32_t i = 1; i + 1 < k; ++i) triangles->insert(triangles->end(), {corners[0], corners[i], corners[i + 1]});
  }
  return true;
}

const xf::DataObject* ChildObject(const xf::Child& child) { return child.IsReference() ? child.Resolve() : child.Object(); }

void ReadMesh(const xf::DataObject& mesh, const gfx::Matrix& placement, Collected* out) {
  xf::BlobReader blob(mesh);
  uint32_t vertexCount;
  if (!blob.ReadU32(vertexCount) || vertexCount > blob.Remaining() / 12) return;
  std::vector<gfx::Vector3> positions(vertexCount);
  for (gfx::Vector3& p : positions) blob.ReadFloats(&p.x, 3);
  std::vector<uint32_t> triangles;
  if (!ReadFaces(blob, vertexCount, &triangles)) return;

  std::vector<gfx::Vector3> normals;
  std::vector<uint32_t> normalTriangles;
  std::vector<std::pair<float, float>> coordinates;
  for (const xf::Child& child : mesh.Children()) {
    const xf::DataObject* object = ChildObject(child);
    if (!object) continue;
    xf::BlobReader data(*object);
    uint32_t count;
    if (object->Type() == ids::MeshNormals) {
      if (!data.ReadU32(count) || count > data.Remaining() / 12) continue;
      normals.resize(count);
      for (gfx::Vector3& n : normals) data.ReadFloats(&n.x, 3);
      normalTriangles.clear();
      // Normals that do not pair up with the faces corner for corner are not used.
      if (!ReadFaces(data, count, &normalTriangles) || normalTriangles.size() != triangles.size()) normals.clear();
    } else if (object->Type() == ids::MeshTextureCoords) {
      if (!data.ReadU32(count) || count > data.Remaining() / 8 || count != vertexCount) continue;
      coordinates.resize(count);
      for (auto& [u, v] : coordinates) {
        data.ReadFloat(u);
        data.ReadFloat(v);
      }
    }
  }

  out->normals |= !normals.empty();
  out->coordinates |= !coordinates.empty();
  std::map<std::pair<uint32_t, uint32_t>, uint32_t> made;  // (file vertex, normal) -> new vertex
  for (size_t corner = 0; corner < triangles.size(); ++corner) {
    const uint32_t vertex = triangles[corner];
    const uint32_t normal = normals.empty() ? 0 : normalTriangles[corner];
    const auto [place, fresh] = made.try_emplace({vertex, normal}, uint32_t(out->vertices.size()));
    if (fresh) {
      EffectMeshVertex v;
      v.position = dx::Vec3TransformCoord(positions[vertex], placement);
      if (!normals.empty()) v.normal = dx::Vec3Normalize(dx::Vec3TransformNormal(normals[normal], placement));
      if (!coordinates.empty()) std::tie(v.u, v.v) = coordinates[vertex];
      out->vertices.push_back(v);
    }
    out->indices.push_back(place->second);
  }
}

void ReadFrame(const xf::DataObject& object, const gfx::Matrix& parent, int depth, Collected* out) {
  if (depth > kMaxFrameDepth) return;
  if (object.Type() == ids::Mesh) return ReadMesh(object, parent, out);
  if (object.Type() != ids::Frame) return;
  gfx::Matrix placement = parent;
  for (const xf::Child& child : object.Children()) {
    const xf::DataObject* c = ChildObject(child);
    if (c && c->Type() == ids::FrameTransformMatrix) {
      xf::BlobReader blob(*c);
      gfx::Matrix local;
      if (blob.ReadFloats(&local.m[0][0], 16)) placement = dx::MatrixMultiply(local, parent);
    }
  }
  for (const xf::Child& child : object.Children()) {
    if (const xf::DataObject* c = ChildObject(child)) ReadFrame(*c, placement, depth + 1, out);
  }
}

}  // namespace

bool LoadEffectMesh(const char* fileName, MeshRecord** mesh) {
  if (!fileName || !mesh) return true;
  xf::Reader reader;
  if (!reader.Open(fileName)) return true;
  Collected collected;
  for (const xf::DataObject* object : reader.DataObjects()) ReadFrame(*object, dx::MatrixIdentity(), 0, &collected);
  if (collected.indices.empty()) return true;

  uint32_t fvf = gfx::FVF_XYZ;
  if (collected.normals) fvf |= gfx::FVF_NORMAL;
  if (collected.coordinates) fvf |= gfx::FVF_TEX1;
  const uint32_t vertexCount = uint32_t(collected.vertices.size());
  const uint32_t options = dx::MESH_MANAGED | (vertexCount > 65535 ? dx::MESH_32BIT : 0u);
  std::unique_ptr<dx::Mesh> loaded = dx::Mesh::CreateFvf(uint32_t(collected.indices.size() / 3), vertexCount, options, fvf);
  if (!loaded) return true;
  const uint32_t stride = loaded->VertexSize();
  for (uint32_t i = 0; i < vertexCount; ++i) {
    const EffectMeshVertex& v = collected.vertices[i];
    float floats[8] = {v.position.x, v.position.y, v.position.z};
    uint32_t n = 3;
    if (collected.normals) {
      floats[n++] = v.normal.x;
      floats[n++] = v.normal.y;
      floats[n++] = v.normal.z;
    }
    if (collected.coordinates) {
      floats[n++] = v.u;
      floats[n++] = v.v;
    }
    std::memcpy(&loaded->VertexData()[size_t(i) * stride], floats, n * sizeof(float));
  }
  for (size_t i = 0; i < collected.indices.size(); ++i) loaded->SetIndex(i, collected.indices[i]);

  auto record = std::make_unique<MeshRecord>();
  if (!CopyD3DXMeshToMesh(record.get(), loaded.get())) return true;
  record->primitiveType = gfx::PT_TRIANGLELIST;
  record->drawVertexCount = record->vertexCount;
  record->drawPrimitiveCount = record->indexCount > 0 ? record->indexCount / 3 : record->vertexCount / 3;
  *mesh = record.release();
  return true;
}
