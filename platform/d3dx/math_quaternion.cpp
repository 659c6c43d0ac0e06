#include "platform/d3dx/math_quaternion.h"

#include <cmath>

#include "platform/d3dx/math_vector.h"

namespace platform::d3dx {

Quaternion QuaternionIdentity() { return {0.0f, 0.0f, 0.0f, 1.0f}; }

float QuaternionDot(const Quaternion& a, const Quaternion& b) { return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w; }

float QuaternionLength(const Quaternion& q) { return std::sqrt(QuaternionDot(q, q)); }

Quaternion QuaternionNormalize(const Quaternion& q) {
  const float length = QuaternionLength(q);
  if (!(length > 0.0f)) return {0.0f, 0.0f, 0.0f, 0.0f};
  const float inv = 1.0f / length;
  return {q.x * inv, q.y * inv, q.z * inv, q.w * inv};
}

Quaternion QuaternionConjugate(const Quaternion& q) { return {-q.x, -q.y, -q.z, q.w}; }

// Hamilton product b * a: with row vectors the rotation a is applied first.
Quaternion QuaternionMultiply(const Quaternion& a, const Quaternion& b) {
  return {b.w * a.x + b.x * a.w + b.y * a.z - b.z * a.y, b.w * a.y - b.x * a.z + b.y * a.w + b.z * a.x,
          b.w * a.z + b.x * a.y - b.y * a.x + b.z * a.w, b.w * a.w - b.x * a.x - b.y * a.y - b.z * a.z};
}

Quaternion QuaternionRotationAxis(const Vector3& axis, float angle) {
  const Vector3 n = Vec3Normalize(axis);
  const float s = std::sin(angle * 0.5f);
  return {n.x * s, n.y * s, n.z * s, std::cos(angle * 0.5f)};
}

Quaternion QuaternionRotationYawPitchRoll(float yaw, float pitch, float roll) {
  const float sy = std::sin(yaw * 0.5f), cy = std::cos(yaw * 0.5f);
  const float sp = std::sin(pitch * 0.5f), cp = std::cos(pitch * 0.5f);
  const float sr = std::sin(roll * 0.5f), cr = std::cos(roll * 0.5f);
  return {cy * sp * cr + sy * cp * sr, sy * cp * cr - cy * sp * sr, cy * cp * sr - sy * sp * cr,
          cy * cp * cr + sy * sp * sr};
}

Quaternion QuaternionRotationMatrix(const Matrix& mat) {
  const auto& m = mat.m;
  const float trace = m[0][0] + m[1][1] + m[2][2];
  Quaternion q;
  if (trace > 0.0f) {
    const float s = 2.0f * std::sqrt(trace + 1.0f);  // 4w
    q = {(m[1][2] - m[2][1]) / s, (m[2][0] - m[0][2]) / s, (m[0][1] - m[1][0]) / s, 0.25f * s};
  } else if (m[0][0] > m[1][1] && m[0][0] > m[2][2]) {
    const float s = 2.0f * std::sqrt(1.0f + m[0][0] - m[1][1] - m[2][2]);  // 4x
    q = {0.25f * s, (m[0][1] + m[1][0]) / s, (m[0][2] + m[2][0]) / s, (m[1][2] - m[2][1]) / s};
  } else if (m[1][1] > m[2][2]) {
    const float s = 2.0f * std::sqrt(1.0f + m[1][1] - m[0][0] - m[2][2]);  // 4y
    q = {(m[0][1] + m[1][0]) / s, 0.25f * s, (m[1][2] + m[2][1]) / s, (m[2][0] - m[0][2]) / s};
  } else {
    const float s = 2.0f * std::sqrt(1.0f + m[2][2] - m[0][0] - m[1][1]);  // 4z
    q = {(m[0][2] + m[2][0]) / s, (m[1][2] + m[2][1]) / s, 0.25f * s, (m[0][1] - m[1][0]) / s};
  }
  return q;
}

Quaternion QuaternionSlerp(const Quaternion& a, const Quaternion& b, float t) {
  float cosine = QuaternionDot(a, b);
  float sign = 1.0f;
  if (cosine < 0.0f) {  // the shorter arc
    cosine = -cosine;
    sign = -1.0f;
  }
  float ka, kb;
  if (cosine > 0.9999f) {  // nearly the same rotation: linear is exact enough and avoids dividing by ~0
    ka = 1.0f - t;
    kb = t;
  } else {
    const float angle = std::acos(cosine);
    const float inv = 1.0f / std::sin(angle);
    ka = std::sin((1.0f - t) * angle) * inv;
    kb = std::sin(t * angle) * inv;
  }
  kb *= sign;
  return {ka * a.x + kb * b.x, ka * a.y + kb * b.y, ka * a.z + kb * b.z, ka * a.w + kb * b.w};
}

}  // namespace platform::d3dx
