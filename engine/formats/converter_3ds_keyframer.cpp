// The 3DS keyframer: the first pass takes each object node's parent and pivot (they shape the frame
// hierarchy and place the vertices); the second pass takes the nodes' position, rotation and scale
// tracks, written at the end as one X AnimationSet. Viewport layouts are read for their debug lines.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string>

#include "engine/formats/converter_3ds_state.h"
#include "platform/d3dx/math_quaternion.h"

namespace d3dx = platform::d3dx;

namespace {

enum : uint16_t {
  kChunkViewportLayout = 0x7001,
  kChunkViewportBogus = 0x7011,
  kChunkViewport1 = 0x7012,
  kChunkViewport = 0x7020,
  kChunkObjectNode = 0xB002,
  kChunkFrameRange = 0xB008,
  kChunkNodeHeader = 0xB010,
  kChunkInstanceName = 0xB011,
  kChunkPivot = 0xB013,
  kChunkPositionTrack = 0xB020,
  kChunkRotationTrack = 0xB021,
  kChunkScaleTrack = 0xB022,
  kChunkNodeId = 0xB030,
  kChunkNodeBlock9 = 0xB009,
  kChunkNodeBlockA = 0xB00A,
};

constexpr char kDummyName[] = "$$$DUMMY";
// The object keyframe block may hold itself; deeper nesting than this is damage.
constexpr int kMaxBlockNesting = 32;

Convert3DSState& S() { return State3DS(); }

bool Fits(uint64_t bytes, size_t end) { return Fits3DS(bytes, end); }

// Viewports read in this process; layouts stop being read after the fourth.
int g_viewportCount = 0;

ChunkRead Read3DSViewportData(size_t start, size_t parentEnd) {
  static const char* const kViewNames[] = {"Bogus", "Top", "Bottom", "Left", "Right", "Front", "Back", "User", "Camera"};
  Convert3DSState& s = S();
  size_t end;
  if (!Open3DSChunk(start, parentEnd, &end)) return ChunkRead::kDoesNotFit;
  if (Fits(14, end)) {
    const uint16_t flags = Read3DSWord();
    if (flags == 3) Debug3DS("<Snap> active in viewport");
    if (flags == 5) Debug3DS("<Grid> active in viewport");
    s.pos += 10;
    const uint16_t view = Read3DSWord();
    if (view >= 1 && view <= 8) {
      Debug3DS("Reading [%s] information with id:%d", kViewNames[view], view);
    } else if ((view == 0 || view == 0xFFFF) && Fits(24, end)) {
      s.pos += 24;
      Read3DSString(end);
      if (s.nameBuffer.empty()) Debug3DS(">>>>* No Camera name found");
      Debug3DS("Reading [%s] information with id:%d", kViewNames[8], 8);
    }
  }
  s.pos = end;
  return ChunkRead::kDone;
}

// A track: a header, a key count, then the keys. Position and scale keys hold x, y, z (stored x, z,
// y); a rotation key holds an angle about an axis, and each key after the first adds its rotation to
// the one before.
ChunkRead Read3DSTrack(uint16_t id, size_t start, size_t parentEnd) {
  Convert3DSState& s = S();
  size_t end;
  if (!Open3DSChunk(start, parentEnd, &end)) return ChunkRead::kFailed;
  if (s.countingPass || !s.node) {
    s.pos = end;
    return ChunkRead::kDone;
  }
  if (!Fits(14, end)) return ChunkRead::kFailed;
  s.pos += 10;
  const int16_t count = int16_t(Read3DSWord());
  s.pos += 2;
  const bool rotation = id == kChunkRotationTrack;
  std::vector<KeyframerKey>& keys = rotation ? s.node->rotationKeys
                                    : id == kChunkPositionTrack ? s.node->positionKeys
                                                                : s.node->scaleKeys;
  if (count <= 0) {
    s.pos = end;
    return ChunkRead::kDone;
  }
  if (!Fits(uint64_t(count) * (rotation ? 22 : 18), end)) return ChunkRead::kFailed;
  keys.assign(size_t(count), KeyframerKey{});
  Quaternion previous{};
  for (int16_t i = 0; i < count; ++i) {
    KeyframerKey& key = keys[size_t(i)];
    key.frame = Read3DSWord();
    s.pos += 4;
    if (rotation) {
      const float angle = Read3DSFloat();
      const float x = Read3DSFloat(), y = Read3DSFloat(), z = Read3DSFloat();
      const Quaternion q = d3dx::QuaternionRotationAxis({-x, -z, -y}, angle);
      previous = i == 0 ? q : d3dx::QuaternionMultiply(previous, q);
      key.w = previous.w;
      key.value[0] = previous.x;
      key.value[1] = previous.y;
      key.value[2] = previous.z;
    } else {
      const float x = Read3DSFloat(), y = Read3DSFloat(), z = Read3DSFloat();
      key.value[0] = x;
      key.value[1] = z;
      key.value[2] = y;
    }
  }
  s.pos = end;
  return ChunkRead::kDone;
}

// Node header: name, two flag words, the parent node number. The first pass files the parent and
// counts the node; dummy nodes are not counted.
ChunkRead Read3DSNodeHeader(size_t start, size_t parentEnd) {
  Convert3DSState& s = S();
  size_t end;
  if (!Open3DSChunk(start, parentEnd, &end)) return ChunkRead::kFailed;
  Read3DSString(end);
  if (!s.countingPass && s.node) s.node->name = s.nameBuffer;
  if (s.nameBuffer != kDummyName) {
    if (!Fits(6, end)) return ChunkRead::kFailed;
    Read3DSWord();
    Read3DSWord();
    const int16_t parent = int16_t(Read3DSWord());
    if (s.countingPass) {
      if (s.nodeCounter < 0 || s.nodeCounter + 1 >= kMax3DSNodes) return ChunkRead::kFailed;
      s.parentOf[s.nodeCounter] = parent;
      s.pivot[s.nodeCounter + 1] = {0, 0, 0};
      ++s.nodeCounter;
    }
  }
  s.pos = end;
  return ChunkRead::kDone;
}

ChunkRead Read3DSNodeChild(uint16_t id, size_t start, size_t parentEnd) {
  Convert3DSState& s = S();
  size_t end;
  switch (id) {
    case kChunkNodeHeader:
      return Read3DSNodeHeader(start, parentEnd);
    case kChunkInstanceName: {
      // An instance of another object: its node is dropped.
      if (!Open3DSChunk(start, parentEnd, &end)) return ChunkRead::kFailed;
      const std::string kept = s.nameBuffer;
      Read3DSString(end);
      s.nameBuffer = kept;
      s.node.reset();
      break;
    }
    case kChunkPivot:
      if (!Open3DSChunk(start, parentEnd, &end) || !Fits(12, end)) return ChunkRead::kFailed;
      if (s.countingPass) {
        if (s.nodeCounter < 0 || s.nodeCounter >= kMax3DSNodes) return ChunkRead::kFailed;
        const float x = Read3DSFloat(), y = Read3DSFloat(), z = Read3DSFloat();
        s.pivot[s.nodeCounter] = {x, z, y};
      }
      break;
    case kChunkPositionTrack:
    case kChunkRotationTrack:
    case kChunkScaleTrack:
      return Read3DSTrack(id, start, parentEnd);
    case kChunkNodeId:
      if (!Open3DSChunk(start, parentEnd, &end) || !Fits(2, end)) return ChunkRead::kFailed;
      if (!s.countingPass && s.node) s.node->nodeId = int16_t(Read3DSWord());
      break;
    default:
      return ChunkRead::kNotHandled;
  }
  s.pos = end;
  return ChunkRead::kDone;
}

ChunkRead Read3DSNode(size_t start, size_t parentEnd) {
  Convert3DSState& s = S();
  size_t end;
  if (!Open3DSChunk(start, parentEnd, &end)) return ChunkRead::kFailed;
  if (!s.countingPass) s.node = std::make_unique<KeyframerNode>();
  const bool ok = Read3DSChildren(end, OtherIds::kSkip,
                                  [&](uint16_t id, size_t child) { return Read3DSNodeChild(id, child, end); });
  if (!ok) return ChunkRead::kFailed;
  if (s.node) s.nodes.push_back(std::move(*s.node));
  s.node.reset();
  return ChunkRead::kDone;
}

ChunkRead Read3DSObjectKeyframeBlockAt(size_t start, size_t parentEnd) {
  Convert3DSState& s = S();
  size_t end;
  if (!Open3DSChunk(start, parentEnd, &end)) return ChunkRead::kDoesNotFit;
  if (s.nesting >= kMaxBlockNesting) return ChunkRead::kFailed;
  ++s.nesting;
  const bool ok = Read3DSChildren(end, OtherIds::kScan, [&](uint16_t id, size_t child) {
    switch (id) {
      case kChunkObjectNode:
      case kChunkNodeBlock9:
      case kChunkNodeBlockA:
        return Skip3DSChunk(child, end);
      case kChunkFrameRange:
        return Read3DSObjectKeyframeBlockAt(child, end);
      default:
        return ChunkRead::kNotHandled;
    }
  });
  --s.nesting;
  return ok ? ChunkRead::kDone : ChunkRead::kFailed;
}

void WriteKeys(XTextWriter& w, const char* type, int values, const std::vector<KeyframerKey>& keys) {
  w.AppendLine("AnimationKey {");
  w.AppendLine(type);
  w.AppendLine(std::to_string(keys.size()) + ";");
  for (size_t i = 0; i < keys.size(); ++i) {
    const KeyframerKey& k = keys[i];
    // "frame; count; v1, v2, v3[, v4];;" with every value as "%f" writes it.
    char line[512];
    char* end = std::to_chars(line, line + 16, k.frame).ptr;
    end = std::to_chars(std::copy_n("; ", 2, end), line + 32, values).ptr;
    end = std::copy_n("; ", 2, end);
    const float v[4] = {k.w, k.value[0], k.value[1], k.value[2]};
    for (int j = 4 - values; j < 4; ++j) {
      end = FormatFloatFixed6(v[j], end);
      end = j < 3 ? std::copy_n(", ", 2, end) : std::copy_n(";;", 2, end);
    }
    w.Append(std::string_view(line, size_t(end - line)));
    w.AppendLine(i + 1 < keys.size() ? "," : ";");
  }
  w.AppendLine("}");
}

}  // namespace

