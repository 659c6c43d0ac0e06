// The map editor, the game's state 2: a cursor cell on a grid of 20-unit cells moved with the arrow
// keys, the mouse and the wheel; blocks dropped and removed with keys; the entity of the block at the
// cursor, the level texture and the map settings edited in dialogs; waypoint paths recorded point by
// point; the map saved into "Maps\In Progress" and test-run in a second copy of the game.
#pragma once
#include <cstdint>

// What the editor keeps from one pass of its loop to the next.
struct EditorState {
  // The corner of the cursor cell: x and z multiples of 20, y a multiple of 10. A block at the cursor
  // cell is centred at (cursorX + 10, cursorY, cursorZ + 10).
  float cursorX = 0, cursorY = 0, cursorZ = 0;
  int32_t currentPath = 0;  // the waypoint path being recorded, 0 to 49
  uint8_t waypointMode = 0;
  // A warp made in the Add Entity dialog waits for its destination (Return on a block).
  uint8_t warpChoicePending = 0;
  uint8_t warpDestinationChosen = 0;
  int32_t warpRecord = -1;
  int32_t entityTarget = -1;  // the record the Add Entity dialog works on
  uint8_t hadEntity = 0;      // the target record carried an entity when the dialog opened
  uint8_t allMarks = 0;       // F2: every entity label shown
  uint32_t previousWheel = 0;
  // A modal dialog or the test run has just ended: the editor takes no input until every key and
  // button is up, so the press that ended it does not act here too.
  uint8_t inputHeldByDialog = 0;
  // Millisecond guards: most keys act only when enough time has passed since one of these.
  uint32_t cursorStamp = 0, editStamp = 0;
};
EditorState& Editor();

// The editor loop on a new map. Returns when Escape is pressed (the game state becomes 3, quit) or
// when the window is asked to close (the game state is left as it is). When the map has changed since
// it was last saved or opened, either first asks whether to save it, and Cancel goes on editing.
void MapEditor();

// Adds a record with a block of the shape at the cursor cell; nothing when the map is full.
void PlaceBlock(int32_t shape);

// The cursor lines, objects 500 to 507, outlining the 20 x 10 x 20 cell at the cursor.
void BuildSelectionBox();
void PositionSelectionBox();
void HideSelectionBox();

// Markers of the points of one waypoint path, objects 4000 + path x 30 + point.
void ShowPathMarkers(int32_t path);
void HidePathMarkers(int32_t path);

// The label mark of every record of the map: 1 when flag is non-zero, else 0.
void SetAllEntityMarks(uint8_t flag);
// Draws the label of every marked entity that is on screen.
void DescribeEntity();
