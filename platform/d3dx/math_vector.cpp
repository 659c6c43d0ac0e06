#include "platform/d3dx/math_vector.h"

#include <algorithm>
#include <cmath>

namespace platform::d3dx {

namespace {
// The smallest normal float: shorter vectors have no usable direction.
constexpr float kMinLengthSq = 1.1754944e-38f;
}  // namespace

Vector2 Vec2Add(const Vector2& a, const Vector2& b) { return {a.x + b.x, a.y + b.y}; }
Vector2 Vec2Subtract(const Vector2& a, const Vector2& b) { return {a.x - b.x, a.y - b.y}; }
Vector2 Vec2Scale(const Vector2& v, float s) { return {v.x * s, v.y * s}; }
float Vec2Dot(const Vector2& a, const Vector2& b) { return a.x * b.x + a.y * b.y; }
float Vec2LengthSq(const Vector2& v) { return Vec2Dot(v, v); }
float Vec2Length(const Vector2& v) { return std::sqrt(Vec2LengthSq(v)); }
Vector2 Vec2Normalize(const Vector2& v) {
  const float lengthSq = Vec2LengthSq(v);
  if (!(lengthSq > kMinLengthSq)) return {0.0f, 0.0f};
  return Vec2Scale(v, 1.0f / std::sqrt(lengthSq));
}
Vector2 Vec2Lerp(const Vector2& a, const Vector2& b, float t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }
Vector2 Vec2TransformCoord(const Vector2& v, const Matrix& m) {
  const Vector3 r = Vec3TransformCoord({v.x, v.y, 0.0f}, m);
  return {r.x, r.y};
}

Vector3 Vec3Add(const Vector3& a, const Vector3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vector3 Vec3Subtract(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vector3 Vec3Scale(const Vector3& v, float s) { return {v.x * s, v.y * s, v.z * s}; }
float Vec3Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vector3 Vec3Cross(const Vector3& a, const Vector3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Vec3LengthSq(const Vector3& v) { return Vec3Dot(v, v); }
float Vec3Length(const Vector3& v) { return std::sqrt(Vec3LengthSq(v)); }
Vector3 Vec3Normalize(const Vector3& v) {
  const float lengthSq = Vec3LengthSq(v);
  if (!(lengthSq > kMinLengthSq)) return {0.0f, 0.0f, 0.0f};
  return Vec3Scale(v, 1.0f / std::sqrt(lengthSq));
}
Vector3 Vec3Lerp(const Vector3& a, const Vector3& b, float t) {
  return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t};
}
Vector3 Vec3Minimize(const Vector3& a, const Vector3& b) {
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)};
}
Vector3 Vec3Maximize(const Vector3& a, const Vector3& b) {
  return {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
}

Vector3 Vec3CatmullRom(const Vector3& v0, const Vector3& v1, const Vector3& v2, const Vector3& v3, float t) {
  const float t2 = t * t, t3 = t2 * t;
  auto one = [&](float p0, float p1, float p2, float p3) {
    return 0.5f * (2.0f * p1 + (p2 - p0) * t + (2.0f * p0 - 5.0f * p1 + 4.0f * p2 - p3) * t2 +
                   (3.0f * p1 - p0 - 3.0f * p2 + p3) * t3);
  };
  return {one(v0.x, v1.x, v2.x, v3.x), one(v0.y, v1.y, v2.y, v3.y), one(v0.z, v1.z, v2.z, v3.z)};
}

Vector4 Vec3Transform(const Vector3& v, const Matrix& m) { return Vec4Transform({v.x, v.y, v.z, 1.0f}, m); }

Vector3 Vec3TransformCoord(const Vector3& v, const Matrix& m) {
  const Vector4 r = Vec3Transform(v, m);
  if (r.w == 0.0f) return {r.x, r.y, r.z};
  const float inv = 1.0f / r.w;
  return {r.x * inv, r.y * inv, r.z * inv};
}

Vector3 Vec3TransformNormal(const Vector3& v, const Matrix& m) {
  return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0], v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
          v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2]};
}

Vector4 Vec4Add(const Vector4& a, const Vector4& b) { return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w}; }
Vector4 Vec4Subtract(const Vector4& a, const Vector4& b) { return {a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w}; }
Vector4 Vec4Scale(const Vector4& v, float s) { return {v.x * s, v.y * s, v.z * s, v.w * s}; }
float Vec4Dot(const Vector4& a, const Vector4& b) { return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w; }
float Vec4Length(const Vector4& v) { return std::sqrt(Vec4Dot(v, v)); }
Vector4 Vec4Normalize(const Vector4& v) {
  const float lengthSq = Vec4Dot(v, v);
  if (!(lengthSq > kMinLengthSq)) return {0.0f, 0.0f, 0.0f, 0.0f};
  return Vec4Scale(v, 1.0f / std::sqrt(lengthSq));
}
Vector4 Vec4Lerp(const Vector4& a, const Vector4& b, float t) {
  return Vec4Add(a, Vec4Scale(Vec4Subtract(b, a), t));
}
Vector4 Vec4Transform(const Vector4& v, const Matrix& m) {
  Vector4 r;
  float* out[4] = {&r.x, &r.y, &r.z, &r.w};
  for (int c = 0; c < 4; ++c)
    *out[c] = v.x * m.m[0][c] + v.y * m.m[1][c] + v.z * m.m[2][c] + v.w * m.m[3][c];
  return r;
}

}  // namespace platform::d3dx
