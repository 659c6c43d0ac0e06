// Per-frame preparation: buffers refreshed, animations stepped, the draw list (objects grouped by
// their first texture) culled against the view frustum into the visible list, frame matrices and
// changed vertices brought up to date.
#include <algorithm>
#include <numeric>

#include "engine/objects/animation.h"
#include "engine/objects/collision.h"
#include "engine/objects/frame_tree.h"
#include "engine/objects/frustum.h"
#include "engine/objects/object_manager.h"
#include "engine/objects/object_matrix.h"
#include "engine/objects/render_objects.h"
#include "engine/objects/vertex_animation.h"
#include "platform/d3dx/math_matrix.h"

namespace {

// The object that lends its meshes, radius and frames.
ObjectRecord* SourceOf(ObjectRecord* object) {
  return object->instanceSource ? object->instanceSource : object;
}

// Image number of the first mesh's first stage; false when there is no such stage.
bool FirstTexture(ObjectRecord* object, int32_t* image) {
  ObjectRecord* source = SourceOf(object);
  if (source->meshList.empty() || !source->meshList[0] || source->meshList[0]->stages.empty()) return false;
  *image = source->meshList[0]->stages[0].image;
  return true;
}

// Frames that need no walk: no animation to apply and nothing changed since they were combined.
bool FramesStill(const ObjectRecord* object) {
  return !object->framesChanged && !object->firstSet && !object->playing && !object->blending &&
         !object->animationChanged;
}

// A glued object whose target is gone is let go.
void DropLostGlue(ObjectRecord* object) {
  PositionBlock& p = object->placement;
  if (FindObjectRecord(int32_t(p.glueTarget))) return;
  p.glued = 0;
  p.glueTarget = 0;
  p.glueFrame = 0;
  MarkObjectPlaced(object);
}

}  // namespace

bool ObjectManager::PrepareObjectsForFrame() {
  if (!RendererDevice()) return false;
  lateListReady = 0;
  ResetStateCache();
  RefreshObjectBuffers();
  StepObjectAnimations();
  if (!BuildFrustumPlanes()) return false;
  if (!BuildDrawList() || !CullDrawList()) return false;
  UpdateAllFrameMatrices();
  UpdateChangedVertexBuffers();
  return true;
}

bool ObjectManager::BuildDrawList() {
  const std::vector<int32_t>& used = GetObjectTable().usedIds;
  uint32_t count = uint32_t(used.size());
  if (count == countAtLastBuild && !drawListInvalid) return true;
  countAtLastBuild = count;
  drawListInvalid = 0;
  if (capacity == 0 && count > 0) return false;
  listedCount = 0;
  visibleCount = 0;
  std::fill(sortKeys.begin(), sortKeys.end(), 0);
  std::fill(listedFlags.begin(), listedFlags.end(), 0);
  std::fill(drawList.begin(), drawList.end(), nullptr);
  std::fill(visibleList.begin(), visibleList.end(), nullptr);

  // Objects grouped by first texture, lowest image number first, in used-list order within one
  // image; objects without a first stage are not drawn.
  std::vector<std::pair<int32_t, ObjectRecord*>>& entries = sortEntries_;
  entries.clear();
  entries.reserve(count);
  for (uint32_t i = 0; i < count && i < capacity; ++i) {
    ObjectRecord* object = FindObjectRecord(used[i]);
    int32_t key = 0;
    if (object && FirstTexture(object, &key)) {
      entries.push_back({key, object});
      listedFlags[i] = 1;
    }
    sortKeys[i] = key;
  }
  std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::sort(sortKeys.begin(), sortKeys.begin() + std::min(count, capacity));
  for (const auto& e : entries) drawList[listedCount++] = e.second;
  return true;
}

bool ObjectManager::CullDrawList() {
  visibleCount = 0;
  constexpr uint32_t kAhead = 8;  // records fetched into the cache ahead of the walk
  for (uint32_t i = 0; i < listedCount; ++i) {
    if (i + kAhead < listedCount && drawList[i + kAhead]) {
      const ObjectRecord* ahead = drawList[i + kAhead];
      __builtin_prefetch(&ahead->excluded);
      __builtin_prefetch(&ahead->placement.position);
      __builtin_prefetch(&ahead->bounds);
    }
    ObjectRecord* object = drawList[i];
    if (!object) return false;
    if (object->excluded) continue;
    if (object->screenLocked2) {
      if (object->placement.glued) DropLostGlue(object);
    } else if (object->placement.glued) {
      DropLostGlue(object);
    } else {
      float radius = SourceOf(object)->bounds.cullRadius;
      if (radius != 0.0f) {
        UpdateObjectWorldCentre(object);
        const Vector3& p = object->placement.position;
        const Vector3& c = object->bounds.worldCentre;
        if (!SphereInFrustum(p.x + c.x, p.y + c.y, p.z + c.z, radius) && object->neverCulled != 1) continue;
      }
    }
    visibleList[visibleCount++] = object;
  }
  return true;
}

void ObjectManager::UpdateAllFrameMatrices() {
  const Matrix identity = platform::d3dx::MatrixIdentity();
  for (uint32_t i = 0; i < visibleCount; ++i) {
    ObjectRecord* object = visibleList[i];
    ObjectRecord* source = SourceOf(object);
    if (!FramesStill(source)) {
      AnimateObjectFrame(source, source->frame);
      if (source->root) UpdateFrameMatrices(source->root.get(), identity);
      source->framesChanged = 0;
    }
    if (object->instanceSource)
      UpdateObjectFrames(object->instanceSource);
    else if (object->visible && object->areaVisible)
      UpdateObjectFrames(object);
  }
}
