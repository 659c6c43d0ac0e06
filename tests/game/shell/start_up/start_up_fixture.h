// A scratch game folder holding every file start-up reads (box models written as X text, one-colour
// pictures), the engine started in it once for the test program, and stand-ins for the loops of the
// three states that record each call and follow a script of next states.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/core.h"
#include "engine/core/core_state.h"
#include "engine/display/display.h"
#include "engine/objects/object_table.h"
#include "engine/media2d/image.h"
#include "game/play/game_font.h"
#include "game/play/game_state.h"
#include "game/play/visualiser.h"
#include "game/shell/game_main.h"
#include "platform/fs/command_line.h"
#include "tests/game/play/media/media_files.h"

namespace start_up_test {

namespace fs = std::filesystem;
using namespace game_media_test;

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
    ASSERT_TRUE(folder_.Enter("start-up"));
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
    StopEngine();
    folder_.Leave();
  }
  static const fs::path& Root() { return folder_.Root(); }

 private:
  static inline ScratchGameFolder folder_;
};
inline ::testing::Environment* const kStartUpEngine = ::testing::AddGlobalTestEnvironment(new StartUpEngine);

}  // namespace start_up_test
