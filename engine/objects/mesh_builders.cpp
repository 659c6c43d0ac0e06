#include "engine/objects/mesh_builders.h"

#include <cmath>
#include <cstring>

#include "engine/objects/mesh_conversion.h"
#include "engine/objects/mesh_storage.h"
#include "engine/objects/object_bounds.h"
#include "engine/objects/object_errors.h"
#include "engine/objects/object_matrix.h"
#include "engine/objects/vertex_layout.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/d3dx/math_vector.h"

using namespace platform::d3dx;
using namespace platform::gfx;

namespace {

struct BoxCorner {
  bool x, y, z;  // false: the minimum on that axis, true: the maximum
  float u, v;
};
struct BoxFace {
  Vector3 normal;
  BoxCorner corners[4];
};
// Face order -z, +z, +y, -y, +x, -x; each face's four corners in drawing order.
constexpr BoxFace kBoxFaces[6] = {
    {{0, 0, -1}, {{0, 1, 0, 0, 0}, {1, 1, 0, 1, 0}, {1, 0, 0, 1, 1}, {0, 0, 0, 0, 1}}},
    {{0, 0, 1}, {{0, 1, 1, 1, 0}, {0, 0, 1, 1, 1}, {1, 0, 1, 0, 1}, {1, 1, 1, 0, 0}}},
    {{0, 1, 0}, {{0, 1, 1, 0, 0}, {1, 1, 1, 1, 0}, {1, 1, 0, 1, 1}, {0, 1, 0, 0, 1}}},
    {{0, -1, 0}, {{0, 0, 1, 0, 1}, {0, 0, 0, 0, 0}, {1, 0, 0, 1, 0}, {1, 0, 1, 1, 1}}},
    {{1, 0, 0}, {{1, 1, 0, 0, 0}, {1, 1, 1, 1, 0}, {1, 0, 1, 1, 1}, {1, 0, 0, 0, 1}}},
    {{-1, 0, 0}, {{0, 1, 0, 1, 0}, {0, 0, 0, 1, 1}, {0, 0, 1, 0, 1}, {0, 1, 1, 0, 0}}},
};

// Room for the builder's vertices and indices in the layout it writes.
bool HoldsLayout(const MeshRecord& mesh, uint32_t fvf, int32_t vertices, int32_t indices) {
  FVFLayout layout;
  GetFVFLayout(fvf, &layout);
  return mesh.fvf == fvf && mesh.vertexSize == layout.sizeBytes && mesh.vertexCount >= vertices &&
         mesh.vertices.size() >= size_t(vertices) * mesh.vertexSize && mesh.indexCount >= indices &&
         mesh.indices.size() >= size_t(indices);
}

bool PrepareBuilderStorage(bool allocate, MeshRecord* mesh, uint32_t fvf, int32_t vertices, int32_t indices) {
  if (!mesh) return false;
  if (allocate) {
    if (SetupMeshStorage(mesh, fvf, vertices, indices)) return true;
    RaiseErrorCode(kErrorMeshCannotBeMade);
    return false;
  }
  return HoldsLayout(*mesh, fvf, vertices, indices);
}

void TransformMeshVertices(MeshRecord* mesh, const Matrix& matrix) {
  FVFLayout layout;
  GetMeshFVFLayout(mesh, &layout);
  const bool positions = layout.z != 0, normals = layout.nz != 0;
  if ((!positions && !normals) || mesh->vertexSize == 0) return;
  const size_t count = std::min(size_t(std::max(mesh->vertexCount, 0)), mesh->vertices.size() / mesh->vertexSize);
  for (size_t v = 0; v < count; ++v) {
    uint8_t* vertex = &mesh->vertices[v * mesh->vertexSize];
    if (positions) {
      Vector3 p;
      TransformPoint(&p, ReadVertexPosition(vertex, layout), matrix);
      WriteVertexPosition(vertex, layout, p);
    }
    if (normals)
      WriteVertexNormal(vertex, layout, Vec3Normalize(Vec3TransformNormal(ReadVertexNormal(vertex, layout), matrix)));
  }
}

// Listed triangles with 16-bit indices (sequential ones for an unindexed list), or plain vertices.
bool MakeIndexedList(MeshRecord* mesh) {
  ConvertStripsToList(mesh);
  if (mesh->primitiveType != PT_TRIANGLELIST) return false;
  if (mesh->indexCount == 0 && mesh->vertexCount <= kMaxMeshIndices) {
    mesh->indices.resize(size_t(mesh->vertexCount));
    for (int32_t i = 0; i < mesh->vertexCount; ++i) mesh->indices[size_t(i)] = uint16_t(i);
    mesh->indexCount = mesh->vertexCount;
  }
  return mesh->wideIndices.empty() || ExpandMeshIndices(mesh);
}

}  // namespace

bool MakeBoxMesh(bool allocate, MeshRecord* mesh, float x0, float y0, float z0, float x1, float y1, float z1,
                 uint32_t fvf, uint32_t colour) {
  if (!PrepareBuilderStorage(allocate, mesh, fvf, 24, 36)) return false;
  uint32_t vertex = 0;
  for (const BoxFace& face : kBoxFaces) {
    const uint16_t first = uint16_t(vertex);
    for (const BoxCorner& c : face.corners)
      WriteVertex(fvf, mesh->vertices.data(), vertex++, c.x ? x1 : x0, c.y ? y1 : y0, c.z ? z1 : z0, face.normal.x,
                  face.normal.y, face.normal.z, colour, c.u, c.v);
    const uint16_t pattern[6] = {0, 1, 2, 2, 3, 0};
    for (int i = 0; i < 6; ++i) mesh->indices[size_t(first / 4 * 6 + i)] = uint16_t(first + pattern[i]);
  }
  mesh->primitiveType = PT_TRIANGLELIST;
  mesh->drawVertexCount = 24;
  mesh->drawPrimitiveCount = 12;
  return true;
}

