#include "engine/objects/mesh_conversion.h"

#include <cstring>

#include "engine/objects/mesh_storage.h"
#include "engine/objects/vertex_layout.h"
#include "platform/d3dx/mesh_vertex_format.h"

using platform::d3dx::Mesh;
using namespace platform::gfx;

std::unique_ptr<Mesh> CreateMeshBuffers(MeshRecord* mesh, const VertexElement* declaration, uint32_t fvf) {
  if (!mesh || mesh->drawPrimitiveCount < 0 || mesh->vertexCount < 0) return nullptr;
  const size_t faces = size_t(mesh->drawPrimitiveCount);
  ConvertStripsToList(mesh);
  const size_t corners = faces * 3;
  const size_t vertexCount = size_t(mesh->vertexCount);
  if (mesh->vertices.size() < vertexCount * mesh->vertexSize) return nullptr;
  const bool indexed = mesh->indexCount > 0;
  if (indexed ? corners > size_t(mesh->indexCount) : corners > vertexCount) return nullptr;

  VertexElement layout[kMaxDeclLength];
  if (mesh->fvf != 0) {
    if (!platform::d3dx::DeclarationFromFvf(mesh->fvf, layout)) return nullptr;
  } else {
    std::memcpy(layout, mesh->declaration, sizeof layout);
  }
  const bool wide = corners >= 65536 || vertexCount > 65536;
  const uint32_t options = platform::d3dx::MESH_MANAGED | (wide ? uint32_t(platform::d3dx::MESH_32BIT) : 0u);
  std::unique_ptr<Mesh> utility = Mesh::Create(uint32_t(faces), uint32_t(vertexCount), options, layout);
  if (!utility || utility->VertexSize() != mesh->vertexSize) return nullptr;

  if (!indexed && corners <= size_t(kMaxMeshIndices) && vertexCount <= 65536) {
    mesh->indices.resize(corners);
    for (size_t i = 0; i < corners; ++i) mesh->indices[i] = uint16_t(i);
    mesh->wideIndices.clear();
    mesh->indexCount = int32_t(corners);
  }
  for (size_t i = 0; i < corners; ++i) utility->SetIndex(i, mesh->indexCount > 0 ? MeshIndexAt(*mesh, i) : uint32_t(i));
  if (!mesh->vertices.empty())
    std::memcpy(utility->VertexData().data(), mesh->vertices.data(), vertexCount * mesh->vertexSize);

  if (fvf != 0) return utility->CloneFvf(options, fvf);
  if (declaration) return utility->Clone(options, declaration);
  return utility;
}

bool CopyD3DXMeshToMesh(MeshRecord* mesh, const Mesh* utilityMesh) {
  if (!mesh || !utilityMesh) return false;
  const size_t faces = utilityMesh->FaceCount();
  const size_t corners = faces * 3;
  const uint32_t vertexCount = utilityMesh->VertexCount();
  const size_t stride = utilityMesh->VertexSize();
  const bool unindexed = corners > size_t(kMaxMeshIndices) || vertexCount > 65536;
  const int32_t storedVertices = int32_t(unindexed ? corners : vertexCount);
  const int32_t storedIndices = unindexed ? 0 : int32_t(corners);

  FVFLayout layout;
  const uint32_t fvf = utilityMesh->Fvf();
  const bool made = fvf != 0 && GetFVFLayout(fvf, &layout)
                        ? SetupMeshStorage(mesh, fvf, storedVertices, storedIndices)
                        : SetupMeshStorageDecl(mesh, utilityMesh->Declaration(), uint32_t(stride), storedVertices,
                                               storedIndices);
  if (!made) return false;

  const auto source = utilityMesh->VertexData();
  if (unindexed) {
    for (size_t i = 0; i < corners; ++i) {
      const uint32_t v = utilityMesh->Index(i);
      if (v < vertexCount) std::memcpy(&mesh->vertices[i * stride], &source[v * stride], stride);
    }
    mesh->drawVertexCount = storedVertices;
    mesh->drawPrimitiveCount = int32_t(faces);
  } else {
    if (!source.empty()) std::memcpy(mesh->vertices.data(), source.data(), source.size());
    for (size_t i = 0; i < corners; ++i) mesh->indices[i] = uint16_t(utilityMesh->Index(i));
  }
  mesh->layoutChanged = 1;
  return true;
}

namespace {
bool RebuildThroughUtilityMesh(MeshRecord* mesh, uint32_t fvf) {
  std::unique_ptr<Mesh> utility = CreateMeshBuffers(mesh, nullptr, fvf);
  return utility && CopyD3DXMeshToMesh(mesh, utility.get());
}
}  // namespace

bool RestoreMeshFVF(MeshRecord* mesh) { return mesh && RebuildThroughUtilityMesh(mesh, mesh->savedFvf); }

bool ConvertMeshFVF(MeshRecord* mesh, uint32_t fvf) { return RebuildThroughUtilityMesh(mesh, fvf); }

bool ComputeMeshNormals(MeshRecord* mesh) {
  std::unique_ptr<Mesh> utility = CreateMeshBuffers(mesh, nullptr, 0);
  if (!utility || !platform::d3dx::ComputeNormals(utility.get())) return false;
  return CopyD3DXMeshToMesh(mesh, utility.get());
}

void UpdateMeshNormals(MeshRecord* mesh) {
  FVFLayout layout;
  GetMeshFVFLayout(mesh, &layout);
  if (layout.z != 0 && layout.nz != 0) ComputeMeshNormals(mesh);
}
