// The menu's screens at the display sizes a player may choose: every button reacts to a click at the
// middle of its drawn text, and no text is drawn wider than the box it belongs to (measured in the
// font it is drawn in).
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "game/shell/menu_text.h"
#include "tests/game/shell/menus/menu_fixture.h"

namespace menu_test {
namespace {

struct DisplaySize {
  int width, height;
};
constexpr DisplaySize kSizes[] = {{640, 480}, {800, 600}, {1024, 768}};

// Runs the menu at another display size (as the game starts in it: the mode first, then the engine
// text font), and puts the fixture's size back afterwards.
class LayoutTest : public MenuTest {
 protected:
  void UseSize(const DisplaySize& size) {
    ASSERT_NE(SetDisplayMode(size.width, size.height, 32), 0u);
    SetTextFont("Arial");
    SetTextSize(16);
    int clientWidth = 0, clientHeight = 0;
    GetCoreDataPointer()->window->GetClientSize(clientWidth, clientHeight);
    ASSERT_EQ(clientWidth, size.width);
    ASSERT_EQ(clientHeight, size.height);
    UseProfile("Ann");
    Enter();
  }
  // Texts a screen must show fitted: a long adapter name, long key names, a long profile file name.
  static void UseLongTexts() {
    auto& adapters = Menu().adapters;
    std::snprintf(adapters.entries[0].text, kMenuTextSize, "%s",
                  "llvmpipe (LLVM 15.0.6, 256 bits) with an even longer name after it");
    adapters.entries[0].valid = 1;
    adapters.count = std::max(adapters.count, 1);
    Bindings().keyboard[kTurnLeft] = 219;     // "Left Windows Key"
    Bindings().alternative[kTurnLeft] = 220;  // "Right Windows Key"
    MakeFolders("Profiles");
    Write("Profiles/A profile whose name is far too long for the list.prf", "x\r\n");
    ListProfileFiles();
  }
  void TearDown() override {
    SetMenuTextObserver(nullptr);
    SetDisplayMode(kWidth, kHeight, 32);
    SetTextFont("Arial");
    SetTextSize(16);
    // The scene's stand-ins do not outlive the mode changes; the other tests find them as before.
    MenuEngine::MakeSceneStandIns();
    MenuTest::TearDown();
  }
};

// Where a button's text is drawn and what a click on it does.
enum class Place { kColumn, kLabel, kTable, kPanel };
struct ButtonCase {
  MenuScreen screen;
  const char* text;
  Place place;
  int y;  // the row (for kTable and kPanel: below the screen's anchor or the panel's centre)
  int32_t font;
  std::function<bool()> opened;
};

bool ScreenIs(uint32_t screen) { return Menu().screen == screen; }

std::vector<ButtonCase> Buttons() {
  auto screen = [](MenuScreen s) { return [s] { return ScreenIs(s); }; };
  auto mode = [](ControlsMode c) { return [c] { return Menu().controlsMode == c; }; };
  return {
      {kMainScreen, "Play Game", Place::kColumn, 130, kItemFont, screen(kGameModeScreen)},
      {kMainScreen, "New Profile", Place::kColumn, 150, kItemFont, screen(kNewProfileScreen)},
      {kMainScreen, "Load Profile", Place::kColumn, 170, kItemFont, screen(kLoadProfileScreen)},
      {kMainScreen, "Options", Place::kColumn, 190, kItemFont, screen(kOptionsScreen)},
      {kMainScreen, "Exit", Place::kColumn, 230, kItemFont, [] { return Game().state == kStateQuit; }},
      {kOptionsScreen, "Graphics Options", Place::kColumn, 130, kItemFont, screen(kGraphicsScreen)},
      {kOptionsScreen, "Sound Options", Place::kColumn, 150, kItemFont, screen(kSoundScreen)},
      {kOptionsScreen, "Controls", Place::kColumn, 170, kItemFont, screen(kControlsScreen)},
      {kOptionsScreen, "Back", Place::kColumn, 210, kItemFont, screen(kMainScreen)},
      {kNewProfileScreen, "Back", Place::kLabel, 482, kItemFont, screen(kMainScreen)},
      {kLoadProfileScreen, "Back", Place::kLabel, 482, kItemFont, screen(kMainScreen)},
      {kGraphicsScreen, "Back", Place::kLabel, 482, kItemFont, screen(kOptionsScreen)},
      {kSoundScreen, "Back", Place::kLabel, 482, kItemFont, screen(kOptionsScreen)},
      {kControlsScreen, "Back", Place::kLabel, 482, kItemFont, screen(kOptionsScreen)},
      {kControlsScreen, "Save Config", Place::kTable, 2, kSmallFont, mode(kSaveControlConfig)},
      {kControlsScreen, "Load Config", Place::kTable, 70, kSmallFont, mode(kLoadControlConfig)},
      {kGameModeScreen, "Back", Place::kPanel, 0, kItemFont, screen(kMainScreen)},
  };
}

TEST_F(LayoutTest, EveryButtonTakesAClickAtTheMiddleOfItsText) {
  for (const DisplaySize& size : kSizes) {
    UseSize(size);
    const int w = size.width;
    for (const ButtonCase& b : Buttons()) {
      SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(size.height) + ", screen " +
                   std::to_string(b.screen) + ", \"" + b.text + "\"");
      Game().state = kStateMenu;
      Menu().controlsMode = kBindingsTable;
      Menu().mainFrame = b.screen == kGameModeScreen ? 0 : 1;
      Menu().screen = b.screen;
      Pass();
      const int textWidth = GameTextWidth(b.font, b.text), textHeight = GameTextHeight(b.font, b.text);
      int left = 0, top = b.y;
      switch (b.place) {
        case Place::kColumn: left = w - 245 - textWidth / 2; break;
        case Place::kLabel: left = w - 450, top = BottomRowY(b.y); break;
        case Place::kTable: left = w - 452 + b.y, top = 119 + 207; break;
        case Place::kPanel: left = w / 2 + 255, top = size.height / 2 + 180; break;
      }
      ASSERT_LE(top + textHeight, size.height) << "the text is on the screen";
      Click(left + textWidth / 2, top + textHeight / 2);
      EXPECT_TRUE(b.opened());
    }
  }
}

// The "Defaults" button under the controls table: its box no longer lies under "Load Config".
TEST_F(LayoutTest, TableButtonsAreBoxedByTheFontTheyAreDrawnIn) {
  UseSize(kSizes[1]);
  Menu().screen = kControlsScreen;
  Pass();
  Bindings().keyboard[kAccelerate] = kKeyZ;
  const int x = kWidth - 452 + 138, y = 119 + 207;
  Click(x + GameTextWidth(kSmallFont, "Defaults") / 2, y + GameTextHeight(kSmallFont, "Defaults") / 2);
  EXPECT_EQ(Menu().controlsMode, kBindingsTable) << "not taken by the box of \"Load Config\"";
  EXPECT_EQ(Bindings().keyboard[kAccelerate], 200) << "the defaults are back";
  // The end of each box: just past its text the next button's box has not begun, nor does this one
  // react there.
  const int loadEnd = kWidth - 452 + 70 + GameTextWidth(kSmallFont, "Load Config");
  ASSERT_LT(loadEnd + 2, x);
  Click(loadEnd + 2, y + 4);
  EXPECT_EQ(Menu().controlsMode, kBindingsTable);
}

TEST_F(LayoutTest, NoTextIsDrawnWiderThanItsBox) {
  struct ScreenCase {
    MenuScreen screen;
    ControlsMode mode;
    const char* mustShow;  // a text the pass must have drawn (fitted or not)
  } screens[] = {
      {kMainScreen, kBindingsTable, "Visualisation (Unavailiable)"},
      {kOptionsScreen, kBindingsTable, "Graphics Options"},
      {kLoadProfileScreen, kBindingsTable, "A profile whose name is far too long for the list.prf"},
      {kNewProfileScreen, kBindingsTable, "New Profile Name:"},
      {kGraphicsScreen, kBindingsTable, "llvmpipe (LLVM 15.0.6, 256 bits) with an even longer name after it"},
      {kSoundScreen, kBindingsTable, "Sound Effect Volume:"},
      {kControlsScreen, kBindingsTable, "Emergency Break"},
      {kControlsScreen, kLoadControlConfig, "Load Control Config:"},
      {kControlsScreen, kSaveControlConfig, "Save Control Config:"},
      {kGameModeScreen, kBindingsTable, "Single (Unavailiable)"},
  };
  std::vector<DrawnMenuText> drawn;
  SetMenuTextObserver([&](const DrawnMenuText& text) { drawn.push_back(text); });
  for (const DisplaySize& size : kSizes) {
    UseSize(size);
    UseLongTexts();
    for (const ScreenCase& s : screens) {
      SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height) + ", screen " +
                   std::to_string(s.screen) + " mode " + std::to_string(s.mode));
      Menu().screen = s.screen;
      Menu().controlsMode = s.mode;
      Menu().mainFrame = s.screen == kGameModeScreen ? 0 : 1;
      drawn.clear();
      Pass();
      bool shown = false;
      for (const DrawnMenuText& t : drawn) {
        shown |= t.original == s.mustShow;
        const int width = GameTextWidth(t.slot, t.text.c_str()), height = GameTextHeight(t.slot, t.text.c_str());
        const int left = t.alignment == 1 ? t.x - width / 2 : t.alignment == 2 ? t.x - width : t.x;
        const int right = t.alignment == 1 ? t.x + width / 2 : t.alignment == 2 ? t.x : t.x + width - 1;
        EXPECT_GE(left, t.box.left) << '"' << t.text << '"';
        EXPECT_LE(right, t.box.right) << '"' << t.text << '"';
        EXPECT_LE(t.y + height, size.height) << '"' << t.text << "\" below the screen";
        EXPECT_FALSE(t.text.empty() && !t.original.empty()) << '"' << t.original << "\" cut to nothing";
      }
      EXPECT_TRUE(shown) << '"' << s.mustShow << "\" was drawn";
    }
  }
}

}  // namespace
}  // namespace menu_test