ChunkRead Read3DSViewportLayout(size_t start, size_t parentEnd) {
  size_t end;
  if (!Open3DSChunk(start, parentEnd, &end)) return ChunkRead::kDoesNotFit;
  if (g_viewportCount >= 4) {
    S().pos = end;
    return ChunkRead::kDone;
  }
  const bool ok = Read3DSChildren(end, OtherIds::kScan, [&](uint16_t id, size_t child) {
    ChunkRead result;
    if (id == kChunkViewportBogus) {
      Debug3DS(">>>> Found Viewport2 (bogus) chunk id of %0X", id);
      result = Skip3DSChunk(child, end);
    } else if (id == kChunkViewport1 || id == kChunkViewport) {
      Debug3DS(id == kChunkViewport ? ">>>> Found Viewport chunk id of %0X" : ">>>> Found Viewport1 chunk id of %0X",
               id);
      result = Read3DSViewportData(child, end);
    } else {
      return ChunkRead::kNotHandled;
    }
    if (result == ChunkRead::kDone && ++g_viewportCount >= 4) return ChunkRead::kEndParent;
    return result;
  });
  return ok ? ChunkRead::kDone : ChunkRead::kFailed;
}

ChunkRead Read3DSObjectKeyframeBlock(size_t start, size_t parentEnd) {
  return Read3DSObjectKeyframeBlockAt(start, parentEnd);
}

