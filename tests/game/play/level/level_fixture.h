// The engine started as the process entry starts it (offscreen), in a scratch game folder that holds
// the few media a level needs: box models written as X text (the ball a 4 x 4 x 4 box standing on its
// origin, entity models 4 x 4 x 4 centred boxes, the blue paint pot 14 high), small pictures and the maps the tests write. Before
// every test the level is cleared and the game's records start afresh, with a test clock and test
// keys in place of the timer and the keyboard.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/core.h"
#include "engine/core/core_state.h"
#include "engine/core/core_table.h"
#include "engine/display/display.h"
#include "engine/media2d/basic2d.h"
#include "engine/media2d/bitmap.h"
#include "engine/media2d/image.h"
#include "engine/media2d/sprite.h"
#include "engine/objects/object_commands.h"
#include "engine/objects/object_table.h"
#include "engine/scene/camera.h"
#include "game/play/ball.h"
#include "game/play/entities.h"
#include "game/play/game_state.h"
#include "game/play/level_builder.h"
#include "game/play/map_file.h"
#include "game/shell/control_bindings.h"
#include "game/shell/start_up.h"
#include "tests/game/play/media/media_files.h"
#include "tests/game/test_controls.h"

namespace level_test {

namespace fs = std::filesystem;

using game_media_test::BoxModel;
using game_media_test::WriteFile;
using game_media_test::WritePicture;
using game_test::g_commandsDown;

// The test clock (GameNow); the keys held are g_commandsDown.
inline uint32_t g_now = 100000;

// The media start-up loads that a level uses: the ball, the hearts, the probes, the level textures,
// the block frame and the entity textures.
inline void LoadLevelMedia() {
  LoadObject("Models\\Zevo.x", kBallObject);
  for (int32_t heart = 0; heart < 4; ++heart)
    LoadObject(("Models\\Heart" + std::to_string(heart + 1) + ".x").c_str(), kFirstHeartObject + heart);
  LoadObject("Models\\HeartCenter.x", kHeartCentreObject);
  CreateBoxObject(kGroundProbeObject, 0.05f, 1.0f, 0.05f);
  CreateBoxObject(kBlockProbeObject, GetObjectSizeX(kBallObject), 0.5f, GetObjectSizeZ(kBallObject));
  SetObjectCollisionToBoxes(kBallObject);
  for (int32_t object : {kBallObject, kFirstHeartObject, kFirstHeartObject + 1, kFirstHeartObject + 2,
                         kFirstHeartObject + 3, kHeartCentreObject, kGroundProbeObject})
    HideObject(object);
  NewBitmap(kLevelBitmap, kLevelTextureSize, kLevelTextureSize);
  SelectBitmap(0);
  game_media_test::LoadLevelImages();
  SetSprite(kBaseTextureSprite, 0, 0, kBaseLevelImage);
  HideSprite(kBaseTextureSprite);
  SelectBitmap(kLevelBitmap);
  SetDrawColors(Rgb(255, 0, 255), 0);
  DrawBox(0, 0, 256, 256);
  SetDrawColors(Rgb(90, 90, 90), 0);
  DrawBox(0, 0, 256, 5);
  DrawBox(0, 0, 5, 256);
  DrawBox(0, 251, 256, 256);
  DrawBox(251, 0, 256, 256);
  CaptureImage(kBlockFrameImage, 0, 0, 256, 256);
  SelectBitmap(0);
  SetSprite(kBlockFrameSprite, 0, 0, kBlockFrameImage);
  HideSprite(kBlockFrameSprite);
}

inline void WriteLevelMedia() {
  WriteFile("Models/Zevo.x", BoxModel(-2, 0, -2, 2, 4, 2));
  WriteFile("Models/PBlue.x", BoxModel(-2, -7, -2, 2, 7, 2));  // taller than a block
  for (const char* name : {"Heart1", "Heart2", "Heart3", "Heart4", "HeartCenter", "PRed", "PGreen", "Boost",
                           "BoostV", "Warp", "MonsterA", "MonsterB", "Plasma"})
    WriteFile(std::string("Models/") + name + ".x", BoxModel(-2, -2, -2, 2, 2, 2));
  // Pictures by content, whatever their names say.
  WritePicture("Textures/TexPlain.jpg", 0xFFFFFFFF, 256);
  WritePicture("Textures/Warp.bmp", 0xFF00FF00);
  WritePicture("Models/plasmaball-blue.jpg", 0xFF0000FF);
  for (const char* name : {"PlayerStart", "Message", "Platform", "Respawn"})
    WritePicture(std::string("Textures/") + name + ".jpg", 0xFF808080);
}

// One engine for the whole test program: started in the scratch game folder before the first test,
// its device released after the last.
class LevelEngine : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(folder_.Enter("level"));
    WriteLevelMedia();
    ASSERT_EQ(InitEngine(), 0) << StartUpFailureReason();
    EnableManualSync();
    DisableAutoCamera();
    SetImageColorKey(255, 0, 255);
    StoreGameFolder();
    LoadLevelMedia();
    ASSERT_EQ(Core().hostErrorWord, 0u);
  }
  void TearDown() override {
    ClearLevel();
    game_media_test::StopEngine();
    folder_.Leave();
  }

 private:
  game_media_test::ScratchGameFolder folder_;
};
inline ::testing::Environment* const kLevelEngine = ::testing::AddGlobalTestEnvironment(new LevelEngine);

class LevelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearLevel();
    ClearWaypointPaths();
    Game() = GameVariables{};
    Game().levelStartTime = 0;
    Ball() = BallMotion{};
    EntityRules() = EntityRuleState{};
    SetDefaultControls();
    g_now = 100000;
    g_commandsDown.clear();
    SetGameTimerSource([] { return g_now; });
    SetControlInput(&game_test::kTestControls);
    HideObject(kBallObject);
    PositionObject(kBallObject, 0, -1000, 0);
    // Hidden objects still collide: the hearts wait far below until a goal pad places them.
    for (int32_t heart : {kFirstHeartObject, kFirstHeartObject + 1, kFirstHeartObject + 2, kFirstHeartObject + 3,
                          kHeartCentreObject})
      PositionObject(heart, 0, -2000, 0);
    SetObjectAngleY(kBallObject, 0);
    Core().hostErrorWord = 0;
  }
  void TearDown() override {
    SetGameTimerSource(nullptr);
    SetControlInput(nullptr);
    EXPECT_EQ(Core().hostErrorWord, 0u) << "an engine command was refused";
  }

  // A map in memory whose records the test fills; Write stores it as "Maps\<name>.qel".
  static std::unique_ptr<MapTables> NewMap() {
    auto map = std::make_unique<MapTables>();
    ResetMapTables(*map);
    std::strcpy(map->header.texture, "TexPlain.jpg");
    std::strcpy(map->header.nextMap, "null");
    return map;
  }
  static MapRecord& Add(MapTables& map, int32_t shape, float x, float y, float z, int32_t entity = E_NONE,
                        std::vector<int32_t> p = {}, float p5 = 0) {
    MapRecord& r = map.records[map.header.recordCount++];
    r.shape = shape;
    r.x = x, r.y = y, r.z = z;
    r.entityType = entity;
    int32_t* params[] = {&r.p1, &r.p2, &r.p3, &r.p4};
    for (size_t i = 0; i < p.size() && i < 4; ++i) *params[i] = p[i];
    r.p5 = p5;
    if (entity != E_NONE) std::strcpy(r.text, "A message");
    return r;
  }
  static void Write(const MapTables& map, const std::string& name) {
    fs::create_directories("Maps");
    ASSERT_TRUE(WriteMapFile(("Maps\\" + name + ".qel").c_str(), map));
  }
  // Writes and loads the map for play.
  static void Play(const MapTables& map, const std::string& name = "test") {
    Write(map, name);
    ASSERT_TRUE(LoadMap((name + ".qel").c_str()));
  }

  static MapRecord& Record(int32_t index) { return CurrentMap().records[index]; }
  static bool Exists(int32_t object) { return ObjectExists(object) == 1; }
  static void PlaceBall(float x, float y, float z, float angle = 0) {
    ShowObject(kBallObject);
    PositionObject(kBallObject, x, y, z);
    SetObjectAngleY(kBallObject, angle);
  }
  static float BallX() { return GetObjectX(kBallObject); }
  static float BallY() { return GetObjectY(kBallObject); }
  static float BallZ() { return GetObjectZ(kBallObject); }
};

}  // namespace level_test
