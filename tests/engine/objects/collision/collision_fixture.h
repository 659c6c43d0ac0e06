// The object module brought up as start-up brings it up (see the object table's fixture), with the
// automatic camera off and a fresh collision state before every test, so that collision and ray
// queries run on objects made by the object commands.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>

#include "engine/objects/collision.h"
#include "tests/engine/objects/table/object_fixture.h"

namespace collision_test {

class CollisionTest : public objects_test::ObjectModuleTest {
 public:
  void SetUp() override {
    ObjectModuleTest::SetUp();
    DisableAutoCamera();
    ResetCollisionState();
    word_ = 0;
  }

  // A box object of the given size at a place.
  static ObjectRecord* Box(int32_t number, Vector3 size, Vector3 at) {
    CreateBoxObject(number, size.x, size.y, size.z);
    PositionObject(number, at.x, at.y, at.z);
    return Object(number);
  }
};

}  // namespace collision_test
