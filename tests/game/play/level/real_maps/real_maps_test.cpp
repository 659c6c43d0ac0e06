// Every map of the game's own media, built for play after the media start-up loads and then run by
// the simulation steps of the play loop with no key held: the objects match the records, the ball
// stands at its start, and nothing the engine is asked to do is refused. With QEL_SCREENSHOTS set to a
// folder, each map's last frame is saved there.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "engine/core/core.h"
#include "engine/core/core_state.h"
#include "engine/core/core_table.h"
#include "engine/display/display.h"
#include "engine/media2d/image.h"
#include "engine/objects/object_commands.h"
#include "engine/objects/object_table.h"
#include "engine/objects/records.h"
#include "engine/scene/camera.h"
#include "game/play/ball.h"
#include "game/play/entities.h"
#include "game/play/game_state.h"
#include "game/play/level_builder.h"
#include "game/shell/control_bindings.h"
#include "game/shell/start_up.h"
#include "tests/game/play/level/level_engine.h"
#include "tests/game/play/media/media_files.h"
#include "platform/gfx/device.h"

namespace {

namespace fs = std::filesystem;

fs::path AssetFolder() {
  if (const char* value = std::getenv("QEL_ASSETS"); value && *value && fs::exists(fs::path(value) / "Maps"))
    return value;
  if (const char* value = std::getenv("QEL_SOURCE_DIR"); value && *value && fs::exists(fs::path(value) / "assets/Maps"))
    return fs::path(value) / "assets";
  return {};
}

uint32_t g_now = 100000;
uint32_t TestClock() { return g_now; }

class RealMapsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const fs::path assets = AssetFolder();
    if (assets.empty()) return;
    std::string pattern = (fs::temp_directory_path() / "qel-real-maps-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    previous_ = fs::current_path();
    fs::copy(assets, root_, fs::copy_options::recursive);  // the media folder stays untouched
    fs::current_path(root_);
    ASSERT_EQ(InitEngine(), 0) << StartUpFailureReason();
    StoreGameFolder();
    EnableManualSync();
    SetImageColorKey(255, 0, 255);
    DisableAutoCamera();
    LoadStartUpMedia();
    ASSERT_EQ(ReportMissingMedia(), 0);
    for (const auto& entry : fs::recursive_directory_iterator("Maps"))
      if (entry.path().extension() == ".qel")
        maps_.push_back("\\" + fs::relative(entry.path(), "Maps").generic_string());
    started_ = true;
  }
  static void TearDownTestSuite() {
    if (root_.empty()) return;
    ClearLevel();
    ShutdownGame();
    game_media_test::StopEngine();
    fs::current_path(previous_);
    fs::remove_all(root_);
  }
  void SetUp() override {
    if (!started_) GTEST_SKIP() << "no game media: set QEL_ASSETS to the media folder";
    SetGameTimerSource(TestClock);
    SetDefaultControls();
    Core().hostErrorWord = 0;
  }
  void TearDown() override { SetGameTimerSource(nullptr); }

  static inline bool started_ = false;
  static inline fs::path root_, previous_;
  static inline std::vector<std::string> maps_;
};

// What the records ask for, counted from the table as read.
struct Expected {
  int32_t blocks = 0, entities = 0, plasma = 0, goalPads = 0, playerStarts = 0;
};
Expected Count(const MapTables& map) {
  Expected e;
  for (int32_t i = 0; i < map.header.recordCount; ++i) {
    const MapRecord& r = map.records[i];
    if (r.shape >= 0 && r.shape <= SHAPE_LAST && r.shape != SHAPE_EMPTY) ++e.blocks;
    if (r.shape == SHAPE_GOAL_PAD) ++e.goalPads;
    if (r.entityType == E_PLASMA) ++e.plasma;
    if (r.entityType == E_PLAYERSTART) ++e.playerStarts;
    if (r.entityType >= E_DOOR && r.entityType <= E_BOOSTV && r.entityType != 5 && r.entityType != E_PLAYERSTART &&
        r.entityType != E_MOVER)
      ++e.entities;
  }
  return e;
}

// The play loop's simulation step, with the clock moved on as between two steps.
void SimulationStep() {
  g_now += 5;
  Game().entityUnderBall = -1;
  UpdatePlayer();
  ApplyGoalPadAndBoosts();
  CullLevelObjects();
  UpdateEntities();
  UpdateSeeThroughBlocks();
}

