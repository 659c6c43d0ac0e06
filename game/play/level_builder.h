// The level builder: turns the map in memory into numbered engine objects (blocks 1000 + n, entities
// 2000 + m, the goal pad with its hearts and spot light, door images, the ball at its start), for
// play or for the editor; removes a level again; and the small record operations, the level texture's
// tint and the generated ramp, wedge and line meshes that play and editor share.
#pragma once
#include <cstdint>

#include "game/play/map_file.h"

// Engine items the level uses.
constexpr int32_t kFirstBlockObject = 1000;   // + the block count
constexpr int32_t kFirstEntityObject = 2000;  // + the entity count
constexpr int32_t kLastBlockObject = kFirstEntityObject - 1;
constexpr int32_t kLastEntityObject = 2999;
constexpr int32_t kBallObject = 3000;
constexpr int32_t kGroundProbeObject = 600;  // thin upright box: what lies below the ball
constexpr int32_t kBlockProbeObject = 601;   // flat box as wide as the ball: walls
constexpr int32_t kFirstHeartObject = 100;   // 100 to 103 over the goal pad
constexpr int32_t kHeartCentreObject = 9000;
constexpr int32_t kGoalPadLight = 1;

constexpr int32_t kTintedLevelImage = 1;  // the level texture tinted with the ball's colour
constexpr int32_t kBaseLevelImage = 2;
constexpr int32_t kBlockFrameImage = 3;  // grey 5-pixel frame on magenta
constexpr int32_t kWarpImage = 4;
constexpr int32_t kPlayerStartImage = 100;
constexpr int32_t kMessageImage = 101;
constexpr int32_t kPlatformImage = 102;
constexpr int32_t kRespawnImage = 103;
constexpr int32_t kSphereMapImage = 5004;
constexpr int32_t kFirstDoorImage = 500;  // + the door counter
constexpr int32_t kDoorImageSlots = 400;  // the counter wraps before the interface images at 900
constexpr int32_t kBaseTextureSprite = 1;  // shows image 2, hidden
constexpr int32_t kBlockFrameSprite = 2;   // shows image 3, hidden
constexpr int32_t kLevelBitmap = 2;        // 256 x 256 drawing surface of the level textures
constexpr int32_t kLevelTextureSize = 256;

// Reads "Maps\<map path>" from the game folder and builds it for play: blocks with their collision,
// entities, the goal pad, the ball at the player start (which sets the respawn point), the plasma
// count. False when the file is missing or damaged (the reason in `error`); the previous level is
// then left as it was.
bool LoadMap(const char* mapPath, MapFileError* error = nullptr);
// Reads the file at `path` unchanged and builds the editor's view of it: entity markers in place of
// most entity models, no collision set, no goal-pad light. False as LoadMap.
bool LoadMapForEditor(const char* path, MapFileError* error = nullptr);

// Deletes the block and entity objects of all 1000 records, empties every record and sets the block,
// record and entity counts to 0.
void ClearLevel();
// Deletes the record's entity object and leaves it without an entity (type, object and p1 to p4 -1,
// p5 0, text "null"). Nothing for an index outside the table.
void RemoveEntity(int32_t record);
// The editor's delete: the record's objects go and the records after it move down one slot (stored
// fields only) up to the first one without a block object. Nothing for an index outside the table.
void DeleteRecord(int32_t record);

// Field codes of GetRecordField.
enum RecordField : int32_t {
  kFieldShape = 3,
  kFieldEntityType = 7,
  kFieldEntityObject = 8,
  kFieldP1 = 9,
  kFieldP2 = 10,
  kFieldP3 = 11,
  kFieldP4 = 12,
  kFieldIndex = 14,  // the record's index
};
// A field of the built record whose block object is `blockObject`: -1 when no record has it, -2 for
// an unknown field code.
int32_t GetRecordField(int32_t blockObject, int32_t field);
// Index of the first built record whose entity object is `entityObject`, -1 when none.
int32_t FindRecordByEntityObject(int32_t entityObject);
// Index of the first built record centred on the editor's cursor cell (cursor x + 10, y, z + 10
// exactly), -1 when none.
int32_t FindRecordAtCursor(float cursorX, float cursorY, float cursorZ);

// The block object of the goal pad, -1 before any goal pad was built.
int32_t GoalPadObject();

// Image 1 := the base texture tinted (r, g, b) under the block frame, then RetextureBlocks.
// (255, 0, 255), the colour key, is drawn as (255, 0, 254).
void TintLevelTexture(int32_t r, int32_t g, int32_t b);
// Loads the level's texture file (a path from the game folder) as the base and the tinted image; a
// file that does not load as the base is not read a second time, and leaves neither image.
void LoadLevelTexture(const char* path);
// Image 1 on every block of the map's records up to the first record without a block; when all have
// one, the heart centre takes the player colour.
void RetextureBlocks();

// Replace `object` with a box of the size whose minimum-Z top edge is lowered to the bottom (ramp),
// or whose minimum-Z side is raised by the height (wedge).
void BuildRampMesh(int32_t object, float sizeX, float sizeY, float sizeZ);
void BuildWedgeMesh(int32_t object, float sizeX, float sizeY, float sizeZ);
// Replace `object` with a wireframe line from the first point to the second in the packed colour.
void MakeLineObject(int32_t object, float x1, float y1, float z1, float x2, float y2, float z2, uint32_t colour);
