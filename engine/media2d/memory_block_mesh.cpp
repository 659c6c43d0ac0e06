// Blocks made from the object module's free-standing meshes, and meshes made again from blocks. A
// mesh block holds plain vertices, three per triangle, so any indexed mesh is expanded on the way out.
#include <cstdint>
#include <memory>

#include "engine/core/errors.h"
#include "engine/media2d/memory_block.h"
#include "engine/media2d/memory_block_state.h"
#include "engine/objects/mesh_storage.h"
#include "engine/objects/records.h"

namespace {

constexpr int32_t kMaxMeshNumber = 21999999;
constexpr uint32_t kErrorMeshNumber = 7001, kErrorMeshNotMade = 7002, kErrorMeshMissing = 7003;
constexpr int kMeshHeaderWords = 3;  // FVF code, vertex size, vertex count

int32_t Raise(uint32_t code) {
  RaiseErrorCode(code);
  return 0;
}

// An unindexed triangle-list copy of the mesh; null when the mesh's storage does not hold what its
// counts say.
std::unique_ptr<MeshRecord> PlainVertexCopy(const MeshRecord& mesh) {
  if (!ValidateMeshRecord(mesh)) return nullptr;
  auto copy = std::make_unique<MeshRecord>();
  if (!CopyMeshRecord(copy.get(), &mesh) || !ExpandMeshIndices(copy.get())) return nullptr;
  return copy;
}

}  // namespace

int32_t MakeMemoryBlockFromMesh(int32_t block, int32_t mesh) {
  if (!InBlockRange(block)) return Raise(kErrorBlockNumber);
  if (mesh < 1 || mesh > kMaxMeshNumber) return Raise(kErrorMeshNumber);
  const MemoryBlockLinks& l = MemoryBlocks().links;
  const MeshRecord* source = l.findMesh ? l.findMesh(mesh) : nullptr;
  const std::unique_ptr<MeshRecord> copy = source ? PlainVertexCopy(*source) : nullptr;
  if (!copy) return Raise(kErrorMeshMissing);
  const uint32_t header[kMeshHeaderWords] = {copy->fvf, copy->vertexSize, uint32_t(copy->vertexCount)};
  return WriteItemBlock(block, header, kMeshHeaderWords, copy->vertices.data(), copy->vertices.size()) ? 1 : 0;
}

int32_t MakeMeshFromMemoryBlock(int32_t mesh, int32_t block) {
  if (mesh < 1 || mesh > kMaxMeshNumber) return Raise(kErrorMeshNumber);
  uint32_t header[kMeshHeaderWords];
  size_t dataSize = 0;
  const uint8_t* data = ReadItemBlock(block, header, kMeshHeaderWords, &dataSize);
  if (!data) return 0;
  int32_t vertexSize = 0, vertexCount = 0;
  auto record = std::make_unique<MeshRecord>();
  // The vertices must lie in the block, and the vertex size must be that of the format code.
  if (!PositiveCount(header[1], &vertexSize) || !PositiveCount(header[2], &vertexCount) ||
      uint64_t(vertexSize) * uint64_t(vertexCount) > dataSize ||
      !SetMeshFromRawVertices(record.get(), header[0], uint32_t(vertexSize), data, vertexCount,
                              platform::gfx::PT_TRIANGLELIST))
    return Raise(kErrorBlockContents);
  const MemoryBlockLinks& l = MemoryBlocks().links;
  if (!l.storeMesh || !l.storeMesh(mesh, std::move(record))) return Raise(kErrorMeshNotMade);
  return 1;
}
