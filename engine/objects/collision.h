// Object collision: spheres, boxes or polygons chosen per object by its collision type, one object
// against another or against every object, the slide vector that says how to move the tested object
// out of contact, and the automatic collision of the frame step (prepared at the end of a frame,
// resolved at the start of the next).
#pragma once
#include <cstdint>

#include "engine/objects/records.h"

// Number under which the camera collision object takes part in automatic collision.
constexpr int32_t kCameraCollisionObject = -1;

// Collision setters behind the object commands.
void EnableObjectCollision(ObjectRecord* object);   // collision on
void DisableObjectCollision(ObjectRecord* object);  // collision off, automatic collision off
void SetCollisionToSpheres(ObjectRecord* object);   // type 1 with the axis-aligned box test
void SetCollisionToBoxes(ObjectRecord* object);     // type 2
void SetCollisionToPolygons(ObjectRecord* object);  // type 3

// The box centre turned and scaled into world orientation (an offset from the position), when the
// scaling or rotating commands marked it stale. True.
bool UpdateObjectWorldCentre(ObjectRecord* object);
// r1 + r2 - the centres' distance; 0 when that is 0 or less.
float SphereOverlapDepth(const Vector3& c1, float r1, const Vector3& c2, float r2);
// The pair test by the stronger of the two collision types (polygons, then boxes, then A's type);
// numberB on a hit, else 0.
int32_t TestObjectPair(int32_t numberA, ObjectRecord* a, int32_t numberB, ObjectRecord* b);
// With b: 1 on a hit, else 0. With null b: a against every listed object, the number of the last hit
// (0 when none), the slide vector holding the largest component of each axis over the hits.
int32_t CheckObjectCollision(int32_t numberA, ObjectRecord* a, int32_t numberB, ObjectRecord* b);
// CheckObjectCollision on the objects of these numbers (numberB 0: against every object); 0 for a
// missing object or while the collision switch is off.
int32_t CheckObjectPairById(int32_t numberA, int32_t numberB);
// The same after the number checks of the object table (which raise their errors).
int32_t QueryObjectCollision(int32_t numberA, int32_t numberB);

// The slide vector of the last test and whether the last test left one.
Vector3 GetCollisionSlide();
uint8_t IsCollisionSlideAvailable();

// Automatic collision, through the object module's frame slots.
void PrepareAutoCollision();
void ResolveAutoCollision();
void RunPrepareAutoCollision();
void RunResolveAutoCollision();

// The collision switch (1 at start: every query and the automatic collision do nothing while 0).
void SetCollisionSwitch(uint8_t on);
// The record that stands for camera 0 in automatic collision.
ObjectRecord* GetCameraCollisionObject();
// Back to the start state: switch on, nothing pending, slide vector cleared, a fresh camera object.
void ResetCollisionState();
