// The box scene both object benchmarks draw: the engine started on a 640 x 480 window, camera 0 and the
// object module set up by hand, light 0 and ambient, a checker texture, N lit, textured box objects on a
// grid (turned a little each), and one frame of the camera passes.
#pragma once
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "engine/core/core.h"
#include "engine/core/core_alloc.h"
#include "engine/core/core_data.h"
#include "engine/core/core_state.h"
#include "engine/core/core_table.h"
#include "engine/core/errors.h"
#include "engine/display/display.h"
#include "engine/objects/device_links.h"
#include "engine/objects/frame_tree.h"
#include "engine/objects/mesh_builders.h"
#include "engine/objects/object_bounds.h"
#include "engine/objects/object_manager.h"
#include "engine/objects/object_table.h"
#include "engine/scene/camera.h"
#include "platform/gfx/device.h"
#include "platform/gfx/gl.h"
#include "platform/window/window.h"

namespace box_scene {

namespace gfx = platform::gfx;
namespace pw = platform::window;

constexpr int kWidth = 640, kHeight = 480;
constexpr uint32_t kBackground = 0xFF000040;

struct Engine {
  uint32_t errorWord = 0;
  CoreData* core = nullptr;
  bool ok = false;

  Engine() {
    ResetCoreState();
    InitCoreTable();
    SetCoreErrorHandler(&errorWord);
    std::string why;
    if (!pw::InitPlatform(&why)) return;
    core = GetCoreDataPointer();
    core->allocFree = CoreAllocFree;
    core->backBufferWidth = core->displayWidth = kWidth;
    core->backBufferHeight = core->displayHeight = kHeight;
    core->displayDepth = 32;
    core->windowMode = 1;
    core->window = pw::Window::Create("", pw::WS_OVERLAPPEDWINDOW, 0, 0, kWidth, kHeight, WindowProc);
    if (!core->window || !DisplayModule::Constructor()) return;
    DisplayModule::PassCoreData(core, 0);
    OverrideHWND(core->window);
    if (!SetDisplayModeAll(kWidth, kHeight, 0, 1, 0, 1)) return;
    DisplayModule::PassCoreData(core, 1);
    ok = GetDirect3DDevice() != nullptr;
  }
  ~Engine() {
    DisplayModule::Destructor();
    if (core && core->window) pw::Window::Destroy(core->window);
    SetCoreErrorHandler(nullptr);
  }
};

inline gfx::Texture* CheckerTexture(gfx::Device* device) {
  gfx::Texture* texture = nullptr;
  device->CreateTexture(64, 64, 1, 0, gfx::FMT_A8R8G8B8, gfx::POOL_MANAGED, &texture, nullptr);
  gfx::LockedRect locked{};
  texture->LockRect(0, &locked, nullptr, 0);
  for (int y = 0; y < 64; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.bits) + y * locked.pitch);
    for (int x = 0; x < 64; ++x) row[x] = ((x / 8 + y / 8) & 1) ? 0xFFE0C080 : 0xFF406080;
  }
  texture->UnlockRect(0);
  return texture;
}

// Camera 0 with the device benchmark's projection (1 rad, 1 to 100), the object module on the device,
// light 0 and ambient.
inline void SetUpScene(CoreData* core, gfx::Device* device) {
  InstallDeviceRecordLinks(GetDirect3DDevice);
  CameraModule::Constructor();
  CameraModule::PassCoreData(core);
  EnableCameraClear(0);
  SetCameraClearColor(0, kBackground);
  SetCameraFOV(0, 57.29578f);
  ApplyCameraRange(0, 1.0f, 100.0f);
  ObjectModuleState& module = GetObjectModuleState();
  module.core = core;
  module.device = device;
  device->GetDeviceCaps(&module.caps);
  module.links.getCameraData = GetCameraData;
  module.links.setCameraFov = static_cast<void (*)(int32_t, float)>(SetCameraFOV);
  core->renderPassCount = 1;
  ResetObjectManager();
  gfx::Light light{};
  light.type = gfx::LIGHT_DIRECTIONAL;
  light.diffuse = {1, 1, 1, 1};
  light.direction = {0.3f, -0.5f, 0.8f};
  device->SetLight(0, &light);
  device->LightEnable(0, 1);
  device->SetRenderState(gfx::RS_AMBIENT, 0xFF303030);
}

inline void TearDownScene(gfx::Device* device) {
  ResetObjectManager();
  GetObjectTable().usedIds.clear();
  GetObjectTable().slots.clear();
  GetObjectModuleState() = ObjectModuleState{};
  CameraModule::Destructor();
  device->SetTexture(0, nullptr);
}

// Box objects 1..n on the device benchmark's grid: side 0.7 of a cell, turned 0.01 rad more each;
// `prepare` may change each mesh once it is built.
inline void MakeBoxes(int n, gfx::Texture* texture, const std::function<void(MeshRecord*)>& prepare = {}) {
  ObjectTable& table = GetObjectTable();
  table.slots.clear();
  table.slots.resize(size_t(n) + 1);
  table.capacity = n + 1;
  table.usedIds.clear();
  GetObjectManager().SetCapacity(uint32_t(n) + 1);
  int side = int(std::ceil(std::sqrt(double(n))));
  float cell = 24.0f / float(side), half = cell * 0.35f;
  for (int i = 0; i < n; ++i) {
    int32_t number = i + 1;
    CreateObjectRecord(&table.slots[size_t(number)], "box");
    ObjectRecord* object = table.slots[size_t(number)].get();
    MeshRecord* mesh = object->root->mesh.get();
    MakeBoxMesh(true, mesh, -half, -half, -half, half, half, half, gfx::FVF_XYZ | gfx::FVF_NORMAL | gfx::FVF_TEX1,
                0xFFFFFFFF);
    mesh->stages.clear();
    mesh->stages.emplace_back();
    TextureStage& stage = mesh->stages[0];
    stage.image = 1;
    stage.imageTexture = texture;  // not owned by the stage
    stage.colorOp = gfx::TOP_MODULATE;
    stage.colorArg1 = gfx::TA_TEXTURE;
    stage.colorArg2 = gfx::TA_DIFFUSE;
    if (prepare) prepare(mesh);
    RefreshObjectFrames(object);
    CalculateObjectBounds(object);
    object->bounds.cullRadius = object->bounds.radius;
    object->placement.position = {(float(i % side) + 0.5f) * cell - 12.0f, (float(i / side) + 0.5f) * cell - 12.0f,
                                  20.0f};
    object->placement.angles = {0, 0.57295776f * float(i), 0};  // 0.01 rad more each, in degrees
    object->refreshBuffers = 1;
    table.usedIds.push_back(number);
  }
  GetObjectManager().RequestRefresh();
}

// One frame of the camera passes, presented and finished.
__attribute__((always_inline)) inline void DrawFrame(CoreData* core, gfx::Device* device) {
  core->polygonsDrawn = core->drawCalls = 0;
  device->BeginScene();
  BeginCameraPasses();
  do {
    for (core->renderPassIndex = 0; core->renderPassIndex < core->renderPassCount; ++core->renderPassIndex) {
      RunBeginStencilEffects();
      RunObjectMainPhase();
      RunEndStencilEffects();
      RunObjectLatePhase();
    }
  } while (AdvanceCameraPass() == 0);
  device->EndScene();
  device->Present(nullptr, nullptr, nullptr, nullptr);
  glFinish();
}

}  // namespace box_scene
