// The first tutorial level of the game's own media played whole: start-up media as the game loads
// them, the intro, a driver steering the ball by its commands to each paint pot and back to the goal
// pad, the text triggers closed with Return, the level-complete panel, and the step to the next map.
// With QEL_SCREENSHOTS set to a folder, frames of the run are saved there as PNG pictures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "engine/core/core.h"
#include "engine/core/core_data.h"
#include "engine/core/core_state.h"
#include "engine/core/core_table.h"
#include "engine/display/display.h"
#include "engine/media2d/image.h"
#include "engine/objects/object_commands.h"
#include "engine/scene/camera.h"
#include "engine/system/system_module.h"
#include "game/play/ball.h"
#include "game/play/game_font.h"
#include "game/play/game_state.h"
#include "game/play/level_builder.h"
#include "game/play/play_loop.h"
#include "game/play/play_loop_input.h"
#include "game/play/play_loop_steps.h"
#include "game/shell/control_bindings.h"
#include "game/shell/start_up.h"
#include "tests/game/play/level/level_engine.h"
#include "tests/game/play/loop/loop_devices.h"

namespace loop_test {
namespace {

namespace fs = std::filesystem;

// The game's media folder: $QEL_ASSETS, else assets/ in the source tree.
fs::path AssetFolder() {
  for (const char* variable : {"QEL_ASSETS", "QEL_SOURCE_DIR"}) {
    const char* value = std::getenv(variable);
    if (!value || !*value) continue;
    fs::path folder = std::string(variable) == "QEL_ASSETS" ? fs::path(value) : fs::path(value) / "assets";
    if (fs::exists(folder / "Maps" / "Tutorial" / "tutor00.qel")) return folder;
  }
  return {};
}

using level_test::SaveScreenshot;

class RealLevelTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const fs::path assets = AssetFolder();
    if (assets.empty()) return;
    std::string pattern = (fs::temp_directory_path() / "qel-real-level-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    previous_ = fs::current_path();
    // A copy: the game writes nothing here, but the media folder stays untouched whatever happens.
    fs::copy(assets, root_, fs::copy_options::recursive);
    fs::current_path(root_);
    ASSERT_TRUE(StartLoopEngine());
    TurnOffEscapeQuit();
    LoadStartUpMedia();
    EXPECT_EQ(ReportMissingMedia(), 0);
    started_ = true;
  }
  static void TearDownTestSuite() {
    if (!started_) return;
    ClearLevel();
    ShutdownGame();
    StopLoopEngine();
    fs::current_path(previous_);
    fs::remove_all(root_);
  }

  void SetUp() override {
    if (!started_) GTEST_SKIP() << "no game media: set QEL_ASSETS to the media folder";
    UseTestDevices();
    SetDefaultControls();
  }
  void TearDown() override { UseEngineDevices(); }

