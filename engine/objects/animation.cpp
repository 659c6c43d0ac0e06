#include "engine/objects/animation.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "engine/objects/frame_tree.h"
#include "engine/objects/record_links.h"
#include "engine/objects/vertex_animation.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/d3dx/math_quaternion.h"
#include "platform/d3dx/math_vector.h"

using namespace platform::d3dx;

namespace {

// Index of the last key whose frame is at or below the time, 0 when every key is later. The caller
// makes sure there is at least one key.
template <typename Key>
size_t FindKey(const std::vector<Key>& keys, float time) {
  const auto after =
      std::upper_bound(keys.begin(), keys.end(), time, [](float t, const Key& key) { return t < float(key.frame); });
  return after == keys.begin() ? 0 : size_t(after - keys.begin()) - 1;
}

// Where the time lies between key i and the next one (0 when the two keys share a frame).
template <typename Key>
float KeyFraction(const std::vector<Key>& keys, size_t i, float time) {
  const float span = float(keys[i + 1].frame) - float(keys[i].frame);
  return span != 0.0f ? (time - float(keys[i].frame)) / span : 0.0f;
}

void InterpolateLinearKeys(Vector3* out, const std::vector<PositionKey>& keys, const Vector3& none, float time) {
  if (keys.empty()) {
    *out = none;
    return;
  }
  const size_t i = FindKey(keys, time);
  const PositionKey& key = keys[i];
  if (i + 1 == keys.size()) {
    *out = key.value;
    return;
  }
  *out = Vec3Add(key.value, Vec3Scale(key.slope, time - float(key.frame)));
}

const std::vector<MatrixKey>& MatrixKeysOf(const AnimationRecord* track) {
  return track->matrixKeySource ? track->matrixKeySource->matrixKeys : track->matrixKeys;
}

Matrix MixMatrices(const Matrix& a, const Matrix& b, float factor) {
  Matrix out;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) out.m[r][c] = a.m[r][c] + (b.m[r][c] - a.m[r][c]) * factor;
  return out;
}

// Component-wise mix of two rotations. Taken along the shorter arc and brought back to unit length,
// so that a mix of q and -q (one rotation) or of far-apart keys stays a rotation instead of shrinking
// the frame.
Quaternion MixRotations(const Quaternion& a, Quaternion b, float factor) {
  if (QuaternionDot(a, b) < 0.0f) b = {-b.x, -b.y, -b.z, -b.w};
  const Quaternion mixed{a.x + (b.x - a.x) * factor, a.y + (b.y - a.y) * factor, a.z + (b.z - a.z) * factor,
                         a.w + (b.w - a.w) * factor};
  return QuaternionLength(mixed) > 0.0f ? QuaternionNormalize(mixed) : QuaternionIdentity();
}

// The channel values of a track at one time.
struct TrackPose {
  Vector3 scale{1, 1, 1};
  Quaternion rotation{0, 0, 0, 1};
  Vector3 translation{0, 0, 0};
  Matrix matrix{};
};

TrackPose PoseAt(AnimationRecord* track, float time, bool linearOnly) {
  TrackPose pose;
  InterpolateScaleKeys(&pose.scale, track, time);
  InterpolateRotationKeys(&pose.rotation, track, time);
  if (linearOnly || track->linear == 1) InterpolatePositionKeys(&pose.translation, track, time);
  else InterpolatePositionSpline(&pose.translation, track, time);
  InterpolateMatrixKeys(&pose.matrix, track, time);
  return pose;
}

// animated := offset x scale x rotation x translation, then the matrix key in front; each channel
// only when the track has keys of its kind.
void ApplyPose(AnimationRecord* track, const TrackPose& pose) {
  FrameRecord* frame = track->drivenFrame;
  Matrix animated = frame->offsetMatrix;
  frame->worldMatrixValid = 0;
  if (!track->scaleKeys.empty())
    animated = MatrixMultiply(animated, MatrixScaling(pose.scale.x, pose.scale.y, pose.scale.z));
  if (!track->rotationKeys.empty()) animated = MatrixMultiply(animated, MatrixRotationQuaternion(pose.rotation));
  if (!track->positionKeys.empty())
    animated = MatrixMultiply(animated,
                              MatrixTranslation(pose.translation.x, pose.translation.y, pose.translation.z));
  if (!MatrixKeysOf(track).empty()) animated = MatrixMultiply(pose.matrix, animated);
  frame->animatedMatrix = animated;
}

// The per-frame bounds entry for the object's frame: truncated, and kept inside the arrays.
size_t BoundsEntry(const AnimationSet& set, float frame) {
  const size_t entries = std::min({set.frameBoxMin.size(), set.frameBoxMax.size(), set.frameCentre.size(),
                                   set.frameRadius.size()});
  if (!(frame > 0.0f)) return 0;  // negative or not a number
  return std::min(size_t(std::min(frame, float(entries - 1))), entries - 1);
}

bool HasFrameBounds(const AnimationSet& set) {
  return !set.frameBoxMin.empty() && !set.frameBoxMax.empty() && !set.frameCentre.empty() &&
         !set.frameRadius.empty();
}

}  // namespace

