#include "engine/objects/frame_tree.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/d3dx/math_matrix.h"

using namespace platform::d3dx;

namespace {

// The walk of ForEachFrame for the per-frame matrix updates, which must not allocate: pending frames
// wait on a small stack of the caller's, and only a tree with more pending branches than that moves
// them to the heap. Each entry carries a value the visit hands to the entry's child and siblings.
template <class Value, class Visit>
void WalkFrames(FrameRecord* frame, Value value, Visit visit) {
  struct Pending {
    FrameRecord* frame;
    Value value;
  };
  constexpr size_t kOnStack = 64;
  Pending local[kOnStack];
  std::vector<Pending> spill;
  size_t count = 0;
  auto push = [&](FrameRecord* f, Value v) {
    if (count < kOnStack) local[count] = {f, v};
    else if (count - kOnStack < spill.size()) spill[count - kOnStack] = {f, v};
    else spill.push_back({f, v});
    ++count;
  };
  auto pop = [&]() {
    --count;
    return count < kOnStack ? local[count] : spill[count - kOnStack];
  };
  if (frame) push(frame, value);
  while (count > 0) {
    const Pending p = pop();
    const Value childValue = visit(p.frame, p.value);
    if (p.frame->sibling) push(p.frame->sibling.get(), p.value);
    if (p.frame->child) push(p.frame->child.get(), childValue);
  }
}

}  // namespace

void ForEachFrame(FrameRecord* frame, const std::function<void(FrameRecord*)>& visit) {
  std::vector<FrameRecord*> pending;
  if (frame) pending.push_back(frame);
  while (!pending.empty()) {
    FrameRecord* f = pending.back();
    pending.pop_back();
    visit(f);
    if (f->sibling) pending.push_back(f->sibling.get());
    if (f->child) pending.push_back(f->child.get());
  }
}

void CountFrames(FrameRecord* frame, int32_t* counter) {
  ForEachFrame(frame, [&](FrameRecord*) { ++*counter; });
}

void CountMeshFrames(FrameRecord* frame, int32_t* counter) {
  ForEachFrame(frame, [&](FrameRecord* f) {
    if (f->mesh) ++*counter;
  });
}

bool BuildObjectMeshList(ObjectRecord* object) {
  if (!object) return false;
  object->meshList.clear();
  object->frameList.clear();
  ForEachFrame(object->root.get(), [&](FrameRecord* f) {
    f->index = uint32_t(object->frameList.size());
    object->frameList.push_back(f);
    if (f->mesh) object->meshList.push_back(f->mesh.get());
    // Builders and the model reader link children only downwards; the parent links follow here.
    for (FrameRecord* c = f->child.get(); c; c = c->sibling.get()) c->parent = f;
  });
  object->meshList.shrink_to_fit();
  object->noMeshes = object->meshList.empty() ? 1 : 0;
  object->framesChanged = 1;
  return true;
}

bool RefreshObjectFrames(ObjectRecord* object) {
  if (!object || !object->root) return false;
  BuildObjectMeshList(object);
  for (FrameRecord* frame : object->frameList) BuildFrameLocalMatrix(frame);
  CombineFrameMatrices(object->root.get());
  UpdateFrameMatrices(object->root.get(), MatrixIdentity());
  return true;
}

FrameRecord* FindFrameByName(const char* name, FrameRecord* frame) {
  if (!name) return nullptr;
  FrameRecord* found = nullptr;
  ForEachFrame(frame, [&](FrameRecord* f) {
    if (!found && std::strcmp(f->name, name) == 0) found = f;
  });
  return found;
}

bool AllocateBoneLinks(const std::vector<MeshRecord*>& meshes) {
  for (MeshRecord* mesh : meshes) {
    if (!mesh) continue;
    mesh->boneFrames.assign(mesh->bones.size(), nullptr);
    mesh->boneMatrices.assign(mesh->bones.size(), nullptr);
  }
  return true;
}

