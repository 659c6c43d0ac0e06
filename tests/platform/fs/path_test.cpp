#include "platform/fs/path.h"

#include "process_usage.h"
#include "scratch_folder.h"

namespace fs = platform::fs;

class ResolvePathTest : public ScratchFolderTest {
 protected:
  void SetUp() override {
    ScratchFolderTest::SetUp();
    Write("art/heaven.jpg", "sky");
    Write("maps/In Progress/level.qel", "map");
    Write("MiXed.txt", "upper");
    Write("mixed.TXT", "lower");
  }
};

TEST_F(ResolvePathTest, MapsSeparatorsAndMatchesEachComponentWithoutCase) {
  struct Case {
    const char* name;
    const char* expected;
  } cases[] = {
      {"Art\\HEAVEN.jpg", "art/heaven.jpg"},
      {"art/heaven.jpg", "art/heaven.jpg"},
      {"MAPS\\in progress\\LEVEL.QEL", "maps/In Progress/level.qel"},
      {"Maps\\In Progress\\", "maps/In Progress/"},
      {"art\\\\heaven.jpg", "art/heaven.jpg"},
      // Names that exist exactly as given come out in the same form as matched ones.
      {"maps//In Progress/level.qel", "maps/In Progress/level.qel"},
      {"maps\\In Progress\\", "maps/In Progress/"},
      {"art/heaven.jpg/", "art/heaven.jpg/"},
      {"maps/In Progress/../../art/heaven.jpg", "maps/In Progress/../../art/heaven.jpg"},
      // A missing last component keeps its name as given, below the matched folders (to create it).
      {"ART\\New Picture.JPG", "art/New Picture.JPG"},
      {"Maps\\In Progress\\Untitled.qel", "maps/In Progress/Untitled.qel"},
      // Nothing below a missing folder can exist.
      {"Missing\\Art\\heaven.jpg", "Missing/Art/heaven.jpg"},
      {".\\ART\\.\\Heaven.JPG", "./art/./heaven.jpg"},
      {"Maps\\In Progress\\..\\..\\Art\\HEAVEN.jpg", "maps/In Progress/../../art/heaven.jpg"},
      // The exact name wins; among several case-insensitive matches, the first in byte order.
      {"mixed.TXT", "mixed.TXT"},
      {"MIXED.txt", "MiXed.txt"},
      {"a:b", "a:b"},
      // Drive names mean nothing on Linux: refused.
      {"C:\\Windows\\temp\\x.txt", ""},
      {"c:/x", ""},
      {"D:", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(fs::ResolvePath(c.name), c.expected) << c.name;
}

TEST_F(ResolvePathTest, AbsolutePaths) {
  EXPECT_EQ(fs::ResolvePath(root_ + "\\ART\\Heaven.JPG"), root_ + "/art/heaven.jpg");
  EXPECT_EQ(fs::ResolvePath(root_ + "/Art/missing.jpg"), root_ + "/art/missing.jpg");
  EXPECT_EQ(fs::ResolvePath("\\"), "/");
  EXPECT_EQ(fs::ResolvePath("/"), "/");
}

TEST_F(ResolvePathTest, FileFunctionsGoThroughTheResolver) {
  EXPECT_TRUE(fs::FileExists("Art\\HEAVEN.jpg"));
  EXPECT_FALSE(fs::FileExists("Art"));
  EXPECT_FALSE(fs::FileExists("Art\\missing.jpg"));
  EXPECT_TRUE(fs::FolderExists("MAPS\\In progress"));
  EXPECT_FALSE(fs::FolderExists("Art\\HEAVEN.jpg"));

  std::vector<uint8_t> bytes;
  ASSERT_TRUE(fs::ReadWholeFile("ART\\heaven.JPG", bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "sky");
  EXPECT_FALSE(fs::ReadWholeFile("Art\\missing.jpg", bytes));
  EXPECT_FALSE(fs::ReadWholeFile("Art", bytes));
  EXPECT_FALSE(fs::ReadWholeFile("/dev/null", bytes));  // regular files only

  // Every byte, whatever the size, and nothing left over from the buffer's earlier contents.
  for (size_t size : {size_t{0}, size_t{1}, size_t{65536}, size_t{200001}}) {
    std::string contents(size, '\0');
    for (size_t i = 0; i < size; ++i) contents[i] = char(i * 7 + i / 251);
    Write("art/sized.bin", contents);
    bytes.assign(3, 0xEE);
    ASSERT_TRUE(fs::ReadWholeFile("Art\\Sized.bin", bytes)) << size;
    EXPECT_TRUE(std::string(bytes.begin(), bytes.end()) == contents) << size;
  }

  FILE* created = fs::OpenFile("Art\\New.txt", "wb");
  ASSERT_NE(created, nullptr);
  std::fclose(created);
  EXPECT_TRUE(Exists("art/New.txt"));
}

TEST_F(ResolvePathTest, PartsAreReadAloneAndLimitsRefuseBeforeReading) {
  Write("art/digits.bin", "0123456789");
  struct Case {
    uint64_t offset, length, limit;
    const char* expected;  // null: refused for `why`
    fs::ReadFailure why;
  };
  const Case cases[] = {
      {0, 0, fs::kNoReadLimit, "0123456789", fs::ReadFailure::kNone},
      {3, 4, fs::kNoReadLimit, "3456", fs::ReadFailure::kNone},
      {7, 0, fs::kNoReadLimit, "789", fs::ReadFailure::kNone},
      {10, 0, fs::kNoReadLimit, "", fs::ReadFailure::kNone},
      {0, 0, 10, "0123456789", fs::ReadFailure::kNone},  // exactly the limit
      {0, 0, 9, nullptr, fs::ReadFailure::kTooLarge},
      {2, 0, 7, nullptr, fs::ReadFailure::kTooLarge},
      {2, 0, 8, "23456789", fs::ReadFailure::kNone},
      {11, 0, fs::kNoReadLimit, nullptr, fs::ReadFailure::kOutOfRange},
      {6, 5, fs::kNoReadLimit, nullptr, fs::ReadFailure::kOutOfRange},
      {~uint64_t(0), 2, fs::kNoReadLimit, nullptr, fs::ReadFailure::kOutOfRange},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes(3, 0xEE);
    fs::ReadFailure why = fs::ReadFailure::kReadError;
    const bool ok = fs::ReadFilePart("ART\\Digits.bin", c.offset, c.length, c.limit, bytes, &why);
    EXPECT_EQ(ok, c.expected != nullptr) << c.offset << " " << c.length << " " << c.limit;
    EXPECT_EQ(why, c.why) << c.offset << " " << c.length << " " << c.limit;
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), c.expected ? c.expected : "") << c.offset << " " << c.length;
  }
  std::vector<uint8_t> bytes;
  fs::ReadFailure why = fs::ReadFailure::kNone;
  EXPECT_FALSE(fs::ReadWholeFile("Art\\missing.bin", bytes, fs::kNoReadLimit, &why));
  EXPECT_EQ(why, fs::ReadFailure::kCannotOpen);
}

TEST_F(ResolvePathTest, AHugeFileOverTheLimitIsNeitherReadNorHeld) {
  ASSERT_TRUE(process_usage::WriteSparseFile("huge.bin", "head", process_usage::kHugeFile));
  const uint64_t readBefore = process_usage::BytesRead(), peakBefore = process_usage::PeakResidentBytes();
  std::vector<uint8_t> bytes;
  fs::ReadFailure why = fs::ReadFailure::kNone;
  EXPECT_FALSE(fs::ReadWholeFile("HUGE.bin", bytes, uint64_t(64) << 20, &why));
  EXPECT_EQ(why, fs::ReadFailure::kTooLarge);
  EXPECT_FALSE(fs::ReadFilePart("huge.bin", 1 << 20, 0, uint64_t(64) << 20, bytes, &why));
  EXPECT_EQ(why, fs::ReadFailure::kTooLarge);
  // A part within the limit reads only itself.
  ASSERT_TRUE(fs::ReadFilePart("huge.bin", 0, 4, uint64_t(64) << 20, bytes, &why));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "head");
  EXPECT_LT(process_usage::BytesRead() - readBefore, uint64_t(1) << 20);
  EXPECT_LT(process_usage::PeakResidentBytes() - peakBefore, uint64_t(64) << 20);
}
