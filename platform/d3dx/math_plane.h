// Planes (a, b, c, d): a point p lies on the plane when a p.x + b p.y + c p.z + d = 0.
#pragma once
#include "platform/d3dx/math_types.h"

namespace platform::d3dx {

// Normal = normalise((p2 - p1) x (p3 - p1)).
Plane PlaneFromPoints(const Vector3& p1, const Vector3& p2, const Vector3& p3);
Plane PlaneFromPointNormal(const Vector3& point, const Vector3& normal);
float PlaneDotCoord(const Plane& p, const Vector3& v);   // a x + b y + c z + d
float PlaneDotNormal(const Plane& p, const Vector3& v);  // a x + b y + c z
// Scales the plane so that its normal is unit length; a zero normal gives the zero plane.
Plane PlaneNormalize(const Plane& p);
// Where the line through v1 and v2 (not only the segment) meets the plane; false when parallel.
bool PlaneIntersectLine(const Plane& p, const Vector3& v1, const Vector3& v2, Vector3* out);

}  // namespace platform::d3dx
