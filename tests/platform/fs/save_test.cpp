#include "platform/fs/save.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>

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
