#include "engine/objects/object_matrix.h"

#include <algorithm>
#include <cmath>

#include "engine/objects/record_links.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/d3dx/math_vector.h"

using namespace platform::d3dx;

namespace {

// Deeper glue chains than this only come from a chain that loops back on itself.
constexpr int kMaxGlueDepth = 64;

bool UpdateObjectMatrixAt(ObjectRecord* object, int depth) {
  if (!object) return false;
  const FrameRecord* glueFrame = nullptr;
  const uint32_t targetNumber = object->placement.glueTarget;
  if (targetNumber != 0 && depth < kMaxGlueDepth && GetRecordLinks().findObject) {
    ObjectRecord* target = GetRecordLinks().findObject(targetNumber);
    if (target && target != object && UpdateObjectMatrixAt(target, depth + 1) &&
        object->placement.glueFrame < target->frameList.size()) {
      FrameRecord* frame = target->frameList[object->placement.glueFrame];
      if (frame) {
        UpdateFrameWorldMatrix(target, frame, frame->mesh.get());
        glueFrame = frame;
      }
    }
  }
  UpdateObjectWorldMatrix(object, glueFrame);
  return true;
}

}  // namespace

void BuildRotationMatrix(ObjectRecord* object) {
  PositionBlock& p = object->placement;
  p.rotationXMatrix = MatrixRotationX(p.angles.x * kDegreesToRadians);
  p.rotationYMatrix = MatrixRotationY(p.angles.y * kDegreesToRadians);
  p.rotationZMatrix = MatrixRotationZ(p.angles.z * kDegreesToRadians);
  p.rotationMatrix = p.rotationOrder == 1
                         ? MatrixMultiply(MatrixMultiply(p.rotationZMatrix, p.rotationYMatrix), p.rotationXMatrix)
                         : MatrixMultiply(MatrixMultiply(p.rotationXMatrix, p.rotationYMatrix), p.rotationZMatrix);
}

bool UpdateObjectMatrix(ObjectRecord* object) { return UpdateObjectMatrixAt(object, 0); }

bool RefreshObjectMatrix(ObjectRecord* object) {
  if (!object) return false;
  // A fixed matrix may have been written directly: the renderer takes it every time.
  if (object->placement.matrixFixed == 1) object->worldChanged = 1;
  if (!object->placementChanged && object->placement.glueTarget == 0) return true;
  return UpdateObjectMatrixAt(object, 0);
}

void UpdateObjectWorldMatrix(ObjectRecord* object, const FrameRecord* glueFrame) {
  if (!object) return;
  PositionBlock& p = object->placement;
  object->placementChanged = 0;
  if (p.matrixFixed == 1) return;
  object->worldChanged = 1;
  p.scaleMatrix = MatrixScaling(p.scale.x, p.scale.y, p.scale.z);
  p.translationMatrix = MatrixTranslation(p.position.x, p.position.y, p.position.z);
  if (p.freeFlight) p.rotationMatrix = p.freeFlightMatrix;
  else BuildRotationMatrix(object);
  if (p.extraRotation) p.rotationMatrix = MatrixMultiply(p.extraRotationMatrix, p.rotationMatrix);
  p.scaleRotationMatrix = MatrixMultiply(p.scaleMatrix, p.rotationMatrix);
  p.worldMatrix = MatrixMultiply(p.scaleRotationMatrix, p.translationMatrix);
  if (p.glued && glueFrame) {
    p.worldMatrix = MatrixMultiply(p.worldMatrix, glueFrame->worldMatrix);
    p.scaleRotationMatrix = p.worldMatrix;
    p.scaleRotationMatrix.m[3][0] = p.scaleRotationMatrix.m[3][1] = p.scaleRotationMatrix.m[3][2] = 0.0f;
  }
  for (FrameRecord* frame : object->frameList) frame->worldMatrixValid = 0;
}

void UpdateFrameWorldMatrix(const ObjectRecord* object, FrameRecord* frame, const MeshRecord* mesh) {
  if (!object || !frame) return;
  const Matrix& world = object->placement.worldMatrix;
  frame->worldMatrix = (mesh && !mesh->bones.empty()) ? world : MatrixMultiply(frame->combinedMatrix, world);
  frame->worldMatrixValid = 1;
}

void UpdateObjectLookVectors(ObjectRecord* object) {
  PositionBlock& p = object->placement;
  const Matrix* rotation = &p.freeFlightMatrix;
  if (!p.freeFlight) {
    BuildRotationMatrix(object);
    rotation = &p.rotationMatrix;
  }
  p.look = Vec3TransformNormal({0, 0, 1}, *rotation);
  p.up = Vec3TransformNormal({0, 1, 0}, *rotation);
  p.right = Vec3TransformNormal({1, 0, 0}, *rotation);
}

void AnglesFromMatrix(const Matrix& matrix, Vector3* angles) {
  const auto& m = matrix.m;
  const float sineY = std::clamp(-m[0][2], -1.0f, 1.0f);
  angles->x = std::atan2(m[1][2], m[2][2]) * kRadiansToDegrees;
  angles->y = std::asin(sineY) * kRadiansToDegrees;
  angles->z = std::atan2(m[0][1], m[0][0]) * kRadiansToDegrees;
}

void SetObjectFreeFlight(ObjectRecord* object, uint32_t mode) {
  PositionBlock& p = object->placement;
  MarkObjectPlaced(object);
  if (mode == 1 && p.freeFlight != 1) {
    BuildRotationMatrix(object);
    p.freeFlightMatrix = p.rotationMatrix;
  }
  if (mode == 1) AnglesFromMatrix(p.freeFlightMatrix, &p.angles);
  p.freeFlight = uint8_t(mode);
}

void PointAnglesToTarget(const Vector3& from, const Vector3& to, float* xAngle, float* yAngle, float* zAngle) {
  const Vector3 d = Vec3Subtract(to, from);
  // Turned into the heading, the difference lies in the y-z plane: (0, dy, horizontal distance).
  const float heading = std::atan2(d.x, d.z);
  const float ahead = d.x * std::sin(heading) + d.z * std::cos(heading);
  if (yAngle) *yAngle = WrapAngle(heading * kRadiansToDegrees);
  if (xAngle) *xAngle = WrapAngle(std::atan2(-d.y, ahead) * kRadiansToDegrees);
  if (zAngle) *zAngle = 0.0f;
}

float WrapAngle(float degrees) {
  for (int step = 0; step <= 100; ++step) {
    if (degrees >= 0.0f && degrees < 360.0f) return degrees;
    if (step == 100) break;
    degrees += degrees < 0.0f ? 360.0f : -360.0f;
  }
  return 0.0f;
}

void TransformPoint(Vector3* out, const Vector3& point, const Matrix& matrix) {
  const auto& m = matrix.m;
  *out = {point.x * m[0][0] + point.y * m[1][0] + point.z * m[2][0] + m[3][0],
          point.x * m[0][1] + point.y * m[1][1] + point.z * m[2][1] + m[3][1],
          point.x * m[0][2] + point.y * m[1][2] + point.z * m[2][2] + m[3][2]};
}

void UpdateObjectSortFlag(ObjectRecord* object) {
  object->sortFlag = (object->transparent || object->sortedTransparent || object->screenLocked ||
                      object->screenLocked2)
                         ? 1
                         : 0;
}

void SetObjectSortedTransparency(ObjectRecord* object, uint32_t mode) {
  object->sortedTransparent = (mode == 2 || mode == 3) ? 1 : 0;
  UpdateObjectSortFlag(object);
}
