// The buffer pools: where each mesh's vertices and indices live on the device, how a place is found
// and recorded in the mesh's DrawBufferInfo, and how meshes are taken out and put back.
//
// A mesh's place always names live pools: removing a mesh (or releasing a pool under it) clears the
// places of every mesh that used the released buffers, so nothing is drawn from a released buffer.
#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/objects/mesh_buffers.h"
#include "engine/objects/mesh_declaration.h"
#include "engine/objects/object_manager.h"
#include "engine/objects/render_objects.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;

namespace {

constexpr uint32_t kMaxIndexedVertices = 65535;  // 16-bit indices

bool SameDeclaration(gfx::VertexDeclaration* a, gfx::VertexDeclaration* b) {
  if (!a || !b) return false;
  if (a == b) return true;
  uint32_t countA = 0, countB = 0;
  if (gfx::Failed(a->GetDeclaration(nullptr, &countA)) || gfx::Failed(b->GetDeclaration(nullptr, &countB)) ||
      countA != countB || countA > uint32_t(gfx::kMaxDeclLength))
    return false;
  gfx::VertexElement ea[gfx::kMaxDeclLength], eb[gfx::kMaxDeclLength];
  if (gfx::Failed(a->GetDeclaration(ea, &countA)) || gfx::Failed(b->GetDeclaration(eb, &countB))) return false;
  return std::memcmp(ea, eb, sizeof(gfx::VertexElement) * countA) == 0;
}

// Primitives that `elements` vertices (or indices) hold for a primitive type; 0 for an unknown type.
uint32_t PrimitivesIn(uint32_t type, uint32_t elements) {
  switch (type) {
    case gfx::PT_POINTLIST: return elements;
    case gfx::PT_LINELIST: return elements / 2;
    case gfx::PT_LINESTRIP: return elements > 0 ? elements - 1 : 0;
    case gfx::PT_TRIANGLELIST: return elements / 3;
    case gfx::PT_TRIANGLESTRIP:
    case gfx::PT_TRIANGLEFAN: return elements > 2 ? elements - 2 : 0;
    default: return 0;
  }
}

// The arrays hold what the counts say (the copies into buffers check the same again).
bool MeshStorageSound(const MeshRecord* mesh) {
  if (mesh->vertexCount <= 0 || mesh->vertexSize == 0 || mesh->indexCount < 0) return false;
  if (!mesh->wideIndices.empty()) return false;  // 32-bit indices do not fit the 16-bit pools
  if (mesh->vertices.size() < size_t(mesh->vertexCount) * mesh->vertexSize) return false;
  return mesh->indices.size() >= size_t(mesh->indexCount);
}

// The draw counts of a place, kept within what the mesh holds.
void SetPlaceCounts(DrawBufferInfo* place, const MeshRecord* mesh) {
  uint32_t vertices = uint32_t(mesh->vertexCount);
  uint32_t drawVertices = mesh->drawVertexCount > 0 ? uint32_t(mesh->drawVertexCount) : vertices;
  place->vertexCount = std::min(drawVertices, vertices);
  uint32_t elements = mesh->indexCount > 0 ? uint32_t(mesh->indexCount) : vertices;
  uint32_t most = PrimitivesIn(mesh->primitiveType, elements);
  uint32_t wanted = mesh->drawPrimitiveCount > 0 ? uint32_t(mesh->drawPrimitiveCount) : 0;
  place->primitiveCount = std::min(wanted, most);
}

// Room a place starting at `start` has: up to the next place, or up to the end of what is used.
uint32_t PlaceRoom(const std::vector<uint32_t>& starts, uint32_t used, uint32_t start) {
  auto next = std::upper_bound(starts.begin(), starts.end(), start);
  return (next == starts.end() ? used : *next) - start;
}

// A buffer of *count elements of `size` bytes, halving the count until the device gives one (*count
// becomes the count made); null when none can be had or the one given holds fewer than `needed`.
template <class Buffer, class Create>
Buffer* CreateHalving(uint32_t* count, uint32_t needed, uint32_t size, Create create) {
  for (uint32_t n = *count; n > 0; n /= 2) {
    uint64_t bytes = uint64_t(n) * size;
    Buffer* buffer = nullptr;
    if (bytes > 0xFFFFFFFFull || gfx::Failed(create(uint32_t(bytes), &buffer)) || !buffer) continue;
    if (n < needed) {
      buffer->Release();
      return nullptr;
    }
    *count = n;
    return buffer;
  }
  return nullptr;
}

void FreeVertexPool(VertexBufferPool* node) {
  if (node->locked && node->buffer) node->buffer->Unlock();
  if (node->buffer) node->buffer->Release();
  if (node->declaration) node->declaration->Release();
  delete node;
}

void FreeIndexPool(IndexBufferPool* node) {
  if (node->buffer) node->buffer->Release();
  delete node;
}

// Meshes that may share a place with identical ones: small, indexed with 16-bit indices, described
// by a vertex code, and never rewritten in place since they were placed.
constexpr int32_t kMostSharedVertices = 4096;

bool ShareableMesh(const MeshRecord& mesh) {
  return mesh.indexCount > 0 && mesh.wideIndices.empty() && mesh.fvf != 0 && !mesh.placedAlone &&
         mesh.vertexCount > 0 && mesh.vertexCount <= kMostSharedVertices;
}

// Everything a place is made from: layout, counts, vertices and indices.
std::vector<uint8_t> PlaceBytes(const MeshRecord& mesh) {
  const uint32_t header[] = {mesh.fvf, mesh.vertexSize, mesh.primitiveType, uint32_t(mesh.vertexCount),
                             uint32_t(mesh.indexCount), uint32_t(mesh.drawVertexCount),
                             uint32_t(mesh.drawPrimitiveCount)};
  const size_t vertexBytes = size_t(mesh.vertexCount) * mesh.vertexSize;
  const size_t indexBytes = size_t(mesh.indexCount) * sizeof(uint16_t);
  std::vector<uint8_t> bytes(sizeof header + vertexBytes + indexBytes);
  std::memcpy(bytes.data(), header, sizeof header);
  std::memcpy(bytes.data() + sizeof header, mesh.vertices.data(), vertexBytes);
  std::memcpy(bytes.data() + sizeof header + vertexBytes, mesh.indices.data(), indexBytes);
  return bytes;
}

uint64_t HashBytes(const std::vector<uint8_t>& bytes) {
  uint64_t hash = 1469598103934665603ull;  // FNV-1a
  for (uint8_t b : bytes) hash = (hash ^ b) * 1099511628211ull;
  return hash;
}

}  // namespace

