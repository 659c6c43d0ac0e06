#include "engine/objects/frustum.h"

#include <algorithm>

#include "engine/objects/record_links.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/d3dx/math_plane.h"
#include "platform/d3dx/math_vector.h"
#include "platform/gfx/device.h"

using namespace platform::d3dx;

namespace {
FrustumPlanes g_levels[kFrustumLevels];
}  // namespace

FrustumPlanes& GetFrustumLevel(int level) { return g_levels[std::clamp(level, 0, kFrustumLevels - 1)]; }

void BuildFrustumPlanes(const Matrix& view, const Matrix& projection) {
  const Matrix m = MatrixMultiply(view, projection);
  auto column = [&](int c) { return Plane{m.m[0][c], m.m[1][c], m.m[2][c], m.m[3][c]}; };
  auto add = [](const Plane& a, const Plane& b, float sign) {
    return PlaneNormalize({a.a + sign * b.a, a.b + sign * b.b, a.c + sign * b.c, a.d + sign * b.d});
  };
  const Plane x = column(0), y = column(1), z = column(2), w = column(3);
  Plane* p = g_levels[0].planes;
  p[0] = add(w, x, 1.0f);   // left
  p[1] = add(w, x, -1.0f);  // right
  p[2] = add(w, y, 1.0f);   // bottom
  p[3] = add(w, y, -1.0f);  // top
  p[4] = PlaneNormalize(z);  // near: depth 0
  p[5] = add(w, z, -1.0f);  // far
}

bool BuildFrustumPlanes() {
  platform::gfx::Device* device = GetRecordDevice();
  Matrix view, projection;
  if (!device || platform::gfx::Failed(device->GetTransform(platform::gfx::TS_VIEW, &view)) ||
      platform::gfx::Failed(device->GetTransform(platform::gfx::TS_PROJECTION, &projection)))
    return false;
  BuildFrustumPlanes(view, projection);
  return true;
}

bool PushPortalFrustum(int level, const Vector3& eye, const Vector3 corners[4]) {
  if (level < 1 || level >= kFrustumLevels || !corners) return false;
  Vector3 inside{0, 0, 0};
  for (int i = 0; i < 4; ++i) inside = Vec3Add(inside, Vec3Scale(corners[i], 0.25f));
  // A point beyond the portal's centre, seen from the eye, is inside every side plane.
  inside = Vec3Add(inside, Vec3Subtract(inside, eye));
  Plane* p = g_levels[level].planes;
  for (int i = 0; i < 4; ++i) {
    Plane side = PlaneFromPoints(eye, corners[i], corners[(i + 1) % 4]);
    if (PlaneDotCoord(side, inside) < 0.0f) side = {-side.a, -side.b, -side.c, -side.d};
    p[i] = side;
  }
  p[4] = g_levels[0].planes[4];
  p[5] = g_levels[0].planes[5];
  return true;
}

bool SphereInFrustum(float x, float y, float z, float radius) {
  for (const Plane& plane : g_levels[0].planes)
    if (PlaneDotCoord(plane, {x, y, z}) < -radius) return false;
  return true;
}

bool BoxInFrustum(int level, float x, float y, float z, float halfX, float halfY, float halfZ) {
  for (const Plane& plane : GetFrustumLevel(level).planes) {
    bool anyInside = false;
    for (int corner = 0; corner < 8 && !anyInside; ++corner) {
      const Vector3 p{x + (corner & 1 ? halfX : -halfX), y + (corner & 2 ? halfY : -halfY),
                      z + (corner & 4 ? halfZ : -halfZ)};
      anyInside = PlaneDotCoord(plane, p) >= -0.01f;
    }
    if (!anyInside) return false;
  }
  return true;
}
