// Box collision: two objects as oriented boxes (bounds box turned and scaled with the object, tested
// over 15 separating axes) or, when both ask for it, as axis-aligned boxes; on a hit the slide
// vector is the part of the tested object's last movement that took it into the other box.
#pragma once
#include <cstdint>

#include "engine/objects/records.h"

// Clears the slide vector, then CollideObjectBoxes.
int32_t CheckObjectBoxCollision(ObjectRecord* a, ObjectRecord* b);
// Positive on a hit; sets the slide vector.
int32_t CollideObjectBoxes(ObjectRecord* a, ObjectRecord* b);
// Boxes at the positions, neither scaled nor turned; touching is no hit. 1 on a hit.
int32_t BoxesOverlap(ObjectRecord* a, ObjectRecord* b);
// The oriented test with a placed at `position` instead of its world position; 1 on a hit.
int32_t TestOrientedObjectBoxes(const Vector3& position, ObjectRecord* a, ObjectRecord* b);
// Axes from the two matrices, then OrientedBoxesIntersect.
bool BuildOrientedBox(const Vector3& centreA, const Vector3& halfA, const Matrix& matrixA, const Vector3& centreB,
                      const Vector3& halfB, const Matrix& matrixB);
// Separating-axis test; touching boxes intersect.
bool OrientedBoxesIntersect(const Vector3& centreA, const Vector3& halfA, const Vector3 axesA[3],
                            const Vector3& centreB, const Vector3& halfB, const Vector3 axesB[3]);
void SubtractVector3InPlace(Vector3* a, const Vector3& b);

float GetCollisionSlideX();
float GetCollisionSlideY();
float GetCollisionSlideZ();
