// Moving a mesh record into and out of a utility mesh, which changes vertex layouts and computes
// normals.
#pragma once
#include <cstdint>
#include <memory>

#include "engine/objects/records.h"
#include "platform/d3dx/mesh_utility.h"

// A utility mesh of the mesh's draw primitive count in triangles, from the mesh's layout; strips and
// fans are first turned into lists, and an unindexed mesh gets sequential indices (kept in the mesh
// when they fit 16 bits). With an FVF code or a declaration the result is a clone in that layout.
// Null when the mesh's storage does not hold the triangles it draws or the layout cannot be made.
std::unique_ptr<platform::d3dx::Mesh> CreateMeshBuffers(MeshRecord* mesh,
                                                        const platform::gfx::VertexElement* declaration,
                                                        uint32_t fvf);
// The utility mesh's layout, vertices and indices into the record; a mesh whose indices would not fit
// 16 bits is stored as plain vertices, three per face. False for a null utility mesh or failed storage.
bool CopyD3DXMeshToMesh(MeshRecord* mesh, const platform::d3dx::Mesh* utilityMesh);
// Back to the layout saved before an effect changed it.
bool RestoreMeshFVF(MeshRecord* mesh);
bool ConvertMeshFVF(MeshRecord* mesh, uint32_t fvf);
// Area-weighted vertex normals from the triangles.
bool ComputeMeshNormals(MeshRecord* mesh);
// ComputeMeshNormals when the layout has both a position and a normal; otherwise nothing.
void UpdateMeshNormals(MeshRecord* mesh);