  static inline bool started_ = false;
  static inline fs::path root_, previous_;
};

// One stretch of the route: drive towards (x, z) until `done`.
struct Leg {
  const char* name;
  float x, z;
  std::function<bool()> done;
};

// Steers by the game's commands: turn towards the target, brake while facing far off it, otherwise
// accelerate up to a moderate speed.
void SteerTowards(float x, float z) {
  const GameVariables& game = Game();
  const float dx = x - GetObjectX(kBallObject), dz = z - GetObjectZ(kBallObject);
  const float heading = std::atan2(dx, dz) * 180.0f / float(M_PI);
  float turn = std::fmod(heading - GetObjectYAngle(kBallObject) + 540.0f, 360.0f) - 180.0f;
  g_commandsDown.clear();
  if (turn > 3.0f) g_commandsDown.insert(kTurnRight);
  if (turn < -3.0f) g_commandsDown.insert(kTurnLeft);
  if (std::fabs(turn) > 25.0f) {
    if (game.forwardSpeed > 0.05f) g_commandsDown.insert(kBreak);
  } else if (game.forwardSpeed < 0.6f) {
    g_commandsDown.insert(kAccelerate);
  }
}

TEST_F(RealLevelTest, FirstTutorialLevelIsPlayedFromItsIntroToTheGoalPad) {
  GameVariables& game = Game();
  game = GameVariables{};
  game.score = 0;
  game.lives = 5;
  StoreGamePath(game.classFolder, "\\Tutorial\\");
  StoreGamePath(game.mapPath, "\\Tutorial\\tutor00.qel");
  game.classStartTime = g_now;
  MapFileError error = MapFileError::kNone;
  ASSERT_TRUE(LoadMap(game.mapPath, &error)) << MapFileErrorText(error);
  ASSERT_EQ(game.plasmaCount, 0);

  const int32_t* carried = game.carriedPaint;
  const int32_t* colour = game.playerColour;
  const std::vector<Leg> route = {
      {"green pot", 10, 140, [&] { return carried[1] > 0; }},
      {"pad with green", 10, 10, [&] { return colour[1] > 0; }},
      {"red pot", -160, 10, [&] { return carried[0] > 0; }},
      {"pad with red", 10, 10, [&] { return colour[0] > 0; }},
      {"blue pot", 180, 10, [&] { return carried[2] > 0; }},
      {"pad with blue", 10, 10, [&] { return colour[2] > 0; }},
  };
  size_t leg = 0;
  int32_t messages = 0, playFrames = 0;
  bool complete = false, shotIntro = false;
  std::string failure;
  g_onFrame = [&] {
    if (g_frames > 30000) {
      failure = "the route was not finished; at leg " + std::to_string(leg);
      Core().quitRequest = 1;
      return;
    }
    if (game.playStartTime < game.levelStartTime) {  // the intro
      if (g_now - game.levelStartTime > 2500 && !shotIntro) SaveScreenshot("intro"), shotIntro = true;
      g_scanCode = g_now - game.levelStartTime > 3000 ? 30 : 0;
      return;
    }
    g_scanCode = 0;
    if (complete) {
      // The level-complete panel: a key once its 5000 ms have passed.
      g_commandsDown.clear();
      g_scanCode = 30;
      return;
    }
    if (game.overlay) {  // a text trigger's message
      if (!g_return) ++messages;
      g_return = true;
      g_commandsDown.clear();
      return;
    }
    g_return = false;
    if (++playFrames == 200) SaveScreenshot("play");
    while (leg < route.size() && route[leg].done()) ++leg;
    if (leg == route.size()) {
      complete = true;
      SaveScreenshot("complete");
      return;
    }
    SteerTowards(route[leg].x, route[leg].z);
  };

  const int32_t result = PlayLevel();
  ASSERT_EQ(failure, "");
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(complete);
  EXPECT_EQ(game.state, kStatePlayMap);
  EXPECT_STREQ(game.mapPath, "\\Tutorial\\tutor01.qel");
  EXPECT_EQ(game.lives, 5) << "the driver never lost the ball";
  EXPECT_GE(messages, 3) << "the text triggers along the route";
  // The time left x 2 and the full completion bonus (no plasma in this level).
  EXPECT_GT(game.score, 1000);
  EXPECT_EQ(game.playerColour[0] + game.playerColour[1] + game.playerColour[2], 0);

  // The next map of the class loads.
  ASSERT_TRUE(LoadMap(game.mapPath, &error)) << MapFileErrorText(error);
  EXPECT_GT(CurrentMapCounts().blocksBuilt, 0);
  ClearLevel();
}

TEST_F(RealLevelTest, BallLostOffTheLevelComesBackAtTheStartAndStandsOnTheFloor) {
  GameVariables& game = Game();
  game = GameVariables{};
  MapFileError error = MapFileError::kNone;
  ASSERT_TRUE(LoadMap("\\Tutorial\\tutor00.qel", &error)) << MapFileErrorText(error);
  const float startX = game.respawn[0], startY = game.respawn[1], startZ = game.respawn[2];
  BeginLevel();
  StartPlay();
  PositionObject(kBallObject, startX + 600.0f, startY, startZ);  // beyond the level's edge
  for (int i = 0; i < 1000 && game.lives == 5; ++i) ASSERT_EQ(RunPlayPass(), PlayPass::kContinue);
  ASSERT_EQ(game.lives, 4);
  EXPECT_NEAR(GetObjectX(kBallObject), startX, 0.5f);
  EXPECT_NEAR(GetObjectZ(kBallObject), startZ, 0.5f);
  // It settles on the start block's top (5 below the start height) and stays there.
  for (int i = 0; i < 120; ++i) ASSERT_EQ(RunPlayPass(), PlayPass::kContinue);
  EXPECT_EQ(game.noGround, 0);
  EXPECT_NEAR(GetObjectY(kBallObject), startY - 5.0f, 0.1f);
  EXPECT_EQ(game.lives, 4);
  ClearLevel();
}

}  // namespace
}  // namespace loop_test
