// Collision with the tree world: the sweep stopped by a wall and sliding along it, ellipsoids, faces
// the stage set lets through, and the 25 slots moving cameras and objects out of the world's faces.
#include <cmath>

#include "engine/objects/object_commands.h"
#include "tests/engine/world/world_builder.h"
#include "tests/engine/world/world_fixture.h"

namespace world_test {
namespace {

constexpr gfx::Vector3 kBall{0.5f, 0.5f, 0.5f};
constexpr float kWallZ = 5.0f;
constexpr float kStopZ = kWallZ - 0.5f - 0.001f;  // a ball of radius 0.5 stopped short of the wall
// Where a move from the origin to (3, 0, 10) ends: stopped at the wall, then along it to nearly x 3
// (the sliding plane leans a little, as the contact is a hair off the stop point).
constexpr gfx::Vector3 kSlidEnd{2.996f, 0, kStopZ};

class WorldCollisionTest : public WorldTest {
 protected:
  // A wall at engine z 5 facing the origin, 20 wide and high, and a floor at y 0 facing up.
  static void BuildWalls(int32_t wallStageSet = -1, bool wallAsPatch = false) {
    if (wallAsPatch)
      AddSquarePatch({0, 0, kWallZ}, 10, {0, 0, -1}, -1, wallStageSet);
    else
      AddSquare({0, 0, kWallZ}, 10, {0, 0, -1}, -1, -1, wallStageSet);
    AddSquare({0, -20, 0}, 10, {0, 1, 0}, -1);
    SetSingleLeafTree(2);
    ASSERT_TRUE(FinishWorld());
  }

