// The engine started as the process entry starts it (offscreen), in a scratch game folder holding the
// few media play needs: box models for the ball, its explosions and the hearts, one-colour pictures
// for the HUD frames, the life icon and the planning icons. A test clock stands in for the timer and
// moves on by a set step at every frame; test keys, mouse and commands stand in for the devices, and
// a per-frame hook lets a test script them while a loop of the game runs.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
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
#include "engine/objects/object_table.h"
#include "engine/scene/camera.h"
#include "engine/text/text.h"
#include "game/play/game_font.h"
#include "game/play/game_state.h"
#include "game/play/hud.h"
#include "game/play/hud_layout.h"
#include "game/play/level_builder.h"
#include "game/play/map_file.h"
#include "game/play/planning.h"
#include "game/play/play_loop_input.h"
#include "game/shell/control_bindings.h"
#include "game/shell/start_up.h"
#include "tests/engine/engine_fixture.h"
#include "tests/game/play/loop/loop_devices.h"
#include "tests/game/play/media/media_files.h"

namespace loop_test {

namespace fs = std::filesystem;

constexpr uint32_t kGuiStripColour = 0xFF604020;
constexpr uint32_t kRightFrameColour = 0xFF0000C8;
constexpr uint32_t kLifeColour = 0xFF00C800;
constexpr uint32_t kMagenta = 0xFFFF00FF;  // the colour key: the left frame is all see-through
constexpr int32_t kIconSize = 12;

using game_media_test::BoxModel;
using game_media_test::WriteFile;
using game_media_test::WritePicture;

inline void WriteMedia() {
  WriteFile("Models/Zevo.x", BoxModel(-2, 0, -2, 2, 4, 2));
  for (const char* name : {"GryoExplode", "Explosion", "Heart1", "Heart2", "Heart3", "Heart4", "HeartCenter", "Warp",
                           "PRed", "PGreen", "PBlue", "Plasma"})
    WriteFile(std::string("Models/") + name + ".x", BoxModel(-2, -2, -2, 2, 2, 2));
  WritePicture("Textures/TexPlain.jpg", 0xFFFFFFFF, 256);
  for (const char* name : {"Textures/Warp.bmp", "Textures/PlayerStart.jpg", "Textures/Message.jpg",
                           "Textures/Platform.jpg", "Textures/Respawn.jpg"})
    WritePicture(name, 0xFF808080, 8);
  WritePicture("Models/plasmaball-blue.jpg", 0xFF0000FF, 8);
  WritePicture("Art/Gui1.bmp", kMagenta, 8);
  WritePicture("Art/Gui2.bmp", kGuiStripColour, 8);
  WritePicture("Art/Gui3.bmp", kRightFrameColour, 8);
  WritePicture("Art/Life1.bmp", kLifeColour, 8);
  for (const PlanningIcon& icon : PlanningIcons()) {
    std::string file = icon.file;
    for (char& c : file)
      if (c == '\\') c = '/';
    WritePicture(file, 0xFF000000u | uint32_t(icon.number) * 0x10101u, icon.number == kIconPointer ? 2 : kIconSize);
  }
}

inline void LoadMedia() {
  LoadObject("Models\\Zevo.x", kBallObject);
  LoadObject("Models\\GryoExplode.x", 3001);
  LoadObject("Models\\Explosion.x", 6000);
  for (int32_t heart = 0; heart < 4; ++heart)
    LoadObject(("Models\\Heart" + std::to_string(heart + 1) + ".x").c_str(), kFirstHeartObject + heart);
  LoadObject("Models\\HeartCenter.x", kHeartCentreObject);
  CreateBoxObject(kGroundProbeObject, 0.05f, 1.0f, 0.05f);
  CreateBoxObject(kBlockProbeObject, 4.0f, 0.5f, 4.0f);
  for (int32_t object : {kBallObject, 3001, 6000, kGroundProbeObject}) HideObject(object);
  game_media_test::LoadLevelImages();
  LoadGuiImages();
  LoadPlanningIcons();
  SetTextFont("Arial");
  SetTextSize(16);
  StoreDisplayDevice();
  CreateGameFont(1, "Arial", 12, 0, 0);
  CreateGameFont(2, "Arial", 7, 0, 0);
  CreateGameFont(3, "Arial", 10, 0, 0);
  CreateGameFont(4, "Impact", 22, 0, 1);
  CreateGameFont(5, "Impact", 16, 0, 0);
}

// One engine for the whole test program, started in the scratch game folder before the first test.
class LoopEngine : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(folder_.Enter("loop"));
    WriteMedia();
    ASSERT_TRUE(StartLoopEngine());
    LoadMedia();
  }
  void TearDown() override {
    ClearLevel();
    ReleaseGameFonts();
    StopLoopEngine();
    folder_.Leave();
  }

 private:
  game_media_test::ScratchGameFolder folder_;
};
inline ::testing::Environment* const kLoopEngine = ::testing::AddGlobalTestEnvironment(new LoopEngine);

class LoopTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 640, kHeight = 480;

  void SetUp() override {
    ClearLevel();
    Game() = GameVariables{};
    Planning() = PlanningView{};
    PlanningBackground() = 1;
    SetDefaultControls();
    g_now = 100000;
    g_frameStep = 16;
    g_frames = 0;
    g_onFrame = nullptr;
    g_commandsDown.clear();
    g_scanCode = 0;
    g_escape = g_return = false;
    g_mouseX = g_mouseY = 0;
    g_buttons = 0;
    UseTestDevices();
    Core().hostErrorWord = 0;
  }
  void TearDown() override { UseEngineDevices(); }

  // One block of the map: its shape at (x, y, z), carrying an entity with parameters p1 to p3.
  struct Block {
    float x, y, z;
    int32_t entity = E_NONE;
    int32_t p1 = 0, p2 = 0, p3 = 0;
    const char* text = "null";
    int32_t shape = SHAPE_BOX;
  };
  // A map of the blocks around the player start at the origin, loaded for play as "Maps\<name>.qel".
  static void LoadSmallMap(const char* nextMap = "null", const char* name = "small",
                           std::initializer_list<Block> blocks = {}) {
    auto map = std::make_unique<MapTables>();
    ResetMapTables(*map);
    for (const Block& b : blocks) {
      MapRecord& r = map->records[map->header.recordCount++];
      r.shape = b.shape;
      r.x = b.x, r.y = b.y, r.z = b.z;
      r.entityType = b.entity;
      r.p1 = b.p1, r.p2 = b.p2, r.p3 = b.p3;
      std::strcpy(r.text, b.text);
    }
    std::strcpy(map->header.texture, "TexPlain.jpg");
    std::strcpy(map->header.mapName, "Small Map");
    std::strcpy(map->header.nextMap, nextMap);
    map->header.gameTime = 90500;
    map->header.planningTime = 60000;
    map->header.parTime = 75000;
    MapRecord& start = map->records[map->header.recordCount++];
    start.shape = SHAPE_BOX;
    start.entityType = E_PLAYERSTART;
    std::strcpy(start.text, "start");
    fs::create_directories("Maps");
    ASSERT_TRUE(WriteMapFile((std::string("Maps\\") + name + ".qel").c_str(), *map));
    ASSERT_TRUE(LoadMap((std::string(name) + ".qel").c_str()));
  }

  static bool Visible(int32_t object) {
    const ObjectRecord* record = FindObjectRecord(object);
    return record && record->visible;
  }

  // The back buffer (0xRRGGBB) after clearing it to black and drawing.
  template <class Draw>
  static std::vector<uint32_t> Render(Draw draw) {
    ClearScreen(0, 0, 0);
    draw();
    std::vector<uint32_t> pixels = engine_test::ReadSurfacePixels(GetCoreDataPointer()->backBufferSurface);
    for (uint32_t& p : pixels) p &= 0xFFFFFF;
    return pixels;
  }
  static uint32_t At(const std::vector<uint32_t>& pixels, int x, int y) { return pixels[size_t(y) * kWidth + x]; }
  // The pixels of a rectangle, row by row.
  static std::vector<uint32_t> Crop(const std::vector<uint32_t>& pixels, int x1, int y1, int x2, int y2) {
    std::vector<uint32_t> out;
    for (int y = y1; y < y2; ++y)
      for (int x = x1; x < x2; ++x) out.push_back(At(pixels, x, y));
    return out;
  }
  static int32_t Lit(const std::vector<uint32_t>& pixels) {
    int32_t count = 0;
    for (uint32_t p : pixels) count += p != 0;
    return count;
  }
};

}  // namespace loop_test
