// The entry's start-up: the command line deciding the first state, and what GameMain has made by the
// time the first state's loop runs (the environment runs it once with "-edit").
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/core_data.h"
#include "engine/core/core_state.h"
#include "engine/media2d/sprite_state.h"
#include "engine/objects/object_commands.h"
#include "game/play/level_builder.h"
#include "game/shell/start_up.h"
#include "platform/window/messages.h"
#include "platform/window/window.h"
#include "tests/game/shell/start_up/start_up_fixture.h"

namespace start_up_test {

void TakeStartUpSnapshot() {
  StartUpSnapshot& s = g_startUp;
  s.editorReached = true;
  s.state = Game().state;
  s.title = GetCoreDataPointer()->window->Title();
  s.fontsMade = true;
  for (int32_t slot = 1; slot <= 5; ++slot) s.fontsMade = s.fontsMade && GetGameFont(slot);
  s.visualiserBoxHidden = FindObjectRecord(kVisualiserBox) && !Visible(kVisualiserBox);
  s.explosionY = GetObjectY(3001);
  const int32_t hidden[] = {kBallObject, 3001, 100, 101, 102, 103, kHeartCentreObject, 6000, kGroundProbeObject};
  for (int32_t object : hidden) {
    if (!FindObjectRecord(object)) s.missingObjects.push_back(object);
    else if (Visible(object)) s.shownObjects.push_back(object);
  }
  if (!FindObjectRecord(kBlockProbeObject)) s.missingObjects.push_back(kBlockProbeObject);
  s.menuSceneParked = true;
  for (int32_t object = 2; object <= 24; ++object)
    s.menuSceneParked = s.menuSceneParked && FindObjectRecord(object) && !Visible(object) && GetObjectY(object) == -9000.0f;
  for (int32_t image : {1, 2, 3, 4, 924, 5004, 100, 101, 102, 103, 920, 921, 922})
    if (!HasImage(image)) s.missingImages.push_back(image);
  s.loadingSpriteGone = FindSprite(923) == nullptr;
  SpriteRecord* base = FindSprite(kBaseTextureSprite);
  SpriteRecord* frame = FindSprite(kBlockFrameSprite);
  s.levelSpritesHidden = base && frame && !base->visible && !frame->visible;
}

TEST(GameMain, LoadsTheMediaBeforeTheFirstStateAndShutsDownAfterTheLast) {
  const StartUpSnapshot& s = g_startUp;
  ASSERT_TRUE(s.editorReached) << "\"-edit\" did not reach the editor";
  EXPECT_EQ(s.state, uint32_t(kStateEditor));
  EXPECT_EQ(s.title, "Qel");
  EXPECT_TRUE(s.fontsMade);
  EXPECT_TRUE(s.visualiserBoxHidden) << "the editor runs without the visualiser box";
  EXPECT_EQ(s.explosionY, -900000.0f);
  EXPECT_EQ(s.missingObjects, std::vector<int32_t>{});
  EXPECT_EQ(s.shownObjects, std::vector<int32_t>{});
  EXPECT_TRUE(s.menuSceneParked);
  EXPECT_EQ(s.missingImages, std::vector<int32_t>{});
  EXPECT_TRUE(s.loadingSpriteGone);
  EXPECT_TRUE(s.levelSpritesHidden);
  // Shutdown.
  EXPECT_TRUE(s.visualiserImageGone);
  EXPECT_TRUE(s.fontsReleased);
}

// The names the media load resolves, and a quit (the window's close, as a quit signal brings it too)
// arriving as the first of them is being loaded.
std::vector<std::string> g_resolved;
void (*g_resolve)(char*) = nullptr;
void ResolveAndQuitAtTheFirst(char* name) {
  g_resolved.push_back(name);
  if (g_resolved.size() == 1) platform::window::PostMessage(GetCoreDataPointer()->window, platform::window::WM_CLOSE, 0, 0);
  g_resolve(name);
}

TEST(GameMain, AQuitDuringTheMediaLoadStopsItAtTheNextItem) {
  CoreData* data = GetCoreDataPointer();
  g_resolve = data->resolveMediaPath;
  data->resolveMediaPath = ResolveAndQuitAtTheFirst;
  LoadStartUpMedia();
  data->resolveMediaPath = g_resolve;
  const bool quitSeen = !LoopCheck();
  WithdrawQuitRequest();
  EXPECT_TRUE(quitSeen);
  EXPECT_EQ(g_resolved.size(), 1u) << "loaded on after the quit: " << (g_resolved.size() > 1 ? g_resolved[1] : "");
}

TEST(CommandLine, TheFirstWordAfterTheProgramChoosesTheFirstState) {
  const std::string longPath(300, 'x');
  struct Case {
    std::vector<const char*> words;
    uint32_t state;
    std::string param1, param2, mapPath;
  };
  const Case cases[] = {
      {{"qel"}, kStateMenu, "", "", ""},
      {{"qel", "-edit"}, kStateEditor, "-edit", "", ""},
      {{"qel", "-map", "Tutorial\\tutor01.qel"}, kStatePlayMap, "-map", "Tutorial\\tutor01.qel", "Tutorial\\tutor01.qel"},
      {{"qel", "-map", "In Progress\\My Level.qel", "extra"}, kStatePlayMap, "-map", "In Progress\\My Level.qel",
       "In Progress\\My Level.qel"},
      // "-map" alone plays the empty path, which then fails as a missing file does.
      {{"qel", "-map"}, kStatePlayMap, "-map", "", ""},
      {{"qel", "-MAP", "a.qel"}, kStateMenu, "-MAP", "a.qel", ""},
      {{"qel", "-editor"}, kStateMenu, "-editor", "", ""},
      // Words are cut to their 255-character fields.
      {{"qel", "-map", longPath.c_str()}, kStatePlayMap, "-map", longPath.substr(0, 255), longPath.substr(0, 255)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.words.size() > 1 ? c.words[1] : "(none)");
    Game() = GameVariables{};
    // Through the process's command line: words with spaces are quoted and come back whole.
    platform::fs::SetProcessCommandLine(int(c.words.size()), c.words.data());
    ParseCommandLine();
    EXPECT_EQ(CommandLine().param1, c.param1);
    EXPECT_EQ(CommandLine().param2, c.param2);
    EXPECT_EQ(FirstStateFromCommandLine(), c.state);
    EXPECT_EQ(std::string(Game().mapPath), c.mapPath);
  }
}

}  // namespace start_up_test