template <class Pool>
void ObjectManager::AppendPool(Pool** head, Pool** tail, Pool* node) {
  node->prev = *tail;
  node->next = nullptr;
  if (*tail)
    (*tail)->next = node;
  else
    *head = node;
  *tail = node;
  livePools_.insert(node);
}

template <class Pool>
bool ObjectManager::UnlinkPool(Pool** head, Pool** tail, const Pool* node) {
  if (!node || !livePools_.erase(node)) return false;
  Pool* found = const_cast<Pool*>(node);
  (found->prev ? found->prev->next : *head) = found->next;
  (found->next ? found->next->prev : *tail) = found->prev;
  found->next = found->prev = nullptr;
  return true;
}

void ObjectManager::ReleasePools() {
  livePools_.clear();
  sharedPools_.clear();
  vertexPoolsTail = nullptr;
  indexPoolsTail = nullptr;
  while (VertexBufferPool* node = vertexPools) {
    vertexPools = node->next;
    FreeVertexPool(node);
  }
  while (IndexBufferPool* node = indexPools) {
    indexPools = node->next;
    FreeIndexPool(node);
  }
}

VertexBufferPool* ObjectManager::FindVertexBufferPool(uint32_t fvf, gfx::VertexDeclaration* declaration,
                                                      uint32_t vertexSize, uint32_t vertexCount,
                                                      uint32_t indexCount, bool separate, uint32_t primitiveType) {
  gfx::Device* device = RendererDevice();
  if (!device || (!fvf && !declaration) || vertexSize == 0 || vertexCount == 0) return nullptr;
  gfx::Caps caps{};
  if (gfx::Failed(device->GetDeviceCaps(&caps))) return nullptr;
  uint32_t primitives = indexCount ? indexCount / 3 : vertexCount / 3;
  if (primitives > caps.maxPrimitiveCount) return nullptr;

  for (VertexBufferPool* node = separate ? nullptr : vertexPools; node; node = node->next) {
    if (!node->buffer || node->vertexSize != vertexSize) continue;
    bool sameFormat = node->fvf ? node->fvf == fvf : (!fvf && SameDeclaration(node->declaration, declaration));
    if (sameFormat && uint64_t(node->verticesUsed) + vertexCount < node->capacity) return node;
  }

  uint32_t wanted = separate ? vertexCount : caps.maxVertexIndex;
  if (!separate && indexCount) wanted = std::min(wanted, kMaxIndexedVertices);
  uint32_t usage = gfx::USAGE_WRITEONLY;
  if (primitiveType == gfx::PT_POINTLIST) usage |= gfx::USAGE_POINTS;
  auto create = [&](uint32_t bytes, gfx::VertexBuffer** out) {
    return device->CreateVertexBuffer(bytes, usage, fvf, gfx::POOL_DEFAULT, out, nullptr);
  };
  gfx::VertexBuffer* buffer = CreateHalving<gfx::VertexBuffer>(&wanted, vertexCount, vertexSize, create);
  if (!buffer) return nullptr;
  auto* node = new VertexBufferPool;
  node->fvf = fvf;
  node->declaration = fvf ? nullptr : declaration;
  if (node->declaration) node->declaration->AddRef();  // the mesh may release its own later
  node->vertexSize = vertexSize;
  node->capacity = wanted;
  node->buffer = buffer;
  AppendPool(&vertexPools, &vertexPoolsTail, node);
  return node;
}

