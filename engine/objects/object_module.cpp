// The object module's protocol entries: set-up, hand-over, release and the device-reset fan-out.
#include "engine/objects/object_module.h"

#include <new>

#include "engine/core/core_table.h"
#include "engine/core/errors.h"
#include "engine/objects/animation.h"
#include "engine/objects/device_links.h"
#include "engine/objects/mesh_state.h"
#include "engine/objects/object_commands.h"
#include "engine/objects/object_errors.h"
#include "engine/objects/object_manager.h"
#include "engine/objects/record_links.h"
#include "engine/objects/scene_partition.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;

namespace {

ObjectModuleLinks g_installedLinks;

uint32_t FloatBits(float value) {
  uint32_t bits;
  static_assert(sizeof bits == sizeof value);
  __builtin_memcpy(&bits, &value, sizeof bits);
  return bits;
}

ObjectRecord* FindGlueTarget(uint32_t number) {
  return number <= uint32_t(kMaxObjectNumber) ? FindObjectRecord(int32_t(number)) : nullptr;
}

void SetFogStates(gfx::Device* device) {
  device->SetRenderState(gfx::RS_FOGENABLE, 0);
  device->SetRenderState(gfx::RS_FOGCOLOR, 0);
  device->SetRenderState(gfx::RS_FOGTABLEMODE, gfx::FOG_LINEAR);
  device->SetRenderState(gfx::RS_FOGSTART, FloatBits(0.0f));
  device->SetRenderState(gfx::RS_FOGEND, FloatBits(50000.0f));
}

// Light 0 enabled as a white directional light. A light without a direction is no light at all: the
// device's own default direction (+z) stands in for it, and a light 0 that the light module already
// gave the device is kept.
void SetLightZero(gfx::Device* device) {
  gfx::Light existing{};
  if (gfx::Failed(device->GetLight(0, &existing))) {
    gfx::Light light{};
    light.type = gfx::LIGHT_DIRECTIONAL;
    light.diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    light.direction = {0.0f, 0.0f, 1.0f};
    device->SetLight(0, &light);
  }
  device->LightEnable(0, 1);
}

// Every object goes without the per-object clean-up: the renderer's buffers are already released.
void DestroyAllObjects() {
  ObjectTable& table = GetObjectTable();
  for (auto& slot : table.slots)
    if (slot) {
      ForgetObjectInCommands(slot.get());
      slot.reset();
    }
  table.slots.clear();
  table.slots.shrink_to_fit();
  table.usedIds.clear();
}

// An empty partition whose root area spans 3000 on each side of the origin; without memory for it the
// partition is skipped everywhere.
void CreateObjectScenePartition() {
  ObjectModuleState& state = GetObjectModuleState();
  delete state.partition;
  state.partition = new (std::nothrow) ScenePartition;
  if (state.partition) state.partition->CreateRootArea(0.0f, 0.0f, 0.0f);
}

void DestroyObjectScenePartition() {
  ObjectModuleState& state = GetObjectModuleState();
  delete state.partition;
  state.partition = nullptr;
}

}  // namespace

void InstallObjectModuleLinks(const ObjectModuleLinks& links) { g_installedLinks = links; }

void SetupObjectModule() {
  ObjectModuleState& state = GetObjectModuleState();
  state.links = g_installedLinks;
  const ObjectModuleLinks& links = state.links;
  CoreTable& table = GetCoreTable();
  if (links.getImageTexture) table.GetImageTexture = links.getImageTexture;
  if (links.getImageWidth) table.GetImageWidth = links.getImageWidth;
  if (links.getImageHeight) table.GetImageHeight = links.getImageHeight;
  if (links.setImageReleaseHandler) links.setImageReleaseHandler(ForgetReleasedTexture);
  if (links.getDevice) InstallDeviceRecordLinks(links.getDevice);
  GetRecordLinks().findObject = FindGlueTarget;
  // Bounds of animated objects are taken over their poses.
  InstallAnimationRecordLinks();

  state.device = links.getDevice ? links.getDevice() : nullptr;
  state.caps = gfx::Caps{};
  if (state.device) {
    state.device->GetDeviceCaps(&state.caps);
    SetFogStates(state.device);
    SetLightZero(state.device);
  }
  CreateObjectScenePartition();
}

bool HandOverObjectModule(CoreData* coreData) {
  ObjectModuleState& state = GetObjectModuleState();
  state.core = coreData;
  if (state.links.getDevice) state.device = state.links.getDevice();
  if (coreData) {
    coreData->renderPassCount = 1;
    coreData->stencilMode = 0;
    coreData->shadowCasterCount = 0;
    coreData->mirrorCount = 0;
  }
  // A second hand-over without a release in between must not drop live objects unseen.
  ObjectTable& table = GetObjectTable();
  for (const int32_t object : std::vector<int32_t>(table.usedIds)) DeleteObjectRecord(object);
  DestroyAllObjects();
  try {
    table.slots.resize(size_t(table.capacity));
  } catch (const std::bad_alloc&) {
    RaiseErrorCode(kErrorObjectTableUnusable);
    return false;
  }
  ResetObjectManager();
  if (!GetObjectManager().SetCapacity(uint32_t(table.capacity))) {
    RaiseErrorCode(kErrorObjectTableUnusable);
    return false;
  }
  return true;
}

void ReleaseObjectModule() {
  ResetObjectManager();
  DestroyObjectScenePartition();
  DestroyAllObjects();
  MeshTable& meshes = GetMeshTable();
  meshes.slots.clear();
  meshes.slots.shrink_to_fit();
  meshes.capacity = 0;
  ObjectModuleState& state = GetObjectModuleState();
  if (state.links.setImageReleaseHandler) state.links.setImageReleaseHandler(nullptr);
  state.device = nullptr;
}

namespace ObjectModule {

void Constructor() { SetupObjectModule(); }

void Destructor() { ReleaseObjectModule(); }

void SetErrorHandler(uint32_t* errorWord) { SetModuleErrorHandler(errorWord); }

void PassCoreData(CoreData* coreData) { HandOverObjectModule(coreData); }

void RefreshD3D(int mode) {
  if (mode == 0) ReleaseObjectModule();
  if (mode == 1) {
    SetupObjectModule();
    HandOverObjectModule(GetObjectModuleState().core);
  }
}

}  // namespace ObjectModule
