// Queries of objects: ray distance, size, screen position, collision, the camera's orientation, and
// the screen pick.
#include <cmath>

#include "engine/objects/collision.h"
#include "engine/objects/object_commands.h"
#include "engine/objects/object_matrix.h"
#include "engine/objects/object_table.h"
#include "engine/objects/ray_query.h"
#include "engine/scene/camera.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/d3dx/math_vector.h"

using namespace platform::d3dx;

namespace {

Vector3 g_pickVector{0, 0, 0};

// The current camera's record through the camera link; null without one.
CameraRecord* CurrentCamera() {
  const ObjectModuleState& state = GetObjectModuleState();
  if (!state.links.getCameraData) return nullptr;
  return state.links.getCameraData(state.core ? state.core->currentCamera : 0);
}

// A float as an integer, truncated; NaN gives 0 and values beyond the range are held at its ends.
int32_t ToInt(double value) {
  if (!(value == value)) return 0;
  if (value >= 2147483647.0) return 2147483647;
  if (value <= -2147483648.0) return -2147483647 - 1;
  return int32_t(value);
}

float SizeOnAxis(int32_t object, int axis) {
  const ObjectRecord* record = GetObjectPointer(object);
  if (!record) return 0.0f;
  if (record->instanceSource) record = record->instanceSource;
  const BoundsBlock& b = record->bounds;
  const Vector3& s = record->placement.scale;
  switch (axis) {
    case 0: return (b.boxMax.x - b.boxMin.x) * s.x;
    case 1: return (b.boxMax.y - b.boxMin.y) * s.y;
    default: return (b.boxMax.z - b.boxMin.z) * s.z;
  }
}

struct ScreenPlace {
  int32_t inScreen = 0;
  int32_t x = 0;
  int32_t y = 0;
};

// Where the object's position projects in the current camera's view rectangle, and whether its
// sphere (2.5 times its scaled radius) lies in front of the camera inside the view.
ScreenPlace ObjectScreenProjection(int32_t object) {
  ScreenPlace place;
  const ObjectRecord* record = GetObjectPointer(object);
  const CameraRecord* camera = CurrentCamera();
  const CoreData* core = GetObjectModuleState().core;
  if (!record || !camera || !core) return place;

  const float r = record->bounds.scaledRadius * 2.5f;
  const Vector3 q = Vec3TransformCoord(record->placement.position, camera->view);
  const Vector3 n = Vec3TransformCoord(q, camera->projection);
  const float rn = Vec3TransformCoord({r, 0.0f, q.z}, camera->projection).x;
  int misses = 0;
  if (q.z >= 0.0f) misses += (n.x + rn < -1.0f) + (n.x - rn > 1.0f) + (n.y + rn < -1.0f) + (n.y - rn > 1.0f);
  misses += (q.z + r < 0.0f) + (q.z - r > camera->farPlane);
  place.inScreen = misses == 0 && -r < q.z ? 1 : 0;

  const int64_t width = core->backBufferWidth, height = core->backBufferHeight;
  const int64_t x = ToInt(double(width) * 0.5 * (double(n.x) + 1.0));
  const int64_t y = ToInt(double(height) * 0.5 * (1.0 - double(n.y)));
  const platform::gfx::Viewport& view = camera->viewRect;
  place.x = width ? ToInt(double(view.x) + double(x * int64_t(view.width) / width)) : 0;
  place.y = height ? ToInt(double(view.y) + double(y * int64_t(view.height) / height)) : 0;
  return place;
}

}  // namespace

float RayIntersectObject(int32_t object, float x1, float y1, float z1, float x2, float y2, float z2) {
  ObjectRecord* record = GetObjectPointer(object);
  if (!record) return 0.0f;
  UpdateObjectMatrix(record);
  const float distance = IntersectObjectSegment(record, x1, y1, z1, x2, y2, z2);
  const float length = Vec3Length({x2 - x1, y2 - y1, z2 - z1});
  return distance <= length ? distance : 0.0f;
}

float GetObjectSizeX(int32_t object) { return SizeOnAxis(object, 0); }
float GetObjectSizeY(int32_t object) { return SizeOnAxis(object, 1); }
float GetObjectSizeZ(int32_t object) { return SizeOnAxis(object, 2); }

int32_t GetObjectScreenX(int32_t object) { return ObjectScreenProjection(object).x; }
int32_t GetObjectScreenY(int32_t object) { return ObjectScreenProjection(object).y; }
int32_t IsObjectOnScreen(int32_t object) { return ObjectScreenProjection(object).inScreen; }

int32_t TestObjectCollision(int32_t object, int32_t other) { return QueryObjectCollision(object, other); }

void AlignObjectWithCamera(int32_t object) {
  ObjectRecord* record = GetObjectPointer(object);
  const CameraRecord* camera = CurrentCamera();
  if (!record || !camera) return;
  PositionBlock& p = record->placement;
  p.look = camera->look;
  p.up = camera->up;
  p.right = camera->right;
  p.freeFlight = 1;
  // The camera's orientation is the inverse of its view without the view's translation: the object
  // keeps its own position.
  Matrix orientation = MatrixIdentity();
  MatrixInverse(camera->view, &orientation);
  orientation.m[3][0] = orientation.m[3][1] = orientation.m[3][2] = 0.0f;
  p.freeFlightMatrix = orientation;
  p.angles = camera->angles;
  p.rotationOrder = camera->rotationOrder ? 0 : 1;
  MarkObjectPlaced(record);
  UpdateObjectMatrix(record);
}

void PickScreenCommand(int32_t x, int32_t y, float distance) {
  const CameraRecord* camera = CurrentCamera();
  if (!camera) return;
  Matrix inverseView = MatrixIdentity(), inverseProjection = MatrixIdentity();
  MatrixInverse(camera->view, &inverseView);
  MatrixInverse(camera->projection, &inverseProjection);
  const platform::gfx::Viewport& view = camera->viewRect;
  const int64_t halfWidth = int64_t(view.width) / 2, halfHeight = int64_t(view.height) / 2;
  if (halfWidth == 0 || halfHeight == 0) return;
  const int64_t sx = (int64_t(x) - int64_t(view.x)) - halfWidth;
  const int64_t sy = halfHeight - (int64_t(y) - int64_t(view.y));
  const Vector3 screen{float(sx) / float(halfWidth), float(sy) / float(halfHeight), 1.0f};
  const Vector3 far = Vec3TransformCoord(Vec3TransformCoord(screen, inverseProjection), inverseView);
  const Vector3& eye = camera->position;
  const Vector3 towards = Vec3Subtract(Vec3Scale(Vec3Subtract(far, eye), 3000.0f), eye);
  g_pickVector = Vec3Scale(Vec3Normalize(towards), distance);
}

float GetPickVectorX() { return g_pickVector.x; }
float GetPickVectorZ() { return g_pickVector.z; }
