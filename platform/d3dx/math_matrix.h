// Row-vector 4 x 4 matrix helpers: MatrixMultiply(a, b) applies a first, then b.
#pragma once
#include "platform/d3dx/math_types.h"

namespace platform::d3dx {

Matrix MatrixIdentity();
Matrix MatrixZero();
bool MatrixIsIdentity(const Matrix& m);
Matrix MatrixMultiply(const Matrix& a, const Matrix& b);
Matrix MatrixTranspose(const Matrix& m);
float MatrixDeterminant(const Matrix& m);
// False (and *out untouched) when m is singular; *determinant receives the determinant either way.
bool MatrixInverse(const Matrix& m, Matrix* out, float* determinant = nullptr);

Matrix MatrixScaling(float x, float y, float z);
Matrix MatrixTranslation(float x, float y, float z);
// Angles in radians; positive angles turn clockwise looking along the axis towards the origin (left-handed).
Matrix MatrixRotationX(float angle);
Matrix MatrixRotationY(float angle);
Matrix MatrixRotationZ(float angle);
// Roll about Z first, then pitch about X, then yaw about Y.
Matrix MatrixRotationYawPitchRoll(float yaw, float pitch, float roll);
// The axis need not be unit length; a zero axis gives the identity.
Matrix MatrixRotationAxis(const Vector3& axis, float angle);
Matrix MatrixRotationQuaternion(const Quaternion& q);
// The engine's rotation from angles in degrees: Rx x Ry x Rz (X applied first).
Matrix MatrixRotationDegreesXYZ(float x, float y, float z);

// Left-handed view and projection (depth 0 at the near plane, 1 at the far plane).
Matrix MatrixLookAtLH(const Vector3& eye, const Vector3& at, const Vector3& up);
Matrix MatrixPerspectiveFovLH(float fovY, float aspect, float zNear, float zFar);

}  // namespace platform::d3dx
