#include "platform/d3dx/math_matrix.h"

#include <cmath>

#include "platform/d3dx/math_vector.h"

namespace platform::d3dx {

Matrix MatrixZero() { return Matrix{}; }

Matrix MatrixIdentity() {
  Matrix m{};
  m.m[0][0] = m.m[1][1] = m.m[2][2] = m.m[3][3] = 1.0f;
  return m;
}

bool MatrixIsIdentity(const Matrix& m) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (m.m[r][c] != (r == c ? 1.0f : 0.0f)) return false;
  return true;
}

Matrix MatrixMultiply(const Matrix& a, const Matrix& b) {
  Matrix out;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      out.m[r][c] = a.m[r][0] * b.m[0][c] + a.m[r][1] * b.m[1][c] + a.m[r][2] * b.m[2][c] + a.m[r][3] * b.m[3][c];
  return out;
}

Matrix MatrixTranspose(const Matrix& m) {
  Matrix out;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) out.m[r][c] = m.m[c][r];
  return out;
}

namespace {

// Cofactors by 2 x 2 sub-determinants of the lower and upper row pairs, in double for accuracy.
struct Cofactors {
  double cof[4][4];
  double det;
};

Cofactors ComputeCofactors(const Matrix& mat) {
  double a[4][4];
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) a[r][c] = mat.m[r][c];
  const double s0 = a[0][0] * a[1][1] - a[1][0] * a[0][1];
  const double s1 = a[0][0] * a[1][2] - a[1][0] * a[0][2];
  const double s2 = a[0][0] * a[1][3] - a[1][0] * a[0][3];
  const double s3 = a[0][1] * a[1][2] - a[1][1] * a[0][2];
  const double s4 = a[0][1] * a[1][3] - a[1][1] * a[0][3];
  const double s5 = a[0][2] * a[1][3] - a[1][2] * a[0][3];
  const double c5 = a[2][2] * a[3][3] - a[3][2] * a[2][3];
  const double c4 = a[2][1] * a[3][3] - a[3][1] * a[2][3];
  const double c3 = a[2][1] * a[3][2] - a[3][1] * a[2][2];
  const double c2 = a[2][0] * a[3][3] - a[3][0] * a[2][3];
  const double c1 = a[2][0] * a[3][2] - a[3][0] * a[2][2];
  const double c0 = a[2][0] * a[3][1] - a[3][0] * a[2][1];
  Cofactors out;
  out.det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
  // Adjugate (transposed cofactor matrix).
  double(&b)[4][4] = out.cof;
  b[0][0] = a[1][1] * c5 - a[1][2] * c4 + a[1][3] * c3;
  b[0][1] = -a[0][1] * c5 + a[0][2] * c4 - a[0][3] * c3;
  b[0][2] = a[3][1] * s5 - a[3][2] * s4 + a[3][3] * s3;
  b[0][3] = -a[2][1] * s5 + a[2][2] * s4 - a[2][3] * s3;
  b[1][0] = -a[1][0] * c5 + a[1][2] * c2 - a[1][3] * c1;
  b[1][1] = a[0][0] * c5 - a[0][2] * c2 + a[0][3] * c1;
  b[1][2] = -a[3][0] * s5 + a[3][2] * s2 - a[3][3] * s1;
  b[1][3] = a[2][0] * s5 - a[2][2] * s2 + a[2][3] * s1;
  b[2][0] = a[1][0] * c4 - a[1][1] * c2 + a[1][3] * c0;
  b[2][1] = -a[0][0] * c4 + a[0][1] * c2 - a[0][3] * c0;
  b[2][2] = a[3][0] * s4 - a[3][1] * s2 + a[3][3] * s0;
  b[2][3] = -a[2][0] * s4 + a[2][1] * s2 - a[2][3] * s0;
  b[3][0] = -a[1][0] * c3 + a[1][1] * c1 - a[1][2] * c0;
  b[3][1] = a[0][0] * c3 - a[0][1] * c1 + a[0][2] * c0;
  b[3][2] = -a[3][0] * s3 + a[3][1] * s1 - a[3][2] * s0;
  b[3][3] = a[2][0] * s3 - a[2][1] * s1 + a[2][2] * s0;
  return out;
}

}  // namespace

float MatrixDeterminant(const Matrix& m) { return static_cast<float>(ComputeCofactors(m).det); }

bool MatrixInverse(const Matrix& m, Matrix* out, float* determinant) {
  const Cofactors c = ComputeCofactors(m);
  if (determinant) *determinant = static_cast<float>(c.det);
  if (c.det == 0.0 || !std::isfinite(c.det) || !out) return false;
  const double inv = 1.0 / c.det;
  for (int r = 0; r < 4; ++r)
    for (int col = 0; col < 4; ++col) out->m[r][col] = static_cast<float>(c.cof[r][col] * inv);
  return true;
}

