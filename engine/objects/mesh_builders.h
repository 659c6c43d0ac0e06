// Meshes built from numbers: boxes, spheres, transformed copies and one mesh of a whole object.
#pragma once
#include <cstdint>
#include <memory>

#include "engine/objects/records.h"

// 24 vertices (four per face, each with the face's normal, the colour and texture coordinates) and 36
// indices of a box from (x0, y0, z0) to (x1, y1, z1). With allocate the storage is made for the FVF
// code (error 7002 and false when it cannot be); without, the mesh must already hold that layout and
// room for 24 vertices and 36 indices.
bool MakeBoxMesh(bool allocate, MeshRecord* mesh, float x0, float y0, float z0, float x1, float y1, float z1,
                 uint32_t fvf, uint32_t colour);
// (rings + 1) x (segments + 1) vertices around the centre, drawn as one triangle strip pairing each
// ring with the next. Error 7002 and false when the storage cannot be made or would need more than
// 65,535 indices.
bool MakeSphereMesh(bool allocate, MeshRecord* mesh, float centreX, float centreY, float centreZ, float radius,
                    uint32_t rings, uint32_t segments, uint32_t fvf);

// destination := a copy of source with the given counts (what fits), positions and normals
// (renormalised) transformed by the matrix (identity when null), and its bounds recomputed.
bool CopyMeshTransformedCounts(MeshRecord* destination, const MeshRecord* source, const Matrix* matrix,
                               int32_t indexCount, int32_t vertexCount);
bool CopyMeshTransformed(MeshRecord* destination, const MeshRecord* source, const Matrix* matrix);

// One mesh of all the object's meshes in the layout of its first mesh, each in its frame and scaled
// and turned as the object (not moved). Indexed when the result fits 16-bit indices, else plain
// vertices. False when the object has no mesh or its first mesh has no FVF code.
bool CombineObjectMeshes(std::unique_ptr<MeshRecord>* out, ObjectRecord* object);
