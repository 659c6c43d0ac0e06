// Commands that change the look of every mesh of an object.
#include <functional>

#include "engine/objects/mesh_state.h"
#include "engine/objects/object_commands.h"
#include "engine/objects/object_manager.h"
#include "engine/objects/object_matrix.h"
#include "engine/objects/object_table.h"

namespace {

constexpr uint32_t kOpModulate = 4;
constexpr uint32_t kSphereMap = 1;
constexpr uint32_t kAlphaTestedReference = 207;

uint8_t On(int32_t flag) { return flag == 1 ? 1 : 0; }

// The record after the object check, with the operation applied to every mesh in list order.
ObjectRecord* ForEachMesh(int32_t object, const std::function<void(MeshRecord*)>& apply) {
  ObjectRecord* record = GetObjectPointer(object);
  if (!record) return nullptr;
  for (MeshRecord* mesh : record->meshList) apply(mesh);
  return record;
}

// A recoloured or retextured object stops casting shadows and reflecting, and is placed again when a
// mesh's layout changed; the draw order follows the new first texture.
void AfterNewLook(ObjectRecord* record, bool dropStencilEffects) {
  ObjectManager& manager = GetObjectManager();
  if (dropStencilEffects) manager.ClearObjectStencilEffects(record);
  manager.CheckObjectMeshLayout(record);
  manager.InvalidateDrawList();
}

void NoteContext(uint32_t word) {
  if (CoreData* core = GetObjectModuleState().core) core->errorContext = word;
}

}  // namespace

void SetObjectWireframe(int32_t object, int32_t flag) {
  ForEachMesh(object, [&](MeshRecord* mesh) { SetMeshWireframe(mesh, On(flag)); });
}

void SetObjectTransparency(int32_t object, int32_t mode) {
  ObjectRecord* record = ForEachMesh(object, [&](MeshRecord* mesh) {
    SetMeshTransparency(mesh, mode != 0 ? 1 : 0);
    SetMeshAlphaRef(mesh, mode == 4 ? kAlphaTestedReference : 0);
  });
  if (record) SetObjectSortedTransparency(record, uint32_t(mode));
}

void SetObjectLighting(int32_t object, int32_t flag) {
  ForEachMesh(object, [&](MeshRecord* mesh) { SetMeshLighting(mesh, On(flag)); });
}

void SetObjectFogging(int32_t object, int32_t flag) {
  ForEachMesh(object, [&](MeshRecord* mesh) { SetMeshFog(mesh, On(flag)); });
}

void SetObjectCulling(int32_t object, int32_t flag) {
  ForEachMesh(object, [&](MeshRecord* mesh) { SetMeshCulling(mesh, On(flag)); });
}

void SetObjectColor(int32_t object, uint32_t color) {
  ObjectRecord* record = ForEachMesh(object, [&](MeshRecord* mesh) {
    SetMeshBrightness(mesh, 1.0f);
    SetMeshColor(mesh, color);
  });
  if (record) AfterNewLook(record, true);
}

void SetObjectTranslucent(int32_t object) {
  ObjectRecord* record = ForEachMesh(object, [](MeshRecord* mesh) { SetMeshTranslucent(mesh, 1, -1); });
  if (!record) return;
  record->transparent = 1;
  UpdateObjectSortFlag(record);
}

void ClearObjectTranslucent(int32_t object) {
  ObjectRecord* record = ForEachMesh(object, [](MeshRecord* mesh) { SetMeshTranslucent(mesh, 0, -1); });
  if (!record) return;
  record->transparent = 0;
  UpdateObjectSortFlag(record);
}

void SetObjectBrightness(int32_t object, float percent) {
  ForEachMesh(object, [&](MeshRecord* mesh) { SetMeshBrightness(mesh, percent * 0.01f); });
}

void DisableObjectZWrite(int32_t object) {
  ForEachMesh(object, [](MeshRecord* mesh) { SetMeshZWrite(mesh, 0); });
}

bool TextureObjectMeshes(int32_t object, int32_t image) {
  NoteContext(12001);
  ObjectRecord* record = ForEachMesh(object, [&](MeshRecord* mesh) { SetMeshTexture(mesh, -1, image); });
  if (!record) return false;
  AfterNewLook(record, true);
  NoteContext(12002);
  return true;
}

void SetObjectTexture(int32_t object, int32_t image) { TextureObjectMeshes(object, image); }

void ScrollObjectTexture(int32_t object, float u, float v) {
  ForEachMesh(object, [&](MeshRecord* mesh) { ScrollMeshTexture(mesh, u, v); });
}

void SetObjectSecondTexture(int32_t object, int32_t image) {
  ObjectRecord* record =
      ForEachMesh(object, [&](MeshRecord* mesh) { SetMeshTextureStage(mesh, 1, kOpModulate, kSphereMap, image); });
  if (record) AfterNewLook(record, false);
}
