#include "engine/objects/collision.h"

#include <cmath>
#include <utility>
#include <vector>

#include "engine/objects/box_collision.h"
#include "engine/objects/collision_state.h"
#include "engine/objects/object_matrix.h"
#include "engine/objects/object_table.h"
#include "engine/objects/ray_query.h"
#include "engine/scene/camera.h"
#include "platform/d3dx/math_vector.h"

using namespace platform::d3dx;

namespace {

constexpr float kMeanScaleFactor = 0.33333334f;

// A listed object that takes part in collision: in the table and not excluded. Deleted numbers are
// never reached, as every pass looks each number up again.
ObjectRecord* CollidableObject(int32_t number) {
  ObjectRecord* object = FindObjectRecord(number);
  return object && object->excluded != 1 ? object : nullptr;
}

Vector3 SphereCentre(ObjectRecord* object) {
  UpdateObjectWorldCentre(object);
  return Vec3Add(object->bounds.worldCentre, object->placement.position);
}

float SphereRadius(const ObjectRecord& object) {
  const Vector3& s = object.placement.scale;
  return object.bounds.radius * (s.x + s.y + s.z) * kMeanScaleFactor;
}

// Segments through B's position against A's triangles, each hit within its length limit.
bool SegmentsHitTriangles(ObjectRecord* a, ObjectRecord* b) {
  const Vector3 p = b->placement.position;
  const float r = b->bounds.radius;
  const float d = r * 0.6f;
  const struct {
    Vector3 from, to;
    float limit;
  } segments[] = {
      {{p.x, p.y - r, p.z}, {p.x, p.y + r, p.z}, 2 * r},
      {{p.x, p.y, p.z - r}, {p.x, p.y, p.z + r}, 2 * r},
      {{p.x - r, p.y, p.z}, {p.x + r, p.y, p.z}, 2 * r},
      {{p.x - d, p.y - d, p.z - d}, {p.x + d, p.y + d, p.z + d}, 2 * d},
      {{p.x - d, p.y - d, p.z + d}, {p.x + d, p.y + d, p.z - d}, 2 * d},
  };
  for (const auto& s : segments) {
    float distance = 0.0f;
    if (IntersectObjectTriangles(a, s.from.x, s.from.y, s.from.z, s.to.x, s.to.y, s.to.z, &distance) &&
        distance <= s.limit)
      return true;
  }
  return false;
}

// The camera collision object, then every listed object (a listed -1 being the camera object, which
// is visited once only), each looked up when it is reached.
template <typename Visit>
void ForEachAutoCollider(Visit&& visit) {
  visit(kCameraCollisionObject, GetCameraCollisionObject());
  const std::vector<int32_t>& used = GetObjectTable().usedIds;
  for (size_t i = 0; i < used.size(); ++i) {
    if (used[i] == kCameraCollisionObject) continue;
    if (ObjectRecord* object = CollidableObject(used[i])) visit(used[i], object);
  }
}

bool TakesPartInAutoCollision(const ObjectRecord& object) {
  return object.bounds.collisionOn && object.bounds.autoCollisionMode != 0;
}

CameraRecord* MainCamera() {
  auto getCamera = GetObjectModuleState().links.getCameraData;
  return getCamera ? getCamera(0) : nullptr;
}

// The camera collision object stands where camera 0 is, unturned.
void PlaceCameraObject(ObjectRecord* camera, const Vector3& position) {
  camera->placement.position = position;
  Matrix& world = camera->placement.worldMatrix;
  world.m[3][0] = position.x;
  world.m[3][1] = position.y;
  world.m[3][2] = position.z;
  camera->placement.angles = {0, 0, 0};
  MarkObjectPlaced(camera);
}

// Moves an object that ran into `other` back out of it (slid or returned), and turns it back when it
// turned this frame.
void RespondToHit(int32_t number, ObjectRecord* object, ObjectRecord* other) {
  CollisionState& state = GetCollisionState();
  PositionBlock& p = object->placement;
  MarkObjectPlaced(object);
  if (state.slideAvailable && object->bounds.autoCollisionMode == 1) SubtractVector3InPlace(&p.position, state.slide);
  else p.position = p.previousPosition;
  const float turned = std::fabs(p.angles.x - p.previousAngles.x) + std::fabs(p.angles.y - p.previousAngles.y) +
                       std::fabs(p.angles.z - p.previousAngles.z);
  if (turned > 0.0f) {
    p.angles = p.previousAngles;
    UpdateObjectLookVectors(object);
    const Vector3 away = Vec3Normalize(Vec3Subtract(p.position, other->placement.position));
    p.position.x += away.x;
    p.position.z += away.z;
    state.slideAvailable = 1;
  }
  if (number == kCameraCollisionObject) {
    if (CameraRecord* camera = MainCamera()) {
      camera->position = p.position;
      if (auto refresh = GetObjectModuleState().links.refreshCameraById) refresh(0);
    }
  }
}

}  // namespace

