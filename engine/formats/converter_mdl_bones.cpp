// MDL bone animation: each bone's six values (position and rotation) at a time of the first sequence,
// decoded from their run-length lists and interpolated between whole frames, chained from parent to
// child into each bone's pose; and the bake of the whole sequence into a table of bone matrices.
#include <algorithm>
#include <cmath>

#include "engine/formats/converter_mdl_state.h"

namespace {

// The run-length list of one animated value. Entries are 16 bits: a run starts with a header (valid
// count, then total count in bytes), followed by its valid values; frames past the valid ones repeat
// the last valid value.
class AnimationRuns {
 public:
  AnimationRuns(const ModelBytes& file, int64_t start) : file_(file), run_(start) {}

  // Finds the run holding `frame`; false when the list leaves the file or holds a run of no frames,
  // which only a damaged file has (the walk would make no progress through the frames).
  bool Seek(int32_t frame) {
    k_ = frame;
    while (true) {
      if (!file_.Has(run_, 2)) return false;
      valid_ = file_.U8(run_);
      total_ = file_.U8(run_ + 1);
      if (total_ == 0) return false;
      if (total_ > k_) return true;
      k_ -= total_;
      run_ += 2 * (int64_t(valid_) + 1);
    }
  }
  int32_t k() const { return k_; }
  int32_t valid() const { return valid_; }
  int32_t total() const { return total_; }
  // Entry i of the run (0 is its header); false when it lies outside the file.
  bool Entry(int32_t i, float* value) const {
    const int64_t at = run_ + 2 * int64_t(i);
    if (!file_.Has(at, 2)) return false;
    *value = float(file_.I16(at));
    return true;
  }

