// The Controls screen: the binding cells, capture by key and joystick, the defaults, and saving and
// loading named configurations.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "game/shell/control_file.h"
#include "game/shell/controls_screen.h"
#include "game/shell/menu_text.h"
#include "tests/game/shell/menus/menu_fixture.h"

namespace menu_test {
namespace {

constexpr int kX = kAnchorX, kY = kAnchorY;
// A point in the middle of a cell: column 0 keyboard, 1 alternative, 2 joystick.
constexpr int kColumnMiddle[] = {kX + 156, kX + 258, kX + 364};
constexpr int CellY(int row) { return kY + 20 * row + 10; }
// The list buttons under the file lists, and the name field of the save mode.
constexpr int kListButtonY = kY + 325;
constexpr int kLoadOrSaveX = kX + 2, kCancelX = kX + 52;
constexpr int kNameFieldX = kX + 50, kNameFieldY = kY + 9;

bool SameBindings(const ControlBindings& a, const ControlBindings& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class ControlsScreenTest : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    UseProfile("Ann");
    Enter();
    Menu().screen = kControlsScreen;
    Pass();
  }
  // The buttons under the table, clicked at the middle of their text in the small font.
  void ClickTableButton(int offset, const char* text) {
    Click(kX + offset + GameTextWidth(kSmallFont, text) / 2, kY + 207 + GameTextHeight(kSmallFont, text) / 2);
  }
  void OpenSaveMode() { ClickTableButton(2, "Save Config"); }
  void OpenLoadMode() { ClickTableButton(70, "Load Config"); }
  // The message over the menu: shown, then closed with Return.
  std::string CloseMessage() {
    const std::string message = Menu().message;
    Key(kKeyReturn, true);
    Pass();
    Key(kKeyReturn, false);
    Pass();
    return message;
  }
  void ClickListButton(int x) { Click(x + 3, kListButtonY + TextHeight("Cancel") / 2); }
  void WriteConfig(const std::string& name, const ControlBindings& bindings) {
    const std::vector<uint8_t> image = BuildControlConfig(bindings);
    Write("Profiles/Configs/" + name, std::string(image.begin(), image.end()));
  }
};

TEST_F(ControlsScreenTest, CellsLieBetweenTheGridLinesOfTheInputColumns) {
  struct Case {
    int x, y;
    int32_t cell;
  };
  const Case cases[] = {
      {kColumnMiddle[0], CellY(0), 0},  {kColumnMiddle[1], CellY(2), 12}, {kColumnMiddle[2], CellY(9), 29},
      {kX + 107, kY + 1, 0},            {kX + 419, kY + 199, 29},         // just inside the corners
      {kX + 106, CellY(0), -1},         {kX + 207, CellY(0), -1},         // on vertical lines
      {kColumnMiddle[0], kY + 20, -1},  {kColumnMiddle[0], kY, -1},       // on horizontal lines
      {kX + 50, CellY(3), -1},          {kX + 420, CellY(3), -1},         // command names, right edge
      {kColumnMiddle[1], kY + 210, -1},                                   // below the table
  };
  for (const Case& c : cases) {
    MoveMouse(c.x, c.y);
    EXPECT_EQ(BindingCellUnderMouse(kX, kY), c.cell) << "at " << c.x << "," << c.y;
  }
}

TEST_F(ControlsScreenTest, AClickedCellTakesTheLowestKeyHeld) {
  Click(kColumnMiddle[0], CellY(kTurnLeft));
  EXPECT_EQ(Menu().captureCell, int32_t(kTurnLeft));
  Pass();
  EXPECT_EQ(Menu().captureCell, int32_t(kTurnLeft)) << "waits for a key";
  Key(kKeyQ, true);
  Pass();
  Key(kKeyQ, false);
  EXPECT_EQ(Bindings().keyboard[kTurnLeft], 16);
  EXPECT_STREQ(GetKeyName(16), "Q");
  EXPECT_EQ(Menu().captureCell, -1);

  Click(kColumnMiddle[1], CellY(kTurnRight));
  Key(kKeyE, true);
  Key(kKeyW, true);
  Pass();
  Key(kKeyE, false);
  Key(kKeyW, false);
  EXPECT_EQ(Bindings().alternative[kTurnRight], kKeyW);
}

TEST_F(ControlsScreenTest, AnotherClickMovesTheCaptureAndOnlyThatCellIsBound) {
  const ControlBindings before = Bindings();
  Click(kColumnMiddle[0], CellY(kAccelerate));
  Click(kColumnMiddle[1], CellY(kBreak));
  EXPECT_EQ(Menu().captureCell, 10 + int32_t(kBreak));
  Key(kKeyZ, true);
  Pass();
  Key(kKeyZ, false);
  EXPECT_EQ(Bindings().alternative[kBreak], kKeyZ);
  EXPECT_EQ(Bindings().keyboard[kAccelerate], before.keyboard[kAccelerate]);
}

TEST_F(ControlsScreenTest, DefaultsRestoreAllBindingsWhileACaptureStaysOpen) {
  SetDefaultControls();
  const ControlBindings defaults = Bindings();
  std::fill(std::begin(Bindings().keyboard), std::end(Bindings().keyboard), 2);
  std::fill(std::begin(Bindings().alternative), std::end(Bindings().alternative), 3);
  std::fill(std::begin(Bindings().joystick), std::end(Bindings().joystick), 4);
  Click(kColumnMiddle[2], CellY(kPause));
  ClickTableButton(138, "Defaults");
  EXPECT_TRUE(SameBindings(Bindings(), defaults));
  EXPECT_EQ(Menu().captureCell, 20 + int32_t(kPause));
}

// The joystick, through the bindings' input seam: button 5 is held once the test says so.
bool g_joystickButton5 = false;
int32_t NoKey(int32_t) { return 0; }
int32_t JoystickButton(int32_t button) { return g_joystickButton5 && button == 5; }
uint32_t NoDirection() { return 0; }
int32_t Centred() { return 0; }
const ControlInput kJoystick{NoKey, JoystickButton, NoDirection, NoDirection, NoDirection, NoDirection, Centred, Centred};

TEST_F(ControlsScreenTest, AJoystickCellWaitsForAJoystickInput) {
  g_joystickButton5 = false;
  SetControlInput(&kJoystick);
  Click(kColumnMiddle[2], CellY(kPause));
  Key(kKeyQ, true);
  Passes(2);
  Key(kKeyQ, false);
  EXPECT_EQ(Menu().captureCell, 20 + int32_t(kPause)) << "keys do not bind a joystick cell";
  g_joystickButton5 = true;
  Pass();
  EXPECT_EQ(Bindings().joystick[kPause], 5);
  EXPECT_EQ(Menu().captureCell, -1);
  g_joystickButton5 = false;
}

TEST_F(ControlsScreenTest, SaveWritesTheTypedNameWithItsExtensionAndPickingItOverwritesIt) {
  WriteConfig("base.cfg", Bindings());
  Bindings().keyboard[kAccelerate] = kKeyZ;
  OpenSaveMode();
  ASSERT_EQ(Menu().controlsMode, kSaveControlConfig);
  EXPECT_STREQ(Menu().configName.text, "");
  Click(kNameFieldX, kNameFieldY);
  TypeLetters("mine");
  ClickListButton(kLoadOrSaveX);
  EXPECT_EQ(Menu().controlsMode, kBindingsTable);
  ASSERT_TRUE(Exists("Profiles/Configs/mine.cfg"));
  const std::vector<uint8_t> saved = BuildControlConfig(Bindings());
  EXPECT_EQ(Read("Profiles/Configs/mine.cfg"), std::string(saved.begin(), saved.end()));
  EXPECT_STREQ(Settings().controlConfig, "mine.cfg");
  EXPECT_NE(Read("Config.ini").find("mine.cfg"), std::string::npos);

  // Picking the file from the list puts its name in the field; saving again overwrites it.
  Bindings().keyboard[kAccelerate] = kKeyX;
  OpenSaveMode();
  const auto& names = Menu().configs.names;
  const int row = int(std::find_if(names, names + Menu().configs.count,
                                   [](const char* n) { return std::strcmp(n, "mine.cfg") == 0; }) -
                      names);
  ASSERT_LT(row, Menu().configs.count);
  Click(kX + 40, kY + 20 + 20 * row + 10);
  EXPECT_STREQ(Menu().configName.text, "mine.cfg");
  ClickListButton(kLoadOrSaveX);
  EXPECT_FALSE(Exists("Profiles/Configs/mine.cfg.cfg"));
  ControlBindings reread{};
  const std::string bytes = Read("Profiles/Configs/mine.cfg");
  ASSERT_TRUE(ParseControlConfig(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), reread));
  EXPECT_EQ(reread.keyboard[kAccelerate], kKeyX);
  EXPECT_STREQ(Settings().controlConfig, "mine.cfg");
}

