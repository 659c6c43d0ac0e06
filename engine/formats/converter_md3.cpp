// MD3 player models. Each part file is read whole; its sections are taken one after another after
// the header (frames, tags, surfaces), each checked against the file before it is read, and every
// triangle against its surface's vertex count. A part that is missing or is not an MD3 file leaves
// its surfaces out; a part that claims to be one but is damaged fails the conversion.
#include "engine/formats/converter_md3.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "engine/formats/converter_bytes.h"
#include "engine/formats/converter_entry.h"
#include "engine/formats/kvo_format.h"
#include "engine/formats/model_converters.h"
#include "engine/objects/mesh_conversion.h"
#include "engine/objects/mesh_storage.h"
#include "engine/objects/vertex_layout.h"
#include "platform/d3dx/math_matrix.h"

namespace {

constexpr uint32_t kMD3Magic = 0x33504449;  // "IDP3"
constexpr int32_t kMD3Version = 15;
constexpr uint32_t kMD3Fvf = 0x152;  // position, normal, diffuse colour, one texture coordinate pair
constexpr int64_t kHeaderBytes = 108;
constexpr int64_t kFrameBytes = 56;
constexpr int64_t kTagBytes = 112;
constexpr int64_t kSurfaceHeaderBytes = 108;
constexpr int64_t kShaderBytes = 68;
constexpr const char* kPartFiles[3] = {"lower.md3", "upper.md3", "head.md3"};
// Bytes of records and vertices a conversion may build: far above any player model.
constexpr uint64_t kRecordBudgetBytes = uint64_t{256} << 20;

struct MD3Tag {
  std::string name;
  float origin[3];
  Quaternion rotation;
};

struct MD3Surface {
  std::string name;
  std::vector<std::vector<Vector3>> framePositions;  // per surface frame, one per vertex
  std::vector<uint32_t> triangles;                   // three vertex indices each
  std::vector<float> texCoords;                      // s, t per vertex
  std::vector<std::string> shaders;
};

struct MD3Part {
  int32_t frameCount = 0;
  int32_t tagCount = 0;
  std::vector<MD3Tag> tags;  // frame-major
  std::vector<MD3Surface> surfaces;
};

struct MD3State {
  MD3Part parts[3];
  std::string prefix;  // the folder and "/", before every texture name
  std::vector<std::unique_ptr<FrameRecord>> frameList;
  std::unique_ptr<ObjectRecord> root;
  std::vector<uint8_t> image;
  uint64_t budget = 0;
};

MD3State& State() {
  static MD3State state;
  return state;
}

// The last non-empty shader name met; a surface whose own is empty takes it. Kept from one
// conversion to the next.
std::string g_lastShaderName;

bool Charge(uint64_t bytes) {
  MD3State& s = State();
  if (bytes > s.budget) return false;
  s.budget -= bytes;
  return true;
}

// The rotation of a tag's 3 x 3 axis block (row by row).
Quaternion MD3AxisToQuaternion(const float m[3][3]) {
  Quaternion q;
  const float trace = m[0][0] + m[1][1] + m[2][2];
  if (trace + 1.0f > 0.0f) {
    const float s = 0.5f / std::sqrt(trace + 1.0f);
    q.w = 0.25f / s;
    q.x = (m[2][1] - m[1][2]) * s;
    q.y = (m[0][2] - m[2][0]) * s;
    q.z = (m[1][0] - m[0][1]) * s;
  } else if (m[0][0] > m[1][1] && m[0][0] > m[2][2]) {
    const float r = std::sqrt(m[0][0] - m[1][1] - m[2][2] + 1.0f);
    q.x = r / 2;
    q.y = (m[0][1] + m[1][0]) / (2 * r);
    q.z = (m[0][2] + m[2][0]) / (2 * r);
    q.w = (m[2][1] - m[1][2]) / (2 * r);
  } else if (m[1][1] > m[2][2]) {
    const float r = std::sqrt(m[1][1] - m[0][0] - m[2][2] + 1.0f);
    q.y = r / 2;
    q.x = (m[0][1] + m[1][0]) / (2 * r);
    q.z = (m[1][2] + m[2][1]) / (2 * r);
    q.w = (m[0][2] - m[2][0]) / (2 * r);
  } else {
    const float r = std::sqrt(m[2][2] - m[0][0] - m[1][1] + 1.0f);
    q.z = r / 2;
    q.x = (m[0][2] + m[2][0]) / (2 * r);
    q.y = (m[1][2] + m[2][1]) / (2 * r);
    q.w = (m[1][0] - m[0][1]) / (2 * r);
  }
  return q;
}

Matrix MD3QuaternionToMatrix(const Quaternion& q) {
  const float x = q.x, y = q.y, z = q.z, w = q.w;
  Matrix m = platform::d3dx::MatrixIdentity();
  m.m[0][0] = 1 - 2 * (y * y + z * z);
  m.m[0][1] = 2 * (x * y - w * z);
  m.m[0][2] = 2 * (x * z + w * y);
  m.m[1][0] = 2 * (x * y + w * z);
  m.m[1][1] = 1 - 2 * (x * x + z * z);
  m.m[1][2] = 2 * (y * z - w * x);
  m.m[2][0] = 2 * (x * z - w * y);
  m.m[2][1] = 2 * (y * z + w * x);
  m.m[2][2] = 1 - 2 * (x * x + y * y);
  return m;
}

void ReadMD3Tags(const ModelBytes& file, int64_t at, MD3Part* part) {
  part->tags.resize(size_t(int64_t(part->frameCount) * part->tagCount));
  for (MD3Tag& tag : part->tags) {
    tag.name.assign(file.Chars(at), file.TextLength(at, 64));
    for (int k = 0; k < 3; ++k) tag.origin[k] = file.F32(at + 64 + 4 * k);
    float axis[3][3];
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) axis[r][c] = file.F32(at + 76 + 12 * r + 4 * c);
    tag.rotation = MD3AxisToQuaternion(axis);
    at += kTagBytes;
  }
}

