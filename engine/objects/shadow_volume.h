// Stencil shadow volumes of a frame's mesh from a light, and the wire box and sphere meshes that show
// a frame's bounds.
#pragma once
#include <cstdint>
#include <vector>

#include "engine/objects/records.h"

// One silhouette edge candidate: a pair of vertex indices (32-bit, as a model mesh may hold more
// vertices than 16-bit indices reach).
struct ShadowEdge {
  uint32_t a, b;
};

// Removes (a, b) or (b, a) from the list (the last pair takes its place), else appends (a, b). Edges
// of two lit faces cancel, so the list ends holding the silhouette.
void ToggleSilhouetteEdge(std::vector<ShadowEdge>* edges, uint32_t a, uint32_t b);
// Appends the volume of the mesh's silhouette from a point light (range -1: 2000) to the shadow mesh
// from vertex *vertexCount on (12 positions per silhouette edge: two side triangles, a near cap
// triangle from the mesh's world centre and a far cap triangle), growing the shadow mesh as needed;
// *vertexCount receives the vertices written in all. Silhouette points are pushed `range` further
// along the ray from the light. The light is taken into the mesh's space by the inverse of
// worldMatrix when given; vertexMatrix, when given, places the mesh's positions.
bool ExtrudeShadowVolume(const Vector3& light, const MeshRecord* mesh, float range, MeshRecord* shadowMesh,
                         int32_t* vertexCount, const Matrix* vertexMatrix, const Matrix* worldMatrix);
// Nothing without a mesh or shadow mesh; else the volume from no vertices. True.
bool BuildShadowVolumeMesh(const Vector3& light, float range, const MeshRecord* mesh, MeshRecord* shadowMesh,
                           const Matrix* vertexMatrix, const Matrix* worldMatrix);
// Rebuilds the frame's shadow volume when its shadow mesh is marked (-1.0 in shadowRebuild), from
// light `light` of the device, or from (x, y, z) with the shadow mesh's radius as range when light is
// -1. False without a mesh or shadow mesh.
bool UpdateFrameShadow(FrameRecord* frame, const Matrix* vertexMatrix, int32_t light, float x, float y, float z);

// The wire box 1% beyond the frame mesh's bounds box into the bound-box mesh (when both exist).
void BuildBoundBoxMesh(FrameRecord* frame);
// The wire sphere 1% beyond the frame mesh's bounds sphere (5 rings, 8 segments).
void BuildBoundSphereMesh(FrameRecord* frame);
