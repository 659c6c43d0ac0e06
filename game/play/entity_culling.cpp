// Which of the level's objects are drawn and collide, and which let the ball show through.
#include <algorithm>

#include "engine/objects/object_commands.h"
#include "engine/scene/camera.h"
#include "game/play/entities.h"
#include "game/play/level_builder.h"
#include "game/play/level_internal.h"

int32_t LevelRecordCount() { return std::clamp(CurrentMap().header.recordCount, 0, kMapRecordCapacity); }

namespace {

float DistanceToBall(int32_t object) {
  return GetDistance3D(GetObjectX(kBallObject), GetObjectY(kBallObject), GetObjectZ(kBallObject), GetObjectX(object),
                       GetObjectY(object), GetObjectZ(object));
}

// On screen and near: drawn and colliding; on screen: drawn only; off screen: neither.
void CullObject(int32_t object) {
  if (IsObjectOnScreen(object)) {
    if (DistanceToBall(object) < kCollisionDistance) SetObjectCollisionOn(object);
    else SetObjectCollisionOff(object);
    ShowObject(object);
  } else {
    SetObjectCollisionOff(object);
    HideObject(object);
  }
}

bool HidesBall(int32_t object) {
  return RayIntersectObject(object, GetCameraPositionX(), GetCameraPositionY(), GetCameraPositionZ(),
                            GetObjectX(kBallObject), GetObjectY(kBallObject), GetObjectZ(kBallObject)) > 0;
}

void SetSeeThrough(int32_t object, bool seeThrough) {
  if (seeThrough) {
    SetObjectTranslucent(object);
    SetObjectBrightness(object, 60);
  } else {
    ClearObjectTranslucent(object);
    SetObjectBrightness(object, 100);
  }
}

bool ShownWithItsBlock(int32_t type) {
  return type == E_PLASMA || type == E_WARP || type == E_PAINTR || type == E_PAINTG || type == E_PAINTB ||
         type == E_DOOR;
}

}  // namespace

// An empty record (no block) does not end the walk: the records after it have objects of their own.
void CullLevelObjects() {
  const int32_t count = LevelRecordCount();
  const MapRecord* records = CurrentMap().records;
  for (int32_t i = 0; i < count; ++i) {
    const MapRecord& r = records[i];
    if (LevelObjectExists(r.blockObject)) CullObject(r.blockObject);
    if (!LevelObjectExists(r.entityObject)) continue;
    if (r.entityType == E_TEXT || r.entityType == E_RESPAWN) HideObject(r.entityObject);
    else CullObject(r.entityObject);
  }
}

void UpdateSeeThroughBlocks() {
  const int32_t count = LevelRecordCount();
  const MapRecord* records = CurrentMap().records;
  const float ballY = GetObjectY(kBallObject);
  for (int32_t i = 0; i < count; ++i) {
    const MapRecord& r = records[i];
    if (!LevelObjectExists(r.blockObject)) continue;
    const bool entity = LevelObjectExists(r.entityObject);
    if (IsObjectOnScreen(r.blockObject)) {
      ShowObject(r.blockObject);
      if (entity && ShownWithItsBlock(r.entityType)) ShowObject(r.entityObject);
      SetSeeThrough(r.blockObject, ballY < r.y - 10 && HidesBall(r.blockObject));
    }
    if (r.entityType == E_DOOR && entity && IsObjectOnScreen(r.entityObject))
      SetSeeThrough(r.entityObject, HidesBall(r.entityObject));
  }
}
