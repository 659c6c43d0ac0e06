// The display settings put into effect on the offscreen device.
#include "engine/display/display.h"
#include "game/shell/settings.h"
#include "tests/engine/engine_fixture.h"

namespace {

TEST(ApplyDisplayMode, SetsAChangedModeCentresTheWindowAndSwitchesFullScreen) {
  uint32_t word = 0;
  CoreData* core = engine_test::StartEngineDisplay(&word);
  GameSettings& s = Settings();
  s = GameSettings{};
  s.width = 800;
  s.height = 600;
  s.ModeChanged = true;
  ApplyDisplayMode();
  EXPECT_FALSE(s.ModeChanged);
  EXPECT_EQ(GetDisplayWidth(), 800);
  EXPECT_EQ(GetDisplayHeight(), 600);
  EXPECT_TRUE(IsWindowed());
  int screenWidth = 0, screenHeight = 0;
  platform::window::GetScreenSize(screenWidth, screenHeight);
  EXPECT_EQ(core->windowX, (screenWidth - 800) / 2);
  EXPECT_EQ(core->windowY, (screenHeight - 600) / 2);

  // Without a mode change only the window mode follows the settings.
  s.width = 640;
  s.windowed = false;
  ApplyDisplayMode();
  EXPECT_EQ(GetDisplayWidth(), 800);
  EXPECT_FALSE(IsWindowed());
  s.windowed = true;
  ApplyDisplayMode();
  EXPECT_TRUE(IsWindowed());
  EXPECT_EQ(word, 0u);
  engine_test::StopEngineDisplay(core);
}

}  // namespace
