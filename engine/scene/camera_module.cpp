// The camera module's life: construction, the camera list, making and setting up a camera, and the
// release and rebuild around a device reset.
#include <memory>

#include "engine/core/errors.h"
#include "engine/display/display.h"
#include "engine/scene/camera_state.h"
#include "engine/scene/scene_records.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;

namespace {

void ReleaseApi() {
  CameraState& s = Cameras();
  if (s.api) s.api->Release();
  s.api = nullptr;
}

void InitCameraModule() {
  CameraState& s = Cameras();
  s.current = nullptr;
  s.device = GetDirect3DDevice();
  ReleaseApi();
  if (!s.device || gfx::Failed(s.device->GetDirect3D(&s.api)) || !s.api) {
    s.api = nullptr;
    RaiseErrorText("Failed to access D3D for camera DLL");
  }
  s.currentNumber = 0;
  AddCamera(0);
  if (s.core) s.core->currentCamera = 0;
}

}  // namespace

CameraState& Cameras() {
  static CameraState state;
  return state;
}

CameraRecord* FindCamera(int32_t id) {
  CameraState& s = Cameras();
  s.current = s.list.FindAs<CameraRecord>(id);
  return s.current;
}

CameraRecord* CameraForCommand(int32_t id) {
  if (id < 0 || id > kMaxCameraNumber) {
    Cameras().current = nullptr;
    RaiseErrorCode(7201);
    return nullptr;
  }
  CameraRecord* record = FindCamera(id);
  if (!record) RaiseErrorCode(7203);
  return record;
}

int32_t NextCamera(int32_t id) {
  for (IdListNode* node = Cameras().list.records.Head(); node; node = node->next)
    if (node->id == id) return node->next ? node->next->id : -1;
  return -1;
}

void ClearCameras() {
  FreeRecords<CameraRecord>(Cameras().list);
  Cameras().current = nullptr;
}

void AddCamera(int32_t id) {
  CameraState& s = Cameras();
  if (StoreRecord(s.list, id, std::make_unique<CameraRecord>(), &s.current)) SetupCamera(id);
}

void SetupCamera(int32_t id) {
  CameraState& s = Cameras();
  CameraRecord* camera = FindCamera(id);
  if (!camera) return;
  gfx::Viewport viewport = camera->viewRect;
  if (id == 0) {
    viewport = gfx::Viewport{};
    if (s.device) s.device->GetViewport(&viewport);
  }
  if (s.core) {
    viewport.width = uint32_t(s.core->backBufferWidth);
    viewport.height = uint32_t(s.core->backBufferHeight);
    viewport.minZ = 0.0f;
    viewport.maxZ = 1.0f;
  }
  camera->fieldOfView = kDefaultFieldOfView;
  camera->fullViewport = gfx::Viewport{0, 0, viewport.width, viewport.height, viewport.minZ, viewport.maxZ};
  camera->viewRect = camera->fullViewport;
  // A surface without height has no shape; a square keeps the projection finite.
  camera->aspect = viewport.height ? float(viewport.width) / float(viewport.height) : 1.0f;
  if (camera->aspectOverride != 0.0f) camera->aspect = camera->aspectOverride;

  ApplyCameraRange(id, camera->nearPlane, camera->farPlane);
  ApplyCameraView(id, 0, 0, int32_t(viewport.width), int32_t(viewport.height));
  SetCameraPosition(id, 0, 0, 0);
  camera->rotationOrder = 1;
  if (id > 0) {
    camera->backgroundOn = 1;
    camera->backgroundColor = kCameraAboveZeroBackground;
  }
  if (s.core) s.core->currentCamera = id;
}

namespace CameraModule {

void Constructor() { InitCameraModule(); }

void Destructor() {
  ReleaseApi();
  ClearCameras();
}

void SetErrorHandler(uint32_t* errorWord) { SetModuleErrorHandler(errorWord); }

void PassCoreData(CoreData* coreData) { Cameras().core = coreData; }

void RefreshD3D(int mode) {
  if (mode == 0) {
    ReleaseApi();
  } else if (mode == 1) {
    InitCameraModule();
    PassCoreData(Cameras().core);
  }
}

}  // namespace CameraModule
