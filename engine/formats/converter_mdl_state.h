// The MDL converter's working state, shared by its model building and its bone animation. One static
// state, so one conversion at a time. Everything the file names (tables, records, animation runs,
// vertex and bone numbers) is checked against the file and the arrays when it is read.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/formats/converter_bytes.h"
#include "engine/objects/records.h"

// Limits of the work arrays; a file beyond the first two fails, a longer first sequence is baked over
// its first kMaxMDLBakeFrames frames.
constexpr int32_t kMaxMDLBones = 128;
constexpr size_t kMaxMDLStrips = 800;
constexpr int32_t kMaxMDLBakeFrames = 200;  // ten steps each
constexpr int32_t kMaxMDLTextures = 256;

struct MDLBone {
  int32_t parent = -1;
  float value[6] = {};  // position x, y, z, rotation x, y, z (radians)
  float scale[6] = {};
  int64_t animation = -1;  // where its six animation offsets lie; -1: the bone is not animated
};

struct MDLTexture {
  std::string name;  // the skin file's name in the temporary folder; empty: no skin is saved
  int32_t width = 0;
  int32_t height = 0;
  int64_t data = 0;  // width x height palette indices, then 256 RGB triples
};

// One strip or fan of the model: 32-byte vertices (position, three zero floats, u, v).
struct MDLWorkRecord {
  std::vector<float> vertices;
  uint32_t primitiveType = 0;  // 5 strip, 6 fan
  int32_t vertexCount = 0;
  int32_t textureNumber = -1;
  std::string textureName;
};

// A bone's pose: three rows of rotation with the translation as each row's fourth element.
struct MDLTransform {
  float m[3][4];
};

// The run entries of a position value around a whole frame: at fraction s past it the value is the
// bone's value plus scale times (1 - s) e1 + s e2 when `interpolate`, else e1; an unanimated value
// is the bone's own.
struct PositionEntries {
  bool animated = false;
  float e1 = 0, e2 = 0;
  bool interpolate = false;
};

// The spherical interpolation from one quaternion to another, with what does not depend on the
// fraction worked out once: the target on the near side, and the angle between the two.
struct MDLSlerp {
  enum Kind : uint8_t { kArc, kLinear, kOpposite };
  float p[4] = {}, q[4] = {};
  Kind kind = kLinear;
  float omega = 0, sine = 0;  // kArc
};

// What a bone's pose needs of one whole frame: the rotations at it and at the next frame (as
// quaternions, and the interpolation between them) and the position entries around it. The bake
// asks for ten times within each frame, so they are decoded once per frame.
struct MDLBoneFrame {
  Quaternion q1;
  bool close = true;  // q1 alone: the two rotations differ by at most 0.001 in every angle
  MDLSlerp slerp;     // from q1 to the next frame's rotation, when not close
  PositionEntries position[3];
};

struct MDLState {
  std::vector<uint8_t> fileBuffer;
  ModelBytes file;
  std::vector<MDLBone> bones;
  std::vector<MDLTexture> textures;
  int32_t sequenceFrames = 0;  // of the first sequence
  std::vector<MDLWorkRecord> work;
  std::vector<uint32_t> vertexBones;  // one per strip vertex, in strip order
  std::vector<MDLTransform> transforms;  // one per bone, the current pose
  std::vector<MDLBoneFrame> frameCache;  // one per bone, of whole frame decodedFrame
  int32_t decodedFrame = -1;             // -1: none
  std::unique_ptr<ObjectRecord> root;
  std::vector<uint8_t> image;
};

MDLState& StateMDL();

// The pose at `time` (frames of the first sequence) into the state's transforms. False when the
// animation runs leave the file.
bool SetupMDLBones(float time);
// The pose as a 4 x 4 matrix: the 3 x 4 rows, then 0, 0, 0, 1.
Matrix MDLBoneMatrix(const MDLTransform& transform);
// The first sequence at ten steps per frame, as the track's matrix table.
bool BakeMDLAnimation(AnimationRecord* track);
