// Vertex elements a shader effect reads, added to a mesh when the effect is attached: normal, colour,
// tangent and binormal, and the four strongest bone influences as weights and bone numbers in texture
// sets 1 and 2. The tangent frame comes from the vertex-stream converter. All of it runs once per
// attach, on system-memory copies.
#pragma once
#include <cstdint>
#include <memory>

#include "engine/objects/records.h"
#include "platform/d3dx/mesh_utility.h"

// Extends the mesh's layout with the missing elements the settings ask for (a zero flag is off; the
// binormal follows the tangent setting), fills them and copies the result back into the record. A
// mesh that cannot be made into a utility mesh is left as it is.
void AddEffectVertexStreams(MeshRecord* mesh, uint32_t generateNormals, uint32_t tangents, uint32_t colors,
                            uint32_t bones);

// The mesh with its position, normal, texture set 0, colour, tangent and binormal elements written
// from the converter's streams (crease angle 60 degrees, no texture matrix). The flags choose splitting
// creases, repairing wrapped seams and weighting face normals when not zero. Takes over the mesh: the
// result replaces it (the position-normal-texture copy of it when the conversion fails; the mesh itself
// when even that copy cannot be made).
std::unique_ptr<platform::d3dx::Mesh> GenerateTangentSpace(std::unique_ptr<platform::d3dx::Mesh> mesh,
                                                           uint32_t splitCreases, uint32_t repairWrap,
                                                           uint32_t weightNormals);

// Each vertex's four strongest bone influences, strongest first: weights (four floats at weightOffset)
// and bone numbers as floats (four at numberOffset), zero where there are fewer. Influences naming a
// vertex the mesh lacks are passed over.
void WriteBoneInfluences(const MeshRecord* record, platform::d3dx::Mesh* mesh, uint32_t weightOffset,
                         uint32_t numberOffset, uint32_t vertexSize);
