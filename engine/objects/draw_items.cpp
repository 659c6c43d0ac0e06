// The opaque pass's dense array: gathered from the records in one walk, then drawn item by item. An
// object of an item draws exactly as DrawObject would draw it (same matrix, same states, same calls in
// the same order, but for DrawObject's setting of the object's own world matrix, which the frame's
// replaces before any draw); every other object is handed to DrawObject at its place in the pass.
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

// The fields of an effect's mesh its draw reads (the state comparison was made when gathering).
void PrefetchEffectMesh(const MeshRecord* mesh) {
  __builtin_prefetch(&mesh->fvf);
  __builtin_prefetch(&mesh->primitiveType);
  __builtin_prefetch(&mesh->hasEffect);
  __builtin_prefetch(&mesh->vertexShader);
  __builtin_prefetch(&mesh->effect);
  __builtin_prefetch(&mesh->stages);
  __builtin_prefetch(&mesh->bounds.shadowRebuild);
}

}  // namespace

// The mesh of an object drawn from its item, or null. Refreshes the object's matrix and its frame's
// world matrix as DrawObject does first; a glued object refreshes its target too, so it is left to
// DrawObject.
MeshRecord* ObjectManager::ItemMesh(ObjectRecord* object, uint32_t stencilMode) const {
  const PositionBlock& p = object->placement;
  if (object->instanceSource || object->neverCulled || p.glueTarget != 0 || p.glued) return nullptr;
  RefreshObjectMatrix(object);
  if (!object->visible || !object->areaVisible || object->noMeshes == 1) return nullptr;
  if (shadowsOn && object->castsShadow && stencilMode == 1) return nullptr;
  if (object->frameList.size() != 1 || !object->workBlock.empty()) return nullptr;
  FrameRecord* frame = object->frameList[0];
  MeshRecord* mesh = frame ? frame->mesh.get() : nullptr;
  if (!mesh || !mesh->bufferPlace || mesh->ownTransform) return nullptr;
  if (!mesh->effect && (mesh->fvf == 0 || !RepeatableState(*mesh))) return nullptr;
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
    item.mesh = plainItems ? ItemMesh(object, stencilMode) : nullptr;
    if (item.mesh) {
      item.world = object->frameList[0]->worldMatrix;
      item.place = *item.mesh->bufferPlace;
      item.fvf = item.mesh->fvf;
      item.effect = item.mesh->effect != nullptr;
      item.repeatsPreviousState = previous && RepeatsStateOf(*item.mesh, *previous);
    }
    previous = item.mesh;
  }
  lateListReady = plainItems;
}

// The draw calls between two items push the next items out of the cache: the item four ahead is
// fetched, and the device buffers of the one two ahead (the device reads them when they are set); the
// mesh of an effect's item one ahead.
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
  if (i + 1 < drawItemCount && drawItems[i + 1].effect) PrefetchEffectMesh(drawItems[i + 1].mesh);
}

// Whether the item's mesh repeats the states in force: from the gathering's comparison with the
// item before it when that item's mesh was the last drawn, else compared now.
bool ObjectManager::ItemRepeatsState(const DrawItem& item, const MeshRecord* previousMesh) const {
  if (!previousMesh) return RepeatsLastState(item.mesh);
  return repeatStates && !textureFactorAlpha && lastStateMesh == previousMesh && item.repeatsPreviousState;
}

// DrawObject and DrawMesh for a plain object, from its item: the frame's world matrix, the mesh's
// states unless they repeat the last mesh's, its streams, texture and draw calls.
bool ObjectManager::DrawPlainItem(const DrawItem& item, const MeshRecord* previousMesh) {
  gfx::Device* device = RendererDevice();
  MeshRecord* mesh = item.mesh;
  if (gfx::Failed(device->SetTransform(gfx::TS_WORLD, &item.world))) return false;
  const bool repeated = ItemRepeatsState(item, previousMesh);
  if (!repeated && !SetMeshRenderStates(mesh)) return false;
  if (!SetStreamsCached(item.place) || !SetVertexFormatCached(nullptr, item.fvf, nullptr)) return false;
  if (!repeated && !SetMeshStagesAndTextures(mesh)) return false;
  DrawPlacePrimitives(item.place);
  lastStateMesh = textureFactorAlpha ? nullptr : mesh;  // a plain mesh's states are repeatable
  return true;
}

// DrawObject for an object whose one mesh an effect draws, from its item: the frame's world matrix,
// then the mesh's own draw.
bool ObjectManager::DrawEffectItem(const DrawItem& item, const MeshRecord* previousMesh) {
  if (gfx::Failed(RendererDevice()->SetTransform(gfx::TS_WORLD, &item.world))) return false;
  return DrawMeshAt(item.mesh, item.place, ItemRepeatsState(item, previousMesh));
}
