// The entity rules run over a built level: pickups, warps, doors, movers, monsters, boosts, the goal
// pad, and the passes that cull the level and let the ball show through blocks.
#include <cmath>
#include <string>

#include "engine/objects/records.h"
#include "game/play/visualiser.h"
#include "tests/game/play/level/level_fixture.h"

namespace level_test {
namespace {

class EntityTest : public LevelTest {
 protected:
  // A level of one record at the origin carrying the entity, and the ball set down at (x, y, z).
  void OneEntity(int32_t type, std::vector<int32_t> p = {}, float p5 = 0) {
    auto map = NewMap();
    Add(*map, SHAPE_BOX, 0, 0, 0, type, std::move(p), p5);
    Play(*map);
  }
};

float ObjectY(int32_t object) { return GetObjectY(object); }

// Each pickup touched by the ball: its effect, once, and the entity gone in the same pass.
TEST_F(EntityTest, PickupsAreCollectedOnceWhenTheBallTouchesThem) {
  struct Case {
    const char* what;
    int32_t type;
    std::vector<int32_t> p;
    void (*check)();
  };
  const Case cases[] = {
      {"plasma", E_PLASMA, {},
       [] {
         EXPECT_EQ(Game().score, 15);
         EXPECT_EQ(Game().bonusLifeCounter, 15);
         EXPECT_EQ(Game().plasmaCleared, 1);
       }},
      {"red paint", E_PAINTR, {100}, [] { EXPECT_EQ(Game().carriedPaint[0], 100); }},
      {"green paint", E_PAINTG, {40}, [] { EXPECT_EQ(Game().carriedPaint[1], 40); }},
      {"blue paint (a tall pot)", E_PAINTB, {7}, [] { EXPECT_EQ(Game().carriedPaint[2], 7); }},
      {"respawn", E_RESPAWN, {270},
       [] {
         EXPECT_FLOAT_EQ(Game().respawn[1], 10);
         EXPECT_FLOAT_EQ(Game().respawn[3], 270);
       }},
      {"text", E_TEXT, {},
       [] {
         EXPECT_STREQ(Game().message, "A message");
         EXPECT_EQ(Game().overlay, 1);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    OneEntity(c.type, c.p);
    PlaceBall(0, 10, 0);
    UpdateEntities();
    c.check();
    EXPECT_EQ(Record(0).entityType, E_NONE);
    EXPECT_FALSE(Exists(2000));
    const GameVariables after = Game();
    UpdateEntities();
    EXPECT_EQ(Game().score, after.score);
    EXPECT_EQ(Game().carriedPaint[0], after.carriedPaint[0]);
  }
}

TEST_F(EntityTest, PickupsOutOfReachStayAndSpinOrPulse) {
  auto map = NewMap();
  Add(*map, SHAPE_BOX, 0, 0, 0, E_PLASMA);
  Add(*map, SHAPE_BOX, 40, 0, 0, E_PAINTR, {100});
  Add(*map, SHAPE_EMPTY, 40, 0, 0, E_PAINTR, {100});  // no block of its own: the one before stands in
  Add(*map, SHAPE_BOX, 200, 0, 0);
  Play(*map);
  PlaceBall(0, 200, 0);
  Game().pulseScale = 130;
  UpdateEntities();
  UpdateEntities();
  EXPECT_EQ(Game().plasmaCleared, 0);
  EXPECT_EQ(Game().carriedPaint[0], 0);
  EXPECT_NEAR(GetObjectSizeX(2000), 4 * 1.3f, 1e-4);
  EXPECT_FLOAT_EQ(GetObjectYAngle(2000), 3);
  EXPECT_FLOAT_EQ(GetObjectZAngle(2001), 6);
  EXPECT_FLOAT_EQ(EntityRules().paintSpin, 6);

  // Within reach of the block's position and touching the pot: the pot of the empty record counts too.
  PlaceBall(40, 10, 0);
  UpdateEntities();
  EXPECT_EQ(Game().carriedPaint[0], 200);
}

// An empty record (shape 6, no block) builds no block, so the map holds more records than blocks: the
// rules and both passes still reach the records after it.
TEST_F(EntityTest, RecordsAfterAnEmptyOneAreNotLeftInert) {
  auto map = NewMap();
  Add(*map, SHAPE_BOX, 0, 0, 0);
  Add(*map, SHAPE_EMPTY, 100, 0, 0);
  Add(*map, SHAPE_BOX, 0, 0, 300, E_PLASMA);  // behind the camera below
  Add(*map, SHAPE_BOX, 40, 0, 0, E_PAINTR, {100});
  Play(*map);
  ASSERT_EQ(CurrentMapCounts().blocksBuilt, 3);
  ASSERT_EQ(LevelRecordCount(), 4);
  EXPECT_EQ(FindRecordByEntityObject(Record(3).entityObject), 3) << "the ball finds the last record's entity";
  PlaceBall(40, 10, 0);
  UpdateEntities();
  EXPECT_EQ(Game().carriedPaint[0], 100) << "the last record's pot is collected";
  EXPECT_EQ(Record(3).entityType, E_NONE);

  PlaceCamera(0, 30, 100);
  AimCamera(0, 0, -50);
  CullLevelObjects();
  auto visible = [](int32_t object) { return FindObjectRecord(object)->visible != 0; };
  EXPECT_TRUE(visible(1000));
  EXPECT_FALSE(visible(1001)) << "culling goes on past the empty record";
  EXPECT_FALSE(visible(2000));
  ShowObject(1001);
  UpdateSeeThroughBlocks();
  EXPECT_TRUE(visible(1001)) << "a block off screen is left as it is";
}

TEST_F(EntityTest, AWarpSendsTheBallToItsDestinationAndStopsIt) {
  OneEntity(E_WARP, {100, 20, 50});
  PlaceBall(0, 3, 0);
  Game().forwardSpeed = 0.7f;
  Game().backwardSpeed = 0.2f;
  UpdateEntities();
  EXPECT_FLOAT_EQ(BallX(), 100);
  EXPECT_FLOAT_EQ(BallY(), 30);
  EXPECT_FLOAT_EQ(BallZ(), 50);
  EXPECT_EQ(Game().forwardSpeed, 0);
  EXPECT_EQ(Game().backwardSpeed, 0);
  EXPECT_TRUE(Exists(2000)) << "warps stay";
}

TEST_F(EntityTest, DoorsOpenOnlyForTheirExactColourAndStopTheBall) {
  OneEntity(E_DOOR, {128, 0, 0});
  PlaceBall(0, 200, 0);
  struct Case {
    int32_t red;
    float doorY;
  };
  for (const Case& c : {Case{127, 17.5f}, Case{128, 30}, Case{129, 17.5f}}) {
    Game().playerColour[0] = c.red;
    UpdateEntities();
    EXPECT_FLOAT_EQ(ObjectY(2000), c.doorY) << c.red;
  }

  Game().playerColour[0] = 0;
  Ball().savedX = 0, Ball().savedY = 5, Ball().savedZ = -20;
  PlaceBall(0, 5, 0);
  Game().forwardSpeed = 1;
  UpdateEntities();
  EXPECT_FLOAT_EQ(BallZ(), -20) << "back to where the step began";
  EXPECT_EQ(Game().forwardSpeed, 0);
}

TEST_F(EntityTest, AVerticalMoverCarriesItsBlockAndPausesAtEachEnd) {
  OneEntity(E_MOVER, {0, 0, 30}, 1);
  PlaceBall(0, 200, 0);
  for (int32_t step = 0; step < 30; ++step) UpdateEntities();
  EXPECT_FLOAT_EQ(ObjectY(1000), 30);
  EXPECT_EQ(Record(0).state, 1);
  g_now += 1000;
  UpdateEntities();
  EXPECT_FLOAT_EQ(ObjectY(1000), 30) << "still waiting";
  g_now += 1;
  for (int32_t step = 0; step < 30; ++step) UpdateEntities();
  EXPECT_FLOAT_EQ(ObjectY(1000), 0);
  UpdateEntities();
  EXPECT_FLOAT_EQ(ObjectY(1000), 0) << "waiting at the bottom";

  // p2 not 0: the first leg goes down.
  OneEntity(E_MOVER, {0, 1, 30}, 2);
  UpdateEntities();
  EXPECT_FLOAT_EQ(ObjectY(1000), -2);
}

TEST_F(EntityTest, AHorizontalMoverGoesAlongItsAngleAndBackWithoutPausing) {
  OneEntity(E_MOVER, {1, 90, 3}, 1);
  PlaceBall(0, 200, 0);
  const float expectedX[] = {1, 2, 3, 2, 1, 0, 1};
  for (float x : expectedX) {
    UpdateEntities();
    EXPECT_NEAR(GetObjectX(1000), x, 1e-4);
    EXPECT_NEAR(GetObjectZ(1000), 0, 1e-4);
  }
}

TEST_F(EntityTest, AMonsterAWaitsForItsStartDelayThenPatrols) {
  Game().levelStartTime = g_now;
  OneEntity(E_MONSTERA, {0, 3, 0, 5000}, 1);
  PlaceBall(0, 200, 0);
  const float start = ObjectY(2000);
  g_now += 5000;
  UpdateEntities();
  EXPECT_FLOAT_EQ(ObjectY(2000), start);
  EXPECT_EQ(Record(0).active, 0);
  g_now += 1;
  UpdateEntities();
  EXPECT_EQ(Record(0).active, 1);
  EXPECT_FLOAT_EQ(ObjectY(2000), start) << "it first moves in the next pass";
  const float offsets[] = {1, 2, 3, 2, 1, 0};
  for (float offset : offsets) {
    UpdateEntities();
    EXPECT_FLOAT_EQ(ObjectY(2000), start + offset);
  }
}

// The death sequence runs inside the pass: the clock moves on with every reading so it ends.
uint32_t RunningClock() { return g_now += 50; }

TEST_F(EntityTest, AMonsterTouchingTheBallKillsIt) {
  for (int32_t object : {3001, 6000, kVisualiserBox}) CreateBoxObject(object, 1, 1, 1);
  LoadImage("Textures\\TexPlain.jpg", kVisualiserImage);
  OneEntity(E_MONSTERA, {0, 3, 0, 0}, 1);
  Game().respawn[0] = 100, Game().respawn[1] = 10, Game().respawn[2] = 0;
  const int32_t lives = Game().lives;
  PlaceBall(0, 5, 0);
  SetGameTimerSource(RunningClock);
  UpdateEntities();
  EXPECT_EQ(Game().lives, lives - 1);
  EXPECT_FLOAT_EQ(BallX(), 100) << "set down above the respawn point";
  for (int32_t object : {3001, 6000, kVisualiserBox}) DeleteObject(object);
  DeleteImage(kVisualiserImage);
}

TEST_F(EntityTest, AMonsterBFollowsItsPathAndWrapsToTheFirstPoint) {
  OneEntity(E_MONSTERB, {4}, 2);
  PlaceBall(0, 200, 0);
  const float startY = ObjectY(2000);
  WaypointPath& path = CurrentMap().paths[4];
  path.points[0] = {0, startY, 10};
  path.points[1] = {10, startY, 10};
  path.pointCount = 2;

  auto runUntilStateIs = [](int32_t state) {
    for (int32_t pass = 0; pass < 20; ++pass) {
      UpdateEntities();
      if (Record(0).state == state) return pass + 1;
    }
    return -1;
  };
  EXPECT_EQ(runUntilStateIs(1), 5) << "10 units at 2 a pass";
  EXPECT_NEAR(GetObjectZ(2000), 10, 2);
  EXPECT_EQ(runUntilStateIs(0), 5);
  EXPECT_NEAR(GetObjectX(2000), 10, 2);
  EXPECT_NEAR(GetObjectZ(2000), 10, 1e-3);
}

// A path number outside the table (the map is not checked) or a path without points leaves the
// monster standing instead of reading past the table.
TEST_F(EntityTest, AMonsterBWithoutAUsablePathStaysSafe) {
  for (int32_t pathNumber : {-1, kWaypointPathCount, 1000}) {
    OneEntity(E_MONSTERB, {pathNumber}, 2);
    PlaceBall(0, 200, 0);
    const float z = GetObjectZ(2000);
    UpdateEntities();
    EXPECT_FLOAT_EQ(GetObjectZ(2000), z) << pathNumber;
  }
  OneEntity(E_MONSTERB, {0}, 2);
  UpdateEntities();
  EXPECT_EQ(Record(0).state, 0) << "a path of no points keeps aiming at point 0";
}

TEST_F(EntityTest, TheGoalPadTakesTheCarriedPaintIntoTheBallsColour) {
  auto map = NewMap();
  Add(*map, SHAPE_GOAL_PAD, 0, 0, 0);
  Play(*map);
  Ball().onGoalPad = 1;
  Game().playerColour[0] = 10;
  ApplyGoalPadAndBoosts();
  EXPECT_EQ(Game().playerColour[0], 10) << "nothing carried: nothing happens";

  Game().carriedPaint[0] = 200;
  Game().carriedPaint[2] = 5;
  ApplyGoalPadAndBoosts();
  EXPECT_EQ(Game().playerColour[0], 210);
  EXPECT_EQ(Game().playerColour[2], 5);
  EXPECT_EQ(Game().carriedPaint[0], 0);
  EXPECT_EQ(Game().carriedPaint[2], 0);
  EXPECT_TRUE(HasImage(5001)) << "the goal heart's colour image";

  Ball().onGoalPad = 0;
  Game().carriedPaint[1] = 50;
  ApplyGoalPadAndBoosts();
  EXPECT_EQ(Game().carriedPaint[1], 50) << "off the pad the paint is kept";
}

TEST_F(EntityTest, BoostsFireOncePerArrival) {
  auto map = NewMap();
  Add(*map, SHAPE_BOX, 0, 0, 0, E_BOOST, {2, 90});
  Add(*map, SHAPE_BOX, 40, 0, 0, E_BOOSTV, {1, 3, 180});
  Add(*map, SHAPE_BOX, 80, 0, 0, E_PLASMA);
  Play(*map);
  PlaceBall(5, 8, 5);

  auto step = [](int32_t under) {
    Game().entityUnderBall = under;
    ApplyGoalPadAndBoosts();
  };
  step(0);
  EXPECT_FLOAT_EQ(Game().forwardSpeed, 2);
  EXPECT_FLOAT_EQ(GetObjectYAngle(kBallObject), 90);
  EXPECT_FLOAT_EQ(BallX(), 0);
  EXPECT_FLOAT_EQ(BallY(), 6);
  Game().forwardSpeed = 0.5f;
  step(0);
  EXPECT_FLOAT_EQ(Game().forwardSpeed, 0.5f) << "staying over it does not fire again";
  step(-1);
  step(0);
  EXPECT_FLOAT_EQ(Game().forwardSpeed, 2) << "back again: it fires";

  Game().backwardSpeed = 1;
  step(1);
  EXPECT_FLOAT_EQ(Game().forwardSpeed, 1);
  EXPECT_EQ(Game().backwardSpeed, 0);
  EXPECT_FLOAT_EQ(Ball().verticalPush, 3);
  EXPECT_FLOAT_EQ(GetObjectYAngle(kBallObject), 180);
  EXPECT_EQ(EntityRules().boostLatch, 0);
  Ball().verticalPush = 0;
  step(1);
  EXPECT_FLOAT_EQ(Ball().verticalPush, 0);

  step(2);  // another entity: both latches clear
  EXPECT_EQ(EntityRules().verticalBoostLatch, 0);
  step(1000);  // an index beyond the records built is no entity at all
  EXPECT_EQ(EntityRules().boostLatch, 0);
}

// Only objects on screen are drawn; only those near the ball collide.
TEST_F(EntityTest, CullingShowsWhatIsOnScreenAndCollidesWhatIsNear) {
  auto map = NewMap();
  Add(*map, SHAPE_BOX, 0, 0, 0, E_PLASMA);
  Add(*map, SHAPE_BOX, 0, 0, 100, E_PLASMA);
  Add(*map, SHAPE_BOX, 0, 0, -300, E_PLASMA);  // behind the camera
  Add(*map, SHAPE_BOX, 20, 0, 0, E_TEXT);
  Play(*map);
  PlaceBall(0, 10, 0);
  PlaceCamera(0, 30, -100);
  AimCamera(0, 0, 50);
  HideObject(1000);
  CullLevelObjects();

  auto visible = [](int32_t object) { return FindObjectRecord(object)->visible != 0; };
  auto colliding = [](int32_t object) { return FindObjectRecord(object)->bounds.collisionOn != 0; };
  EXPECT_TRUE(visible(1000));
  EXPECT_TRUE(colliding(1000));
  EXPECT_TRUE(colliding(2000));
  EXPECT_TRUE(visible(1001));
  EXPECT_FALSE(colliding(1001));
  EXPECT_FALSE(colliding(2001));
  EXPECT_FALSE(visible(1002));
  EXPECT_FALSE(colliding(1002));
  EXPECT_FALSE(visible(2002));
  EXPECT_FALSE(visible(2003)) << "a text trigger is never shown";
}

TEST_F(EntityTest, BlocksBetweenTheCameraAndALowerBallTurnSeeThrough) {
  auto map = NewMap();
  Add(*map, SHAPE_BOX, 0, 20, 0);  // between camera and ball
  Add(*map, SHAPE_BOX, 40, 20, 0);
  Add(*map, SHAPE_BOX, 0, 0, 40, E_DOOR, {1, 2, 3});
  Play(*map);
  PlaceBall(0, 0, 0);
  PlaceCamera(0, 60, 0.5f);
  AimCamera(0, 0, 0);
  UpdateSeeThroughBlocks();
  auto translucent = [](int32_t object) { return FindObjectRecord(object)->meshList[0]->translucent != 0; };
  auto brightness = [](int32_t object) { return FindObjectRecord(object)->meshList[0]->material.diffuse.r; };
  EXPECT_TRUE(translucent(1000));
  EXPECT_NEAR(brightness(1000), 0.6f, 1e-3);
  EXPECT_FALSE(translucent(1001));

  PlaceBall(0, 25, 0);  // no more than 10 below the block: opaque whatever the ray says
  UpdateSeeThroughBlocks();
  EXPECT_FALSE(translucent(1000));
  EXPECT_NEAR(brightness(1000), 1.0f, 1e-3);
}

TEST(GameDistance, FastSqrtMatchesTheSquareRoot) {
  for (double v : {0.0, 1e-6, 0.25, 1.0, 2.0, 400.0, 12345.678, 1e9}) {
    EXPECT_NEAR(FastSqrt(v), std::sqrt(v), 1e-9 * std::max(1.0, std::sqrt(v))) << v;
  }
  EXPECT_FLOAT_EQ(GetDistance3D(1, 2, 3, 4, 6, 15), 13);
}

}  // namespace
}  // namespace level_test
