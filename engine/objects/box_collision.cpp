#include "engine/objects/box_collision.h"

#include <cmath>

#include "engine/objects/collision_state.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/d3dx/math_vector.h"

using namespace platform::d3dx;

namespace {

// An object's bounds box placed by its rotation and scale: the centre offset from the position, the
// half extents and the rotation.
struct PlacedBox {
  Vector3 centreOffset;
  Vector3 half;
  Matrix rotation;
};

Matrix ObjectRotation(const ObjectRecord& object) {
  const PositionBlock& p = object.placement;
  return p.freeFlight ? p.freeFlightMatrix : MatrixRotationDegreesXYZ(p.angles.x, p.angles.y, p.angles.z);
}

// The box's centre is scaled with the object as its extents are, so an object whose origin is not
// at its box centre keeps its box where its meshes are when scaled.
PlacedBox PlaceBox(const ObjectRecord& object) {
  const BoundsBlock& b = object.bounds;
  const Vector3& s = object.placement.scale;
  const Vector3 half{(b.boxMax.x - b.boxMin.x) * 0.5f, (b.boxMax.y - b.boxMin.y) * 0.5f,
                     (b.boxMax.z - b.boxMin.z) * 0.5f};
  const Vector3 centre{(b.boxMin.x + half.x) * s.x, (b.boxMin.y + half.y) * s.y, (b.boxMin.z + half.z) * s.z};
  PlacedBox box;
  box.rotation = ObjectRotation(object);
  box.centreOffset = Vec3TransformCoord(centre, box.rotation);
  box.half = {half.x * s.x, half.y * s.y, half.z * s.z};
  return box;
}

Vector3 WorldPosition(const ObjectRecord& object) {
  const Matrix& w = object.placement.worldMatrix;
  return {w.m[3][0], w.m[3][1], w.m[3][2]};
}

float Axis(const Vector3& v, int i) { return i == 0 ? v.x : i == 1 ? v.y : v.z; }

void SetAxis(Vector3* v, int i, float value) { (i == 0 ? v->x : i == 1 ? v->y : v->z) = value; }

}  // namespace

void SubtractVector3InPlace(Vector3* a, const Vector3& b) {
  a->x -= b.x;
  a->y -= b.y;
  a->z -= b.z;
}

bool OrientedBoxesIntersect(const Vector3& centreA, const Vector3& halfA, const Vector3 axesA[3],
                            const Vector3& centreB, const Vector3& halfB, const Vector3 axesB[3]) {
  const Vector3 T = Vec3Subtract(centreB, centreA);
  float t[3], R[3][3], absR[3][3], a[3], b[3];
  for (int i = 0; i < 3; ++i) {
    t[i] = Vec3Dot(T, axesA[i]);
    a[i] = Axis(halfA, i);
    b[i] = Axis(halfB, i);
    for (int j = 0; j < 3; ++j) {
      R[i][j] = Vec3Dot(axesA[i], axesB[j]);
      absR[i][j] = std::fabs(R[i][j]);
    }
  }
  // Touching (|L| == r) is a hit.
  for (int i = 0; i < 3; ++i)
    if (std::fabs(t[i]) > a[i] + b[0] * absR[i][0] + b[1] * absR[i][1] + b[2] * absR[i][2]) return false;
  for (int j = 0; j < 3; ++j) {
    const float L = t[0] * R[0][j] + t[1] * R[1][j] + t[2] * R[2][j];
    if (std::fabs(L) > a[0] * absR[0][j] + a[1] * absR[1][j] + a[2] * absR[2][j] + b[j]) return false;
  }
  for (int i = 0; i < 3; ++i) {
    const int i1 = (i + 1) % 3, i2 = (i + 2) % 3;
    for (int j = 0; j < 3; ++j) {
      const int j1 = (j + 1) % 3, j2 = (j + 2) % 3;
      const float L = t[i2] * R[i1][j] - t[i1] * R[i2][j];
      const float r = a[i1] * absR[i2][j] + a[i2] * absR[i1][j] + b[j1] * absR[i][j2] + b[j2] * absR[i][j1];
      if (std::fabs(L) > r) return false;
    }
  }
  return true;
}

