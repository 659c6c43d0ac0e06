// Free-standing meshes handed to and made from memory blocks.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "engine/objects/mesh_builders.h"
#include "engine/objects/mesh_storage.h"
#include "engine/objects/object_table.h"

void GetMeshVertexData(int32_t mesh, uint32_t* fvf, uint32_t* vertexSize, int32_t* vertexCount, uint8_t** data,
                       uint32_t* byteSize, int32_t mode) {
  if (!data) return;
  if (mode != 1) {
    std::free(*data);
    *data = nullptr;
    return;
  }
  if (!ConfirmMesh(mesh)) return;
  MeshRecord plain;
  if (!CopyMeshTransformed(&plain, FindMeshRecord(mesh), nullptr) || !ExpandMeshIndices(&plain)) return;
  const size_t bytes = size_t(plain.vertexCount) * plain.vertexSize;
  auto* copy = static_cast<uint8_t*>(std::malloc(bytes ? bytes : 1));
  if (!copy) return;
  if (bytes) std::memcpy(copy, plain.vertices.data(), bytes);
  *data = copy;
  if (fvf) *fvf = plain.fvf;
  if (vertexSize) *vertexSize = plain.vertexSize;
  if (vertexCount) *vertexCount = plain.vertexCount;
  if (byteSize) *byteSize = uint32_t(bytes);
}

bool CreateMeshFromVertexData(int32_t mesh, uint32_t fvf, uint32_t vertexSize, const uint8_t* data,
                              int32_t vertexCount) {
  if (!ConfirmNewMesh(mesh)) return false;
  std::unique_ptr<MeshRecord> record(new (std::nothrow) MeshRecord);
  if (!record || !SetMeshFromRawVertices(record.get(), fvf, vertexSize, data, vertexCount,
                                         platform::gfx::PT_TRIANGLELIST))
    return false;
  MeshTable& table = GetMeshTable();
  if (mesh >= table.capacity && !GrowMeshTable(mesh)) return false;
  table.slots[size_t(mesh)] = std::move(record);
  return true;
}