void EnableObjectCollision(ObjectRecord* object) {
  if (object) object->bounds.collisionOn = 1;
}

void DisableObjectCollision(ObjectRecord* object) {
  if (!object) return;
  object->bounds.collisionOn = 0;
  object->bounds.autoCollisionMode = 0;
}

void SetCollisionToSpheres(ObjectRecord* object) {
  if (!object) return;
  object->bounds.collisionType = 1;
  object->bounds.axisAlignedBoxTest = 1;
}

void SetCollisionToBoxes(ObjectRecord* object) {
  if (!object) return;
  object->bounds.collisionType = 2;
  object->bounds.axisAlignedBoxTest = 0;
}

void SetCollisionToPolygons(ObjectRecord* object) {
  if (!object) return;
  object->bounds.collisionType = 3;
  object->bounds.axisAlignedBoxTest = 0;
}

bool UpdateObjectWorldCentre(ObjectRecord* object) {
  if (!object) return true;
  BoundsBlock& b = object->bounds;
  if (b.worldCentreCurrent == 0) {
    b.worldCentreCurrent = 1;
    RefreshObjectMatrix(object);
    b.worldCentre = Vec3TransformCoord(b.centre, object->placement.scaleRotationMatrix);
  }
  return true;
}

float SphereOverlapDepth(const Vector3& c1, float r1, const Vector3& c2, float r2) {
  const float dx = std::fabs(c1.x - c2.x), dy = std::fabs(c1.y - c2.y), dz = std::fabs(c1.z - c2.z);
  const float depth = r1 + r2 - std::sqrt(dx * dx + dy * dy + dz * dz);
  return depth > 0.0f ? depth : 0.0f;
}

int32_t TestObjectPair(int32_t numberA, ObjectRecord* a, int32_t numberB, ObjectRecord* b) {
  (void)numberA;
  if (!a || !b) return 0;
  const uint32_t typeA = a->bounds.collisionType, typeB = b->bounds.collisionType;
  const uint32_t type = (typeA == 3 || typeB == 3) ? 3 : (typeA == 2 || typeB == 2) ? 2 : typeA;
  if (type == 0 || type > 3) return 0;
  CollisionState& state = GetCollisionState();
  switch (type) {
    case 1: {
      const Vector3 cA = SphereCentre(a), cB = SphereCentre(b);
      const float depth = SphereOverlapDepth(cA, SphereRadius(*a), cB, SphereRadius(*b));
      if (depth <= 0.0f) return 0;
      state.slide = Vec3Scale(Vec3Normalize(Vec3Subtract(cB, cA)), depth);
      state.slideAvailable = 1;
      return numberB;
    }
    case 2:
      state.slideAvailable = 1;
      return CheckObjectBoxCollision(a, b) ? numberB : 0;
    default: {
      // The polygon object gives the triangles; the hit still names B.
      if (typeA != 3) std::swap(a, b);
      if (!CheckObjectBoxCollision(a, b)) return 0;
      return SegmentsHitTriangles(a, b) ? numberB : 0;
    }
  }
}

