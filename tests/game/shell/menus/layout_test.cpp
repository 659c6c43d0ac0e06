// The menu's screens at the display sizes a player may choose: every button reacts to a click at the
// middle of its drawn text, no text is drawn wider than the box it belongs to (measured in the font it
// is drawn in), and nothing a screen lays out reaches outside the window or into something it does not
// belong to. With QEL_SCREENSHOTS set to a folder, each screen at each size is saved there.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "game/shell/menu_layout.h"
#include "game/shell/menu_text.h"
#include "tests/game/play/level/level_engine.h"
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
    // The game's own pictures of the menu: the column's backdrop, the game mode panel's backdrop and
    // the frame round the column, whose inside is the colour key.
    const char* source = std::getenv("QEL_SOURCE_DIR");
    ASSERT_TRUE(source && *source) << "QEL_SOURCE_DIR names the project (ctest sets it)";
    SetImageColorKey(255, 0, 255);
    for (const auto& [image, file] : {std::pair{920, "menubg.bmp"}, {921, "menubg2.bmp"}, {922, "menuframe.bmp"}})
      ASSERT_EQ(LoadImage((std::string(source) + "/assets/Art/" + file).c_str(), image), 1) << file;
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
    SetMenuLayoutObserver(nullptr);
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
      int left = 0, top = ColumnY(b.y);
      switch (b.place) {
        case Place::kColumn: left = w - 245 - textWidth / 2; break;
        case Place::kLabel: left = w - 450; break;
        case Place::kTable: left = w - 452 + b.y, top = ColumnY(119) + 207; break;
        case Place::kPanel: left = w / 2 + 255, top = PanelCentreY() + 180; break;
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


std::string Describe(const LaidOutBox& b) {
  static const char* const kKinds[] = {"text", "frame", "fill", "line", "picture", "overlay"};
  std::ostringstream out;
  out << kKinds[int(b.kind)] << " \"" << b.what << "\" (" << b.left << "," << b.top << ")-(" << b.right << ","
      << b.bottom << ")";
  return out.str();
}

bool Disjoint(const LaidOutBox& a, const LaidOutBox& b) {
  return a.right < b.left || b.right < a.left || a.bottom < b.top || b.bottom < a.top;
}
bool Inside(const LaidOutBox& inner, const LaidOutBox& outer) {
  return outer.left <= inner.left && inner.right <= outer.right && outer.top <= inner.top &&
         inner.bottom <= outer.bottom;
}

// What may meet what: texts never touch each other or a line, and stand wholly inside a frame, fill or
// picture they reach into; frames, fills and pictures nest or keep apart, except that a widget may
// draw frames over its own background (a fill and a frame inside one frame); lines may meet the
// frames they join; a message panel is drawn over the screen and only keeps clear of texts.
std::vector<std::string> LayoutFaults(const std::vector<LaidOutBox>& boxes, int width, int height) {
  const auto inOneFrame = [&](const LaidOutBox& a, const LaidOutBox& b) {
    return std::any_of(boxes.begin(), boxes.end(), [&](const LaidOutBox& c) {
      return c.kind == LaidOut::kFrame && &c != &a && &c != &b && Inside(a, c) && Inside(b, c);
    });
  };
  std::vector<std::string> faults;
  for (size_t i = 0; i < boxes.size(); ++i) {
    const LaidOutBox& a = boxes[i];
    if (a.left < 0 || a.top < 0 || a.right >= width || a.bottom >= height)
      faults.push_back(Describe(a) + " reaches outside the window");
    for (size_t j = i + 1; j < boxes.size(); ++j) {
      const LaidOutBox& b = boxes[j];
      if (Disjoint(a, b)) continue;
      const LaidOutBox* text = a.kind == LaidOut::kText ? &a : b.kind == LaidOut::kText ? &b : nullptr;
      const LaidOutBox& other = text == &a ? b : a;
      bool fault;
      if (text) {
        fault = other.kind == LaidOut::kText || other.kind == LaidOut::kLine || other.kind == LaidOut::kOverlay ||
                !Inside(*text, other);
      } else if (a.kind == LaidOut::kLine || b.kind == LaidOut::kLine || a.kind == LaidOut::kOverlay ||
                 b.kind == LaidOut::kOverlay) {
        fault = false;
      } else {
        const bool fillAndFrame = (a.kind == LaidOut::kFill && b.kind == LaidOut::kFrame) ||
                                  (a.kind == LaidOut::kFrame && b.kind == LaidOut::kFill);
        fault = !Inside(a, b) && !Inside(b, a) && !(fillAndFrame && inOneFrame(a, b));
      }
      if (fault) faults.push_back(Describe(a) + " overlaps " + Describe(b));
    }
  }
  return faults;
}

TEST_F(LayoutTest, NothingReachesOutOfTheWindowOrIntoWhatItDoesNotBelongTo) {
  struct ScreenCase {
    const char* name;
    std::function<void()> show;  // puts the menu on the screen, in the state to lay out
  };
  auto screen = [](MenuScreen s, ControlsMode mode = kBindingsTable) {
    return [s, mode] {
      Menu().screen = s;
      Menu().controlsMode = mode;
      Menu().mainFrame = s == kGameModeScreen ? 0 : 1;
    };
  };
  const std::string longName(kTextFieldTypingLimit, 'W');
  const ScreenCase cases[] = {
      {"main", screen(kMainScreen)},
      {"options", screen(kOptionsScreen)},
      {"new-profile", [&] {
         screen(kNewProfileScreen)();
         Settings().NoProfile = true;  // with the line that asks for a profile
         Menu().newProfileName = TextField{};
         std::snprintf(Menu().newProfileName.text, kMenuTextSize, "%s", longName.c_str());
         Menu().newProfileName.focused = 1;
       }},
      {"load-profile", screen(kLoadProfileScreen)},
      {"graphics", screen(kGraphicsScreen)},
      {"sound", screen(kSoundScreen)},
      {"controls", [&] {
         screen(kControlsScreen)();
         Menu().captureCell = 29;  // the last joystick cell waits for input
       }},
      {"controls-load", screen(kControlsScreen, kLoadControlConfig)},
      {"controls-save", [&] {
         screen(kControlsScreen, kSaveControlConfig)();
         std::snprintf(Menu().configName.text, kMenuTextSize, "%s", longName.c_str());
         Menu().configName.focused = 1;
       }},
      {"game-mode", screen(kGameModeScreen)},
      {"message", [&] {
         screen(kControlsScreen, kSaveControlConfig)();
         ShowMenuMessage("The control configuration [%s] could not be saved.#"
                         "Check that the Profiles\\Configs folder can be written.", longName.c_str());
       }},
  };
  std::vector<LaidOutBox> boxes;
  SetMenuLayoutObserver([&](const LaidOutBox& box) { boxes.push_back(box); });
  for (const DisplaySize& size : kSizes) {
    UseSize(size);
    UseLongTexts();
    for (int i = 0; i < 20; ++i) Write("Profiles/player " + std::to_string(i) + ".prf", "x\r\n");
    ListProfileFiles();
    MoveMouse(1, size.height / 2);  // over nothing
    for (const ScreenCase& c : cases) {
      const std::string name = std::to_string(size.width) + "x" + std::to_string(size.height) + "-" + c.name;
      SCOPED_TRACE(name);
      Menu().message[0] = '\0';
      Menu().captureCell = -1;
      Settings().NoProfile = false;
      c.show();
      boxes.clear();
      ASSERT_EQ(DrawMenuPass(), kMenuContinues);
      level_test::SaveScreenshot(name);
      Sync();
      EXPECT_GT(boxes.size(), 4u);
      for (const std::string& fault : LayoutFaults(boxes, size.width, size.height)) ADD_FAILURE() << fault;
    }
  }
}

}  // namespace
}  // namespace menu_test
