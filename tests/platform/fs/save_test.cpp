#include "platform/fs/save.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <string>
#include <vector>

#include "scratch_folder.h"

namespace fs = platform::fs;

using SafeSaveTest = ScratchFolderTest;

TEST_F(SafeSaveTest, ReplacesTheFileAndKeepsItsPermissions) {
  Write("Profiles/bob.prf", "old contents");
  chmod("Profiles/bob.prf", 0640);
  ASSERT_TRUE(fs::SaveWholeFile("PROFILES\\Bob.prf", "new", 3));
  EXPECT_EQ(Read("Profiles/bob.prf"), "new");
  struct stat st;
  ASSERT_EQ(stat("Profiles/bob.prf", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(CountEntries("Profiles"), 1u);  // no temporary left behind

  ASSERT_TRUE(fs::SaveWholeFile("profiles\\ann.prf", "", 0));
  EXPECT_TRUE(Exists("Profiles/ann.prf"));
  EXPECT_FALSE(fs::SaveWholeFile("Missing\\ann.prf", "x", 1));
  EXPECT_FALSE(fs::SaveWholeFile("Profiles", "x", 1));  // a folder is not replaced
  EXPECT_EQ(CountEntries("Profiles"), 2u);
}

TEST_F(SafeSaveTest, AnAbandonedSaveLeavesThePreviousFile) {
  Write("Config.ini", "good");
  {
    fs::SafeSave save("config.INI");
    ASSERT_NE(save.file(), nullptr);
    std::fputs("half written", save.file());
  }
  EXPECT_EQ(Read("Config.ini"), "good");
  EXPECT_EQ(CountEntries("."), 1u);
}

// A full disk, played by a file size limit in a child process: every failed save keeps the old file.
TEST_F(SafeSaveTest, AFailedWriteLeavesThePreviousFile) {
  Write("Maps/level.qel", "the previous good map");
  for (size_t size : {1000u, 100000u}) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      signal(SIGXFSZ, SIG_IGN);
      rlimit limit{100, 100};
      setrlimit(RLIMIT_FSIZE, &limit);
      std::string data(size, 'x');
      _exit(fs::SaveWholeFile("maps\\LEVEL.qel", data.data(), data.size()) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the save reported success, size " << size;
    EXPECT_EQ(Read("Maps/level.qel"), "the previous good map");
    EXPECT_EQ(CountEntries("Maps"), 1u);
  }
}

namespace {

std::vector<std::string> Temporaries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(".qel-save-", 0) == 0) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

// A save killed before its rename leaves its complete temporary; the clean-up at start removes those,
// and nothing else: not a live save's, not other names, not links or folders of the same name.
TEST_F(SafeSaveTest, StaleTemporariesAreRemovedAndLiveOnesKept) {
  Write("Config.ini", "old");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    fs::SafeSave save("Config.ini");
    if (save.file()) std::fputs("new", save.file()), std::fflush(save.file());
    raise(SIGKILL);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_EQ(Temporaries(".").size(), 1u) << "the killed save left its temporary";

  Write("other/.qel-save-Keep12", "another folder");
  Write(".qel-save-short", "not of the pattern");
  Write(".qel-save-ABCDEFG", "not of the pattern");
  Write("x.qel-save-ABCDEF", "not of the pattern");
  MakeFolders(".qel-save-Dir123");
  Write("target.txt", "linked");
  ASSERT_EQ(symlink("target.txt", ".qel-save-Link12"), 0);

  fs::SafeSave live("Config.ini");
  ASSERT_NE(live.file(), nullptr);
  std::fputs("live", live.file());

  fs::RemoveStaleSaveTemporaries("");
  const std::vector<std::string> left = Temporaries(".");
  EXPECT_EQ(left.size(), 5u);  // the live one, the links, the folder and the two other names
  for (const char* kept : {".qel-save-short", ".qel-save-ABCDEFG", ".qel-save-Dir123", ".qel-save-Link12"})
    EXPECT_NE(std::find(left.begin(), left.end(), kept), left.end()) << kept;
  EXPECT_TRUE(Exists("x.qel-save-ABCDEF"));
  EXPECT_TRUE(Exists("other/.qel-save-Keep12"));
  EXPECT_EQ(Read("target.txt"), "linked");
  EXPECT_EQ(Read("Config.ini"), "old");

  EXPECT_TRUE(live.Commit());
  EXPECT_EQ(Read("Config.ini"), "live");
  EXPECT_EQ(Temporaries(".").size(), 4u);
  fs::RemoveStaleSaveTemporaries("OTHER");  // the folder's name is resolved
  EXPECT_FALSE(Exists("other/.qel-save-Keep12"));
}
