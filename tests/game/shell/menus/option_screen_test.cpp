// The Graphics Options and Sound Options screens: working copies, "Apply Settings" with and without a
// restart, "Back", and the music following the sliders.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "game/play/music.h"
#include "game/play/sound_effects.h"
#include "platform/audio/test_hooks.h"
#include "platform/dialogs/dialogs.h"
#include "platform/dialogs/test_hooks.h"
#include "platform/window/message_box.h"
#include "tests/game/shell/menus/menu_fixture.h"
#include "tests/platform/audio/audio_fixtures.h"

namespace menu_test {
namespace {

constexpr int kApplyY = 462, kBackY = 482;

// The display lists as the engine might report them: mode 0 is the settings' own.
void UseDisplayLists() {
  auto& modes = Menu().modes;
  modes = {};
  const int32_t sizes[][3] = {{kWidth, kHeight, 32}, {1024, 768, 32}, {kWidth, kHeight, 16}};
  for (const auto& size : sizes) {
    DisplayChoice& mode = modes.entries[modes.count++];
    std::snprintf(mode.text, sizeof mode.text, "%dx%dx%d", size[0], size[1], size[2]);
    mode.valid = 1;
    mode.width = size[0];
    mode.height = size[1];
    mode.depth = size[2];
  }
  auto& adapters = Menu().adapters;
  adapters = {};
  for (const char* name : {"First Adapter", "Second Adapter"}) {
    std::snprintf(adapters.entries[adapters.count].text, kMenuTextSize, "%s", name);
    adapters.entries[adapters.count++].valid = 1;
  }
}

class GraphicsScreenTest : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    UseProfile("Ann");
    GameSettings& s = Settings();
    s.width = kWidth;
    s.height = kHeight;
    s.depth = 32;
    StoreText(s.adapterName, "First Adapter");
    Enter();
    UseDisplayLists();
    Menu().screen = kOptionsScreen;
    Click(kColumn, ItemY(130));  // "Graphics Options"
    ASSERT_EQ(Menu().screen, kGraphicsScreen);
  }
  // The check-box rows: a point on the label.
  void ClickRow(int y) { ClickButton(kLabelX, y); }
  // Row i of a choice list at y.
  void ClickChoice(int y, int row) { Click(kLabelX + 20, y + row * LineHeight() + LineHeight() / 2); }
  int32_t Apply() { return ClickButton(kLabelX, kApplyY); }
};

constexpr int kWindowedY = 310, kSphereY = 330, kShadowsY = 350, kClipY = 370;

TEST_F(GraphicsScreenTest, TheCheckBoxesToggleWorkingFlagsThatApplyStoresWithoutARestart) {
  EXPECT_EQ(Menu().shadows, 0);
  EXPECT_EQ(Menu().sphereMapping, 1);
  ClickRow(kShadowsY);
  ClickRow(kSphereY);
  ClickRow(kClipY);
  ClickRow(kClipY);
  EXPECT_EQ(Menu().shadows, 1);
  EXPECT_EQ(Menu().sphereMapping, 0);
  EXPECT_EQ(Menu().clip, 0);
  EXPECT_FALSE(Settings().shadows) << "nothing is stored before \"Apply Settings\"";

  const int lineHeight = LineHeight(), itemWidth = TextWidth("Graphics Options");
  EXPECT_EQ(Apply(), kMenuContinues);
  EXPECT_EQ(Menu().screen, kGraphicsScreen);
  EXPECT_EQ(Menu().restartRequired, 0);
  EXPECT_EQ(LineHeight(), lineHeight) << "the menu measures in the same font after the settings apply";
  EXPECT_EQ(TextWidth("Graphics Options"), itemWidth);
  EXPECT_TRUE(Settings().shadows);
  EXPECT_FALSE(Settings().sphereMapping);
  EXPECT_NE(Read("Config.ini").find("Shadows"), std::string::npos);
  EXPECT_EQ(Game().state, kStateMenu);
}

TEST_F(GraphicsScreenTest, AnotherAdapterAloneNeedsNoRestart) {
  ClickChoice(119, 1);
  EXPECT_EQ(Menu().adapters.selected, 1);
  EXPECT_EQ(Apply(), kMenuContinues);
  EXPECT_STREQ(Settings().adapterName, "Second Adapter");
  EXPECT_TRUE(Exists("Config.ini"));
}

