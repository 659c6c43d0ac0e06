// An object's world matrix (glued objects included), frame world matrices, look vectors and angles.
#pragma once
#include <cstdint>

#include "engine/objects/records.h"

// Rotation matrices about X, Y and Z from the angles; rotation = X x Y x Z (order 0) or Z x Y x X.
void BuildRotationMatrix(ObjectRecord* object);
// A glued object first brings its target's matrix and the glue frame's world matrix up to date, then
// its own. A glue target that is missing, a glue frame beyond the target's frames, or a chain of glue
// that comes back on itself leaves the object placed as if unglued.
bool UpdateObjectMatrix(ObjectRecord* object);
// Every writer of an object's position, angles, scale, rotation source (free flight, extra rotation,
// rotation order) or glue calls this, so that the renderer rebuilds the world matrix.
inline void MarkObjectPlaced(ObjectRecord* object) { object->placementChanged = 1; }
// UpdateObjectMatrix only when the placement changed since the last build, or when the object is
// glued (its target may have moved): what the renderer calls once per frame.
bool RefreshObjectMatrix(ObjectRecord* object);
// scale x rotation x translation (x the glue frame's world matrix when glued and given). Nothing when
// the matrix is fixed. Clears every frame's world-matrix-valid byte and the placement-changed byte,
// and sets the world-changed byte.
void UpdateObjectWorldMatrix(ObjectRecord* object, const FrameRecord* glueFrame);
// The frame's world matrix: the object's for a skinned mesh, else combined x the object's.
void UpdateFrameWorldMatrix(const ObjectRecord* object, FrameRecord* frame, const MeshRecord* mesh);
// look (0, 0, 1), up (0, 1, 0) and right (1, 0, 0) turned by the object's rotation.
void UpdateObjectLookVectors(ObjectRecord* object);

// Angles in degrees: x = atan2(m23, m33), y = asin(-m13), z = atan2(m12, m11). m13 beyond +-1 (float
// rounding) is taken as +-1.
void AnglesFromMatrix(const Matrix& matrix, Vector3* angles);
// Entering mode 1 copies the current rotation into the free-flight matrix; in mode 1 the angles
// follow the free-flight matrix.
void SetObjectFreeFlight(ObjectRecord* object, uint32_t mode);
// Headings in degrees (0..360) that turn the look vector from `from` towards `to`; z angle 0.
void PointAnglesToTarget(const Vector3& from, const Vector3& to, float* xAngle, float* yAngle, float* zAngle);
// Into 0 (inclusive) to 360 (exclusive) by steps of 360, at most 100 of them; 0 when that is not enough.
float WrapAngle(float degrees);
// point x the matrix's first three columns plus its translation row.
void TransformPoint(Vector3* out, const Vector3& point, const Matrix& matrix);

// sort flag := transparent, sorted transparent or either screen-locked byte.
void UpdateObjectSortFlag(ObjectRecord* object);
// Sorted transparency for modes 2 and 3, then the sort flag.
void SetObjectSortedTransparency(ObjectRecord* object, uint32_t mode);
