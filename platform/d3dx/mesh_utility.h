// Utility meshes: a vertex layout (FVF code or declaration) with its vertices and a triangle list of
// 16- or 32-bit indices, kept in system memory. The engine moves its mesh records through them to
// change vertex layouts and to compute normals.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/gfx/types.h"

namespace platform::d3dx {

using gfx::VertexElement;

// Creation options; the values are those the engine passes.
enum : uint32_t {
  MESH_32BIT = 0x001,
  MESH_SYSTEMMEM = 0x110,
  MESH_MANAGED = 0x220,
};

class Mesh {
 public:
  // Null when the declaration is not a single-stream list with an end marker, the vertex size is 0,
  // the sizes overflow, or 16-bit indices could not address every vertex.
  static std::unique_ptr<Mesh> Create(uint32_t faceCount, uint32_t vertexCount, uint32_t options,
                                      const VertexElement* decl);
  static std::unique_ptr<Mesh> CreateFvf(uint32_t faceCount, uint32_t vertexCount, uint32_t options, uint32_t fvf);

  // 0 when the declaration has no FVF equivalent.
  uint32_t Fvf() const { return fvf_; }
  // kMaxDeclLength entries, ending with the end marker.
  const VertexElement* Declaration() const { return decl_; }
  uint32_t VertexSize() const { return vertexSize_; }
  uint32_t VertexCount() const { return vertexCount_; }
  uint32_t FaceCount() const { return faceCount_; }
  uint32_t Options() const { return options_; }
  bool Has32BitIndices() const { return (options_ & MESH_32BIT) != 0; }
  uint32_t IndexSize() const { return Has32BitIndices() ? 4u : 2u; }

  // The whole vertex and index storage (what locking a buffer gives); new storage is zeroed.
  std::span<uint8_t> VertexData() { return vertices_; }
  std::span<const uint8_t> VertexData() const { return vertices_; }
  std::span<uint8_t> IndexData() { return indices_; }
  std::span<const uint8_t> IndexData() const { return indices_; }
  // Index i of FaceCount() x 3, whatever the index width.
  uint32_t Index(size_t i) const;
  void SetIndex(size_t i, uint32_t value);

  // A copy in another layout: each element of the new layout takes the source element of the same
  // usage and usage index (float widths converted, missing floats 0); elements without one are zero.
  std::unique_ptr<Mesh> Clone(uint32_t options, const VertexElement* decl) const;
  std::unique_ptr<Mesh> CloneFvf(uint32_t options, uint32_t fvf) const;

 private:
  Mesh() = default;

  uint32_t fvf_ = 0;
  VertexElement decl_[gfx::kMaxDeclLength] = {};
  uint32_t vertexSize_ = 0;
  uint32_t vertexCount_ = 0;
  uint32_t faceCount_ = 0;
  uint32_t options_ = 0;
  std::vector<uint8_t> vertices_;
  std::vector<uint8_t> indices_;
};

// Vertex normals from the triangles: each face's normal (p1 - p0) x (p2 - p0), whose length is twice
// the face's area, is added to its three vertices, and the sums are normalised (so larger faces weigh
// more). Needs a float3 (or float4) position and a float3 normal; false otherwise. Faces naming a
// vertex beyond the vertex count are skipped.
bool ComputeNormals(Mesh* mesh);

}  // namespace platform::d3dx
