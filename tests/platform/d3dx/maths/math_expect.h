// Comparisons for maths results, shared by the tests that check geometry.
#pragma once
#include <gtest/gtest.h>

#include "platform/d3dx/math_types.h"

namespace qel_test {

inline void ExpectNear(const platform::d3dx::Vector3& actual, const platform::d3dx::Vector3& expected,
                       float tolerance = 1e-5f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

inline void ExpectNear(const platform::d3dx::Quaternion& actual, const platform::d3dx::Quaternion& expected,
                       float tolerance = 1e-5f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
  EXPECT_NEAR(actual.w, expected.w, tolerance);
}

inline void ExpectNear(const platform::d3dx::Matrix& actual, const platform::d3dx::Matrix& expected,
                       float tolerance = 1e-5f) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(actual.m[r][c], expected.m[r][c], tolerance) << "element " << r << c;
}

inline platform::d3dx::Matrix MatrixFromRows(std::initializer_list<float> values) {
  platform::d3dx::Matrix m{};
  int i = 0;
  for (float v : values) {
    m.m[i / 4][i % 4] = v;
    ++i;
  }
  return m;
}

}  // namespace qel_test
