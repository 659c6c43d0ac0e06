// The camera module: the engine's numbered perspective cameras. Only camera 0 exists; it is made when
// the module is constructed, and every command works on the current camera number, which is 0.
// Each camera turns its position and angles (degrees, rotation Rx x Ry x Rz) into the device's view and
// projection transforms, and the frame step draws every camera's render passes between
// BeginCameraPasses and AdvanceCameraPass.
//
// Other modules reach the camera through the functions below: GetCameraData gives the record (view,
// projection, look vectors, position, view rectangle); the CoreData drawn-camera word says which
// camera is being drawn (-1 after the last pass) and the CoreData camera position is that camera's.
//
// Camera numbers run from 0 to 22000000: 7201 outside that range, 7203 for a camera that does not
// exist; the command then changes nothing and a getter gives 0.0.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"
#include "platform/gfx/types.h"

struct CameraRecord {
  platform::gfx::Matrix projection{};  // left-handed perspective, rebuilt by ApplyCameraRange
  platform::gfx::Matrix view{};        // rebuilt by UpdateCameraMatrices
  platform::gfx::Vector3 look{0, 0, 1};
  platform::gfx::Vector3 up{0, 1, 0};
  platform::gfx::Vector3 right{1, 0, 0};
  platform::gfx::Vector3 position{0, 0, 0};
  platform::gfx::Viewport fullViewport{};  // the whole render surface
  platform::gfx::Viewport viewRect{};      // the part drawn into
  uint32_t backgroundOn = 0;               // 1: clear colour and depth; 0: depth only
  uint32_t backgroundColor = 0xFF000080;
  platform::gfx::Vector3 angles{0, 0, 0};  // degrees about x, y, z
  float aspect = 0.0f;
  float aspectOverride = 0.0f;  // replaces the aspect when not 0
  float fieldOfView = 0.785398f;  // vertical, degrees once set up
  float nearPlane = 1.0f;
  float farPlane = 3000.0f;
  uint8_t rotationOrder = 1;  // 1: X, then Y, then Z
};

namespace CameraModule {
void Constructor();
void Destructor();
void SetErrorHandler(uint32_t* errorWord);
void PassCoreData(CoreData* coreData);
// 0 lets go of the device interface; 1 makes a fresh default camera 0 at the new back-buffer size.
void RefreshD3D(int mode);
}  // namespace CameraModule

// --- the frame step's slots (CoreTable)
// Camera 0: matrices, viewport (clamped to the back buffer) and the clear; drawn-camera word := 0.
void BeginCameraPasses();
// The next camera after the one drawn: 0 when one follows (set up as BeginCameraPasses does), 1 when the
// loop is over (drawn-camera word -1, camera 0's full viewport back on the device).
uint32_t AdvanceCameraPass();

// --- links for other modules
// The camera's record, or null (no error). It becomes the module's current record.
CameraRecord* GetCameraData(int32_t id);
// Automatic view of a new object or emitter of `size` at (x, y, z): behind and above it, looking at it,
// while automatic placement is on. The first call also turns the current camera's background on.
void PlaceAutoCamera(float x, float y, float z, float size);
// View from position and angles of the current record (the one GetCameraData found last).
void RefreshCameraById(int32_t id);
float GetCameraX(int32_t id);
float GetCameraY(int32_t id);
float GetCameraZ(int32_t id);
void PositionCameraById(int32_t id, float x, float y, float z);

// --- workers by camera number
void AddCamera(int32_t id);
void SetupCamera(int32_t id);
void SetCameraPosition(int32_t id, float x, float y, float z);
void SetCameraRotation(int32_t id, float ax, float ay, float az);
void SetCameraAngleX(int32_t id, float angle);
void SetCameraAngleY(int32_t id, float angle);
void AimCamera(int32_t id, float x, float y, float z);
void MoveCamera(int32_t id, float step);
// Stores near and far and rebuilds the projection; the device's projection changes only for the
// current camera.
void ApplyCameraRange(int32_t id, float nearPlane, float farPlane);
void ApplyCameraView(int32_t id, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
void SetCameraFOV(int32_t id, float degrees);  // keeps near and far
void EnableCameraClear(int32_t id);
void SetCameraClearColor(int32_t id, uint32_t color);
float GetCameraPositionX(int32_t id);
float GetCameraPositionY(int32_t id);
float GetCameraPositionZ(int32_t id);
float GetCameraAngleX(int32_t id);
float GetCameraAngleY(int32_t id);

// --- commands of the game (the current camera)
void PlaceCamera(float x, float y, float z);
void SetCameraAngles(float ax, float ay, float az);
void SetCameraAngleX(float angle);
void SetCameraAngleY(float angle);
void AimCamera(float x, float y, float z);
void MoveCamera(float step);
void SetCameraRange(float nearPlane, float farPlane);
void SetCameraViewport(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
void SetCameraFOV(float degrees);
void DisableAutoCamera();
void EnableCameraClear();
void SetMainCameraClearColor(uint32_t color);
float GetCameraPositionX();  // camera 0
float GetCameraPositionY();
float GetCameraPositionZ();
float GetCameraAngleX();
float GetCameraAngleY();
