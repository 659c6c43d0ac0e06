// Construction, sizing and tear-down of the object manager.
#include "engine/objects/object_manager.h"

#include "engine/objects/render_objects.h"
#include "engine/objects/scene_partition.h"
#include "platform/gfx/device.h"

#include <memory>
#include <new>

namespace gfx = platform::gfx;

ObjectManager::ObjectManager() {
  defaultMaterial.diffuse = {1, 1, 1, 1};
  defaultMaterial.ambient = {1, 1, 1, 1};
  defaultMaterial.specular = {0, 0, 0, 0};
  defaultMaterial.emissive = {0, 0, 0, 0};
  defaultMaterial.power = 10.0f;
  transparentList.reserve(transparentCapacity);
}

ObjectManager::~ObjectManager() {
  ReleasePools();
  if (screenQuad) screenQuad->Release();
}

bool ObjectManager::SetCapacity(uint32_t n) {
  sortKeys.clear();
  listedFlags.clear();
  drawList.clear();
  visibleList.clear();
  capacity = 0;
  listedCount = visibleCount = 0;
  try {
    sortKeys.assign(n, 0);
    listedFlags.assign(n, 0);
    drawList.assign(n, nullptr);
    visibleList.assign(n, nullptr);
  } catch (const std::bad_alloc&) {
    sortKeys.clear();
    listedFlags.clear();
    drawList.clear();
    visibleList.clear();
    return false;
  }
  capacity = n;
  drawListInvalid = 1;
  return true;
}

namespace {
std::unique_ptr<ObjectManager>& ManagerSlot() {
  static std::unique_ptr<ObjectManager> manager;
  return manager;
}
}  // namespace

ObjectManager& GetObjectManager() {
  auto& slot = ManagerSlot();
  if (!slot) slot = std::make_unique<ObjectManager>();
  return *slot;
}

void ResetObjectManager() {
  // The places of the listed objects' meshes name the pools about to go.
  ForEachListedObject([](ObjectRecord* object) {
    ForEachFrameMesh(object, [](MeshRecord* mesh) { mesh->bufferPlace.reset(); });
  });
  if (ScenePartition* partition = GetObjectModuleState().partition) partition->ForgetPlaces();
  auto& slot = ManagerSlot();
  slot.reset();
  slot = std::make_unique<ObjectManager>();
}
