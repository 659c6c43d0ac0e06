// The game's counters and clocks: countdowns, bonus lives, scores, cleared share and bounded texts.
#include <climits>
#include <string>

#include "game/play/play_loop_steps.h"
#include "tests/game/play/loop/loop_fixture.h"

namespace loop_test {
namespace {

using RulesTest = LoopTest;

TEST_F(RulesTest, LevelClocksStartFromTheMapInWholeSeconds) {
  MapHeader& header = CurrentMap().header;
  struct Case {
    int32_t gameTime, planningTime;
    int32_t gameMinutes, gameSeconds, planningMinutes, planningSeconds;
  } cases[] = {
      {90500, 60000, 1, 30, 1, 0},  // the part below a whole second is dropped
      {999, 0, 0, 0, 0, 0},
      {-61000, -5, 0, 0, 0, 0},  // a negative time is none left, not a clock below zero
      {INT32_MAX, 3599999, 35791, 23, 59, 59},
  };
  for (const Case& c : cases) {
    header.gameTime = c.gameTime;
    header.planningTime = c.planningTime;
    g_now += 7;
    StartLevelClocks();
    const GameVariables& game = Game();
    EXPECT_EQ(game.gameClock.minutes, c.gameMinutes) << c.gameTime;
    EXPECT_EQ(game.gameClock.seconds, c.gameSeconds) << c.gameTime;
    EXPECT_EQ(game.planningClock.minutes, c.planningMinutes) << c.planningTime;
    EXPECT_EQ(game.planningClock.seconds, c.planningSeconds) << c.planningTime;
    EXPECT_EQ(game.gameClock.lastTick, g_now);
  }
}

TEST_F(RulesTest, ClocksLoseOneSecondPerCallOnceMoreThan1000MsHavePassed) {
  CountdownClock& clock = Game().gameClock;
  clock = {1, 0, g_now};
  g_now += 1000;
  TickGameClock();
  EXPECT_EQ(clock.minutes * 60 + clock.seconds, 60) << "1000 ms is not more than 1000 ms";
  g_now += 1;
  TickGameClock();
  EXPECT_EQ(clock.minutes, 0);
  EXPECT_EQ(clock.seconds, 59);
  EXPECT_EQ(clock.lastTick, g_now);

  g_now += 5000;  // a long gap still takes one second only
  TickGameClock();
  EXPECT_EQ(clock.seconds, 58);
  TickGameClock();  // at once again: nothing
  EXPECT_EQ(clock.seconds, 58);
}

TEST_F(RulesTest, ClocksStopAtZero) {
  for (CountdownClock* clock : {&Game().gameClock, &Game().planningClock}) {
    *clock = {0, 1, g_now};
    for (int i = 0; i < 3; ++i) {
      g_now += 1001;
      TickGameClock();
      TickPlanningClock();
    }
    EXPECT_EQ(clock->minutes, 0);
    EXPECT_EQ(clock->seconds, 0);
    EXPECT_TRUE(ClockRunOut(*clock));
  }
}

TEST_F(RulesTest, PlanningClockTakesItsFirstSecondAtOnce) {
  // Only the game clock is stamped at level start; the planning clock ticks at its first call.
  CurrentMap().header.planningTime = 60000;
  StartLevelClocks();
  TickPlanningClock();
  EXPECT_EQ(Game().planningClock.minutes, 0);
  EXPECT_EQ(Game().planningClock.seconds, 59);
  TickPlanningClock();
  EXPECT_EQ(Game().planningClock.seconds, 59);
}

TEST_F(RulesTest, BonusLifeCounterPaysOneLifePerPassAbove5000) {
  struct Case {
    int32_t counter, lives;
    int32_t counterAfter, livesAfter;
  } cases[] = {
      {5000, 3, 5000, 3},       // not above
      {5001, 3, 1, 4},          // one life, 5000 off
      {12000, 3, 7000, 4},      // one life per pass
      {-250, 3, 0, 3},          // below 0 comes back to 0
      {INT32_MAX, INT32_MAX, INT32_MAX - 5000, INT32_MAX},  // no wrap
  };
  for (const Case& c : cases) {
    Game().bonusLifeCounter = c.counter;
    Game().lives = c.lives;
    ApplyBonusLifeRule();
    EXPECT_EQ(Game().bonusLifeCounter, c.counterAfter) << c.counter;
    EXPECT_EQ(Game().lives, c.livesAfter) << c.counter;
  }
  // Above 10000 after a bonus: a life on this pass and another on the next.
  Game().bonusLifeCounter = 10200;
  Game().lives = 1;
  ApplyBonusLifeRule();
  ApplyBonusLifeRule();
  ApplyBonusLifeRule();
  EXPECT_EQ(Game().lives, 3);
  EXPECT_EQ(Game().bonusLifeCounter, 200);
}

TEST_F(RulesTest, ScoreGainsFeedTheBonusCounterAndNeverWrap) {
  GameVariables& game = Game();
  game.score = 50;
  game.bonusLifeCounter = 30;
  AddScore(-100);
  EXPECT_EQ(game.score, 0);
  EXPECT_EQ(game.bonusLifeCounter, -70);
  AddScore(250);
  EXPECT_EQ(game.score, 250);
  EXPECT_EQ(game.bonusLifeCounter, 180);
  game.score = INT32_MAX - 10;
  game.bonusLifeCounter = INT32_MAX - 10;
  AddScore(1000);
  EXPECT_EQ(game.score, INT32_MAX);
  EXPECT_EQ(game.bonusLifeCounter, INT32_MAX);
  game.bonusLifeCounter = INT32_MIN + 5;
  AddScore(-100);
  EXPECT_EQ(game.bonusLifeCounter, INT32_MIN);
}

TEST_F(RulesTest, ClearedShareIsTruncatedAndFullWithoutPlasma) {
  struct Case {
    int32_t count, cleared, percentage;
  } cases[] = {{0, 0, 100}, {7, 3, 42}, {7, 7, 100}, {3, 0, 0}, {1, 2, 100}, {INT32_MAX, INT32_MAX - 1, 99}};
  for (const Case& c : cases) {
    Game().plasmaCount = c.count;
    Game().plasmaCleared = c.cleared;
    EXPECT_EQ(ClearedPercentage(), c.percentage) << c.cleared << " of " << c.count;
  }
}

TEST_F(RulesTest, LevelBonusCountsTimeLeftAndCompletion) {
  GameVariables& game = Game();
  game.score = 100;
  game.bonusLifeCounter = 4000;
  game.gameClock = {1, 30, 0};
  game.plasmaCount = 7;
  game.plasmaCleared = 3;
  EXPECT_EQ(AwardLevelBonus(), 90 * 2 + 42 * 10);
  EXPECT_EQ(game.score, 100 + 600);
  EXPECT_EQ(game.bonusLifeCounter, 4600);

  game.gameClock = {0, 0, 0};
  game.plasmaCount = 0;  // no plasma: the full completion bonus
  EXPECT_EQ(AwardLevelBonus(), 1000);
}

TEST_F(RulesTest, TextsAreCutToTheirFields) {
  const std::string longText(2000, 'x');
  ShowMessage(longText.c_str());
  EXPECT_EQ(std::strlen(Game().message), kMessageBufferSize - 1);
  EXPECT_EQ(Game().overlay, 1);
  EXPECT_FALSE(StoreGamePath(Game().mapPath, longText.c_str()));
  EXPECT_EQ(std::strlen(Game().mapPath), kGamePathSize - 1);
  EXPECT_TRUE(StoreGamePath(Game().mapPath, "\\Tutorial\\one.qel"));
  EXPECT_STREQ(Game().mapPath, "\\Tutorial\\one.qel");

  char text[8];
  FormatMinutesSeconds(text, sizeof text, 12345678);
  EXPECT_STREQ(text, "205761:");  // cut, never past the buffer
  FormatMinutesSeconds(text, sizeof text, 75);
  EXPECT_STREQ(text, "1:15");
  FormatMinutesSeconds(text, sizeof text, -5);
  EXPECT_STREQ(text, "0:00");
}

}  // namespace
}  // namespace loop_test