int32_t CheckObjectCollision(int32_t numberA, ObjectRecord* a, int32_t numberB, ObjectRecord* b) {
  if (!a || !a->bounds.collisionOn) return 0;
  CollisionState& state = GetCollisionState();
  if (b) {
    if (!b->bounds.collisionOn) return 0;
    state.slideAvailable = a->bounds.boxModuleTest;
    const int32_t hit = a->bounds.boxModuleTest == 1 ? CheckObjectBoxCollision(a, b) : TestObjectPair(numberA, a, numberB, b);
    return hit > 0 ? 1 : 0;
  }
  const std::vector<int32_t>& used = GetObjectTable().usedIds;
  if (used.empty()) {
    state.slide = {0, 0, 0};
    return 0;
  }
  Vector3 kept{0, 0, 0};
  int32_t last = 0;
  for (size_t i = 0; i < used.size(); ++i) {
    const int32_t number = used[i];
    ObjectRecord* other = CollidableObject(number);
    if (!other || other == a || !other->bounds.collisionOn) continue;
    int32_t hit;
    if (a->bounds.boxModuleTest == 1) {
      state.slideAvailable = 1;
      hit = CheckObjectBoxCollision(a, other) > 0 ? number : 0;
    } else {
      state.slideAvailable = 0;
      hit = TestObjectPair(numberA, a, number, other);
    }
    if (hit == 0) continue;
    last = hit;
    const Vector3& s = state.slide;
    if (std::fabs(s.x) > std::fabs(kept.x)) kept.x = s.x;
    if (std::fabs(s.y) > std::fabs(kept.y)) kept.y = s.y;
    if (std::fabs(s.z) > std::fabs(kept.z)) kept.z = s.z;
  }
  state.slide = kept;
  return last;
}

int32_t CheckObjectPairById(int32_t numberA, int32_t numberB) {
  if (!GetCollisionState().enabled) return 0;
  ObjectRecord* a = CollidableObject(numberA);
  if (!a) return 0;
  if (numberB == 0) return CheckObjectCollision(numberA, a, 0, nullptr);
  ObjectRecord* b = CollidableObject(numberB);
  return b ? CheckObjectCollision(numberA, a, numberB, b) : 0;
}

int32_t QueryObjectCollision(int32_t numberA, int32_t numberB) {
  if (!ConfirmObject(numberA)) return 0;
  if (numberB != 0 && !ConfirmObject(numberB)) return 0;
  return CheckObjectPairById(numberA, numberB);
}

Vector3 GetCollisionSlide() { return GetCollisionState().slide; }
uint8_t IsCollisionSlideAvailable() { return GetCollisionState().slideAvailable; }

void PrepareAutoCollision() {
  CollisionState& state = GetCollisionState();
  if (!state.enabled) return;
  ForEachAutoCollider([&](int32_t number, ObjectRecord* object) {
    if (TakesPartInAutoCollision(*object)) {
      object->bounds.movedThisFrame = 0;
      if (number == kCameraCollisionObject) {
        const CameraRecord* camera = MainCamera();
        const Vector3 position = camera ? camera->position : object->placement.position;
        PlaceCameraObject(object, position);
        state.savedCameraPosition = position;
      }
    }
    object->placement.previousPosition = object->placement.position;
    object->placement.previousAngles = object->placement.angles;
  });
  state.pending = 1;
}

void ResolveAutoCollision() {
  CollisionState& state = GetCollisionState();
  if (!state.enabled || !state.pending) return;
  state.pending = 0;
  ForEachAutoCollider([&](int32_t number, ObjectRecord* object) {
    if (!TakesPartInAutoCollision(*object)) return;
    if (number == kCameraCollisionObject) {
      const CameraRecord* camera = MainCamera();
      const Vector3 position = camera ? camera->position : object->placement.position;
      PlaceCameraObject(object, position);
      const Vector3& saved = state.savedCameraPosition;
      object->bounds.movedThisFrame =
          (position.x != saved.x || position.y != saved.y || position.z != saved.z) ? 1 : 0;
    }
    if (object->bounds.movedThisFrame != 1) return;
    ForEachAutoCollider([&](int32_t otherNumber, ObjectRecord* other) {
      if (other == object || !other->bounds.collisionOn) return;
      if (CheckObjectCollision(number, object, otherNumber, other)) RespondToHit(number, object, other);
    });
  });
}

void RunPrepareAutoCollision() { PrepareAutoCollision(); }
void RunResolveAutoCollision() { ResolveAutoCollision(); }

void SetCollisionSwitch(uint8_t on) { GetCollisionState().enabled = on; }

ObjectRecord* GetCameraCollisionObject() {
  CollisionState& state = GetCollisionState();
  if (!state.cameraObject) state.cameraObject = std::make_unique<ObjectRecord>();
  return state.cameraObject.get();
}

void ResetCollisionState() {
  CollisionState& state = GetCollisionState();
  state.slide = {0, 0, 0};
  state.slideAvailable = 0;
  state.pending = 0;
  state.enabled = 1;
  state.cameraObject = std::make_unique<ObjectRecord>();
  state.savedCameraPosition = {0, 0, 0};
}
