// What the planning screen draws into the level: warp links and the colour labels of doors and pots.
#include <algorithm>
#include <cstdio>

#include "engine/media2d/basic2d.h"
#include "engine/objects/object_commands.h"
#include "engine/objects/object_table.h"
#include "engine/text/text.h"
#include "game/play/entities.h"
#include "game/play/hud_layout.h"
#include "game/play/level_builder.h"
#include "game/play/map_file.h"
#include "game/play/planning.h"

namespace {

constexpr int32_t kFirstWarpLink = 8000;
int32_t gWarpLinkCount = 0;

// The label of a door or paint pot, or false for any other entity.
bool PaintLabel(const MapRecord& record, char* text, size_t size) {
  switch (record.entityType) {
    case E_DOOR: std::snprintf(text, size, "R: %d G: %d B: %d", record.p1, record.p2, record.p3); return true;
    case E_PAINTR: std::snprintf(text, size, "R: %d", record.p1); return true;
    case E_PAINTG: std::snprintf(text, size, "G: %d", record.p1); return true;
    case E_PAINTB: std::snprintf(text, size, "B: %d", record.p1); return true;
    default: return false;
  }
}

// Every record the map holds, past empty ones that built no block.
int32_t BuiltRecords() {
  const int32_t built = std::max(CurrentMapCounts().blocksBuilt, LevelRecordCount());
  return built < kMapRecordCapacity ? built : kMapRecordCapacity;
}

}  // namespace

int32_t WarpLinkCount() { return gWarpLinkCount; }

void ShowWarpLinks() {
  DeleteWarpLinks();
  gWarpLinkCount = 0;
  const MapTables& map = CurrentMap();
  for (int32_t i = 0; i < BuiltRecords(); ++i) {
    const MapRecord& r = map.records[i];
    if (r.entityType != E_WARP) continue;
    MakeLineObject(kFirstWarpLink + gWarpLinkCount, r.x, r.y + 6.0f, r.z, float(r.p1), float(r.p2) + 10.0f, float(r.p3),
                   0xFF00FF00u);
    ++gWarpLinkCount;
  }
}

void DeleteWarpLinks() {
  // Links already deleted on an earlier leave are skipped rather than reported missing.
  for (int32_t k = 0; k <= gWarpLinkCount; ++k)
    if (ObjectExists(kFirstWarpLink + k)) DeleteObject(kFirstWarpLink + k);
}

void ShowPaintColour() {
  const MapTables& map = CurrentMap();
  const uint32_t red = Rgb(255, 0, 0), black = Rgb(0, 0, 0);
  for (int32_t i = 0; i < BuiltRecords(); ++i) {
    const MapRecord& r = map.records[i];
    char label[64];
    if (r.entityObject < 0 || !PaintLabel(r, label, sizeof label) || !IsObjectOnScreen(r.entityObject)) continue;
    const int32_t w = GetTextWidth(label), h = GetTextHeight(label);
    const int32_t sx = GetObjectScreenX(r.entityObject), sy = GetObjectScreenY(r.entityObject);
    FillBox(sx - w / 2 - 1, sy - 21, sx + w / 2 + 1, sy + h - 19, red);
    FillBox(sx - w / 2, sy - 20, sx + w / 2, sy + h - 20, black);
    SetDrawColors(Rgb(255, 255, 255), 0);  // the label over the black box
    DrawTextCentered(sx, sy - 20, label);
  }
}
