// The one map in memory and the empty values of its parts.
#include <cstring>

#include "game/play/map_file.h"

namespace {

MapTables& Tables() {
  static MapTables* map = [] {
    auto* made = new MapTables{};  // lives as long as the program; never destroyed during exit
    ResetMapTables(*made);
    return made;
  }();
  return *map;
}

}  // namespace

MapTables& CurrentMap() { return Tables(); }

MapCounts& CurrentMapCounts() {
  static MapCounts counts;
  return counts;
}

void ResetMapRecord(MapRecord& record) {
  const uint32_t timeStamp = record.timeStamp;
  record = MapRecord{};
  record.shape = SHAPE_EMPTY;
  record.blockObject = -1;
  record.entityType = E_NONE;
  record.entityObject = -1;
  record.timeStamp = timeStamp;
  std::strcpy(record.text, "null");
}

void ResetMapTables(MapTables& map) {
  map.header = MapHeader{};
  map.header.planningTime = 5;
  map.header.gameTime = 5;
  map.header.visId = 1;
  map.header.gravity = 0.06f;
  for (MapRecord& record : map.records) {
    record.timeStamp = 0;
    ResetMapRecord(record);
  }
  for (WaypointPath& path : map.paths) path = WaypointPath{};
}

const char* MapFileErrorText(MapFileError error) {
  switch (error) {
    case MapFileError::kNone: return "no error";
    case MapFileError::kMissing: return "the file does not exist";
    case MapFileError::kTruncated: return "the file ends too early";
    case MapFileError::kTrailingBytes: return "the file does not end where its contents do";
    case MapFileError::kRecordCount: return "the record count is outside 0 to 1000";
    case MapFileError::kShape: return "a block shape is outside 0 to 10";
    case MapFileError::kEntityType: return "an entity type is outside -1 to 14";
    case MapFileError::kStringTooLong: return "a text is longer than its field";
    case MapFileError::kPointCount: return "a path's point count is outside 0 to 30";
    case MapFileError::kNotANumber: return "a value is not a finite number";
    case MapFileError::kNameLeavesFolder: return "a texture, music or next map name leaves its folder";
  }
  return "unknown error";
}
