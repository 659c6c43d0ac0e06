// Building a map into numbered engine objects, for play and for the editor: blocks by shape,
// entities by type, the goal pad with its hearts and light, and the ball at the player start.
#include "game/play/level_builder.h"

#include <cstdio>
#include <memory>

#include "engine/core/core.h"
#include "engine/media2d/basic2d.h"
#include "engine/media2d/image.h"
#include "engine/objects/object_commands.h"
#include "engine/scene/camera.h"
#include "engine/scene/light.h"
#include "engine/scene/light_state.h"
#include "game/play/game_state.h"
#include "game/play/level_internal.h"
#include "game/shell/settings.h"
#include "game/shell/start_up.h"

namespace {

enum class BuildFor { kPlay, kEditor };

int32_t g_goalPadObject = -1;

struct BlockKind {
  float sizeX, sizeY, sizeZ;
  enum { kBox, kRamp, kWedge } mesh;
  int32_t image;
  bool rotated;
  bool polygons;  // collision by polygons, else by boxes
};

// Shapes 0 to 10 as play builds them; 3 (goal pad) and 6 (empty) are not built from this table.
constexpr BlockKind kBlockKinds[] = {
    {20, 10, 20, BlockKind::kBox, kBaseLevelImage, true, false},     // 0
    {20, 10, 20, BlockKind::kRamp, kBaseLevelImage, true, true},     // 1
    {20, 10, 20, BlockKind::kWedge, kBaseLevelImage, true, true},    // 2
    {60, 10, 60, BlockKind::kBox, 0, false, false},                  // 3
    {10, 10, 20, BlockKind::kBox, kTintedLevelImage, false, false},  // 4
    {20, 10, 10, BlockKind::kBox, kTintedLevelImage, false, false},  // 5
    {0, 0, 0, BlockKind::kBox, 0, false, false},                     // 6
    {20, 10, 30, BlockKind::kBox, kBaseLevelImage, true, false},     // 7
    {10, 10, 20, BlockKind::kBox, kBaseLevelImage, true, false},     // 8
    {10, 10, 20, BlockKind::kWedge, kBaseLevelImage, true, true},    // 9
    {10, 5, 20, BlockKind::kWedge, kBaseLevelImage, true, true},     // 10
};
static_assert(std::size(kBlockKinds) == SHAPE_LAST + 1);

// --- the goal pad

void BuildGoalPad(int32_t object, BuildFor target) {
  CreateBoxObject(object, 60, 10, 60);
  PositionObject(object, 10, 0, 10);
  SetObjectColor(object, Rgb(0, 255, 0));
  g_goalPadObject = object;
  if (target == BuildFor::kEditor) {
    PositionObject(kFirstHeartObject, 10, 10, 10);
    return;
  }
  for (int32_t heart = kFirstHeartObject; heart < kFirstHeartObject + 4; ++heart) ShowObject(heart);
  ShowObject(kHeartCentreObject);
  SetObjectAngleX(object, 180);
  SetObjectLighting(object, 1);
  for (int32_t heart = kFirstHeartObject; heart < kFirstHeartObject + 4; ++heart) PositionObject(heart, 10, 10, 10);
  for (int32_t heart : {kFirstHeartObject + 2, kFirstHeartObject + 3}) {
    SetObjectAngleX(heart, 180);
    PositionObject(heart, 10, GetObjectSizeY(heart) + 10, 10);
  }
  ScaleObject(kHeartCentreObject, 60, 60, 60);
  PositionObject(kHeartCentreObject, 10, 15, 10);
  SetObjectTranslucent(kFirstHeartObject);
  LoopObjectAnimation(kFirstHeartObject);
  LoopObjectAnimation(kHeartCentreObject);
  // The light outlives the level and is reused by the next goal pad.
  if (!FindLight(kGoalPadLight)) CreateLight(kGoalPadLight);
  SetLightToSpot(kGoalPadLight, 180, 360);
  SetLightColor(kGoalPadLight, Rgb(0, 255, 255));
  SetLightPosition(kGoalPadLight, 10, 20, 10);
  SetLightRange(kGoalPadLight, 45);
  SetObjectCollisionToBoxes(object);
}

// --- blocks

// Builds the record's block under the next block number; false for a shape that builds nothing.
bool BuildBlock(MapRecord& r, BuildFor target) {
  if (r.shape < 0 || r.shape > SHAPE_LAST || r.shape == SHAPE_EMPTY) {
    r.blockObject = -1;  // a number read from the file names nothing of this level
    return false;
  }
  MapCounts& counts = CurrentMapCounts();
  const int32_t object = kFirstBlockObject + counts.blocksBuilt;
  r.blockObject = object;
  ++counts.blocksBuilt;
  if (r.shape == SHAPE_GOAL_PAD) {
    BuildGoalPad(object, target);
    return true;
  }
  BlockKind kind = kBlockKinds[r.shape];
  if (target == BuildFor::kEditor && r.shape == SHAPE_BOX_THIN_LONG) kind.sizeZ = 30;  // as the editor places it
  switch (kind.mesh) {
    case BlockKind::kBox: CreateBoxObject(object, kind.sizeX, kind.sizeY, kind.sizeZ); break;
    case BlockKind::kRamp: BuildRampMesh(object, kind.sizeX, kind.sizeY, kind.sizeZ); break;
    case BlockKind::kWedge: BuildWedgeMesh(object, kind.sizeX, kind.sizeY, kind.sizeZ); break;
  }
  if (!LevelObjectExists(object)) return true;
  SetObjectTexture(object, kind.image);
  if (kind.rotated) RotateObject(object, r.rx, r.ry, r.rz);
  PositionObject(object, r.x, r.y, r.z);
  if (target == BuildFor::kPlay) {
    if (kind.polygons) SetObjectCollisionToPolygons(object);
    else SetObjectCollisionToBoxes(object);
  }
  return true;
}

// --- entities

const char* ModelOf(int32_t type) {
  switch (type) {
    case E_PAINTR: return "Models\\PRed.x";
    case E_PAINTG: return "Models\\PGreen.x";
    case E_PAINTB: return "Models\\PBlue.x";
    case E_BOOST: return "Models\\Boost.x";
    case E_WARP: return "Models\\Warp.x";
    case E_MONSTERA: return "Models\\MonsterA.x";
    case E_MONSTERB: return "Models\\MonsterB.x";
    case E_PLASMA: return "Models\\Plasma.x";
    case E_BOOSTV: return "Models\\BoostV.x";
    default: return nullptr;
  }
}

// A textured box entity marker.
void MarkerBox(int32_t object, float size, float height, int32_t image, float x, float y, float z) {
  CreateBoxObject(object, size, height, size);
  SetObjectTexture(object, image);
  PositionObject(object, x, y, z);
}

// The door image's next number: 500 up, wrapping before the interface images.
int32_t NextDoorImage() {
  MapCounts& counts = CurrentMapCounts();
  if (counts.doorCounter < 0 || counts.doorCounter >= kDoorImageSlots) counts.doorCounter = 0;
  return kFirstDoorImage + counts.doorCounter++;
}

void BuildDoor(const MapRecord& r, int32_t object, BuildFor target) {
  const int32_t image = NextDoorImage();
  int32_t blue = r.p3;
  if (target == BuildFor::kPlay && r.p1 == 255 && r.p2 == 0 && blue == 255) blue = 254;  // not the colour key
  MakeDoorImage(image, r.p1, r.p2, blue);
  if (target == BuildFor::kPlay) {
    CreateBoxObject(object, 20, 25, 5);
    PositionObject(object, r.x, r.y + 12.5f, r.z);
  } else {
    CreateBoxObject(object, 20, 10, 5);
    PositionObject(object, r.x, r.y + 10, r.z);
  }
  SetObjectTexture(object, image);
  SetObjectAngleY(object, float(r.p4));
}

// The editor sets a paint pot down on its block: a ray from the pot's top down through the block.
void SetPotDown(const MapRecord& r, int32_t object, float height) {
  if (!LevelObjectExists(r.blockObject)) return;
  const float top = r.y + height / 2;
  const float d = RayIntersectObject(r.blockObject, r.x, top, r.z, r.x, r.y - 2 * height, r.z);
  if (d > 0) PositionObject(object, r.x, r.y - d + height / 2, r.z);
}

// Makes the record's entity object under `object`; false when the type makes none in this build.
bool MakeEntityObject(MapRecord& r, int32_t object, BuildFor target) {
  const bool play = target == BuildFor::kPlay;
  const float x = r.x, y = r.y, z = r.z;
  switch (r.entityType) {
    case E_DOOR:
      BuildDoor(r, object, target);
      return true;
    case E_PAINTR:
    case E_PAINTG:
    case E_PAINTB: {
      LoadObject(ModelOf(r.entityType), object);
      const float height = GetObjectSizeY(object);
      if (play) {
        PositionObject(object, x, y + 10 + height / 2, z);
        ScaleObject(object, 50, 50, 50);
      } else {
        PositionObject(object, x, y + 10, z);
        SetPotDown(r, object, height);
      }
      return true;
    }
    case E_BOOST:
    case E_BOOSTV:
      LoadObject(ModelOf(r.entityType), object);
      PositionObject(object, x, y + 5, z);
      SetObjectAngleY(object, float(r.entityType == E_BOOST ? r.p2 : r.p3));
      return true;
    case E_PLAYERSTART:
      if (play) {
        ShowObject(kBallObject);
        PositionObject(kBallObject, x, y + 10, z);
        SetObjectAngleY(kBallObject, float(r.p1));
        LoopObjectAnimation(kBallObject);
        float* respawn = Game().respawn;
        respawn[0] = x, respawn[1] = y + 10, respawn[2] = z, respawn[3] = float(r.p1);
        return false;
      }
      MarkerBox(object, 10, 10, kPlayerStartImage, x, y + 10, z);
      return true;
    case E_WARP:
      LoadObject(ModelOf(r.entityType), object);
      SetObjectTexture(object, kWarpImage);
      PositionObject(object, x, y + 5, z);
      SetObjectTransparency(object, 1);
      if (play) SetObjectLighting(object, 0);
      return true;
    case E_MOVER:
      if (play) return false;  // the mover moves its record's block
      MarkerBox(object, 10, 10, kPlatformImage, x, y + 5, z);
      return true;
    case E_MONSTERA:
    case E_MONSTERB:
      LoadObject(ModelOf(r.entityType), object);
      PositionObject(object, x, y + 5 + GetObjectSizeY(object) / 2, z);
      LoopObjectAnimation(object);
      return true;
    case E_TEXT:
      if (play) {
        MarkerBox(object, 20, 10, kMessageImage, x, y + 10, z);
        HideObject(object);
      } else {
        MarkerBox(object, 10, 10, kMessageImage, x, y + 10, z);
      }
      return true;
    case E_PLASMA:
      LoadObject(ModelOf(r.entityType), object);
      PositionObject(object, x, y + 10, z);
      if (!play) LoopObjectAnimation(object);
      SetObjectColor(object, Rgb(100, 100, 255));
      SetObjectBrightness(object, 150);
      if (!play || Settings().sphereMapping) SetObjectSecondTexture(object, kSphereMapImage);
      if (play) ++Game().plasmaCount;
      return true;
    case E_RESPAWN:
      if (play) {
        MarkerBox(object, 20, 10, kRespawnImage, x, y + 10, z);
        HideObject(object);
      } else {
        MarkerBox(object, 10, 10, kRespawnImage, x, y + 5, z);
      }
      return true;
    default:
      return false;  // type 5 and none
  }
}

// Whether the built entity takes part in collision by boxes.
bool EntityCollides(int32_t type, BuildFor target) {
  if (target == BuildFor::kPlay) return true;
  return type == E_MONSTERB;
}

void BuildEntity(MapRecord& r, BuildFor target) {
  MapCounts& counts = CurrentMapCounts();
  const int32_t object = kFirstEntityObject + counts.entitiesBuilt;
  if (!MakeEntityObject(r, object, target)) {
    r.entityObject = -1;  // a number read from the file would name another entity's object
    return;
  }
  r.entityObject = object;
  ++counts.entitiesBuilt;
  if (EntityCollides(r.entityType, target) && LevelObjectExists(object)) SetObjectCollisionToBoxes(object);
}

// --- loading

bool ReadAndBuild(const char* path, BuildFor target, MapFileError* error) {
  // The file is read whole before anything changes, so a damaged one leaves the level as it was.
  auto read = std::make_unique<MapTables>();
  ResetMapTables(*read);
  MapFileError why = MapFileError::kNone;
  const bool ok = ReadMapFile(path, *read, &why);
  if (error) *error = why;
  if (!ok) return false;

  ClearLevel();
  MapTables& map = CurrentMap();
  map.header = read->header;
  for (int32_t i = 0; i < kMapRecordCapacity; ++i) map.records[i] = read->records[i];
  for (int32_t p = 0; p < kWaypointPathCount; ++p) map.paths[p] = read->paths[p];

  char texture[kMapStringSize + 16];
  std::snprintf(texture, sizeof texture, "Textures\\%s", map.header.texture);
  MapCounts& counts = CurrentMapCounts();
  counts.blocksBuilt = 0;
  counts.entitiesBuilt = 0;
  if (target == BuildFor::kPlay) Game().plasmaCount = 0;
  LoadLevelTexture(texture);

  for (int32_t i = 0; i < map.header.recordCount; ++i) {
    MapRecord& r = map.records[i];
    BuildBlock(r, target);
    BuildEntity(r, target);
  }
  const MapRecord& first = map.records[0];
  PlaceCamera(first.x, first.y + 100, first.z);
  AimCamera(first.x, first.y, first.z);
  return true;
}

}  // namespace

bool LoadMap(const char* mapPath, MapFileError* error) {
  ReturnToGameFolder();
  char path[kMapStringSize + 16];
  const int length = std::snprintf(path, sizeof path, "Maps\\%s", mapPath ? mapPath : "");
  if (!mapPath || !*mapPath || length < 0 || size_t(length) >= sizeof path) {
    if (error) *error = MapFileError::kMissing;
    return false;
  }
  return ReadAndBuild(path, BuildFor::kPlay, error);
}

bool LoadMapForEditor(const char* path, MapFileError* error) {
  if (!path || !*path) {
    if (error) *error = MapFileError::kMissing;
    return false;
  }
  return ReadAndBuild(path, BuildFor::kEditor, error);
}

int32_t GoalPadObject() { return g_goalPadObject; }