  static gfx::Vector3 Camera() { return {GetCameraX(0), GetCameraY(0), GetCameraZ(0)}; }
};

void ExpectNear(gfx::Vector3 actual, gfx::Vector3 expected, float tolerance, const char* what = "") {
  EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
  EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
  EXPECT_NEAR(actual.z, expected.z, tolerance) << what;
}

TEST_F(WorldCollisionTest, SweepStopsShortOfAWallAndSlidesAlongIt) {
  BuildWalls();
  const struct {
    gfx::Vector3 to;
    int32_t hit;
    gfx::Vector3 end;
    const char* what;
  } moves[] = {
      {{0, 0, 10}, 1, {0, 0, kStopZ}, "straight at the wall"},
      {{3, 0, 10}, 1, kSlidEnd, "slanting: the rest of the move slides along it"},
      {{0, 0, 4}, 0, {0, 0, 3.999f}, "short of the wall"},
      {{0, 0, 0.002f}, 0, {0, 0, 0}, "too short to sweep"},
  };
  for (const auto& m : moves) {
    gfx::Vector3 end{};
    EXPECT_EQ(TraceWorldMove({0, 0, 0}, m.to, kBall, &end, 5, 0.003f), m.hit) << m.what;
    ExpectNear(end, m.end, 3e-3f, m.what);
  }
  // A ball behind the wall's back passes through it.
  gfx::Vector3 end{};
  EXPECT_EQ(TraceWorldMove({0, 0, 10}, {0, 0, 0}, kBall, &end, 5, 0.003f), 0);
}

TEST_F(WorldCollisionTest, PatchesStopTheSweepToo) {
  BuildWalls(-1, true);
  gfx::Vector3 end{};
  EXPECT_EQ(TraceWorldMove({0, 0, 0}, {0, 0, 10}, kBall, &end, 5, 0.003f), 1);
  ExpectNear(end, {0, 0, kStopZ}, 2e-3f);
}

// Radii (1, 2, 1): the sweep runs in space divided by the radii and ends 2 (plus the gap, doubled)
// above the floor.
TEST_F(WorldCollisionTest, EllipsoidSweepsInSpaceDividedByItsRadii) {
  BuildWalls();
  gfx::Vector3 end{};
  EXPECT_EQ(TraceWorldMove({0, -15, 0}, {0, -25, 0}, {1, 2, 1}, &end, 5, 0.003f), 1);
  ExpectNear(end, {0, -20 + 2.002f, 0}, 2e-3f);
  EXPECT_EQ(TraceWorldMove({0, 0, 0}, {0, 0, 10}, {0.5f, 2, 0.5f}, &end, 5, 0.003f), 1);
  EXPECT_NEAR(end.z, kStopZ, 2e-3f);
  // Without three positive radii there is no such space: the move is left alone.
  EXPECT_EQ(TraceWorldMove({0, 0, 0}, {0, 0, 10}, {0, 2, 1}, &end, 5, 0.003f), 0);
  ExpectNear(end, {0, 0, 10}, 0);
}

TEST_F(WorldCollisionTest, StageSetCollisionWordsLetPolygonsPass) {
  const struct {
    int32_t a, b, hit;
  } cases[] = {{1, 0, 0}, {1, 1, 1}, {0, 0, 1}};
  for (const auto& c : cases) {
    ClearWorld();
    WorldStageSet set;
    set.collisionA = c.a;
    set.collisionB = c.b;
    BuildWalls(AddWorldStageSet(set));
    gfx::Vector3 end{};
    EXPECT_EQ(TraceWorldMove({0, 0, 0}, {0, 0, 10}, kBall, &end, 5, 0.003f), c.hit) << c.a << " " << c.b;
  }
}

// A camera slot with its collision centre 1 below the camera: the first update only takes the
// position, a move through the wall is then stopped by the chosen response.
TEST_F(WorldCollisionTest, CameraSlotIsPutWhereItsResponseSays) {
  BuildWalls();
  const struct {
    int32_t response;
    gfx::Vector3 placed;
  } responses[] = {{0, {0, 1, kStopZ}}, {1, {0, 1, 0}}, {2, {0, 1, 10}}};
  for (const auto& r : responses) {
    ASSERT_TRUE(SetWorldCollisionSlot(3, 1, 0, 0.5f, r.response, 1.0f));
    ASSERT_TRUE(ActivateWorldCollisionSlot(3, true));
    PlaceCamera(0, 1, 0);
    UpdateWorldCollisions();
    StoreWorldCollisionPositions();
    EXPECT_EQ(TakeWorldCollisionHit(3), 0);
    PlaceCamera(0, 1, 10);
    UpdateWorldCollisions();
    ExpectNear(Camera(), r.placed, 2e-3f, "camera");
    EXPECT_EQ(TakeWorldCollisionHit(3), 1) << r.response;
    EXPECT_EQ(TakeWorldCollisionHit(3), 0);
    ExpectNear(GetWorldCollisionDelta(3), {0, 0, kStopZ - 10}, 2e-3f, "delta");
    StoreWorldCollisionPositions();
  }
  EXPECT_EQ(word_, 0u);
}

TEST_F(WorldCollisionTest, ObjectSlotSlidesTheObjectAlongTheWall) {
  BuildWalls();
  CreateBoxObject(1, 1, 1, 1);
  ASSERT_EQ(ObjectExists(1), 1);
  ASSERT_TRUE(SetWorldCollisionSlot(24, 0, 1, -1.0f, 0, 0));
  ASSERT_TRUE(SetWorldCollisionRadii(24, 0.5f, 0.5f, 0.5f));
  ASSERT_TRUE(ActivateWorldCollisionSlot(24, true));
  PositionObject(1, 0, 0, 0);
  UpdateWorldCollisions();
  StoreWorldCollisionPositions();
  PositionObject(1, 3, 0, 10);
  UpdateWorldCollisions();
  ExpectNear({GetObjectX(1), GetObjectY(1), GetObjectZ(1)}, kSlidEnd, 3e-3f);
  EXPECT_EQ(word_, 0u);
}

// The first update of a slot never moves its entity; without a world no slot does anything, though
// the frame end still keeps positions.
TEST_F(WorldCollisionTest, SlotsMoveNothingOnTheirFirstFrameOrWithoutAWorld) {
  ASSERT_TRUE(SetWorldCollisionSlot(0, 1, 0, 0.5f, 0, 0));
  ASSERT_TRUE(ActivateWorldCollisionSlot(0, true));
  PlaceCamera(0, 0, 0);
  StoreWorldCollisionPositions();
  PlaceCamera(0, 0, 10);
  UpdateWorldCollisions();
  ExpectNear(Camera(), {0, 0, 10}, 0, "no world");
  EXPECT_EQ(World().slots[0].initialised, 0);
  ExpectNear(World().slots[0].oldPosition, {0, 0, 0}, 0, "kept at the frame end");

  BuildWalls();
  UpdateWorldCollisions();  // the first update takes z 10 as where it was
  ExpectNear(Camera(), {0, 0, 10}, 0, "first frame");
  EXPECT_EQ(TakeWorldCollisionHit(0), 0);
}

TEST_F(WorldCollisionTest, SlotCommandsRefuseWhatTheSweepCannotUse) {
  EXPECT_FALSE(SetWorldCollisionSlot(-1, 1, 0, 1.0f, 0, 0));
  EXPECT_FALSE(SetWorldCollisionSlot(25, 1, 0, 1.0f, 0, 0));
  for (float radius : {0.0f, -2.0f, NAN, INFINITY}) EXPECT_FALSE(SetWorldCollisionSlot(0, 1, 0, radius, 0, 0));
  EXPECT_TRUE(SetWorldCollisionSlot(0, 1, 0, -1.0f, 0, 0));
  EXPECT_FALSE(SetWorldCollisionRadii(0, 1, 0, 1));
  EXPECT_FALSE(SetWorldCollisionRadii(0, 1, 1, NAN));
  EXPECT_FALSE(ActivateWorldCollisionSlot(25, true));
  EXPECT_EQ(TakeWorldCollisionHit(99), 0);
  ExpectNear(GetWorldCollisionDelta(-3), {0, 0, 0}, 0);
  EXPECT_FLOAT_EQ(World().slots[0].traceTolerance, 0.003f);
}

}  // namespace
}  // namespace world_test