Matrix MatrixScaling(float x, float y, float z) {
  Matrix m{};
  m.m[0][0] = x;
  m.m[1][1] = y;
  m.m[2][2] = z;
  m.m[3][3] = 1.0f;
  return m;
}

Matrix MatrixTranslation(float x, float y, float z) {
  Matrix m = MatrixIdentity();
  m.m[3][0] = x;
  m.m[3][1] = y;
  m.m[3][2] = z;
  return m;
}

Matrix MatrixRotationX(float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  Matrix m = MatrixIdentity();
  m.m[1][1] = c;
  m.m[1][2] = s;
  m.m[2][1] = -s;
  m.m[2][2] = c;
  return m;
}

Matrix MatrixRotationY(float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  Matrix m = MatrixIdentity();
  m.m[0][0] = c;
  m.m[0][2] = -s;
  m.m[2][0] = s;
  m.m[2][2] = c;
  return m;
}

Matrix MatrixRotationZ(float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  Matrix m = MatrixIdentity();
  m.m[0][0] = c;
  m.m[0][1] = s;
  m.m[1][0] = -s;
  m.m[1][1] = c;
  return m;
}

Matrix MatrixRotationYawPitchRoll(float yaw, float pitch, float roll) {
  return MatrixMultiply(MatrixMultiply(MatrixRotationZ(roll), MatrixRotationX(pitch)), MatrixRotationY(yaw));
}

Matrix MatrixRotationAxis(const Vector3& axis, float angle) {
  const Vector3 n = Vec3Normalize(axis);
  if (n.x == 0.0f && n.y == 0.0f && n.z == 0.0f) return MatrixIdentity();
  const float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
  Matrix m = MatrixIdentity();
  m.m[0][0] = t * n.x * n.x + c;
  m.m[0][1] = t * n.x * n.y + s * n.z;
  m.m[0][2] = t * n.x * n.z - s * n.y;
  m.m[1][0] = t * n.x * n.y - s * n.z;
  m.m[1][1] = t * n.y * n.y + c;
  m.m[1][2] = t * n.y * n.z + s * n.x;
  m.m[2][0] = t * n.x * n.z + s * n.y;
  m.m[2][1] = t * n.y * n.z - s * n.x;
  m.m[2][2] = t * n.z * n.z + c;
  return m;
}

Matrix MatrixRotationQuaternion(const Quaternion& q) {
  Matrix m = MatrixIdentity();
  m.m[0][0] = 1.0f - 2.0f * (q.y * q.y + q.z * q.z);
  m.m[0][1] = 2.0f * (q.x * q.y + q.z * q.w);
  m.m[0][2] = 2.0f * (q.x * q.z - q.y * q.w);
  m.m[1][0] = 2.0f * (q.x * q.y - q.z * q.w);
  m.m[1][1] = 1.0f - 2.0f * (q.x * q.x + q.z * q.z);
  m.m[1][2] = 2.0f * (q.y * q.z + q.x * q.w);
  m.m[2][0] = 2.0f * (q.x * q.z + q.y * q.w);
  m.m[2][1] = 2.0f * (q.y * q.z - q.x * q.w);
  m.m[2][2] = 1.0f - 2.0f * (q.x * q.x + q.y * q.y);
  return m;
}

Matrix MatrixRotationDegreesXYZ(float x, float y, float z) {
  return MatrixMultiply(MatrixMultiply(MatrixRotationX(x * kDegreesToRadians), MatrixRotationY(y * kDegreesToRadians)),
                        MatrixRotationZ(z * kDegreesToRadians));
}

Matrix MatrixLookAtLH(const Vector3& eye, const Vector3& at, const Vector3& up) {
  const Vector3 zAxis = Vec3Normalize(Vec3Subtract(at, eye));
  const Vector3 xAxis = Vec3Normalize(Vec3Cross(up, zAxis));
  const Vector3 yAxis = Vec3Cross(zAxis, xAxis);
  Matrix m = MatrixIdentity();
  const Vector3 axes[3] = {xAxis, yAxis, zAxis};
  for (int c = 0; c < 3; ++c) {
    m.m[0][c] = axes[c].x;
    m.m[1][c] = axes[c].y;
    m.m[2][c] = axes[c].z;
    m.m[3][c] = -Vec3Dot(axes[c], eye);
  }
  return m;
}

Matrix MatrixPerspectiveFovLH(float fovY, float aspect, float zNear, float zFar) {
  const float yScale = 1.0f / std::tan(fovY * 0.5f);
  Matrix m{};
  m.m[0][0] = yScale / aspect;
  m.m[1][1] = yScale;
  m.m[2][2] = zFar / (zFar - zNear);
  m.m[2][3] = 1.0f;
  m.m[3][2] = -zNear * zFar / (zFar - zNear);
  return m;
}

}  // namespace platform::d3dx
