// The ball's physics steps on small built levels: driving, braking, turning, standing and falling,
// walls, wedges, vertical pushes, the goal pad, the camera, and the two probes.
#include <algorithm>

#include "engine/objects/records.h"
#include "tests/game/play/level/level_fixture.h"

namespace level_test {
namespace {

constexpr float kEps = 1e-4f;

class BallTest : public LevelTest {
 protected:
  // A floor of n x n boxes 20 apart around the origin, tops at y 5, and the ball resting on it.
  static void Floor(MapTables& map, int32_t n = 5) {
    for (int32_t i = 0; i < n; ++i)
      for (int32_t j = 0; j < n; ++j) Add(map, SHAPE_BOX, float(20 * (i - n / 2)), 0, float(20 * (j - n / 2)));
  }
  static void PlayOnFloor() {
    auto map = NewMap();
    Floor(*map);
    Play(*map);
    PlaceBall(0, 5, 0);
  }
  static void Steps(int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
      Game().entityUnderBall = -1;  // as the play loop does before each step
      UpdatePlayer();
    }
  }
};

TEST_F(BallTest, HeldAccelerateBuildsSpeedToJustPastTheMaximumAndFrictionTakesItBack) {
  PlayOnFloor();
  g_commandsDown = {kAccelerate};
  float previous = 0;
  for (int32_t step = 0; step < 60; ++step) {
    Steps(1);
    const float speed = Game().forwardSpeed;
    if (previous <= kMaximumSpeed - kEps) {
      EXPECT_NEAR(speed - previous, 0.04f, kEps) << step;
    }
    EXPECT_LE(speed + kRollingFriction, kMaximumSpeed + kAcceleration + kEps) << "the speed moved with";
    previous = speed;
  }
  EXPECT_GT(previous, 0.95f);
  g_commandsDown.clear();
  Steps(1);
  EXPECT_NEAR(Game().forwardSpeed, previous - 0.01f, kEps);
  Steps(200);
  EXPECT_EQ(Game().forwardSpeed, 0);
}

TEST_F(BallTest, BreakFirstStopsTheBallThenDrivesItBackwards) {
  PlayOnFloor();
  Game().forwardSpeed = 0.5f;
  g_commandsDown = {kBreak};
  Steps(1);
  EXPECT_NEAR(Game().forwardSpeed, 0.44f, kEps);
  Steps(7);
  EXPECT_NEAR(Game().forwardSpeed, 0.02f, kEps);
  Steps(1);
  EXPECT_EQ(Game().forwardSpeed, 0);
  EXPECT_EQ(Game().backwardSpeed, 0);
  const float z = BallZ();
  Steps(2);
  EXPECT_NEAR(Game().backwardSpeed, 0.08f, kEps);
  EXPECT_LT(BallZ(), z) << "backwards, against the heading";
}

TEST_F(BallTest, TurningAndTheEmergencyBrake) {
  PlayOnFloor();
  g_commandsDown = {kTurnRight};
  Steps(2);
  EXPECT_NEAR(GetObjectYAngle(kBallObject), 6.4f, kEps);
  g_commandsDown = {kTurnLeft, kTurnRight};
  Steps(1);
  EXPECT_NEAR(GetObjectYAngle(kBallObject), 6.4f, kEps) << "both down: they cancel";

  Game().emergencyBrakes = 2;
  Game().forwardSpeed = 0.8f;
  g_commandsDown = {kEmergencyBreak};
  Steps(1);
  EXPECT_EQ(Game().emergencyBrakes, 1);
  EXPECT_EQ(Game().forwardSpeed, 0);
  Game().backwardSpeed = 0.5f;
  Steps(3);
  EXPECT_EQ(Game().emergencyBrakes, 1) << "held: one brake per press";
  EXPECT_GT(Game().backwardSpeed, 0);
  g_commandsDown.clear();
  Steps(1);
  g_commandsDown = {kEmergencyBreak};
  Steps(1);
  EXPECT_EQ(Game().emergencyBrakes, 0);
  Game().forwardSpeed = 0.8f;
  g_commandsDown.clear();
  Steps(1);
  g_commandsDown = {kEmergencyBreak};
  Steps(1);
  EXPECT_EQ(Game().emergencyBrakes, 0);
  EXPECT_GT(Game().forwardSpeed, 0.7f) << "none left: nothing happens";
}

TEST_F(BallTest, TheBallRestsOnTheGroundAndFallsWithoutIt) {
  PlayOnFloor();
  PlaceBall(0, 7, 0);  // 2 above the floor: the ray sets it down
  Steps(3);
  EXPECT_NEAR(BallY(), 5 - 0.01f, kEps);
  EXPECT_EQ(Game().noGround, 0);
  EXPECT_FLOAT_EQ(Game().fallSpeed, 0.01f);

  PlaceBall(0, 100, 0);
  Game().fallSpeed = 0;
  Game().gravityStep = 0.06f;
  Steps(3);
  EXPECT_EQ(Game().noGround, 1);
  EXPECT_NEAR(Game().fallSpeed, 0.18f, kEps);
  EXPECT_NEAR(BallY(), 100 - 0.06f - 0.12f - 0.18f, kEps);
}

TEST_F(BallTest, DrivingIntoAWallKeepsTheFreeAxis) {
  auto map = NewMap();
  Floor(*map);
  Add(*map, SHAPE_BOX, 20, 10, 0);  // a wall: x from 10, up to 15
  Play(*map);
  PlaceBall(7.5f, 4.99f, 0, 45);
  Game().forwardSpeed = 1;
  Steps(1);
  EXPECT_NEAR(BallX(), 7.5f, kEps);
  EXPECT_NEAR(BallZ(), 0.7071f, 1e-3);

  PlaceBall(0, 4.99f, 0, 45);
  Game().forwardSpeed = 1;
  Steps(1);
  EXPECT_NEAR(BallX(), 0.7071f, 1e-3) << "in the open both axes move";
}

// Fallen into a block from below (nothing under it, a block at the wall probe's height): pushed
// forward until the probe is free.
TEST_F(BallTest, ABallInsideABlockIsPushedOutForwards) {
  auto map = NewMap();
  Add(*map, SHAPE_BOX, 0, 10, 0);
  Play(*map);
  PlaceBall(0, 0, 0, 90);
  Game().fallSpeed = 0;
  Steps(1);
  EXPECT_TRUE(Game().noGround);
  EXPECT_GT(BallX(), 11.9f);
  EXPECT_LT(BallX(), 12.2f);
  EXPECT_FALSE(ProbeBlockCollision());
}

TEST_F(BallTest, WedgesMakeTheBallDriftAndOtherBlocksStopTheDrift) {
  auto map = NewMap();
  Add(*map, SHAPE_WEDGE, 0, 0, 0).ry = 90;
  Add(*map, SHAPE_BOX, 100, 0, 0);
  Play(*map);
  PlaceBall(0, 10, 0);
  Steps(2);
  EXPECT_NEAR(Ball().slideSpeed, 0.02f, kEps);
  EXPECT_FLOAT_EQ(Ball().slideAngle, 90);
  EXPECT_NEAR(BallX(), 0.01f, 1e-3) << "drifted along the wedge's rotation";
  Ball().slideSpeed = 0.495f;
  Steps(1);
  EXPECT_NEAR(Ball().slideSpeed, 0.5f, kEps) << "held at half the maximum speed";

  PlaceBall(100, 5, 0);
  Ball().slideSpeed = 0.25f;
  Steps(1);
  EXPECT_NEAR(Ball().slideSpeed, 0.15f, kEps);
  Steps(2);
  EXPECT_EQ(Ball().slideSpeed, 0);
}

TEST_F(BallTest, AVerticalPushLiftsLessEachStepAndStopsUnderABlock) {
  auto map = NewMap();
  Add(*map, SHAPE_BOX, 200, 20, 0);  // a ceiling over x = 200
  Play(*map);
  Game().gravityStep = 0.06f;
  PlaceBall(0, 100, 0);
  Game().fallSpeed = 0;
  Ball().verticalPush = 3;
  Steps(1);
  EXPECT_NEAR(Ball().verticalPush, 2.94f, kEps);
  EXPECT_NEAR(BallY(), 100 + 3 - 0.06f, kEps);
  Steps(1);
  EXPECT_NEAR(Ball().verticalPush, 2.88f, kEps);

  PlaceBall(200, 10, 0);
  Ball().verticalPush = 3;
  Steps(1);
  EXPECT_NEAR(Ball().verticalPush, -0.06f, kEps) << "hit the block above";
}

TEST_F(BallTest, TheGoalPadFlagAndTheEntityUnderTheBall) {
  auto map = NewMap();
  Add(*map, SHAPE_GOAL_PAD, 0, 0, 0);
  Add(*map, SHAPE_BOX, 100, 0, 0, E_BOOST, {1, 0});
  Add(*map, SHAPE_BOX, 140, 0, 0);
  Play(*map);
  PlaceBall(30, 5, 30);  // on the pad, clear of the hearts over its middle
  Steps(1);
  EXPECT_EQ(Ball().onGoalPad, 1);
  EXPECT_EQ(Game().entityUnderBall, -1);

  PlaceBall(100, 5, 0);
  Game().entityUnderBall = -1;
  UpdatePlayer();
  EXPECT_EQ(Game().entityUnderBall, 1);
  EXPECT_EQ(Ball().onGoalPad, 1) << "touching an entity leaves the flag as it was";

  PlaceBall(140, 5, 0);
  Steps(1);
  EXPECT_EQ(Ball().onGoalPad, 0) << "touching a block that is not the pad";
}

TEST_F(BallTest, CameraModeSwitchesOncePerPressBetweenChaseAndOverhead) {
  PlayOnFloor();
  const float y = BallY();
  Steps(1);
  EXPECT_EQ(Ball().cameraMode, kCameraChase);
  EXPECT_NEAR(GetCameraPositionY(), BallY() + 30, 1e-3);
  EXPECT_NEAR(GetCameraPositionZ(), BallZ() - 40, 1e-3) << "behind the ball";
  g_commandsDown = {kCameraMode};
  Steps(3);
  EXPECT_EQ(Ball().cameraMode, kCameraOverhead);
  EXPECT_NEAR(GetCameraPositionY(), BallY() + 70, 1e-3);
  EXPECT_NEAR(GetCameraPositionZ(), BallZ(), 1e-3);
  g_commandsDown.clear();
  Steps(1);
  g_commandsDown = {kCameraMode};
  Steps(1);
  EXPECT_EQ(Ball().cameraMode, kCameraChase);
  EXPECT_NEAR(BallY(), y - 0.01f, 1e-3);
}

TEST_F(BallTest, TheProbesFindTheGroundWithinReachAndBlocksAtHeadHeight) {
  auto map = NewMap();
  Add(*map, SHAPE_BOX, 0, 0, 0);
  Add(*map, SHAPE_BOX, 40, 12, 0);  // a block whose bottom is 7 above the ball's centre
  Play(*map);
  struct Case {
    float y;
    int32_t below;
  };
  // The probe starts 5 above the ball's centre and reaches 15 below it; the block's top is at 5.
  for (const Case& c : {Case{5, 1000}, Case{9, 1000}, Case{19.5f, 1000}, Case{21, -1}}) {
    PlaceBall(0, c.y, 0);
    EXPECT_EQ(FindObjectBelowBall(), c.below) << c.y;
  }
  EXPECT_FALSE(FindObjectRecord(kGroundProbeObject)->visible);
  PlaceBall(40, 0, 0);
  EXPECT_FALSE(ProbeBlockCollision());
  PlaceBall(40, 2, 0);
  EXPECT_TRUE(ProbeBlockCollision());
  EXPECT_EQ(FindObjectRecord(kBallObject)->bounds.collisionOn, 1) << "the ball collides again afterwards";
}

}  // namespace
}  // namespace level_test
