// What the editor's files share: the input table, the record at the cursor, and the cursor moves
// that keep the block under the cursor drawn as wireframe. Not for other callers.
#pragma once
#include <cstddef>
#include <cstdint>

// Scan codes the editor reads.
enum EditorKey : int32_t {
  kKeyEscape = 1,
  kKeyOne = 2,  // to 9 (10)
  kKeyMinus = 12,
  kKeyEquals = 13,
  kKeyW = 17,
  kKeyE = 18,
  kKeyT = 20,
  kKeyO = 24,
  kKeyP = 25,
  kKeyBracketLeft = 26,
  kKeyBracketRight = 27,
  kKeyReturn = 28,
  kKeyLeftCtrl = 29,
  kKeyA = 30,
  kKeyS = 31,
  kKeyD = 32,
  kKeyLeftShift = 42,
  kKeyZ = 44,
  kKeyX = 45,
  kKeyM = 50,
  kKeyComma = 51,
  kKeyPeriod = 52,
  kKeyF1 = 59,
  kKeyF2 = 60,
  kKeyF3 = 61,
  kKeyF5 = 63,
  kKeyUp = 200,
  kKeyLeft = 203,
  kKeyRight = 205,
  kKeyDown = 208,
  kKeyDelete = 211,
};

// The devices the editor reads, through one table so tests can drive the editor without a window.
struct EditorInput {
  int32_t (*keyDown)(int32_t scanCode);
  uint32_t (*leftPressed)();
  uint32_t (*rightPressed)();
  uint32_t (*downPressed)();
  uint32_t (*upPressed)();
  uint32_t (*escapePressed)();
  uint32_t (*returnPressed)();
  int32_t (*mouseX)();
  int32_t (*mouseY)();
  uint32_t (*mouseWheel)();
  uint32_t (*mouseButtons)();
  uint32_t (*timer)();
};
const EditorInput& EditorDevices();
// Tests put their own table in place; null puts the engine's back.
void SetEditorInput(const EditorInput* input);

// The record whose block fills the cursor cell, -1 when none.
int32_t RecordAtCursor();
// Moves the cursor by the steps given (x and z in cells of 20, y in layers of 10) or to a cell, with
// the lines, moving the wireframe highlight from the block left to the block reached.
void MoveCursorBy(int32_t cellsX, int32_t layersY, int32_t cellsZ);
void MoveCursorTo(float x, float y, float z);

// A multiple of 20: the quotient by 20 (toward zero), plus one when the remainder is at least 10;
// negative values therefore go toward zero.
int32_t SnapToGrid(int32_t value);

// The corner of the grid cell under the pointer (back-buffer pixels) in the plane at height y: the
// pointer's ray through the camera's view and projection meets the plane there. False when the ray
// does not reach the plane.
bool CellUnderPointer(int32_t mouseX, int32_t mouseY, float y, float& cellX, float& cellZ);

// True while any key or mouse button is down.
bool AnyInputHeld();
// After a modal dialog or the test run: no input acts until everything is let go.
void HoldInputUntilReleased();

// One pass of the key table.
void RunEditorKeys();
// The waypoint keys and the text of the mode.
void TogglePathMode();
void CyclePath(int32_t step);
void AddPathPoint();
void DrawPathModeText();

// The modal dialogs of the editor over the engine window.
void OpenTextureDialog();
void OpenAddEntityDialog();
void OpenMapSettingsDialog();

// F5: the saved map played by a second copy of the game. O: a map chosen in the open-file dialog.
void TestRunMap();
bool OpenMapFromDialog();

// Unsaved work: the map as last saved or opened is noted, and the map counts as changed while what F1
// would write differs from it.
void NoteMapSaved();
bool MapChangedSinceSaved();
// F1's save; a map saved is noted.
bool SaveEditorMap();
// Escape or the window's close: true when the editor may end. A changed map is asked about first
// ("Save changes to <file name>?"): Yes saves and leaves when the save worked, No leaves, Cancel (also
// Escape, or closing the window while asked) stays. A close the editor stays after is withdrawn; one
// it leaves after stays requested.
bool MayLeaveEditor();

// The label of a record's entity into the buffer (cut to fit); false for types without a label.
bool EntityLabel(const struct MapRecord& record, char* buffer, size_t size);
