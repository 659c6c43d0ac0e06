// The editor's key table, row by row in the order of a pass. No key waits for its release: a held
// key acts again once its guard's time has passed since the stamp it shares with other keys.
#include "engine/objects/object_commands.h"
#include "engine/objects/object_table.h"
#include "engine/scene/camera.h"
#include "game/editor/editor_internal.h"
#include "game/editor/map_editor.h"
#include "game/play/level_builder.h"
#include "game/play/map_file.h"

namespace {

// Shapes of the number keys 1 to 9.
constexpr int32_t kNumberKeyShapes[9] = {SHAPE_BOX,        SHAPE_WEDGE,          SHAPE_RAMP,
                                         SHAPE_BOX_THIN_X, SHAPE_BOX_THIN_Z,     SHAPE_BOX_LONG,
                                         SHAPE_BOX_THIN_LONG, SHAPE_WEDGE_THIN_X, SHAPE_WEDGE_FLAT};

// True, renewing the stamp, when more than `guard` ms have passed since it.
bool Elapsed(uint32_t& stamp, uint32_t guard) {
  const uint32_t now = EditorDevices().timer();
  if (now - stamp <= guard) return false;
  stamp = now;
  return true;
}

// Once a dialog has ended in this pass, the rest of the pass takes no keys.
bool Down(int32_t key) { return !Editor().inputHeldByDialog && EditorDevices().keyDown(key) != 0; }

void ShiftCamera(float dx, float dy, float dz) {
  PlaceCamera(GetCameraPositionX() + dx, GetCameraPositionY() + dy, GetCameraPositionZ() + dz);
}

void MoveKeys() {
  const EditorInput& in = EditorDevices();
  uint32_t& stamp = Editor().cursorStamp;
  if (in.leftPressed() && Elapsed(stamp, 100)) MoveCursorBy(-1, 0, 0);
  if (in.rightPressed() && Elapsed(stamp, 100)) MoveCursorBy(1, 0, 0);
  if (in.downPressed() && Elapsed(stamp, 100)) MoveCursorBy(0, 0, -1);
  if (in.upPressed() && Elapsed(stamp, 100)) MoveCursorBy(0, 0, 1);
  if (Down(kKeyX) && Elapsed(stamp, 100)) MoveCursorBy(0, 1, 0);
  if (Down(kKeyZ) && Elapsed(stamp, 100)) MoveCursorBy(0, -1, 0);
}

// Return on a block while a warp waits: that block becomes the warp's destination.
void ChooseWarpDestination(bool returnDown) {
  EditorState& e = Editor();
  if (!returnDown || !e.warpChoicePending || e.warpDestinationChosen) return;
  const int32_t at = RecordAtCursor();
  if (at < 0 || e.warpRecord < 0 || e.warpRecord >= kMapRecordCapacity) return;
  const MapRecord& destination = CurrentMap().records[at];
  MapRecord& warp = CurrentMap().records[e.warpRecord];
  warp.p1 = int32_t(destination.x);
  warp.p2 = int32_t(destination.y);
  warp.p3 = int32_t(destination.z);
  e.warpDestinationChosen = 1;
  e.warpChoicePending = 0;
}

void TurnBlock(int32_t record, float degrees) {
  MapRecord& r = CurrentMap().records[record];
  if (!InObjectRange(r.blockObject) || !ObjectExists(r.blockObject)) return;
  SetObjectAngleY(r.blockObject, GetObjectYAngle(r.blockObject) + degrees);
  r.ry = GetObjectYAngle(r.blockObject);
}

void EditKeys() {
  uint32_t& stamp = Editor().editStamp;
  for (int32_t k = 0; k < 9; ++k)
    if (Down(kKeyOne + k) && RecordAtCursor() < 0 && Elapsed(stamp, 300)) PlaceBlock(kNumberKeyShapes[k]);
  if (Down(kKeyBracketLeft) && RecordAtCursor() >= 0 && Elapsed(stamp, 100)) TurnBlock(RecordAtCursor(), -90);
  if (Down(kKeyBracketRight) && RecordAtCursor() >= 0 && Elapsed(stamp, 100)) TurnBlock(RecordAtCursor(), 90);
  if (Down(kKeyDelete) && RecordAtCursor() >= 0 && Elapsed(stamp, 100)) DeleteRecord(RecordAtCursor());
}

void CameraKeys() {
  if (Down(kKeyMinus)) ShiftCamera(0, 1, 0);
  if (Down(kKeyEquals)) ShiftCamera(0, -1, 0);
  if (Down(kKeyA)) ShiftCamera(-2, 0, 0);
  if (Down(kKeyD)) ShiftCamera(2, 0, 0);
  if (Down(kKeyW)) ShiftCamera(0, 0, 2);
  if (Down(kKeyS)) ShiftCamera(0, 0, -2);
}

void MapKeys() {
  EditorState& e = Editor();
  if (Down(kKeyF1) && Elapsed(e.editStamp, 500)) SaveEditorMap();
  if (Down(kKeyF2) && Elapsed(e.cursorStamp, 300)) {
    e.allMarks = e.allMarks ? 0 : 1;
    SetAllEntityMarks(e.allMarks);
  }
  if (Down(kKeyF3) && Elapsed(e.cursorStamp, 300)) {
    const int32_t at = RecordAtCursor();
    if (at >= 0 && CurrentMap().records[at].entityType != E_NONE) {
      MapRecord& r = CurrentMap().records[at];
      r.mark = r.mark ? 0 : 1;
    }
  }
  if (Down(kKeyF5)) TestRunMap();
  if (Down(kKeyT)) OpenTextureDialog();
  if (Down(kKeyE)) {
    const int32_t at = RecordAtCursor();
    if (at >= 0) {
      e.entityTarget = at;
      OpenAddEntityDialog();
    }
  }
  if (Down(kKeyM)) OpenMapSettingsDialog();
}

void PathKeys(bool returnDown) {
  EditorState& e = Editor();
  // The other waypoint keys act from the pass after P.
  if (Down(kKeyP) && Elapsed(e.cursorStamp, 400)) {
    TogglePathMode();
    return;
  }
  if (!e.waypointMode) return;
  if (Down(kKeyComma) && Elapsed(e.cursorStamp, 100)) CyclePath(-1);
  if (Down(kKeyPeriod) && Elapsed(e.cursorStamp, 100)) CyclePath(1);
  if (returnDown && Elapsed(e.cursorStamp, 350)) AddPathPoint();
}

// O: the stamp is renewed only when a map was chosen.
void OpenKey() {
  EditorState& e = Editor();
  if (!Down(kKeyO) || EditorDevices().timer() - e.cursorStamp <= 400) return;
  if (OpenMapFromDialog()) e.cursorStamp = EditorDevices().timer();
}

}  // namespace

void RunEditorKeys() {
  // Return is read once: the engine's query clears the key state after it reports a key.
  const bool returnDown = EditorDevices().returnPressed() != 0;
  MoveKeys();
  ChooseWarpDestination(returnDown);
  EditKeys();
  CameraKeys();
  MapKeys();
  PathKeys(returnDown);
  OpenKey();
}
