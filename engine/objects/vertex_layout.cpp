#include "engine/objects/vertex_layout.h"

#include <cstring>

#include "platform/d3dx/mesh_vertex_format.h"

using namespace platform::gfx;

namespace {

// Float widths of texture-set format bits 0..3.
constexpr uint32_t kTexSetFloats[4] = {2, 3, 4, 1};

void LayoutFromDeclaration(const MeshRecord& mesh, FVFLayout* layout) {
  const uint32_t sizeWords = mesh.vertexSize / 4;
  layout->sizeBytes = mesh.vertexSize;
  layout->sizeWords = sizeWords;
  const uint32_t length = platform::d3dx::DeclarationLength(mesh.declaration);
  // A component is set only when the words it covers lie inside the vertex.
  auto set = [&](uint32_t& word, uint32_t value) {
    if (value < sizeWords) word = value;
  };
  for (uint32_t i = 0; i < length; ++i) {
    const VertexElement& e = mesh.declaration[i];
    const uint32_t o = e.offset / 4;
    const uint32_t span = (platform::d3dx::DeclTypeSize(e.type) + 3) / 4;
    if (o + (span ? span : 1) > sizeWords) continue;
    switch (e.usage) {
      case DECLUSAGE_POSITION:
        set(layout->x, o), set(layout->y, o + 1), set(layout->z, o + 2);
        break;
      case DECLUSAGE_POSITIONT:
        set(layout->x, o), set(layout->y, o + 1), set(layout->z, o + 2), set(layout->w, o + 3);
        break;
      case DECLUSAGE_PSIZE: set(layout->pointSize, o); break;
      case DECLUSAGE_NORMAL:
        set(layout->nx, o), set(layout->ny, o + 1), set(layout->nz, o + 2);
        break;
      case DECLUSAGE_COLOR:
        if (e.usageIndex == 0) set(layout->diffuse, o);
        else if (e.usageIndex == 1) set(layout->specular, o);
        break;
      case DECLUSAGE_TEXCOORD: {
        const uint32_t n = e.usageIndex;
        if (n >= 8) break;
        set(layout->u[n], o);
        if (e.type == DECLTYPE_FLOAT2 || e.type == DECLTYPE_FLOAT3 || e.type == DECLTYPE_FLOAT4) set(layout->v[n], o + 1);
        if (e.type == DECLTYPE_FLOAT3 || e.type == DECLTYPE_FLOAT4) set(layout->t[n], o + 2);
        if (e.type == DECLTYPE_FLOAT4) set(layout->q[n], o + 3);
        break;
      }
      case DECLUSAGE_TANGENT:
      case DECLUSAGE_BINORMAL: {
        const uint32_t n = e.usage == DECLUSAGE_TANGENT ? 1 : 2;
        set(layout->u[n], o), set(layout->v[n], o + 1), set(layout->t[n], o + 2), set(layout->q[n], o + 3);
        break;
      }
      default: break;
    }
  }
}

}  // namespace

bool GetFVFLayout(uint32_t fvf, FVFLayout* layout) {
  if (!layout) return false;
  *layout = FVFLayout{};
  uint32_t c = 0;
  if (fvf & FVF_XYZ) {
    layout->x = 0, layout->y = 1, layout->z = 2;
    c = 3;
  }
  if (fvf & FVF_XYZRHW) {
    layout->w = (fvf & FVF_XYZ) ? 3 : 0;
    c += 1;
  }
  if (fvf & FVF_NORMAL) {
    layout->nx = c, layout->ny = c + 1, layout->nz = c + 2;
    c += 3;
  }
  if (fvf & FVF_PSIZE) layout->pointSize = c++;
  if (fvf & FVF_DIFFUSE) layout->diffuse = c++;
  if (fvf & FVF_SPECULAR) layout->specular = c++;
  uint32_t sets = (fvf & FVF_TEXCOUNT_MASK) >> FVF_TEXCOUNT_SHIFT;
  if (sets > 8) sets = 0;
  for (uint32_t n = 0; n < sets; ++n) {
    const uint32_t floats = kTexSetFloats[(fvf >> (16 + 2 * n)) & 3u];
    uint32_t* words[4] = {&layout->u[n], &layout->v[n], &layout->t[n], &layout->q[n]};
    for (uint32_t k = 0; k < floats; ++k) *words[k] = c + k;
    c += floats;
  }
  layout->sizeWords = c;
  layout->sizeBytes = 4 * c;
  return layout->sizeBytes == platform::d3dx::FvfVertexSize(fvf);
}

