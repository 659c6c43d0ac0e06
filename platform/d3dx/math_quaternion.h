// Quaternions (x, y, z, w) for rotations, consistent with the row-vector matrices:
// MatrixRotationQuaternion(QuaternionMultiply(a, b)) == MatrixRotationQuaternion(a) x MatrixRotationQuaternion(b).
#pragma once
#include "platform/d3dx/math_types.h"

namespace platform::d3dx {

Quaternion QuaternionIdentity();
float QuaternionDot(const Quaternion& a, const Quaternion& b);
float QuaternionLength(const Quaternion& q);
Quaternion QuaternionNormalize(const Quaternion& q);
Quaternion QuaternionConjugate(const Quaternion& q);
// The rotation a followed by the rotation b.
Quaternion QuaternionMultiply(const Quaternion& a, const Quaternion& b);
Quaternion QuaternionRotationAxis(const Vector3& axis, float angle);
// The same rotation as MatrixRotationYawPitchRoll.
Quaternion QuaternionRotationYawPitchRoll(float yaw, float pitch, float roll);
// The rotation part of m (m's upper 3 x 3 must be a pure rotation).
Quaternion QuaternionRotationMatrix(const Matrix& m);
// Spherical interpolation along the shorter arc; t = 0 gives a, t = 1 gives b (or -b).
Quaternion QuaternionSlerp(const Quaternion& a, const Quaternion& b, float t);

}  // namespace platform::d3dx