bool BuildOrientedBox(const Vector3& centreA, const Vector3& halfA, const Matrix& matrixA, const Vector3& centreB,
                      const Vector3& halfB, const Matrix& matrixB) {
  Vector3 axesA[3], axesB[3];
  const Vector3 units[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  const Vector3 originA = Vec3TransformCoord({0, 0, 0}, matrixA);
  const Vector3 originB = Vec3TransformCoord({0, 0, 0}, matrixB);
  for (int k = 0; k < 3; ++k) {
    axesA[k] = Vec3Normalize(Vec3Subtract(Vec3TransformCoord(units[k], matrixA), originA));
    axesB[k] = Vec3Normalize(Vec3Subtract(Vec3TransformCoord(units[k], matrixB), originB));
  }
  return OrientedBoxesIntersect(centreA, halfA, axesA, centreB, halfB, axesB);
}

int32_t TestOrientedObjectBoxes(const Vector3& position, ObjectRecord* a, ObjectRecord* b) {
  if (!a || !b) return 0;
  const PlacedBox boxA = PlaceBox(*a);
  const PlacedBox boxB = PlaceBox(*b);
  const Vector3 centreA = Vec3Add(boxA.centreOffset, position);
  const Vector3 centreB = Vec3Add(boxB.centreOffset, WorldPosition(*b));
  return BuildOrientedBox(centreA, boxA.half, boxA.rotation, centreB, boxB.half, boxB.rotation) ? 1 : 0;
}

int32_t BoxesOverlap(ObjectRecord* a, ObjectRecord* b) {
  if (!a || !b) return 0;
  const Vector3 aMin = Vec3Add(a->placement.position, a->bounds.boxMin);
  const Vector3 aMax = Vec3Add(a->placement.position, a->bounds.boxMax);
  const Vector3 bMin = Vec3Add(b->placement.position, b->bounds.boxMin);
  const Vector3 bMax = Vec3Add(b->placement.position, b->bounds.boxMax);
  for (int i = 0; i < 3; ++i)
    if (!(Axis(aMin, i) < Axis(bMax, i) && Axis(aMax, i) > Axis(bMin, i))) return 0;
  if (b->bounds.slideResponse != 1) return 1;
  // The face the movement came through is the one with the smallest gap at the previous positions.
  const Vector3 aMinBefore = Vec3Add(a->placement.previousPosition, a->bounds.boxMin);
  const Vector3 aMaxBefore = Vec3Add(a->placement.previousPosition, a->bounds.boxMax);
  const Vector3 bMinBefore = Vec3Add(b->placement.previousPosition, b->bounds.boxMin);
  const Vector3 bMaxBefore = Vec3Add(b->placement.previousPosition, b->bounds.boxMax);
  int axis = 0;
  float value = 0.0f, best = 0.0f;
  bool first = true;
  for (int i = 0; i < 3; ++i) {
    const float gaps[2] = {std::fabs(Axis(aMaxBefore, i) - Axis(bMinBefore, i)),
                           std::fabs(Axis(bMaxBefore, i) - Axis(aMinBefore, i))};
    const float slides[2] = {Axis(aMax, i) - Axis(bMin, i), Axis(aMin, i) - Axis(bMax, i)};
    for (int side = 0; side < 2; ++side) {
      if (first || gaps[side] < best) {
        best = gaps[side];
        axis = i;
        value = slides[side];
        first = false;
      }
    }
  }
  Vector3 slide{0, 0, 0};
  SetAxis(&slide, axis, value);
  GetCollisionState().slide = slide;
  return 1;
}

int32_t CollideObjectBoxes(ObjectRecord* a, ObjectRecord* b) {
  if (!a || !b) return 0;
  if (a->bounds.axisAlignedBoxTest == 1 && b->bounds.axisAlignedBoxTest == 1) return BoxesOverlap(a, b);
  const int32_t first = TestOrientedObjectBoxes(WorldPosition(*a), a, b);
  if (first <= 0) return first;

  const PlacedBox boxA = PlaceBox(*a);
  const PlacedBox boxB = PlaceBox(*b);
  const Vector3& position = a->placement.position;
  const Vector3& previous = a->placement.previousPosition;
  const Vector3 oldCentre = Vec3Add(previous, boxA.centreOffset);
  const Vector3 centreB = Vec3Add(WorldPosition(*b), boxB.centreOffset);
  Matrix inverseB;
  if (!MatrixInverse(boxB.rotation, &inverseB)) inverseB = MatrixIdentity();
  const Vector3 m = Vec3Subtract(position, previous);
  const Vector3 p = Vec3TransformCoord(position, inverseB);
  const Vector3 q = Vec3TransformCoord(previous, inverseB);

  // The corner of A's old box nearest to B horizontally: the one that went in first.
  const float hx = boxA.half.x, hz = boxA.half.z;
  const Vector3 corners[4] = {{-hx, 0, -hz}, {-hx, 0, hz}, {hx, 0, -hz}, {hx, 0, hz}};
  const Vector3& towards = b->placement.position;
  Vector3 nearest = Vec3Add(Vec3TransformCoord(corners[0], boxA.rotation), oldCentre);  // when none is near
  float nearestDistance = 9999.0f;
  for (const Vector3& corner : corners) {
    const Vector3 c = Vec3Add(Vec3TransformCoord(corner, boxA.rotation), oldCentre);
    const float dx = c.x - towards.x, dz = c.z - towards.z;
    const float distance = std::sqrt(dx * dx + dz * dz);
    if (distance < nearestDistance) {
      nearestDistance = distance;
      nearest = c;
    }
  }
  const Vector3 v = Vec3TransformCoord(Vec3Subtract(nearest, centreB), inverseB);

  // The face of B (in B's frame) that corner was outside of, nearest first; -x when none.
  enum Face { kMinusX, kPlusX, kMinusZ, kPlusZ };
  const float depths[4] = {-boxB.half.x - v.x, v.x - boxB.half.x, -boxB.half.z - v.z, v.z - boxB.half.z};
  Face face = kMinusX;
  float bestDepth = 99999.0f;
  for (int f = 0; f < 4; ++f)
    if (depths[f] >= 0.0f && depths[f] < bestDepth) {
      bestDepth = depths[f];
      face = Face(f);
    }

  // The movement with its part across that face removed, back in world space: A can slide by it.
  Vector3 e = Vec3Subtract(p, q);
  if (face == kMinusX || face == kPlusX) e.x = 0.0f;
  else e.z = 0.0f;
  const Vector3 s = Vec3TransformCoord(e, boxB.rotation);
  const Vector3 blocked = Vec3Subtract(m, s);
  const bool slideFree = TestOrientedObjectBoxes(Vec3Subtract(position, blocked), a, b) == 0;
  GetCollisionState().slide = slideFree ? blocked : m;
  return first;
}

int32_t CheckObjectBoxCollision(ObjectRecord* a, ObjectRecord* b) {
  GetCollisionState().slide = {0, 0, 0};
  return CollideObjectBoxes(a, b);
}

float GetCollisionSlideX() { return GetCollisionState().slide.x; }
float GetCollisionSlideY() { return GetCollisionState().slide.y; }
float GetCollisionSlideZ() { return GetCollisionState().slide.z; }
