// Texture stages, material, render flags, vertex colours and texture coordinates of one mesh.
#include "engine/objects/mesh_state.h"

#include <cmath>
#include <cstring>
#include <new>

#include "engine/objects/object_manager.h"
#include "engine/objects/object_table.h"
#include "engine/objects/record_links.h"
#include "engine/objects/vertex_layout.h"

namespace gfx = platform::gfx;

namespace {

constexpr uint32_t kFvfDiffuse = 0x040;
constexpr uint32_t kFvfTexture1 = 0x100;
constexpr uint32_t kOpSelectArg1 = 2;
constexpr uint32_t kOpModulate = 4;
constexpr uint32_t kArgDiffuse = 0;
constexpr uint32_t kArgCurrent = 1;
constexpr uint32_t kArgTexture = 2;
constexpr float kByteToFloat = 0.003921569f;

// Writes the progress word that sits beside the object module's errors.
void NoteContext(uint32_t word) {
  if (CoreData* core = GetObjectModuleState().core) core->errorContext = word;
}

gfx::Texture* ImageTexture(int32_t image) {
  const ObjectModuleLinks& links = GetObjectModuleState().links;
  return links.getImageTexture ? links.getImageTexture(image) : nullptr;
}

void ReleaseStageTexture(TextureStage* stage) {
  ReleaseRecordTexture(stage->deviceTexture);
  stage->deviceTexture = nullptr;
}

bool HasVertexColour(const MeshRecord& mesh) {
  if (mesh.fvf != 0) return (mesh.fvf & kFvfDiffuse) != 0;
  for (const gfx::VertexElement& e : mesh.declaration) {
    if (e.stream == 0xFF) break;
    if (e.usage == gfx::DECLUSAGE_COLOR && e.usageIndex == 0) return true;
  }
  return false;
}

// The vertex's start when the mesh's storage holds it.
uint8_t* VertexAt(MeshRecord* mesh, int32_t index) {
  if (!mesh || index < 0 || index >= mesh->vertexCount || mesh->vertexSize == 0) return nullptr;
  const size_t start = size_t(index) * mesh->vertexSize;
  if (start + mesh->vertexSize > mesh->vertices.size()) return nullptr;
  return mesh->vertices.data() + start;
}

float VertexComponent(const MeshRecord* mesh, int32_t index, int axis) {
  const uint8_t* vertex = VertexAt(const_cast<MeshRecord*>(mesh), index);
  if (!vertex) return 0.0f;
  FVFLayout layout;
  GetMeshFVFLayout(mesh, &layout);
  if (layout.z == 0) return 0.0f;
  const uint32_t word = axis == 0 ? layout.x : axis == 1 ? layout.y : layout.z;
  return ReadVertexFloat(vertex, word);
}

gfx::ColorValue ColourFromArgb(uint32_t color) {
  return {float((color >> 16) & 0xFF) * kByteToFloat, float((color >> 8) & 0xFF) * kByteToFloat,
          float(color & 0xFF) * kByteToFloat, float((color >> 24) & 0xFF) * kByteToFloat};
}

// brightness x 255 as an integer, taken modulo 256 (kept inside the integer range first).
uint32_t GreyByte(float brightness) {
  float scaled = brightness * 255.0f;
  if (!(scaled > -2147483520.0f)) scaled = -2147483520.0f;  // also catches NaN
  if (scaled > 2147483520.0f) scaled = 2147483520.0f;
  return uint32_t(int32_t(scaled)) & 0xFFu;
}

template <typename Field>
void SetMeshField(MeshRecord* mesh, Field MeshRecord::*field, Field value) {
  if (mesh) mesh->*field = value;
}

}  // namespace

