// The labels of marked entities drawn under their markers.
#include <cstdio>

#include "engine/media2d/basic2d.h"
#include "engine/objects/object_commands.h"
#include "engine/objects/object_table.h"
#include "engine/text/text.h"
#include "game/editor/editor_internal.h"
#include "game/editor/map_editor.h"
#include "game/play/map_file.h"

namespace {

constexpr size_t kLabelSize = 256;

}  // namespace

bool EntityLabel(const MapRecord& r, char* buffer, size_t size) {
  switch (r.entityType) {
    case E_DOOR:
      std::snprintf(buffer, size, "E_DOOR - R %d, G %d, B %d, Angle: %d", r.p1, r.p2, r.p3, r.p4);
      return true;
    case E_PAINTR: std::snprintf(buffer, size, "E_PAINTR - Val: %d", r.p1); return true;
    case E_PAINTG: std::snprintf(buffer, size, "E_PAINTG - Val: %d", r.p1); return true;
    case E_PAINTB: std::snprintf(buffer, size, "E_PAINTB - Val: %d", r.p1); return true;
    case E_BOOST: std::snprintf(buffer, size, "E_BOOST - Speed: %d, Angle: %d", r.p1, r.p2); return true;
    case E_MOVER:
      if (r.p1 != 0)
        std::snprintf(buffer, size, "E_MOVER - X/Z-Axis, Angle: %d. Dist: %d, Spd: %f", r.p2, r.p3, double(r.p5));
      else
        std::snprintf(buffer, size, "E_MOVER - Y-Axis, Dir: %s. Dist: %d, Spd: %f", r.p2 == 0 ? "Up" : "Down", r.p3,
                      double(r.p5));
      return true;
    case E_MONSTERA:
      std::snprintf(buffer, size, "E_MONSTERA - Dir: %s, Dist: %d, Spd: %f, Delay: %d", r.p1 == 0 ? "Up" : "Down",
                    r.p2, double(r.p5), r.p4);
      return true;
    case E_MONSTERB: std::snprintf(buffer, size, "E_MONSTERB - Path: %d, Spd: %f", r.p1, double(r.p5)); return true;
    case E_TEXT: std::snprintf(buffer, size, "E_TEXT - %s", r.text); return true;
    default: return false;
  }
}

void SetAllEntityMarks(uint8_t flag) {
  MapTables& map = CurrentMap();
  const int32_t count = map.header.recordCount < kMapRecordCapacity ? map.header.recordCount : kMapRecordCapacity;
  for (int32_t i = 0; i < count; ++i) map.records[i].mark = flag ? 1 : 0;
}

void DescribeEntity() {
  const MapTables& map = CurrentMap();
  const int32_t count = map.header.recordCount < kMapRecordCapacity ? map.header.recordCount : kMapRecordCapacity;
  char label[kLabelSize];
  for (int32_t i = 0; i < count; ++i) {
    const MapRecord& r = map.records[i];
    if (r.entityType == E_NONE || !r.mark || !InObjectRange(r.entityObject) || !ObjectExists(r.entityObject)) continue;
    if (!IsObjectOnScreen(r.entityObject) || !EntityLabel(r, label, sizeof label)) continue;
    const int32_t sx = GetObjectScreenX(r.entityObject), sy = GetObjectScreenY(r.entityObject);
    const int32_t w = GetTextWidth(label), h = GetTextHeight(label);
    const int32_t left = sx - w / 2;
    DrawGradientBox(left, sy, left + w, sy + h, 0, 0, 0, 0);
    DrawTextAt(left, sy, label);
  }
}
