// Two-, three- and four-component vector helpers.
#pragma once
#include "platform/d3dx/math_types.h"

namespace platform::d3dx {

Vector2 Vec2Add(const Vector2& a, const Vector2& b);
Vector2 Vec2Subtract(const Vector2& a, const Vector2& b);
Vector2 Vec2Scale(const Vector2& v, float s);
float Vec2Dot(const Vector2& a, const Vector2& b);
float Vec2Length(const Vector2& v);
float Vec2LengthSq(const Vector2& v);
Vector2 Vec2Normalize(const Vector2& v);
Vector2 Vec2Lerp(const Vector2& a, const Vector2& b, float t);
// (x, y, 0, 1) x m, divided by the resulting w.
Vector2 Vec2TransformCoord(const Vector2& v, const Matrix& m);

Vector3 Vec3Add(const Vector3& a, const Vector3& b);
Vector3 Vec3Subtract(const Vector3& a, const Vector3& b);
Vector3 Vec3Scale(const Vector3& v, float s);
float Vec3Dot(const Vector3& a, const Vector3& b);
Vector3 Vec3Cross(const Vector3& a, const Vector3& b);
float Vec3Length(const Vector3& v);
float Vec3LengthSq(const Vector3& v);
// A vector too short to have a direction (squared length at or below the smallest normal float)
// becomes the zero vector instead of invalid numbers.
Vector3 Vec3Normalize(const Vector3& v);
Vector3 Vec3Lerp(const Vector3& a, const Vector3& b, float t);
Vector3 Vec3Minimize(const Vector3& a, const Vector3& b);
Vector3 Vec3Maximize(const Vector3& a, const Vector3& b);
// Catmull-Rom spline through v1 (t = 0) and v2 (t = 1), shaped by v0 and v3.
Vector3 Vec3CatmullRom(const Vector3& v0, const Vector3& v1, const Vector3& v2, const Vector3& v3, float t);
// (x, y, z, 1) x m, divided by the resulting w (no division when w is 0).
Vector3 Vec3TransformCoord(const Vector3& v, const Matrix& m);
// (x, y, z, 0) x m: direction only, no translation.
Vector3 Vec3TransformNormal(const Vector3& v, const Matrix& m);
// (x, y, z, 1) x m, keeping w.
Vector4 Vec3Transform(const Vector3& v, const Matrix& m);

Vector4 Vec4Add(const Vector4& a, const Vector4& b);
Vector4 Vec4Subtract(const Vector4& a, const Vector4& b);
Vector4 Vec4Scale(const Vector4& v, float s);
float Vec4Dot(const Vector4& a, const Vector4& b);
float Vec4Length(const Vector4& v);
Vector4 Vec4Normalize(const Vector4& v);
Vector4 Vec4Lerp(const Vector4& a, const Vector4& b, float t);
Vector4 Vec4Transform(const Vector4& v, const Matrix& m);

}  // namespace platform::d3dx
