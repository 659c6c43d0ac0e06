#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "engine/core/core.h"

namespace {

TEST(RandomInt, StaysInRangeOverManyDraws) {
  std::srand(12345);
  for (int32_t n : {1, 2, 7, 10, 11, 100, 101, 1000, 1001, 5000, 1000000, INT_MAX}) {
    bool sawZero = false, sawTop = false;
    for (int i = 0; i < 20000; ++i) {
      const int32_t r = RandomInt(n);
      ASSERT_GE(r, 0) << n;
      ASSERT_LE(r, n) << n;
      sawZero |= r == 0;
      sawTop |= r == n;
    }
    if (n <= 10) {
      EXPECT_TRUE(sawZero && sawTop) << n;  // small ranges reach both ends
    }
  }
  EXPECT_EQ(RandomInt(0), 0);
  EXPECT_EQ(RandomInt(-5), 0);
  EXPECT_EQ(RandomInt(INT_MIN), 0);
}

TEST(NormalizeAngle, WrapsIntoZeroTo360) {
  const float inf = std::numeric_limits<float>::infinity();
  struct Case { float in, out; } cases[] = {
      {725.5f, 5.5f}, {-30.0f, 330.0f}, {360.0f, 0.0f}, {0.0f, 0.0f}, {359.5f, 359.5f}, {-725.0f, 355.0f},
      {-360.0f, 0.0f}, {-0.5f, 359.5f}, {7200.25f, 0.25f},
      // Values without a 32-bit integer part, and values that never settle, give 0.
      {std::nanf(""), 0.0f}, {inf, 0.0f}, {-inf, 0.0f}, {3.0e9f, 0.0f}, {-3.0e9f, 0.0f}, {1.0e30f, 0.0f},
  };
  for (const Case& c : cases) EXPECT_FLOAT_EQ(NormalizeAngle(c.in), c.out) << c.in;
}

TEST(AngleHelpers, MoveAlongTheAngle) {
  EXPECT_NEAR(MoveXByAngle(1.0f, 90.0f, 2.0f), 3.0f, 1e-5f);
  EXPECT_NEAR(MoveZByAngle(1.0f, 90.0f, 2.0f), 1.0f, 1e-5f);
  EXPECT_NEAR(MoveZByAngle(0.0f, 0.0f, 5.0f), 5.0f, 1e-5f);
  EXPECT_NEAR(SinDegrees(30.0f), 0.5f, 1e-6f);
}

}  // namespace
