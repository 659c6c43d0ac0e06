// The editor's state: the new map it starts on and its loop, one pass per frame.
#include "game/editor/map_editor.h"

#include <cstdio>
#include <cstring>

#include "engine/core/core.h"
#include "engine/input/input.h"
#include "engine/media2d/basic2d.h"
#include "engine/objects/object_commands.h"
#include "engine/objects/object_table.h"
#include "engine/scene/camera.h"
#include "engine/text/text.h"
#include "engine/display/display.h"
#include "game/editor/editor_internal.h"
#include "game/play/game_state.h"
#include "game/play/level_builder.h"
#include "game/play/map_file.h"

namespace {

constexpr int32_t kEdgeMargin = 25;
constexpr float kEdgeScrollStep = 1.5f;

void CopyText(char (&field)[kMapStringSize], const char* text) {
  std::snprintf(field, sizeof field, "%s", text);
}

// A new, empty map: its header, no records or paths, the plain texture and the goal pad.
void StartNewMap() {
  MapHeader& header = CurrentMap().header;
  CopyText(header.music, "The Advanced - Qel.ogg");
  CopyText(header.nextMap, "Null");
  CopyText(header.mapName, "Untitled");
  CopyText(header.fileName, "Untitled");
  CopyText(header.comment, "No Comment");
  header.planningTime = 420000;
  header.gameTime = 300000;
  ClearLevel();
  ClearWaypointPaths();
  CopyText(header.texture, "TexPlain.jpg");

  MapCounts& counts = CurrentMapCounts();
  MapRecord& pad = CurrentMap().records[0];
  pad.shape = SHAPE_GOAL_PAD;
  pad.x = 10, pad.y = 0, pad.z = 10;
  pad.blockObject = kFirstBlockObject + counts.blocksBuilt;
  CreateBoxObject(pad.blockObject, 60, 10, 60);
  PositionObject(pad.blockObject, 10, 0, 10);
  SetObjectColor(pad.blockObject, Rgb(0, 255, 0));
  if (ObjectExists(kFirstHeartObject)) PositionObject(kFirstHeartObject, 10, 10, 10);
  ++counts.blocksBuilt;
  ++header.recordCount;
}

void ShiftCamera(float dx, float dy, float dz) {
  PlaceCamera(GetCameraPositionX() + dx, GetCameraPositionY() + dy, GetCameraPositionZ() + dz);
}

void ScrollAtEdges(const EditorInput& in) {
  const int32_t x = in.mouseX(), y = in.mouseY();
  if (x < kEdgeMargin) ShiftCamera(-kEdgeScrollStep, 0, 0);
  if (x > GetDisplayWidth() - kEdgeMargin) ShiftCamera(kEdgeScrollStep, 0, 0);
  if (y < kEdgeMargin) ShiftCamera(0, 0, kEdgeScrollStep);
  if (y > GetDisplayHeight() - kEdgeMargin) ShiftCamera(0, 0, -kEdgeScrollStep);
}

void FollowWheel(const EditorInput& in) {
  EditorState& e = Editor();
  const int32_t wheel = int32_t(in.mouseWheel());
  if (wheel == int32_t(e.previousWheel)) return;
  const int32_t d = wheel - int32_t(e.previousWheel);
  if (in.keyDown(kKeyLeftShift)) {
    SetCameraAngleX(GetCameraAngleX() + float(d / 16));
  } else if (in.keyDown(kKeyLeftCtrl)) {
    MoveCursorBy(0, d < 1 ? -1 : 1, 0);
    e.cursorStamp = in.timer();
  } else {
    ShiftCamera(0, float(d / 4), 0);
  }
}

// A left click moves the cursor to the grid cell under the pointer at the cursor's height.
void FollowClick(const EditorInput& in) {
  if (in.mouseButtons() != 1) return;
  const EditorState& e = Editor();
  float x = 0, z = 0;
  if (CellUnderPointer(in.mouseX(), in.mouseY(), e.cursorY, x, z)) MoveCursorTo(x, e.cursorY, z);
}

// One pass; false when Escape ended the editor.
bool EditorPass() {
  const EditorInput& in = EditorDevices();
  // What ended a dialog (or the test run) is not the editor's until it has been let go.
  if (Editor().inputHeldByDialog) {
    Editor().previousWheel = in.mouseWheel();  // the wheel turned in a dialog moves nothing here
    if (AnyInputHeld()) return true;
    Editor().inputHeldByDialog = 0;
  }
  if (in.escapePressed()) {
    if (!MayLeaveEditor()) return true;
    Game().state = kStateQuit;
    return false;
  }
  ScrollAtEdges(in);
  FollowWheel(in);
  FollowClick(in);
  RunEditorKeys();
  if (Editor().inputHeldByDialog) {
    Editor().previousWheel = in.mouseWheel();
    return true;
  }
  const EditorState& e = Editor();
  if (e.warpChoicePending && !e.warpDestinationChosen) DrawTextAt(10, 100, "Choose Warp Destination...");
  if (e.waypointMode) DrawPathModeText();
  char rate[16];
  std::snprintf(rate, sizeof rate, "%d", GetFrameRate());
  DrawTextAt(10, 10, rate);
  DescribeEntity();
  Editor().previousWheel = in.mouseWheel();
  return true;
}

}  // namespace

void MapEditor() {
  ShowMouseCursor();
  StartNewMap();
  NoteMapSaved();  // a new map holds no work yet
  DisableAutoCamera();
  BuildSelectionBox();
  PositionSelectionBox();
  PlaceCamera(0, 100, 0);
  AimCamera(0, 0, 0);
  if (!LoopCheck()) return;
  while (EditorPass()) {
    Sync();
    if (!LoopCheck() && MayLeaveEditor()) return;
  }
}
