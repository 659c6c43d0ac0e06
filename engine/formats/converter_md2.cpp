// MD2 models: the file is read whole, its header, frames, triangles, texture coordinates and skin
// names are decoded, and the record tree is one frame with an unindexed triangle mesh of frame 0 that
// carries one attached frame per animation frame. The tree's meshes hold layouts and counts only: the
// image writer has their vertices made straight into the image, the only place they are needed, so a
// load writes each vertex once on its way to the loader. Every count and offset of the header is
// checked against the file, and every triangle's indices against the vertex and texture-coordinate
// counts, before anything is decoded.
#include "engine/formats/converter_md2.h"

#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "engine/formats/converter_bytes.h"
#include "engine/formats/converter_entry.h"
#include "engine/formats/kvo_format.h"
#include "engine/formats/model_converters.h"
#include "engine/objects/mesh_storage.h"
#include "engine/objects/vertex_layout.h"

namespace {

constexpr uint32_t kMD2Magic = 0x32504449;  // "IDP2"
constexpr int32_t kMD2Version = 8;
constexpr uint32_t kMD2Fvf = 0x112;  // position, normal, one texture coordinate pair
constexpr int64_t kHeaderBytes = 68;
constexpr int64_t kFrameHeaderBytes = 40;  // scale, translate, name
constexpr int64_t kSkinNameBytes = 64;
// Bytes of records and vertices a conversion may build (every frame repeats the whole mesh): far
// above any model, far below what would exhaust the machine.
constexpr uint64_t kRecordBudgetBytes = uint64_t{256} << 20;

enum HeaderWord {
  kMagic, kVersion, kSkinWidth, kSkinHeight, kFrameSize, kSkinCount, kVertexCount, kTexCoordCount,
  kTriangleCount, kCommandCount, kFrameCount, kSkinOffset, kTexCoordOffset, kTriangleOffset, kFrameOffset,
  kCommandOffset, kEndOffset, kHeaderWords
};

struct MD2Vertex {
  float x, y, z;
  uint8_t normalIndex;
};

struct MD2Frame {
  std::string name;
  std::vector<MD2Vertex> vertices;
};

struct MD2Triangle {
  uint16_t vertex[3];
  uint16_t texCoord[3];
};

// A triangle corner as every frame writes it: the frame vertex it takes and its texture coordinates.
struct MD2Corner {
  uint32_t vertex;
  float u, v;
};

struct MD2State {
  std::vector<uint8_t> fileBuffer;
  ModelBytes file;
  int32_t header[kHeaderWords] = {};
  std::vector<MD2Frame> frames;
  std::vector<MD2Triangle> triangles;
  std::vector<float> texCoords;  // u, v
  std::vector<std::string> skins;
  std::vector<MD2Corner> corners;  // three per triangle
  std::unique_ptr<ObjectRecord> root;
  // Each mesh of the tree with the animation frame whose vertices it carries in the image.
  std::vector<std::pair<const MeshRecord*, size_t>> frameMeshes;
  KvoImage image;
};

MD2State& State() {
  static MD2State state;
  return state;
}

int32_t H(HeaderWord word) { return State().header[word]; }

// Magic, version and length, then every section inside the file and every index inside its array.
bool CheckMD2Header() {
  MD2State& s = State();
  if (!s.file.Has(0, kHeaderBytes)) return false;
  for (int i = 0; i < kHeaderWords; ++i) s.header[i] = s.file.I32(4 * i);
  if (uint32_t(H(kMagic)) != kMD2Magic || H(kVersion) != kMD2Version) return false;
  // The length the file declares: a shorter file was cut off.
  if (!s.file.Has(0, H(kEndOffset))) return false;
  const int64_t vertices = H(kVertexCount), triangles = H(kTriangleCount), frames = H(kFrameCount);
  if (vertices < 0 || triangles <= 0 || frames <= 0) return false;
  if (!s.file.Has(H(kFrameOffset), frames, kFrameHeaderBytes + 4 * vertices) ||
      !s.file.Has(H(kTriangleOffset), triangles, 12) || !s.file.Has(H(kTexCoordOffset), H(kTexCoordCount), 4) ||
      !s.file.Has(H(kSkinOffset), H(kSkinCount), kSkinNameBytes))
    return false;
  // Every frame (and the root mesh) carries a frame and a mesh record besides its vertices.
  const uint64_t perFrame = sizeof(FrameRecord) + sizeof(MeshRecord) + uint64_t(triangles) * 3 * 32;
  return perFrame <= kRecordBudgetBytes / uint64_t(frames + 1);
}

bool ReadMD2Frames() {
  MD2State& s = State();
  const int32_t vertexCount = H(kVertexCount);
  const int64_t stride = kFrameHeaderBytes + 4 * int64_t(vertexCount);
  s.frames.resize(size_t(H(kFrameCount)));
  for (size_t f = 0; f < s.frames.size(); ++f) {
    const int64_t at = H(kFrameOffset) + int64_t(f) * stride;
    float scale[3], translate[3];
    for (int k = 0; k < 3; ++k) {
      scale[k] = s.file.F32(at + 4 * k);
      translate[k] = s.file.F32(at + 12 + 4 * k);
    }
    MD2Frame& frame = s.frames[f];
    frame.name.assign(s.file.Chars(at + 24), s.file.TextLength(at + 24, 16));
    frame.vertices.resize(size_t(vertexCount));
    // Inside the file: the header check measured every frame.
    const uint8_t* packed = s.file.data + at + kFrameHeaderBytes;
    for (MD2Vertex& vertex : frame.vertices) {
      const float px = packed[0], py = packed[1], pz = packed[2];
      // The file's z axis points up; the engine's y does.
      vertex = {px * scale[0] + translate[0], pz * scale[2] + translate[2], py * scale[1] + translate[1], packed[3]};
      packed += 4;
    }
  }
  return true;
}

bool ReadMD2Triangles() {
  MD2State& s = State();
  s.triangles.resize(size_t(H(kTriangleCount)));
  for (size_t t = 0; t < s.triangles.size(); ++t) {
    const int64_t at = H(kTriangleOffset) + 12 * int64_t(t);
    MD2Triangle& tri = s.triangles[t];
    for (int k = 0; k < 3; ++k) {
      tri.vertex[k] = s.file.U16(at + 2 * k);
      tri.texCoord[k] = s.file.U16(at + 6 + 2 * k);
      if (tri.vertex[k] >= H(kVertexCount) || tri.texCoord[k] >= H(kTexCoordCount)) return false;
    }
  }
  return true;
}

// Texture coordinates in texels become fractions of the skin (0 for a skin without a size). Skin
// paths keep their file name, with "bmp" for its last three characters.
bool ReadMD2TexCoordsAndSkins() {
  MD2State& s = State();
  const float width = float(H(kSkinWidth)), height = float(H(kSkinHeight));
  s.texCoords.resize(2 * size_t(H(kTexCoordCount)));
  for (size_t i = 0; 2 * i < s.texCoords.size(); ++i) {
    const int64_t at = H(kTexCoordOffset) + 4 * int64_t(i);
    s.texCoords[2 * i] = width > 0 ? float(s.file.I16(at)) / width : 0.0f;
    s.texCoords[2 * i + 1] = height > 0 ? float(s.file.I16(at + 2)) / height : 0.0f;
  }
  s.skins.resize(size_t(H(kSkinCount)));
  for (size_t i = 0; i < s.skins.size(); ++i) {
    const int64_t at = H(kSkinOffset) + kSkinNameBytes * int64_t(i);
    std::string name(s.file.Chars(at), s.file.TextLength(at, kSkinNameBytes));
    const size_t slash = name.rfind('/');
    if (slash != std::string::npos) name.erase(0, slash + 1);
    if (name.size() >= 3) name.replace(name.size() - 3, 3, "bmp");
    s.skins[i] = name;
  }
  s.corners.resize(3 * s.triangles.size());
  for (size_t i = 0; i < s.corners.size(); ++i) {
    const MD2Triangle& triangle = s.triangles[i / 3];
    const float* uv = s.texCoords.data() + 2 * size_t(triangle.texCoord[i % 3]);
    s.corners[i] = {triangle.vertex[i % 3], uv[0], uv[1]};
  }
  return true;
}

// The face normal of the mesh-normals pass for a vertex that belongs to one face: the cross product
// of the two edges leaving the first corner, summed from zero and normalised (the arithmetic of
// Vec3Subtract, Vec3Cross, Vec3Add and Vec3Normalize, written out here because it runs for every
// triangle of every frame).
Vector3 MD2FaceNormal(const Vector3& p0, const Vector3& p1, const Vector3& p2) {
  const Vector3 a{p1.x - p0.x, p1.y - p0.y, p1.z - p0.z};
  const Vector3 b{p2.x - p0.x, p2.y - p0.y, p2.z - p0.z};
  const Vector3 n{0.0f + (a.y * b.z - a.z * b.y), 0.0f + (a.z * b.x - a.x * b.z), 0.0f + (a.x * b.y - a.y * b.x)};
  const float lengthSq = n.x * n.x + n.y * n.y + n.z * n.z;
  if (!(lengthSq > 1.1754944e-38f)) return {0.0f, 0.0f, 0.0f};  // no usable direction
  const float scale = 1.0f / std::sqrt(lengthSq);
  return {n.x * scale, n.y * scale, n.z * scale};
}

// Frame `index` as an unindexed triangle list, three vertices per triangle, each with its face's
// normal: what the mesh-normals pass gives such a list, computed here without building an indexed
// copy of every frame. The mesh holds the layout and counts only: its vertices are made by
// WriteMD2Vertices straight into the image, so each byte is written once.
bool SetupMD2Mesh(MeshRecord* mesh, size_t index) {
  MD2State& s = State();
  const int32_t triangles = int32_t(s.triangles.size());
  mesh->savedFvf = kMD2Fvf;
  // Position, normal, one texture coordinate pair: the eight floats WriteMD2Vertices writes.
  if (!SetupMeshStorage(mesh, kMD2Fvf, 0, 0) || mesh->vertexSize != 8 * sizeof(float)) return false;
  mesh->vertexCount = triangles * 3;
  mesh->drawVertexCount = triangles;
  mesh->drawPrimitiveCount = triangles;
  s.frameMeshes.emplace_back(mesh, index);
  return true;
}

// The vertex bytes of the mesh SetupMD2Mesh set up, in the layout's order.
void WriteMD2Vertices(const MeshRecord& mesh, uint8_t* out) {
  MD2State& s = State();
  size_t index = 0;
  for (const auto& [m, frame] : s.frameMeshes)
    if (m == &mesh) {
      index = frame;
      break;
    }
  const MD2Vertex* decoded = s.frames[index].vertices.data();
  const MD2Corner* corners = s.corners.data();
  for (const MD2Corner* end = corners + s.corners.size(); corners != end; corners += 3) {
    const MD2Vertex& a = decoded[corners[0].vertex];
    const MD2Vertex& b = decoded[corners[1].vertex];
    const MD2Vertex& c = decoded[corners[2].vertex];
    const Vector3 normal = MD2FaceNormal({a.x, a.y, a.z}, {b.x, b.y, b.z}, {c.x, c.y, c.z});
    const MD2Vertex* position[3] = {&a, &b, &c};
    for (size_t k = 0; k < 3; ++k) {
      const float vertex[8] = {position[k]->x, position[k]->y, position[k]->z, normal.x,
                               normal.y,       normal.z,       corners[k].u,   corners[k].v};
      std::memcpy(out, vertex, sizeof vertex);
      out += sizeof vertex;
    }
  }
}

bool BuildMD2Model() {
  MD2State& s = State();
  s.root = std::make_unique<ObjectRecord>();
  s.root->root = std::make_unique<FrameRecord>();
  FrameRecord* frame = s.root->root.get();
  frame->mesh = std::make_unique<MeshRecord>();
  MeshRecord* mesh = frame->mesh.get();
  if (!SetupMD2Mesh(mesh, 0)) return false;
  mesh->stages.resize(1);
  if (!s.skins.empty()) CopyRecordName(mesh->stages[0].fileName, s.skins[0].c_str());
  mesh->attachedFrames.resize(s.frames.size());
  for (size_t i = 0; i < s.frames.size(); ++i) {
    mesh->attachedFrames[i] = std::make_unique<FrameRecord>();
    mesh->attachedFrames[i]->mesh = std::make_unique<MeshRecord>();
    if (!SetupMD2Mesh(mesh->attachedFrames[i]->mesh.get(), i)) return false;
  }
  return true;
}

void FreeMD2Data() {
  MD2State& s = State();
  s.fileBuffer = std::vector<uint8_t>();
  s.file = {};
  s.frames.clear();
  s.triangles.clear();
  s.texCoords.clear();
  s.skins.clear();
  s.corners.clear();
  s.root.reset();
  s.frameMeshes.clear();
  s.image = KvoImage();
}

// Decodes the file in the state and hands out its image.
bool ConvertMD2InState(const uint8_t** image, uint32_t* size) {
  MD2State& s = State();
  const bool ok = RunConversion(
      [&] {
        return CheckMD2Header() && ReadMD2Frames() && ReadMD2Triangles() && ReadMD2TexCoordsAndSkins() &&
               BuildMD2Model() && SaveModelToMemory(s.root.get(), &s.image, WriteMD2Vertices);
      },
      FreeMD2Data, s.image, image, size);
  // The image holds everything now: the file and the tree go back at once, so the memory the tree
  // held (still in the cache after the image was written) is what the reader of the image reuses.
  s.fileBuffer = std::vector<uint8_t>();
  s.file = {};
  s.root.reset();
  s.frameMeshes.clear();
  s.frames.clear();
  return ok;
}

}  // namespace

bool ConvertMD2Model(const char* fileName, const uint8_t** image, uint32_t* size) {
  if (!ResetConverterOutputs(image, size)) return false;
  FreeMD2Data();
  MD2State& s = State();
  if (!fileName || !ReadWholeFile(fileName, &s.fileBuffer)) return false;
  s.file = {s.fileBuffer.data(), s.fileBuffer.size()};
  return ConvertMD2InState(image, size);
}

bool ConvertMD2ModelFromMemory(const void* data, size_t size, const uint8_t** image, uint32_t* imageSize) {
  if (!ResetConverterOutputs(image, imageSize)) return false;
  FreeMD2Data();
  State().file = {static_cast<const uint8_t*>(data), data ? size : 0};
  return ConvertMD2InState(image, imageSize);
}

void FreeMD2Model(const uint8_t*) { FreeMD2Data(); }