IndexBufferPool* ObjectManager::FindIndexBufferPool(uint32_t indexCount, bool separate) {
  gfx::Device* device = RendererDevice();
  if (!device || indexCount == 0) return nullptr;
  for (IndexBufferPool* node = separate ? nullptr : indexPools; node; node = node->next) {
    if (node->buffer && uint64_t(node->indicesUsed) + indexCount < node->capacity) return node;
  }
  gfx::Caps caps{};
  if (gfx::Failed(device->GetDeviceCaps(&caps))) return nullptr;
  uint32_t wanted = separate ? indexCount : caps.maxVertexIndex;
  auto create = [&](uint32_t bytes, gfx::IndexBuffer** out) {
    return device->CreateIndexBuffer(bytes, gfx::USAGE_WRITEONLY, gfx::FMT_INDEX16, gfx::POOL_DEFAULT, out, nullptr);
  };
  gfx::IndexBuffer* buffer = CreateHalving<gfx::IndexBuffer>(&wanted, indexCount, 2, create);
  if (!buffer) return nullptr;
  auto* node = new IndexBufferPool;
  node->capacity = wanted;
  node->buffer = buffer;
  AppendPool(&indexPools, &indexPoolsTail, node);
  return node;
}

bool ObjectManager::AddMeshToBuffers(MeshRecord* mesh, bool separate) {
  if (!mesh) return false;
  if (!MeshStorageSound(mesh) || !CreateMeshDeviceDeclaration(mesh)) {
    mesh->bufferPlace.reset();
    return false;
  }
  // Identical meshes of their own buffers share one place: the same bytes, drawn from the same range.
  std::vector<uint8_t> placeBytes;
  uint64_t placeHash = 0;
  if (separate && ShareableMesh(*mesh)) {
    placeBytes = PlaceBytes(*mesh);
    placeHash = HashBytes(placeBytes);
    if (VertexBufferPool* shared = FindSharedPool(placeHash, placeBytes)) {
      mesh->bufferPlace = std::make_unique<DrawBufferInfo>(shared->sharedPlace);
      ++shared->sharers;
      return true;
    }
  }
  uint32_t vertexCount = uint32_t(mesh->vertexCount);
  uint32_t indexCount = uint32_t(mesh->indexCount);
  VertexBufferPool* vertexPool = FindVertexBufferPool(mesh->fvf, mesh->deviceDeclaration, mesh->vertexSize,
                                                      vertexCount, indexCount, separate, mesh->primitiveType);
  if (!vertexPool) {
    mesh->bufferPlace.reset();
    return false;
  }
  IndexBufferPool* indexPool = nullptr;
  if (indexCount) {
    indexPool = FindIndexBufferPool(indexCount, separate);
    if (!indexPool) {
      // A pool made for this mesh alone would stay empty for good.
      if (vertexPool->starts.empty() && UnlinkPool(&vertexPools, &vertexPoolsTail, vertexPool))
        FreeVertexPool(vertexPool);
      return false;
    }
  }

  auto place = std::make_unique<DrawBufferInfo>();
  place->primitiveType = mesh->primitiveType;
  place->vertexBuffer = vertexPool->buffer;
  // Every mesh of a pool has the pool's stride, so the vertex count used is the first free vertex.
  place->firstVertex = vertexPool->verticesUsed;
  SetPlaceCounts(place.get(), mesh);
  place->stride = mesh->vertexSize;
  place->vertexPool = vertexPool;
  place->indexPool = indexPool;
  if (indexPool) {
    place->indexBuffer = indexPool->buffer;
    place->startIndex = indexPool->indicesUsed;
    place->baseVertex = vertexPool->verticesUsed;
    place->firstVertex -= place->baseVertex;
    if (!CopyMeshIndicesToBuffer(mesh, indexPool->buffer, place->startIndex)) {
      // An index naming a vertex the mesh lacks: no place, and no pool left empty for it.
      if (indexPool->starts.empty() && UnlinkPool(&indexPools, &indexPoolsTail, indexPool)) FreeIndexPool(indexPool);
      if (vertexPool->starts.empty() && UnlinkPool(&vertexPools, &vertexPoolsTail, vertexPool))
        FreeVertexPool(vertexPool);
      mesh->bufferPlace.reset();
      return false;
    }
    indexPool->starts.push_back(indexPool->indicesUsed);
    indexPool->indicesUsed += indexCount;
  }
  CopyMeshVerticesToBuffer(mesh, vertexPool->buffer, vertexPool->verticesUsed * mesh->vertexSize);
  vertexPool->starts.push_back(vertexPool->verticesUsed);
  vertexPool->wordsUsed += mesh->vertexSize / 4 * vertexCount;
  vertexPool->verticesUsed += vertexCount;
  if (!placeBytes.empty()) {
    vertexPool->sharedBytes = std::move(placeBytes);
    vertexPool->sharedHash = placeHash;
    vertexPool->sharedPlace = *place;
    sharedPools_.emplace(placeHash, vertexPool);
  }
  mesh->bufferPlace = std::move(place);
  return true;
}

