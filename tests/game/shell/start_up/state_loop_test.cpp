// The state loop with stand-ins for the menu, play and editor loops, on the media the environment's
// start-up loaded and maps written into the scratch game folder.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "engine/core/core_state.h"
#include "engine/media2d/image.h"
#include "engine/media2d/sprite.h"
#include "engine/media2d/sprite_state.h"
#include "engine/objects/object_commands.h"
#include "game/play/level_builder.h"
#include "game/play/map_file.h"
#include "platform/window/window.h"
#include "tests/game/shell/start_up/start_up_fixture.h"

namespace start_up_test {
namespace {

class StateLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::current_path(StartUpEngine::Root());
    Game() = GameVariables{};
    g_script = {};
    SetGameLoops(&kStandIns);
  }
  void TearDown() override {
    SetGameLoops(nullptr);
    ClearLevel();
  }
  static void WriteMap(const char* name) {
    auto map = std::make_unique<MapTables>();
    ResetMapTables(*map);
    std::strcpy(map->header.texture, "TexPlain.jpg");
    std::strcpy(map->header.nextMap, "null");
    MapRecord& block = map->records[map->header.recordCount++];
    block.shape = 1;
    fs::create_directories("Maps");
    ASSERT_TRUE(WriteMapFile((std::string("Maps\\") + name).c_str(), *map));
  }
  static void Start(uint32_t state, const char* mapPath = "") {
    Game().state = state;
    StoreGamePath(Game().mapPath, mapPath);
  }
};

TEST_F(StateLoopTest, MenuThenAMapThenTheMenuAgainThenQuit) {
  WriteMap("first.qel");
  SetSprite(923, 0, 0, 920);  // the loading screen's sprite, as start-up could leave it
  g_script.nextStates = {kStatePlayMap, kStateMenu, kStateQuit};
  Start(kStateMenu, "first.qel");
  RunStateLoop();
  EXPECT_EQ(CallOrder(), "mpm");
  EXPECT_EQ(Game().state, uint32_t(kStateQuit));
  ASSERT_EQ(g_script.calls.size(), 3u);
  EXPECT_TRUE(g_script.calls[0].menuSceneShown && g_script.calls[2].menuSceneShown) << "the menu runs in its scene";
  EXPECT_FALSE(g_script.calls[1].menuSceneShown) << "and play without it";
  EXPECT_EQ(CurrentMap().header.recordCount, 1) << "play began on the loaded map";
  EXPECT_EQ(FindSprite(923), nullptr);
  for (int32_t object = 2; object <= 24; ++object) {
    EXPECT_FALSE(Visible(object)) << object;
    EXPECT_EQ(GetObjectY(object), -9000.0f) << object;
  }
}

TEST_F(StateLoopTest, AMapThatCannotBeLoadedIsReportedWithItsReasonAndTheMenuFollows) {
  WriteFile("Maps/Damaged.qel", "not a map");
  auto climbing = std::make_unique<MapTables>();
  ResetMapTables(*climbing);
  std::strcpy(climbing->header.music, "..\\..\\..\\dev\\urandom");
  ASSERT_TRUE(WriteMapFile("Maps\\Climbing.qel", *climbing));
  const struct {
    const char* path;
    const char* reason;
  } cases[] = {
      {"Missing.qel", "the file does not exist"},
      {"", "the file does not exist"},
      {"Damaged.qel", "the file ends too early"},
      {"Climbing.qel", "a texture, music or next map name leaves its folder"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    g_script = {};
    Start(kStatePlayMap, c.path);
    testing::internal::CaptureStderr();
    RunStateLoop();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(CallOrder(), "m") << "no play without a map";
    EXPECT_NE(said.find("Parameter 2 [" + std::string(c.path) + "] was an invalid map, command failed.\n"
                        "The map was refused: " + c.reason + "."),
              std::string::npos) << said;
  }
}

TEST_F(StateLoopTest, TheEditorRunsWithoutTheVisualiserBox) {
  ShowObject(kVisualiserBox);
  g_script.nextStates = {kStateMenu, kStateQuit};
  Start(kStateEditor);
  RunStateLoop();
  EXPECT_EQ(CallOrder(), "em");
  EXPECT_FALSE(g_script.calls[0].visualiserBoxShown);
}

// A loop that ends because the window closed leaves its state as it was; the state loop must not run
// it again and again.
TEST_F(StateLoopTest, AClosedWindowEndsTheLoopWhateverStateWasLeft) {
  const GameLoops closing = {[] {
                               StandIn('m');
                               Game().state = kStateMenu;
                               Core().quitRequest = 1;
                               return int32_t(-1);
                             },
                             kStandIns.playLevel, kStandIns.mapEditor};
  SetGameLoops(&closing);
  Start(kStateMenu);
  RunStateLoop();
  EXPECT_EQ(CallOrder(), "m");
  EXPECT_EQ(Game().state, uint32_t(kStateQuit));

  // A state no loop knows runs nothing until the window closes.
  Core().quitRequest = 1;
  Start(7);
  RunStateLoop();
  EXPECT_EQ(CallOrder(), "m");
  EXPECT_EQ(Game().state, uint32_t(kStateQuit));

  Core().quitRequest = 0;
  platform::window::ClearMessageQueue();
}

}  // namespace
}  // namespace start_up_test