TEST_F(ControlsScreenTest, LoadAfterOnlyLookingLoadsTheFirstListedFile) {
  ControlBindings a = Bindings(), b = Bindings();
  a.keyboard[kAccelerate] = kKeyA;
  b.keyboard[kAccelerate] = kKeyB;
  WriteConfig("a.cfg", a);
  WriteConfig("b.cfg", b);
  OpenLoadMode();
  ASSERT_EQ(Menu().controlsMode, kLoadControlConfig);
  ASSERT_EQ(Menu().configs.count, 2);
  const std::string first = Menu().configs.names[0];
  ClickListButton(kLoadOrSaveX);
  EXPECT_EQ(Menu().controlsMode, kBindingsTable);
  EXPECT_TRUE(SameBindings(Bindings(), first == "a.cfg" ? a : b));
  EXPECT_EQ(Settings().controlConfig, first);

  // A clicked row is the one loaded.
  OpenLoadMode();
  Click(kX + 40, kY + 20 * 1 + 10);
  EXPECT_EQ(Menu().configs.selected, 1);
  ClickListButton(kLoadOrSaveX);
  EXPECT_EQ(Settings().controlConfig, std::string(Menu().configs.names[1]));
}

TEST_F(ControlsScreenTest, CancelAndBackLeaveTheListsWithoutChanges) {
  WriteConfig("a.cfg", Bindings());
  const ControlBindings before = Bindings();
  OpenLoadMode();
  ClickListButton(kCancelX);
  EXPECT_EQ(Menu().controlsMode, kBindingsTable);
  OpenSaveMode();
  ClickListButton(kCancelX);
  EXPECT_EQ(Menu().controlsMode, kBindingsTable);
  EXPECT_TRUE(SameBindings(Bindings(), before));
  EXPECT_STREQ(Settings().controlConfig, "");
  OpenLoadMode();
  ClickButton(kLabelX, 482);  // "Back"
  EXPECT_EQ(Menu().screen, kOptionsScreen);
  EXPECT_EQ(Menu().controlsMode, kBindingsTable);
}

