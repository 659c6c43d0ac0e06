// The sphere-against-triangle test of the sweep and its helpers.
#include "engine/world/world_sweep.h"

#include <algorithm>
#include <cmath>

#include "engine/world/tree_world_state.h"
#include "platform/d3dx/math_vector.h"

namespace gfx = platform::gfx;
namespace dx = platform::d3dx;

// Angles that add up to within 0.01 of this make a full turn around a point.
constexpr float kFullTurn = 6.28f;

gfx::Vector3 TriangleNormal(const gfx::Vector3& a, const gfx::Vector3& b, const gfx::Vector3& d) {
  return dx::Vec3Cross(dx::Vec3Subtract(b, a), dx::Vec3Subtract(d, a));
}

bool IntersectSegmentPlane(const gfx::Vector3& o, const gfx::Vector3& dir, const gfx::Vector3& planePoint,
                           const gfx::Vector3& normal, gfx::Vector3* out) {
  const float denominator = dx::Vec3Dot(normal, dir);
  if (denominator > -0.00001f && denominator < 0.00001f) return false;
  const float t = dx::Vec3Dot(normal, dx::Vec3Subtract(planePoint, o)) / denominator;
  if (!(t > 0.0f && t <= 1.0f)) return false;
  *out = dx::Vec3Add(o, dx::Vec3Scale(dir, t));
  return true;
}

float RayPlaneDistance(const gfx::Vector3& o, const gfx::Vector3& dir, const gfx::Vector3& planePoint,
                       const gfx::Vector3& normal) {
  const float denominator = dx::Vec3Dot(normal, dir);
  if (denominator > -0.001f && denominator < 0.001f) return -1.0f;
  return -(dx::Vec3Dot(normal, o) - dx::Vec3Dot(normal, planePoint)) / denominator;
}

bool PointInPolygon(const gfx::Vector3& q, const gfx::Vector3* corners, int count) {
  float angle = 0.0f;
  for (int i = 0; i < count; ++i) {
    const gfx::Vector3 a = dx::Vec3Normalize(dx::Vec3Subtract(corners[i], q));
    const gfx::Vector3 b = dx::Vec3Normalize(dx::Vec3Subtract(corners[(i + 1) % count], q));
    // Rounding can take a dot product of unit vectors just past 1, where the arc cosine has no value.
    angle += std::acos(std::clamp(dx::Vec3Dot(a, b), -1.0f, 1.0f));
  }
  return std::fabs(angle - kFullTurn) < 0.01f;
}

gfx::Vector3 ClosestPointOnSegment(const gfx::Vector3& a, const gfx::Vector3& b, const gfx::Vector3& q) {
  const gfx::Vector3 along = dx::Vec3Subtract(b, a);
  const float length = dx::Vec3Length(along);
  const gfx::Vector3 unit = length > 0.0f ? dx::Vec3Scale(along, 1.0f / length) : along;
  const float t = dx::Vec3Dot(unit, dx::Vec3Subtract(q, a));
  if (t < 0.0f) return a;
  if (t > length) return b;
  return dx::Vec3Add(a, dx::Vec3Scale(unit, t));
}

gfx::Vector3 ClosestPointOnPolygonEdge(const gfx::Vector3& q, const gfx::Vector3* corners, int count,
                                       gfx::Vector3* edge) {
  gfx::Vector3 best = corners[0];
  float bestDistance = INFINITY;
  for (int i = 0; i < count; ++i) {
    const gfx::Vector3& a = corners[i];
    const gfx::Vector3& b = corners[(i + 1) % count];
    const gfx::Vector3 point = ClosestPointOnSegment(a, b, q);
    const float distance = dx::Vec3Length(dx::Vec3Subtract(q, point));
    if (distance < bestDistance) {
      bestDistance = distance;
      best = point;
      *edge = dx::Vec3Subtract(b, a);
    }
  }
  return best;
}

float RaySphereDistance(const gfx::Vector3& o, const gfx::Vector3& d, const gfx::Vector3& c, float r) {
  const gfx::Vector3 q = dx::Vec3Subtract(c, o);
  const float v = dx::Vec3Dot(q, d);
  const float e = r * r - (dx::Vec3LengthSq(q) - v * v);
  return e < 0.0f ? -1.0f : v - std::sqrt(e);
}

void SphereTriangleTest(CollisionPacket& packet, const CollisionTriangle& given) {
  CollisionTriangle triangle = given;
  float r = packet.radii.x;
  const bool ellipsoid = packet.radii.x != packet.radii.y || packet.radii.x != packet.radii.z;
  if (ellipsoid) {
    r = 1.0f;
    for (gfx::Vector3& corner : triangle.corners) corner = DivideComponents(corner, packet.radii);
    const gfx::Vector3* c = triangle.corners;
    gfx::Vector3 normal = dx::Vec3Normalize(TriangleNormal(c[0], c[1], c[2]));
    // The squeezed triangle keeps the side its own normal gives, whichever way its corners run.
    if (dx::Vec3Dot(normal, MultiplyComponents(given.normal, packet.radii)) < 0.0f)
      normal = dx::Vec3Scale(normal, -1.0f);
    triangle.normal = normal;
  }
  const gfx::Vector3& n = triangle.normal;
  const gfx::Vector3& a = triangle.corners[0];
  const gfx::Vector3 spherePoint = dx::Vec3Subtract(packet.position, dx::Vec3Scale(n, r));
  const float d = dx::Vec3Dot(n, dx::Vec3Subtract(spherePoint, a));
  if (!(d >= -2.0f * r && d <= packet.length)) return;

  gfx::Vector3 q{};
  const gfx::Vector3 probe = d >= 0.0f ? packet.velocity : dx::Vec3Scale(n, r);
  if (!IntersectSegmentPlane(spherePoint, probe, a, n, &q)) return;
  gfx::Vector3 direction{};
  if (PointInPolygon(q, triangle.corners, 3)) {
    direction = dx::Vec3Scale(packet.normalizedVelocity, -1.0f);
  } else {
    gfx::Vector3 edge{};
    q = ClosestPointOnPolygonEdge(q, triangle.corners, 3, &edge);
    const gfx::Vector3 across = dx::Vec3Cross(edge, dx::Vec3Cross(packet.normalizedVelocity, edge));
    direction = dx::Vec3Scale(dx::Vec3Normalize(across), -1.0f);
  }
  const float t = RaySphereDistance(q, direction, packet.position, r);
  if (t >= 0.0f && t <= packet.length && (!packet.found || t < packet.nearest)) {
    packet.nearest = t;
    packet.found = true;
    packet.intersection = q;
  }
}
