// Ray tests and bounding volumes over positions.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/d3dx/math_types.h"

namespace platform::d3dx {

// Ray origin + t dir (t >= 0) against triangle (p0, p1, p2), both faces. On a hit the point is
// p0 + u (p1 - p0) + v (p2 - p0) and *distance is t, in units of dir's length.
bool IntersectTriangle(const Vector3& p0, const Vector3& p1, const Vector3& p2, const Vector3& origin,
                       const Vector3& dir, float* u, float* v, float* distance);
// Whether the ray origin + t dir (t >= 0) meets the box; a ray starting inside always does.
bool RayHitsBox(const Vector3& boxMin, const Vector3& boxMax, const Vector3& origin, const Vector3& dir);

// Positions are the first three floats of each of count items stride bytes apart. False for no items
// or a stride below 12 bytes.
bool ComputeBoundingBox(const void* firstPosition, size_t count, size_t stride, Vector3* min, Vector3* max);
// Centre = the mean of the positions, radius = the largest distance from it.
bool ComputeBoundingSphere(const void* firstPosition, size_t count, size_t stride, Vector3* centre,
                           float* radius);

}  // namespace platform::d3dx