// The non-zero bytes of a shader record, and of them the text after the last separator.
std::string MD3ShaderName(const ModelBytes& file, int64_t at) {
  std::string text;
  for (int64_t i = 0; i < kShaderBytes; ++i)
    if (const char c = char(file.U8(at + i))) text += c;
  for (size_t i = text.size(); i-- > 1;)
    if (text[i] == '/' || text[i] == '\\') return text.substr(i + 1);
  return {};
}

// One surface starting at `at`; false when it does not lie in the file or names missing vertices.
bool ReadMD3Surface(const ModelBytes& file, int64_t at, MD3Surface* surface, int64_t* next) {
  if (!file.Has(at, kSurfaceHeaderBytes)) return false;
  surface->name.assign(file.Chars(at + 4), file.TextLength(at + 4, 64));
  const int32_t frames = file.I32(at + 72), shaders = file.I32(at + 76);
  const int32_t vertices = file.I32(at + 80), triangles = file.I32(at + 84);
  const int64_t triangleAt = at + file.I32(at + 88), shaderAt = at + file.I32(at + 92);
  const int64_t texCoordAt = at + file.I32(at + 96), vertexAt = at + file.I32(at + 100);
  const int64_t end = file.I32(at + 104);
  if (end < kSurfaceHeaderBytes || !file.Has(at, end) || !file.Has(shaderAt, shaders, kShaderBytes)) return false;
  for (int32_t i = 0; i < shaders; ++i) surface->shaders.push_back(MD3ShaderName(file, shaderAt + kShaderBytes * i));
  *next = at + end;
  // A surface without vertices has nothing to draw in any frame: it makes no frames, whatever count it
  // claims (no data in the file bounds that count).
  if (vertices == 0 && triangles == 0) return true;
  if (frames <= 0 || vertices <= 0 || vertices > 65536 || int64_t(triangles) * 3 > kMaxMeshIndices ||
      !file.Has(triangleAt, triangles, 12) || !file.Has(texCoordAt, vertices, 8) ||
      !file.Has(vertexAt, int64_t(frames) * vertices, 8))
    return false;
  // Every attached frame carries a frame and a mesh record besides its vertices.
  const uint64_t perFrame = sizeof(FrameRecord) + sizeof(MeshRecord) + uint64_t(vertices) * (12 + 36);
  if (!Charge((uint64_t(frames) + 1) * perFrame)) return false;

  surface->framePositions.resize(size_t(frames));
  for (int32_t f = 0; f < frames; ++f) {
    std::vector<Vector3>& positions = surface->framePositions[size_t(f)];
    positions.resize(size_t(vertices));
    for (int32_t v = 0; v < vertices; ++v) {
      const int64_t p = vertexAt + 8 * (int64_t(f) * vertices + v);
      positions[size_t(v)] = {file.I16(p) * 0.015625f, file.I16(p + 2) * 0.015625f, file.I16(p + 4) * 0.015625f};
    }
  }
  surface->triangles.resize(3 * size_t(triangles));
  for (size_t i = 0; i < surface->triangles.size(); ++i) {
    surface->triangles[i] = file.U32(triangleAt + 4 * int64_t(i));
    if (surface->triangles[i] >= uint32_t(vertices)) return false;
  }
  surface->texCoords.resize(2 * size_t(vertices));
  for (size_t i = 0; i < surface->texCoords.size(); ++i) surface->texCoords[i] = file.F32(texCoordAt + 4 * int64_t(i));
  return true;
}

enum class PartRead { kRead, kNotAPart, kDamaged };

