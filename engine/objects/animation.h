// Keyframe animation: every object's animation clock, the keys of its tracks at a time, and the
// frames' animated matrices built from them. The frame-tree walks that combine the matrices
// (BuildFrameLocalMatrix, CombineFrameMatrices, UpdateFrameMatrices) live in frame_tree.h.
#pragma once
#include <cstdint>

#include "engine/objects/records.h"

// Advances the clock of every listed object (playing, or else blending) and copies the first
// animation set's bounds for the new frame into the object and its first mesh (only for objects
// without the axis-aligned box test, and clamped to the set's last bounds entry).
void StepObjectAnimations();
// The same for one object; exposed so the stepping can be tested without the object table.
void StepObjectAnimation(ObjectRecord* object);

// Resets the animated matrices (offset x local), then applies every track of the first animation set
// at `frame` (or between the blend frames while blending). False for a null object.
bool AnimateObjectFrame(ObjectRecord* object, float frame);

// A matrix from 16 floats in row order.
Matrix MatrixFromFloats(const float* values);

// The value of a track's keys at a time. A track without keys of that kind gives the identity value
// (zero translation, unit scale, the identity rotation or matrix).
void InterpolatePositionKeys(Vector3* out, const AnimationRecord* track, float time);
void InterpolatePositionSpline(Vector3* out, const AnimationRecord* track, float time);
void InterpolateScaleKeys(Vector3* out, const AnimationRecord* track, float time);
void InterpolateRotationKeys(Quaternion* out, const AnimationRecord* track, float time);
// Searches from the track's cursor and leaves the key found in it.
void InterpolateMatrixKeys(Matrix* out, AnimationRecord* track, float time);

// The driven frame's animated matrix := offset x scale x rotation x translation of the keys at the
// time, then the matrix key in front. Nothing for a track without a driven frame.
void ApplyAnimationRecords(AnimationRecord* track, float time);
// The same with every channel mixed linearly between times a and b by factor (translation always
// from the linear keys, rotations mixed component by component, matrices element by element).
void ApplyAnimationRecordsBlended(AnimationRecord* track, float timeA, float timeB, float factor);

// Installs AnimateObjectFrame and UpdateObjectAnimation as the record links that the bounds code
// poses objects through.
void InstallAnimationRecordLinks();
