// Animation sets, tracks and keys of an X file. New sets and tracks go to the head of their chains,
// so the model keeps the file's last set (the image carries only the first of the chain) with its
// tracks in reverse file order.
#include <cstring>

#include "engine/formats/x_converter_state.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/xfile/blob_reader.h"

namespace xf = platform::xfile;

namespace {

enum XKeyType : uint32_t { kRotationKeys = 0, kScaleKeys = 1, kPositionKeys = 2, kMatrixKeys = 4 };

// The least a key takes in the blob: its time and its value count.
constexpr size_t kKeyHeaderBytes = 8;

// Reads one key's values: the key says how many it has; a key with fewer than the type needs is
// damaged, and values beyond those are passed over.
bool ReadKeyValues(xf::BlobReader& blob, uint32_t* time, float* values, uint32_t wanted) {
  uint32_t count;
  if (!blob.ReadU32(*time) || !blob.ReadU32(count) || count < wanted) return false;
  return blob.ReadFloats(values, wanted) && blob.Skip(size_t(count - wanted) * 4);
}

void RaiseLength(AnimationSet* set, uint32_t time) {
  if (set && time > set->length) set->length = time;
}

bool ReadXRotationKeys(xf::BlobReader& blob, AnimationRecord* track, AnimationSet* set, uint32_t n) {
  std::vector<RotationKey> keys(n);
  for (RotationKey& key : keys) {
    float wxyz[4];
    if (!ReadKeyValues(blob, &key.frame, wxyz, 4)) return false;
    // The file's quaternion is (w, x, y, z) and turns the other way round.
    key.rotation = {-wxyz[1], -wxyz[2], -wxyz[3], wxyz[0]};
    RaiseLength(set, key.frame);
  }
  track->rotationKeys = std::move(keys);
  return true;
}

// Scale and position keys: time and x, y, z; the slope is left for the animation to prepare.
bool ReadXVectorKeys(xf::BlobReader& blob, std::vector<PositionKey>* out, AnimationSet* set, uint32_t n) {
  std::vector<PositionKey> keys(n, PositionKey{0, {0, 0, 0}, {0, 0, 0}});
  for (PositionKey& key : keys) {
    if (!ReadKeyValues(blob, &key.frame, &key.value.x, 3)) return false;
    RaiseLength(set, key.frame);
  }
  *out = std::move(keys);
  return true;
}

// Matrix keys, each with its change per time unit towards the next key (the last key's stays zero).
bool ReadXMatrixKeys(xf::BlobReader& blob, AnimationRecord* track, AnimationSet* set, uint32_t n) {
  std::vector<MatrixKey> keys(n, MatrixKey{0, {}, {}});
  for (MatrixKey& key : keys) {
    if (!ReadKeyValues(blob, &key.frame, &key.matrix.m[0][0], 16)) return false;
    RaiseLength(set, key.frame);
  }
  for (size_t i = 0; i + 1 < keys.size(); ++i) {
    const uint32_t dt = keys[i + 1].frame - keys[i].frame;  // unsigned, as the times are
    const float scale = 1.0f / float(dt ? dt : 1);
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c)
        keys[i].delta.m[r][c] = (keys[i + 1].matrix.m[r][c] - keys[i].matrix.m[r][c]) * scale;
  }
  track->matrixKeys = std::move(keys);
  return true;
}

}  // namespace

void ReadXAnimationSet(ObjectRecord* object, const std::string& name, AnimationSet** current) {
  auto set = std::make_unique<AnimationSet>();
  CopyRecordName(set->name, name.c_str());
  set->next = std::move(object->firstSet);
  object->firstSet = std::move(set);
  *current = object->firstSet.get();
}

void ReadXAnimation(AnimationSet* set, const std::string& name, AnimationRecord** current) {
  auto track = std::make_unique<AnimationRecord>();
  CopyRecordName(track->name, name.c_str());
  track->next = std::move(set->firstTrack);
  set->firstTrack = std::move(track);
  *current = set->firstTrack.get();
}

bool ReadXAnimationKey(const xf::DataObject& key, AnimationRecord* track, AnimationSet* set) {
  xf::BlobReader blob(key);
  uint32_t type, n;
  if (!blob.ReadU32(type) || !blob.ReadU32(n)) return false;
  if (n > blob.Remaining() / kKeyHeaderBytes) return false;
  switch (type) {
    case kRotationKeys:
      return ChargeXBudget(uint64_t(n) * sizeof(RotationKey)) && ReadXRotationKeys(blob, track, set, n);
    case kScaleKeys:
      return ChargeXBudget(uint64_t(n) * sizeof(ScaleKey)) && ReadXVectorKeys(blob, &track->scaleKeys, set, n);
    case kPositionKeys:
      return ChargeXBudget(uint64_t(n) * sizeof(PositionKey)) &&
             ReadXVectorKeys(blob, &track->positionKeys, set, n);
    case kMatrixKeys:
      return ChargeXBudget(uint64_t(n) * sizeof(MatrixKey)) && ReadXMatrixKeys(blob, track, set, n);
    default:
      return true;  // other key types are not used; the rest of the file still reads
  }
}