PartRead ReadMD3Part(const ModelBytes& file, MD3Part* part) {
  *part = MD3Part{};
  if (!file.Has(0, kHeaderBytes) || file.U32(0) != kMD3Magic || file.I32(4) != kMD3Version) return PartRead::kNotAPart;
  part->frameCount = file.I32(76);
  part->tagCount = file.I32(80);
  const int32_t surfaces = file.I32(84);
  const int64_t tagAt = kHeaderBytes + kFrameBytes * int64_t(part->frameCount);
  const int64_t tags = int64_t(part->frameCount) * part->tagCount;
  if (part->frameCount < 0 || part->tagCount < 0 || surfaces < 0 || !file.Has(0, file.I32(104)) ||
      !file.Has(kHeaderBytes, part->frameCount, kFrameBytes) ||
      !file.Has(tagAt, tags, kTagBytes) || !Charge(uint64_t(tags) * sizeof(MD3Tag)))
    return PartRead::kDamaged;
  ReadMD3Tags(file, tagAt, part);
  int64_t at = tagAt + kTagBytes * tags;
  part->surfaces.resize(size_t(std::min<int64_t>(surfaces, int64_t(file.size / kSurfaceHeaderBytes) + 1)));
  if (part->surfaces.size() < size_t(surfaces)) return PartRead::kDamaged;  // more than the file could hold
  for (MD3Surface& surface : part->surfaces)
    if (!ReadMD3Surface(file, at, &surface, &at)) return PartRead::kDamaged;
  return PartRead::kRead;
}

// One mesh of a surface frame: indexed triangles with the corners turned, positions from the file's
// z-up axes, opaque white vertices. With a tag, the frame's matrix is the tag's.
bool FillMD3Mesh(FrameRecord* frame, const MD3Surface& surface, size_t index, const MD3Tag* tag) {
  MeshRecord* mesh = frame->mesh.get();
  const int32_t vertices = int32_t(surface.texCoords.size() / 2);
  const int32_t triangles = int32_t(surface.triangles.size() / 3);
  mesh->savedFvf = kMD3Fvf;
  mesh->primitiveType = platform::gfx::PT_TRIANGLELIST;
  if (!SetupMeshStorage(mesh, kMD3Fvf, vertices, 3 * triangles)) return false;
  mesh->drawVertexCount = vertices;
  mesh->drawPrimitiveCount = triangles;
  if (tag) {
    frame->localMatrix = MD3QuaternionToMatrix(tag->rotation);
    frame->localMatrix.m[3][0] = tag->origin[0];
    frame->localMatrix.m[3][1] = -tag->origin[2];
    frame->localMatrix.m[3][2] = tag->origin[1];
  }
  const std::vector<Vector3>& positions = surface.framePositions[index];
  for (int32_t v = 0; v < vertices; ++v) {
    const Vector3& p = positions[size_t(v)];
    WriteVertex(kMD3Fvf, mesh->vertices.data(), uint32_t(v), p.x, -p.z, p.y, 0, 0, 0, 0xFFFFFFFF,
                surface.texCoords[2 * size_t(v)], surface.texCoords[2 * size_t(v) + 1]);
  }
  for (int32_t t = 0; t < triangles; ++t) {
    mesh->indices[3 * size_t(t)] = uint16_t(surface.triangles[3 * size_t(t)]);
    mesh->indices[3 * size_t(t) + 1] = uint16_t(surface.triangles[3 * size_t(t) + 2]);
    mesh->indices[3 * size_t(t) + 2] = uint16_t(surface.triangles[3 * size_t(t) + 1]);
  }
  UpdateMeshNormals(mesh);
  return true;
}

const MD3Tag* FirstTag(const MD3Part& part, size_t frame) {
  if (part.tagCount <= 0 || frame >= size_t(part.frameCount)) return nullptr;
  return &part.tags[frame * size_t(part.tagCount)];
}

bool BuildMD3PartMeshes(const MD3Part& part) {
  MD3State& s = State();
  for (const MD3Surface& surface : part.surfaces) {
    if (surface.framePositions.empty()) {  // no vertices: no frames, though its shader name counts
      if (!surface.shaders.empty() && !surface.shaders[0].empty()) g_lastShaderName = surface.shaders[0];
      continue;
    }
    auto frame = std::make_unique<FrameRecord>();
    CopyRecordName(frame->name, surface.name.c_str());
    frame->mesh = std::make_unique<MeshRecord>();
    MeshRecord* mesh = frame->mesh.get();
    mesh->stages.resize(1);
    const std::string shader = surface.shaders.empty() ? std::string() : surface.shaders[0];
    if (!shader.empty()) g_lastShaderName = shader;
    CopyRecordName(mesh->stages[0].fileName, (s.prefix + (shader.empty() ? g_lastShaderName : shader)).c_str());
    if (!FillMD3Mesh(frame.get(), surface, 0, FirstTag(part, 0))) return false;
    mesh->attachedFrames.resize(surface.framePositions.size());
    for (size_t i = 0; i < mesh->attachedFrames.size(); ++i) {
      auto attached = std::make_unique<FrameRecord>();
      attached->mesh = std::make_unique<MeshRecord>();
      if (!FillMD3Mesh(attached.get(), surface, i, FirstTag(part, i))) return false;
      mesh->attachedFrames[i] = std::move(attached);
    }
    s.frameList.push_back(std::move(frame));
  }
  return true;
}

