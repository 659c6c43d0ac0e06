// Object collision: spheres, boxes and polygons as tables of overlapping, touching and separate pairs,
// the type that decides, the sweep against every object, and the number checks.
#include <cmath>

#include "engine/objects/box_collision.h"
#include "platform/d3dx/math_vector.h"
#include "tests/engine/objects/collision/collision_fixture.h"
#include "tests/platform/d3dx/maths/math_expect.h"

namespace {

using namespace platform::d3dx;
using collision_test::CollisionTest;
using qel_test::ExpectNear;

class ObjectCollision : public CollisionTest {
 protected:
  // A box object of size 2 that collides as a sphere of the given radius around its centre.
  static ObjectRecord* Sphere(int32_t number, float radius, Vector3 at) {
    ObjectRecord* object = Box(number, {2, 2, 2}, at);
    SetCollisionToSpheres(object);
    object->bounds.radius = radius;
    return object;
  }
};

TEST_F(ObjectCollision, SpheresOverlapTouchOrStandApart) {
  struct Case {
    const char* what;
    Vector3 b;
    float scaleB;  // percent
    int32_t hit;
    Vector3 slide;
  };
  const Case cases[] = {
      {"overlapping", {1.5f, 0, 0}, 100, 1, {0.5f, 0, 0}},
      {"touching", {2, 0, 0}, 100, 0, {}},
      {"apart", {0, 3, 0}, 100, 0, {}},
      {"one centre", {0, 0, 0}, 100, 1, {0, 0, 0}},
      {"scaled into reach", {0, 0, -2.5f}, 200, 1, {0, 0, -0.5f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Sphere(1, 1, {0, 0, 0});
    Sphere(2, 1, c.b);
    ScaleObject(2, c.scaleB, c.scaleB, c.scaleB);
    EXPECT_EQ(TestObjectCollision(1, 2), c.hit);
    if (c.hit) {
      ExpectNear(GetCollisionSlide(), c.slide);
      EXPECT_EQ(IsCollisionSlideAvailable(), 1);
    }
    DeleteObject(1);
    DeleteObject(2);
  }
}

TEST_F(ObjectCollision, TheStrongerTypeDecides) {
  struct Case {
    uint32_t typeA, typeB;
    int32_t hit;
  };
  // Two size-2 boxes 2.5 apart: their spheres of radius 1.5 overlap, their boxes do not.
  const Case cases[] = {
      {1, 1, 1}, {1, 0, 1},  // A's type decides
      {0, 1, 0}, {0, 0, 0},  // ... also when it is 0
      {1, 2, 0}, {2, 1, 0},  // boxes win over spheres
      {4, 1, 0}, {1, 4, 1},  // types above 3 collide with nothing of their own
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.typeA << " against " << c.typeB);
    Sphere(1, 1.5f, {0, 0, 0})->bounds.collisionType = c.typeA;
    Sphere(2, 1.5f, {2.5f, 0, 0})->bounds.collisionType = c.typeB;
    EXPECT_EQ(TestObjectCollision(1, 2), c.hit);
    DeleteObject(1);
    DeleteObject(2);
  }
}

TEST_F(ObjectCollision, BoxesCollideAsTurnedBoxesAndTouchingCounts) {
  struct Case {
    const char* what;
    float distance;
    Vector3 anglesB;
    int32_t hit;
  };
  const Case cases[] = {
      {"overlapping", 0.5f, {0, 0, 0}, 1},      {"faces touching", 1.0f, {0, 0, 0}, 1},
      {"apart", 1.01f, {0, 0, 0}, 0},           {"corner reaching in", 1.1f, {0, 45, 0}, 1},
      {"corner short of it", 1.25f, {0, 45, 0}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Box(1, {1, 1, 1}, {0, 0, 0});
    Box(2, {1, 1, 1}, {c.distance, 0, 0});
    RotateObject(2, c.anglesB.x, c.anglesB.y, c.anglesB.z);
    EXPECT_EQ(TestObjectCollision(1, 2), c.hit);
    EXPECT_EQ(TestObjectCollision(2, 1), c.hit);
    DeleteObject(1);
    DeleteObject(2);
  }
}

TEST_F(ObjectCollision, PolygonsAreHitBySegmentsThroughTheOtherObject) {
  Box(1, {4, 4, 4}, {0, 0, 0});
  SetObjectCollisionToPolygons(1);
  struct Case {
    const char* what;
    Vector3 at;
    int32_t hit;
  };
  const Case cases[] = {
      {"deep inside, no face near", {0, 0, 0}, 0},
      {"across the -x face", {-2.1f, 0, 0}, 1},
      {"across the -y face", {0, -2.1f, 0}, 1},
      {"beyond the box", {-3, 0, 0}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Box(2, {0.5f, 0.5f, 0.5f}, c.at);
    // The polygon object gives the triangles whichever side it is on.
    EXPECT_EQ(TestObjectCollision(2, 1), c.hit);
    EXPECT_EQ(TestObjectCollision(1, 2), c.hit);
    DeleteObject(2);
  }
}

TEST_F(ObjectCollision, ASweepKeepsTheLargestSlideOfEachAxisAndNamesTheLastHit) {
  Sphere(1, 5, {0, 0, 0});
  // Hits whose slide vectors are (2, 0, -1) and (-3, 0.5, 0): each sphere of radius 1 sits where its
  // depth is the slide's length.
  const Vector3 slides[2] = {{2, 0, -1}, {-3, 0.5f, 0}};
  const int32_t numbers[2] = {10, 11};
  for (int i = 0; i < 2; ++i) {
    const float depth = Vec3Length(slides[i]);
    Sphere(numbers[i], 1, Vec3Scale(Vec3Normalize(slides[i]), 6.0f - depth));
  }
  Sphere(12, 1, {50, 0, 0});                         // misses
  Sphere(13, 1, {0, 1, 0});                          // would hit, but collision is off
  SetObjectCollisionOff(13);
  Sphere(14, 1, {0, -1, 0});                         // deleted before the sweep
  DeleteObject(14);
  GetObjectTable().usedIds.push_back(15);            // a number whose object is gone
  EXPECT_EQ(TestObjectCollision(1, 0), 11);
  ExpectNear(GetCollisionSlide(), {-3, 0.5f, -1}, 1e-4f);
  EXPECT_EQ(TestObjectCollision(1, 10), 1);
  EXPECT_EQ(TestObjectCollision(1, 13), 0);
  GetObjectTable().usedIds.pop_back();

  // Alone in the table, the sweep finds nothing and clears the slide.
  DeleteObject(10);
  DeleteObject(11);
  DeleteObject(12);
  DeleteObject(13);
  EXPECT_EQ(TestObjectCollision(1, 0), 0);
  ExpectNear(GetCollisionSlide(), {0, 0, 0});
}

TEST_F(ObjectCollision, NumbersAreCheckedAndTheSwitchStopsEverything) {
  Sphere(1, 1, {0, 0, 0});
  Sphere(2, 1, {1, 0, 0});
  EXPECT_EQ(TestObjectCollision(1, 3), 0);
  EXPECT_EQ(word_, 7008u);
  EXPECT_EQ(TestObjectCollision(0, 1), 0);
  EXPECT_EQ(word_, 7006u);
  word_ = 0;
  Object(2)->excluded = 1;  // counts as missing, without an error
  EXPECT_EQ(TestObjectCollision(1, 2), 0);
  EXPECT_EQ(TestObjectCollision(1, 0), 0);
  EXPECT_EQ(word_, 0u);
  Object(2)->excluded = 0;

  SetCollisionSwitch(0);
  EXPECT_EQ(TestObjectCollision(1, 2), 0);
  EXPECT_EQ(TestObjectCollision(1, 0), 0);
  SetCollisionSwitch(1);
  EXPECT_EQ(TestObjectCollision(1, 2), 1);
  SetObjectCollisionOff(1);
  EXPECT_EQ(TestObjectCollision(1, 2), 0);
}

}  // namespace
