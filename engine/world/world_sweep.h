// The geometry of the collide-and-slide sweep: one level's packet, the sphere-against-triangle test
// and the point, segment, plane and sphere helpers it stands on. Engine units; in ellipsoid space
// everything is divided by the radii first.
#pragma once
#include <cstdint>

#include "platform/gfx/types.h"

// Moves shorter than this are not swept; a contact stops the sphere this much short of it.
constexpr float kMinSweepMove = 0.003f;
constexpr float kContactGap = 0.001f;

struct CollisionPacket {
  platform::gfx::Vector3 position;
  platform::gfx::Vector3 velocity;
  platform::gfx::Vector3 normalizedVelocity;
  float length;
  bool found = false;
  float nearest = -1.0f;
  platform::gfx::Vector3 intersection{0, 0, 0};
  platform::gfx::Vector3 radii;
};

struct CollisionTriangle;

inline platform::gfx::Vector3 DivideComponents(const platform::gfx::Vector3& a, const platform::gfx::Vector3& b) {
  return {a.x / b.x, a.y / b.y, a.z / b.z};
}
inline platform::gfx::Vector3 MultiplyComponents(const platform::gfx::Vector3& a, const platform::gfx::Vector3& b) {
  return {a.x * b.x, a.y * b.y, a.z * b.z};
}

// The sphere of the packet (or the unit sphere in ellipsoid space) moved along its velocity against
// one triangle: the nearest contact so far goes into the packet.
void SphereTriangleTest(CollisionPacket& packet, const CollisionTriangle& triangle);

// (B - A) x (D - A).
platform::gfx::Vector3 TriangleNormal(const platform::gfx::Vector3& a, const platform::gfx::Vector3& b,
                                      const platform::gfx::Vector3& d);
// Where o + t dir (0 < t <= 1) meets the plane through planePoint; false when it does not, or when
// the segment runs along the plane.
bool IntersectSegmentPlane(const platform::gfx::Vector3& o, const platform::gfx::Vector3& dir,
                           const platform::gfx::Vector3& planePoint, const platform::gfx::Vector3& normal,
                           platform::gfx::Vector3* out);
// Distance along dir from o to the plane; -1 when dir runs along it.
float RayPlaneDistance(const platform::gfx::Vector3& o, const platform::gfx::Vector3& dir,
                       const platform::gfx::Vector3& planePoint, const platform::gfx::Vector3& normal);
// Whether q (in the corners' plane) lies inside the polygon: the angles it sees between consecutive
// corners add up to a full turn.
bool PointInPolygon(const platform::gfx::Vector3& q, const platform::gfx::Vector3* corners, int count);
platform::gfx::Vector3 ClosestPointOnSegment(const platform::gfx::Vector3& a, const platform::gfx::Vector3& b,
                                             const platform::gfx::Vector3& q);
// The nearest point to q on the polygon's edges (the earliest edge on ties) and that edge's vector.
platform::gfx::Vector3 ClosestPointOnPolygonEdge(const platform::gfx::Vector3& q, const platform::gfx::Vector3* corners,
                                                 int count, platform::gfx::Vector3* edge);
// Distance along the unit direction d from o to the sphere (centre c, radius r); -1 when it misses.
float RaySphereDistance(const platform::gfx::Vector3& o, const platform::gfx::Vector3& d,
                        const platform::gfx::Vector3& c, float r);
