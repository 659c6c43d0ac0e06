#include "engine/objects/mesh_storage.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "engine/objects/mesh_declaration.h"
#include "engine/objects/record_links.h"
#include "engine/objects/vertex_layout.h"
#include "platform/d3dx/mesh_vertex_format.h"

using namespace platform::gfx;

namespace {

// No mesh of any model comes near this; larger requests (from corrupt counts) are refused.
constexpr size_t kMaxMeshBytes = size_t{1} << 30;

bool FitsMeshBytes(int64_t count, uint32_t itemSize) {
  return count >= 0 && (itemSize == 0 || uint64_t(count) <= kMaxMeshBytes / itemSize);
}

bool AllocateStorage(MeshRecord* mesh, int32_t vertexCount, int32_t indexCount, bool wide) {
  if (!mesh || vertexCount < 0 || indexCount < 0) return false;
  if (!wide && indexCount > kMaxMeshIndices) return false;
  if (!FitsMeshBytes(vertexCount, mesh->vertexSize) || !FitsMeshBytes(indexCount, 4)) return false;
  std::vector<uint8_t> vertices;
  std::vector<uint16_t> indices;
  std::vector<uint32_t> wideIndices;
  try {
    vertices.assign(size_t(vertexCount) * mesh->vertexSize, 0);
    if (wide) wideIndices.assign(size_t(indexCount), 0);
    else indices.assign(size_t(indexCount), 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  mesh->vertices = std::move(vertices);
  mesh->indices = std::move(indices);
  mesh->wideIndices = std::move(wideIndices);
  mesh->backupVertices.clear();
  mesh->vertexCount = vertexCount;
  mesh->indexCount = indexCount;
  return true;
}

// Vertices a draw of `primitives` primitives of this type reads.
uint64_t CornersOf(uint32_t primitiveType, int64_t primitives) {
  if (primitives <= 0) return 0;
  switch (primitiveType) {
    case PT_POINTLIST: return uint64_t(primitives);
    case PT_LINELIST: return 2 * uint64_t(primitives);
    case PT_LINESTRIP: return uint64_t(primitives) + 1;
    case PT_TRIANGLESTRIP:
    case PT_TRIANGLEFAN: return uint64_t(primitives) + 2;
    default: return 3 * uint64_t(primitives);
  }
}

}  // namespace

bool DeclarationFits(const VertexElement* declaration, uint32_t vertexSize) {
  const uint32_t length = platform::d3dx::DeclarationLength(declaration);
  if (length >= uint32_t(kMaxDeclLength)) return false;
  for (uint32_t i = 0; i < length; ++i) {
    const VertexElement& e = declaration[i];
    const uint32_t size = platform::d3dx::DeclTypeSize(e.type);
    if (e.stream != 0 || size == 0 || e.offset + size > vertexSize) return false;
  }
  return true;
}

bool AllocateMeshStorage(MeshRecord* mesh, int32_t vertexCount, int32_t indexCount) {
  return AllocateStorage(mesh, vertexCount, indexCount, false);
}

bool AllocateWideMeshStorage(MeshRecord* mesh, int32_t vertexCount, int32_t indexCount) {
  return AllocateStorage(mesh, vertexCount, indexCount, true);
}

bool SetupMeshStorage(MeshRecord* mesh, uint32_t fvf, int32_t vertexCount, int32_t indexCount) {
  if (!mesh) return false;
  FVFLayout layout;
  GetFVFLayout(fvf, &layout);
  const uint32_t oldFvf = mesh->fvf, oldSize = mesh->vertexSize;
  mesh->fvf = fvf;
  mesh->vertexSize = layout.sizeBytes;
  if (!AllocateMeshStorage(mesh, vertexCount, indexCount)) {
    mesh->fvf = oldFvf;  // the old storage still matches the old layout
    mesh->vertexSize = oldSize;
    return false;
  }
  if (fvf != 0) ReplaceMeshDeviceDeclaration(mesh, nullptr);  // the code describes the vertex now
  return true;
}

bool SetupMeshStorageDecl(MeshRecord* mesh, const VertexElement* declaration, uint32_t vertexSize,
                          int32_t vertexCount, int32_t indexCount) {
  if (!mesh || !declaration || !DeclarationFits(declaration, vertexSize)) return false;
  VertexDeclaration* made = nullptr;
  if (!MakeDeviceDeclaration(declaration, &made)) return false;
  const uint32_t oldFvf = mesh->fvf, oldSize = mesh->vertexSize;
  mesh->fvf = 0;
  mesh->vertexSize = vertexSize;
  if (!AllocateMeshStorage(mesh, vertexCount, indexCount)) {
    mesh->fvf = oldFvf;
    mesh->vertexSize = oldSize;
    ReleaseRecordDeclaration(made);
    return false;
  }
  // Through a copy: the declaration given may be the mesh's own.
  VertexElement elements[kMaxDeclLength];
  std::fill(std::begin(elements), std::end(elements), kDeclEnd);
  std::copy_n(declaration, platform::d3dx::DeclarationLength(declaration), elements);
  std::copy(std::begin(elements), std::end(elements), mesh->declaration);
  ReplaceMeshDeviceDeclaration(mesh, made);
  return true;
}

bool CopyMeshInto(MeshRecord* destination, const MeshRecord* source, int32_t indexCount, int32_t vertexCount) {
  if (!destination || !source || destination == source) return false;
  const bool wide = !source->wideIndices.empty();
  bool made;
  if (source->fvf != 0) {
    made = wide ? (SetupMeshStorage(destination, source->fvf, 0, 0) &&
                   AllocateWideMeshStorage(destination, vertexCount, indexCount))
                : SetupMeshStorage(destination, source->fvf, vertexCount, indexCount);
  } else {
    made = wide ? (SetupMeshStorageDecl(destination, source->declaration, source->vertexSize, 0, 0) &&
                   AllocateWideMeshStorage(destination, vertexCount, indexCount))
                : SetupMeshStorageDecl(destination, source->declaration, source->vertexSize, vertexCount, indexCount);
  }
  if (!made) return false;
  // Only what both sides hold is copied, so smaller counts never overrun the destination.
  const size_t vertexBytes = std::min(destination->vertices.size(), source->vertices.size());
  if (vertexBytes) std::memcpy(destination->vertices.data(), source->vertices.data(), vertexBytes);
  const size_t narrow = std::min(destination->indices.size(), source->indices.size());
  std::copy_n(source->indices.begin(), narrow, destination->indices.begin());
  const size_t wideCount = std::min(destination->wideIndices.size(), source->wideIndices.size());
  std::copy_n(source->wideIndices.begin(), wideCount, destination->wideIndices.begin());
  destination->primitiveType = source->primitiveType;
  destination->drawVertexCount = source->drawVertexCount;
  destination->drawPrimitiveCount = source->drawPrimitiveCount;
  return true;
}

bool CopyMeshRecord(MeshRecord* destination, const MeshRecord* source) {
  if (!source) return false;
  return CopyMeshInto(destination, source, source->indexCount, source->vertexCount);
}

bool SetMeshFromRawVertices(MeshRecord* mesh, uint32_t fvf, uint32_t vertexSize, const void* data,
                            int32_t vertexCount, uint32_t primitiveType) {
  if (!mesh || vertexCount < 0 || (!data && vertexCount > 0)) return false;
  FVFLayout layout;
  if (!GetFVFLayout(fvf, &layout) || layout.sizeBytes != vertexSize) return false;
  if (!SetupMeshStorage(mesh, fvf, vertexCount, 0)) return false;
  if (vertexCount > 0) std::memcpy(mesh->vertices.data(), data, mesh->vertices.size());
  mesh->primitiveType = primitiveType;
  mesh->drawVertexCount = vertexCount;
  mesh->drawPrimitiveCount = vertexCount / 3;
  return true;
}

uint32_t MeshIndexAt(const MeshRecord& mesh, size_t i) {
  return mesh.wideIndices.empty() ? mesh.indices[i] : mesh.wideIndices[i];
}

bool ValidateMeshRecord(const MeshRecord& mesh) {
  if (mesh.vertexCount < 0 || mesh.indexCount < 0 || mesh.drawVertexCount < 0 || mesh.drawPrimitiveCount < 0)
    return false;
  if (mesh.fvf != 0) {
    FVFLayout layout;
    GetFVFLayout(mesh.fvf, &layout);
    if (layout.sizeBytes != mesh.vertexSize) return false;
  } else if (!DeclarationFits(mesh.declaration, mesh.vertexSize)) {
    return false;
  }
  if (mesh.vertices.size() != uint64_t(mesh.vertexCount) * mesh.vertexSize) return false;
  if (!mesh.backupVertices.empty() && mesh.backupVertices.size() != mesh.vertices.size()) return false;
  const size_t indexCount = size_t(mesh.indexCount);
  const bool narrowHeld = mesh.indices.size() == indexCount && mesh.wideIndices.empty();
  const bool wideHeld = mesh.wideIndices.size() == indexCount && mesh.indices.empty();
  if (!narrowHeld && !wideHeld) return false;
  for (size_t i = 0; i < indexCount; ++i)
    if (MeshIndexAt(mesh, i) >= uint32_t(mesh.vertexCount)) return false;
  const uint64_t drawable = indexCount ? indexCount : uint64_t(mesh.vertexCount);
  if (CornersOf(mesh.primitiveType, mesh.drawPrimitiveCount) > drawable) return false;

  for (const BoneRecord& bone : mesh.bones) {
    if (bone.vertexIndices.size() != bone.weights.size()) return false;
    for (uint32_t v : bone.vertexIndices)
      if (v >= uint32_t(mesh.vertexCount)) return false;
  }
  if (!mesh.boneFrames.empty() && mesh.boneFrames.size() != mesh.bones.size()) return false;
  if (!mesh.boneMatrices.empty() && mesh.boneMatrices.size() != mesh.bones.size()) return false;
  for (const MaterialSubset& subset : mesh.subsets) {
    if (uint64_t(subset.firstIndex) + subset.indexCount > indexCount) return false;
    if (3 * uint64_t(subset.triangleCount) > subset.indexCount) return false;
  }
  for (const auto& frame : mesh.attachedFrames)
    if (frame && frame->mesh && !ValidateMeshRecord(*frame->mesh)) return false;
  return true;
}

bool ConvertStripsToList(MeshRecord* mesh) {
  if (!mesh) return false;
  const bool strip = mesh->primitiveType == PT_TRIANGLESTRIP;
  if (!strip && mesh->primitiveType != PT_TRIANGLEFAN) return false;
  const bool indexed = mesh->indexCount > 0;
  const size_t n = indexed ? size_t(mesh->indexCount) : size_t(std::max(mesh->vertexCount, 0));
  if (indexed && (mesh->indices.size() < n && mesh->wideIndices.size() < n)) return false;
  if (mesh->vertices.size() < size_t(std::max(mesh->vertexCount, 0)) * mesh->vertexSize) return false;
  auto at = [&](size_t k) { return indexed ? MeshIndexAt(*mesh, k) : uint32_t(k); };

  std::vector<uint32_t> corners;
  corners.reserve(n >= 3 ? 3 * (n - 2) : 0);
  for (size_t k = 0; k + 2 < n; ++k) {
    if (!strip) corners.insert(corners.end(), {at(0), at(k + 1), at(k + 2)});
    else if (k % 2 == 0) corners.insert(corners.end(), {at(k), at(k + 1), at(k + 2)});
    else corners.insert(corners.end(), {at(k + 1), at(k), at(k + 2)});
  }
  for (uint32_t v : corners)
    if (v >= uint32_t(mesh->vertexCount)) return false;  // a strip naming missing vertices stays as it is

  if (corners.size() <= size_t(kMaxMeshIndices) && mesh->vertexCount <= 65536) {
    mesh->indices.assign(corners.begin(), corners.end());
    mesh->wideIndices.clear();
    mesh->indexCount = int32_t(corners.size());
  } else {
    // Too many corners for 16-bit indices: the triangles become plain vertices.
    std::vector<uint8_t> vertices(corners.size() * mesh->vertexSize);
    for (size_t i = 0; i < corners.size(); ++i)
      std::memcpy(&vertices[i * mesh->vertexSize], &mesh->vertices[size_t(corners[i]) * mesh->vertexSize],
                  mesh->vertexSize);
    mesh->vertices = std::move(vertices);
    mesh->backupVertices.clear();
    mesh->indices.clear();
    mesh->wideIndices.clear();
    mesh->indexCount = 0;
    mesh->vertexCount = mesh->drawVertexCount = int32_t(corners.size());
  }
  mesh->primitiveType = PT_TRIANGLELIST;
  mesh->layoutChanged = 1;
  return true;
}

bool ExpandMeshIndices(MeshRecord* mesh, std::vector<uint32_t>* indexMap) {
  if (!mesh) return false;
  ConvertStripsToList(mesh);
  const size_t oldVertices = size_t(std::max(mesh->vertexCount, 0));
  if (mesh->primitiveType != PT_TRIANGLELIST || mesh->indexCount <= 0) {
    if (indexMap) {
      indexMap->resize(oldVertices);
      for (size_t v = 0; v < oldVertices; ++v) (*indexMap)[v] = uint32_t(v);
    }
    return true;
  }
  const size_t count = size_t(mesh->indexCount);
  const size_t stride = mesh->vertexSize;
  if (mesh->indices.size() < count && mesh->wideIndices.size() < count) return false;
  if (mesh->vertices.size() < oldVertices * stride || !FitsMeshBytes(int64_t(count), mesh->vertexSize)) return false;
  for (size_t i = 0; i < count; ++i)
    if (MeshIndexAt(*mesh, i) >= oldVertices) return false;

  std::vector<uint8_t> vertices;
  try {
    vertices.resize(count * stride);
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::vector<uint32_t> map(oldVertices, kNoVertex);
  for (size_t i = 0; i < count; ++i) {
    const uint32_t old = MeshIndexAt(*mesh, i);
    if (stride) std::memcpy(&vertices[i * stride], &mesh->vertices[old * stride], stride);
    map[old] = uint32_t(i);
  }
  mesh->vertices = std::move(vertices);
  mesh->backupVertices.clear();
  mesh->indices.clear();
  mesh->wideIndices.clear();
  mesh->vertexCount = mesh->drawVertexCount = int32_t(count);
  mesh->indexCount = 0;
  mesh->drawPrimitiveCount = int32_t(count / 3);
  if (indexMap) *indexMap = std::move(map);
  return true;
}