 private:
  const ModelBytes& file_;
  int64_t run_;
  int32_t k_ = 0, valid_ = 0, total_ = 0;
};

// Rotation value `channel` (3 to 5) at whole frame `frame` and the frame after it.
bool RotationPair(const MDLBone& bone, int channel, int32_t frame, float* a1, float* a2) {
  const MDLState& s = StateMDL();
  const uint16_t offset = bone.animation < 0 ? 0 : s.file.U16(bone.animation + 2 * channel);
  if (offset == 0) {
    *a1 = *a2 = bone.value[channel];
    return true;
  }
  AnimationRuns runs(s.file, bone.animation + offset);
  if (!runs.Seek(frame)) return false;
  const int32_t k = runs.k(), valid = runs.valid(), total = runs.total();
  float g1, g2;
  if (k < valid) {
    if (!runs.Entry(k + 1, &g1)) return false;
    if (k + 1 < valid) {
      if (!runs.Entry(k + 2, &g2)) return false;
    } else if (k + 1 < total) {
      g2 = g1;
    } else if (!runs.Entry(valid + 2, &g2)) {
      return false;
    }
  } else {
    if (!runs.Entry(valid, &g1)) return false;
    if (k + 1 < total) g2 = g1;
    else if (!runs.Entry(valid + 2, &g2)) return false;
  }
  *a1 = bone.value[channel] + g1 * bone.scale[channel];
  *a2 = bone.value[channel] + g2 * bone.scale[channel];
  return true;
}

// The run entries of position value `channel` (0 to 2) around whole frame `frame`.
bool PositionPair(const MDLBone& bone, int channel, int32_t frame, PositionEntries* out) {
  const MDLState& state = StateMDL();
  *out = {};
  const uint16_t offset = bone.animation < 0 ? 0 : state.file.U16(bone.animation + 2 * channel);
  if (offset == 0) return true;
  out->animated = true;
  AnimationRuns runs(state.file, bone.animation + offset);
  if (!runs.Seek(frame)) return false;
  const int32_t k = runs.k(), valid = runs.valid(), total = runs.total();
  if (k < valid) {
    if (!runs.Entry(k + 1, &out->e1)) return false;
    if (k + 1 < valid) {
      if (!runs.Entry(k + 2, &out->e2)) return false;
      out->interpolate = true;
    }
  } else {
    if (!runs.Entry(valid, &out->e1)) return false;
    if (!(k + 1 < total)) {
      if (!runs.Entry(valid + 2, &out->e2)) return false;
      out->interpolate = true;
    }
  }
  return true;
}

// Position value `channel` (0 to 2) at fraction `s` past the whole frame the entries were read for.
float PositionValue(const MDLBone& bone, int channel, const PositionEntries& p, float s) {
  if (!p.animated) return bone.value[channel];
  const float delta = p.interpolate ? (1 - s) * p.e1 + s * p.e2 : p.e1;
  return bone.value[channel] + delta * bone.scale[channel];
}

Quaternion AngleQuaternion(const float angles[3]) {
  const float sr = std::sin(angles[0] * 0.5f), cr = std::cos(angles[0] * 0.5f);
  const float sp = std::sin(angles[1] * 0.5f), cp = std::cos(angles[1] * 0.5f);
  const float sy = std::sin(angles[2] * 0.5f), cy = std::cos(angles[2] * 0.5f);
  return {sr * cp * cy - cr * sp * sy, cr * sp * cy + sr * cp * sy, cr * cp * sy - sr * sp * cy,
          cr * cp * cy + sr * sp * sy};
}

MDLSlerp SlerpFrom(const Quaternion& from, const Quaternion& to) {
  MDLSlerp s;
  const float p[4] = {from.x, from.y, from.z, from.w};
  float q[4] = {to.x, to.y, to.z, to.w};
  float apart = 0, together = 0;
  for (int i = 0; i < 4; ++i) {
    apart += (p[i] - q[i]) * (p[i] - q[i]);
    together += (p[i] + q[i]) * (p[i] + q[i]);
  }
  if (apart > together)
    for (float& c : q) c = -c;
  std::copy_n(p, 4, s.p);
  std::copy_n(q, 4, s.q);
  const float cosine = p[0] * q[0] + p[1] * q[1] + p[2] * q[2] + p[3] * q[3];
  if (1.0f + cosine > 1e-8f) {
    s.kind = MDLSlerp::kLinear;
    if (1.0f - cosine > 1e-8f) {
      s.kind = MDLSlerp::kArc;
      s.omega = std::acos(cosine);
      s.sine = std::sin(s.omega);
    }
  } else {
    s.kind = MDLSlerp::kOpposite;
  }
  return s;
}

Quaternion SlerpAt(const MDLSlerp& s, float t) {
  const float* p = s.p;
  float r[4];
  if (s.kind != MDLSlerp::kOpposite) {
    float kp = 1.0f - t, kq = t;
    if (s.kind == MDLSlerp::kArc) {
      kp = std::sin((1.0f - t) * s.omega) / s.sine;
      kq = std::sin(t * s.omega) / s.sine;
    }
    for (int i = 0; i < 4; ++i) r[i] = kp * p[i] + kq * s.q[i];
  } else {
    const float turned[4] = {-p[1], p[0], -p[3], p[2]};
    const float kp = std::sin((1.0f - t) * 0.5f * 3.14159265358979f), kq = std::sin(t * 0.5f * 3.14159265358979f);
    for (int i = 0; i < 3; ++i) r[i] = kp * p[i] + kq * turned[i];
    r[3] = p[2];
  }
  return {r[0], r[1], r[2], r[3]};
}

MDLTransform TransformOf(const Quaternion& q, const float position[3]) {
  const float x = q.x, y = q.y, z = q.z, w = q.w;
  MDLTransform t;
  t.m[0][0] = 1 - 2 * y * y - 2 * z * z;
  t.m[0][1] = 2 * (x * y - w * z);
  t.m[0][2] = 2 * (x * z + w * y);
  t.m[1][0] = 2 * (x * y + w * z);
  t.m[1][1] = 1 - 2 * x * x - 2 * z * z;
  t.m[1][2] = 2 * (y * z - w * x);
  t.m[2][0] = 2 * (x * z - w * y);
  t.m[2][1] = 2 * (y * z + w * x);
  t.m[2][2] = 1 - 2 * x * x - 2 * y * y;
  for (int r = 0; r < 3; ++r) t.m[r][3] = position[r];
  return t;
}

// parent x child, with the parent's translation added.
MDLTransform Concatenate(const MDLTransform& parent, const MDLTransform& child) {
  MDLTransform out;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 4; ++c)
      out.m[r][c] = parent.m[r][0] * child.m[0][c] + parent.m[r][1] * child.m[1][c] + parent.m[r][2] * child.m[2][c];
    out.m[r][3] += parent.m[r][3];
  }
  return out;
}

