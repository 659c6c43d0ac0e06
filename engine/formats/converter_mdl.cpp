// MDL studio models: the header's tables are checked against the file and read, the first body
// part's first model is cut into one work record per strip or fan, and the record tree is a chain of
// frames with one mesh each, posed at time 0 of the first sequence, whose track carries the baked
// sequence. The skins are written last, once the model has been built, so a file that fails leaves
// none behind.
#include "engine/formats/converter_mdl.h"

#include <algorithm>

#include "engine/formats/converter_entry.h"
#include "engine/formats/converter_mdl_state.h"
#include "engine/formats/kvo_format.h"
#include "engine/formats/model_converters.h"
#include "engine/formats/temp_folder.h"
#include "engine/objects/frame_tree.h"
#include "engine/objects/mesh_conversion.h"
#include "engine/objects/mesh_storage.h"
#include "engine/objects/vertex_layout.h"
#include "platform/d3dx/pictures/picture_writers.h"
#include "platform/fs/contained_name.h"

namespace {

constexpr uint32_t kMDLMagic = 0x54534449;  // "IDST"
constexpr int32_t kMDLVersion = 10;
constexpr uint32_t kMDLFvf = 0x112;  // position, normal, one texture coordinate pair
constexpr int64_t kHeaderBytes = 244;
constexpr int64_t kBoneBytes = 112;
constexpr int64_t kSequenceBytes = 176;
constexpr int64_t kSequenceGroupBytes = 104;
constexpr int64_t kTextureBytes = 80;
constexpr int64_t kBodyPartBytes = 76;
constexpr int64_t kModelBytes = 112;
constexpr int64_t kMeshBytes = 20;
constexpr int64_t kPaletteBytes = 768;
constexpr uint32_t kMaxSkinSide = 256;

MDLState& S() { return StateMDL(); }

// The first body part's first model.
struct MDLModel {
  int32_t meshCount = 0;
  int64_t meshes = 0;
  int32_t vertexCount = 0;
  int64_t vertexBones = 0;  // one byte per vertex
  int64_t vertices = 0;     // three floats per vertex
};

struct MDLHeader {
  int32_t skinRefCount = 0;
  int64_t skinTable = 0;  // 16-bit texture numbers
  MDLModel model;
};

// A texture's name keeps only its last path component, so its skin lands in the temporary folder and
// nowhere else.
std::string SkinFileName(const char* name, size_t length) {
  std::string text(name, length);
  const size_t separator = text.find_last_of("/\\");
  if (separator != std::string::npos) text.erase(0, separator + 1);
  return text == "." || text == ".." ? std::string() : text;
}

bool ReadMDLBones(int32_t count, int64_t at) {
  const ModelBytes& f = S().file;
  if (count < 0 || count > kMaxMDLBones || !f.Has(at, count, kBoneBytes)) return false;
  S().bones.resize(size_t(count));
  for (int32_t b = 0; b < count; ++b) {
    MDLBone& bone = S().bones[size_t(b)];
    const int64_t record = at + kBoneBytes * b;
    bone.parent = f.I32(record + 32);
    if (bone.parent < -1 || bone.parent >= b) return false;  // parents come first
    for (int i = 0; i < 6; ++i) {
      bone.value[i] = f.F32(record + 64 + 4 * i);
      bone.scale[i] = f.F32(record + 88 + 4 * i);
    }
  }
  return true;
}

// The first sequence's length and where each bone's animation offsets lie. A sequence kept in a
// group file of its own leaves the bones at their own values.
bool ReadMDLSequence(const ModelBytes& f) {
  MDLState& s = S();
  const int32_t sequences = f.I32(164), groups = f.I32(172);
  const int64_t sequence = f.I32(168), groupTable = f.I32(176);
  if (sequences < 0) return false;
  if (sequences == 0) return true;
  if (!f.Has(sequence, 1, kSequenceBytes)) return false;
  s.sequenceFrames = f.I32(sequence + 56);
  if (s.sequenceFrames < 0) return false;
  if (f.I32(sequence + 156) != 0) return true;
  if (groups < 1 || !f.Has(groupTable, 1, kSequenceGroupBytes)) return false;
  const int64_t animation = int64_t(f.I32(groupTable + 100)) + f.I32(sequence + 124);
  if (!f.Has(animation, int64_t(s.bones.size()), 12)) return false;
  for (size_t b = 0; b < s.bones.size(); ++b) s.bones[b].animation = animation + 12 * int64_t(b);
  return true;
}

bool ReadMDLTextures(const ModelBytes& f) {
  const int32_t count = f.I32(180);
  const int64_t at = f.I32(184);
  if (count < 0 || count > kMaxMDLTextures || !f.Has(at, count, kTextureBytes)) return false;
  S().textures.resize(size_t(count));
  for (int32_t i = 0; i < count; ++i) {
    MDLTexture& t = S().textures[size_t(i)];
    const int64_t record = at + kTextureBytes * i;
    t.name = SkinFileName(f.Chars(record), f.TextLength(record, 64));
    t.width = f.I32(record + 68);
    t.height = f.I32(record + 72);
    t.data = f.I32(record + 76);
    if (t.width <= 0 || t.height <= 0 || !f.Has(t.data, int64_t(t.width) * t.height + kPaletteBytes)) return false;
  }
  return true;
}

bool ReadMDLHeader(MDLHeader* header) {
  const ModelBytes& f = S().file;
  if (!f.Has(0, kHeaderBytes) || f.U32(0) != kMDLMagic || f.I32(4) != kMDLVersion) return false;
  if (!f.Has(0, f.I32(72))) return false;  // shorter than the length it declares: cut off
  if (!ReadMDLBones(f.I32(140), f.I32(144)) || !ReadMDLSequence(f) || !ReadMDLTextures(f)) return false;
  header->skinRefCount = f.I32(192);
  header->skinTable = f.I32(200);
  if (header->skinRefCount < 0 || !f.Has(header->skinTable, header->skinRefCount, 2)) return false;
  const int32_t bodyParts = f.I32(204);
  const int64_t bodyPart = f.I32(208);
  if (bodyParts < 1 || !f.Has(bodyPart, 1, kBodyPartBytes) || f.I32(bodyPart + 64) < 1) return false;
  const int64_t model = f.I32(bodyPart + 72);
  if (!f.Has(model, 1, kModelBytes)) return false;
  MDLModel& m = header->model;
  m.meshCount = f.I32(model + 72);
  m.meshes = f.I32(model + 76);
  m.vertexCount = f.I32(model + 80);
  m.vertexBones = f.I32(model + 84);
  m.vertices = f.I32(model + 88);
  return m.meshCount >= 0 && m.vertexCount >= 0 && f.Has(m.meshes, m.meshCount, kMeshBytes) &&
         f.Has(m.vertexBones, m.vertexCount, 1) && f.Has(m.vertices, m.vertexCount, 12);
}

// The texture a mesh's skin reference names through the skin table; -1 for none.
int32_t MeshTexture(const MDLHeader& header, int32_t skinRef) {
  if (skinRef < 0 || skinRef >= header.skinRefCount) return -1;
  const int32_t texture = S().file.I16(header.skinTable + 2 * int64_t(skinRef));
  return texture >= 0 && texture < int32_t(S().textures.size()) ? texture : -1;
}

// One strip or fan of `count` vertices at `at`.
bool AddMDLWorkRecord(const MDLHeader& header, int64_t at, int32_t count, bool strip, int32_t texture) {
  MDLState& s = S();
  const ModelBytes& f = s.file;
  const MDLModel& m = header.model;
  if (s.work.size() >= kMaxMDLStrips || 3 * (int64_t(count) - 2) > kMaxMeshIndices) return false;
  MDLWorkRecord record;
  record.primitiveType = strip ? platform::gfx::PT_TRIANGLESTRIP : platform::gfx::PT_TRIANGLEFAN;
  record.vertexCount = count;
  record.textureNumber = texture;
  if (texture >= 0) record.textureName = s.textures[size_t(texture)].name;
  record.vertices.assign(size_t(count) * 8, 0.0f);
  for (int32_t i = 0; i < count; ++i) {
    const int64_t corner = at + 8 * int64_t(i);
    const int32_t vertex = f.I16(corner);
    if (vertex < 0 || vertex >= m.vertexCount) return false;
    const uint8_t bone = f.U8(m.vertexBones + vertex);
    if (bone >= s.bones.size()) return false;
    float* out = &record.vertices[8 * size_t(i)];
    for (int k = 0; k < 3; ++k) out[k] = f.F32(m.vertices + 12 * int64_t(vertex) + 4 * k);
    if (texture >= 0) {
      out[6] = float(f.I16(corner + 4)) / float(s.textures[size_t(texture)].width);
      out[7] = float(f.I16(corner + 6)) / float(s.textures[size_t(texture)].height);
    }
    s.vertexBones.push_back(bone);
  }
  s.work.push_back(std::move(record));
  return true;
}

// Every mesh's triangle commands: a signed count (0 ends the list, above 0 a strip, below 0 a fan),
// then four 16-bit values per vertex. Commands of fewer than three vertices draw nothing and are
// passed over.
bool BuildMDLStrips(const MDLHeader& header) {
  const ModelBytes& f = S().file;
  const MDLModel& m = header.model;
  for (int32_t i = 0; i < m.meshCount; ++i) {
    const int64_t mesh = m.meshes + kMeshBytes * i;
    const int32_t texture = MeshTexture(header, f.I32(mesh + 8));
    int64_t at = f.I32(mesh + 4);
    while (true) {
      if (!f.Has(at, 2)) return false;
      const int32_t command = f.I16(at);
      at += 2;
      if (command == 0) break;
      const int32_t count = command < 0 ? -command : command;
      if (!f.Has(at, count, 8)) return false;
      if (count >= 3 && !AddMDLWorkRecord(header, at, count, command > 0, texture)) return false;
      at += 8 * int64_t(count);
    }
  }
  return !S().work.empty();
}

bool BuildMDLMesh(FrameRecord* frame, const MDLWorkRecord& record) {
  MDLState& s = S();
  auto mesh = std::make_unique<MeshRecord>();
  mesh->savedFvf = kMDLFvf;
  if (!SetupMeshStorage(mesh.get(), kMDLFvf, record.vertexCount, 0)) return false;
  mesh->primitiveType = record.primitiveType;
  mesh->drawVertexCount = mesh->drawPrimitiveCount = record.vertexCount - 2;
  mesh->bones.resize(s.bones.size());
  for (size_t b = 0; b < s.bones.size(); ++b) mesh->bones[b].offsetMatrix = MDLBoneMatrix(s.transforms[b]);
  FVFLayout layout;
  GetMeshFVFLayout(mesh.get(), &layout);
  for (int32_t v = 0; v < record.vertexCount; ++v) {
    const float* in = &record.vertices[8 * size_t(v)];
    uint8_t* vertex = &mesh->vertices[size_t(v) * mesh->vertexSize];
    WriteVertexPosition(vertex, layout, {in[0], in[1], in[2]});
    WriteVertexFloat(vertex, layout.u[0], in[6]);
    WriteVertexFloat(vertex, layout.v[0], in[7]);
  }
  UpdateMeshNormals(mesh.get());
  GetMeshFVFLayout(mesh.get(), &layout);
  for (int32_t v = 0; v < mesh->vertexCount; ++v) {
    uint8_t* vertex = &mesh->vertices[size_t(v) * mesh->vertexSize];
    const Vector3 n = ReadVertexNormal(vertex, layout);
    WriteVertexNormal(vertex, layout, {1.0f - n.x, 1.0f - n.y, 1.0f - n.z});
  }
  mesh->culling = 0;
  mesh->backupVertices = mesh->vertices;
  mesh->stages.resize(1);
  CopyRecordName(mesh->stages[0].fileName, record.textureName.c_str());
  mesh->ownMaterial = 0;
  frame->mesh = std::move(mesh);
  return true;
}

// The chain of frames, one per work record, and the set whose one track maps every vertex to its
// bone's column of the baked table.
bool BuildMDLObject() {
  MDLState& s = S();
  s.root = std::make_unique<ObjectRecord>();
  ObjectRecord& object = *s.root;
  object.root = std::make_unique<FrameRecord>();
  object.firstSet = std::make_unique<AnimationSet>();
  object.firstSet->firstTrack = std::make_unique<AnimationRecord>();
  AnimationRecord& track = *object.firstSet->firstTrack;
  track.keyMode = 0;
  track.values = s.vertexBones;
  FrameRecord* frame = object.root.get();
  for (size_t i = 0; i < s.work.size(); ++i) {
    if (!BuildMDLMesh(frame, s.work[i])) return false;
    if (i + 1 < s.work.size()) {
      frame->child = std::make_unique<FrameRecord>();
      frame->child->parent = frame;
      frame = frame->child.get();
    }
  }
  return true;
}

// The skin at its power-of-two size (at most 256 a side), each texel the average of four source
// pixels, saved as a BMP file in the temporary folder (not flushed to disk: the object module reads
// it back at once).
void SaveMDLSkin(const MDLTexture& t, const std::string& folder) {
  std::string path;
  if (!platform::fs::JoinContainedName(folder, t.name, path)) return;
  const ModelBytes& f = S().file;
  uint32_t w = 1, h = 1;
  while (w < uint32_t(t.width) && w < kMaxSkinSide) w *= 2;
  while (h < uint32_t(t.height) && h < kMaxSkinSide) h *= 2;
  std::vector<int64_t> c1(w), c2(w), r1(h), r2(h);
  const auto sample = [](uint32_t i, float offset, float ratio, int32_t limit) {
    return std::min<int64_t>(int64_t((float(i) + offset) * ratio), limit - 1);
  };
  const float xRatio = float(t.width) / float(w), yRatio = float(t.height) / float(h);
  for (uint32_t x = 0; x < w; ++x) {
    c1[x] = sample(x, 0.25f, xRatio, t.width);
    c2[x] = sample(x, 0.75f, xRatio, t.width);
  }
  for (uint32_t y = 0; y < h; ++y) {
    r1[y] = sample(y, 0.25f, yRatio, t.height) * t.width;
    r2[y] = sample(y, 0.75f, yRatio, t.height) * t.width;
  }
  // The indices and the palette lie inside the file (checked when the textures were read), and every
  // sample is inside the indices. Each palette colour is held with its channels 16 bits apart, so the
  // four colours of a texel add up in one sum without a channel running into the next.
  const uint8_t* indices = f.data + t.data;
  const uint8_t* palette = indices + int64_t(t.width) * t.height;
  uint64_t colours[256];
  for (int i = 0; i < 256; ++i)
    colours[i] = uint64_t(palette[3 * i]) << 32 | uint64_t(palette[3 * i + 1]) << 16 | palette[3 * i + 2];
  platform::d3dx::Picture picture(w, h);
  for (uint32_t y = 0; y < h; ++y) {
    const uint8_t* row1 = indices + r1[y];
    const uint8_t* row2 = indices + r2[y];
    uint32_t* out = picture.Row(y);
    for (uint32_t x = 0; x < w; ++x) {
      const uint64_t sum = colours[row1[c1[x]]] + colours[row1[c2[x]]] + colours[row2[c1[x]]] + colours[row2[c2[x]]];
      out[x] = 0xFF000000u | uint32_t(sum >> 34 & 0xFF) << 16 | uint32_t(sum >> 18 & 0xFF) << 8 | uint32_t(sum >> 2 & 0xFF);
    }
  }
  std::vector<uint8_t> bytes;
  // A skin that cannot be written leaves the model untextured; the model itself is sound.
  if (platform::d3dx::EncodePicture(platform::d3dx::IFF_BMP, picture, true, bytes) == platform::gfx::kOk)
    WriteTemporaryFile(path, bytes.data(), bytes.size());
}

void SaveMDLSkins() {
  SetupTempFolder();
  const std::string folder = ModelTempFolder();
  if (folder.empty()) return;  // never the current or the root folder
  for (const MDLTexture& t : S().textures)
    if (!t.name.empty()) SaveMDLSkin(t, folder);
}

void FreeMDLState() {
  MDLState& s = S();
  s.fileBuffer = std::vector<uint8_t>();
  s.file = {};
  s.bones.clear();
  s.textures.clear();
  s.sequenceFrames = 0;
  s.work.clear();
  s.vertexBones.clear();
  s.transforms.clear();
  s.frameCache.clear();
  s.decodedFrame = -1;
  s.root.reset();
  s.image = std::vector<uint8_t>();
}

bool ConvertMDLInState(const uint8_t** image, uint32_t* size) {
  MDLState& s = S();
  const bool ok = RunConversion(
      [&] {
        MDLHeader header;
        if (!ReadMDLHeader(&header) || !SetupMDLBones(0.0f) || !BuildMDLStrips(header) || !BuildMDLObject() ||
            !BakeMDLAnimation(s.root->firstSet->firstTrack.get()) || !RefreshObjectFrames(s.root.get()) ||
            !SaveModelToMemory(s.root.get(), &s.image))
          return false;
        SaveMDLSkins();
        return true;
      },
      FreeMDLState, s.image, image, size);
  s.fileBuffer = std::vector<uint8_t>();  // its memory goes back at once
  s.file = {};
  return ok;
}

}  // namespace

MDLState& StateMDL() {
  static MDLState state;
  return state;
}

bool ConvertMDLModel(const char* fileName, const uint8_t** image, uint32_t* size) {
  if (!ResetConverterOutputs(image, size)) return false;
  FreeMDLState();
  MDLState& s = S();
  if (!fileName || !ReadWholeFile(fileName, &s.fileBuffer)) return false;
  s.file = {s.fileBuffer.data(), s.fileBuffer.size()};
  return ConvertMDLInState(image, size);
}

bool ConvertMDLModelFromMemory(const void* data, size_t size, const uint8_t** image, uint32_t* imageSize) {
  if (!ResetConverterOutputs(image, imageSize)) return false;
  FreeMDLState();
  S().file = {static_cast<const uint8_t*>(data), data ? size : 0};
  return ConvertMDLInState(image, imageSize);
}

void FreeMDLModel(const uint8_t*) { FreeMDLState(); }
