#include "platform/fs/files.h"

#include "scratch_folder.h"

namespace fs = platform::fs;

using FilesTest = ScratchFolderTest;

TEST_F(FilesTest, OpenForWritingCreatesOnlyNewFiles) {
  Write("Profiles/bob.prf", "old");
  fs::OpenError error = fs::OpenError::kNone;
  // An existing file is refused whatever the letter case of the name, and left as it was.
  EXPECT_EQ(fs::OpenFile("profiles\\BOB.prf", fs::OpenMode::kCreateNew, &error), nullptr);
  EXPECT_EQ(error, fs::OpenError::kExists);
  EXPECT_EQ(Read("Profiles/bob.prf"), "old");
  EXPECT_EQ(fs::OpenFile("PROFILES", fs::OpenMode::kCreateNew, &error), nullptr);
  EXPECT_EQ(error, fs::OpenError::kExists);
  EXPECT_EQ(fs::OpenFile("NoFolder\\new.prf", fs::OpenMode::kCreateNew, &error), nullptr);
  EXPECT_EQ(error, fs::OpenError::kFailed);

  FILE* file = fs::OpenFile("PROFILES\\Ann.prf", fs::OpenMode::kCreateNew, &error);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(error, fs::OpenError::kNone);
  std::fputs("new", file);
  EXPECT_EQ(fs::FileSize(file), 3);
  std::fclose(file);
  EXPECT_EQ(Read("Profiles/Ann.prf"), "new");
}

TEST_F(FilesTest, OpenForReadingAndAppending) {
  Write("Data/log.txt", "one");
  fs::OpenError error = fs::OpenError::kNone;
  EXPECT_EQ(fs::OpenFile("data\\missing.txt", fs::OpenMode::kReadExisting, &error), nullptr);
  EXPECT_EQ(error, fs::OpenError::kNotFound);
  EXPECT_EQ(fs::OpenFile("DATA", fs::OpenMode::kReadExisting, &error), nullptr);
  EXPECT_EQ(error, fs::OpenError::kFailed);

  FILE* append = fs::OpenFile("data\\LOG.txt", fs::OpenMode::kAppend);
  ASSERT_NE(append, nullptr);
  std::fputs("two", append);
  std::fclose(append);

  FILE* read = fs::OpenFile("DATA\\log.TXT", fs::OpenMode::kReadExisting, &error);
  ASSERT_NE(read, nullptr);
  char text[16] = {};
  EXPECT_EQ(std::fread(text, 1, sizeof text, read), 6u);
  EXPECT_STREQ(text, "onetwo");
  EXPECT_EQ(std::fputc('x', read), EOF);  // read only
  std::fclose(read);
}

TEST_F(FilesTest, CopyNeverOverwrites) {
  Write("Maps/In Progress/level.qel", "version 2");
  Write("Maps/In Progress/level.bak", "version 1");
  chmod("Maps/In Progress/level.qel", 0640);

  EXPECT_FALSE(fs::CopyFileNoOverwrite("maps\\in progress\\LEVEL.qel", "Maps\\In Progress\\Level.BAK"));
  EXPECT_EQ(Read("Maps/In Progress/level.bak"), "version 1");
  EXPECT_FALSE(fs::CopyFileNoOverwrite("Maps\\missing.qel", "Maps\\copy.qel"));
  EXPECT_FALSE(Exists("Maps/copy.qel"));
  EXPECT_FALSE(fs::CopyFileNoOverwrite("Maps\\In Progress", "Maps\\folder copy"));
  EXPECT_FALSE(fs::CopyFileNoOverwrite("Maps\\In Progress\\level.qel", "Maps\\In Progress\\level.qel"));

  ASSERT_TRUE(fs::DeleteFile("MAPS\\In Progress\\level.BAK"));
  ASSERT_TRUE(fs::CopyFileNoOverwrite("maps\\in progress\\LEVEL.qel", "Maps\\In Progress\\level.bak"));
  EXPECT_EQ(Read("Maps/In Progress/level.bak"), "version 2");
  struct stat st;
  ASSERT_EQ(stat("Maps/In Progress/level.bak", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(FilesTest, CopyOfALargeFileIsComplete) {
  std::string big(300000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = char(i * 7 + i / 251);
  Write("big.bin", big);
  ASSERT_TRUE(fs::CopyFileNoOverwrite("BIG.bin", "copy.bin"));
  EXPECT_EQ(Read("copy.bin"), big);
  EXPECT_EQ(fs::FileSize("Copy.BIN"), 300000);
}

TEST_F(FilesTest, DeleteRenameAndSizes) {
  Write("a.txt", "abc");
  Write("b.txt", "b");
  MakeFolders("Folder");
  EXPECT_EQ(fs::FileSize("A.TXT"), 3);
  EXPECT_EQ(fs::FileSize("missing.txt"), -1);
  EXPECT_EQ(fs::FileSize("folder"), -1);

  EXPECT_FALSE(fs::RenameFile("A.txt", "B.TXT"));  // the target exists, in another letter case
  EXPECT_EQ(Read("b.txt"), "b");
  EXPECT_TRUE(fs::RenameFile("A.txt", "FOLDER\\c.txt"));
  EXPECT_EQ(Read("Folder/c.txt"), "abc");
  EXPECT_FALSE(Exists("a.txt"));

  EXPECT_FALSE(fs::DeleteFile("folder"));
  EXPECT_FALSE(fs::DeleteFile("missing.txt"));
  EXPECT_TRUE(fs::DeleteFile("folder\\C.TXT"));
  EXPECT_FALSE(Exists("Folder/c.txt"));
}

TEST_F(FilesTest, MakeAndRemoveFolders) {
  EXPECT_TRUE(fs::MakeFolder("Maps"));
  EXPECT_FALSE(fs::MakeFolder("MAPS"));  // exists already
  EXPECT_TRUE(fs::MakeFolder("maps\\In Progress"));
  EXPECT_TRUE(Exists("Maps/In Progress"));
  EXPECT_FALSE(fs::MakeFolder("Missing\\Below"));
  EXPECT_FALSE(fs::RemoveFolder("MAPS"));  // not empty
  EXPECT_TRUE(fs::RemoveFolder("MAPS\\in progress"));
  EXPECT_TRUE(fs::RemoveFolder("maps"));
  EXPECT_FALSE(Exists("Maps"));
}
