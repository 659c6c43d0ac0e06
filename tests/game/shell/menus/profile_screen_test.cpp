// New Profile and Load Profile.
#include <cstring>
#include <string>

#include "tests/game/shell/menus/menu_fixture.h"

namespace menu_test {
namespace {

constexpr int kFieldX = kAnchorX + 50, kFieldY = kAnchorY + 9;
constexpr int kCreateY = 146, kBackY = 482;
// "Load" under the Load Profile list.
constexpr int kLoadX = kAnchorX + 2, kLoadY = kAnchorY + 325;

TEST_F(MenuTest, AFirstRunCreatesAProfileThatEnablesPlayGame) {
  Settings().NoProfile = true;
  SetProfileName("None Loaded");
  MakeFolders("Profiles");
  Enter();
  Pass();
  ASSERT_EQ(Menu().screen, kNewProfileScreen);
  Click(kFieldX, kFieldY);
  TypeLetters("ann");
  ClickButton(kLabelX, kCreateY);
  EXPECT_EQ(Menu().screen, kMainScreen);
  EXPECT_FALSE(Settings().NoProfile);
  EXPECT_TRUE(IsProfileLoaded());
  EXPECT_STREQ(GetProfileName(), "ann");
  EXPECT_TRUE(Exists("Profiles/ann.prf"));
  EXPECT_STREQ(Settings().lastProfile, "ann");
  EXPECT_NE(Read("Config.ini").find("ann"), std::string::npos) << "the last profile is saved";
  Click(kColumn, ItemY(130));  // "Play Game"
  EXPECT_EQ(Menu().screen, kGameModeScreen);
}

TEST_F(MenuTest, NewProfileFromTheMainScreenStartsWithAnEmptyUnfocusedField) {
  UseProfile("Ann");
  Enter();
  Menu().newProfileName = TextField{"old", 1};
  Click(kColumn, ItemY(150));  // "New Profile"
  EXPECT_EQ(Menu().screen, kNewProfileScreen);
  EXPECT_STREQ(Menu().newProfileName.text, "");
  EXPECT_EQ(Menu().newProfileName.focused, 0);
  ClickButton(kLabelX, kBackY);
  EXPECT_EQ(Menu().screen, kMainScreen);
}

// A name that could not be a file of "Profiles" writes nothing and keeps the player on the screen.
TEST_F(MenuTest, CreateRefusesNamesThatAreNotAFileOfTheProfilesFolder) {
  MakeFolders("Profiles");
  UseProfile("Ann");
  for (const char* name : {"", "..", "../escaped", "a\\b", "sub/name"}) {
    SCOPED_TRACE(name);
    Enter();
    Menu().screen = kNewProfileScreen;
    std::strcpy(Menu().newProfileName.text, name);
    ClickButton(kLabelX, kCreateY);
    EXPECT_EQ(Menu().screen, kNewProfileScreen);
    EXPECT_STRNE(Menu().message, "") << "the player is told";
    EXPECT_STREQ(GetProfileName(), "Ann");
    EXPECT_EQ(CountEntries("Profiles"), 1u);
    EXPECT_FALSE(Exists("escaped.prf"));
  }
}

// A profile whose file cannot be written is not made: the game's message box says so until Return,
// the player stays on the screen without a profile, and "Config.ini" keeps naming none.
TEST_F(MenuTest, AProfileThatCannotBeSavedSaysSoAndIsNotMade) {
  Settings().NoProfile = true;
  StoreText(Settings().lastProfile, "null");
  SetProfileName("None Loaded");
  MakeFolders("Profiles/ann.prf");  // a folder where the file would go
  ASSERT_TRUE(SaveConfig());
  const std::string config = Read("Config.ini");
  Enter();
  Pass();
  Click(kFieldX, kFieldY);
  TypeLetters("ann");
  ClickButton(kLabelX, kCreateY);
  EXPECT_NE(std::string(Menu().message).find("could not be saved"), std::string::npos) << Menu().message;
  EXPECT_EQ(Menu().screen, kNewProfileScreen);
  EXPECT_STREQ(GetProfileName(), "None Loaded");
  EXPECT_FALSE(IsProfileLoaded());
  EXPECT_TRUE(Settings().NoProfile);
  EXPECT_STREQ(Settings().lastProfile, "null");
  EXPECT_EQ(Read("Config.ini"), config);
  Key(kKeyReturn, true);
  Pass();
  Key(kKeyReturn, false);
  EXPECT_STREQ(Menu().message, "");
}

TEST_F(MenuTest, LoadProfileLoadsTheFirstListedFileAtOnceAndRecordsIt) {
  UseProfile("amy");
  UseProfile("bob");
  Enter();
  Click(kColumn, ItemY(170));  // "Load Profile"
  ASSERT_EQ(Menu().screen, kLoadProfileScreen);
  ASSERT_EQ(Menu().profiles.count, 2);
  EXPECT_EQ(Menu().profiles.selected, 0);
  const std::string first = Menu().profiles.names[0];
  ClickButton(kLoadX, kLoadY);
  EXPECT_EQ(Menu().screen, kMainScreen);
  EXPECT_EQ(std::string(GetProfileName()) + ".prf", first);
  EXPECT_EQ(Settings().lastProfile, first) << "recorded with its extension";
  EXPECT_NE(Read("Config.ini").find(first), std::string::npos);
}

TEST_F(MenuTest, LoadProfileRecordsADamagedFileButKeepsTheActiveProfile) {
  UseProfile("amy");
  std::filesystem::remove("Profiles/amy.prf");
  Write("Profiles/bad.prf", "x");
  Enter();
  Click(kColumn, ItemY(170));
  ClickButton(kLoadX, kLoadY);
  EXPECT_EQ(Menu().screen, kMainScreen);
  EXPECT_STREQ(GetProfileName(), "amy");
  EXPECT_STREQ(Settings().lastProfile, "bad.prf");
}

TEST_F(MenuTest, LoadWithNoProfileListedOnlyTakesTheClick) {
  UseProfile("amy");
  std::filesystem::remove("Profiles/amy.prf");
  Enter();
  Click(kColumn, ItemY(170));
  MoveMouse(kLoadX + 3, kLoadY + LineHeight() / 2);
  Press();
  Pass();
  EXPECT_EQ(Menu().clickLatch, 0);
  Release();
  Pass();
  EXPECT_EQ(Menu().screen, kLoadProfileScreen);
  ClickButton(kLabelX, kBackY);
  EXPECT_EQ(Menu().screen, kMainScreen);
}

TEST_F(MenuTest, TheProfileListKeepsItsScrollAcrossVisitsClampedToTheNewList) {
  UseProfile("p00");
  for (int i = 1; i < 18; ++i) UseProfile(("p" + std::string(i < 10 ? "0" : "") + std::to_string(i)).c_str());
  Enter();
  Click(kColumn, ItemY(170));
  Hold(kAnchorX + 192, kAnchorY + 312);  // down arrow
  Passes(2);
  Release();
  Pass();
  ASSERT_EQ(Menu().profileScroll, 2);
  ClickButton(kLabelX, kBackY);
  Click(kColumn, ItemY(170));
  Pass();
  EXPECT_EQ(Menu().profileScroll, 2);
  ClickButton(kLabelX, kBackY);
  for (int i = 0; i < 2; ++i) std::filesystem::remove("Profiles/p1" + std::to_string(i) + ".prf");
  Click(kColumn, ItemY(170));
  Pass();
  EXPECT_EQ(Menu().profileScroll, 1) << "16 names scroll to at most 1";
}

}  // namespace
}  // namespace menu_test
