#include <gtest/gtest.h>

#include <cmath>

#include "platform/d3dx/math_matrix.h"
#include "platform/d3dx/math_vector.h"
#include "tests/platform/d3dx/maths/math_expect.h"

using namespace platform::d3dx;
using qel_test::ExpectNear;

TEST(Vector, LengthsDotsAndCrosses) {
  EXPECT_FLOAT_EQ(Vec3Length({3, 4, 12}), 13.0f);
  EXPECT_FLOAT_EQ(Vec3LengthSq({1, 2, 2}), 9.0f);
  EXPECT_FLOAT_EQ(Vec3Dot({1, 2, 3}, {4, -5, 6}), 12.0f);
  ExpectNear(Vec3Cross({1, 0, 0}, {0, 1, 0}), {0, 0, 1});
  ExpectNear(Vec3Cross({2, 3, 4}, {5, 6, 7}), {-3, 6, -3});
  EXPECT_FLOAT_EQ(Vec2Length({6, 8}), 10.0f);
  EXPECT_FLOAT_EQ(Vec2Dot({1, 2}, {3, 4}), 11.0f);
  EXPECT_FLOAT_EQ(Vec4Length({1, 1, 1, 1}), 2.0f);
  EXPECT_FLOAT_EQ(Vec4Dot({1, 2, 3, 4}, {4, 3, 2, 1}), 20.0f);
}

TEST(Vector, NormaliseGivesUnitLengthOrZero) {
  ExpectNear(Vec3Normalize({0, 0, -7}), {0, 0, -1});
  ExpectNear(Vec3Normalize({0, 0, 0}), {0, 0, 0});
  ExpectNear(Vec3Normalize({1e-20f, 0, 0}), {0, 0, 0});  // too short for a direction: no NaN
  const Vector2 v2 = Vec2Normalize({3, 4});
  EXPECT_FLOAT_EQ(v2.x, 0.6f);
  EXPECT_FLOAT_EQ(v2.y, 0.8f);
  const Vector4 v4 = Vec4Normalize({2, 0, 0, 0});
  EXPECT_FLOAT_EQ(v4.x, 1.0f);
}

TEST(Vector, InterpolationHitsItsEnds) {
  ExpectNear(Vec3Lerp({0, 10, -2}, {4, 20, 2}, 0.25f), {1, 12.5f, -1});
  const Vector3 p0{0, 0, 0}, p1{1, 2, 3}, p2{4, 4, 4}, p3{9, 0, 1};
  ExpectNear(Vec3CatmullRom(p0, p1, p2, p3, 0.0f), p1);
  ExpectNear(Vec3CatmullRom(p0, p1, p2, p3, 1.0f), p2);
  // Evenly spaced points on a line stay on it at the midpoint.
  ExpectNear(Vec3CatmullRom({0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 3, 3}, 0.5f), {1.5f, 1.5f, 1.5f});
  const Vector2 half = Vec2Lerp({0, 0}, {2, 4}, 0.5f);
  EXPECT_FLOAT_EQ(half.y, 2.0f);
  EXPECT_FLOAT_EQ(Vec4Lerp({0, 0, 0, 0}, {4, 4, 4, 8}, 0.5f).w, 4.0f);
}

TEST(Vector, TransformsTreatPointsAndDirectionsApart) {
  const Matrix move = MatrixTranslation(1, 2, 3);
  ExpectNear(Vec3TransformCoord({1, 1, 1}, move), {2, 3, 4});
  ExpectNear(Vec3TransformNormal({1, 1, 1}, move), {1, 1, 1});
  Matrix halve = MatrixIdentity();
  halve.m[3][3] = 2;  // w = 2: the coordinate transform divides by it
  ExpectNear(Vec3TransformCoord({4, 6, 8}, halve), {2, 3, 4});
  const Vector4 r = Vec3Transform({4, 6, 8}, halve);
  EXPECT_FLOAT_EQ(r.w, 2.0f);
  const Vector2 v2 = Vec2TransformCoord({1, 0}, MatrixRotationZ(kPi / 2));
  EXPECT_NEAR(v2.x, 0.0f, 1e-6f);
  EXPECT_NEAR(v2.y, 1.0f, 1e-6f);
}