VertexBufferPool* ObjectManager::FindSharedPool(uint64_t hash, const std::vector<uint8_t>& bytes) const {
  auto [first, last] = sharedPools_.equal_range(hash);
  for (auto it = first; it != last; ++it)
    if (it->second->sharedBytes == bytes) return it->second;
  return nullptr;
}

void ObjectManager::ForgetSharedPool(VertexBufferPool* pool) {
  if (pool->sharedBytes.empty()) return;
  auto [first, last] = sharedPools_.equal_range(pool->sharedHash);
  for (auto it = first; it != last; ++it) {
    if (it->second == pool) {
      sharedPools_.erase(it);
      break;
    }
  }
  pool->sharedBytes.clear();
}

bool ObjectManager::AddObjectToBuffers(ObjectRecord* object) {
  if (!object) return false;
  bool all = true;
  bool separate = object->separateBuffers != 0;
  ForEachFrameMesh(object, [&](MeshRecord* mesh) { all = AddMeshToBuffers(mesh, separate) && all; });
  InvalidateDrawList();
  return all;
}

bool ObjectManager::RemoveMeshFromBuffers(MeshRecord* mesh) {
  if (!mesh || !mesh->bufferPlace) return true;
  const VertexBufferPool* vertexPool = mesh->bufferPlace->vertexPool;
  const IndexBufferPool* indexPool = mesh->bufferPlace->indexPool;
  mesh->bufferPlace.reset();
  if (vertexPool && livePools_.count(vertexPool)) {
    auto* pool = const_cast<VertexBufferPool*>(vertexPool);
    if (pool->sharers > 0) {
      --pool->sharers;  // other meshes still draw from it
      return true;
    }
    ForgetSharedPool(pool);
  }
  // The nodes are only compared by address until found in a chain: one already released is not.
  bool freedVertex = false, freedIndex = false;
  if (vertexPool && UnlinkPool(&vertexPools, &vertexPoolsTail, vertexPool)) {
    FreeVertexPool(const_cast<VertexBufferPool*>(vertexPool));
    freedVertex = true;
  }
  if (indexPool && UnlinkPool(&indexPools, &indexPoolsTail, indexPool)) {
    FreeIndexPool(const_cast<IndexBufferPool*>(indexPool));
    freedIndex = true;
  }
  if (freedVertex || freedIndex)
    ReleaseMeshesOfBuffer(freedVertex ? vertexPool : nullptr, freedIndex ? indexPool : nullptr);
  return true;
}

