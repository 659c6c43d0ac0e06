// Adding the vertex elements an effect reads: the extended layout, the tangent frame through the
// vertex-stream converter, and the bone influences packed into two texture sets.
#include "engine/objects/tangent_space.h"

#include <cstring>
#include <map>
#include <vector>

#include "engine/objects/mesh_conversion.h"
#include "engine/objects/vertex_stream.h"
#include "platform/d3dx/mesh_vertex_format.h"

namespace dx = platform::d3dx;
namespace gfx = platform::gfx;

namespace {

constexpr float kCreaseAngle = 1.0471976f;  // 60 degrees
constexpr uint32_t kStreamLayoutFvf = gfx::FVF_XYZ | gfx::FVF_NORMAL | gfx::FVF_TEX1;  // 32 bytes

// System memory, keeping 32-bit indices where the mesh has them.
uint32_t Options(const dx::Mesh& mesh) { return dx::MESH_SYSTEMMEM | (mesh.Options() & dx::MESH_32BIT); }

bool IsFloatType(uint8_t type) { return type <= gfx::DECLTYPE_FLOAT4; }

// The last element of the usage (and, for texture sets, of the usage index), or null.
const gfx::VertexElement* LastElement(const gfx::VertexElement* decl, uint8_t usage, int usageIndex = -1) {
  const gfx::VertexElement* found = nullptr;
  for (uint32_t i = 0, n = dx::DeclarationLength(decl); i < n; ++i) {
    if (decl[i].usage == usage && (usageIndex < 0 || decl[i].usageIndex == usageIndex)) found = &decl[i];
  }
  return found;
}

// Up to `count` floats into a float element, never past its own width.
void WriteFloats(uint8_t* vertex, const gfx::VertexElement* element, const float* values, uint32_t count) {
  if (!element || !IsFloatType(element->type)) return;
  const uint32_t room = dx::DeclTypeSize(element->type) / 4;
  std::memcpy(vertex + element->offset, values, sizeof(float) * std::min(room, count));
}

void WriteColor(uint8_t* vertex, const gfx::VertexElement* element) {
  if (!element) return;
  if (IsFloatType(element->type)) {
    const float full[4] = {255.0f, 255.0f, 255.0f, 255.0f};
    WriteFloats(vertex, element, full, 4);
  } else if (element->type == gfx::DECLTYPE_COLOR) {
    const uint32_t white = 0xFFFFFFFF;
    std::memcpy(vertex + element->offset, &white, 4);
  }
}

}  // namespace

