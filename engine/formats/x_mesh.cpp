// Reading one X Mesh data object and its children into a mesh record: positions, polygons fanned into
// triangles, per-corner normals merged into the vertices, texture coordinates, vertex colours,
// materials and skin weights. Every count is checked against the object's data before anything is
// read or allocated, and nothing is written at a vertex the mesh does not have.
#include <algorithm>
#include <cstring>

#include "engine/formats/x_converter_state.h"
#include "engine/objects/mesh_storage.h"
#include "engine/objects/vertex_layout.h"
#include "platform/xfile/blob_reader.h"

namespace xf = platform::xfile;
namespace ids = platform::xfile::ids;
using namespace platform::gfx;

namespace {

constexpr uint32_t kXMeshFvf = FVF_XYZ | FVF_NORMAL | FVF_TEX1;  // 0x112, 32 bytes
constexpr uint32_t kMaxNarrowVertices = 65535;

// Each X face is a corner count k and k vertex indices; a face of three or more corners becomes
// k - 2 triangles fanned around its first corner. Faces of fewer corners make no triangle but keep
// their place in the face numbering. faceMap, when given, receives each triangle's face.
bool TriangulateXFaces(xf::BlobReader& blob, uint32_t faceCount, std::vector<uint32_t>* triangles,
                       std::vector<uint32_t>* faceMap) {
  if (faceCount > blob.Remaining() / 4) return false;
  triangles->clear();
  if (faceMap) faceMap->clear();
  std::vector<uint32_t> corners;
  for (uint32_t face = 0; face < faceCount; ++face) {
    uint32_t k;
    if (!blob.ReadU32(k) || k > blob.Remaining() / 4) return false;
    corners.resize(k);
    for (uint32_t& c : corners) blob.ReadU32(c);
    if (k < 3) continue;
    if (!ChargeXBudget(uint64_t(k - 2) * 16)) return false;
    for (uint32_t i = 1; i + 1 < k; ++i) {
      triangles->insert(triangles->end(), {corners[0], corners[i], corners[i + 1]});
      if (faceMap) faceMap->push_back(face);
    }
  }
  return true;
}

bool ReadXMeshData(const xf::DataObject& mesh) {
  XConverterState& s = XState();
  xf::BlobReader blob(mesh);
  uint32_t vertexCount, faceCount;
  if (!blob.ReadU32(vertexCount) || vertexCount > blob.Remaining() / 12) return false;
  if (!ChargeXBudget(uint64_t(vertexCount) * (sizeof(XVertex) + 36))) return false;
  s.vertices.assign(vertexCount, XVertex{});
  for (XVertex& v : s.vertices) blob.ReadFloats(&v.x, 3);
  if (!blob.ReadU32(faceCount) || !TriangulateXFaces(blob, faceCount, &s.triangles, &s.triangleFaces)) return false;
  // A corner naming a vertex the mesh does not have would send every later reader outside it.
  return std::all_of(s.triangles.begin(), s.triangles.end(), [&](uint32_t i) { return i < vertexCount; });
}

bool ReadXMeshNormals(const xf::DataObject& object) {
  XConverterState& s = XState();
  xf::BlobReader blob(object);
  uint32_t count, faceCount;
  if (!blob.ReadU32(count) || count > blob.Remaining() / 12) return false;
  if (!ChargeXBudget(uint64_t(count) * sizeof(Vector3))) return false;
  s.normals.resize(count);
  for (Vector3& n : s.normals) blob.ReadFloats(&n.x, 3);
  return blob.ReadU32(faceCount) && TriangulateXFaces(blob, faceCount, &s.normalTriangles, nullptr);
}

// Corner i of the mesh's triangles takes the normal at corner i of the normal triangles; a vertex of
// several corners keeps its last. Normals that do not fit the triangles (another count, or a normal
// the list does not have) leave every normal zero.
void MergeXNormals() {
  XConverterState& s = XState();
  const size_t normalCount = s.normals.size();
  const bool fits = s.normalTriangles.size() == s.triangles.size() &&
                    std::all_of(s.normalTriangles.begin(), s.normalTriangles.end(),
                                [&](uint32_t n) { return n < normalCount; });
  if (fits) {
    for (size_t i = 0; i < s.triangles.size(); ++i) {
      const Vector3& n = s.normals[s.normalTriangles[i]];
      XVertex& v = s.vertices[s.triangles[i]];
      v.nx = n.x, v.ny = n.y, v.nz = n.z;
    }
  }
  s.normals.clear();
  s.normalTriangles.clear();
}

bool ReadXTextureCoords(const xf::DataObject& object) {
  XConverterState& s = XState();
  xf::BlobReader blob(object);
  uint32_t count;
  if (!blob.ReadU32(count) || count > blob.Remaining() / 8) return false;
  const size_t used = std::min<size_t>(count, s.vertices.size());
  for (size_t i = 0; i < used; ++i) blob.ReadFloats(&s.vertices[i].u, 2);
  return true;
}

bool ReadXVertexColors(const xf::DataObject& object) {
  XConverterState& s = XState();
  xf::BlobReader blob(object);
  uint32_t count;
  if (!blob.ReadU32(count) || count > blob.Remaining() / 20) return false;
  s.colors.resize(count);
  for (XVertexColor& c : s.colors) {
    blob.ReadU32(c.index);
    blob.ReadFloats(&c.r, 4);
  }
  return true;
}

// Face colour, power, specular and emissive colour, and the texture name when the material's first
// child is a TextureFilename.
bool ReadXMaterial(const xf::DataObject& object) {
  xf::BlobReader blob(object);
  XMaterialEntry entry;
  if (!blob.ReadFloats(&entry.faceColor.r, 4) || !blob.ReadFloat(entry.power) || !blob.ReadFloats(entry.specular, 3) ||
      !blob.ReadFloats(entry.emissive, 3))
    return false;
  const auto& children = object.Children();
  if (!children.empty() && !children[0].IsReference() && children[0].Object()->Type() == ids::TextureFilename) {
    xf::BlobReader name(*children[0].Object());
    const char* text = nullptr;
    if (!name.ReadString(text)) return false;
    if (text) entry.textureName = text;
  }
  XState().materials.push_back(std::move(entry));
  return true;
}

// The list's Material children, written inside it or named by reference.
bool ReadXMaterials(const xf::DataObject& list) {
  for (const xf::Child& child : list.Children()) {
    const xf::DataObject* object = child.IsReference() ? child.Resolve() : child.Object();
    if (object && object->Type() == ids::Material && !ReadXMaterial(*object)) return false;
  }
  return true;
}

bool ReadXMaterialList(const xf::DataObject& object) {
  XConverterState& s = XState();
  xf::BlobReader blob(object);
  uint32_t materialCount, indexCount;  // the material count is not needed: the Material children say it
  if (!blob.ReadU32(materialCount) || !blob.ReadU32(indexCount) || indexCount > blob.Remaining() / 4) return false;
  s.faceMaterials.resize(indexCount);
  for (uint32_t& m : s.faceMaterials) blob.ReadU32(m);
  s.hasFaceMaterials = true;
  return ReadXMaterials(object);
}

bool ReadXSkinMeshHeader(const xf::DataObject& object) {
  XConverterState& s = XState();
  xf::BlobReader blob(object);
  if (object.Size() == 12) {
    uint32_t perVertex = 0, perFace = 0;
    blob.ReadU32(perVertex);
    blob.ReadU32(perFace);
    blob.ReadU32(s.boneCount);
    s.maxWeightsPerVertex = uint16_t(perVertex);
    s.maxWeightsPerFace = uint16_t(perFace);
    return true;
  }
  uint16_t bones;
  if (!blob.ReadU16(s.maxWeightsPerVertex) || !blob.ReadU16(s.maxWeightsPerFace) || !blob.ReadU16(bones)) return false;
  s.boneCount = bones;
  return true;
}

bool ReadXSkinWeights(const xf::DataObject& object) {
  xf::BlobReader blob(object);
  XSkinWeightEntry entry;
  const char* frameName = nullptr;
  uint32_t n;
  if (!blob.ReadString(frameName) || !blob.ReadU32(n) || n > blob.Remaining() / 8) return false;
  if (!ChargeXBudget(uint64_t(n) * 8 + sizeof(BoneRecord))) return false;
  if (frameName) entry.frameName = frameName;
  entry.vertexIndices.resize(n);
  entry.weights.resize(n);
  for (uint32_t& v : entry.vertexIndices) blob.ReadU32(v);
  if (!blob.ReadFloats(entry.weights.data(), n) || !blob.ReadFloats(&entry.offsetMatrix.m[0][0], 16)) return false;
  XState().skinWeights.push_back(std::move(entry));
  return true;
}

// A new mesh of the frame: FVF 0x112, or 0x152 with vertex colours; storage zeroed. Indices are
// 32-bit while the mesh is too large for 16-bit ones; it becomes plain vertices afterwards.
MeshRecord* BuildXMeshRecord(FrameRecord* frame, uint32_t vertexCount, uint32_t triangleCount) {
  XConverterState& s = XState();
  const uint64_t indexCount = uint64_t(triangleCount) * 3;
  if (indexCount > uint64_t(INT32_MAX)) return nullptr;
  auto mesh = std::make_unique<MeshRecord>();
  const uint32_t fvf = s.colors.empty() ? kXMeshFvf : kXMeshFvf | FVF_DIFFUSE;
  const bool wide = vertexCount > kMaxNarrowVertices || indexCount > uint64_t(kMaxMeshIndices);
  if (!SetupMeshStorage(mesh.get(), fvf, 0, 0)) return nullptr;
  // Expanded, every corner becomes a vertex of its own.
  if (wide && !ChargeXBudget(indexCount * (mesh->vertexSize + 4))) return nullptr;
  if (!(wide ? AllocateWideMeshStorage : AllocateMeshStorage)(mesh.get(), int32_t(vertexCount), int32_t(indexCount)))
    return nullptr;
  mesh->primitiveType = PT_TRIANGLELIST;
  mesh->drawVertexCount = int32_t(vertexCount);
  mesh->drawPrimitiveCount = int32_t(triangleCount);
  frame->mesh = std::move(mesh);
  return frame->mesh.get();
}

// One texture stage and one material per Material entry (at least one); the per-triangle material
// from the face material list (faces past the list's end take its last entry).
void ApplyXMaterials(MeshRecord* mesh) {
  XConverterState& s = XState();
  const size_t count = std::max<size_t>(s.materials.size(), 1);
  const size_t triangles = s.triangles.size() / 3;
  mesh->triangleMaterials.assign(triangles, 0);
  if (s.hasFaceMaterials && !s.faceMaterials.empty()) {
    for (size_t t = 0; t < triangles; ++t) {
      const uint32_t face = s.triangleFaces[t];
      mesh->triangleMaterials[t] = face < s.faceMaterials.size() ? s.faceMaterials[face] : s.faceMaterials.back();
    }
  }
  mesh->stages.clear();
  mesh->stages.resize(count);
  mesh->materials.assign(count, MeshMaterial::Zero());
  for (size_t i = 0; i < s.materials.size(); ++i) {
    const XMaterialEntry& e = s.materials[i];
    MeshMaterial& m = mesh->materials[i];
    m.diffuse = m.ambient = e.faceColor;
    m.specular = {e.specular[0], e.specular[1], e.specular[2], 1.0f};
    m.emissive = {e.emissive[0], e.emissive[1], e.emissive[2], 1.0f};
    m.power = e.power;
    CopyRecordName(mesh->stages[i].fileName, e.textureName.c_str());
  }
  mesh->material = mesh->materials[0];
  mesh->ownMaterial = 1;
}

uint32_t ColorChannel(float c) {
  if (c >= 1.0f) return 255;
  if (c <= 0.0f) return 0;
  return uint32_t(c * 255.0f + 0.5f);
}

void FillXMeshVertices(MeshRecord* mesh) {
  XConverterState& s = XState();
  const uint32_t stride = mesh->vertexSize;
  uint8_t* data = mesh->vertices.data();
  const bool diffuse = mesh->fvf & FVF_DIFFUSE;
  FVFLayout layout;
  GetMeshFVFLayout(mesh, &layout);
  for (size_t i = 0; i < s.vertices.size(); ++i) {
    const XVertex& v = s.vertices[i];
    uint8_t* vertex = data + i * stride;
    WriteVertexPosition(vertex, layout, {v.x, v.y, v.z});
    WriteVertexNormal(vertex, layout, {v.nx, v.ny, v.nz});
    WriteVertexFloat(vertex, layout.u[0], v.u);
    WriteVertexFloat(vertex, layout.v[0], v.v);
    if (diffuse) WriteVertexWord(vertex, layout.diffuse, 0xFFFFFFFF);  // opaque white unless coloured
  }
  if (diffuse) {
    bool applied = false;
    for (const XVertexColor& c : s.colors) {
      if (c.index >= s.vertices.size()) continue;
      const uint32_t argb = ColorChannel(c.a) << 24 | ColorChannel(c.r) << 16 | ColorChannel(c.g) << 8 | ColorChannel(c.b);
      WriteVertexWord(data + size_t(c.index) * stride, layout.diffuse, argb);
      applied = true;
    }
    // Vertex colours are drawn instead of the material.
    if (applied) mesh->ownMaterial = 0;
  }
  s.colors.clear();
  if (!mesh->wideIndices.empty()) std::copy(s.triangles.begin(), s.triangles.end(), mesh->wideIndices.begin());
  else std::copy(s.triangles.begin(), s.triangles.end(), mesh->indices.begin());
}

// Bone i from SkinWeights entry i, as many as the skin header announces and the file holds.
// Influences on vertices the mesh does not have are dropped.
void BuildXBones(MeshRecord* mesh) {
  XConverterState& s = XState();
  const size_t count = std::min<size_t>(s.boneCount, s.skinWeights.size());
  mesh->bones.clear();
  mesh->bones.resize(count);
  for (size_t i = 0; i < count; ++i) {
    const XSkinWeightEntry& e = s.skinWeights[i];
    BoneRecord& bone = mesh->bones[i];
    CopyRecordName(bone.name, e.frameName.c_str());
    for (size_t k = 0; k < e.vertexIndices.size(); ++k) {
      if (e.vertexIndices[k] >= uint32_t(mesh->vertexCount)) continue;
      bone.vertexIndices.push_back(e.vertexIndices[k]);
      bone.weights.push_back(e.weights[k]);
    }
    bone.offsetMatrix = e.offsetMatrix;
  }
}

// A mesh too large for 16-bit indices becomes plain vertices; bones follow their vertices to the last
// copy made of each (an unused vertex's influence goes).
bool ExpandWideMesh(MeshRecord* mesh) {
  std::vector<uint32_t> map;
  if (!ExpandMeshIndices(mesh, &map)) return false;
  for (BoneRecord& bone : mesh->bones) {
    size_t kept = 0;
    for (size_t k = 0; k < bone.vertexIndices.size(); ++k) {
      const uint32_t moved = map[bone.vertexIndices[k]];
      if (moved == kNoVertex) continue;
      bone.vertexIndices[kept] = moved;
      bone.weights[kept++] = bone.weights[k];
    }
    bone.vertexIndices.resize(kept);
    bone.weights.resize(kept);
  }
  mesh->triangleMaterials.clear();
  return true;
}

// The Mesh's children up to the first reference (only data objects written inside it belong to it).
bool ReadXMeshChildren(const xf::DataObject& mesh) {
  for (const xf::Child& child : mesh.Children()) {
    if (child.IsReference()) break;
    const xf::DataObject& o = *child.Object();
    const xf::Guid& type = o.Type();
    bool ok = true;
    if (type == ids::MeshNormals) ok = ReadXMeshNormals(o);
    else if (type == ids::MeshTextureCoords) ok = ReadXTextureCoords(o);
    else if (type == ids::MeshVertexColors) ok = ReadXVertexColors(o);
    else if (type == ids::MeshMaterialList) ok = ReadXMaterialList(o);
    else if (type == ids::XSkinMeshHeader) ok = ReadXSkinMeshHeader(o);
    else if (type == ids::SkinWeights) ok = ReadXSkinWeights(o);
    if (!ok) return false;
  }
  return true;
}

}  // namespace

bool ReadXMesh(const xf::DataObject& object, FrameRecord* frame) {
  if (!frame || !ChargeXBudget(sizeof(MeshRecord))) return false;
  XConverterState& s = XState();
  ResetXMeshScratch();
  if (!ReadXMeshData(object) || !ReadXMeshChildren(object)) return false;
  MergeXNormals();
  const uint32_t vertexCount = uint32_t(s.vertices.size());
  MeshRecord* mesh = BuildXMeshRecord(frame, vertexCount, uint32_t(s.triangles.size() / 3));
  if (!mesh) return false;
  ApplyXMaterials(mesh);
  FillXMeshVertices(mesh);
  BuildXBones(mesh);
  if (!mesh->wideIndices.empty() && !ExpandWideMesh(mesh)) return false;
  ResetXMeshScratch();
  return true;
}
