// Placing, scaling, turning and moving numbered objects, and reading their position and angles back.
// Every worker begins with the object check (7006, 7008) and does nothing more when it fails (false,
// or 0 from a getter). Setters keep the moved byte for automatic collision; position setters also
// keep the previous position. Each successful setter ends by rebuilding the world matrix.
#pragma once
#include <cstdint>

// Scale in percent per axis (100 = unchanged).
bool SetObjectScale(int32_t object, float x, float y, float z);
bool SetObjectPosition(int32_t object, float x, float y, float z);
// Angles in degrees, turned X, then Y, then Z; leaves free-flight mode.
bool SetObjectRotation(int32_t object, float ax, float ay, float az);
bool SetObjectRotationX(int32_t object, float angle);
bool SetObjectRotationY(int32_t object, float angle);
// Turns the object so that its look vector points at the point.
bool SetObjectLookAt(int32_t object, float x, float y, float z);
// Moves along the look vector (backwards for a negative step).
bool StepObjectAlongLook(int32_t object, float step);
// Turns about the object's own z axis, in free-flight mode.
bool ApplyObjectRoll(int32_t object, float degrees);

// Position components; for a glued object the world position of the glue point, brought up to date.
float GetObjectPositionX(int32_t object);
float GetObjectPositionY(int32_t object);
float GetObjectPositionZ(int32_t object);
// Angles in degrees as stored.
float GetObjectAngleX(int32_t object);
float GetObjectAngleY(int32_t object);
float GetObjectAngleZ(int32_t object);

// Position 0, scale 100 percent, angles 0.
bool ResetObjectTransform(int32_t object);
