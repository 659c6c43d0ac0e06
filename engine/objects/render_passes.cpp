// The object module's render passes per camera pass: the main phase (preparation, opaque pass,
// mirror marking, shadow volumes) and the late phase (transparent objects far to near, then
// screen-locked objects with a fixed view).
#include <cmath>

#include "engine/objects/object_manager.h"
#include "engine/objects/render_objects.h"
#include "engine/objects/scene_partition.h"
#include "engine/objects/shadow_volume.h"
#include "engine/scene/camera.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;

namespace {

constexpr float kScreenLockedFieldOfView = 61.962135f;

CameraRecord* CameraZero() {
  auto get = GetObjectModuleState().links.getCameraData;
  return get ? get(0) : nullptr;
}

// The fixed view of screen-locked objects: identity view, the default field of view, a fresh depth
// buffer. Switching out puts the camera's view and field of view back.
class ScreenLockedView {
 public:
  explicit ScreenLockedView(gfx::Device* device) : device_(device) {}
  ~ScreenLockedView() { Out(); }

  void In() {
    if (in_) return;
    in_ = true;
    device_->GetTransform(gfx::TS_VIEW, &savedView_);
    CameraRecord* camera = CameraZero();
    savedFov_ = camera ? camera->fieldOfView : kScreenLockedFieldOfView;
    SetFov(kScreenLockedFieldOfView);
    gfx::Matrix identity = platform::d3dx::MatrixIdentity();
    device_->SetTransform(gfx::TS_VIEW, &identity);
    device_->Clear(0, nullptr, gfx::CLEAR_ZBUFFER, 0, 1.0f, 0);
  }
  void Out() {
    if (!in_) return;
    in_ = false;
    device_->SetTransform(gfx::TS_VIEW, &savedView_);
    SetFov(savedFov_);
  }

 private:
  static void SetFov(float degrees) {
    if (auto set = GetObjectModuleState().links.setCameraFov) set(0, degrees);
  }
  gfx::Device* device_;
  bool in_ = false;
  gfx::Matrix savedView_{};
  float savedFov_ = kScreenLockedFieldOfView;
};

}  // namespace

bool ObjectManager::UpdateObjects() {
  CoreData* core = RendererCoreData();
  PrepareObjectsForFrame();
  SetCullModeCached();
  ScenePartition* partition = GetObjectModuleState().partition;
  if (partition) partition->RenderScenePartition();
  RenderObjectPass(0);
  if (!core) return true;
  if (core->stencilMode == 2 && core->renderPassIndex == 0) RenderObjectPass(1);
  if (!shadowsOn || core->stencilMode != 1) return true;
  if (core->renderPassIndex == 0) {
    RenderObjectPass(2);
    if (partition) partition->DrawPartitionShadows();
  }
  return true;
}

bool ObjectManager::RenderLateObjects() {
  ResetStateCache();
  RenderObjectPass(3);
  lateListReady = 0;  // object flags may change before the next opaque pass
  return true;
}

namespace {

// Lets meshes repeat the last mesh's states (see RepeatsLastState) while the opaque and late passes
// draw: the stencil passes change device state between meshes behind the cache's back.
class RepeatedStates {
 public:
  RepeatedStates(ObjectManager* manager, bool on) : manager_(manager) { manager_->repeatStates = on ? 1 : 0; }
  ~RepeatedStates() { manager_->repeatStates = 0; }

 private:
  ObjectManager* manager_;
};

}  // namespace

