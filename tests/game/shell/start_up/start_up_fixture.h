// A scratch game folder holding every file start-up reads (box models written as X text, one-colour
// pictures), the engine started in it once for the test program, and stand-ins for the loops of the
// three states that record each call and follow a script of next states.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/core.h"
#include "engine/core/core_state.h"
#include "engine/core/core_table.h"
#include "engine/display/display.h"
#include "engine/objects/object_table.h"
#include "engine/media2d/image.h"
#include "game/play/game_font.h"
#include "game/play/game_state.h"
#include "game/play/visualiser.h"
#include "game/shell/game_main.h"
#include "platform/d3dx/pictures/picture_writers.h"
#include "platform/fs/command_line.h"

namespace start_up_test {

namespace fs = std::filesystem;

// X text of a box from (x1, y1, z1) to (x2, y2, z2).
inline std::string BoxModel(float x1, float y1, float z1, float x2, float y2, float z2) {
  std::string text = "xof 0303txt 0032\nFrame root {\n FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n";
  text += " Mesh box {\n  8;\n";
  for (int i = 0; i < 8; ++i) {
    const float x = i & 1 ? x2 : x1, y = i & 2 ? y2 : y1, z = i & 4 ? z2 : z1;
    text += "  " + std::to_string(x) + ";" + std::to_string(y) + ";" + std::to_string(z) + ";" + (i < 7 ? "," : ";") + "\n";
  }
  const int faces[12][3] = {{0, 2, 3}, {0, 3, 1}, {4, 5, 7}, {4, 7, 6}, {0, 1, 5}, {0, 5, 4},
                            {2, 6, 7}, {2, 7, 3}, {0, 4, 6}, {0, 6, 2}, {1, 3, 7}, {1, 7, 5}};
  text += "  12;\n";
  for (int f = 0; f < 12; ++f)
    text += "  3;" + std::to_string(faces[f][0]) + "," + std::to_string(faces[f][1]) + "," +
            std::to_string(faces[f][2]) + ";" + (f < 11 ? "," : ";") + "\n";
  text += " }\n}\n";
  return text;
}

inline void WriteFile(const fs::path& path, const std::string& bytes) {
  if (path.has_parent_path()) fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

inline void WritePicture(const fs::path& path, uint32_t colour, uint32_t size = 8) {
  platform::d3dx::Picture picture(size, size, colour);
  std::vector<uint8_t> bytes;
  platform::d3dx::EncodePicture(platform::d3dx::IFF_BMP, picture, false, bytes);
  WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

// Every model and picture start-up loads, and the pictures play's panels and icons use.
inline void WriteStartUpMedia() {
  WriteFile("Models/Zevo.x", BoxModel(-2, 0, -2, 2, 4, 2));
  for (const char* name : {"GryoExplode", "Explosion", "Heart1", "Heart2", "Heart3", "Heart4", "HeartCenter",
                           "MonsterA", "MonsterB", "PRed", "PGreen", "PBlue", "Plasma", "Warp", "Boost", "BoostV"})
    WriteFile(std::string("Models/") + name + ".x", BoxModel(-2, -2, -2, 2, 2, 2));
  WritePicture("Textures/TexPlain.jpg", 0xFFFFFFFF, 256);
  for (const char* name : {"Textures/Warp.bmp", "Textures/PlayerStart.jpg", "Textures/Message.jpg",
                           "Textures/Platform.jpg", "Textures/Respawn.jpg", "Models/plasmaball-blue.jpg",
                           "Art/Particle1.bmp", "Art/Loading.jpg", "Art/heaven.jpg", "Art/music.jpg",
                           "Art/menubg.bmp", "Art/menubg2.bmp", "Art/menuframe.bmp", "Art/Gui1.bmp", "Art/Gui2.bmp",
                           "Art/Gui3.bmp", "Art/Life1.bmp"})
    WritePicture(name, 0xFF808080);
}

// What a stand-in loop saw when it was called.
struct LoopCall {
  char loop;  // 'm' menu, 'p' play, 'e' editor
  uint32_t state;
  bool menuSceneShown;      // object 2 visible
  bool visualiserBoxShown;  // object 1 visible
};

// The stand-ins follow `script`: call n sets Game().state to script[n] (quit once the script runs out).
struct LoopScript {
  std::vector<uint32_t> nextStates;
  std::vector<LoopCall> calls;
};
inline LoopScript g_script;

inline bool Visible(int32_t object) {
  ObjectRecord* record = FindObjectRecord(object);
  return record && record->visible;
}

inline void StandIn(char loop) {
  g_script.calls.push_back({loop, Game().state, Visible(2), Visible(1)});
  const size_t n = g_script.calls.size() - 1;
  Game().state = n < g_script.nextStates.size() ? g_script.nextStates[n] : kStateQuit;
}
inline const GameLoops kStandIns = {[] { StandIn('m'); return int32_t(0); },
                                    [] { StandIn('p'); return int32_t(0); }, [] { StandIn('e'); }};

inline std::string CallOrder() {
  std::string order;
  for (const LoopCall& call : g_script.calls) order += call.loop;
  return order;
}

// What the editor stand-in found when the environment's GameMain ("qel -edit") reached it, and what
// was left once GameMain returned.
struct StartUpSnapshot {
  bool editorReached = false;
  uint32_t state = 0;
  std::string title;
  bool fontsMade = false;
  bool visualiserBoxHidden = false;
  float explosionY = 0;
  std::vector<int32_t> missingObjects, shownObjects, missingImages;
  bool menuSceneParked = false;  // objects 2 to 24 hidden at (0, -9000, 0)
  bool loadingSpriteGone = false;
  bool levelSpritesHidden = false;  // sprites 1 and 2
  bool visualiserImageGone = false;
  bool fontsReleased = false;
};
inline StartUpSnapshot g_startUp;
void TakeStartUpSnapshot();  // start_up_test.cpp

// The scratch folder and the engine, for the whole test program; GameMain runs once in it as the
// engine's start-up would run it, with "-edit", so the media are loaded for every test.
class StartUpEngine : public ::testing::Environment {
 public:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "qel-start-up-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    previous_ = fs::current_path();
    fs::current_path(root_);
    WriteStartUpMedia();
    ASSERT_EQ(InitEngine(), 0) << StartUpFailureReason();
    const char* words[] = {"qel", "-edit"};
    platform::fs::SetProcessCommandLine(2, words);
    const GameLoops loops = {[] { return int32_t(0); }, [] { return int32_t(0); },
                             [] {
                               TakeStartUpSnapshot();
                               Game().state = kStateQuit;
                             }};
    SetGameLoops(&loops);
    GameMain();
    SetGameLoops(nullptr);
    g_startUp.visualiserImageGone = !HasImage(kVisualiserImage);
    g_startUp.fontsReleased = GetGameFont(1) == nullptr;
    // What GameMain turned on that the tests do not want.
    SetFrameRateLimit(0);
  }
  // The engine's modules free their items, as the game never does (the process ends).
  void TearDown() override {
    CoreTable& t = GetCoreTable();
    for (ModuleEntries* module : {&t.ParticleModule, &t.VectorModule, &t.ObjectModule, &t.LightModule, &t.CameraModule,
                                  &t.BitmapModule, &t.MemoryBlockModule, &t.FileModule, &t.MusicModule,
                                  &t.SoundModule, &t.SpriteModule, &t.ImageModule, &t.TextModule, &t.Basic2DModule})
      if (module->Destructor) module->Destructor();
    DisplayModule::Destructor();
    fs::current_path(previous_);
    fs::remove_all(root_);
  }
  static const fs::path& Root() { return root_; }

 private:
  static inline fs::path root_;
  fs::path previous_;
};
inline ::testing::Environment* const kStartUpEngine = ::testing::AddGlobalTestEnvironment(new StartUpEngine);

}  // namespace start_up_test