// Every bone's rotations and position entries at whole frame `frame`.
bool DecodeMDLFrame(int32_t frame, std::vector<MDLBoneFrame>* decoded) {
  const MDLState& s = StateMDL();
  decoded->resize(s.bones.size());
  for (size_t b = 0; b < s.bones.size(); ++b) {
    const MDLBone& bone = s.bones[b];
    MDLBoneFrame& d = (*decoded)[b];
    float a1[3], a2[3];
    d.close = true;
    for (int i = 0; i < 3; ++i) {
      if (!RotationPair(bone, 3 + i, frame, &a1[i], &a2[i])) return false;
      d.close = d.close && std::fabs(a1[i] - a2[i]) <= 0.001f;
    }
    d.q1 = AngleQuaternion(a1);
    if (!d.close) d.slerp = SlerpFrom(d.q1, AngleQuaternion(a2));
    for (int i = 0; i < 3; ++i)
      if (!PositionPair(bone, i, frame, &d.position[i])) return false;
  }
  return true;
}

// The whole frame of `time` decoded into the cache, unless it is there already.
bool DecodeMDLFrameOf(float time) {
  MDLState& s = StateMDL();
  const int32_t frame = int32_t(time);
  if (frame != s.decodedFrame) {
    s.decodedFrame = -1;
    if (!DecodeMDLFrame(frame, &s.frameCache)) return false;
    s.decodedFrame = frame;
  }
  return true;
}

}  // namespace

bool SetupMDLBones(float time) {
  MDLState& s = StateMDL();
  if (!DecodeMDLFrameOf(time)) return false;
  const float fraction = time - float(int32_t(time));
  s.transforms.resize(s.bones.size());
  for (size_t b = 0; b < s.bones.size(); ++b) {
    const MDLBone& bone = s.bones[b];
    const MDLBoneFrame& d = s.frameCache[b];
    const Quaternion q = d.close ? d.q1 : SlerpAt(d.slerp, fraction);
    float position[3];
    for (int i = 0; i < 3; ++i) position[i] = PositionValue(bone, i, d.position[i], fraction);
    const MDLTransform local = TransformOf(q, position);
    // Parents come before their children (checked when the bones were read).
    s.transforms[b] = bone.parent < 0 ? local : Concatenate(s.transforms[size_t(bone.parent)], local);
  }
  return true;
}

Matrix MDLBoneMatrix(const MDLTransform& t) {
  Matrix m;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 4; ++c) m.m[r][c] = t.m[r][c];
  m.m[3][0] = m.m[3][1] = m.m[3][2] = 0.0f;
  m.m[3][3] = 1.0f;
  return m;
}

bool BakeMDLAnimation(AnimationRecord* track) {
  MDLState& s = StateMDL();
  const int32_t frames = std::min(std::max(s.sequenceFrames, 0), kMaxMDLBakeFrames);
  const int32_t steps = frames * 10;
  const int32_t rows = std::max(steps - 10, 0);  // the steps of the last frame are not kept
  track->matrixTable.assign(size_t(rows), {});
  float time = 0.0f;
  for (int32_t i = 0; i < steps; ++i) {
    if (i < rows) {
      if (!SetupMDLBones(time)) return false;
      std::vector<Matrix>& row = track->matrixTable[size_t(i)];
      row.reserve(s.transforms.size());
      for (const MDLTransform& t : s.transforms) row.push_back(MDLBoneMatrix(t));
    } else if (!DecodeMDLFrameOf(time)) {
      return false;  // the last frame is not kept, but a damaged one still fails the bake
    }
    time += 0.1f;
  }
  track->tableColumns = uint32_t(s.bones.size());
  return true;
}