bool ObjectManager::RenderObjectPass(int pass) {
  gfx::Device* device = RendererDevice();
  if (!device || !SetDefaultRenderStates()) return false;
  RepeatedStates repeat(this, pass == 0 || pass == 3);
  CoreData* core = RendererCoreData();
  uint32_t stencilMode = core ? core->stencilMode : 0;

  if (pass == 0) {
    GatherDrawItems(stencilMode);
    const MeshRecord* previousMesh = nullptr;
    for (uint32_t i = 0; i < drawItemCount; ++i) {
      PrefetchDrawItems(i);
      const DrawItem& item = drawItems[i];
      const MeshRecord* itemMesh = item.mesh;
      if (itemMesh) {
        if (!(item.effect ? DrawEffectItem(item, previousMesh) : DrawPlainItem(item, previousMesh))) return false;
        previousMesh = itemMesh;
        continue;
      }
      previousMesh = nullptr;
      ObjectRecord* object = item.object;
      if (!DrawObject(object)) return false;
      if (shadowsOn && object->castsShadow && object->visible && stencilMode == 1) {
        for (FrameRecord* frame : object->frameList)
          if (frame) UpdateFrameShadow(frame, &object->placement.worldMatrix, 0, 0.0f, 0.0f, 0.0f);
      }
    }
    return true;
  }
  if (pass == 1) return MarkMirrors();
  if (pass == 2) return DrawShadowPass();
  if (pass != 3) return false;

  // Only transparent and screen-locked objects draw here: the opaque pass noted them in their order.
  ObjectRecord* const* late = lateListReady ? lateList.data() : visibleList.data();
  const uint32_t lateCount = lateListReady ? uint32_t(lateList.size()) : visibleCount;

  // Transparent objects, far to near from camera 0.
  CameraRecord* camera = CameraZero();
  Vector3 eye = camera ? camera->position : Vector3{0, 0, 0};
  transparentList.clear();
  for (uint32_t i = 0; i < lateCount; ++i) {
    ObjectRecord* object = late[i];
    if (object->screenLocked || object->screenLocked2) continue;
    if (!object->transparent && !object->sortedTransparent) continue;
    if (transparentList.size() >= transparentCapacity) transparentCapacity *= 2;
    transparentList.push_back(object);
    const Vector3& p = object->placement.position;
    float dx = p.x - eye.x, dy = p.y - eye.y, dz = p.z - eye.z;
    object->placement.cameraDistance = std::sqrt(dx * dx + dy * dy + dz * dz);
  }
  // Exchange sort: entries of equal distance are never swapped with each other.
  size_t n = transparentList.size();
  for (size_t a = 0; a < n; ++a) {
    for (size_t b = 0; b < n; ++b) {
      if (a != b && transparentList[b]->placement.cameraDistance < transparentList[a]->placement.cameraDistance)
        std::swap(transparentList[a], transparentList[b]);
    }
  }
  for (ObjectRecord* object : transparentList)
    if (!DrawObject(object)) return false;

  // Screen-locked objects: first those of the second kind only, then those of the first kind after
  // a fresh depth buffer, each with or without the fixed view as its second byte says.
  {
    ScreenLockedView view(device);
    for (uint32_t i = 0; i < lateCount; ++i) {
      ObjectRecord* object = late[i];
      if (object->screenLocked || !object->screenLocked2) continue;
      view.In();
      if (!DrawObject(object)) return false;
    }
  }
  {
    ScreenLockedView view(device);
    bool cleared = false;
    for (uint32_t i = 0; i < lateCount; ++i) {
      ObjectRecord* object = late[i];
      if (!object->screenLocked) continue;
      if (!cleared) {
        device->Clear(0, nullptr, gfx::CLEAR_ZBUFFER, 0, 1.0f, 0);
        cleared = true;
      }
      if (object->screenLocked2)
        view.In();
      else
        view.Out();
      if (!DrawObject(object)) return false;
    }
  }
  RestoreDefaultStages();
  return true;
}

void ObjectManager::ClearObjectStencilEffects(ObjectRecord* object) {
  CoreData* core = RendererCoreData();
  if (!object || !core) return;
  uint32_t mode = core->stencilMode;
  if (object->castsShadow) {
    for (FrameRecord* frame : object->frameList) {
      if (!frame || !frame->shadowMesh) continue;
      RemoveMeshFromBuffers(frame->shadowMesh.get());
      refreshNeeded = 1;
      frame->shadowMesh.reset();
    }
    object->castsShadow = 0;
    if (core->shadowCasterCount > 0) --core->shadowCasterCount;
    if (core->shadowCasterCount == 0) mode = 0;
  }
  if (object->reflects) {
    object->reflects = 0;
    if (core->mirrorCount > 0) --core->mirrorCount;
    if (core->mirrorCount != 0 && mode != 0) return;
  } else if (mode != 0) {
    return;
  }
  core->stencilMode = 0;
  if (core->shadowCasterCount > 0) {
    core->stencilMode = 1;
    core->renderPassCount = 1;
    if (core->mirrorCount > 0) {
      core->stencilMode = 2;
      core->renderPassCount = 2;
    }
  } else if (core->mirrorCount > 0) {
    core->stencilMode = 2;
    core->renderPassCount = 2;
  } else {
    core->renderPassCount = 1;
  }
}

void RunBeginStencilEffects() { GetObjectManager().BeginStencilEffects(); }
void RunObjectMainPhase() { GetObjectManager().UpdateObjects(); }
void RunEndStencilEffects() { GetObjectManager().EndStencilEffects(); }
void RunObjectLatePhase() { GetObjectManager().RenderLateObjects(); }
