// Commands that switch an object's animation, visibility and collision, and the thin placing forms.
#include "engine/objects/collision.h"
#include "engine/objects/object_commands.h"
#include "engine/objects/object_table.h"
#include "engine/objects/object_transform.h"

namespace {

void StartAnimation(int32_t object, uint8_t looping) {
  ObjectRecord* record = GetObjectPointer(object);
  if (!record) return;
  record->playing = 1;
  record->looping = looping;
  record->frame = 0.0f;
}

void SetVisible(int32_t object, uint8_t visible) {
  if (ObjectRecord* record = GetObjectPointer(object)) record->visible = visible;
}

void SetCollision(int32_t object, void (*setter)(ObjectRecord*)) {
  if (ObjectRecord* record = GetObjectPointer(object)) setter(record);
}

}  // namespace

void PlayObjectAnimation(int32_t object) { StartAnimation(object, 0); }
void LoopObjectAnimation(int32_t object) { StartAnimation(object, 1); }
void HideObject(int32_t object) { SetVisible(object, 0); }
void ShowObject(int32_t object) { SetVisible(object, 1); }

void SetObjectCollisionOn(int32_t object) { SetCollision(object, EnableObjectCollision); }
void SetObjectCollisionOff(int32_t object) { SetCollision(object, DisableObjectCollision); }
void SetObjectCollisionToBoxes(int32_t object) { SetCollision(object, SetCollisionToBoxes); }
void SetObjectCollisionToPolygons(int32_t object) { SetCollision(object, SetCollisionToPolygons); }

void PositionObject(int32_t object, float x, float y, float z) { SetObjectPosition(object, x, y, z); }
void ScaleObject(int32_t object, float x, float y, float z) { SetObjectScale(object, x, y, z); }
void RotateObject(int32_t object, float x, float y, float z) { SetObjectRotation(object, x, y, z); }
void MoveObject(int32_t object, float step) { StepObjectAlongLook(object, step); }
void PointObject(int32_t object, float x, float y, float z) { SetObjectLookAt(object, x, y, z); }
void SetObjectAngleX(int32_t object, float degrees) { SetObjectRotationX(object, degrees); }
void SetObjectAngleY(int32_t object, float degrees) { SetObjectRotationY(object, degrees); }
void RollObject(int32_t object, float degrees) { ApplyObjectRoll(object, degrees); }
float GetObjectX(int32_t object) { return GetObjectPositionX(object); }
float GetObjectY(int32_t object) { return GetObjectPositionY(object); }
float GetObjectZ(int32_t object) { return GetObjectPositionZ(object); }
float GetObjectXAngle(int32_t object) { return GetObjectAngleX(object); }
float GetObjectYAngle(int32_t object) { return GetObjectAngleY(object); }
float GetObjectZAngle(int32_t object) { return GetObjectAngleZ(object); }