TEST_F(RealMapsTest, EveryMapBuildsAndTheBallStandsAtItsStart) {
  ASSERT_FALSE(maps_.empty());
  for (const std::string& path : maps_) {
    SCOPED_TRACE(path);
    GameVariables& game = Game();
    game = GameVariables{};
    Ball() = BallMotion{};
    EntityRules() = EntityRuleState{};
    MapFileError error = MapFileError::kNone;
    ASSERT_TRUE(LoadMap(path.c_str(), &error)) << MapFileErrorText(error);
    const MapTables& map = CurrentMap();
    const Expected expected = Count(map);
    EXPECT_EQ(expected.goalPads, 1);
    EXPECT_EQ(expected.playerStarts, 1);
    EXPECT_EQ(CurrentMapCounts().blocksBuilt, expected.blocks);
    EXPECT_EQ(CurrentMapCounts().entitiesBuilt, expected.entities);
    EXPECT_EQ(game.plasmaCount, expected.plasma);
    for (int32_t i = 0; i < CurrentMapCounts().blocksBuilt; ++i) {
      EXPECT_EQ(ObjectExists(map.records[i].blockObject), map.records[i].shape == SHAPE_EMPTY ? 0 : 1) << i;
      if (map.records[i].entityObject != -1) {
        EXPECT_EQ(ObjectExists(map.records[i].entityObject), 1) << i;
      }
    }
    EXPECT_EQ(Core().hostErrorWord, 0u) << "building asked the engine for something it refused";

    // The level's start as the play loop makes it, then two seconds of steps with no key held.
    game.gravityStep = map.header.gravity;
    game.levelStartTime = g_now;
    const float startX = GetObjectX(kBallObject), startZ = GetObjectZ(kBallObject);
    TintLevelTexture(game.playerColour[0] + 30, game.playerColour[1] + 30, game.playerColour[2] + 30);
    for (int32_t step = 0; step < 400; ++step) SimulationStep();
    Sync();
    level_test::SaveScreenshot(fs::path(path).stem().string());
    EXPECT_EQ(game.noGround, 0) << "the ball has ground under it";
    EXPECT_NEAR(GetObjectX(kBallObject), startX, 0.5f);
    EXPECT_NEAR(GetObjectZ(kBallObject), startZ, 0.5f);
    EXPECT_LT(std::fabs(GetObjectY(kBallObject) - (game.respawn[1] - 5)), 1.0f) << "on the top of its block";
    EXPECT_EQ(game.lives, kStartingLives);
    EXPECT_EQ(Core().hostErrorWord, 0u) << "a step asked the engine for something it refused";
  }
}


// The camera's clear once kept the stencil and cleared the depth alone; it now clears both where no
// mirror keeps its marks there. A frame of every map drawn both ways, the old one over a stencil full of
// leftovers, is the same to the pixel.
HookFn g_cameraPasses = nullptr;
void CameraPassesKeepingTheStencil() {
  GetDirect3DDevice()->Clear(0, nullptr, platform::gfx::CLEAR_STENCIL, 0, 1.0f, 0x5A);
  CoreData* core = GetCoreDataPointer();
  const uint32_t mode = core->stencilMode;
  core->stencilMode = 2;  // the mode whose clear leaves the stencil alone
  g_cameraPasses();
  core->stencilMode = mode;
}

TEST_F(RealMapsTest, EveryMapDrawsTheSameFrameWhetherTheCameraClearKeepsTheStencilOrNot) {
  ASSERT_FALSE(maps_.empty());
  CoreTable& table = GetCoreTable();
  g_cameraPasses = table.BeginCameraPasses;
  for (const std::string& path : maps_) {
    SCOPED_TRACE(path);
    Game() = GameVariables{};
    Ball() = BallMotion{};
    MapFileError error = MapFileError::kNone;
    ASSERT_TRUE(LoadMap(path.c_str(), &error)) << MapFileErrorText(error);
    TintLevelTexture(30, 30, 30);
    SimulationStep();
    // Nothing moves between the frames.
    for (int32_t object = 0; object <= kHeartCentreObject; ++object)
      if (ObjectRecord* record = FindObjectRecord(object)) record->playing = 0;
    auto frame = [] {
      Sync();
      return engine_test::ReadSurfacePixels(GetCoreDataPointer()->backBufferSurface);
    };
    const std::vector<uint32_t> cleared = frame();
    ASSERT_GT(std::set<uint32_t>(cleared.begin(), cleared.end()).size(), 100u) << "the level is on screen";
    table.BeginCameraPasses = CameraPassesKeepingTheStencil;
    const std::vector<uint32_t> kept = frame();
    table.BeginCameraPasses = g_cameraPasses;
    size_t differing = 0;
    for (size_t i = 0; i < cleared.size() && i < kept.size(); ++i) differing += cleared[i] != kept[i];
    EXPECT_EQ(kept.size(), cleared.size());
    EXPECT_EQ(differing, 0u);
    EXPECT_EQ(frame(), cleared) << "the next frame drawn the new way is the same again";
  }
  ClearLevel();
}
}  // namespace