// Of the surfaces whose names share their first two characters, only the last keeps its tag
// matrices; the others (and their attached frames) get the identity.
void ResetRepeatedPartFrames() {
  std::vector<std::unique_ptr<FrameRecord>>& list = State().frameList;
  const auto key = [](const char* name) {
    const size_t length = std::strlen(name);
    return length > 2 ? std::string(name, 2) : std::string();
  };
  for (size_t i = list.size(); i-- > 1;) {
    if (std::strlen(list[i]->name) < 2) continue;
    const std::string mine = key(list[i]->name);
    for (size_t j = i; j-- > 0;) {
      FrameRecord* other = list[j].get();
      if (std::strlen(other->name) < 2 || key(other->name) != mine) continue;
      other->localMatrix = platform::d3dx::MatrixIdentity();
      for (auto& attached : other->mesh->attachedFrames) attached->localMatrix = platform::d3dx::MatrixIdentity();
    }
  }
}

// The surfaces' frames chained below the root, each the only child of the one before.
bool BuildMD3Chain() {
  MD3State& s = State();
  if (s.frameList.empty()) return false;  // no part held a surface: there is no model
  s.root = std::make_unique<ObjectRecord>();
  s.root->root = std::make_unique<FrameRecord>();
  ResetRepeatedPartFrames();
  FrameRecord* current = s.root->root.get();
  for (auto& frame : s.frameList) {
    current->mesh = std::move(frame->mesh);
    current->localMatrix = frame->localMatrix;
    std::memcpy(current->name, frame->name, sizeof current->name);
    current->mesh->ownMaterial = 1;
    current->mesh->rendererFlag = 1;
    current->child = std::make_unique<FrameRecord>();
    current->child->parent = current;
    current = current->child.get();
  }
  return true;
}

void FreeMD3State() {
  MD3State& s = State();
  for (MD3Part& part : s.parts) part = MD3Part{};
  s.frameList.clear();
  s.root.reset();
  s.image = std::vector<uint8_t>();
}

bool ConvertMD3Parts(const ModelBytes files[3], const std::string& folder, const uint8_t** image, uint32_t* size) {
  MD3State& s = State();
  return RunConversion(
      [&] {
        s.prefix = folder + "/";
        s.budget = kRecordBudgetBytes;
        for (int i = 0; i < 3; ++i)
          if (ReadMD3Part(files[i], &s.parts[i]) == PartRead::kDamaged) return false;
        for (const MD3Part& part : s.parts)
          if (!BuildMD3PartMeshes(part)) return false;
        return BuildMD3Chain() && SaveModelToMemory(s.root.get(), &s.image);
      },
      FreeMD3State, s.image, image, size);
}

}  // namespace

bool ConvertMD3Model(const char* modelName, const uint8_t** image, uint32_t* size) {
  if (!ResetConverterOutputs(image, size)) return false;
  FreeMD3State();
  if (!modelName) return false;
  // The folder is the name without its extension (a leading dot starts none).
  const std::string name = modelName;
  const size_t dot = name.rfind('.');
  const std::string folder = dot != std::string::npos && dot > 0 ? name.substr(0, dot) : std::string();
  if (folder.empty()) return false;
  std::vector<uint8_t> buffers[3];
  ModelBytes files[3];
  for (int i = 0; i < 3; ++i) {
    // A part that cannot be read is left out, as a missing one.
    if (ReadWholeFile((folder + "/" + kPartFiles[i]).c_str(), &buffers[i])) files[i] = {buffers[i].data(), buffers[i].size()};
  }
  return ConvertMD3Parts(files, folder, image, size);
}

bool ConvertMD3ModelFromParts(const MD3PartImages& parts, const std::string& folder, const uint8_t** image,
                              uint32_t* imageSize) {
  if (!ResetConverterOutputs(image, imageSize)) return false;
  FreeMD3State();
  ModelBytes files[3];
  for (int i = 0; i < 3; ++i)
    if (parts.data[i]) files[i] = {static_cast<const uint8_t*>(parts.data[i]), parts.size[i]};
  return ConvertMD3Parts(files, folder, image, imageSize);
}

void FreeMD3Model(const uint8_t*) { FreeMD3State(); }
