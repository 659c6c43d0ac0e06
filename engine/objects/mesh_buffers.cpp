#include "engine/objects/mesh_buffers.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/objects/mesh_storage.h"
#include "platform/gfx/resources.h"

using namespace platform::gfx;

namespace {

// The bytes of the buffer's range, locked for as long as this lives.
template <class Buffer>
class LockedRange {
 public:
  LockedRange(Buffer* buffer, uint32_t offset, uint32_t size, uint32_t flags) : buffer_(buffer) {
    void* data = nullptr;
    if (Succeeded(buffer->Lock(offset, size, &data, flags))) data_ = static_cast<uint8_t*>(data);
  }
  ~LockedRange() {
    if (data_) buffer_->Unlock();
  }
  LockedRange(const LockedRange&) = delete;
  LockedRange& operator=(const LockedRange&) = delete;
  uint8_t* data() const { return data_; }

 private:
  Buffer* buffer_;
  uint8_t* data_ = nullptr;
};

// The buffer's byte size and, for index buffers, its index size; false when it cannot be read.
bool Describe(VertexBuffer* buffer, uint32_t* size) {
  VertexBufferDesc desc{};
  if (Failed(buffer->GetDesc(&desc))) return false;
  *size = desc.size;
  return true;
}
bool Describe(IndexBuffer* buffer, uint32_t* size, uint32_t* indexSize) {
  IndexBufferDesc desc{};
  if (Failed(buffer->GetDesc(&desc))) return false;
  *size = desc.size;
  *indexSize = desc.format == FMT_INDEX32 ? 4 : desc.format == FMT_INDEX16 ? 2 : 0;
  return *indexSize != 0;
}

bool InsideBuffer(uint64_t offset, uint64_t bytes, uint32_t bufferSize) { return offset + bytes <= bufferSize; }

// Bytes of the mesh's vertices, when its array holds them all.
bool HeldVertexBytes(const MeshRecord& mesh, uint64_t* bytes) {
  if (mesh.vertexCount < 0) return false;
  *bytes = uint64_t(mesh.vertexCount) * mesh.vertexSize;
  return mesh.vertices.size() >= *bytes;
}

// Whether the array of the mesh's index width holds its index count, and every index names one of
// its vertices.
bool HeldIndices(const MeshRecord& mesh) {
  if (mesh.indexCount < 0 || mesh.vertexCount < 0) return false;
  const size_t count = size_t(mesh.indexCount);
  if ((mesh.wideIndices.empty() ? mesh.indices.size() : mesh.wideIndices.size()) < count) return false;
  for (size_t i = 0; i < count; ++i)
    if (MeshIndexAt(mesh, i) >= uint32_t(mesh.vertexCount)) return false;
  return true;
}

bool CopyIndicesOut(const MeshRecord* mesh, IndexBuffer* buffer, uint32_t startIndex, uint32_t width) {
  if (!mesh || !buffer || !HeldIndices(*mesh)) return false;
  if (width == 2 && !mesh->wideIndices.empty()) return false;
  uint32_t size = 0, indexSize = 0;
  if (!Describe(buffer, &size, &indexSize) || indexSize != width) return false;
  const uint64_t offset = uint64_t(startIndex) * width, bytes = uint64_t(mesh->indexCount) * width;
  if (!InsideBuffer(offset, bytes, size)) return false;
  if (bytes == 0) return true;
  LockedRange locked(buffer, uint32_t(offset), uint32_t(bytes), 0);
  if (!locked.data()) return false;
  if (width == 2) {
    std::memcpy(locked.data(), mesh->indices.data(), bytes);
  } else {
    for (size_t i = 0; i < size_t(mesh->indexCount); ++i) {
      const uint32_t index = MeshIndexAt(*mesh, i);
      std::memcpy(locked.data() + 4 * i, &index, 4);
    }
  }
  return true;
}

}  // namespace

bool CopyMeshIndicesToBuffer(const MeshRecord* mesh, IndexBuffer* buffer, uint32_t startIndex) {
  return CopyIndicesOut(mesh, buffer, startIndex, 2);
}

bool CopyMeshIndicesToBuffer32(const MeshRecord* mesh, IndexBuffer* buffer, uint32_t startIndex) {
  return CopyIndicesOut(mesh, buffer, startIndex, 4);
}

bool CopyMeshVerticesToBuffer(const MeshRecord* mesh, VertexBuffer* buffer, uint32_t byteOffset) {
  uint64_t bytes = 0;
  uint32_t size = 0;
  if (!mesh || !buffer || !HeldVertexBytes(*mesh, &bytes) || !Describe(buffer, &size)) return false;
  if (!InsideBuffer(byteOffset, bytes, size)) return false;
  if (bytes == 0) return true;
  LockedRange locked(buffer, byteOffset, uint32_t(bytes), 0);
  if (!locked.data()) return false;
  std::memcpy(locked.data(), mesh->vertices.data(), bytes);
  return true;
}

bool CopyBufferToMeshVertices(MeshRecord* mesh, VertexBuffer* buffer, uint32_t byteOffset) {
  uint64_t bytes = 0;
  uint32_t size = 0;
  if (!mesh || !buffer || !HeldVertexBytes(*mesh, &bytes) || !Describe(buffer, &size)) return false;
  if (!InsideBuffer(byteOffset, bytes, size)) return false;
  if (bytes == 0) return true;
  LockedRange locked(buffer, byteOffset, uint32_t(bytes), LOCK_READONLY);
  if (!locked.data()) return false;
  std::memcpy(mesh->vertices.data(), locked.data(), bytes);
  return true;
}

bool CopyBufferToMeshIndices(MeshRecord* mesh, IndexBuffer* buffer, uint32_t startIndex) {
  if (!mesh || !buffer || mesh->indexCount < 0 || mesh->vertexCount < 0) return false;
  const size_t count = size_t(mesh->indexCount);
  const bool wide = !mesh->wideIndices.empty();
  if ((wide ? mesh->wideIndices.size() : mesh->indices.size()) < count) return false;
  uint32_t size = 0, indexSize = 0;
  if (!Describe(buffer, &size, &indexSize)) return false;
  const uint64_t offset = uint64_t(startIndex) * indexSize, bytes = uint64_t(count) * indexSize;
  if (!InsideBuffer(offset, bytes, size)) return false;
  if (count == 0) return true;

  std::vector<uint32_t> read(count, 0);
  {
    LockedRange locked(buffer, uint32_t(offset), uint32_t(bytes), LOCK_READONLY);
    if (!locked.data()) return false;
    for (size_t i = 0; i < count; ++i) std::memcpy(&read[i], locked.data() + indexSize * i, indexSize);  // little-endian
  }
  const uint32_t limit = wide ? uint32_t(mesh->vertexCount) : std::min<uint32_t>(uint32_t(mesh->vertexCount), 0x10000);
  for (uint32_t index : read)
    if (index >= limit) return false;
  for (size_t i = 0; i < count; ++i) {
    if (wide) mesh->wideIndices[i] = read[i];
    else mesh->indices[i] = uint16_t(read[i]);
  }
  return true;
}
