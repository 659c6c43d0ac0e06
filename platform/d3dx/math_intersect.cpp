#include "platform/d3dx/math_intersect.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "platform/d3dx/math_vector.h"

namespace platform::d3dx {

bool IntersectTriangle(const Vector3& p0, const Vector3& p1, const Vector3& p2, const Vector3& origin,
                       const Vector3& dir, float* u, float* v, float* distance) {
  const Vector3 edge1 = Vec3Subtract(p1, p0);
  const Vector3 edge2 = Vec3Subtract(p2, p0);
  const Vector3 pv = Vec3Cross(dir, edge2);
  const float det = Vec3Dot(edge1, pv);
  if (std::fabs(det) < 1e-12f) return false;  // ray parallel to the triangle (or a degenerate one)
  const float inv = 1.0f / det;
  const Vector3 tv = Vec3Subtract(origin, p0);
  const float bu = Vec3Dot(tv, pv) * inv;
  if (bu < 0.0f || bu > 1.0f) return false;
  const Vector3 qv = Vec3Cross(tv, edge1);
  const float bv = Vec3Dot(dir, qv) * inv;
  if (bv < 0.0f || bu + bv > 1.0f) return false;
  const float t = Vec3Dot(edge2, qv) * inv;
  if (t < 0.0f) return false;
  if (u) *u = bu;
  if (v) *v = bv;
  if (distance) *distance = t;
  return true;
}

bool RayHitsBox(const Vector3& boxMin, const Vector3& boxMax, const Vector3& origin, const Vector3& dir) {
  const float mins[3] = {boxMin.x, boxMin.y, boxMin.z};
  const float maxs[3] = {boxMax.x, boxMax.y, boxMax.z};
  const float o[3] = {origin.x, origin.y, origin.z};
  const float d[3] = {dir.x, dir.y, dir.z};
  float tNear = 0.0f, tFar = INFINITY;
  for (int axis = 0; axis < 3; ++axis) {
    if (d[axis] == 0.0f) {
      if (o[axis] < mins[axis] || o[axis] > maxs[axis]) return false;
      continue;
    }
    float t1 = (mins[axis] - o[axis]) / d[axis];
    float t2 = (maxs[axis] - o[axis]) / d[axis];
    if (t1 > t2) std::swap(t1, t2);
    if (t1 > tNear) tNear = t1;
    if (t2 < tFar) tFar = t2;
    if (tNear > tFar) return false;
  }
  return true;
}

namespace {
Vector3 PositionAt(const void* first, size_t index, size_t stride) {
  Vector3 p;
  std::memcpy(&p, static_cast<const uint8_t*>(first) + index * stride, sizeof p);
  return p;
}
}  // namespace

bool ComputeBoundingBox(const void* firstPosition, size_t count, size_t stride, Vector3* min, Vector3* max) {
  if (!firstPosition || count == 0 || stride < sizeof(Vector3)) return false;
  Vector3 lo = PositionAt(firstPosition, 0, stride), hi = lo;
  for (size_t i = 1; i < count; ++i) {
    const Vector3 p = PositionAt(firstPosition, i, stride);
    lo = Vec3Minimize(lo, p);
    hi = Vec3Maximize(hi, p);
  }
  if (min) *min = lo;
  if (max) *max = hi;
  return true;
}

bool ComputeBoundingSphere(const void* firstPosition, size_t count, size_t stride, Vector3* centre,
                           float* radius) {
  if (!firstPosition || count == 0 || stride < sizeof(Vector3)) return false;
  Vector3 sum{0.0f, 0.0f, 0.0f};
  for (size_t i = 0; i < count; ++i) sum = Vec3Add(sum, PositionAt(firstPosition, i, stride));
  const Vector3 mid = Vec3Scale(sum, 1.0f / static_cast<float>(count));
  float largestSq = 0.0f;
  for (size_t i = 0; i < count; ++i) {
    const float dSq = Vec3LengthSq(Vec3Subtract(PositionAt(firstPosition, i, stride), mid));
    if (dSq > largestSq) largestSq = dSq;
  }
  if (centre) *centre = mid;
  if (radius) *radius = std::sqrt(largestSq);
  return true;
}

}  // namespace platform::d3dx
