// Bindings, the command test against keyboard and joystick, display names and ".cfg" files.
#include <climits>
#include <cstring>
#include <set>
#include <string>

#include "game/shell/control_bindings.h"
#include "game/shell/control_file.h"
#include "platform/input/key_codes.h"
#include "tests/game/shell/shell_fixture.h"
#include "tests/platform/input/named_keys.h"

namespace {

// Keys and joystick as a test sets them.
struct FakeDevices {
  std::set<int32_t> keys;
  std::set<int32_t> buttons;
  int32_t x = 0, y = 0;
} g_devices;

const ControlInput kFakeInput = {
    [](int32_t code) -> int32_t { return g_devices.keys.count(code) ? 1 : 0; },
    [](int32_t button) -> int32_t { return button >= 0 && button <= 31 && g_devices.buttons.count(button); },
    []() -> uint32_t { return g_devices.x < 0; },
    []() -> uint32_t { return g_devices.x > 0; },
    []() -> uint32_t { return g_devices.y < 0; },
    []() -> uint32_t { return g_devices.y > 0; },
    []() { return g_devices.x; },
    []() { return g_devices.y; },
};

class ControlTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    g_devices = FakeDevices{};
    SetControlInput(&kFakeInput);
  }
  // The commands down now, as a set of slots.
  static std::set<int32_t> CommandsDown() {
    std::set<int32_t> down;
    for (int32_t slot = 0; slot < kGameCommandCount; ++slot)
      if (IsCommandDown(slot)) down.insert(slot);
    return down;
  }
};

// The default bindings in the file's column order (slots 0, 1, 2, 3, 4, 7, 8, 6, 5, 9).
const int32_t kDefaultFileValues[30] = {200, 208, 203, 205, 57, 46, 59, 197, 25, 19,  // keyboard
                                        17,  30,  31,  32,  18, 46, 59, 197, 25, 88,  // alternative
                                        65,  67,  64,  66,  1,  2,  3,  4,   -1, -1};  // joystick

std::string DefaultFile() {
  std::string image;
  for (int32_t value : kDefaultFileValues) image += Integer(value);
  return image;
}

TEST_F(ControlTest, DefaultBindingsAndTheirNames) {
  struct Row {
    const char* command;
    const char* key;
    const char* alternative;
    int32_t joystick;
  } rows[kGameCommandCount] = {
      {"Accelerate", "Arrow Up", "W", 65},         {"Break", "Arrow Down", "A", 67},
      {"Turn Left", "Arrow Left", "S", 64},        {"Turn Right", "Arrow Right", "D", 66},
      {"Emergency Break", "Spacebar", "E", 1},     {"Planning Screen", "P", "P", -1},
      {"Pause", "Pause", "Pause", 4},              {"Camera Mode", "C", "C", 2},
      {"Menu Screen", "F1", "F1", 3},              {"Restart Level", "R", "F12", -1},
  };
  const ControlBindings& b = Bindings();
  for (int32_t slot = 0; slot < kGameCommandCount; ++slot) {
    EXPECT_STREQ(GetCommandName(slot), rows[slot].command);
    EXPECT_STREQ(GetKeyName(b.keyboard[slot]), rows[slot].key) << slot;
    EXPECT_STREQ(GetKeyName(b.alternative[slot]), rows[slot].alternative) << slot;
    EXPECT_EQ(b.joystick[slot], rows[slot].joystick) << slot;
  }
  EXPECT_STREQ(GetCommandName(-1), "");
  EXPECT_STREQ(GetCommandName(10), "");
}

