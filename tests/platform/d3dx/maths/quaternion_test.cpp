#include <gtest/gtest.h>

#include <cmath>

#include "platform/d3dx/math_matrix.h"
#include "platform/d3dx/math_quaternion.h"
#include "platform/d3dx/math_vector.h"
#include "tests/platform/d3dx/maths/math_expect.h"

using namespace platform::d3dx;
using qel_test::ExpectNear;

TEST(Quaternion, MatchesTheMatrixRotations) {
  ExpectNear(MatrixRotationQuaternion(QuaternionRotationAxis({1, 0, 0}, 0.8f)), MatrixRotationX(0.8f));
  ExpectNear(MatrixRotationQuaternion(QuaternionRotationAxis({0, 2, 0}, -1.3f)), MatrixRotationY(-1.3f));
  ExpectNear(MatrixRotationQuaternion(QuaternionRotationYawPitchRoll(0.5f, -0.25f, 2.0f)),
             MatrixRotationYawPitchRoll(0.5f, -0.25f, 2.0f));
  const Quaternion a = QuaternionRotationAxis({1, 2, 3}, 0.7f), b = QuaternionRotationAxis({-2, 0, 1}, 1.9f);
  ExpectNear(MatrixRotationQuaternion(QuaternionMultiply(a, b)),
             MatrixMultiply(MatrixRotationQuaternion(a), MatrixRotationQuaternion(b)));
}

TEST(Quaternion, RoundTripThroughAMatrix) {
  // One rotation for each branch of the extraction (trace positive, then x, y or z largest).
  const Quaternion cases[] = {QuaternionRotationAxis({1, 2, 3}, 0.6f), QuaternionRotationAxis({1, 0.1f, 0}, 3.0f),
                              QuaternionRotationAxis({0.1f, 1, 0.2f}, 3.0f), QuaternionRotationAxis({0, 0.2f, 1}, 3.0f)};
  for (const Quaternion& q : cases) {
    Quaternion back = QuaternionRotationMatrix(MatrixRotationQuaternion(q));
    if (QuaternionDot(back, q) < 0) back = {-back.x, -back.y, -back.z, -back.w};  // same rotation
    ExpectNear(back, q, 1e-5f);
  }
}

TEST(Quaternion, SlerpEndsAndMidpoint) {
  const Quaternion start = QuaternionIdentity();
  const Quaternion end = QuaternionRotationAxis({0, 1, 0}, kPi / 2);
  ExpectNear(QuaternionSlerp(start, end, 0.0f), start);
  ExpectNear(QuaternionSlerp(start, end, 1.0f), end);
  ExpectNear(QuaternionSlerp(start, end, 0.5f), QuaternionRotationAxis({0, 1, 0}, kPi / 4));
  // The negated end is the same rotation: slerp takes the short way to it.
  const Quaternion negated{-end.x, -end.y, -end.z, -end.w};
  ExpectNear(MatrixRotationQuaternion(QuaternionSlerp(start, negated, 0.5f)), MatrixRotationY(kPi / 4));
  // Nearly equal rotations do not divide by a vanishing sine.
  const Quaternion near = QuaternionRotationAxis({0, 1, 0}, 1e-4f);
  const Quaternion mid = QuaternionSlerp(start, near, 0.5f);
  EXPECT_NEAR(QuaternionLength(mid), 1.0f, 1e-5f);
}

TEST(Quaternion, NormaliseAndConjugate) {
  ExpectNear(QuaternionNormalize({0, 3, 0, 4}), {0, 0.6f, 0, 0.8f});
  ExpectNear(QuaternionNormalize({0, 0, 0, 0}), {0, 0, 0, 0});
  const Quaternion q = QuaternionRotationAxis({1, 1, 0}, 1.0f);
  ExpectNear(QuaternionMultiply(q, QuaternionConjugate(q)), QuaternionIdentity());
}
