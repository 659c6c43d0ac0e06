// The view frustum stack: level 0 is the camera's frustum, levels 1 to 19 are narrowed through portals
// by the scene partition. Planes face inwards: a point p is inside when a p.x + b p.y + c p.z + d >= 0.
#pragma once

#include "engine/objects/records.h"
#include "platform/d3dx/math_types.h"

constexpr int kFrustumLevels = 20;
struct FrustumPlanes {
  platform::d3dx::Plane planes[6];  // left, right, bottom, top, near, far
};

FrustumPlanes& GetFrustumLevel(int level);  // level clamped into 0..19
// Level 0 from view x projection (depth 0..1), each plane normalised.
void BuildFrustumPlanes(const Matrix& view, const Matrix& projection);
// The same from the device's current view and projection; false, level 0 untouched, without a device.
bool BuildFrustumPlanes();
// Into `level` (1..19): the four planes through the eye and each edge of the portal quad, facing the
// portal's inside, with the near and far planes of level 0. False for a level out of range.
bool PushPortalFrustum(int level, const Vector3& eye, const Vector3 corners[4]);
// False as soon as the centre lies more than the radius behind a plane of level 0.
bool SphereInFrustum(float x, float y, float z, float radius);
// False when all eight corners lie more than 0.01 behind one plane of the level.
bool BoxInFrustum(int level, float x, float y, float z, float halfX, float halfY, float halfZ);