void ObjectManager::RemoveObjectFromBuffers(ObjectRecord* object) {
  if (!object) return;
  ForEachFrameMesh(object, [&](MeshRecord* mesh) { RemoveMeshFromBuffers(mesh); });
}

void ObjectManager::ReleaseMeshesOfBuffer(const VertexBufferPool* vertexPool, const IndexBufferPool* indexPool) {
  if (!vertexPool && !indexPool) return;
  ForEachListedObject([&](ObjectRecord* object) {
    ForEachFrameMesh(object, [&](MeshRecord* mesh) {
      const DrawBufferInfo* place = mesh->bufferPlace.get();
      if (!place || mesh->readdMark) return;
      if ((vertexPool && place->vertexPool == vertexPool) || (indexPool && place->indexPool == indexPool)) {
        mesh->readdMark = 1;
        RemoveMeshFromBuffers(mesh);
      }
    });
  });
}

void ObjectManager::ReaddMarkedMeshes() {
  ForEachListedObject([&](ObjectRecord* object) {
    if (object->refreshBuffers == 1) return;
    bool separate = object->separateBuffers != 0;
    ForEachFrameMesh(object, [&](MeshRecord* mesh) {
      if (mesh->readdMark != 1) return;
      AddMeshToBuffers(mesh, separate);
      mesh->readdMark = 0;
    });
  });
}

void ObjectManager::RefreshObjectBuffers() {
  if (!refreshNeeded) return;
  ForEachListedObject([&](ObjectRecord* object) {
    if (object->refreshBuffers) RemoveObjectFromBuffers(object);
  });
  ReaddMarkedMeshes();
  ForEachListedObject([&](ObjectRecord* object) {
    if (!object->refreshBuffers) return;
    AddObjectToBuffers(object);
    object->refreshBuffers = 0;
  });
  InvalidateDrawList();
  refreshNeeded = 0;
}

