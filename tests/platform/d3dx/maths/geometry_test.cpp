#include <gtest/gtest.h>

#include <cmath>

#include "platform/d3dx/math_intersect.h"
#include "platform/d3dx/math_plane.h"
#include "tests/platform/d3dx/maths/math_expect.h"

using namespace platform::d3dx;
using qel_test::ExpectNear;

TEST(Plane, FromPointsNormalAndDistances) {
  const Plane floor = PlaneFromPoints({0, 2, 0}, {0, 2, 1}, {1, 2, 0});  // y = 2, normal (0, 1, 0)
  EXPECT_FLOAT_EQ(floor.b, 1.0f);
  EXPECT_FLOAT_EQ(floor.d, -2.0f);
  EXPECT_FLOAT_EQ(PlaneDotCoord(floor, {5, 7, -3}), 5.0f);
  EXPECT_FLOAT_EQ(PlaneDotNormal(floor, {5, 7, -3}), 7.0f);
  const Plane same = PlaneFromPointNormal({3, 2, 3}, {0, 1, 0});
  EXPECT_FLOAT_EQ(same.d, -2.0f);
  const Plane n = PlaneNormalize({0, 0, 2, 4});
  EXPECT_FLOAT_EQ(n.c, 1.0f);
  EXPECT_FLOAT_EQ(n.d, 2.0f);
}

TEST(Plane, IntersectLineBeyondTheSegment) {
  const Plane floor = PlaneFromPointNormal({0, 2, 0}, {0, 1, 0});
  Vector3 hit{};
  ASSERT_TRUE(PlaneIntersectLine(floor, {1, 0, 1}, {1, 1, 1}, &hit));  // the line, not the segment
  ExpectNear(hit, {1, 2, 1});
  EXPECT_FALSE(PlaneIntersectLine(floor, {0, 0, 0}, {1, 0, 0}, &hit));
}

TEST(RayTriangle, HitGivesBarycentricsAndDistance) {
  const Vector3 p0{0, 0, 0}, p1{2, 0, 0}, p2{0, 2, 0};
  float u = -1, v = -1, distance = -1;
  ASSERT_TRUE(IntersectTriangle(p0, p1, p2, {0.5f, 1.0f, -3}, {0, 0, 1}, &u, &v, &distance));
  EXPECT_FLOAT_EQ(u, 0.25f);
  EXPECT_FLOAT_EQ(v, 0.5f);
  EXPECT_FLOAT_EQ(distance, 3.0f);
  // Distance is counted in lengths of the direction; the back face is hit too.
  ASSERT_TRUE(IntersectTriangle(p0, p1, p2, {0.5f, 0.5f, 4}, {0, 0, -2}, &u, &v, &distance));
  EXPECT_FLOAT_EQ(distance, 2.0f);
}

TEST(RayTriangle, Misses) {
  const Vector3 p0{0, 0, 0}, p1{2, 0, 0}, p2{0, 2, 0};
  float u, v, distance;
  EXPECT_FALSE(IntersectTriangle(p0, p1, p2, {1.5f, 1.5f, -1}, {0, 0, 1}, &u, &v, &distance));  // outside
  EXPECT_FALSE(IntersectTriangle(p0, p1, p2, {0.5f, 0.5f, 1}, {0, 0, 1}, &u, &v, &distance));   // behind
  EXPECT_FALSE(IntersectTriangle(p0, p1, p2, {0.5f, 0.5f, 1}, {1, 0, 0}, &u, &v, &distance));   // parallel
}

TEST(RayBox, HitsMissesAndInside) {
  const Vector3 lo{-1, -1, -1}, hi{1, 1, 1};
  EXPECT_TRUE(RayHitsBox(lo, hi, {-5, 0, 0}, {1, 0, 0}));
  EXPECT_TRUE(RayHitsBox(lo, hi, {-5, -5, -5}, {1, 1, 1}));
  EXPECT_FALSE(RayHitsBox(lo, hi, {-5, 0, 0}, {-1, 0, 0}));  // pointing away
  EXPECT_FALSE(RayHitsBox(lo, hi, {-5, 3, 0}, {1, 0, 0}));   // passes above
  EXPECT_TRUE(RayHitsBox(lo, hi, {0, 0, 0}, {0, 1, 0}));     // starts inside
  EXPECT_FALSE(RayHitsBox(lo, hi, {-5, 0, 2}, {1, 0, 0}));   // parallel outside the z slab
}

TEST(Bounds, BoxAndSphereFromStridedPositions) {
  // Positions followed by one unrelated float each.
  const float vertices[] = {1, 2, 3, 99, -1, 0, 5, 99, 3, -2, 1, 99};
  Vector3 lo, hi, centre;
  float radius = 0;
  ASSERT_TRUE(ComputeBoundingBox(vertices, 3, 16, &lo, &hi));
  ExpectNear(lo, {-1, -2, 1});
  ExpectNear(hi, {3, 2, 5});
  ASSERT_TRUE(ComputeBoundingSphere(vertices, 3, 16, &centre, &radius));
  ExpectNear(centre, {1, 0, 3});
  EXPECT_FLOAT_EQ(radius, std::sqrt(12.0f));  // the furthest is (3, -2, 1), (2, -2, -2) away
  EXPECT_FALSE(ComputeBoundingBox(vertices, 0, 16, &lo, &hi));
  EXPECT_FALSE(ComputeBoundingSphere(vertices, 3, 8, &centre, &radius));
}
