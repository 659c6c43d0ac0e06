// Blocks made from the object module's free-standing meshes, and meshes made again from blocks. The
// object module copies a mesh out as plain vertices and files a mesh made from them; this side keeps
// the block format and checks what a user-writable header claims before handing it on.
#include <cstdint>

#include "engine/core/errors.h"
#include "engine/media2d/memory_block.h"
#include "engine/media2d/memory_block_state.h"
#include "engine/objects/vertex_layout.h"

namespace {

constexpr int32_t kMaxMeshNumber = 21999999;
constexpr uint32_t kErrorMeshNumber = 7001, kErrorMeshNotMade = 7002, kErrorMeshMissing = 7003;
constexpr int kMeshHeaderWords = 3;  // FVF code, vertex size, vertex count

int32_t Raise(uint32_t code) {
  RaiseErrorCode(code);
  return 0;
}

// Whether the header's vertex size is that of its format code (an unknown code never is).
bool VertexSizeOfCode(uint32_t fvf, int32_t vertexSize) {
  FVFLayout layout;
  return GetFVFLayout(fvf, &layout) && layout.sizeBytes == uint32_t(vertexSize);
}

}  // namespace

int32_t MakeMemoryBlockFromMesh(int32_t block, int32_t mesh) {
  if (!InBlockRange(block)) return Raise(kErrorBlockNumber);
  if (mesh < 1 || mesh > kMaxMeshNumber) return Raise(kErrorMeshNumber);
  const MemoryBlockLinks& l = MemoryBlocks().links;
  if (!l.getMeshVertexData) return Raise(kErrorMeshMissing);
  uint32_t fvf = 0, vertexSize = 0, bytes = 0;
  int32_t vertexCount = 0;
  uint8_t* data = nullptr;
  l.getMeshVertexData(mesh, &fvf, &vertexSize, &vertexCount, &data, &bytes, 1);
  if (!data) return Raise(kErrorMeshMissing);
  const uint32_t header[kMeshHeaderWords] = {fvf, vertexSize, uint32_t(vertexCount)};
  const bool made = WriteItemBlock(block, header, kMeshHeaderWords, data, bytes);
  l.getMeshVertexData(mesh, nullptr, nullptr, nullptr, &data, nullptr, 0);
  return made ? 1 : 0;
}

int32_t MakeMeshFromMemoryBlock(int32_t mesh, int32_t block) {
  if (mesh < 1 || mesh > kMaxMeshNumber) return Raise(kErrorMeshNumber);
  uint32_t header[kMeshHeaderWords];
  size_t dataSize = 0;
  const uint8_t* data = ReadItemBlock(block, header, kMeshHeaderWords, &dataSize);
  if (!data) return 0;
  // Filing a mesh replaces the one under the number, so a header that does not describe vertices the
  // block holds, in the layout of its format code, is refused first and that mesh stays.
  int32_t vertexSize = 0, vertexCount = 0;
  if (!PositiveCount(header[1], &vertexSize) || !PositiveCount(header[2], &vertexCount) ||
      uint64_t(vertexSize) * uint64_t(vertexCount) > dataSize || !VertexSizeOfCode(header[0], vertexSize))
    return Raise(kErrorBlockContents);
  const MemoryBlockLinks& l = MemoryBlocks().links;
  if (!l.createMeshFromVertexData ||
      !l.createMeshFromVertexData(mesh, header[0], uint32_t(vertexSize), data, vertexCount))
    return Raise(kErrorMeshNotMade);
  return 1;
}
