// Bounding boxes and spheres of meshes and objects.
#pragma once

#include "engine/objects/records.h"

// Box of the mesh's positions (from (1e6, 1e6, 1e6) / (-1e6, -1e6, -1e6) when it has none), centre
// of the box and the largest distance from it. False for a null mesh.
bool CalculateMeshBounds(MeshRecord* mesh);
// The mesh's positions through the matrix widen the box.
void AccumulateMeshBounds(Vector3* boxMin, Vector3* boxMax, const MeshRecord& mesh, const Matrix& matrix);
// The mesh's positions through the matrix raise the squared radius around the centre (and widen the box).
void AccumulateMeshRadius(float* radiusSq, const Vector3& centre, Vector3* boxMin, Vector3* boxMax,
                          const MeshRecord& mesh, const Matrix& matrix);
// The object's box, centre and radius over all its meshes in their frames (a skinned mesh, whose
// vertices skinning leaves in object space, as it stands); with animation, also the
// animation set's per-frame bounds (sampled at most 1000 times over its length), and the object's own
// bounds then cover every sampled pose. False for a null object or an animation too long to sample.
bool CalculateObjectBounds(ObjectRecord* object);
