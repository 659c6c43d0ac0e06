#include "engine/objects/object_transform.h"

#include <algorithm>

#include "engine/objects/object_matrix.h"
#include "engine/objects/object_table.h"
#include "platform/d3dx/math_matrix.h"

using platform::d3dx::kDegreesToRadians;
using platform::d3dx::MatrixMultiply;
using platform::d3dx::MatrixRotationZ;

namespace {

ObjectRecord* Placeable(int32_t object) { return GetObjectPointer(object); }

// A turn or a rescale moves the box centre in world orientation: it is recomputed on its next use.
void MarkTurned(ObjectRecord* record) {
  MarkObjectPlaced(record);
  record->bounds.movedThisFrame = 1;
  record->bounds.worldCentreCurrent = 0;
}

void MarkMoved(ObjectRecord* record, const Vector3& position) {
  PositionBlock& p = record->placement;
  MarkObjectPlaced(record);
  record->bounds.movedThisFrame = 1;
  p.previousPosition = p.position;
  p.position = position;
}

bool Turn(int32_t object, const Vector3& angles) {
  ObjectRecord* record = Placeable(object);
  if (!record) return false;
  SetObjectFreeFlight(record, 0);
  record->placement.angles = angles;
  UpdateObjectLookVectors(record);
  MarkTurned(record);
  return UpdateObjectMatrix(record);
}

// One angle changed, the others kept.
bool TurnAxis(int32_t object, int axis, float angle) {
  const ObjectRecord* record = Placeable(object);
  if (!record) return false;
  Vector3 angles = record->placement.angles;
  (axis == 0 ? angles.x : angles.y) = angle;
  return Turn(object, angles);
}

float LargestFactor(const Vector3& scale) { return std::max(scale.x, std::max(scale.y, scale.z)); }

// The world position of a glued object's glue point, with its target brought up to date first.
float PositionComponent(int32_t object, int axis) {
  ObjectRecord* record = Placeable(object);
  if (!record) return 0.0f;
  const PositionBlock& p = record->placement;
  if (p.glued == 1) {
    UpdateObjectMatrix(FindObjectRecord(int32_t(p.glueTarget)));
    UpdateObjectMatrix(record);
    const Matrix& world = p.worldMatrix;
    return world.m[3][axis];
  }
  return axis == 0 ? p.position.x : axis == 1 ? p.position.y : p.position.z;
}

float AngleComponent(int32_t object, int axis) {
  const ObjectRecord* record = Placeable(object);
  if (!record) return 0.0f;
  const Vector3& a = record->placement.angles;
  return axis == 0 ? a.x : axis == 1 ? a.y : a.z;
}

}  // namespace

bool SetObjectScale(int32_t object, float x, float y, float z) {
  ObjectRecord* record = Placeable(object);
  if (!record) return false;
  PositionBlock& p = record->placement;
  BoundsBlock& b = record->bounds;
  const float before = LargestFactor(p.scale);
  p.scale = {x * 0.01f, y * 0.01f, z * 0.01f};
  const float factor = LargestFactor(p.scale);
  b.scaledRadius = b.radius * factor;
  // The cull radius follows the scale from its value at the previous scale, so repeated scaling does
  // not compound it (scaling back to 100 percent restores it).
  b.cullRadius = before != 0.0f ? b.cullRadius / before * factor : b.cullRadius * factor;
  MarkTurned(record);
  return UpdateObjectMatrix(record);
}

bool SetObjectPosition(int32_t object, float x, float y, float z) {
  ObjectRecord* record = Placeable(object);
  if (!record) return false;
  MarkMoved(record, {x, y, z});
  return UpdateObjectMatrix(record);
}

bool SetObjectRotation(int32_t object, float ax, float ay, float az) { return Turn(object, {ax, ay, az}); }

bool SetObjectRotationX(int32_t object, float angle) { return TurnAxis(object, 0, angle); }
bool SetObjectRotationY(int32_t object, float angle) { return TurnAxis(object, 1, angle); }

bool SetObjectLookAt(int32_t object, float x, float y, float z) {
  const ObjectRecord* record = Placeable(object);
  if (!record) return false;
  Vector3 angles{};
  PointAnglesToTarget(record->placement.position, {x, y, z}, &angles.x, &angles.y, &angles.z);
  return Turn(object, angles);
}

bool StepObjectAlongLook(int32_t object, float step) {
  ObjectRecord* record = Placeable(object);
  if (!record) return false;
  const PositionBlock& p = record->placement;
  MarkMoved(record, {p.position.x + step * p.look.x, p.position.y + step * p.look.y, p.position.z + step * p.look.z});
  return UpdateObjectMatrix(record);
}

bool ApplyObjectRoll(int32_t object, float degrees) {
  ObjectRecord* record = Placeable(object);
  if (!record) return false;
  SetObjectFreeFlight(record, 1);
  PositionBlock& p = record->placement;
  // Row vectors: the roll on the left turns about the object's own z axis.
  p.freeFlightMatrix = MatrixMultiply(MatrixRotationZ(degrees * kDegreesToRadians), p.freeFlightMatrix);
  UpdateObjectLookVectors(record);
  MarkTurned(record);
  return UpdateObjectMatrix(record);
}

float GetObjectPositionX(int32_t object) { return PositionComponent(object, 0); }
float GetObjectPositionY(int32_t object) { return PositionComponent(object, 1); }
float GetObjectPositionZ(int32_t object) { return PositionComponent(object, 2); }
float GetObjectAngleX(int32_t object) { return AngleComponent(object, 0); }
float GetObjectAngleY(int32_t object) { return AngleComponent(object, 1); }
float GetObjectAngleZ(int32_t object) { return AngleComponent(object, 2); }

bool ResetObjectTransform(int32_t object) {
  return SetObjectPosition(object, 0.0f, 0.0f, 0.0f) && SetObjectScale(object, 100.0f, 100.0f, 100.0f) &&
         SetObjectRotation(object, 0.0f, 0.0f, 0.0f);
}