void ObjectManager::CheckObjectMeshLayout(ObjectRecord* object) {
  if (!object) return;
  for (MeshRecord* mesh : object->meshList) {
    if (mesh && mesh->layoutChanged) {
      mesh->layoutChanged = 0;
      object->refreshBuffers = 1;
      refreshNeeded = 1;
      return;
    }
  }
}

// Writes the mesh into its place; false (nothing written) when it has no place, when its vertices or
// indices no longer fit the place, or when the lock fails.
bool ObjectManager::CopyMeshToVertexBuffer(MeshRecord* mesh) {
  DrawBufferInfo* place = mesh ? mesh->bufferPlace.get() : nullptr;
  if (!place || !MeshStorageSound(mesh)) return false;
  VertexBufferPool* pool = place->vertexPool;
  if (!pool->sharedBytes.empty()) {
    // Rewritten vertices end the sharing: a place others draw from is left alone and the mesh is
    // placed anew, on its own from now on.
    mesh->placedAlone = 1;
    if (pool->sharers > 0) return false;
    ForgetSharedPool(pool);
  }
  uint32_t start = place->baseVertex + place->firstVertex;
  if (mesh->vertexSize != pool->vertexSize ||
      uint32_t(mesh->vertexCount) > PlaceRoom(pool->starts, pool->verticesUsed, start))
    return false;
  if (mesh->indexCount > 0) {
    IndexBufferPool* indexPool = place->indexPool;
    if (!indexPool || uint32_t(mesh->indexCount) > PlaceRoom(indexPool->starts, indexPool->indicesUsed,
                                                                place->startIndex))
      return false;
  } else if (place->indexPool) {
    return false;  // the mesh lost its indices: it must be placed again
  }
  if (!pool->locked) {
    void* data = nullptr;
    if (gfx::Failed(pool->buffer->Lock(0, 0, &data, 0)) || !data) return false;
    pool->lockedData = static_cast<uint8_t*>(data);
    pool->locked = 1;
  }
  std::memcpy(pool->lockedData + size_t(start) * pool->vertexSize, mesh->vertices.data(),
              size_t(mesh->vertexCount) * mesh->vertexSize);
  SetPlaceCounts(place, mesh);
  if (mesh->indexCount > 0) CopyMeshIndicesToBuffer(mesh, place->indexBuffer, place->startIndex);
  return true;
}

void ObjectManager::UpdateChangedVertexBuffers() {
  struct Misfit {
    ObjectRecord* object;
    MeshRecord* mesh;
  };
  if (!verticesPending) return;
  verticesPending = 0;
  std::vector<Misfit> misfits;
  ForEachListedObject([&](ObjectRecord* object) {
    ForEachFrameMesh(object, [&](MeshRecord* mesh) {
      if (!mesh->verticesChanged) return;
      mesh->verticesChanged = 0;
      // A mesh that outgrew its place (or never had one, like a shadow volume built after placing)
      // is placed anew once the pools are unlocked.
      if (!CopyMeshToVertexBuffer(mesh) && mesh->vertexCount > 0) misfits.push_back({object, mesh});
    });
  });
  UnlockVertexPools();
  if (misfits.empty()) return;
  for (const Misfit& m : misfits) {
    RemoveMeshFromBuffers(m.mesh);
    AddMeshToBuffers(m.mesh, m.object->separateBuffers != 0);
  }
  ReaddMarkedMeshes();
}

void ObjectManager::UnlockVertexPools() {
  for (VertexBufferPool* node = vertexPools; node; node = node->next) {
    if (node->locked != 1) continue;
    node->buffer->Unlock();
    node->locked = 0;
    node->lockedData = nullptr;
  }
}

void MarkMeshVerticesChanged(MeshRecord* mesh) {
  if (!mesh) return;
  mesh->verticesChanged = 1;
  GetObjectManager().verticesPending = 1;
}