TEST_F(ControlTest, KeyNamesAreThoseOfThePlatformKeyTable) {
  // The platform's table lists the 86 named keys first, then keys the Controls screen leaves unnamed.
  std::set<int32_t> named;
  for (size_t i = 0; i < std::size(kNamedKeys); ++i) {
    const NamedKey& key = kNamedKeys[i];
    EXPECT_STREQ(GetKeyName(key.code), i < 86 ? key.name : "") << int(key.code);
    if (i < 86) named.insert(key.code);
  }
  ASSERT_EQ(named.size(), 86u);
  for (int32_t code : {INT_MIN, -1, 0, 1, 55, 69, 221, 255, 256, 257, INT_MAX})
    if (!named.count(code)) {
      EXPECT_STREQ(GetKeyName(code), "") << code;
    }
  EXPECT_STREQ(GetKeyName(207), "end");
}

TEST_F(ControlTest, JoystickInputNames) {
  struct Case {
    int32_t code;
    const char* name;
  } cases[] = {{0, "Button 0"},      {7, "Button 7"},       {32, "Button 32"},     {33, ""},
               {64, "D-Pad Left"},   {65, "D-Pad Up"},      {66, "D-Pad Right"},   {67, "D-Pad Down"},
               {68, "X-Axis"},       {69, "Y-Axis"},        {-1, ""},              {63, ""},
               {70, ""},             {INT_MIN, ""},         {INT_MAX, ""}};
  for (const Case& c : cases) EXPECT_STREQ(GetJoystickInputName(c.code), c.name) << c.code;
}

TEST_F(ControlTest, CommandsFireFromEitherKeyOrTheirJoystickInput) {
  EXPECT_TRUE(CommandsDown().empty());  // an idle joystick matches no -1 binding
  g_devices.keys = {platform::input::KEY_P};
  EXPECT_EQ(CommandsDown(), std::set<int32_t>{kPlanningScreen});
  g_devices.keys = {platform::input::KEY_F12};
  EXPECT_EQ(CommandsDown(), std::set<int32_t>{kRestartLevel});
  g_devices.keys = {platform::input::KEY_A, platform::input::KEY_LEFT};  // A is Break
  EXPECT_EQ(CommandsDown(), (std::set<int32_t>{kBreak, kTurnLeft}));
  g_devices.keys.clear();

  // The lowest button hides the others and every direction.
  g_devices.buttons = {1, 4};
  g_devices.x = -1000;
  EXPECT_EQ(ReadJoystickInput(), 1);
  EXPECT_EQ(CommandsDown(), std::set<int32_t>{kEmergencyBreak});
  g_devices.buttons.clear();
  EXPECT_EQ(ReadJoystickInput(), kJoystickLeft);
  EXPECT_EQ(CommandsDown(), std::set<int32_t>{kTurnLeft});

  // X before Y; the axis codes are never read, so a binding to them never fires.
  struct Case {
    int32_t x, y, input;
  } sticks[] = {{0, 0, -1}, {-1, 0, 64}, {1, 0, 66}, {0, -1, 65}, {0, 1, 67}, {5, 5, 66}, {-5, 5, 64}};
  Bindings().joystick[kPause] = kJoystickXAxis;
  for (const Case& c : sticks) {
    g_devices.x = c.x;
    g_devices.y = c.y;
    EXPECT_EQ(ReadJoystickInput(), c.input) << c.x << "," << c.y;
    EXPECT_FALSE(IsCommandDown(kPause));
  }
  g_devices.buttons = {31};
  EXPECT_EQ(ReadJoystickInput(), 31);
  EXPECT_FALSE(IsCommandDown(-1));
  EXPECT_FALSE(IsCommandDown(kGameCommandCount));
}