ChunkRead Read3DSKeyframer(size_t start, size_t parentEnd) {
  size_t end;
  if (!Open3DSChunk(start, parentEnd, &end)) return ChunkRead::kDoesNotFit;
  const bool ok = Read3DSChildren(end, OtherIds::kSkip, [&](uint16_t id, size_t child) {
    switch (id) {
      case kChunkViewportLayout: {
        const ChunkRead r = Read3DSViewportLayout(child, end);
        return r == ChunkRead::kDoesNotFit ? ChunkRead::kFailed : r;
      }
      case kChunkObjectNode:
        return Read3DSNode(child, end);
      default:
        return ChunkRead::kNotHandled;  // the frame range (0xB008) among them: read for its place only
    }
  });
  return ok ? ChunkRead::kDone : ChunkRead::kFailed;
}

void WriteXAnimationSet() {
  Convert3DSState& s = S();
  if (s.nodes.empty()) return;
  XTextWriter& w = *s.writer;
  w.AppendLine("AnimationSet x3ds_animset_0 {");
  int number = 0;
  char line[64];
  for (const KeyframerNode& node : s.nodes) {
    if (node.name == kDummyName) continue;
    std::snprintf(line, sizeof line, "Animation x3ds_anim_%d {", number++);
    w.AppendLine(line);
    std::string frameReference = "{";
    frameReference += XTextWriter::XName(node.name);
    frameReference += '}';
    w.AppendLine(frameReference);
    if (!node.rotationKeys.empty()) WriteKeys(w, "0;", 4, node.rotationKeys);
    const bool unitScale = node.scaleKeys.size() == 1 && node.scaleKeys[0].value[0] == 1.0f &&
                           node.scaleKeys[0].value[1] == 1.0f && node.scaleKeys[0].value[2] == 1.0f;
    if (!node.scaleKeys.empty() && !unitScale) WriteKeys(w, "1;", 3, node.scaleKeys);
    if (!node.positionKeys.empty()) WriteKeys(w, "2;", 3, node.positionKeys);
    w.AppendLine("}");
  }
  w.AppendLine("}");
}
