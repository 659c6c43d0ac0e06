// The object and mesh tables, their number checks and growth, and the used-id list.
#include "engine/objects/object_table.h"

#include <algorithm>
#include <new>

#include "engine/objects/object_errors.h"
#include "engine/objects/object_manager.h"

namespace {

ObjectModuleState g_state;
ObjectTable g_objects;
MeshTable g_meshes;

bool RecordExists(const ObjectRecord* record) { return record && (record->root || record->instanceSource); }

ObjectRecord* SlotRecord(int32_t object) {
  if (object < 1 || size_t(object) >= g_objects.slots.size()) return nullptr;
  return g_objects.slots[size_t(object)].get();
}

// Capacity + 50, or number + 5 when that does not reach past the number.
int32_t GrownCapacity(int32_t capacity, int32_t number) {
  const int32_t grown = capacity + kTableGrowth;
  return grown > number ? grown : number + 5;
}

}  // namespace

ObjectModuleState& GetObjectModuleState() { return g_state; }
ObjectTable& GetObjectTable() { return g_objects; }
MeshTable& GetMeshTable() { return g_meshes; }

ObjectRecord* FindObjectRecord(int32_t object) {
  ObjectRecord* record = SlotRecord(object);
  return RecordExists(record) ? record : nullptr;
}

MeshRecord* FindMeshRecord(int32_t mesh) {
  if (mesh < 1 || size_t(mesh) >= g_meshes.slots.size()) return nullptr;
  return g_meshes.slots[size_t(mesh)].get();
}

bool ConfirmObject(int32_t object) {
  if (!InObjectRange(object)) return RaiseErrorCode(kErrorObjectNumberOutOfRange), false;
  const ObjectRecord* record = FindObjectRecord(object);
  if (!record) return RaiseErrorCode(kErrorObjectMissing), false;
  return record->excluded != 1;
}

bool ConfirmNewObject(int32_t object) {
  if (!InObjectRange(object)) return RaiseErrorCode(kErrorObjectNumberOutOfRange), false;
  const ObjectRecord* record = SlotRecord(object);
  if (!record || !record->root) return true;
  RaiseErrorCode(kErrorObjectNumberInUse);
  return false;
}

bool CheckObjectAndFrame(int32_t object, int32_t frame) {
  if (!InObjectRange(object)) return RaiseErrorCode(kErrorObjectNumberOutOfRange), false;
  const ObjectRecord* record = FindObjectRecord(object);
  if (!record) return RaiseErrorCode(kErrorObjectMissing), false;
  if (frame < 0 || frame > kMaxFrameIndex) return RaiseErrorCode(kErrorFrameIndexOutOfRange), false;
  if (record->excluded == 1) return false;
  // An object with per-frame visibility bytes is not checked frame by frame; its callers still stay
  // inside the frame list.
  if (!record->workBlock.empty()) return true;
  if (size_t(frame) >= record->frameList.size() || !record->frameList[size_t(frame)])
    return RaiseErrorCode(kErrorFrameMissing), false;
  return true;
}

bool ConfirmMesh(int32_t mesh) {
  if (!InObjectRange(mesh)) return RaiseErrorCode(kErrorMeshNumberOutOfRange), false;
  if (!FindMeshRecord(mesh)) return RaiseErrorCode(kErrorMeshMissing), false;
  return true;
}

bool ConfirmNewMesh(int32_t mesh) {
  if (!InObjectRange(mesh)) return RaiseErrorCode(kErrorMeshNumberOutOfRange), false;
  if (FindMeshRecord(mesh)) g_meshes.slots[size_t(mesh)].reset();
  return true;
}

ObjectRecord* GetObjectPointer(int32_t object) { return ConfirmObject(object) ? SlotRecord(object) : nullptr; }

int32_t ObjectExists(int32_t object) {
  if (!InObjectRange(object)) return RaiseErrorCode(kErrorObjectNumberOutOfRange), 0;
  return FindObjectRecord(object) ? 1 : 0;
}

bool GrowObjectTable(int32_t number) {
  if (number < 0) return false;
  const int32_t capacity = GrownCapacity(g_objects.capacity, number);
  try {
    g_objects.slots.resize(size_t(capacity));
  } catch (const std::bad_alloc&) {
    return false;
  }
  // The renderer's per-object lists are cleared with the resize; the draw list is built afresh.
  if (!GetObjectManager().SetCapacity(uint32_t(capacity))) return false;
  GetObjectManager().InvalidateDrawList();
  g_objects.capacity = capacity;
  return true;
}

bool GrowMeshTable(int32_t number) {
  if (number < 0) return false;
  const int32_t capacity = GrownCapacity(g_meshes.capacity, number);
  try {
    g_meshes.slots.resize(size_t(capacity));
  } catch (const std::bad_alloc&) {
    return false;
  }
  g_meshes.capacity = capacity;
  return true;
}

void AddUsedObjectId(int32_t object) {
  std::vector<int32_t>& ids = g_objects.usedIds;
  if (std::find(ids.begin(), ids.end(), object) == ids.end()) ids.push_back(object);
}

void RemoveUsedObjectId(int32_t object) {
  std::vector<int32_t>& ids = g_objects.usedIds;
  auto it = std::find(ids.begin(), ids.end(), object);
  if (it != ids.end()) ids.erase(it);
}