// The first configuration can be saved although none is listed yet; a name that could not be a file
// of the folder saves nothing.
TEST_F(ControlsScreenTest, SaveNeedsAPlainNameButNoListedFile) {
  MakeFolders("Profiles/Configs");
  OpenSaveMode();
  Click(kNameFieldX, kNameFieldY);
  TypeLetters("first");
  ClickListButton(kLoadOrSaveX);
  EXPECT_TRUE(Exists("Profiles/Configs/first.cfg"));
  EXPECT_STREQ(Settings().controlConfig, "first.cfg");

  for (const char* name : {"", "../escaped", "a\\b"}) {
    SCOPED_TRACE(name);
    OpenSaveMode();
    std::strcpy(Menu().configName.text, name);
    ClickListButton(kLoadOrSaveX);
    EXPECT_NE(CloseMessage(), "") << "the player is told";
    EXPECT_STREQ(Menu().message, "");
    EXPECT_EQ(Menu().controlsMode, kBindingsTable);
    EXPECT_EQ(CountEntries("Profiles/Configs"), 1u);
    EXPECT_FALSE(Exists("Profiles/escaped.cfg"));
    EXPECT_STREQ(Settings().controlConfig, "first.cfg");
  }
}

// A configuration whose file cannot be written: the screen says so in the game's message box, which
// holds the screen until Return closes it, and "Config.ini" stays as it was.
TEST_F(ControlsScreenTest, AFailedSaveSaysSoAndLeavesConfigIniAlone) {
  MakeFolders("Profiles/Configs/mine.cfg");  // a folder where the file would go
  StoreText(Settings().controlConfig, "old.cfg");
  ASSERT_TRUE(SaveConfig());
  const std::string config = Read("Config.ini");
  OpenSaveMode();
  Click(kNameFieldX, kNameFieldY);
  TypeLetters("mine");
  ClickListButton(kLoadOrSaveX);
  EXPECT_TRUE(std::filesystem::is_directory("Profiles/Configs/mine.cfg"));
  ASSERT_NE(std::string(Menu().message).find("could not be saved"), std::string::npos) << Menu().message;
  // While the message shows, the screen under it takes no clicks.
  ClickTableButton(70, "Load Config");
  EXPECT_EQ(Menu().controlsMode, kBindingsTable);
  CloseMessage();
  EXPECT_STREQ(Menu().message, "");
  EXPECT_STREQ(Settings().controlConfig, "old.cfg");
  EXPECT_EQ(Read("Config.ini"), config);
  OpenLoadMode();
  EXPECT_EQ(Menu().controlsMode, kLoadControlConfig) << "the screen takes clicks again";
}

}  // namespace
}  // namespace menu_test