bool LinkBonesToFrames(const std::vector<MeshRecord*>& meshes, FrameRecord* frame) {
  for (MeshRecord* mesh : meshes)
    if (mesh && (mesh->boneFrames.size() != mesh->bones.size() || mesh->boneMatrices.size() != mesh->bones.size()))
      AllocateBoneLinks({mesh});
  ForEachFrame(frame, [&](FrameRecord* f) {
    for (MeshRecord* mesh : meshes) {
      if (!mesh) continue;
      for (size_t b = 0; b < mesh->bones.size(); ++b) {
        if (std::strcmp(mesh->bones[b].name, f->name) != 0) continue;
        mesh->boneFrames[b] = f;
        mesh->boneMatrices[b] = &f->combinedMatrix;
        break;
      }
    }
  });
  return true;
}

bool PrepareAnimation(ObjectRecord* object) {
  if (!object) return false;
  object->frameCount = 0.0f;
  for (MeshRecord* mesh : object->meshList) {
    const float attached = float(mesh->attachedFrames.size());
    if (attached >= object->frameCount) object->endFrame = object->frameCount = attached;
  }
  AnimationSet* first = object->firstSet.get();
  if (!first || !first->firstTrack) return false;
  if (first->firstTrack->keyMode == 0) {
    // A baked table: one row per frame, the last row ends the range.
    const size_t rows = first->firstTrack->matrixTable.size();
    object->endFrame = object->frameCount = rows > 0 ? float(rows - 1) : 0.0f;
    return true;
  }
  uint32_t longest = 0;
  for (AnimationSet* set = first; set; set = set->next.get()) {
    for (AnimationRecord* track = set->firstTrack.get(); track; track = track->next.get()) {
      PrepareAnimationKeys(track);
      track->drivenFrame = FindFrameByName(track->name, object->root.get());
    }
    longest = std::max(longest, set->length);
  }
  object->endFrame = object->frameCount = float(longest);
  return true;
}

namespace {

template <typename Key>
void SortKeys(std::vector<Key>& keys) {
  std::stable_sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) { return a.frame < b.frame; });
}

void SetSlopes(std::vector<PositionKey>& keys) {
  for (size_t i = 0; i + 1 < keys.size(); ++i) {
    const uint32_t span = keys[i + 1].frame - keys[i].frame;
    const float inv = 1.0f / float(span == 0 ? 1 : span);
    const Vector3& a = keys[i].value;
    const Vector3& b = keys[i + 1].value;
    keys[i].slope = {(b.x - a.x) * inv, (b.y - a.y) * inv, (b.z - a.z) * inv};
  }
}

}  // namespace

void PrepareAnimationKeys(AnimationRecord* track) {
  if (!track) return;
  SortKeys(track->positionKeys);
  SetSlopes(track->positionKeys);
  SortKeys(track->scaleKeys);
  SetSlopes(track->scaleKeys);
  SortKeys(track->rotationKeys);
}

void BuildFrameLocalMatrix(FrameRecord* frame) {
  if (!frame) return;
  Matrix m = MatrixScaling(frame->scale.x, frame->scale.y, frame->scale.z);
  m = MatrixMultiply(m, MatrixRotationDegreesXYZ(frame->rotation.x, frame->rotation.y, frame->rotation.z));
  const Vector3& t = frame->offsetTranslation;
  frame->offsetMatrix = MatrixMultiply(m, MatrixTranslation(t.x, t.y, t.z));
}

void CombineFrameMatrices(FrameRecord* frame) {
  WalkFrames(frame, 0, [](FrameRecord* f, int) {
    f->animatedMatrix = MatrixMultiply(f->offsetMatrix, f->localMatrix);
    f->worldMatrixValid = 0;
    return 0;
  });
}

bool UpdateFrameMatrices(FrameRecord* frame, const Matrix& parent) {
  if (!frame) return false;
  WalkFrames(frame, &parent, [](FrameRecord* f, const Matrix* parentMatrix) {
    f->combinedMatrix = MatrixMultiply(f->animatedMatrix, *parentMatrix);
    return static_cast<const Matrix*>(&f->combinedMatrix);
  });
  return true;
}