// What ended a panel, still held when the next screen reads: ignored until let go, then acting on a
// new press; what is pressed after acts at once.
TEST_F(ControlTest, InputHeldWhenAPanelEndsActsOnlyOncePressedAgain) {
  namespace in = platform::input;
  g_devices.keys = {in::KEY_SPACE, in::KEY_ESCAPE};
  g_devices.buttons = {1};
  g_devices.x = -1000;
  IgnoreInputHeldNow();
  EXPECT_TRUE(CommandsDown().empty());
  EXPECT_EQ(ReadJoystickInput(), kJoystickNone);
  EXPECT_FALSE(FreshKeyDown(in::KEY_ESCAPE, true));
  EXPECT_TRUE(FreshKeyDown(in::KEY_RETURN, true)) << "a key that was not held";

  // Pressed since: act at once, beside the held ones.
  g_devices.keys.insert(in::KEY_UP);
  g_devices.buttons.insert(5);  // bound to nothing
  EXPECT_EQ(CommandsDown(), std::set<int32_t>{kAccelerate});
  EXPECT_EQ(ReadJoystickInput(), 5);

  // Let go of Space and the stick while still holding Escape and button 1: Space acts when pressed
  // again, Escape and button 1 stay ignored.
  g_devices.keys = {in::KEY_ESCAPE};
  g_devices.buttons = {1};
  g_devices.x = 0;
  EXPECT_TRUE(CommandsDown().empty());
  EXPECT_EQ(ReadJoystickInput(), kJoystickNone);
  g_devices.keys.insert(in::KEY_SPACE);
  g_devices.x = -1000;
  EXPECT_EQ(CommandsDown(), (std::set<int32_t>{kEmergencyBreak, kTurnLeft}));
  EXPECT_FALSE(FreshKeyDown(in::KEY_ESCAPE, true));
  EXPECT_EQ(ReadJoystickInput(), kJoystickLeft);

  g_devices = FakeDevices{};
  EXPECT_FALSE(FreshKeyDown(in::KEY_ESCAPE, false));
  g_devices.keys = {in::KEY_ESCAPE};
  g_devices.buttons = {1};
  EXPECT_TRUE(FreshKeyDown(in::KEY_ESCAPE, true));
  EXPECT_EQ(ReadJoystickInput(), 1);
}

TEST_F(ControlTest, CodesFromOutsideTheKeyTableAreNeverDown) {
  // Through the engine's own keyboard query: bindings read from a hand-edited file hold any number.
  SetControlInput(nullptr);
  for (int32_t code : {INT_MIN, -1, 256, 4096, INT_MAX}) {
    Bindings().keyboard[kAccelerate] = code;
    Bindings().alternative[kAccelerate] = code;
    Bindings().joystick[kAccelerate] = code;
    EXPECT_FALSE(IsCommandDown(kAccelerate)) << code;
  }
}

TEST_F(ControlTest, SavedFilesAreByteExactAndReadBack) {
  MakeFolders("Profiles/Configs");
  char name[64] = "pad";
  ASSERT_TRUE(SaveControlConfig(name));
  EXPECT_STREQ(name, "pad.cfg");
  EXPECT_EQ(Read("Profiles/Configs/pad.cfg"), DefaultFile());

  // The ".cfg" test is exact: another case gains the extension, the exact one is kept.
  strcpy(name, "PAD.CFG");
  ASSERT_TRUE(SaveControlConfig(name));
  EXPECT_STREQ(name, "PAD.CFG.cfg");
  strcpy(name, "pad.cfg");
  Bindings().keyboard[kCameraMode] = 999;
  Bindings().joystick[kRestartLevel] = 68;
  ASSERT_TRUE(SaveControlConfig(name));
  EXPECT_STREQ(name, "pad.cfg");
  EXPECT_EQ(CountEntries("Profiles/Configs"), 2u);

  const ControlBindings saved = Bindings();
  SetDefaultControls();
  ASSERT_TRUE(LoadControlConfig("pad.cfg"));
  EXPECT_EQ(std::memcmp(&Bindings(), &saved, sizeof saved), 0);
  EXPECT_STREQ(GetKeyName(Bindings().keyboard[kCameraMode]), "");
  EXPECT_FALSE(LoadControlConfig("pad"));  // no extension is added on loading
}

