// Waypoint paths recorded point by point at the cursor, each point shown as a small box in its
// path's colour.
#include <cstdio>

#include "engine/objects/object_commands.h"
#include "engine/objects/object_table.h"
#include "engine/text/text.h"
#include "game/editor/editor_internal.h"
#include "game/editor/map_editor.h"
#include "game/play/map_file.h"

namespace {

constexpr int32_t kFirstPathMarker = 4000;

bool ValidPath(int32_t path) { return path >= 0 && path < kWaypointPathCount; }

int32_t MarkerOf(int32_t path, int32_t point) { return kFirstPathMarker + path * kWaypointPointsUsed + point; }

}  // namespace

void ShowPathMarkers(int32_t path) {
  if (!ValidPath(path)) return;
  for (int32_t i = 0; i < kWaypointPointsUsed; ++i)
    if (ObjectExists(MarkerOf(path, i))) ShowObject(MarkerOf(path, i));
}

void HidePathMarkers(int32_t path) {
  if (!ValidPath(path)) return;
  for (int32_t i = 0; i < kWaypointPointsUsed; ++i)
    if (ObjectExists(MarkerOf(path, i))) HideObject(MarkerOf(path, i));
}

void TogglePathMode() {
  EditorState& e = Editor();
  if (!e.waypointMode) {
    e.waypointMode = 1;
    ShowPathMarkers(e.currentPath);
  } else {
    HidePathMarkers(e.currentPath);
    e.waypointMode = 0;
  }
}

void CyclePath(int32_t step) {
  EditorState& e = Editor();
  HidePathMarkers(e.currentPath);
  int32_t path = e.currentPath + step;
  if (path < 0) path = 0;
  if (path > kWaypointPathCount - 1) path = kWaypointPathCount - 1;
  e.currentPath = path;
  ShowPathMarkers(path);
}

void AddPathPoint() {
  const EditorState& e = Editor();
  if (!ValidPath(e.currentPath)) return;
  WaypointPath& path = CurrentMap().paths[e.currentPath];
  if (path.pointCount < 0 || path.pointCount >= kWaypointPointsUsed) return;
  const int32_t point = path.pointCount;
  WaypointPoint& p = path.points[point];
  p.x = e.cursorX + 10.0f;
  p.y = e.cursorY;
  p.z = e.cursorZ + 10.0f;
  const int32_t marker = MarkerOf(e.currentPath, point);
  if (ObjectExists(marker)) DeleteObject(marker);
  CreateBoxObject(marker, 10, 10, 10);
  SetObjectColor(marker, path.colour);
  PositionObject(marker, p.x, p.y, p.z);
  ++path.pointCount;
}

void DrawPathModeText() {
  const EditorState& e = Editor();
  const int32_t points = ValidPath(e.currentPath) ? CurrentMap().paths[e.currentPath].pointCount : 0;
  char text[256];
  std::snprintf(text, sizeof text,
                "You are in the waypoint mode.\nEnter to place a new point in the current path.\n< and > to cycle "
                "paths.\nYour current path is: %d (of 49) @ point %d",
                e.currentPath, points);
  DrawTextAt(10, 20, text);
}
