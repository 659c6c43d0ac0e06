#include "platform/fs/folder.h"

#include <cstdlib>

#include "scratch_folder.h"

namespace fs = platform::fs;

namespace {

std::vector<std::string> Names(const std::vector<fs::FolderEntry>& entries) {
  std::vector<std::string> names;
  for (const fs::FolderEntry& e : entries) names.push_back(e.name);
  return names;
}

const fs::FolderEntry* Find(const std::vector<fs::FolderEntry>& entries, const std::string& name) {
  for (const fs::FolderEntry& e : entries)
    if (e.name == name) return &e;
  return nullptr;
}

}  // namespace

using FolderTest = ScratchFolderTest;

TEST_F(FolderTest, AnEmptyFolderListsItselfAndItsParent) {
  MakeFolders("Empty");
  std::vector<fs::FolderEntry> entries;
  ASSERT_TRUE(fs::ListFolder("EMPTY", entries));
  EXPECT_EQ(Names(entries), (std::vector<std::string>{".", ".."}));
  for (const fs::FolderEntry& e : entries) EXPECT_EQ(e.attributes, fs::kAttributeFolder) << e.name;
}

TEST_F(FolderTest, EntriesAreSortedWithoutCaseAndDescribed) {
  for (const char* name : {"b.prf", "a.prf", "A.prf", "C.prf", "_x", "!first", ".hidden", "10.qel", "9.qel"})
    Write(name, "12345");
  MakeFolders("Sub");
  chmod("C.prf", 0444);

  std::vector<fs::FolderEntry> entries;
  ASSERT_TRUE(fs::ListFolder("", entries));
  EXPECT_EQ(Names(entries), (std::vector<std::string>{".", "..", "!first", ".hidden", "10.qel", "9.qel", "_x",
                                                       "A.prf", "a.prf", "b.prf", "C.prf", "Sub"}));
  EXPECT_EQ(Find(entries, "a.prf")->attributes, fs::kAttributeNormal);
  EXPECT_EQ(Find(entries, "a.prf")->size, 5u);
  EXPECT_GT(Find(entries, "a.prf")->modified_time, 0);
  EXPECT_EQ(Find(entries, ".hidden")->attributes, fs::kAttributeHidden);
  EXPECT_EQ(Find(entries, "C.prf")->attributes, fs::kAttributeReadOnly);
  EXPECT_EQ(Find(entries, "Sub")->attributes, fs::kAttributeFolder);
  EXPECT_EQ(Find(entries, "Sub")->size, 0u);

  // One snapshot: the folder changing afterwards does not change what the caller walks.
  Write("zzz.prf", "");
  EXPECT_EQ(entries.size(), 12u);
  ASSERT_TRUE(fs::ListFolder(".", entries));
  EXPECT_EQ(entries.size(), 13u);
  EXPECT_EQ(entries.back().name, "zzz.prf");
}

TEST_F(FolderTest, AMissingFolderListsNothing) {
  std::vector<fs::FolderEntry> entries(3);
  EXPECT_FALSE(fs::ListFolder("Missing", entries));
  EXPECT_TRUE(entries.empty());
}

TEST_F(FolderTest, CurrentFolder) {
  MakeFolders("Profiles/Configs");
  EXPECT_EQ(fs::CurrentFolder(), std::filesystem::canonical(root_).string());
  ASSERT_TRUE(fs::ChangeCurrentFolder("profiles\\CONFIGS"));
  EXPECT_EQ(fs::CurrentFolder(), std::filesystem::canonical(root_).string() + "/Profiles/Configs");
  EXPECT_FALSE(fs::ChangeCurrentFolder("Missing"));
  EXPECT_FALSE(fs::ChangeCurrentFolder(""));
  EXPECT_EQ(fs::CurrentFolder(), std::filesystem::canonical(root_).string() + "/Profiles/Configs");
}

class TempFolderTest : public ScratchFolderTest {
 protected:
  void SetUp() override {
    ScratchFolderTest::SetUp();
    const char* previous = std::getenv("TMPDIR");
    had_tmpdir_ = previous != nullptr;
    if (had_tmpdir_) previous_tmpdir_ = previous;
  }
  void TearDown() override {
    if (had_tmpdir_)
      setenv("TMPDIR", previous_tmpdir_.c_str(), 1);
    else
      unsetenv("TMPDIR");
    ScratchFolderTest::TearDown();
  }
  bool had_tmpdir_ = false;
  std::string previous_tmpdir_;
};

TEST_F(TempFolderTest, MadeBelowTmpdirWithATrailingSeparator) {
  setenv("TMPDIR", (root_ + "/").c_str(), 1);
  EXPECT_EQ(fs::TempFolder(), root_ + "/tvqdata/");
  EXPECT_TRUE(std::filesystem::is_directory(root_ + "/tvqdata"));
  Write(root_ + "/tvqdata/kvotemp.x", "kept");
  EXPECT_EQ(fs::TempFolder(), root_ + "/tvqdata/");  // an existing one is used as it is
  EXPECT_EQ(Read(root_ + "/tvqdata/kvotemp.x"), "kept");
}

TEST_F(TempFolderTest, ANameTakenByAFileOrLinkIsNotUsed) {
  setenv("TMPDIR", root_.c_str(), 1);
  Write("tvqdata", "a file");
  std::string own = root_ + "/tvqdata-" + std::to_string(geteuid()) + "/";
  EXPECT_EQ(fs::TempFolder(), own);
  std::filesystem::remove(root_ + "/tvqdata");
  MakeFolders("elsewhere");
  std::filesystem::create_directory_symlink(root_ + "/elsewhere", root_ + "/tvqdata");
  EXPECT_EQ(fs::TempFolder(), own);
}

TEST_F(TempFolderTest, WithoutTmpdirUsesTmp) {
  unsetenv("TMPDIR");
  EXPECT_EQ(fs::TempFolder().rfind("/tmp/tvqdata", 0), 0u);
  setenv("TMPDIR", (root_ + "/missing").c_str(), 1);
  EXPECT_EQ(fs::TempFolder().rfind("/tmp/tvqdata", 0), 0u);
}