TEST_F(ControlTest, SavingReplacesAnExistingFileWhole) {
  Write("Profiles/Configs/pad.cfg", std::string(500, 'z'));
  char name[16] = "pad";
  ASSERT_TRUE(SaveControlConfig(name));
  EXPECT_EQ(Read("Profiles/Configs/pad.cfg"), DefaultFile());
}

TEST_F(ControlTest, ANameWithoutRoomForItsExtensionIsRefused) {
  MakeFolders("Profiles/Configs");
  LogCapture log;
  char name[8] = "abcd";  // "abcd.cfg" needs 9 bytes
  EXPECT_FALSE(SaveControlConfig(name));
  EXPECT_STREQ(name, "abcd");
  char unterminated[4] = {'a', 'b', 'c', 'd'};
  EXPECT_FALSE(SaveControlConfig(unterminated, sizeof unterminated));
  EXPECT_EQ(CountEntries("Profiles/Configs"), 0u);
  char fits[9] = "abcd";
  EXPECT_TRUE(SaveControlConfig(fits));
  EXPECT_NE(log.Take().find("<error> [SaveControlConfig]"), std::string::npos);
}

TEST_F(ControlTest, MissingOrShortFilesLeaveTheBindings) {
  MakeFolders("Profiles/Configs");
  Bindings().keyboard[kPause] = 5;
  const ControlBindings before = Bindings();
  EXPECT_FALSE(LoadControlConfig("absent.cfg"));
  EXPECT_FALSE(LoadControlConfig(""));
  EXPECT_FALSE(LoadControlConfig(nullptr));
  Write("Profiles/Configs/short.cfg", DefaultFile().substr(0, 119));
  Write("Profiles/Configs/empty.cfg", "");
  {
    LogCapture log;
    EXPECT_FALSE(LoadControlConfig("short.cfg"));
    EXPECT_FALSE(LoadControlConfig("empty.cfg"));
    EXPECT_EQ(log.Take(),
              "<error> [LoadControlConfig] \"short.cfg\" does not hold 120 bytes; the bindings stay as they were.\n"
              "<error> [LoadControlConfig] \"empty.cfg\" does not hold 120 bytes; the bindings stay as they were.\n");
  }
  EXPECT_EQ(std::memcmp(&Bindings(), &before, sizeof before), 0);

  // Config.ini names the configuration; a name that leaves its folder reads nothing.
  Write("outside.cfg", DefaultFile());
  for (const char* name : {"..\\..\\outside.cfg", "../../outside.cfg", "/etc/hostname"}) {
    EXPECT_FALSE(LoadControlConfig(name)) << name;
    EXPECT_EQ(ControlConfigPath(name), "") << name;
  }
  EXPECT_EQ(std::memcmp(&Bindings(), &before, sizeof before), 0);

  // Bytes after the 120th are not read.
  Write("Profiles/Configs/long.cfg", DefaultFile() + "trailing");
  EXPECT_TRUE(LoadControlConfig("long.cfg"));
  EXPECT_EQ(Bindings().keyboard[kPause], 197);
}

TEST_F(ControlTest, WithoutTheConfigsFolderTheGameFolderIsUsed) {
  char name[16] = "here";
  ASSERT_TRUE(SaveControlConfig(name));
  EXPECT_EQ(Read("here.cfg"), DefaultFile());
  Bindings().keyboard[0] = 1;
  EXPECT_TRUE(LoadControlConfig("here.cfg"));
  EXPECT_EQ(Bindings().keyboard[0], 200);
}

TEST_F(ControlTest, AFailedSaveKeepsThePreviousFile) {
  Write("Profiles/Configs/pad.cfg", "previous");
  EXPECT_FALSE(SaveSucceedsOnFullDisk(64, [] {
    char name[16] = "pad";
    return SaveControlConfig(name);
  }));
  EXPECT_EQ(Read("Profiles/Configs/pad.cfg"), "previous");
  EXPECT_EQ(CountEntries("Profiles/Configs"), 1u);
}

}  // namespace
