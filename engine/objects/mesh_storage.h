// Giving a mesh record its vertex and index arrays, copying meshes, and turning strips, fans and
// indexed lists into other forms of the same triangles. All new storage is zeroed.
#pragma once
#include <cstdint>
#include <vector>

#include "engine/objects/records.h"

// Replaces the mesh's vertex and index arrays with zeroed ones of the given counts (16-bit indices).
// False, with the mesh untouched, for a null mesh, a negative count, more than 65,535 indices, or
// storage that cannot be had. The backup vertices no longer match new storage and are dropped.
bool AllocateMeshStorage(MeshRecord* mesh, int32_t vertexCount, int32_t indexCount);
// The same with 32-bit indices, for a model reader's mesh of more than 65,535 vertices.
bool AllocateWideMeshStorage(MeshRecord* mesh, int32_t vertexCount, int32_t indexCount);
// Sets the FVF code and the vertex size from its layout, then allocates; a device declaration object
// of an earlier declaration layout is given back.
bool SetupMeshStorage(MeshRecord* mesh, uint32_t fvf, int32_t vertexCount, int32_t indexCount);
// A declaration a mesh can hold: an end marker within the list, every element in stream 0 and inside
// the vertex.
bool DeclarationFits(const platform::gfx::VertexElement* declaration, uint32_t vertexSize);
// FVF 0 with the declaration and vertex size given, and a new device declaration object for it when
// there is a device. False, with the mesh untouched, for a declaration that does not fit, one the
// device refuses, or storage that cannot be had.
bool SetupMeshStorageDecl(MeshRecord* mesh, const platform::gfx::VertexElement* declaration, uint32_t vertexSize,
                          int32_t vertexCount, int32_t indexCount);

// Storage of the source's layout for the given counts; copies as much of the source's vertices and
// indices as fits, and its primitive type and draw counts.
bool CopyMeshInto(MeshRecord* destination, const MeshRecord* source, int32_t indexCount, int32_t vertexCount);
bool CopyMeshRecord(MeshRecord* destination, const MeshRecord* source);

// An unindexed mesh from raw vertices. Refused when vertexSize is not the size of the FVF code, the
// count is negative, the byte count overflows, or data is null with a non-zero count.
bool SetMeshFromRawVertices(MeshRecord* mesh, uint32_t fvf, uint32_t vertexSize, const void* data,
                            int32_t vertexCount, uint32_t primitiveType);

// The index (either width) at place i; the caller keeps i below indexCount.
uint32_t MeshIndexAt(const MeshRecord& mesh, size_t i);
// Whether the mesh's storage matches its counts and layout and every index, bone influence, subset
// and attached frame stays inside it. Model readers check what they built with this before use.
bool ValidateMeshRecord(const MeshRecord& mesh);

// A triangle strip or fan becomes a triangle list of the same triangles (indexed when the result fits
// in 16-bit indices, else as plain vertices). True when the mesh was converted.
bool ConvertStripsToList(MeshRecord* mesh);

constexpr uint32_t kNoVertex = 0xFFFFFFFF;
// An indexed triangle list becomes plain vertices, one per former index. When indexMap is given it
// receives, for every former vertex, the last new vertex made from it (kNoVertex for an unused one).
// False, with the mesh untouched, when an index lies beyond the vertices or storage cannot be had;
// true also when there was nothing to expand.
bool ExpandMeshIndices(MeshRecord* mesh, std::vector<uint32_t>* indexMap = nullptr);
