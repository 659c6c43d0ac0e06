// Folder utilities and starting programs.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/file/file_state.h"
#include "platform/fs/command_line.h"
#include "tests/engine/file/file_fixture.h"

namespace {

struct Listed {
  std::string name;
  int32_t folder;
  bool operator==(const Listed&) const = default;
};

std::vector<Listed> Listing() {
  std::vector<Listed> entries;
  for (int32_t i = 1; i <= GetResultListCount(); ++i) {
    char* text = GetResultListString(i);
    entries.push_back({text ? text : "<null>", GetResultListValueA(i)});
    if (text) CoreAllocFree(&text, 0);
  }
  return entries;
}

TEST_F(FileModuleTest, ListsTheCurrentFolderInAStableOrder) {
  ListFolder();
  EXPECT_EQ(Listing(), (std::vector<Listed>{{".", 1}, {"..", 1}}));

  Write("b.txt", "b");
  Write("A.txt", "a");
  Write(".hidden", "");
  MakeFolders("sub");
  ListFolder();
  const std::vector<Listed> expected = {{".", 1}, {"..", 1}, {".hidden", 0}, {"A.txt", 0}, {"b.txt", 0}, {"sub", 1}};
  EXPECT_EQ(Listing(), expected);
  EXPECT_EQ(core_->resultList.valid, 1);

  // The editor lists a sub-folder by making it current.
  SetCurrentFolder("SUB");
  EXPECT_EQ(word_, 0u);
  EXPECT_EQ(Take(GetCurrentFolder()), root_ + "/sub");
  ListFolder();
  EXPECT_EQ(GetResultListCount(), 2);
}

TEST_F(FileModuleTest, SettingAMissingFolderRaisesAndChangesNothing) {
  EXPECT_EQ(ErrorOf([] { SetCurrentFolder(nullptr); }), 8003u);
  EXPECT_EQ(ErrorOf([] { SetCurrentFolder("missing"); }), 8003u);
  EXPECT_EQ(Take(GetCurrentFolder()), root_);
}

TEST_F(FileModuleTest, DuplicatesWithoutOverwritingAndRemoves) {
  Write("Maps/level.qel", "new");
  Write("Maps/level.bak", "old");
  DuplicateFile("maps\\LEVEL.qel", "Maps/level.bak");
  EXPECT_EQ(Read("Maps/level.bak"), "old");
  DuplicateFile("missing.qel", "Maps/copy.qel");
  EXPECT_FALSE(Exists("Maps/copy.qel"));
  DuplicateFile("maps\\LEVEL.qel", "Maps/copy.qel");
  EXPECT_EQ(Read("Maps/copy.qel"), "new");

  RemoveFile("maps\\level.BAK");
  EXPECT_FALSE(Exists("Maps/level.bak"));
  RemoveFile("missing.qel");
  RemoveFile(nullptr);
  RemoveFile("Maps");  // folders are left alone
  EXPECT_TRUE(Exists("Maps/level.qel"));
  EXPECT_EQ(word_, 0u);
}

// Programs started by the module: a shell script that reports its arguments and working folder.
class ExecuteTest : public FileModuleTest {
 protected:
  void SetUp() override {
    FileModuleTest::SetUp();
    pumps_ = 0;
    quitAfter_ = -1;
    core_->pumpMessages = [] { return uint32_t(++pumps_ > quitAfter_ && quitAfter_ >= 0); };
  }
  void Script(const std::string& path, const std::string& body) {
    Write(path, "#!/bin/sh\n" + body + "\n");
    ::chmod(path.c_str(), 0755);
  }
  static inline int pumps_ = 0;
  static inline int quitAfter_ = -1;
};

TEST_F(ExecuteTest, WaitsForTheStartedProgramWhateverItsExitCode) {
  const std::string out = root_ + "/out.txt";
  Script("Game Folder/child.sh", "sleep 0.2\npwd > '" + out + "'\nfor a in \"$@\"; do echo \"$a\" >> '" + out +
                                     "'; done\nexit 3");
  EXPECT_EQ(ExecuteFileAndWait("child.sh", "-map \"In Progress\\Level 1.qel\"", "game folder", 0), 1);
  EXPECT_EQ(Read(out), root_ + "/Game Folder\n-map\nIn Progress\\Level 1.qel\n");
  EXPECT_GT(pumps_, 0);  // the window kept being served while waiting

  Script("killed.sh", "kill -9 $$");
  EXPECT_EQ(ExecuteFileAndWait("killed.sh", "", "", 0), 1);
  Script("tool", "exit 0");
  EXPECT_EQ(ExecuteFileAndWait("TOOL.exe", "", "", 0), 1);  // programs here carry no ".exe"
  EXPECT_EQ(ExecuteFileAndWait("missing.sh", "", "", 0), 0);
  EXPECT_EQ(ExecuteFileAndWait(nullptr, nullptr, nullptr, 0), 0);
}

TEST_F(ExecuteTest, TheQuitMessageEndsTheWait) {
  const std::string marker = root_ + "/done";
  Script("slow.sh", "sleep 1\ntouch '" + marker + "'");
  quitAfter_ = 1;
  EXPECT_EQ(ExecuteFileAndWait("slow.sh", "", "", 0), 1);
  EXPECT_FALSE(Exists(marker));  // it returned while the program still ran

  EXPECT_EQ(ExecuteFile("slow.sh", "", ""), 1);  // starts without waiting
  EXPECT_EQ(ExecuteFile("missing.sh", "", ""), 0);
}

TEST(ProgramToStart, TheGamesOwnNameStartsTheRunningExecutable) {
  const std::string self = platform::fs::ExecutablePath();
  ASSERT_FALSE(self.empty());
  std::string name = self.substr(self.find_last_of('/') + 1);
  for (char& c : name) c = char(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(ProgramToStart(name + ".EXE"), self);
  EXPECT_EQ(ProgramToStart("Some Folder\\" + name + ".exe"), self);
  EXPECT_EQ(ProgramToStart(name), name);  // without ".exe" it is another program's name
  EXPECT_EQ(ProgramToStart("other.exe"), "other.exe");
  // The game's own name starts this program, which is not called "qel": a renamed game starts itself.
  EXPECT_EQ(ProgramToStart("QEL.exe"), self);
  EXPECT_EQ(ProgramToStart("qel"), "qel");
}

// The game rebuilt while it runs: the file at its path is replaced (the process's link then names
// "<path> (deleted)"), and the test run still starts that path. A copy of this program replaces its
// own file and checks.
TEST(ProgramToStart, AnExecutableReplacedWhileRunningIsStartedByItsPath) {
  if (const char* copy = std::getenv("QEL_REPLACED_SELF")) {
    const std::string fresh = std::string(copy) + ".new";
    std::ofstream(fresh) << "#!/bin/sh\n";
    ASSERT_EQ(std::rename(fresh.c_str(), copy), 0);
    ASSERT_NE(platform::fs::ExecutablePath(), copy) << "the link now names the replaced file";
    EXPECT_EQ(ProgramToStart("qel.exe"), copy);
    return;
  }
  char folder[] = "/tmp/qel-replaced-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string copy = std::string(folder) + "/game";
  std::filesystem::copy_file(platform::fs::ExecutablePath(), copy);
  std::filesystem::permissions(copy, std::filesystem::perms::owner_all);
  const std::string command = "QEL_REPLACED_SELF='" + copy + "' '" + copy +
                              "' --gtest_filter=ProgramToStart.AnExecutableReplacedWhileRunningIsStartedByItsPath"
                              " >/dev/null 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0);
  std::filesystem::remove_all(folder);
}

}  // namespace