void GetMeshFVFLayout(const MeshRecord* mesh, FVFLayout* layout) {
  if (!layout) return;
  *layout = FVFLayout{};
  if (!mesh) return;
  if (mesh->fvf != 0) {
    GetFVFLayout(mesh->fvf, layout);
    return;
  }
  if (platform::d3dx::IsDeclarationEnd(mesh->declaration[0])) {
    layout->sizeBytes = mesh->vertexSize;
    layout->sizeWords = mesh->vertexSize / 4;
    return;
  }
  LayoutFromDeclaration(*mesh, layout);
}

float ReadVertexFloat(const uint8_t* vertex, uint32_t word) {
  float value;
  std::memcpy(&value, vertex + size_t{word} * 4, 4);
  return value;
}
void WriteVertexFloat(uint8_t* vertex, uint32_t word, float value) { std::memcpy(vertex + size_t{word} * 4, &value, 4); }
uint32_t ReadVertexWord(const uint8_t* vertex, uint32_t word) {
  uint32_t value;
  std::memcpy(&value, vertex + size_t{word} * 4, 4);
  return value;
}
void WriteVertexWord(uint8_t* vertex, uint32_t word, uint32_t value) { std::memcpy(vertex + size_t{word} * 4, &value, 4); }

namespace {
Vector3 ReadVertexVector(const uint8_t* vertex, uint32_t x, uint32_t y, uint32_t z) {
  return {ReadVertexFloat(vertex, x), ReadVertexFloat(vertex, y), ReadVertexFloat(vertex, z)};
}
void WriteVertexVector(uint8_t* vertex, uint32_t x, uint32_t y, uint32_t z, const Vector3& v) {
  WriteVertexFloat(vertex, x, v.x);
  WriteVertexFloat(vertex, y, v.y);
  WriteVertexFloat(vertex, z, v.z);
}
}  // namespace

Vector3 ReadVertexPosition(const uint8_t* vertex, const FVFLayout& layout) {
  return ReadVertexVector(vertex, layout.x, layout.y, layout.z);
}
void WriteVertexPosition(uint8_t* vertex, const FVFLayout& layout, const Vector3& p) {
  WriteVertexVector(vertex, layout.x, layout.y, layout.z, p);
}
Vector3 ReadVertexNormal(const uint8_t* vertex, const FVFLayout& layout) {
  return ReadVertexVector(vertex, layout.nx, layout.ny, layout.nz);
}
void WriteVertexNormal(uint8_t* vertex, const FVFLayout& layout, const Vector3& n) {
  WriteVertexVector(vertex, layout.nx, layout.ny, layout.nz, n);
}

bool WriteVertex(uint32_t fvf, uint8_t* data, uint32_t index, float x, float y, float z, float nx, float ny,
                 float nz, uint32_t diffuse, float u, float v) {
  if (!data) return false;
  FVFLayout layout;
  GetFVFLayout(fvf, &layout);
  uint8_t* vertex = data + size_t{index} * layout.sizeBytes;
  if (fvf & FVF_XYZ) WriteVertexPosition(vertex, layout, {x, y, z});
  if (fvf & FVF_NORMAL) WriteVertexNormal(vertex, layout, {nx, ny, nz});
  if (fvf & FVF_DIFFUSE) WriteVertexWord(vertex, layout.diffuse, diffuse);
  if ((fvf & FVF_TEXCOUNT_MASK) == FVF_TEX1) {
    WriteVertexFloat(vertex, layout.u[0], u);
    WriteVertexFloat(vertex, layout.v[0], v);
  }
  if (fvf & FVF_PSIZE) WriteVertexFloat(vertex, layout.pointSize, 1.0f);
  return true;
}
