#include <gtest/gtest.h>

#include <cmath>

#include "platform/d3dx/math_matrix.h"
#include "platform/d3dx/math_vector.h"
#include "tests/platform/d3dx/maths/math_expect.h"

using namespace platform::d3dx;
using qel_test::ExpectNear;
using qel_test::MatrixFromRows;

namespace {
constexpr float kQuarterTurn = kPi / 2;
}

TEST(Matrix, MultiplyAppliesLeftOperandFirst) {
  const Matrix scaleThenMove = MatrixMultiply(MatrixScaling(2, 3, 4), MatrixTranslation(10, 20, 30));
  ExpectNear(scaleThenMove, MatrixFromRows({2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 10, 20, 30, 1}));
  ExpectNear(Vec3TransformCoord({1, 1, 1}, scaleThenMove), {12, 23, 34});

  const Matrix a = MatrixFromRows({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
  const Matrix b = MatrixFromRows({1, 0, 2, 0, 0, 1, 0, 3, 4, 0, 1, 0, 0, 5, 0, 1});
  // Row 0 of a x b: (1 + 12, 2 + 20, 2 + 3, 6 + 4) by hand.
  const Matrix ab = MatrixMultiply(a, b);
  EXPECT_FLOAT_EQ(ab.m[0][0], 13);
  EXPECT_FLOAT_EQ(ab.m[0][1], 22);
  EXPECT_FLOAT_EQ(ab.m[0][2], 5);
  EXPECT_FLOAT_EQ(ab.m[0][3], 10);
  ExpectNear(MatrixTranspose(a), MatrixFromRows({1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 4, 8, 12, 16}));
}

TEST(Matrix, RotationsTurnTheAxesLeftHanded) {
  ExpectNear(Vec3TransformCoord({0, 1, 0}, MatrixRotationX(kQuarterTurn)), {0, 0, 1});
  ExpectNear(Vec3TransformCoord({0, 0, 1}, MatrixRotationY(kQuarterTurn)), {1, 0, 0});
  ExpectNear(Vec3TransformCoord({1, 0, 0}, MatrixRotationY(kQuarterTurn)), {0, 0, -1});
  ExpectNear(Vec3TransformCoord({1, 0, 0}, MatrixRotationZ(kQuarterTurn)), {0, 1, 0});
  ExpectNear(MatrixRotationAxis({0, 0, 5}, 0.3f), MatrixRotationZ(0.3f));
  ExpectNear(MatrixRotationAxis({1, 1, 0}, kPi), MatrixFromRows({0, 1, 0, 0, 1, 0, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1}));
  ExpectNear(MatrixRotationAxis({0, 0, 0}, 1.0f), MatrixIdentity());
}

TEST(Matrix, CombinedRotationsFollowTheirOrder) {
  const float yaw = 0.4f, pitch = -0.7f, roll = 1.1f;
  ExpectNear(MatrixRotationYawPitchRoll(yaw, pitch, roll),
             MatrixMultiply(MatrixMultiply(MatrixRotationZ(roll), MatrixRotationX(pitch)), MatrixRotationY(yaw)));
  // Degrees, X first: (0, 1, 0) turned 90 about X is (0, 0, 1), then 90 about Y is (1, 0, 0).
  ExpectNear(Vec3TransformCoord({0, 1, 0}, MatrixRotationDegreesXYZ(90, 90, 0)), {1, 0, 0}, 1e-4f);
}

TEST(Matrix, InverseTimesMatrixIsIdentity) {
  const Matrix m = MatrixMultiply(MatrixMultiply(MatrixScaling(2, -3, 0.5f), MatrixRotationYawPitchRoll(0.3f, 1.2f, -0.4f)),
                                  MatrixTranslation(5, -7, 11));
  Matrix inverse;
  float det = 0;
  ASSERT_TRUE(MatrixInverse(m, &inverse, &det));
  EXPECT_NEAR(det, -3.0f, 1e-4f);  // rotations keep volume: 2 x -3 x 0.5
  ExpectNear(MatrixMultiply(inverse, m), MatrixIdentity(), 1e-5f);
  ExpectNear(MatrixMultiply(m, inverse), MatrixIdentity(), 1e-5f);

  const Matrix general = MatrixFromRows({4, 7, 2, 3, 0, 5, 1, 1, 2, 0, 6, 1, 3, 1, 0, 8});
  ASSERT_TRUE(MatrixInverse(general, &inverse, &det));
  EXPECT_NEAR(det, MatrixDeterminant(general), 1e-3f);
  ExpectNear(MatrixMultiply(general, inverse), MatrixIdentity(), 1e-5f);
}

TEST(Matrix, SingularMatrixHasNoInverse) {
  Matrix out = MatrixIdentity();
  float det = 1;
  EXPECT_FALSE(MatrixInverse(MatrixScaling(1, 0, 1), &out, &det));
  EXPECT_EQ(det, 0.0f);
  EXPECT_TRUE(MatrixIsIdentity(out));
  EXPECT_FLOAT_EQ(MatrixDeterminant(MatrixScaling(2, 3, 4)), 24.0f);
}

TEST(Matrix, LookAtAndPerspectiveMapTheViewVolume) {
  const Matrix view = MatrixLookAtLH({0, 0, -5}, {0, 0, 0}, {0, 1, 0});
  ExpectNear(Vec3TransformCoord({0, 0, 0}, view), {0, 0, 5});
  ExpectNear(Vec3TransformCoord({1, 2, -5}, view), {1, 2, 0});
  // Looking down +X from the origin: world +X is depth, world -Z is the viewer's right.
  const Matrix side = MatrixLookAtLH({0, 0, 0}, {1, 0, 0}, {0, 1, 0});
  ExpectNear(Vec3TransformCoord({3, 0, -1}, side), {1, 0, 3});

  const Matrix projection = MatrixPerspectiveFovLH(kQuarterTurn, 2.0f, 1.0f, 10.0f);
  ExpectNear(Vec3TransformCoord({0, 0, 1}, projection), {0, 0, 0});
  ExpectNear(Vec3TransformCoord({0, 0, 10}, projection), {0, 0, 1});
  ExpectNear(Vec3TransformCoord({2, 1, 1}, projection), {1, 1, 0});  // corner of the near plane
  EXPECT_FLOAT_EQ(Vec3Transform({0, 0, 4}, projection).w, 4.0f);
}
