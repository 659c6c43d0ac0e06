// The 3DS converter's working state and the chunk readers that share it. One static state, so one
// conversion at a time. The file is held in memory; every chunk is checked against its parent before
// it is read, and every count against the chunk that holds it.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/formats/converter_bytes.h"
#include "engine/formats/x_text_writer.h"
#include "engine/objects/records.h"
#include "platform/d3dx/math_matrix.h"

// Entries of the keyframer arrays: keyframer nodes, objects and open frames past this are refused.
constexpr int kMax3DSNodes = 5000;

struct KeyframerKey {
  uint16_t frame = 0;  // the low 16 bits of the file's frame number
  float w = 0;         // rotation keys only
  float value[3] = {0, 0, 0};  // position or scale (x, y, z after the axis swap), or quaternion x, y, z
};

struct KeyframerNode {
  int16_t nodeId = -1;
  std::string name;
  std::vector<KeyframerKey> positionKeys;
  std::vector<KeyframerKey> rotationKeys;
  std::vector<KeyframerKey> scaleKeys;
};

// A table of kMax3DSNodes entries that starts every conversion at its start value, reset only as far
// as the previous conversion used it: a file uses a few entries, and clearing all of them for every
// load costs more than reading a small file. Entries are reached by index (the callers check the
// index against kMax3DSNodes); one past the used ones starts at the start value.
template <typename T>
class Lazy3DSTable {
 public:
  explicit Lazy3DSTable(const T& start) : start_(start) {}
  T& operator[](size_t i) {
    if (i >= used_) {
      std::fill(entries_.begin() + used_, entries_.begin() + i + 1, start_);
      used_ = i + 1;
    }
    return entries_[i];
  }
  void Reset() { used_ = 0; }

 private:
  T start_;
  std::vector<T> entries_ = std::vector<T>(kMax3DSNodes);
  size_t used_ = 0;
};

struct Convert3DSState {
  ModelBytes file;
  size_t pos = 0;  // the reading position in the file
  XTextWriter* writer = nullptr;
  bool countingPass = true;
  int32_t nodeCounter = 0;
  Lazy3DSTable<int16_t> parentOf{0};
  Lazy3DSTable<Vector3> pivot{{0, 0, 0}};
  Lazy3DSTable<uint32_t> frameDepth{0};
  uint32_t openFrames = 0;
  Lazy3DSTable<Matrix> matrixStack{platform::d3dx::MatrixIdentity()};
  Matrix worldMatrix;
  Matrix parentMatrix;
  Matrix meshMatrix;
  bool hasMeshMatrix = false;
  std::string nameBuffer;
  float currentColor[3] = {0, 0, 0};
  float currentPercentage = 0;
  // The current mesh.
  std::vector<float> vertices;  // x, z, y per vertex
  std::vector<uint32_t> faces;  // a, c, b per face
  std::vector<float> normals;   // one per face corner
  std::vector<uint32_t> normalIndices;
  std::vector<float> textureCoords;  // u, v per vertex
  std::string materialName;
  // Second pass: keyframer object nodes in file order; null while none is being read.
  std::vector<KeyframerNode> nodes;
  std::unique_ptr<KeyframerNode> node;
  int nesting = 0;  // chunks being read inside each other
  FILE* debug = nullptr;  // where the debug lines go; none unless asked for

  // The conversion's result.
  std::unique_ptr<ObjectRecord> root;
  std::vector<uint8_t> image;
};

// The one state (inline, so the reading primitives below reach it without a call).
inline Convert3DSState& State3DS() {
  static Convert3DSState state;
  return state;
}

// Reading primitives at the reading position (0 past the file's end).
template <typename T>
inline T Read3DSValue(T (ModelBytes::*read)(int64_t) const) {
  Convert3DSState& s = State3DS();
  const T v = (s.file.*read)(int64_t(s.pos));
  s.pos += sizeof(T);
  return v;
}
inline uint8_t Read3DSByte() { return Read3DSValue(&ModelBytes::U8); }
inline uint16_t Read3DSWord() { return Read3DSValue(&ModelBytes::U16); }
inline uint32_t Read3DSDword() { return Read3DSValue(&ModelBytes::U32); }
inline float Read3DSFloat() { return Read3DSValue(&ModelBytes::F32); }
// "Found name : %s": bytes up to a NUL (or the end of `end`), spaces become '_', into the name buffer.
void Read3DSString(size_t end);
void Debug3DS(const char* format, ...) __attribute__((format(printf, 1, 2)));

enum class ChunkRead {
  kDone,        // read; the position is at the chunk's end
  kNotHandled,  // not a chunk this parent knows
  kDoesNotFit,  // its length leaves the parent (or is below a header's size)
  kEndParent,   // read; the parent reads no further children
  kFailed,      // damaged: the conversion fails
};
enum class OtherIds { kSkip, kScan };

// A child chunk whose id was just read, starting at `start` (its id), inside a parent ending at
// `parentEnd`: reads its length and gives its end. False when the length does not fit the parent.
bool Open3DSChunk(size_t start, size_t parentEnd, size_t* end);
// A chunk read only for its place: opened and passed over.
ChunkRead Skip3DSChunk(size_t start, size_t parentEnd);
// Whether `bytes` more bytes lie between the reading position and `end`.
inline bool Fits3DS(uint64_t bytes, size_t end) {
  const size_t pos = State3DS().pos;
  return pos <= end && bytes <= end - pos;
}

// Reads the children from the position up to `end`. `read` handles one child given its id and start
// (its id already read). Ids it does not handle are skipped by their length or scanned over two bytes
// at a time, as `others` says. The position is at `end` afterwards. False when the file is damaged.
template <typename Read>
bool Read3DSChildren(size_t end, OtherIds others, Read read) {
  Convert3DSState& s = State3DS();
  while (s.pos < end) {
    const size_t start = s.pos;
    const uint16_t id = Read3DSWord();
    const ChunkRead result = read(id, start);
    if (result == ChunkRead::kDone) continue;
    if (result == ChunkRead::kEndParent) break;
    if (result == ChunkRead::kFailed) return false;
    if (result == ChunkRead::kNotHandled) {
      if (others == OtherIds::kScan) continue;  // the next id is read from the next two bytes
      size_t childEnd = 0;
      if (!Open3DSChunk(start, end, &childEnd)) return false;
      s.pos = childEnd;
      continue;
    }
    // Scanning meets ids inside other chunks' data; a length that does not fit is such a false find.
    if (others == OtherIds::kSkip) return false;
    break;
  }
  s.pos = end;
  return true;
}

// The main chunk: its children are the editor data (objects, meshes, materials) and the keyframer.
bool Read3DSMainChunk();
// Keyframer (0xB000 below the main chunk), and the object keyframe block below an object.
ChunkRead Read3DSKeyframer(size_t start, size_t parentEnd);
ChunkRead Read3DSObjectKeyframeBlock(size_t start, size_t parentEnd);
// Viewport layout (0x7001), in the editor data and in the keyframer.
ChunkRead Read3DSViewportLayout(size_t start, size_t parentEnd);
// The AnimationSet of the nodes read in the second pass.
void WriteXAnimationSet();
