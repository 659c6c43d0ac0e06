#include "platform/d3dx/math_plane.h"

#include <cmath>

#include "platform/d3dx/math_vector.h"

namespace platform::d3dx {

Plane PlaneFromPointNormal(const Vector3& point, const Vector3& normal) {
  return {normal.x, normal.y, normal.z, -Vec3Dot(point, normal)};
}

Plane PlaneFromPoints(const Vector3& p1, const Vector3& p2, const Vector3& p3) {
  const Vector3 normal = Vec3Normalize(Vec3Cross(Vec3Subtract(p2, p1), Vec3Subtract(p3, p1)));
  return PlaneFromPointNormal(p1, normal);
}

float PlaneDotCoord(const Plane& p, const Vector3& v) { return p.a * v.x + p.b * v.y + p.c * v.z + p.d; }
float PlaneDotNormal(const Plane& p, const Vector3& v) { return p.a * v.x + p.b * v.y + p.c * v.z; }

Plane PlaneNormalize(const Plane& p) {
  const float length = std::sqrt(p.a * p.a + p.b * p.b + p.c * p.c);
  if (!(length > 0.0f)) return {0.0f, 0.0f, 0.0f, 0.0f};
  const float inv = 1.0f / length;
  return {p.a * inv, p.b * inv, p.c * inv, p.d * inv};
}

bool PlaneIntersectLine(const Plane& p, const Vector3& v1, const Vector3& v2, Vector3* out) {
  const Vector3 direction = Vec3Subtract(v2, v1);
  const float denominator = PlaneDotNormal(p, direction);
  if (denominator == 0.0f) return false;
  const float t = -PlaneDotCoord(p, v1) / denominator;
  if (out) *out = Vec3Add(v1, Vec3Scale(direction, t));
  return true;
}

}  // namespace platform::d3dx