std::unique_ptr<dx::Mesh> GenerateTangentSpace(std::unique_ptr<dx::Mesh> mesh, uint32_t splitCreases,
                                               uint32_t repairWrap, uint32_t weightNormals) {
  if (!mesh) return mesh;
  gfx::VertexElement kept[gfx::kMaxDeclLength];
  std::memcpy(kept, mesh->Declaration(), sizeof kept);
  std::unique_ptr<dx::Mesh> clone = mesh->CloneFvf(Options(*mesh), kStreamLayoutFvf);
  if (!clone) return mesh;
  mesh.reset();

  const uint32_t vertexCount = clone->VertexCount(), faceCount = clone->FaceCount();
  std::vector<VertexAttribute> input(4);
  input[0].name = "position";
  input[1].name = "indices";
  input[2].name = "tex0";
  input[3].name = "normal";
  for (uint32_t v = 0; v < vertexCount; ++v) {
    float f[8];
    std::memcpy(f, &clone->VertexData()[size_t(v) * 32], sizeof f);
    input[0].floats.insert(input[0].floats.end(), {f[0], f[1], f[2]});
    input[3].floats.insert(input[3].floats.end(), {f[3], f[4], f[5]});
    input[2].floats.insert(input[2].floats.end(), {f[6], f[7], 0.0f});
  }
  for (size_t i = 0; i < size_t(faceCount) * 3; ++i) input[1].ints.push_back(int32_t(clone->Index(i)));
  std::vector<VertexAttribute> output = input;
  output.push_back(VertexAttribute{"tangent", {}, {}});
  output.push_back(VertexAttribute{"binormal", {}, {}});

  VertexStreamConverter converter;
  if (!converter.ConvertVertexStreams(input, output, kCreaseAngle, nullptr, splitCreases ? SplitCreases : KeepCreases,
                                      repairWrap ? RepairWrap : KeepWrap,
                                      weightNormals ? WeightFaceNormals : UnitFaceNormals))
    return clone;
  auto stream = [&](const char* name) -> const std::vector<float>& {
    for (const VertexAttribute& s : output)
      if (s.name == name) return s.floats;
    return output[0].floats;  // every stream asked for is there after a successful run
  };
  const std::vector<int32_t>& indices = output[1].ints;
  const uint32_t newVertices = uint32_t(stream("position").size() / 3);
  const uint32_t newFaces = uint32_t(indices.size() / 3);
  std::unique_ptr<dx::Mesh> result = newVertices == vertexCount && newFaces == faceCount
                                         ? clone->Clone(Options(*clone), kept)
                                         : dx::Mesh::Create(newFaces, newVertices, Options(*clone), kept);
  if (!result) return clone;

  const gfx::VertexElement* position = LastElement(kept, gfx::DECLUSAGE_POSITION);
  const gfx::VertexElement* normal = LastElement(kept, gfx::DECLUSAGE_NORMAL);
  const gfx::VertexElement* color = LastElement(kept, gfx::DECLUSAGE_COLOR);
  const gfx::VertexElement* tangent = LastElement(kept, gfx::DECLUSAGE_TANGENT);
  const gfx::VertexElement* binormal = LastElement(kept, gfx::DECLUSAGE_BINORMAL);
  const gfx::VertexElement* texture = LastElement(kept, gfx::DECLUSAGE_TEXCOORD, 0);
  const std::vector<float>& positions = stream("position");
  const std::vector<float>& normals = stream("normal");
  const std::vector<float>& coordinates = stream("tex0");
  const std::vector<float>& tangents = stream("tangent");
  const std::vector<float>& binormals = stream("binormal");
  for (uint32_t v = 0; v < newVertices; ++v) {
    uint8_t* vertex = &result->VertexData()[size_t(v) * result->VertexSize()];
    WriteFloats(vertex, position, &positions[size_t(v) * 3], 3);
    WriteFloats(vertex, normal, &normals[size_t(v) * 3], 3);
    WriteFloats(vertex, texture, &coordinates[size_t(v) * 3], 2);
    WriteColor(vertex, color);
    WriteFloats(vertex, tangent, &tangents[size_t(v) * 3], 3);
    WriteFloats(vertex, binormal, &binormals[size_t(v) * 3], 3);
  }
  for (size_t i = 0; i < indices.size(); ++i) result->SetIndex(i, uint32_t(indices[i]));
  return result;
}

void WriteBoneInfluences(const MeshRecord* record, dx::Mesh* mesh, uint32_t weightOffset, uint32_t numberOffset,
                         uint32_t vertexSize) {
  if (!record || !mesh || vertexSize != mesh->VertexSize() || weightOffset + 16 > vertexSize ||
      numberOffset + 16 > vertexSize)
    return;
  const uint32_t vertexCount = mesh->VertexCount();
  // Per vertex, each bone's weight (a later influence of the same bone replaces an earlier one).
  std::vector<std::map<uint32_t, float>> influences(vertexCount);
  for (uint32_t b = 0; b < record->bones.size(); ++b) {
    const BoneRecord& bone = record->bones[b];
    const size_t n = std::min(bone.vertexIndices.size(), bone.weights.size());
    for (size_t k = 0; k < n; ++k) {
      if (bone.vertexIndices[k] < vertexCount) influences[bone.vertexIndices[k]][b] = bone.weights[k];
    }
  }
  for (uint32_t v = 0; v < vertexCount; ++v) {
    float weights[4] = {0, 0, 0, 0}, numbers[4] = {0, 0, 0, 0};
    std::map<uint32_t, float>& remaining = influences[v];
    for (int place = 0; place < 4; ++place) {
      // The strongest weight left above 0; the lowest bone number wins a tie.
      auto best = remaining.end();
      for (auto it = remaining.begin(); it != remaining.end(); ++it) {
        if (it->second > 0.0f && (best == remaining.end() || it->second > best->second)) best = it;
      }
      if (best == remaining.end()) break;
      numbers[place] = float(best->first);
      weights[place] = best->second;
      best->second = 0.0f;
    }
    uint8_t* vertex = &mesh->VertexData()[size_t(v) * vertexSize];
    std::memcpy(vertex + weightOffset, weights, sizeof weights);
    std::memcpy(vertex + numberOffset, numbers, sizeof numbers);
  }
}

