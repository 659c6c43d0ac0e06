// Small meshes for the object tests.
#pragma once
#include <initializer_list>
#include <memory>

#include "engine/objects/mesh_storage.h"
#include "engine/objects/records.h"
#include "engine/objects/vertex_layout.h"

namespace qel_test {

// A mesh of FVF 0x112 whose vertex i sits at positions[i], with the given 16-bit indices and type.
inline std::unique_ptr<MeshRecord> MakeMesh(std::initializer_list<Vector3> positions,
                                            std::initializer_list<uint16_t> indices,
                                            uint32_t primitiveType = platform::gfx::PT_TRIANGLELIST) {
  auto mesh = std::make_unique<MeshRecord>();
  SetupMeshStorage(mesh.get(), 0x112, int32_t(positions.size()), int32_t(indices.size()));
  FVFLayout layout;
  GetMeshFVFLayout(mesh.get(), &layout);
  int i = 0;
  for (const Vector3& p : positions) WriteVertexPosition(&mesh->vertices[size_t(i++) * mesh->vertexSize], layout, p);
  std::copy(indices.begin(), indices.end(), mesh->indices.begin());
  mesh->primitiveType = primitiveType;
  mesh->drawVertexCount = mesh->vertexCount;
  const int corners = indices.size() ? int(indices.size()) : mesh->vertexCount;
  mesh->drawPrimitiveCount = primitiveType == platform::gfx::PT_TRIANGLELIST ? corners / 3 : corners - 2;
  return mesh;
}

inline Vector3 PositionOf(const MeshRecord& mesh, int vertex) {
  FVFLayout layout;
  GetMeshFVFLayout(&mesh, &layout);
  return ReadVertexPosition(&mesh.vertices[size_t(vertex) * mesh.vertexSize], layout);
}

inline Vector3 NormalOf(const MeshRecord& mesh, int vertex) {
  FVFLayout layout;
  GetMeshFVFLayout(&mesh, &layout);
  return ReadVertexNormal(&mesh.vertices[size_t(vertex) * mesh.vertexSize], layout);
}

}  // namespace qel_test
