// The engine started as the process entry starts it (offscreen), in a scratch game folder holding the
// media the editor uses: box models for the markers and the first heart, the level textures and the
// marker pictures. A test clock, keys, mouse and wheel stand in for the devices; a per-frame hook
// scripts them while the editor's loop runs, and the dialogs take scripted input.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
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
#include "engine/objects/object_table.h"
#include "engine/scene/camera.h"
#include "engine/system/system_module.h"
#include "engine/text/text.h"
#include "game/editor/editor_internal.h"
#include "game/editor/map_editor.h"
#include "game/play/game_state.h"
#include "game/play/level_builder.h"
#include "game/play/map_file.h"
#include "game/shell/start_up.h"
#include "platform/dialogs/test_hooks.h"
#include "platform/window/message_box.h"
#include "platform/window/messages.h"
#include "platform/window/window.h"
#include "tests/game/play/media/media_files.h"

namespace editor_test {

namespace fs = std::filesystem;

using game_media_test::BoxModel;
using game_media_test::WriteFile;
using game_media_test::WritePicture;

// --- the test clock, devices and frame hook
inline uint32_t g_now = 100000;
inline uint32_t g_frameStep = 50;  // ms the clock moves on at every frame
inline int32_t g_frames = 0;
inline std::function<void(int32_t frame)> g_onFrame;
inline std::set<int32_t> g_keys;
inline int32_t g_mouseX = 320, g_mouseY = 240;
inline uint32_t g_wheel = 0, g_buttons = 0;
inline HookFn g_fileUpdate = nullptr;

inline void FrameHook() {
  if (g_fileUpdate) g_fileUpdate();
  g_now += g_frameStep;
  ++g_frames;
  if (g_onFrame) g_onFrame(g_frames);
}

inline uint32_t Held(int32_t key) { return g_keys.count(key) ? 1u : 0u; }
inline const EditorInput kTestInput{
    [](int32_t key) { return int32_t(Held(key)); },
    [] { return Held(kKeyLeft); },
    [] { return Held(kKeyRight); },
    [] { return Held(kKeyDown); },
    [] { return Held(kKeyUp); },
    [] { return Held(kKeyEscape); },
    [] { return Held(kKeyReturn); },
    [] { return g_mouseX; },
    [] { return g_mouseY; },
    [] { return g_wheel; },
    [] { return g_buttons; },
    [] { return g_now; },
};

inline void WriteMedia() {
  for (const char* name : {"Heart1", "BoostV", "Plasma", "Boost", "Warp", "PaintRed", "PaintGreen", "PaintBlue"})
    WriteFile(std::string("Models/") + name + ".x", BoxModel(-2, -2, -2, 2, 2, 2));
  for (const char* name : {"MonsterA", "MonsterB"}) WriteFile(std::string("Models/") + name + ".x", BoxModel(-3, -4, -3, 3, 4, 3));
  WritePicture("Textures/TexPlain.jpg", 0xFFFFFFFF, 16);
  WritePicture("Textures/Wood.jpg", 0xFF806040, 16);
  WritePicture("Textures/brick.bmp", 0xFFA03020, 16);
  WriteFile("Textures/readme.txt", "not a picture");
  for (const char* name : {"Textures/Warp.bmp", "Textures/PlayerStart.jpg", "Textures/Message.jpg",
                           "Textures/Platform.jpg", "Textures/Respawn.jpg"})
    WritePicture(name, 0xFF808080, 8);
  WritePicture("Models/plasmaball-blue.jpg", 0xFF0000FF, 8);
}

// One engine for the whole test program, started in the scratch game folder before the first test.
class EditorEngine : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(folder_.Enter("editor"));
    WriteMedia();
    ASSERT_EQ(InitEngine(), 0) << StartUpFailureReason();
    EnableManualSync();
    SetFrameRateLimit(0);
    DisableAutoCamera();
    SetImageColorKey(255, 0, 255);
    StoreGameFolder();
    LoadObject("Models\\Heart1.x", kFirstHeartObject);
    game_media_test::LoadLevelImages();
    SetTextFont("Arial");
    SetTextSize(16);
    TurnOffEscapeQuit();  // as the game does before its editor runs
    CoreTable& t = GetCoreTable();
    g_fileUpdate = t.FileModuleUpdate;
    t.FileModuleUpdate = FrameHook;
  }
  void TearDown() override {
    ClearLevel();
    ClearWaypointPaths();
    GetCoreTable().FileModuleUpdate = g_fileUpdate;
    game_media_test::StopEngine();
    folder_.Leave();
  }

 private:
  game_media_test::ScratchGameFolder folder_;
};
inline ::testing::Environment* const kEditorEngine = ::testing::AddGlobalTestEnvironment(new EditorEngine);

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ReturnToGameFolder();
    Editor() = EditorState{};
    Game() = GameVariables{};
    Game().state = kStateEditor;
    g_now = 100000;
    g_frameStep = 50;
    g_frames = 0;
    g_onFrame = nullptr;
    g_keys.clear();
    g_mouseX = 320, g_mouseY = 240;
    g_wheel = 0, g_buttons = 0;
    SetEditorInput(&kTestInput);
    Core().hostErrorWord = 0;
    platform::dialogs::test::ClearScript();
    platform::dialogs::test::TakeScriptErrors();
    platform::dialogs::test::SetIdleEscapeFrames(100);
    // The loop ends as a window close does: a changed map's question is answered No, as a designer
    // done with a throw-away map would.
    platform::window::test::AnswerUnshownBoxesWith(platform::window::IDNO);
  }
  void TearDown() override {
    g_onFrame = nullptr;
    SetEditorInput(nullptr);
    platform::window::test::AnswerUnshownBoxesWith(0);
    EXPECT_TRUE(platform::dialogs::test::TakeScriptErrors().empty());
    EXPECT_EQ(platform::dialogs::test::PendingSteps(), 0u) << "dialog steps left over";
    platform::dialogs::test::ClearScript();
    EXPECT_EQ(fs::current_path().string(), std::string(GameFolder())) << "the game folder stays current";
    ReturnToGameFolder();
  }


 public:
  // Runs MapEditor: `script` is called at every frame with the frame's number (from 1); the loop is
  // asked to quit when the script returns false, or after `limit` frames.
  static void RunEditor(std::function<bool(int32_t frame)> script, int32_t limit = 200) {
    g_frames = 0;
    g_onFrame = [script, limit](int32_t frame) {
      if (!script(frame) || frame >= limit) Core().quitRequest = 1;
    };
    MapEditor();
    g_onFrame = nullptr;
    Core().quitRequest = 0;
    platform::window::ClearMessageQueue();
  }

  // A script of key presses: frame -> keys held during the next pass (empty: none).
  static std::function<bool(int32_t)> Keys(std::vector<std::set<int32_t>> frames) {
    return [frames](int32_t frame) {
      if (frame > int32_t(frames.size())) return false;
      g_keys = frames[size_t(frame - 1)];
      return true;
    };
  }

  static const MapRecord& Record(int32_t i) { return CurrentMap().records[i]; }
  static int32_t RecordCount() { return CurrentMap().header.recordCount; }
  static bool Wireframe(int32_t object) {
    const ObjectRecord* record = FindObjectRecord(object);
    if (!record || record->meshList.empty()) return false;
    for (const MeshRecord* mesh : record->meshList)
      if (!mesh->wireframe) return false;
    return true;
  }
  static bool Visible(int32_t object) {
    const ObjectRecord* record = FindObjectRecord(object);
    return record && record->visible;
  }
};

using Frames = std::vector<std::set<int32_t>>;

// Runs the editor over `frames` (keys held in the pass after each), then `check` while the map still
// stands.
inline void RunKeys(const Frames& frames, const std::function<void()>& check = [] {}) {
  const int32_t last = int32_t(frames.size());
  EditorTest::RunEditor([frames, last, check](int32_t frame) {
    if (frame <= last) {
      g_keys = frames[size_t(frame - 1)];
      return true;
    }
    check();
    return false;
  }, last + 2);
}

}  // namespace editor_test
