// Record operations on the map in memory that play and the editor share: emptying the level, removing
// an entity, the editor's delete, and the look-ups by object number or cursor cell.
#include <algorithm>
#include <cstring>

#include "engine/objects/object_commands.h"
#include "engine/objects/object_table.h"
#include "game/play/entities.h"
#include "game/play/level_builder.h"
#include "game/play/level_internal.h"

namespace {

// Only the records built are walked: never more than the table holds, whatever the counts say.
int32_t BuiltRecordCount() {
  const int32_t built = CurrentMapCounts().blocksBuilt;
  return built < 0 ? 0 : built > kMapRecordCapacity ? kMapRecordCapacity : built;
}

bool InTable(int32_t record) { return record >= 0 && record < kMapRecordCapacity; }

// The stored fields of a record: shape to p5 and the text. The run-time fields and the mark stay
// with their slot.
void CopyStoredFields(MapRecord& to, const MapRecord& from) {
  to.shape = from.shape;
  to.blockObject = from.blockObject;
  to.x = from.x, to.y = from.y, to.z = from.z;
  to.rx = from.rx, to.ry = from.ry, to.rz = from.rz;
  to.entityType = from.entityType;
  to.entityObject = from.entityObject;
  to.p1 = from.p1, to.p2 = from.p2, to.p3 = from.p3, to.p4 = from.p4;
  to.p5 = from.p5;
  std::memcpy(to.text, from.text, sizeof to.text);
}

}  // namespace

void DeleteLevelObject(int32_t object) {
  if (LevelObjectExists(object)) DeleteObject(object);
}

bool LevelObjectExists(int32_t object) { return InObjectRange(object) && ObjectExists(object); }

void ClearLevel() {
  MapTables& map = CurrentMap();
  for (int32_t i = 0; i < kMapRecordCapacity; ++i) {
    DeleteLevelObject(map.records[i].blockObject);
    RemoveEntity(i);
    ResetMapRecord(map.records[i]);
  }
  MapCounts& counts = CurrentMapCounts();
  counts.blocksBuilt = 0;
  counts.entitiesBuilt = 0;
  map.header.recordCount = 0;
}

void RemoveEntity(int32_t record) {
  if (!InTable(record)) return;
  MapRecord& r = CurrentMap().records[record];
  DeleteLevelObject(r.entityObject);
  r.entityType = E_NONE;
  r.entityObject = -1;
  r.p1 = r.p2 = r.p3 = r.p4 = -1;
  r.p5 = 0.0f;
  std::strcpy(r.text, "null");
}

void DeleteRecord(int32_t record) {
  if (!InTable(record)) return;
  MapTables& map = CurrentMap();
  DeleteLevelObject(map.records[record].blockObject);
  DeleteLevelObject(map.records[record].entityObject);
  for (int32_t slot = record;; ++slot) {
    if (slot + 1 >= kMapRecordCapacity) {
      // The table was full to its last slot: that slot is emptied and the count stays.
      MapRecord& last = map.records[slot];
      const int32_t state = last.state, active = last.active;
      const float travelled = last.travelled;
      const uint8_t mark = last.mark;
      ResetMapRecord(last);
      last.state = state, last.active = active, last.travelled = travelled, last.mark = mark;
      return;
    }
    CopyStoredFields(map.records[slot], map.records[slot + 1]);
    if (map.records[slot].blockObject == -1) {
      map.header.recordCount = slot;
      return;
    }
  }
}

int32_t GetRecordField(int32_t blockObject, int32_t field) {
  if (blockObject < 0) return -1;
  const int32_t count = BuiltRecordCount();
  const MapRecord* records = CurrentMap().records;
  for (int32_t i = 0; i < count; ++i) {
    const MapRecord& r = records[i];
    if (r.blockObject != blockObject) continue;
    switch (field) {
      case kFieldShape: return r.shape;
      case kFieldEntityType: return r.entityType;
      case kFieldEntityObject: return r.entityObject;
      case kFieldP1: return r.p1;
      case kFieldP2: return r.p2;
      case kFieldP3: return r.p3;
      case kFieldP4: return r.p4;
      case kFieldIndex: return i;
      default: return -2;
    }
  }
  return -1;
}

int32_t FindRecordByEntityObject(int32_t entityObject) {
  if (entityObject < 0) return -1;
  // Every record the map holds: an empty record builds no block, and those after it count as well.
  const int32_t count = std::max(BuiltRecordCount(), LevelRecordCount());
  const MapRecord* records = CurrentMap().records;
  for (int32_t i = 0; i < count; ++i)
    if (records[i].entityObject == entityObject) return i;
  return -1;
}

int32_t FindRecordAtCursor(float cursorX, float cursorY, float cursorZ) {
  const int32_t count = BuiltRecordCount();
  const MapRecord* records = CurrentMap().records;
  for (int32_t i = 0; i < count; ++i) {
    const MapRecord& r = records[i];
    if (r.x == cursorX + 10.0f && r.y == cursorY && r.z == cursorZ + 10.0f) return i;
  }
  return -1;
}
