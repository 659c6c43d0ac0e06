// Death and respawn: the explosion's length, the respawn place and state, the cost, and "Game Over".
#include "game/play/death.h"
#include "game/play/play_loop_steps.h"
#include "tests/game/play/loop/loop_fixture.h"

namespace loop_test {
namespace {

using DeathTest = LoopTest;

TEST_F(DeathTest, RespawnsAboveTheRespawnPointAtRestForALifeAnd100Points) {
  LoadSmallMap();
  BeginLevel();
  GameVariables& game = Game();
  game.lives = 3;
  game.score = 50;
  game.bonusLifeCounter = 30;
  game.emergencyBrakes = 0;
  game.forwardSpeed = 0.9f;
  game.backwardSpeed = 0.2f;
  game.respawn[0] = 40, game.respawn[1] = 10, game.respawn[2] = -20, game.respawn[3] = 270;
  PositionObject(kBallObject, 5, 6, 7);
  bool ballShownDuring = false, flashShown = false;
  g_onFrame = [&] {
    ballShownDuring |= Visible(kBallObject);
    flashShown |= Visible(6000) && Visible(3001);
  };
  const uint32_t start = g_now;
  KillPlayer();
  EXPECT_GE(g_now - start, 3000u);
  EXPECT_LT(g_now - start, 3000u + 2 * g_frameStep);
  EXPECT_FALSE(ballShownDuring);
  EXPECT_TRUE(flashShown);
  EXPECT_FALSE(Visible(6000));
  EXPECT_FALSE(Visible(3001));
  EXPECT_FLOAT_EQ(GetObjectY(6000), -14000.0f);

  EXPECT_TRUE(Visible(kBallObject));
  EXPECT_FLOAT_EQ(GetObjectX(kBallObject), 40.0f);
  EXPECT_FLOAT_EQ(GetObjectY(kBallObject), 25.0f);
  EXPECT_FLOAT_EQ(GetObjectZ(kBallObject), -20.0f);
  EXPECT_FLOAT_EQ(GetObjectYAngle(kBallObject), 270.0f);
  EXPECT_EQ(game.lives, 2);
  EXPECT_EQ(game.score, 0) << "the score stops at 0";
  EXPECT_EQ(game.bonusLifeCounter, -70);
  EXPECT_EQ(game.emergencyBrakes, 2);
  EXPECT_EQ(game.forwardSpeed + game.backwardSpeed, 0.0f);
  EXPECT_FLOAT_EQ(game.fallSpeed, 0.001f);
  EXPECT_EQ(game.returnToMenu, 0);
}

TEST_F(DeathTest, LastLifeShowsGameOverUntilAFreshKeyThenGoesToTheMenu) {
  LoadSmallMap();
  BeginLevel();
  StartPlay();
  GameVariables& game = Game();
  game.lives = 0;
  g_scanCode = 30;  // held through the explosion and into "Game Over"
  int32_t gameOverFrames = 0, releasedAt = 0;
  const uint32_t start = g_now;
  g_onFrame = [&] {
    if (g_now - start < 3100) return;
    ++gameOverFrames;
    if (gameOverFrames == 10) g_scanCode = 0, releasedAt = g_frames;
    if (gameOverFrames == 15) g_scanCode = 30;
  };
  KillPlayer();
  EXPECT_EQ(game.lives, -1);
  EXPECT_GE(gameOverFrames, 15) << "the held key did not close \"Game Over\"";
  EXPECT_GT(releasedAt, 0);
  EXPECT_EQ(game.returnToMenu, 1);

  // Play takes the request at its next step.
  g_onFrame = nullptr;
  g_scanCode = 0;
  game.stepTime = g_now - 10;
  EXPECT_EQ(RunPlayPass(), PlayPass::kMenu);
  EXPECT_EQ(game.state, kStateMenu);
}

}  // namespace
}  // namespace loop_test
