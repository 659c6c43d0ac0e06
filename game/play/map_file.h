// The map file: one level's header, its block records (each optionally carrying one entity) and the
// waypoint paths of path-following monsters, held in memory as the one map of the game and stored as
// a ".qel" file through the engine's numbered file 1.
//
// File layout (integers and floats 4 bytes little-endian, a string is its characters then CR LF; a
// reader ends a string at any control character other than tab and, after a CR, drops the next byte):
//   record count N, planning time, game time, vis id, par time (integers), gravity (float);
//   N records: shape, block object (integers), x, y, z, rx, ry, rz (floats), entity type, entity
//     object, p1, p2, p3, p4 (integers), p5 (float), then the record's text;
//   texture, map name, next map, file name, comment, music (strings);
//   50 paths: colour, point count (integers), 30 points of x, y, z (floats).
#pragma once
#include <cstdint>
#include <string>

constexpr int32_t kMapRecordCapacity = 1000;
constexpr int32_t kWaypointPathCount = 50;
constexpr int32_t kWaypointPointSlots = 50;  // room in memory
constexpr int32_t kWaypointPointsUsed = 30;  // points used, stored and shown per path
constexpr int32_t kMapStringSize = 256;      // header strings, with their terminator
constexpr int32_t kMapTextSize = 512;        // a record's text, with its terminator

// Block shapes; sizes are X x Y x Z as the level builder makes them.
enum BlockShape : int32_t {
  SHAPE_BOX = 0,          // 20 x 10 x 20
  SHAPE_RAMP = 1,         // 20 x 10 x 20, top rising from minimum Z to maximum Z
  SHAPE_WEDGE = 2,        // 20 x 10 x 20 slab rising by its thickness towards minimum Z; slippery
  SHAPE_GOAL_PAD = 3,     // 60 x 10 x 60, always at (10, 0, 10)
  SHAPE_BOX_THIN_X = 4,   // 10 x 10 x 20
  SHAPE_BOX_THIN_Z = 5,   // 20 x 10 x 10
  SHAPE_EMPTY = 6,        // an empty record
  SHAPE_BOX_LONG = 7,     // 20 x 10 x 30
  SHAPE_BOX_THIN_LONG = 8,
  SHAPE_WEDGE_THIN_X = 9,  // 10 x 10 x 20
  SHAPE_WEDGE_FLAT = 10,   // 10 x 5 x 20
  SHAPE_LAST = SHAPE_WEDGE_FLAT,
};

enum EntityType : int32_t {
  E_NONE = -1,
  E_DOOR = 0,
  E_PAINTR = 1,
  E_PAINTG = 2,
  E_PAINTB = 3,
  E_BOOST = 4,
  // 5 is no entity kind: nothing assigns it and no rule handles it, but files may hold it.
  E_PLAYERSTART = 6,
  E_WARP = 7,
  E_MOVER = 8,
  E_MONSTERA = 9,
  E_MONSTERB = 10,
  E_TEXT = 11,
  E_PLASMA = 12,
  E_RESPAWN = 13,
  E_BOOSTV = 14,
  E_LAST = E_BOOSTV,
};

struct MapRecord {
  int32_t shape;
  int32_t blockObject;  // 1000 + n once built; -1 none
  float x, y, z;
  float rx, ry, rz;  // degrees
  int32_t entityType;
  int32_t entityObject;  // 2000 + m once built; -1 none
  int32_t p1, p2, p3, p4;
  float p5;
  // Run-time fields of the entity rules; not stored.
  int32_t state;
  float travelled;
  int32_t active;
  uint32_t timeStamp;
  char text[kMapTextSize];  // "null" when the record has no entity
  uint8_t mark;             // the editor's label mark; not stored
};

struct WaypointPoint {
  float x, y, z;
};

struct WaypointPath {
  WaypointPoint points[kWaypointPointSlots];
  int32_t pointCount;  // 0 to 30
  uint32_t colour;     // packed ARGB of the path's markers in the editor
};

struct MapHeader {
  int32_t recordCount;
  int32_t planningTime;  // ms
  int32_t gameTime;      // ms
  int32_t visId;
  int32_t parTime;  // ms
  float gravity;    // fall acceleration per simulation step
  char texture[kMapStringSize];  // inside "Textures"
  char mapName[kMapStringSize];
  char nextMap[kMapStringSize];  // without extension; "null" in any case ends the class
  char fileName[kMapStringSize];  // the map's own name, without extension
  char comment[kMapStringSize];
  char music[kMapStringSize];  // inside "Music"
};

// Everything one map holds.
struct MapTables {
  MapHeader header;
  MapRecord records[kMapRecordCapacity];
  WaypointPath paths[kWaypointPathCount];
};

// Counts kept beside the table while a level is built and played.
struct MapCounts {
  int32_t capacity = kMapRecordCapacity;
  int32_t blocksBuilt = 0;    // the records the play loop and the editor walk over
  int32_t entitiesBuilt = 0;  // numbers entity objects
  int32_t doorCounter = 0;    // numbers door images; never reset while the program runs
};

// The one map in memory. Before any map is read: planning and game time 5, vis id 1, par time 0,
// gravity 0.06, empty strings, every record empty and every path without points.
MapTables& CurrentMap();
MapCounts& CurrentMapCounts();

// The empty record: shape 6, no block or entity, position, rotation and parameters 0, run-time fields
// 0 (the time stamp keeps its value), text "null", no mark.
void ResetMapRecord(MapRecord& record);
// A map as it stands before any map is read.
void ResetMapTables(MapTables& map);

// Why a map file was refused.
enum class MapFileError {
  kNone,
  kMissing,          // no such file
  kTruncated,        // the file ends before everything it announces
  kTrailingBytes,    // bytes after the paths
  kRecordCount,      // a record count below 0 or above 1000
  kShape,            // a block shape outside 0 to 10
  kEntityType,       // an entity type outside -1 to 14
  kStringTooLong,    // a header string over 255 or a record text over 511 characters
  kPointCount,       // a path with a point count outside 0 to 30
  kNotANumber,       // a float that is not a finite number
  kNameLeavesFolder, // the texture, music or next map name starts at the root, names a drive or holds ".."
};
const char* MapFileErrorText(MapFileError error);

// Reads a whole map file into `map`: header, the stored fields of records 0 to N-1 (their run-time
// fields, the mark and the records from N on keep what they held), strings and paths. A missing or
// damaged file is refused with the reason in `error`, and `map` is left as it was.
bool ReadMapFile(const char* path, MapTables& map, MapFileError* error = nullptr);

// Writes the map to `path` through file 1 into a new file beside it, which replaces the file only
// once it is completely written: a failed write leaves the previous file as it was. Refused for a
// record count outside 0 to 1000. A text is stored up to its first control character other than
// tab, as that is all a reader takes back.
bool WriteMapFile(const char* path, const MapTables& map);
// The bytes WriteMapFile writes for the map; empty for a record count it refuses.
std::string MapFileBytes(const MapTables& map);

// The editor's save of the map in memory to "Maps\In Progress\<file name>.qel", keeping the previous
// version as "Maps\In Progress\<file name>.bak"; makes the folders when missing. Shows "Map Saved."
// when the map was written, and an error box otherwise, when nothing has changed on disk beyond the
// backup. A file name that is empty or holds a folder separator, "..", a double quote or a control
// character is refused before anything is written.
bool SaveMap();

// Deletes the path marker objects 4000 to 5499 and empties the 50 paths, each with a new random
// colour.
void ClearWaypointPaths();