void AddEffectVertexStreams(MeshRecord* mesh, uint32_t generateNormals, uint32_t tangents, uint32_t colors,
                            uint32_t bones) {
  std::unique_ptr<dx::Mesh> utility = CreateMeshBuffers(mesh, nullptr, 0);
  if (!utility) return;
  const gfx::VertexElement* decl = utility->Declaration();
  const uint32_t length = dx::DeclarationLength(decl);
  auto has = [&](uint8_t usage) { return LastElement(decl, usage) != nullptr; };

  gfx::VertexElement extended[gfx::kMaxDeclLength];
  std::memcpy(extended, decl, sizeof(gfx::VertexElement) * length);
  uint32_t count = length;
  uint16_t offset = uint16_t(utility->VertexSize());
  bool frameAdded = false, bonesAdded = false;
  auto add = [&](uint8_t type, uint8_t usage, uint8_t usageIndex) {
    if (count + 1 >= uint32_t(gfx::kMaxDeclLength)) return false;  // no room before the end marker
    extended[count++] = {0, offset, type, gfx::DECLMETHOD_DEFAULT, usage, usageIndex};
    offset = uint16_t(offset + dx::DeclTypeSize(type));
    return true;
  };
  if (!has(gfx::DECLUSAGE_NORMAL) && generateNormals) frameAdded |= add(gfx::DECLTYPE_FLOAT3, gfx::DECLUSAGE_NORMAL, 0);
  if (!has(gfx::DECLUSAGE_COLOR) && colors) add(gfx::DECLTYPE_FLOAT1, gfx::DECLUSAGE_COLOR, 0);
  if (!has(gfx::DECLUSAGE_TANGENT) && tangents) frameAdded |= add(gfx::DECLTYPE_FLOAT3, gfx::DECLUSAGE_TANGENT, 0);
  if (!has(gfx::DECLUSAGE_BINORMAL) && tangents) frameAdded |= add(gfx::DECLTYPE_FLOAT3, gfx::DECLUSAGE_BINORMAL, 0);
  const uint32_t weightOffset = offset;
  if (bones) bonesAdded = add(gfx::DECLTYPE_FLOAT4, gfx::DECLUSAGE_TEXCOORD, 1);
  const uint32_t numberOffset = offset;
  if (bones) bonesAdded = add(gfx::DECLTYPE_FLOAT4, gfx::DECLUSAGE_TEXCOORD, 2) && bonesAdded;
  extended[count] = gfx::kDeclEnd;

  if (std::unique_ptr<dx::Mesh> clone = utility->Clone(Options(*utility), extended)) {
    utility = std::move(clone);
    if (frameAdded) utility = GenerateTangentSpace(std::move(utility), 0, 0, 1);
    if (bonesAdded && utility->VertexSize() >= numberOffset + 16) {
      WriteBoneInfluences(mesh, utility.get(), weightOffset, numberOffset, utility->VertexSize());
      mesh->boneStreams = 1;
    }
  }
  CopyD3DXMeshToMesh(mesh, utility.get());
}
