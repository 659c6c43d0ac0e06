// The menu's widgets on their screens: the file lists and their filler, the text entry field, the
// sliders and the display choice lists.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "engine/core/core_alloc.h"
#include "engine/file/file_module.h"
#include "engine/system/result_list.h"
#include "tests/game/shell/menus/menu_fixture.h"

namespace menu_test {
namespace {

std::set<std::string> Listed(const FileNameList& list) {
  std::set<std::string> names;
  for (int32_t i = 0; i < list.count; ++i) names.insert(list.names[i]);
  return names;
}

// --- file lists

TEST_F(MenuTest, TheProfileListTakesNamesHoldingTheExtensionAnywhereInTheirCase) {
  for (const char* name : {"ann.prf", "bob.prf.bak", "CAPS.PRF", "notes.txt", "prf"}) Write(std::string("Profiles/") + name, "x");
  MakeFolders("Profiles/folder.prf");
  Menu().profiles.selected = 7;
  ListProfileFiles();
  EXPECT_EQ(Listed(Menu().profiles), (std::set<std::string>{"ann.prf", "bob.prf.bak"}));
  EXPECT_EQ(Menu().profiles.count, 2);
  EXPECT_EQ(Menu().profiles.selected, 0);
  EXPECT_STREQ(Menu().profiles.names[2], "");
  char* folder = GetCurrentFolder();
  EXPECT_EQ(std::string(folder), std::string(GameFolder())) << "the filler goes back to the game folder";
  CoreAllocFree(&folder, 0);

  // A missing folder lists nothing, and does not list the game folder instead.
  Write("stray.cfg", "x");
  ListControlConfigFiles();
  EXPECT_EQ(Menu().configs.count, 0);
}

TEST_F(MenuTest, TheFileListsHoldFiftyNames) {
  for (int i = 0; i < 55; ++i) Write("Profiles/p" + std::to_string(100 + i) + ".prf", "x");
  ListProfileFiles();
  EXPECT_EQ(Menu().profiles.count, 50);
  EXPECT_EQ(Listed(Menu().profiles).size(), 50u);
}

// Rows of the Load Profile list (16 rows from the anchor, 20 pixels apart): a point inside row i.
int RowY(int row) { return kAnchorY + 20 * row + 10; }
constexpr int kRowX = kAnchorX + 40;
constexpr int kArrowX = kAnchorX + 192;
constexpr int kUpArrowY = kAnchorY + 7, kDownArrowY = kAnchorY + 312;

TEST_F(MenuTest, TheFileListScrollsWhileAnArrowIsHeldAndStopsWithOneEmptyRowAtItsEnd) {
  UseProfile("p00");
  for (int i = 1; i < 20; ++i) Write("Profiles/p" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".prf", "x");
  Enter();
  Click(kColumn, ItemY(170));  // "Load Profile"
  ASSERT_EQ(Menu().screen, kLoadProfileScreen);
  ASSERT_EQ(Menu().profiles.count, 20);

  Hold(kArrowX, kDownArrowY);
  Passes(3);
  EXPECT_EQ(Menu().profileScroll, 3) << "one row a pass";
  Passes(10);
  EXPECT_EQ(Menu().profileScroll, 5) << "20 names scroll to 20 - 15";
  EXPECT_EQ(Menu().clickLatch, 0) << "a held arrow takes the click";
  Release();
  Pass();

  // The last row is empty: a click there selects nothing and leaves the latch for another control.
  MoveMouse(kRowX, RowY(15));
  Press();
  Pass();
  EXPECT_EQ(Menu().profiles.selected, 0);
  Release();
  Pass();
  Click(kRowX, RowY(2));
  EXPECT_EQ(Menu().profiles.selected, 7) << "row 2 shows entry 5 + 2";

  Hold(kArrowX, kUpArrowY);
  Passes(8);
  EXPECT_EQ(Menu().profileScroll, 0);
}

// --- the text entry field, on the New Profile screen

constexpr int kFieldX = kAnchorX + 50, kFieldY = kAnchorY + 9;

TEST_F(MenuTest, TheTextFieldTypesOnlyWhileFocusedAndStopsAddingAt28) {
  Enter();
  Menu().screen = kNewProfileScreen;
  MoveMouse(kFieldX, kFieldY);
  TypeLetters("ab");
  EXPECT_STREQ(Menu().newProfileName.text, "") << "not focused yet";

  Click(kFieldX, kFieldY);
  EXPECT_EQ(Menu().newProfileName.focused, 1);
  TypeLetters("qwerty");
  EXPECT_STREQ(Menu().newProfileName.text, "qwerty") << "what was typed before the focus is gone";
  TypeLetters("abcdefghijklmnopqrstuvwx");
  EXPECT_EQ(std::strlen(Menu().newProfileName.text), 28u);
  EXPECT_STREQ(Menu().newProfileName.text, "qwertyabcdefghijklmnopqrstuv");

  // Backspace takes one character a pass while held.
  Key(kKeyBackspace, true);
  Passes(3);
  Key(kKeyBackspace, false);
  EXPECT_STREQ(Menu().newProfileName.text, "qwertyabcdefghijklmnopqrs");
  EXPECT_EQ(Menu().newProfileName.focused, 1);
  TypeKey(kKeyReturn);
  EXPECT_EQ(Menu().newProfileName.focused, 0);
  TypeLetters("z");
  EXPECT_STREQ(Menu().newProfileName.text, "qwertyabcdefghijklmnopqrs");
}

TEST_F(MenuTest, BackspaceEmptiesTheFieldAndStopsThere) {
  Enter();
  Menu().screen = kNewProfileScreen;
  Click(kFieldX, kFieldY);
  TypeLetters("abc");
  Key(kKeyBackspace, true);
  Passes(6);
  Key(kKeyBackspace, false);
  EXPECT_STREQ(Menu().newProfileName.text, "");
  TypeLetters("d");
  EXPECT_STREQ(Menu().newProfileName.text, "d") << "no backspace or control characters in the text";
}

TEST_F(MenuTest, AClickOutsideAFocusedFieldUnfocusesItAndPressesTheButtonThere) {
  Settings().NoProfile = true;
  MakeFolders("Profiles");
  Enter();
  Menu().screen = kNewProfileScreen;
  Click(kFieldX, kFieldY);
  TypeLetters("kim");
  ASSERT_EQ(Menu().newProfileName.focused, 1);
  ClickButton(kLabelX, 146);  // "Create"
  EXPECT_EQ(Menu().newProfileName.focused, 0);
  EXPECT_EQ(Menu().screen, kMainScreen);
  EXPECT_TRUE(Exists("Profiles/kim.prf"));
}

// --- sliders, on the Sound Options screen (music volume at y 119, music pan at y 152)

constexpr int kSliderX = kLabelX;
constexpr int kMinusX = kSliderX + 10, kPlusX = kSliderX + 289;
constexpr int kTrackLeft = kSliderX + 22, kTrackRight = kSliderX + 277;
constexpr int kVolumeY = 119 + 7, kPanY = 152 + 7;

TEST_F(MenuTest, SliderButtonsStepOneAPassWhileHeldAndStayIn0To255) {
  UseProfile("Ann");
  Enter();
  Menu().screen = kSoundScreen;
  Menu().musicVolume = 100;
  Hold(kPlusX, kVolumeY);
  Passes(60);
  EXPECT_EQ(Menu().musicVolume, 160);
  Menu().musicVolume = 250;
  Passes(10);
  EXPECT_EQ(Menu().musicVolume, 255);
  Release();
  Menu().musicVolume = 5;
  Hold(kMinusX, kVolumeY);
  Passes(10);
  EXPECT_EQ(Menu().musicVolume, 0);
  Release();
  Pass();

  struct Case {
    int x;
    int32_t value;
  };
  for (const Case& c : {Case{kTrackLeft, 0}, Case{kTrackRight, 255}, Case{kTrackLeft + 100, 100}}) {
    Click(c.x, kVolumeY);
    EXPECT_EQ(Menu().musicVolume, c.value) << "track at x " << c.x;
  }
}

TEST_F(MenuTest, TheTrackFollowsAPressThatNoControlTook) {
  UseProfile("Ann");
  Enter();
  Menu().screen = kSoundScreen;
  Menu().musicVolume = 50;
  // From the minus button (which leaves the latch) onto the track: stepping, then dragging.
  Hold(kMinusX, kVolumeY);
  Passes(2);
  EXPECT_EQ(Menu().musicVolume, 48);
  MoveMouse(kTrackLeft + 200, kVolumeY);
  Pass();
  EXPECT_EQ(Menu().musicVolume, 200);
  MoveMouse(kTrackLeft + 30, kVolumeY);
  Pass();
  EXPECT_EQ(Menu().musicVolume, 30);
  Release();
  Pass();

  // "Sound Options" takes the press that opens the screen; held on over the pan track it drags nothing.
  Menu().screen = kOptionsScreen;
  Pass();
  MoveMouse(kColumn, ItemY(150));
  ASSERT_TRUE(kTrackLeft < kColumn && kColumn < kTrackRight && 152 < ItemY(150) && ItemY(150) < 167)
      << "the item stands over the pan track";
  Press();
  Pass();
  ASSERT_EQ(Menu().screen, kSoundScreen);
  const int32_t pan = Menu().musicPan;
  Passes(3);
  EXPECT_EQ(Menu().musicPan, pan);
  MoveMouse(kTrackLeft + 10, kPanY);
  Pass();
  EXPECT_EQ(Menu().musicPan, pan) << "the press was taken by the item";
}

// --- display choice lists, on the Graphics Options screen (adapters at y 119, 3 rows; modes at y 201,
// 5 rows)

void FillModes(int count) {
  auto& modes = Menu().modes;
  modes = {};
  for (int i = 0; i < count; ++i) {
    DisplayChoice& mode = modes.entries[i];
    std::snprintf(mode.text, sizeof mode.text, "%dx480x32", 100 + i);
    mode.valid = 1;
    mode.width = 100 + i;
    mode.height = 480;
    mode.depth = 32;
  }
  modes.count = count;
}

TEST_F(MenuTest, TheDisplayListsSelectWhatTheSettingsName) {
  ListDisplayModes();
  const int32_t reported = GetResultListCount();
  ASSERT_GT(reported, 0) << "the engine reports no display mode";
  Settings().width = GetResultListValueA(reported);
  Settings().height = GetResultListValueB(reported);
  Settings().depth = GetResultListValueC(reported);
  FillDisplayModeList();
  const auto& modes = Menu().modes;
  EXPECT_EQ(modes.count, std::min(reported, 49));
  ASSERT_GE(modes.selected, 0);
  const DisplayChoice& chosen = modes.entries[modes.selected];
  EXPECT_EQ(chosen.width, Settings().width);
  EXPECT_EQ(chosen.height, Settings().height);
  EXPECT_EQ(chosen.depth, Settings().depth);
  for (int32_t i = modes.selected + 1; i < modes.count; ++i)
    EXPECT_FALSE(modes.entries[i].width == chosen.width && modes.entries[i].height == chosen.height &&
                 modes.entries[i].depth == chosen.depth)
        << "the last matching mode is chosen";
  EXPECT_EQ(modes.firstVisible, modes.selected);

  Settings().width = 12345;
  FillDisplayModeList();
  EXPECT_EQ(Menu().modes.selected, 0) << "no mode matches";

  ListDisplayAdapters();
  ASSERT_GT(GetResultListCount(), 0);
  char* last = GetResultListString(GetResultListCount());
  StoreText(Settings().adapterName, last);
  CoreAllocFree(&last, 0);
  FillAdapterList();
  EXPECT_EQ(Menu().adapters.selected, Menu().adapters.count - 1);
  EXPECT_STREQ(Menu().adapters.entries[Menu().adapters.selected].text, Settings().adapterName);
  StoreText(Settings().adapterName, "no such adapter");
  FillAdapterList();
  EXPECT_EQ(Menu().adapters.selected, 0);
}

TEST_F(MenuTest, TheModeListScrollsOnceEvery50MsAndTakesTheRowUnderAHeldButton) {
  UseProfile("Ann");
  Enter();
  Menu().screen = kGraphicsScreen;
  FillModes(12);
  const int h = LineHeight(), x = kLabelX, y = 201;
  Hold(x + 195, y + 5 * h - 5);  // down arrow
  Pass();
  EXPECT_EQ(Menu().modes.firstVisible, 1) << "the first step comes at once";
  Passes(3);
  EXPECT_EQ(Menu().modes.firstVisible, 1) << "no time has passed";
  AdvanceClock(50);
  Pass();
  EXPECT_EQ(Menu().modes.firstVisible, 1) << "50 ms after the last step";
  AdvanceClock(1);
  Passes(2);
  EXPECT_EQ(Menu().modes.firstVisible, 2) << "51 ms after it: one step";
  for (int i = 0; i < 20; ++i) {
    AdvanceClock(51);
    Pass();
  }
  EXPECT_EQ(Menu().modes.firstVisible, 7) << "held at count - rows";

  // Sweeping down the rows with the button held picks each in turn, latch or not.
  Menu().clickLatch = 0;
  MoveMouse(x + 20, y + h / 2);
  Pass();
  EXPECT_EQ(Menu().modes.selected, 7);
  MoveMouse(x + 20, y + 3 * h + h / 2);
  Pass();
  EXPECT_EQ(Menu().modes.selected, 10);
}

TEST_F(MenuTest, TheAdapterListStepsEveryPassWhileAnArrowIsHeld) {
  UseProfile("Ann");
  Enter();
  Menu().screen = kGraphicsScreen;
  auto& adapters = Menu().adapters;
  adapters = {};
  for (int i = 0; i < 8; ++i) {
    std::snprintf(adapters.entries[i].text, sizeof adapters.entries[i].text, "Adapter %d", i);
    adapters.entries[i].valid = 1;
  }
  adapters.count = 8;
  const int h = LineHeight(), x = kLabelX, y = 119;
  Hold(x + 195, y + 3 * h - 5);
  Passes(2);
  EXPECT_EQ(adapters.firstVisible, 2);
  Passes(10);
  EXPECT_EQ(adapters.firstVisible, 5);
  MoveMouse(x + 195, y + 5);
  Passes(7);
  EXPECT_EQ(adapters.firstVisible, 0);
}

}  // namespace
}  // namespace menu_test
