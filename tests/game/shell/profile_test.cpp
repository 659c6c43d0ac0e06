// Profiles: the record, its file and what a damaged file does.
#include "game/shell/profile.h"

#include <cstring>
#include <string>

#include "tests/game/shell/shell_fixture.h"

namespace {

class ProfileTest : public ShellTest {
 protected:
  static std::string Line(const std::string& text) { return text + "\r\n"; }
  // A profile with something in every list, as another tool might write it.
  static std::string FullFile() {
    return Line("Zed") + Integer(2) + Integer(1) + Integer(3) + Line("best\ttime") + Integer(-7) + Line("") +
           Integer(0x7FFFFFFF) + Line("note") + Integer(-1) + Integer(0) + Integer(123456);
  }
  static bool Load(const char* name) {
    char buffer[kProfileTextSize];
    std::strcpy(buffer, name);
    return LoadProfile(buffer);
  }
};

TEST_F(ProfileTest, ANewProfileIsItsNameAndThreeZeroCounts) {
  MakeFolders("Profiles");
  EXPECT_FALSE(IsProfileLoaded());
  EXPECT_STREQ(GetProfileName(), "");
  ClearProfile();
  EXPECT_STREQ(GetProfileName(), "No Name");
  EXPECT_STREQ(Profile().pairs[49].text, "null");
  EXPECT_EQ(Profile().pairs[0].number, -1);
  EXPECT_STREQ(Profile().texts[29], "null");
  EXPECT_EQ(Profile().numbers[19], -1);
  EXPECT_FALSE(IsProfileLoaded());  // clearing leaves the flag

  SetProfileName("Ann");
  ASSERT_TRUE(SaveProfile());
  EXPECT_EQ(Read("Profiles/Ann.prf"), Line("Ann") + std::string(12, '\0'));
  EXPECT_TRUE(IsProfileLoaded());
  EXPECT_STREQ(Settings().lastProfile, "Ann");
  EXPECT_NE(Read("Config.ini").find("\r\n[GAME]\r\nLastProfile=Ann\r\n"), std::string::npos);

  SetProfileName(std::string(300, 'n'));
  EXPECT_EQ(std::strlen(GetProfileName()), kProfileTextSize - 1);
}

TEST_F(ProfileTest, AFileOfAnotherToolLoadsAndSavesBackByteForByte) {
  Write("Profiles/Zed.prf", FullFile());
  ASSERT_TRUE(Load("zed"));
  const ProfileRecord& p = Profile();
  EXPECT_TRUE(p.loaded);
  EXPECT_STREQ(p.name, "Zed");
  EXPECT_EQ(p.pairCount, 2);
  EXPECT_STREQ(p.pairs[0].text, "best\ttime");
  EXPECT_EQ(p.pairs[0].number, -7);
  EXPECT_STREQ(p.pairs[1].text, "");
  EXPECT_STREQ(p.pairs[2].text, "null");  // past the count: cleared
  EXPECT_STREQ(p.texts[0], "note");
  EXPECT_EQ(p.numbers[2], 123456);
  EXPECT_EQ(p.numbers[3], -1);

  // Saved under the name inside the file.
  ASSERT_TRUE(SaveProfile());
  EXPECT_EQ(Read("Profiles/Zed.prf"), FullFile());

  // Counts of 0 or below read nothing and are kept.
  const std::string negative = Line("Neg") + Integer(-3) + Integer(0) + Integer(INT32_MIN);
  Write("Profiles/Neg.prf", negative);
  ASSERT_TRUE(Load("Neg"));
  ASSERT_TRUE(SaveProfile());
  EXPECT_EQ(Read("Profiles/Neg.prf"), negative);
}

TEST_F(ProfileTest, AnExtensionInTheNameIsCutOff) {
  Write("Profiles/Ann.prf", Line("Ann") + std::string(12, '\0'));
  char name[kProfileTextSize] = "Ann.prf";
  ASSERT_TRUE(LoadProfile(name));
  EXPECT_STREQ(name, "Ann");
  ASSERT_TRUE(LoadProfile(name));
  strcpy(name, "Ann.PRF");  // the test is exact
  EXPECT_FALSE(LoadProfile(name));
  EXPECT_STREQ(name, "Ann.PRF");
  EXPECT_FALSE(LoadProfile(nullptr));
}

TEST_F(ProfileTest, MissingAndDamagedFilesKeepTheActiveProfile) {
  Write("Profiles/Ann.prf", Line("Ann") + Integer(0) + Integer(1) + Integer(0) + Line("kept"));
  ASSERT_TRUE(Load("Ann"));
  const std::string full = FullFile();
  struct Case {
    const char* what;
    std::string file;
  } damaged[] = {
      {"empty", ""},
      {"name without a line end", "Ann"},
      {"counts cut short", Line("Bob") + Integer(0) + Integer(0)},
      {"too many pairs", Line("Bob") + Integer(51) + Integer(0) + Integer(0)},
      {"too many texts", Line("Bob") + Integer(0) + Integer(31) + Integer(0)},
      {"too many numbers", Line("Bob") + Integer(0) + Integer(0) + Integer(21)},
      {"name over 255 characters", Line(std::string(256, 'b')) + std::string(12, '\0')},
      {"text over 255 characters", Line("Bob") + Integer(0) + Integer(1) + Integer(0) + Line(std::string(256, 't'))},
      {"a list cut short", full.substr(0, full.size() - 1)},
      {"a text cut short", Line("Bob") + Integer(0) + Integer(1) + Integer(0) + "no end"},
  };
  for (const Case& c : damaged) {
    Write("Profiles/Bad.prf", c.file);
    LogCapture log;
    EXPECT_FALSE(Load("Bad")) << c.what;
    EXPECT_EQ(log.Take(), "<error> [LoadProfile] \"Profiles\\Bad.prf\" is not a readable profile; the active profile "
                          "stays.\n")
        << c.what;
    EXPECT_STREQ(GetProfileName(), "Ann") << c.what;
    EXPECT_EQ(Profile().textCount, 1) << c.what;
    EXPECT_STREQ(Profile().texts[0], "kept") << c.what;
  }
  EXPECT_FALSE(Load("Nobody"));
  EXPECT_STREQ(GetProfileName(), "Ann");
  EXPECT_TRUE(IsProfileLoaded());
  // Config.ini names the last profile; a name that leaves the Profiles folder reads nothing there.
  Write("Outside.prf", Line("Eve") + Integer(0) + Integer(0) + Integer(0));
  for (const char* name : {"..\\Outside", "../Outside"}) {
    EXPECT_FALSE(Load(name)) << name;
    EXPECT_STREQ(GetProfileName(), "Ann") << name;
  }
  Write("Profiles/Outside.prf", Line("Eve") + Integer(0) + Integer(0) + Integer(0));
  EXPECT_TRUE(Load("Outside"));
  EXPECT_STREQ(GetProfileName(), "Eve");
  ASSERT_TRUE(Load("Ann"));

  // Without any profile loaded, a failed load leaves it unloaded.
  Profile() = ProfileRecord{};
  EXPECT_FALSE(Load("Nobody"));
  EXPECT_FALSE(IsProfileLoaded());
  EXPECT_STREQ(GetProfileName(), "");
}

TEST_F(ProfileTest, AFailedSaveKeepsThePreviousFileAndConfigIni) {
  Write("Profiles/Ann.prf", "previous");
  ClearProfile();
  SetProfileName("Ann");
  EXPECT_FALSE(SaveSucceedsOnFullDisk(8, [] { return SaveProfile(); }));
  EXPECT_EQ(Read("Profiles/Ann.prf"), "previous");
  EXPECT_EQ(CountEntries("Profiles"), 1u);

  // No "Profiles" folder: nothing is written, and "Config.ini" keeps naming the profile it named.
  std::filesystem::remove_all("Profiles");
  StoreText(Settings().lastProfile, "Before");
  ASSERT_TRUE(SaveConfig());
  const std::string config = Read("Config.ini");
  LogCapture log;
  EXPECT_FALSE(SaveProfile());
  EXPECT_NE(log.Take().find("<error> [SaveProfile] Unable to save \"Profiles\\Ann.prf\"."), std::string::npos);
  EXPECT_FALSE(IsProfileLoaded());
  EXPECT_STREQ(Settings().lastProfile, "Before");
  EXPECT_EQ(Read("Config.ini"), config);
}

}  // namespace