TEST_F(GraphicsScreenTest, ANewModeOrWindowSwitchSavesAndEndsTheGame) {
  struct Case {
    const char* what;
    int modeRow;  // -1: keep the mode
    bool toggleWindowed;
    int32_t width, depth;
    bool windowed;
  };
  const Case cases[] = {
      {"another size", 1, false, 1024, 32, true},
      {"another depth", 2, false, kWidth, 16, true},
      {"full screen", -1, true, kWidth, 32, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Settings().width = kWidth;
    Settings().depth = 32;
    Settings().windowed = true;
    Game().state = kStateMenu;
    std::filesystem::remove("Config.ini");
    Enter();
    UseDisplayLists();
    Menu().screen = kOptionsScreen;
    Pass();  // the latch, kept from the last menu, is set again once the button is up
    Click(kColumn, ItemY(130));
    ASSERT_EQ(Menu().screen, kGraphicsScreen);
    if (c.modeRow >= 0) ClickChoice(201, c.modeRow);
    if (c.toggleWindowed) ClickRow(kWindowedY);
    EXPECT_EQ(Apply(), kMenuRestartGame);
    EXPECT_EQ(Game().state, kStateQuit);
    EXPECT_EQ(Menu().restartRequired, 1);
    EXPECT_EQ(Settings().width, c.width);
    EXPECT_EQ(Settings().depth, c.depth);
    EXPECT_EQ(Settings().windowed, c.windowed);
    EXPECT_NE(Read("Config.ini").find(std::to_string(c.width)), std::string::npos) << "saved for the next start";
  }
}

// Where the system's message box cannot be shown, the restart notice is drawn in the game's window and
// waits for its OK before the game ends.
TEST_F(GraphicsScreenTest, TheRestartNoticeIsDrawnInTheWindowWhenTheSystemBoxFails) {
  namespace pw = platform::window;
  namespace pt = platform::dialogs::test;
  pw::test::ShowMessageBoxes(true);
  pw::test::SetSystemMessageBox([](const char*, const char*, uint32_t) { return -1; });
  std::string shown;
  pt::Run([&shown] {
    shown = pt::OpenDialogCaption() + ": " + pt::ControlText(platform::dialogs::kMessageBoxText);
  });
  pt::PressEnter();
  ClickChoice(201, 1);
  EXPECT_EQ(Apply(), kMenuRestartGame);
  pw::test::SetSystemMessageBox(nullptr);
  pw::test::ShowMessageBoxes(false);
  EXPECT_EQ(shown, "Caution: These changes require the program to restart.\nPlease re-run it when it closes.");
  EXPECT_EQ(pt::PendingSteps(), 0u) << "OK was pressed in the box";
  EXPECT_EQ(Game().state, kStateQuit);
}

TEST_F(GraphicsScreenTest, BackDropsTheWorkingFlags) {
  ClickRow(kShadowsY);
  ClickButton(kLabelX, kBackY);
  EXPECT_EQ(Menu().screen, kOptionsScreen);
  EXPECT_FALSE(Settings().shadows);
  Click(kColumn, ItemY(130));
  EXPECT_EQ(Menu().shadows, 0) << "a fresh copy of the settings";
}

// An engine that reported no adapter or mode leaves the stored ones as they are.
TEST_F(GraphicsScreenTest, EmptyDisplayListsKeepTheStoredAdapterAndMode) {
  Menu().modes = {};
  Menu().adapters = {};
  ClickRow(kShadowsY);
  EXPECT_EQ(Apply(), kMenuContinues);
  EXPECT_EQ(Settings().width, kWidth);
  EXPECT_EQ(Settings().height, kHeight);
  EXPECT_EQ(Settings().depth, 32);
  EXPECT_STREQ(Settings().adapterName, "First Adapter");
  EXPECT_TRUE(Settings().shadows);
}

// --- the sound screen, with the menu track playing: a loud steady tone, mixed on the test's thread.

using audio_test::MixPeak;

class SoundScreenTest : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    constexpr int kRate = 44100;
    audio_test::WriteFile("Music/" + std::string(kMenuMusic),
                          audio_test::EncodeOgg(audio_test::Sine(441.0, 0.8, kRate, kRate * 4), 1, kRate));
    LoadSounds();
    platform::audio::PauseMixing(true);
    UseProfile("Ann");
    Enter();
    Menu().screen = kOptionsScreen;
    Click(kColumn, ItemY(150));  // "Sound Options"
    ASSERT_EQ(Menu().screen, kSoundScreen);
    MixPeak(4410);
    full_ = MixPeak(4410).first;
    ASSERT_GT(full_, 0.3f) << "the menu music plays";
  }
  void TearDown() override {
    CloseSounds();
    platform::audio::PauseMixing(false);
    MenuTest::TearDown();
  }
  float full_ = 0.0f;
};

constexpr int kTrackLeft = kLabelX + 22;
constexpr int kVolumeY = 119 + 7, kPanY = 152 + 7, kEffectY = 185 + 7;

TEST_F(SoundScreenTest, TheMusicFollowsTheSlidersAndBackRestoresTheStoredSound) {
  const std::string config = Read("Config.ini");
  Click(kTrackLeft + 64, kVolumeY);
  EXPECT_EQ(Menu().musicVolume, 64);
  MixPeak(4410);
  EXPECT_NEAR(MixPeak(4410).first, full_ * 64.0f / 255.0f, 0.05f) << "heard at once";
  Click(kTrackLeft, kPanY);
  MixPeak(4410);
  const auto [left, right] = MixPeak(4410);
  EXPECT_GT(left, 0.05f);
  EXPECT_LT(right, left / 4.0f) << "panned to the left";

  ClickButton(kLabelX, kBackY);
  EXPECT_EQ(Menu().screen, kOptionsScreen);
  EXPECT_EQ(Settings().musicVolume, 255);
  EXPECT_EQ(Settings().musicPan, 128);
  MixPeak(4410);
  const auto restored = MixPeak(4410);
  EXPECT_NEAR(restored.first, full_, 0.02f) << "the stored loudness and pan are back";
  EXPECT_NEAR(restored.second, full_, 0.02f);
  EXPECT_EQ(Read("Config.ini"), config) << "nothing saved";
}

TEST_F(SoundScreenTest, ApplyStoresAndSavesTheValuesAndBackKeepsThem) {
  Click(kTrackLeft + 100, kVolumeY);
  Click(kTrackLeft + 40, kEffectY);
  ClickButton(kLabelX, kApplyY);
  EXPECT_EQ(Menu().screen, kSoundScreen);
  EXPECT_EQ(Settings().musicVolume, 100);
  EXPECT_EQ(Settings().effectVolume, 40);
  EXPECT_EQ(Settings().musicPan, 128);
  const std::string config = Read("Config.ini");
  EXPECT_NE(config.find("100"), std::string::npos);
  EXPECT_NE(config.find("40"), std::string::npos);
  MixPeak(4410);
  const float applied = MixPeak(4410).first;
  ClickButton(kLabelX, kBackY);
  MixPeak(4410);
  EXPECT_NEAR(MixPeak(4410).first, applied, 0.02f);
}

}  // namespace
}  // namespace menu_test
