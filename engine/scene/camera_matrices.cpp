// A camera's view and projection from its position, angles, field of view and range, the aim at a
// point, and the automatic placement behind new objects.
#include <cmath>

#include "engine/objects/object_matrix.h"
#include "engine/scene/camera_state.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;
namespace dx = platform::d3dx;

namespace {

constexpr double kTwoPi = 6.2831854820251465;
constexpr float kToDegrees = 57.29578f;

// Into [0, 2 pi) by one step either way, as the angles from atan2 need no more.
double OneTurn(double angle) {
  if (angle < 0) angle += kTwoPi;
  if (angle >= kTwoPi) angle -= kTwoPi;
  return angle;
}

float Dot(const gfx::Vector3& a, const gfx::Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

}  // namespace

void UpdateCameraMatrices() {
  CameraState& s = Cameras();
  CameraRecord* camera = s.current;
  if (!camera) return;
  const gfx::Matrix r = dx::MatrixRotationDegreesXYZ(camera->angles.x, camera->angles.y, camera->angles.z);
  // The unit axes turned by R are R's rows.
  camera->right = {r.m[0][0], r.m[0][1], r.m[0][2]};
  camera->up = {r.m[1][0], r.m[1][1], r.m[1][2]};
  camera->look = {r.m[2][0], r.m[2][1], r.m[2][2]};
  gfx::Matrix& v = camera->view;
  v = dx::MatrixIdentity();
  const gfx::Vector3* axes[3] = {&camera->right, &camera->up, &camera->look};
  for (int column = 0; column < 3; ++column) {
    v.m[0][column] = axes[column]->x;
    v.m[1][column] = axes[column]->y;
    v.m[2][column] = axes[column]->z;
    v.m[3][column] = -Dot(camera->position, *axes[column]);
  }
  if (s.device) {
    s.device->SetTransform(gfx::TS_VIEW, &camera->view);
    s.device->SetTransform(gfx::TS_PROJECTION, &camera->projection);
  }
}

void CameraAnglesToPoint(const gfx::Vector3& from, const gfx::Vector3& to, gfx::Vector3* angles) {
  const gfx::Vector3 d{to.x - from.x, to.y - from.y, to.z - from.z};
  const double yaw = OneTurn(std::atan2(double(d.x), double(d.z)));
  // Turned back by the yaw, the direction lies in the y-z plane, where the pitch is read.
  const gfx::Matrix unturn = dx::MatrixRotationY(float(-yaw));
  const float dy = d.x * unturn.m[0][1] + d.y * unturn.m[1][1] + d.z * unturn.m[2][1];
  const float dz = d.x * unturn.m[0][2] + d.y * unturn.m[1][2] + d.z * unturn.m[2][2];
  const double pitch = OneTurn(-std::atan2(double(dy), double(dz)));
  angles->x = WrapAngle(float(pitch) * kToDegrees);
  angles->y = WrapAngle(float(yaw) * kToDegrees);
  angles->z = 0.0f;
}

void ApplyCameraRange(int32_t id, float nearPlane, float farPlane) {
  CameraState& s = Cameras();
  CameraRecord* camera = CameraForCommand(id);
  // Equal planes (or non-numbers) would divide by zero in the projection.
  if (!camera || !std::isfinite(nearPlane) || !std::isfinite(farPlane) || nearPlane == farPlane) return;
  camera->nearPlane = nearPlane;
  camera->farPlane = farPlane;
  camera->projection = dx::MatrixPerspectiveFovLH(camera->fieldOfView * dx::kDegreesToRadians, camera->aspect,
                                                  nearPlane, farPlane);
  if (id == s.currentNumber && s.device) s.device->SetTransform(gfx::TS_PROJECTION, &camera->projection);
}

void PlaceAutoCamera(float x, float y, float z, float size) {
  CameraState& s = Cameras();
  if (s.firstPlacement == 1) {
    s.firstPlacement = 0;
    EnableCameraClear(s.currentNumber);
  }
  if (s.autoCamera != 1) return;
  CameraRecord* camera = FindCamera(s.currentNumber);
  if (!camera) return;
  camera->position = {x, y + size * 0.5f, z - size * 3.0f};
  if (camera->position.z > -2.0f) camera->position.z = -2.0f;
  CameraAnglesToPoint(camera->position, {x, y, z}, &camera->angles);
  UpdateCameraMatrices();
}
