// The opaque pass's dense array: gathered from the records in one walk, then drawn item by item. A
// plain object draws exactly as DrawObject would draw it (same matrix, same states, same calls in
// the same order); every other object is handed to DrawObject at its place in the pass.
#include "engine/objects/object_manager.h"
#include "engine/objects/object_matrix.h"
#include "engine/objects/render_objects.h"
#include "engine/objects/render_state_key.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;

namespace {

// How far ahead of the walk the object records are fetched into the cache.
constexpr uint32_t kPrefetchAhead = 8;

void PrefetchObject(const ObjectRecord* object) {
  __builtin_prefetch(&object->sortFlag);
  __builtin_prefetch(&object->frameList);
  __builtin_prefetch(&object->placement.worldMatrix);
  __builtin_prefetch(&object->placement.glueTarget);
  __builtin_prefetch(&object->transparent);
}

// The first 192 bytes of a device object (its size, format and buffer fields).
void PrefetchObjectLines(const void* object) {
  if (!object) return;
  for (int offset = 0; offset < 192; offset += 64) __builtin_prefetch(static_cast<const char*>(object) + offset);
}

}  // namespace

// The mesh of a plain object, or null. Refreshes the object's matrix and its frame's world matrix as
// DrawObject does first; a glued object refreshes its target too, so it is left to DrawObject.
MeshRecord* ObjectManager::PlainMesh(ObjectRecord* object, uint32_t stencilMode) const {
  const PositionBlock& p = object->placement;
  if (object->instanceSource || object->neverCulled || p.glueTarget != 0 || p.glued) return nullptr;
  RefreshObjectMatrix(object);
  if (!object->visible || !object->areaVisible || object->noMeshes == 1) return nullptr;
  if (shadowsOn && object->castsShadow && stencilMode == 1) return nullptr;
  if (object->frameList.size() != 1 || !object->workBlock.empty()) return nullptr;
  FrameRecord* frame = object->frameList[0];
  MeshRecord* mesh = frame ? frame->mesh.get() : nullptr;
  if (!mesh || !mesh->bufferPlace || mesh->ownTransform || mesh->fvf == 0 || !RepeatableState(*mesh))
    return nullptr;
  if (!frame->worldMatrixValid) UpdateFrameWorldMatrix(object, frame, mesh);
  return mesh;
}

void ObjectManager::GatherDrawItems(uint32_t stencilMode) {
  if (drawItems.size() < visibleCount) drawItems.resize(visibleCount);
  drawItemCount = 0;
  lateList.clear();
  const MeshRecord* previous = nullptr;
  for (uint32_t i = 0; i < visibleCount; ++i) {
    if (i + kPrefetchAhead < visibleCount) PrefetchObject(visibleList[i + kPrefetchAhead]);
    ObjectRecord* object = visibleList[i];
    if (object->screenLocked || object->screenLocked2 || object->transparent || object->sortedTransparent)
      lateList.push_back(object);
    if (object->sortFlag || object->reflects || object->excludedFromMainPass) continue;
    DrawItem& item = drawItems[drawItemCount++];
    item.object = object;
    item.mesh = plainItems ? PlainMesh(object, stencilMode) : nullptr;
    if (item.mesh) {
      item.world = object->frameList[0]->worldMatrix;
      item.place = *item.mesh->bufferPlace;
      item.fvf = item.mesh->fvf;
      item.repeatsPreviousState = previous && SameDrawState(*item.mesh, *previous);
    }
    previous = item.mesh;
  }
  lateListReady = plainItems;
}

// The draw calls between two items push the next items out of the cache: the item four ahead is
// fetched, and the device buffers of the one two ahead (the device reads them when they are set).
void ObjectManager::PrefetchDrawItems(uint32_t i) const {
  if (i + 4 < drawItemCount) {
    const char* item = reinterpret_cast<const char*>(&drawItems[i + 4]);
    for (size_t offset = 0; offset < sizeof(DrawItem); offset += 64) __builtin_prefetch(item + offset);
  }
  if (i + 2 < drawItemCount) {
    const DrawBufferInfo& place = drawItems[i + 2].place;
    PrefetchObjectLines(place.vertexBuffer);
    PrefetchObjectLines(place.indexBuffer);
  }
}

// DrawObject and DrawMesh for a plain object, from its item: the frame's world matrix, the mesh's
// states unless they repeat the last mesh's, its streams, texture and draw calls.
bool ObjectManager::DrawPlainItem(const DrawItem& item, const MeshRecord* previousMesh) {
  gfx::Device* device = RendererDevice();
  MeshRecord* mesh = item.mesh;
  if (gfx::Failed(device->SetTransform(gfx::TS_WORLD, &item.world))) return false;
  const bool repeated = previousMesh ? repeatStates && !textureFactorAlpha && lastStateMesh == previousMesh &&
                                           item.repeatsPreviousState
                                     : RepeatsLastState(mesh);
  if (!repeated && !SetMeshRenderStates(mesh)) return false;
  if (!SetStreamsCached(item.place) || !SetVertexFormatCached(nullptr, item.fvf, nullptr)) return false;
  if (!repeated && !SetMeshStagesAndTextures(mesh)) return false;
  DrawPlacePrimitives(item.place);
  lastStateMesh = textureFactorAlpha ? nullptr : mesh;  // a plain mesh's states are repeatable
  return true;
}
