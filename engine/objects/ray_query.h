// Segment queries against the triangles of every mesh of an object. The nearest hit gives a distance
// in world units; its frame, bone frame, triangle and world point are kept and published as nine
// entries of the ResultList.
#pragma once
#include <cstdint>

#include "engine/objects/records.h"

// Details of the last hit, overwritten by every hit.
struct IntersectDetails {
  int32_t frame = 0;      // the hit frame's place in the frame list
  int32_t boneFrame = -1;  // index of the frame of the first bone naming the triangle's first vertex, -1 none
  int32_t vertexIndices[3] = {0, 0, 0};
  Vector3 vertexPositions[3] = {};  // in the mesh's own space, as stored
  Vector3 hitPoint{0, 0, 0};        // world
  Vector3 spare[2] = {};            // always zero
};

// Nearest hit of the segment from (x1, y1, z1) towards (x2, y2, z2) with the object's triangles, not
// limited to the segment's length; strip meshes are turned into lists first (and the renderer told).
// On a hit (distance > 0) the details are kept and published and the result is 1; *distance
// receives the best distance either way (0 when none).
uint8_t IntersectObjectTriangles(ObjectRecord* object, float x1, float y1, float z1, float x2, float y2, float z2,
                                 float* distance);
// IntersectObjectTriangles, for the distance alone (0 without a hit).
float IntersectObjectSegment(ObjectRecord* object, float x1, float y1, float z1, float x2, float y2, float z2);
// Publishes the last-hit details as entries 1 to 9 of the ResultList.
void ListIntersectDetails();
const IntersectDetails& GetIntersectDetails();
