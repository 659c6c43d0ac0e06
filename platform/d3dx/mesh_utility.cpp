#include "platform/d3dx/mesh_utility.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/d3dx/math_vector.h"
#include "platform/d3dx/mesh_vertex_format.h"

namespace platform::d3dx {

using namespace platform::gfx;

namespace {

// Sizes above this are refused: far beyond any model, and safe from overflow in every product below.
constexpr size_t kMaxBytes = size_t{1} << 31;

bool IsFloatType(uint8_t type) { return type <= DECLTYPE_FLOAT4; }

const VertexElement* FindElement(const VertexElement* decl, uint8_t usage, uint8_t usageIndex) {
  const uint32_t length = DeclarationLength(decl);
  for (uint32_t i = 0; i < length; ++i)
    if (decl[i].usage == usage && decl[i].usageIndex == usageIndex) return &decl[i];
  return nullptr;
}

}  // namespace

std::unique_ptr<Mesh> Mesh::Create(uint32_t faceCount, uint32_t vertexCount, uint32_t options,
                                   const VertexElement* decl) {
  if (!decl) return nullptr;
  const uint32_t length = DeclarationLength(decl);
  if (length >= kMaxDeclLength) return nullptr;
  for (uint32_t i = 0; i < length; ++i)
    if (decl[i].stream != 0 || DeclTypeSize(decl[i].type) == 0) return nullptr;
  const uint32_t vertexSize = DeclarationVertexSize(decl, 0);
  if (vertexSize == 0) return nullptr;
  const bool wide = (options & MESH_32BIT) != 0;
  if (!wide && vertexCount > 65536) return nullptr;
  const size_t vertexBytes = size_t{vertexCount} * vertexSize;
  const size_t indexBytes = size_t{faceCount} * 3 * (wide ? 4 : 2);
  if (vertexBytes > kMaxBytes || indexBytes > kMaxBytes) return nullptr;

  std::unique_ptr<Mesh> mesh(new Mesh);
  std::copy(decl, decl + length, mesh->decl_);
  mesh->decl_[length] = kDeclEnd;
  uint32_t fvf = 0;
  mesh->fvf_ = FvfFromDeclaration(mesh->decl_, &fvf) ? fvf : 0;
  mesh->vertexSize_ = vertexSize;
  mesh->vertexCount_ = vertexCount;
  mesh->faceCount_ = faceCount;
  mesh->options_ = options;
  mesh->vertices_.assign(vertexBytes, 0);
  mesh->indices_.assign(indexBytes, 0);
  return mesh;
}

std::unique_ptr<Mesh> Mesh::CreateFvf(uint32_t faceCount, uint32_t vertexCount, uint32_t options, uint32_t fvf) {
  VertexElement decl[kMaxDeclLength];
  if (!DeclarationFromFvf(fvf, decl)) return nullptr;
  return Create(faceCount, vertexCount, options, decl);
}

uint32_t Mesh::Index(size_t i) const {
  if (Has32BitIndices()) {
    uint32_t value;
    std::memcpy(&value, &indices_[i * 4], 4);
    return value;
  }
  uint16_t value;
  std::memcpy(&value, &indices_[i * 2], 2);
  return value;
}

void Mesh::SetIndex(size_t i, uint32_t value) {
  if (Has32BitIndices()) {
    std::memcpy(&indices_[i * 4], &value, 4);
  } else {
    const uint16_t narrow = static_cast<uint16_t>(value);
    std::memcpy(&indices_[i * 2], &narrow, 2);
  }
}

std::unique_ptr<Mesh> Mesh::Clone(uint32_t options, const VertexElement* decl) const {
  std::unique_ptr<Mesh> copy = Create(faceCount_, vertexCount_, options, decl);
  if (!copy) return nullptr;
  for (size_t i = 0; i < size_t{faceCount_} * 3; ++i) copy->SetIndex(i, Index(i));

  const uint32_t length = DeclarationLength(copy->decl_);
  for (uint32_t e = 0; e < length; ++e) {
    const VertexElement& to = copy->decl_[e];
    const VertexElement* from = FindElement(decl_, to.usage, to.usageIndex);
    if (!from) continue;
    const uint32_t toSize = DeclTypeSize(to.type), fromSize = DeclTypeSize(from->type);
    size_t bytes = 0;
    if (from->type == to.type) bytes = toSize;
    else if (IsFloatType(from->type) && IsFloatType(to.type)) bytes = std::min(toSize, fromSize);
    if (bytes == 0) continue;  // no conversion between these types: the element stays zero
    for (uint32_t v = 0; v < vertexCount_; ++v)
      std::memcpy(&copy->vertices_[size_t{v} * copy->vertexSize_ + to.offset],
                  &vertices_[size_t{v} * vertexSize_ + from->offset], bytes);
  }
  return copy;
}

std::unique_ptr<Mesh> Mesh::CloneFvf(uint32_t options, uint32_t fvf) const {
  VertexElement decl[kMaxDeclLength];
  if (!DeclarationFromFvf(fvf, decl)) return nullptr;
  return Clone(options, decl);
}

bool ComputeNormals(Mesh* mesh) {
  if (!mesh) return false;
  const VertexElement* position = FindElement(mesh->Declaration(), DECLUSAGE_POSITION, 0);
  const VertexElement* normal = FindElement(mesh->Declaration(), DECLUSAGE_NORMAL, 0);
  if (!position || !normal || (position->type != DECLTYPE_FLOAT3 && position->type != DECLTYPE_FLOAT4) ||
      normal->type != DECLTYPE_FLOAT3)
    return false;

  const uint32_t count = mesh->VertexCount();
  const size_t stride = mesh->VertexSize();
  std::span<uint8_t> data = mesh->VertexData();
  auto positionOf = [&](uint32_t v) {
    Vector3 p;
    std::memcpy(&p, &data[v * stride + position->offset], sizeof p);
    return p;
  };
  std::vector<Vector3> sums(count, Vector3{0.0f, 0.0f, 0.0f});
  for (uint32_t f = 0; f < mesh->FaceCount(); ++f) {
    const uint32_t i0 = mesh->Index(f * 3), i1 = mesh->Index(f * 3 + 1), i2 = mesh->Index(f * 3 + 2);
    if (i0 >= count || i1 >= count || i2 >= count) continue;
    const Vector3 p0 = positionOf(i0);
    const Vector3 faceNormal = Vec3Cross(Vec3Subtract(positionOf(i1), p0), Vec3Subtract(positionOf(i2), p0));
    for (uint32_t v : {i0, i1, i2}) sums[v] = Vec3Add(sums[v], faceNormal);
  }
  for (uint32_t v = 0; v < count; ++v) {
    const Vector3 n = Vec3Normalize(sums[v]);
    std::memcpy(&data[v * stride + normal->offset], &n, sizeof n);
  }
  return true;
}

}  // namespace platform::d3dx
