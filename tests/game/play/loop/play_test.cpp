// The play loop driven a frame at a time and whole: the intro, pause, the two questions, time up, the
// death countdown, Escape, and the ends of a level (next map, class end).
#include <functional>
#include <set>
#include <string>

#include "game/play/ball.h"
#include "game/play/play_loop.h"
#include "game/play/play_loop_steps.h"
#include "platform/input/key_codes.h"
#include "tests/game/play/loop/loop_fixture.h"

namespace loop_test {
namespace {

constexpr int32_t kRScanCode = 19, kYScanCode = 21, kNScanCode = 49;

class PlayTest : public LoopTest {
 protected:
  // Level start and play begun, as PlayLevel does after the intro.
  static void StartSmallLevel() {
    LoadSmallMap();
    BeginLevel();
    StartPlay();
  }
};

TEST_F(PlayTest, IntroEndsOnlyOnAKeyDownMoreThan2000MsAfterTheLevelStart) {
  LoadSmallMap();
  BeginLevel();
  const int32_t startX = GetDisplayWidth() + 20;
  EXPECT_EQ(Intro().x[0], startX);
  g_scanCode = 30;  // pressed from the first frame and held
  int32_t frames = 0;
  while (!RunIntroFrame()) {
    ASSERT_LT(++frames, 1000);
    EXPECT_LE(g_now - Game().levelStartTime, 2000u + g_frameStep) << "the panel may not end before 2000 ms";
    if (g_now - Game().levelStartTime < 2000) {
      EXPECT_EQ(Intro().x[1], startX) << "the comment waits 2000 ms";
    }
  }
  EXPECT_GT(g_now - Game().levelStartTime, 2000u);
  EXPECT_EQ(Intro().x[0], 20) << "the map name has slid in and stops at 20";
  EXPECT_LT(Intro().x[1], startX);
  EXPECT_EQ(Intro().x[3], startX) << "the prompt waits 6000 ms";

  // Nothing down: the panel goes on, however long.
  g_scanCode = 0;
  g_now += 10000;
  EXPECT_FALSE(RunIntroFrame());
}

// Keys and joystick buttons held, read alike by the commands and by play's own queries (the lowest key
// down, Escape, Return).
struct HeldInput {
  std::set<int32_t> keys, buttons;
};
HeldInput g_held;
const ControlInput kHeldControls{[](int32_t key) -> int32_t { return int32_t(g_held.keys.count(key)); },
                                 [](int32_t button) -> int32_t { return int32_t(g_held.buttons.count(button)); },
                                 game_test::NoDirection, game_test::NoDirection, game_test::NoDirection,
                                 game_test::NoDirection, game_test::NoAxis, game_test::NoAxis};
const PlayInput kHeldPlay{[] { return g_held.keys.empty() ? 0 : *g_held.keys.begin(); },
                          [] { return uint32_t(g_held.keys.count(1)); }, [] { return uint32_t(g_held.keys.count(28)); },
                          [] { return 0; }, [] { return 0; }, [] { return 0u; }};

// The key or button that ends the intro, a question or a message is still down when play reads again:
// it acts there only once let go and pressed again (Space and joystick button 1 are the emergency
// brake, Escape leaves the program).
TEST_F(PlayTest, WhatEndsAPanelActsInPlayOnlyOncePressedAgain) {
  namespace in = platform::input;
  constexpr int32_t kSpace = in::KEY_SPACE, kEscape = in::KEY_ESCAPE;
  const auto endIntro = [] {
    LoadSmallMap();
    BeginLevel();
    for (int frame = 0; !RunIntroFrame(); ++frame) ASSERT_LT(frame, 1000);
    StartPlay();
  };
  const auto cancelQuestion = [] {
    StartSmallLevel();
    g_held.keys = {in::KEY_R};
    int32_t asked = -1;
    g_onFrame = [&asked] {
      if (Game().overlay && asked < 0) asked = g_frames;
      if (asked >= 0 && g_frames - asked == 3) g_held.keys.clear();
      if (asked >= 0 && g_frames - asked == 6) g_held.keys = {in::KEY_SPACE};
    };
    Game().stepTime = g_now - 10;
    ASSERT_EQ(RunPlayPass(), PlayPass::kContinue);
    g_onFrame = nullptr;
    ASSERT_GE(asked, 0);
    ASSERT_EQ(Game().overlay, 0) << "Space cancelled the question";
  };
  const auto closeMessage = [] {
    StartSmallLevel();
    ShowMessage("A text trigger's words");
    RunPlayPass();
    ASSERT_EQ(Game().overlay, 0) << "the joystick button closed the message";
  };
  struct Case {
    const char* what;
    std::function<void()> end;
    HeldInput held;
  } cases[] = {
      {"the intro ended by Space", endIntro, {{kSpace}, {}}},
      {"the intro ended by Escape", endIntro, {{kEscape}, {}}},
      {"the restart question cancelled by Space", cancelQuestion, {{kSpace}, {}}},
      {"a message closed by joystick button 1", closeMessage, {{}, {1}}},
  };
  SetControlInput(&kHeldControls);
  SetPlayInput(&kHeldPlay);
  const auto acted = [] { return Game().emergencyBrakes < 2 || Game().state == kStateQuit; };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Game() = GameVariables{};
    g_held = c.held;
    c.end();
    g_held = c.held;
    for (int pass = 0; pass < 10; ++pass) RunPlayPass();
    EXPECT_FALSE(acted()) << "held on from the panel";

    // Space held over while another key is pressed: that one acts at once.
    g_held.keys.insert(in::KEY_PAUSE);
    RunPlayPass();
    EXPECT_EQ(Game().paused, 1) << "Pause pressed after the panel";
    g_held.keys.erase(in::KEY_PAUSE);
    RunPlayPass();
    g_held.keys.insert(in::KEY_PAUSE);
    RunPlayPass();
    g_held = {};
    RunPlayPass();
    ASSERT_EQ(Game().paused, 0);

    g_held = c.held;
    for (int pass = 0; pass < 3 && !acted(); ++pass) RunPlayPass();
    EXPECT_TRUE(acted()) << "pressed again";
  }
}

TEST_F(PlayTest, LevelStartResetsTheLevelState) {
  GameVariables& game = Game();
  game.playerColour[0] = 200;
  game.carriedPaint[2] = 50;
  game.forwardSpeed = 0.7f;
  game.emergencyBrakes = 0;
  game.restartConfirmed = game.returnToMenu = game.timeUpRestart = game.timeUpGameOver = 1;
  game.plasmaCleared = 4;
  LoadSmallMap();
  CurrentMap().header.gravity = 0.25f;
  BeginLevel();
  EXPECT_EQ(game.playerColour[0], 0);
  EXPECT_EQ(game.carriedPaint[2], 0);
  EXPECT_EQ(game.forwardSpeed, 0.0f);
  EXPECT_EQ(game.emergencyBrakes, 2);
  EXPECT_EQ(game.restartConfirmed + game.returnToMenu + game.timeUpRestart + game.timeUpGameOver, 0);
  EXPECT_EQ(game.plasmaCleared, 0);
  EXPECT_FLOAT_EQ(game.fallSpeed, 0.1f);
  EXPECT_FLOAT_EQ(game.gravityStep, 0.25f);
  EXPECT_EQ(game.levelStartTime, g_now);
  EXPECT_EQ(game.gameClock.minutes * 60 + game.gameClock.seconds, 90);
  for (int32_t line = 500; line <= 507; ++line) {
    EXPECT_TRUE(ObjectExists(line)) << "the editor's cursor line " << line;
    EXPECT_FALSE(Visible(line));
  }
}

TEST_F(PlayTest, PauseTogglesOncePerPressAndFreezesTheClockAndSteps) {
  StartSmallLevel();
  GameVariables& game = Game();
  g_commandsDown = {kPause};
  ASSERT_EQ(RunPlayPass(), PlayPass::kContinue);
  EXPECT_EQ(game.paused, 1);
  const CountdownClock clock = game.gameClock;
  const uint32_t stepTime = game.stepTime;
  for (int i = 0; i < 200; ++i) ASSERT_EQ(RunPlayPass(), PlayPass::kContinue);  // held: no toggling
  EXPECT_EQ(game.paused, 1);
  EXPECT_EQ(game.gameClock.seconds, clock.seconds) << "the clock does not tick while paused";
  EXPECT_EQ(game.gameClock.minutes, clock.minutes);
  EXPECT_EQ(game.stepTime, stepTime) << "no simulation step while paused";

  g_commandsDown.clear();
  RunPlayPass();
  EXPECT_EQ(game.paused, 1);
  g_commandsDown = {kPause};
  RunPlayPass();
  EXPECT_EQ(game.paused, 0);
  RunPlayPass();
  EXPECT_EQ(game.paused, 0) << "still held: no second toggle";
}

TEST_F(PlayTest, RestartAsksAndYCostsALife) {
  StartSmallLevel();
  GameVariables& game = Game();
  game.lives = 3;
  game.stepTime = g_now - 10;
  // R opens the question; it counts only after R was released, and then N cancels.
  g_commandsDown = {kRestartLevel};
  g_scanCode = kRScanCode;
  int32_t asked = -1;
  g_onFrame = [&] {
    if (game.overlay && asked < 0) asked = g_frames;
    if (asked < 0) return;
    const int32_t since = g_frames - asked;
    if (since == 5) g_commandsDown.clear(), g_scanCode = 0;
    if (since == 8) g_scanCode = kNScanCode;
  };
  EXPECT_EQ(RunPlayPass(), PlayPass::kContinue);
  EXPECT_STREQ(game.message,
               "Are you sure you wish to restart the level?#It will cost 1 life.# #Press Y to restart, any key to cancel");
  EXPECT_GE(g_frames - asked, 8) << "the held R did not answer the question";
  EXPECT_EQ(game.overlay, 0);
  EXPECT_EQ(game.restartConfirmed, 0);
  EXPECT_EQ(game.lives, 3);

  // Asked again, Y confirms at the step.
  g_scanCode = 0;
  g_onFrame = [&] { g_scanCode = kYScanCode; };
  g_commandsDown = {kRestartLevel};
  game.stepTime = g_now - 10;
  EXPECT_EQ(RunPlayPass(), PlayPass::kRestart);
  EXPECT_EQ(game.lives, 2);
  EXPECT_EQ(game.state, kStatePlayMap);
}

TEST_F(PlayTest, RestartWithoutLivesIsRefused) {
  StartSmallLevel();
  GameVariables& game = Game();
  game.lives = 0;
  g_commandsDown = {kRestartLevel};
  game.stepTime = g_now - 10;
  EXPECT_EQ(RunPlayPass(), PlayPass::kContinue);
  EXPECT_STREQ(game.message, "You do not have enough lives to restart this level.");
  EXPECT_EQ(game.overlay, 1);
  EXPECT_EQ(game.lives, 0);
}

TEST_F(PlayTest, MenuQuestionYesClearsTheLevel) {
  StartSmallLevel();
  GameVariables& game = Game();
  game.playerColour[1] = 90;
  g_commandsDown = {kMenuScreen};
  g_onFrame = [&] {
    g_commandsDown.clear();
    g_scanCode = g_scanCode == 0 && g_frames > 3 ? kYScanCode : 0;
  };
  game.stepTime = g_now - 10;
  EXPECT_EQ(RunPlayPass(), PlayPass::kMenu);
  EXPECT_EQ(game.state, kStateMenu);
  EXPECT_EQ(game.returnToMenu, 1);
  EXPECT_EQ(game.playerColour[1], 0);
  EXPECT_EQ(CurrentMapCounts().blocksBuilt, 0);
  EXPECT_FALSE(Visible(kBallObject));
}

TEST_F(PlayTest, TimeUpWaitsForTheOverlayThenRestartsOrEndsTheGame) {
  struct Case {
    int32_t lives;
    const char* message;
    PlayPass ending;
    int32_t livesAfter;
  } cases[] = {
      {2, "Time up!#You will loose one life and the level will be reset.", PlayPass::kRestart, 1},
      {0, "Time up!#Not enough lifes to restart, game over.", PlayPass::kMenu, 0},
  };
  for (const Case& c : cases) {
    StartSmallLevel();
    GameVariables& game = Game();
    game.lives = c.lives;
    game.gameClock = {0, 1, g_now};
    PlayPass pass = PlayPass::kContinue;
    for (int i = 0; i < 100 && !game.overlay; ++i) pass = RunPlayPass();
    ASSERT_EQ(pass, PlayPass::kContinue);
    ASSERT_EQ(game.overlay, 1) << c.lives;
    EXPECT_STREQ(game.message, c.message);

    // The overlay holds everything until Return closes it.
    const uint32_t stepTime = game.stepTime;
    for (int i = 0; i < 20; ++i) ASSERT_EQ(RunPlayPass(), PlayPass::kContinue);
    EXPECT_EQ(game.stepTime, stepTime);
    g_return = true;
    RunPlayPass();
    g_return = false;
    EXPECT_EQ(game.overlay, 0);
    for (int i = 0; i < 5 && pass == PlayPass::kContinue; ++i) pass = RunPlayPass();
    EXPECT_EQ(pass, c.ending) << c.lives;
    EXPECT_EQ(game.lives, c.livesAfter);
  }
}

TEST_F(PlayTest, NothingBelowTheBallFor5SecondsCostsALife) {
  StartSmallLevel();
  GameVariables& game = Game();
  game.lives = 3;
  game.score = 500;
  game.respawn[0] = 0, game.respawn[1] = 5, game.respawn[2] = 0, game.respawn[3] = 90;
  PositionObject(kBallObject, 500.0f, 0.0f, 500.0f);  // far off the map: it falls
  const uint32_t start = g_now;
  for (int i = 0; i < 1000 && game.lives == 3; ++i) RunPlayPass();
  ASSERT_EQ(game.lives, 2);
  EXPECT_GT(g_now - start, 5000u);
  EXPECT_LT(g_now - start, 5000u + 3000u + 200u) << "5000 ms of falling and the 3000 ms explosion";
  EXPECT_EQ(game.score, 400);
  EXPECT_EQ(game.noGround, 0);
  EXPECT_TRUE(Visible(kBallObject));
}

TEST_F(PlayTest, EscapeLeavesTheProgramAtOnce) {
  LoadSmallMap();
  g_onFrame = [] {
    if (g_frames == 5) g_scanCode = 30;  // ends the intro once 2000 ms have passed
    if (g_frames == 200) g_escape = true;
  };
  EXPECT_EQ(PlayLevel(), 2);
  EXPECT_EQ(Game().state, kStateQuit);
  EXPECT_LT(g_frames, 210);
}

TEST_F(PlayTest, CompletedLevelGoesToTheNextMapOfTheClass) {
  LoadSmallMap("second");
  GameVariables& game = Game();
  std::strcpy(game.classFolder, "\\Tutorial\\");
  game.score = 10;
  game.plasmaCount = 0;
  g_frameStep = 50;
  g_onFrame = [&] {
    g_scanCode = g_frames > 60 && g_frames < 70 ? 30 : 0;  // begins play
    if (g_frames == 100)
      for (int32_t& c : game.playerColour) c = 255;
    if (g_frames > 300) g_scanCode = 30;  // ends the panel once its 5000 ms are over
  };
  EXPECT_EQ(PlayLevel(), 1);
  EXPECT_EQ(game.state, kStatePlayMap);
  EXPECT_STREQ(game.mapPath, "\\Tutorial\\second.qel");
  EXPECT_EQ(game.playerColour[0], 0);
  EXPECT_EQ(CurrentMapCounts().blocksBuilt, 0) << "the level is cleared for the next map";
  // 90 s on the clock less what play used, x 2, and the full completion bonus.
  EXPECT_GT(game.score, 10 + 1000 + 2 * 80);
  EXPECT_LE(game.score, 10 + 1000 + 2 * 90);
}

TEST_F(PlayTest, LastMapOfTheClassShowsTheClassEndAndGoesToTheMenu) {
  for (const char* last : {"null", "Null"}) {
    LoadSmallMap(last);
    GameVariables& game = Game();
    game.score = 0;
    game.lives = 3;
    game.classStartTime = g_now;
    g_frameStep = 50;
    int32_t panels = 0;
    g_onFrame = [&] {
      g_scanCode = g_frames > 60 && g_frames < 70 ? 30 : 0;
      if (g_frames == 100) for (int32_t& c : game.playerColour) c = 255;
      if (game.classEnded && panels == 0) panels = g_frames;  // the class-end panel is up
      if (g_frames > 250) g_scanCode = 30;
    };
    EXPECT_EQ(PlayLevel(), 1) << last;
    EXPECT_GT(panels, 0) << last;
    EXPECT_EQ(game.state, kStateMenu);
    EXPECT_EQ(game.classEnded, 0);
    EXPECT_GE(game.score, 3 * 2000 + 1000) << "lives x 2000 and the level bonus";
    EXPECT_FALSE(Visible(kBallObject));
    EXPECT_EQ(CurrentMapCounts().blocksBuilt, 0);
    g_frames = 0;
  }
}

}  // namespace
}  // namespace loop_test
