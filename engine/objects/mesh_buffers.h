// Copies between a mesh's arrays and device vertex and index buffers: placing a mesh in the
// buffers it is drawn from, and reading buffers back into a mesh. Each copy locks only the range it
// touches, copies and unlocks. Every copy is refused (false, nothing copied) for a null mesh or
// buffer, a mesh whose arrays do not hold its counts, a range beyond the end of the buffer, an index
// buffer of the other width, an index naming a vertex the mesh lacks, or a failed lock. A mesh with
// nothing to copy succeeds without touching the buffer.
#pragma once
#include <cstdint>

#include "engine/objects/records.h"

// The mesh's indices into a 16-bit buffer from index `startIndex` on. A mesh holding 32-bit indices is
// refused: they need not fit.
bool CopyMeshIndicesToBuffer(const MeshRecord* mesh, platform::gfx::IndexBuffer* buffer, uint32_t startIndex);
// The mesh's indices, of either width, widened into a 32-bit buffer from index `startIndex` on.
bool CopyMeshIndicesToBuffer32(const MeshRecord* mesh, platform::gfx::IndexBuffer* buffer, uint32_t startIndex);
// vertex count x vertex size bytes into the buffer from `byteOffset` on.
bool CopyMeshVerticesToBuffer(const MeshRecord* mesh, platform::gfx::VertexBuffer* buffer, uint32_t byteOffset);

// The mesh's vertex count x vertex size bytes from the buffer at `byteOffset`.
bool CopyBufferToMeshVertices(MeshRecord* mesh, platform::gfx::VertexBuffer* buffer, uint32_t byteOffset);
// The mesh's index count of indices from a buffer of either width at `startIndex`, kept in the mesh's
// own width. Refused, the mesh untouched, when one names a vertex beyond the mesh.
bool CopyBufferToMeshIndices(MeshRecord* mesh, platform::gfx::IndexBuffer* buffer, uint32_t startIndex);
