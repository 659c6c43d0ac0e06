// Making, deleting and setting up the objects of the table.
#include <cstring>

#include "engine/objects/collision.h"
#include "engine/objects/frame_tree.h"
#include "engine/objects/object_bounds.h"
#include "engine/objects/object_commands.h"
#include "engine/objects/object_errors.h"
#include "engine/objects/object_manager.h"
#include "engine/objects/object_table.h"
#include "engine/objects/object_transform.h"
#include "engine/objects/scene_partition.h"

namespace {

// Everything that may hold the object lets go of it, then the record goes and its number is
// unlisted. The draw list is built afresh, so no renderer list keeps the freed record.
void DiscardObjectSlot(int32_t object) {
  ObjectTable& table = GetObjectTable();
  ObjectRecord* record = table.slots[size_t(object)].get();
  if (record) {
    ObjectManager& manager = GetObjectManager();
    manager.RemoveObjectFromBuffers(record);
    manager.ClearObjectStencilEffects(record);
    ForgetObjectInCommands(record);
    DeleteObjectRecordTree(&table.slots[size_t(object)]);
  }
  RemoveUsedObjectId(object);
  GetObjectManager().InvalidateDrawList();
}

}  // namespace

bool CreateNewObject(int32_t object, const char* typeName) {
  if (!PrepareObjectSlot(object)) return false;
  if (!CreateObjectRecord(&GetObjectTable().slots[size_t(object)], typeName)) return false;
  AddUsedObjectId(object);
  GetObjectManager().InvalidateDrawList();
  return true;
}

bool PrepareObjectSlot(int32_t object) {
  if (!ConfirmNewObject(object)) {
    if (!InObjectRange(object)) return false;
    // The number is in use: the old object goes as DeleteObject would take it, so nothing keeps a
    // record that the table no longer reaches.
    DestroyObject(object);
  }
  ObjectTable& table = GetObjectTable();
  if (size_t(object) >= table.slots.size() && !GrowObjectTable(object)) return false;
  // A record without a root frame under the number (one that never finished) goes too.
  if (table.slots[size_t(object)]) DiscardObjectSlot(object);
  return true;
}

bool DeleteObjectRecord(int32_t object) {
  if (!ConfirmObject(object)) return false;
  ObjectTable& table = GetObjectTable();
  ObjectRecord* record = table.slots[size_t(object)].get();
  GetObjectManager().RemoveObjectFromBuffers(record);
  // Objects drawn through this one go with it; after each delete the scan goes on at the same place.
  for (size_t i = 0; i < table.usedIds.size();) {
    const int32_t other = table.usedIds[i];
    ObjectRecord* otherRecord = FindObjectRecord(other);
    if (other != object && otherRecord && otherRecord->instanceSource == record && DeleteObjectRecord(other)) continue;
    ++i;
  }
  if (ScenePartition* partition = GetObjectModuleState().partition) partition->RemoveObjectFromPartition(record);
  DiscardObjectSlot(object);
  return true;
}

bool DestroyObject(int32_t object) {
  if (!ConfirmObject(object)) return false;
  // A callback may delete objects itself: the record is looked up again before each call.
  const size_t callbacks = FindObjectRecord(object)->deleteCallbacks.size();
  for (size_t i = 0; i < callbacks; ++i) {
    ObjectRecord* record = FindObjectRecord(object);
    if (!record || i >= record->deleteCallbacks.size()) break;
    const auto [callback, value] = record->deleteCallbacks[i];
    if (callback) callback(uint32_t(object), value);
  }
  if (!FindObjectRecord(object)) return false;
  const bool deleted = DeleteObjectRecord(object);
  GetObjectManager().ReaddMarkedMeshes();
  GetObjectManager().InvalidateDrawList();
  return deleted;
}

bool SetupObjectAfterLoad(int32_t object, float radius) {
  ObjectTable& table = GetObjectTable();
  if (object < 1 || size_t(object) >= table.slots.size() || !table.slots[size_t(object)]) return false;
  ObjectRecord* record = table.slots[size_t(object)].get();
  RefreshObjectFrames(record);
  if (record->frameList.empty() || record->meshList.empty()) {
    RaiseErrorCode(kErrorModelLoadFailed);
    DiscardObjectSlot(object);
    return false;
  }

  AnimationSet* set = record->firstSet.get();
  const bool bakedTable = set && set->firstTrack && set->firstTrack->keyMode == 0;
  if (!bakedTable) {
    AllocateBoneLinks(record->meshList);
    LinkBonesToFrames(record->meshList, record->root.get());
  }
  if (set && !set->firstTrack) record->firstSet.reset();
  PrepareAnimation(record);
  for (MeshRecord* mesh : record->meshList)
    if (mesh->backupVertices.empty()) mesh->backupVertices = mesh->vertices;
  for (FrameRecord* frame : record->frameList) frame->worldMatrixValid = 0;
  // An object whose bounds cannot be had (an animation too long to sample) is of no use to any
  // command: it goes, as a model that does not load.
  if (!CalculateObjectBounds(record)) {
    RaiseErrorCode(kErrorModelLoadFailed);
    DiscardObjectSlot(object);
    return false;
  }

  SetObjectPosition(object, 0.0f, 0.0f, 0.0f);
  SetObjectScale(object, 100.0f, 100.0f, 100.0f);
  SetObjectRotation(object, 0.0f, 0.0f, 0.0f);
  SetCollisionToSpheres(record);
  const ObjectModuleLinks& links = GetObjectModuleState().links;
  if (links.placeAutoCamera) links.placeAutoCamera(0.0f, 0.0f, 0.0f, radius == -1.0f ? record->bounds.radius : radius);

  record->refreshBuffers = 1;
  GetObjectManager().RequestRefresh();
  record->separateBuffers = 1;
  return true;
}
