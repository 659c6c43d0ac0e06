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

// Letters beyond ASCII, typed as an input method or a remapped key delivers them (no key held while the
// menu reads them), are game text in Windows-1252: the name is shown, saved, listed and loaded back
// as typed, and its file on disk is named in UTF-8.
TEST_F(MenuTest, ANameOfWesternEuropeanLettersIsTypedSavedAndLoadedBack) {
  Settings().NoProfile = true;
  SetProfileName("None Loaded");
  MakeFolders("Profiles");
  Enter();
  Pass();
  Click(kFieldX, kFieldY);
  TypeKeysym(XK_Udiaeresis);
  TypeLetters("n");
  TypeKeysym(XK_idiaeresis);
  TypeLetters("c");
  TypeKeysym(XK_odiaeresis);
  TypeLetters("d");
  TypeKeysym(XK_eacute);
  TypeKeysym(XK_EuroSign);
  const std::string name = "\xDCn\xEF" "c\xF6" "d\xE9\x80";  // in Windows-1252
  EXPECT_EQ(std::string(Menu().newProfileName.text), name);
  EXPECT_STREQ(Menu().message, "");
  ClickButton(kLabelX, kCreateY);
  ASSERT_EQ(Menu().screen, kMainScreen);
  EXPECT_TRUE(Exists("Profiles/\xC3\x9Cn\xC3\xAF" "c\xC3\xB6" "d\xC3\xA9\xE2\x82\xAC.prf")) << "named in UTF-8 on disk";
  EXPECT_EQ(CountEntries("Profiles"), 1u);
  EXPECT_NE(Read("Config.ini").find("LastProfile=" + name + "\r\n"), std::string::npos);

  SetProfileName("someone else");
  Click(kColumn, ItemY(170));  // "Load Profile"
  ASSERT_EQ(Menu().profiles.count, 1);
  EXPECT_EQ(std::string(Menu().profiles.names[0]), name + ".prf") << "listed as the game shows it";
  ClickButton(kLoadX, kLoadY);
  EXPECT_EQ(std::string(GetProfileName()), name);
  EXPECT_EQ(std::string(Settings().lastProfile), name + ".prf");
}

// A character the game's text has no byte for is not taken: the field keeps what it had and the game's
// message box says why, until Return.
TEST_F(MenuTest, ACharacterTheGameCannotShowIsRefusedWhereThePlayerSeesIt) {
  Settings().NoProfile = true;
  Enter();
  Pass();
  Click(kFieldX, kFieldY);
  TypeLetters("ab");
  TypeKeysym(XK_Greek_OMEGA);
  EXPECT_STREQ(Menu().newProfileName.text, "ab");
  EXPECT_NE(std::string(Menu().message).find("cannot be part of a name"), std::string::npos) << Menu().message;
  TypeKey(kKeyReturn);
  EXPECT_STREQ(Menu().message, "");
  EXPECT_STREQ(Menu().newProfileName.text, "ab");
}

// A profile file a user named (or an earlier build wrote) in bytes that are not UTF-8 of the game's
// characters is listed as those bytes and still loads.
TEST_F(MenuTest, AProfileFileNamedInOtherBytesIsListedAndLoads) {
  UseProfile("amy");
  std::filesystem::remove("Profiles/amy.prf");
  Write("Profiles/J\xF6rg.prf", "J\xF6rg\r\n" + std::string(12, '\0'));
  Enter();
  Click(kColumn, ItemY(170));
  ASSERT_EQ(Menu().profiles.count, 1);
  EXPECT_STREQ(Menu().profiles.names[0], "J\xF6rg.prf");
  ClickButton(kLoadX, kLoadY);
  EXPECT_STREQ(GetProfileName(), "J\xF6rg");
}

}  // namespace
}  // namespace menu_test