bool MakeSphereMesh(bool allocate, MeshRecord* mesh, float centreX, float centreY, float centreZ, float radius,
                    uint32_t rings, uint32_t segments, uint32_t fvf) {
  const uint64_t vertexCount = (uint64_t(rings) + 1) * (uint64_t(segments) + 1);
  const uint64_t indexCount = (uint64_t(segments) + 1) * rings * 2;
  if (!mesh || rings == 0 || segments == 0 || indexCount > uint64_t(kMaxMeshIndices)) {
    RaiseErrorCode(kErrorMeshCannotBeMade);
    return false;
  }
  if (!PrepareBuilderStorage(allocate, mesh, fvf, int32_t(vertexCount), int32_t(indexCount))) return false;
  uint32_t vertex = 0;
  for (uint32_t i = 0; i <= rings; ++i) {
    const float polar = float(i) * kPi / float(rings);
    for (uint32_t j = 0; j <= segments; ++j) {
      const float azimuth = float(j) * 2.0f * kPi / float(segments);
      const Vector3 n = Vec3Normalize({std::sin(polar) * std::cos(azimuth), std::cos(polar),
                                       std::sin(polar) * std::sin(azimuth)});
      WriteVertex(fvf, mesh->vertices.data(), vertex++, centreX + n.x * radius, centreY + n.y * radius,
                  centreZ + n.z * radius, n.x, n.y, n.z, 0xFFFFFFFF, float(j) / float(segments),
                  float(i) / float(rings));
    }
  }
  size_t k = 0;
  for (uint32_t i = 0; i < rings; ++i)
    for (uint32_t j = 0; j <= segments; ++j) {
      mesh->indices[k++] = uint16_t(i * (segments + 1) + j);
      mesh->indices[k++] = uint16_t((i + 1) * (segments + 1) + j);
    }
  mesh->primitiveType = PT_TRIANGLESTRIP;
  mesh->drawVertexCount = int32_t(vertexCount);
  mesh->drawPrimitiveCount = int32_t(indexCount) - 2;
  return true;
}

bool CopyMeshTransformedCounts(MeshRecord* destination, const MeshRecord* source, const Matrix* matrix,
                               int32_t indexCount, int32_t vertexCount) {
  if (!CopyMeshInto(destination, source, indexCount, vertexCount)) return false;
  if (matrix) TransformMeshVertices(destination, *matrix);
  return CalculateMeshBounds(destination);
}

bool CopyMeshTransformed(MeshRecord* destination, const MeshRecord* source, const Matrix* matrix) {
  if (!source) return false;
  return CopyMeshTransformedCounts(destination, source, matrix, source->indexCount, source->vertexCount);
}

bool CombineObjectMeshes(std::unique_ptr<MeshRecord>* out, ObjectRecord* object) {
  if (!out || !object) return false;
  UpdateObjectWorldMatrix(object, nullptr);
  const Matrix& scaleRotation = object->placement.scaleRotationMatrix;

  std::vector<std::unique_ptr<MeshRecord>> parts;
  uint32_t targetFvf = 0;
  for (FrameRecord* frame : object->frameList) {
    if (!frame->mesh) continue;
    if (parts.empty()) {
      targetFvf = frame->mesh->fvf;
      if (targetFvf == 0) return false;
    }
    auto part = std::make_unique<MeshRecord>();
    if (!CopyMeshRecord(part.get(), frame->mesh.get())) return false;
    if (part->fvf != targetFvf && !ConvertMeshFVF(part.get(), targetFvf)) return false;
    TransformMeshVertices(part.get(), MatrixMultiply(frame->combinedMatrix, scaleRotation));
    if (!MakeIndexedList(part.get())) return false;
    parts.push_back(std::move(part));
  }
  if (parts.empty()) return false;

  size_t vertices = 0, indices = 0;
  bool allIndexed = true;
  for (const auto& part : parts) {
    vertices += size_t(part->vertexCount);
    indices += size_t(part->indexCount);
    allIndexed = allIndexed && (part->indexCount > 0 || part->vertexCount == 0);
  }
  const bool indexed = allIndexed && indices <= size_t(kMaxMeshIndices) && vertices <= 65536;
  if (!indexed) {
    vertices = 0;
    for (auto& part : parts) {
      if (!ExpandMeshIndices(part.get())) return false;
      vertices += size_t(part->vertexCount);
    }
    indices = 0;
  }
  auto combined = std::make_unique<MeshRecord>();
  if (vertices > size_t(INT32_MAX) || !SetupMeshStorage(combined.get(), targetFvf, int32_t(vertices), int32_t(indices)))
    return false;
  size_t vertexBase = 0, indexBase = 0;
  for (const auto& part : parts) {
    std::memcpy(&combined->vertices[vertexBase * combined->vertexSize], part->vertices.data(), part->vertices.size());
    for (int32_t i = 0; indexed && i < part->indexCount; ++i)
      combined->indices[indexBase++] = uint16_t(vertexBase + part->indices[size_t(i)]);
    vertexBase += size_t(part->vertexCount);
  }
  combined->primitiveType = PT_TRIANGLELIST;
  combined->drawVertexCount = combined->vertexCount;
  combined->drawPrimitiveCount = (indexed ? combined->indexCount : combined->vertexCount) / 3;
  CalculateMeshBounds(combined.get());
  *out = std::move(combined);
  return true;
}