bool GrowTextureLayers(MeshRecord* mesh, int32_t n) {
  if (!mesh || n < 0 || n >= kMaxTextureLayers) return false;
  if (mesh->stages.size() >= size_t(n) + 1) return true;
  try {
    mesh->stages.resize(size_t(n) + 1);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void ResetMeshStages(MeshRecord* mesh) {
  if (!GrowTextureLayers(mesh, 0)) return;
  mesh->drawWord = 0;
  mesh->hasEffect = 0;
  TextureStage& stage = mesh->stages[0];
  ReleaseStageTexture(&stage);
  stage.stage = 0;
  stage.colorOp = kOpSelectArg1;
  stage.colorArg1 = kArgDiffuse;
  stage.colorArg2 = kArgDiffuse;
  stage.texCoordMode = 0;
  DetachMeshEffect(mesh);
}

void SetMeshTexture(MeshRecord* mesh, int32_t stage, int32_t image) {
  if (!mesh) return;
  if (stage == -1) {
    ResetMeshStages(mesh);
    stage = 0;
  }
  SetMeshStageImage(mesh, stage, image);
}

void SetMeshStageImage(MeshRecord* mesh, int32_t stage, int32_t image) {
  NoteContext(11012);
  NoteContext(11013);
  if (!GrowTextureLayers(mesh, stage)) return;
  NoteContext(11014);
  TextureStage& s = mesh->stages[size_t(stage)];
  s.image = image;
  s.imageTexture = ImageTexture(image);
  if (s.imageTexture) {
    s.colorOp = kOpModulate;
    s.colorArg1 = kArgTexture;
    s.colorArg2 = kArgDiffuse;
  } else {
    s.colorOp = kOpSelectArg1;
    s.colorArg1 = kArgDiffuse;
  }
  s.texCoordMode = 0;
  NoteContext(11015);
  const ObjectModuleLinks& links = GetObjectModuleState().links;
  if (image > 0 && links.getImageFileName) {
    const char* name = links.getImageFileName(image);
    if (name && name[0] && std::strlen(name) < size_t(kRecordNameLength)) CopyRecordName(s.fileName, name);
  }
  mesh->ownMaterial = 0;
  NoteContext(11016);
}

void SetMeshTextureStage(MeshRecord* mesh, int32_t stage, uint32_t colorOp, uint32_t texCoordMode, int32_t image) {
  if (!GrowTextureLayers(mesh, stage)) return;
  TextureStage& s = mesh->stages[size_t(stage)];
  ReleaseStageTexture(&s);
  s.stage = uint32_t(stage);
  s.image = image;
  s.imageTexture = ImageTexture(image);
  s.colorOp = colorOp;
  s.colorArg1 = kArgTexture;
  s.colorArg2 = kArgCurrent;
  s.texCoordMode = texCoordMode;
}

void SetMeshColor(MeshRecord* mesh, uint32_t color) {
  if (!mesh) return;
  ResetMeshStages(mesh);
  if (mesh->stages.empty()) return;
  TextureStage& s = mesh->stages[0];
  s.image = 0;
  s.imageTexture = nullptr;
  s.colorOp = kOpSelectArg1;
  s.colorArg1 = s.colorArg2 = kArgDiffuse;
  s.texCoordMode = 0;
  mesh->ownMaterial = 1;
  SetDefaultMaterial(&mesh->material);
  mesh->material.diffuse = ColourFromArgb(color);
}

void SetDefaultMaterial(MeshMaterial* material) {
  if (!material) return;
  material->diffuse = material->ambient = {1, 1, 1, 1};
  material->specular = material->emissive = {0, 0, 0, 0};
  material->power = 10.0f;
}

void SetMeshBrightness(MeshRecord* mesh, float brightness) {
  if (!mesh) return;
  if (!HasVertexColour(*mesh)) {
    MeshMaterial& m = mesh->material;
    m.diffuse = {brightness, brightness, brightness, 1.0f};
    m.ambient = {brightness, brightness, brightness, 1.0f};
    m.specular = m.emissive = {0, 0, 0, 0};
    mesh->ownMaterial = 1;
  } else {
    FVFLayout layout;
    GetMeshFVFLayout(mesh, &layout);
    const uint32_t grey = GreyByte(brightness) * 0x01010101u;
    for (int32_t i = 0; i < mesh->vertexCount; ++i)
      if (uint8_t* vertex = VertexAt(mesh, i)) WriteVertexWord(vertex, layout.diffuse, grey);
  }
  MarkMeshVerticesChanged(mesh);
}

void ScrollMeshTexture(MeshRecord* mesh, float du, float dv) {
  if (!mesh || !(mesh->fvf & kFvfTexture1)) return;
  FVFLayout layout;
  GetMeshFVFLayout(mesh, &layout);
  for (int32_t i = 0; i < mesh->vertexCount; ++i) {
    uint8_t* vertex = VertexAt(mesh, i);
    if (!vertex) break;
    WriteVertexFloat(vertex, layout.u[0], ReadVertexFloat(vertex, layout.u[0]) + du);
    WriteVertexFloat(vertex, layout.v[0], ReadVertexFloat(vertex, layout.v[0]) + dv);
  }
  MarkMeshVerticesChanged(mesh);
}

void SetMeshVertexPosition(MeshRecord* mesh, int32_t index, float x, float y, float z) {
  if (!mesh) return;
  FVFLayout layout;
  GetMeshFVFLayout(mesh, &layout);
  if (uint8_t* vertex = VertexAt(mesh, index); vertex && layout.z != 0) WriteVertexPosition(vertex, layout, {x, y, z});
  MarkMeshVerticesChanged(mesh);
}

float GetMeshVertexX(const MeshRecord* mesh, int32_t index) { return VertexComponent(mesh, index, 0); }
float GetMeshVertexY(const MeshRecord* mesh, int32_t index) { return VertexComponent(mesh, index, 1); }
float GetMeshVertexZ(const MeshRecord* mesh, int32_t index) { return VertexComponent(mesh, index, 2); }

void SetMeshWireframe(MeshRecord* mesh, uint8_t on) { SetMeshField(mesh, &MeshRecord::wireframe, on); }
void SetMeshTransparency(MeshRecord* mesh, uint8_t on) { SetMeshField(mesh, &MeshRecord::transparency, on); }
void SetMeshAlphaRef(MeshRecord* mesh, uint32_t reference) { SetMeshField(mesh, &MeshRecord::alphaRef, reference); }
void SetMeshCulling(MeshRecord* mesh, uint8_t on) { SetMeshField(mesh, &MeshRecord::culling, on); }
void SetMeshZWrite(MeshRecord* mesh, uint8_t on) { SetMeshField(mesh, &MeshRecord::zWrite, on); }
void SetMeshLighting(MeshRecord* mesh, uint8_t on) { SetMeshField(mesh, &MeshRecord::lighting, on); }
void SetMeshFog(MeshRecord* mesh, uint8_t on) { SetMeshField(mesh, &MeshRecord::fog, on); }

void SetMeshTranslucent(MeshRecord* mesh, uint8_t on, int32_t blendMode) {
  if (!mesh) return;
  mesh->translucent = on;
  if (blendMode != -1) mesh->translucentMode = uint32_t(blendMode);
}