void StepObjectAnimation(ObjectRecord* object) {
  if (!object) return;
  if (object->playing) {
    object->frame += object->speed;
    if (object->frame >= object->endFrame) {
      if (object->looping) object->frame = object->startFrame;
      else object->playing = 0;
    }
  } else if (object->blending) {
    object->blendFactor += object->blendSpeed;
    if (object->blendFactor >= 1.0f) {
      object->blending = 0;
      object->frame = object->blendTargetFrame;
    }
  }
  const AnimationSet* set = object->firstSet.get();
  if (!set || object->bounds.axisAlignedBoxTest != 0 || !HasFrameBounds(*set)) return;
  const size_t i = BoundsEntry(*set, object->frame);
  MeshRecord* firstMesh = object->meshList.empty() ? nullptr : object->meshList[0];
  for (BoundsBlock* bounds : {&object->bounds, firstMesh ? &firstMesh->bounds : nullptr}) {
    if (!bounds) continue;
    bounds->boxMin = set->frameBoxMin[i];
    bounds->boxMax = set->frameBoxMax[i];
    bounds->centre = set->frameCentre[i];
    bounds->radius = set->frameRadius[i];
  }
}

bool AnimateObjectFrame(ObjectRecord* object, float frame) {
  if (!object) return false;
  CombineFrameMatrices(object->root.get());
  AnimationSet* set = object->firstSet.get();
  if (!set) return true;
  for (AnimationRecord* track = set->firstTrack.get(); track; track = track->next.get()) {
    if (object->blending)
      ApplyAnimationRecordsBlended(track, object->blendStartFrame, object->blendTargetFrame, object->blendFactor);
    else
      ApplyAnimationRecords(track, frame);
  }
  return true;
}

Matrix MatrixFromFloats(const float* values) {
  Matrix m;
  std::memcpy(m.m, values, sizeof(m.m));
  return m;
}

void InterpolatePositionKeys(Vector3* out, const AnimationRecord* track, float time) {
  InterpolateLinearKeys(out, track->positionKeys, Vector3{0, 0, 0}, time);
}

void InterpolateScaleKeys(Vector3* out, const AnimationRecord* track, float time) {
  InterpolateLinearKeys(out, track->scaleKeys, Vector3{1, 1, 1}, time);
}

void InterpolatePositionSpline(Vector3* out, const AnimationRecord* track, float time) {
  const std::vector<PositionKey>& keys = track->positionKeys;
  if (keys.empty()) {
    *out = {0, 0, 0};
    return;
  }
  const size_t i = FindKey(keys, time);
  const size_t last = keys.size() - 1;
  // At or after the last key there is nothing to run towards: hold it, as the linear keys do.
  if (i == last) {
    *out = keys[last].value;
    return;
  }
  const auto at = [&](ptrdiff_t k) { return keys[size_t(std::clamp<ptrdiff_t>(k, 0, ptrdiff_t(last)))].value; };
  const ptrdiff_t k = ptrdiff_t(i);
  *out = Vec3CatmullRom(at(k - 1), at(k), at(k + 1), at(k + 2), KeyFraction(keys, i, time));
}

void InterpolateRotationKeys(Quaternion* out, const AnimationRecord* track, float time) {
  const std::vector<RotationKey>& keys = track->rotationKeys;
  if (keys.empty()) {
    *out = QuaternionIdentity();
    return;
  }
  const size_t i = FindKey(keys, time);
  if (i + 1 == keys.size()) {
    *out = keys[i].rotation;
    return;
  }
  *out = QuaternionSlerp(keys[i].rotation, keys[i + 1].rotation, KeyFraction(keys, i, time));
}

void InterpolateMatrixKeys(Matrix* out, AnimationRecord* track, float time) {
  const std::vector<MatrixKey>& keys = MatrixKeysOf(track);
  if (keys.empty()) {
    *out = MatrixIdentity();
    return;
  }
  // The cursor may come from another key list (or a file): start inside this one.
  size_t k = std::min<size_t>(track->matrixKeyCursor, keys.size() - 1);
  while (k + 1 < keys.size() && float(keys[k + 1].frame) <= time) ++k;
  while (k > 0 && float(keys[k].frame) > time) --k;
  track->matrixKeyCursor = uint32_t(k);
  const MatrixKey& key = keys[k];
  if (k + 1 == keys.size()) {
    *out = key.matrix;
    return;
  }
  const float dt = time - float(key.frame);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) out->m[r][c] = key.matrix.m[r][c] + dt * key.delta.m[r][c];
}

void ApplyAnimationRecords(AnimationRecord* track, float time) {
  if (!track || !track->drivenFrame) return;
  ApplyPose(track, PoseAt(track, time, false));
}

void ApplyAnimationRecordsBlended(AnimationRecord* track, float timeA, float timeB, float factor) {
  if (!track || !track->drivenFrame) return;
  const TrackPose a = PoseAt(track, timeA, true);
  const TrackPose b = PoseAt(track, timeB, true);
  TrackPose mixed;
  mixed.scale = Vec3Lerp(a.scale, b.scale, factor);
  mixed.rotation = MixRotations(a.rotation, b.rotation, factor);
  mixed.translation = Vec3Lerp(a.translation, b.translation, factor);
  mixed.matrix = MixMatrices(a.matrix, b.matrix, factor);
  ApplyPose(track, mixed);
}

void InstallAnimationRecordLinks() {
  GetRecordLinks().animateObjectFrame = AnimateObjectFrame;
  GetRecordLinks().updateObjectAnimation = UpdateObjectAnimation;
}
