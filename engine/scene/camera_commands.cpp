// The camera workers by number and the game's commands on the current camera.
#include "engine/scene/camera_state.h"

namespace {

int32_t Current() { return Cameras().currentNumber; }

float PositionOrZero(int32_t id, float platform::gfx::Vector3::*axis) {
  const CameraRecord* camera = CameraForCommand(id);
  return camera ? camera->position.*axis : 0.0f;
}

float AngleOrZero(int32_t id, float platform::gfx::Vector3::*axis) {
  const CameraRecord* camera = CameraForCommand(id);
  return camera ? camera->angles.*axis : 0.0f;
}

}  // namespace

// --- workers

void SetCameraPosition(int32_t id, float x, float y, float z) {
  CameraRecord* camera = CameraForCommand(id);
  if (!camera) return;
  camera->position = {x, y, z};
  UpdateCameraMatrices();
}

void SetCameraRotation(int32_t id, float ax, float ay, float az) {
  CameraRecord* camera = CameraForCommand(id);
  if (!camera) return;
  camera->angles = {ax, ay, az};
  UpdateCameraMatrices();
}

void SetCameraAngleX(int32_t id, float angle) {
  CameraRecord* camera = CameraForCommand(id);
  if (!camera) return;
  camera->angles.x = angle;
  UpdateCameraMatrices();
}

void SetCameraAngleY(int32_t id, float angle) {
  CameraRecord* camera = CameraForCommand(id);
  if (!camera) return;
  camera->angles.y = angle;
  UpdateCameraMatrices();
}

void AimCamera(int32_t id, float x, float y, float z) {
  CameraRecord* camera = CameraForCommand(id);
  if (!camera) return;
  CameraAnglesToPoint(camera->position, {x, y, z}, &camera->angles);
  UpdateCameraMatrices();
}

void MoveCamera(int32_t id, float step) {
  CameraRecord* camera = CameraForCommand(id);
  if (!camera) return;
  camera->position.x += step * camera->look.x;
  camera->position.y += step * camera->look.y;
  camera->position.z += step * camera->look.z;
  UpdateCameraMatrices();
}

void ApplyCameraView(int32_t id, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  CameraRecord* camera = CameraForCommand(id);
  // A rectangle off the surface's origin side or without area has nothing to draw into.
  if (!camera || x1 < 0 || y1 < 0 || x2 <= x1 || y2 <= y1) return;
  camera->viewRect = {uint32_t(x1), uint32_t(y1), uint32_t(x2 - x1), uint32_t(y2 - y1), 0.0f, 1.0f};
}

void SetCameraFOV(int32_t id, float degrees) {
  CameraRecord* camera = CameraForCommand(id);
  // Outside (0, 180) degrees there is no perspective to build.
  if (!camera || !(degrees > 0.0f && degrees < 180.0f)) return;
  camera->fieldOfView = degrees;
  ApplyCameraRange(id, camera->nearPlane, camera->farPlane);
}

void EnableCameraClear(int32_t id) {
  if (CameraRecord* camera = CameraForCommand(id)) camera->backgroundOn = 1;
}

void SetCameraClearColor(int32_t id, uint32_t color) {
  if (CameraRecord* camera = CameraForCommand(id)) camera->backgroundColor = color;
}

float GetCameraPositionX(int32_t id) { return PositionOrZero(id, &platform::gfx::Vector3::x); }
float GetCameraPositionY(int32_t id) { return PositionOrZero(id, &platform::gfx::Vector3::y); }
float GetCameraPositionZ(int32_t id) { return PositionOrZero(id, &platform::gfx::Vector3::z); }
float GetCameraAngleX(int32_t id) { return AngleOrZero(id, &platform::gfx::Vector3::x); }
float GetCameraAngleY(int32_t id) { return AngleOrZero(id, &platform::gfx::Vector3::y); }

// --- links

CameraRecord* GetCameraData(int32_t id) { return FindCamera(id); }

void RefreshCameraById(int32_t id) { UpdateCameraMatrices(); }

float GetCameraX(int32_t id) { return GetCameraPositionX(id); }
float GetCameraY(int32_t id) { return GetCameraPositionY(id); }
float GetCameraZ(int32_t id) { return GetCameraPositionZ(id); }

void PositionCameraById(int32_t id, float x, float y, float z) { SetCameraPosition(id, x, y, z); }

// --- commands of the game

void PlaceCamera(float x, float y, float z) { SetCameraPosition(Current(), x, y, z); }
void SetCameraAngles(float ax, float ay, float az) { SetCameraRotation(Current(), ax, ay, az); }
void SetCameraAngleX(float angle) { SetCameraAngleX(Current(), angle); }
void SetCameraAngleY(float angle) { SetCameraAngleY(Current(), angle); }
void AimCamera(float x, float y, float z) { AimCamera(Current(), x, y, z); }
void MoveCamera(float step) { MoveCamera(Current(), step); }

void SetCameraRange(float nearPlane, float farPlane) { ApplyCameraRange(Current(), nearPlane, farPlane); }

void SetCameraViewport(int32_t x1, int32_t y1, int32_t x2, int32_t y2) { ApplyCameraView(Current(), x1, y1, x2, y2); }
void SetCameraFOV(float degrees) { SetCameraFOV(Current(), degrees); }
void DisableAutoCamera() { Cameras().autoCamera = 0; }
void EnableCameraClear() { EnableCameraClear(Current()); }
void SetMainCameraClearColor(uint32_t color) { SetCameraClearColor(0, color); }
float GetCameraPositionX() { return GetCameraPositionX(0); }
float GetCameraPositionY() { return GetCameraPositionY(0); }
float GetCameraPositionZ() { return GetCameraPositionZ(0); }
float GetCameraAngleX() { return GetCameraAngleX(0); }
float GetCameraAngleY() { return GetCameraAngleY(0); }
