// Numbered files: the byte layout of the game's data files, line reads, errors and failed writes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/engine/file/file_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes AsBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

TEST_F(FileModuleTest, WritesValuesBackToBackLittleEndian) {
  ASSERT_EQ(OpenFileForWriting(1, "profile.prf"), 1);
  EXPECT_EQ(WriteInteger(1, 1), 1);
  EXPECT_EQ(WriteTextLine(1, "abc"), 1);
  EXPECT_EQ(CloseFile(1), 1);
  EXPECT_EQ(AsBytes(Read("profile.prf")), (Bytes{0x01, 0x00, 0x00, 0x00, 0x61, 0x62, 0x63, 0x0D, 0x0A}));

  ASSERT_EQ(OpenFileForWriting(2, "values.dat"), 1);
  WriteFloat(2, 1.5f);
  WriteInteger(2, -2);
  WriteTextLine(2, nullptr);
  WriteFloat(2, -0.25f);
  EXPECT_EQ(CloseFile(2), 1);
  EXPECT_EQ(AsBytes(Read("values.dat")), (Bytes{0x00, 0x00, 0xC0, 0x3F, 0xFE, 0xFF, 0xFF, 0xFF, 0x0D, 0x0A, 0x00, 0x00,
                                            0x80, 0xBE}));

  OpenFileForReading(2, "values.dat");
  EXPECT_EQ(ReadFloat(2), 1.5f);
  EXPECT_EQ(ReadInteger(2), -2);
  EXPECT_EQ(Take(ReadTextLine(2)), "");
  EXPECT_EQ(ReadFloat(2), -0.25f);
  EXPECT_EQ(ReadInteger(2), 0);  // end of the file
  EXPECT_EQ(ReadFloat(2), 0.0f);
  CloseFile(2);
  EXPECT_EQ(word_, 0u);
}

TEST_F(FileModuleTest, ShortReadLeavesTheHighBytesZero) {
  Write("short.dat", std::string("\x34\x12", 2));
  OpenFileForReading(3, "short.dat");
  EXPECT_EQ(ReadInteger(3), 0x1234);
  CloseFile(3);
}

TEST_F(FileModuleTest, LinesEndAtControlBytes) {
  const std::string longLine(1500, 'x');
  Write("lines.txt", "crlf\r\nlf\nwith\ttab\x01next\rXdropped\r\n" + longLine + "\r\nafter long\r\nlast");
  OpenFileForReading(4, "lines.txt");
  EXPECT_EQ(Take(ReadTextLine(4)), "crlf");
  EXPECT_EQ(Take(ReadTextLine(4)), "lf");
  EXPECT_EQ(Take(ReadTextLine(4)), "with\ttab");
  EXPECT_EQ(Take(ReadTextLine(4)), "next");  // a bare CR drops the byte after it, whatever it is
  EXPECT_EQ(Take(ReadTextLine(4)), "dropped");
  EXPECT_EQ(Take(ReadTextLine(4)), std::string(1023, 'x'));  // cut; the rest of the line is skipped
  EXPECT_EQ(Take(ReadTextLine(4)), "after long");
  EXPECT_EQ(Take(ReadTextLine(4)), "last");  // no line end before the end of the file
  EXPECT_EQ(Take(ReadTextLine(4)), "");
  CloseFile(4);
  EXPECT_EQ(Take(ReadTextLine(4)), "");  // not open
  EXPECT_EQ(Take(ReadTextLine(0)), "");
}

TEST_F(FileModuleTest, OpeningForReadingRaisesItsErrors) {
  Write("here.dat", "1234");
  EXPECT_EQ(ErrorOf([] { OpenFileForReading(65, "here.dat"); }), 8213u);
  EXPECT_EQ(ErrorOf([] { OpenFileForReading(0, "here.dat"); }), 8213u);
  EXPECT_EQ(ErrorOf([] { OpenFileForReading(7, "missing.dat"); }), 105u);
  EXPECT_EQ(ErrorOf([] { OpenFileForReading(7, nullptr); }), 105u);
  EXPECT_EQ(ErrorOf([] { OpenFileForReading(7, std::string(300, 'a').c_str()); }), 105u);
  EXPECT_EQ(ErrorOf([] { OpenFileForReading(7, "here.dat"); }), 0u);
  EXPECT_EQ(ErrorOf([] { OpenFileForReading(7, "here.dat"); }), 8203u);
  EXPECT_EQ(ErrorOf([] { OpenFileForWriting(7, "new.dat"); }), 0u);  // refused silently
  EXPECT_FALSE(Exists("new.dat"));
  EXPECT_EQ(ReadInteger(7), 0x34333231);  // the number still reads its file
}

TEST_F(FileModuleTest, AnExistingFileIsNeverOpenedForWriting) {
  Write("Profiles/Old.prf", "keep");
  EXPECT_EQ(OpenFileForWriting(1, "profiles\\old.prf"), 0);
  EXPECT_EQ(WriteInteger(1, 5), 0);
  EXPECT_EQ(WriteTextLine(1, "lost"), 0);
  EXPECT_EQ(CloseFile(1), 0);
  EXPECT_EQ(Read("Profiles/Old.prf"), "keep");
  EXPECT_EQ(word_, 0u);

  // The number stayed closed, so it opens for reading; after removing the file it opens for writing.
  OpenFileForReading(1, "Profiles\\Old.prf");
  EXPECT_EQ(word_, 0u);
  CloseFile(1);
  RemoveFile("Profiles\\OLD.prf");
  EXPECT_FALSE(Exists("Profiles/Old.prf"));
  EXPECT_EQ(OpenFileForWriting(1, "Profiles\\Old.prf"), 1);
  EXPECT_EQ(CloseFile(1), 1);
  EXPECT_TRUE(Exists("Profiles/Old.prf"));
}

TEST_F(FileModuleTest, FailedOpensAndWritesAreReported) {
  EXPECT_EQ(OpenFileForWriting(0, "a.dat"), 0);
  EXPECT_EQ(OpenFileForWriting(65, "a.dat"), 0);
  EXPECT_EQ(OpenFileForWriting(2, nullptr), 0);
  EXPECT_EQ(OpenFileForWriting(2, "no such folder\\a.dat"), 0);  // cannot be created
  EXPECT_EQ(WriteInteger(2, 1), 0);

  ASSERT_EQ(OpenFileForWriting(2, "a.dat"), 1);
  EXPECT_EQ(OpenFileForWriting(2, "b.dat"), 0);  // number in use
  EXPECT_FALSE(Exists("b.dat"));
  CloseFile(2);

  OpenFileForReading(3, "a.dat");  // a number open for reading takes no writes
  EXPECT_EQ(WriteInteger(3, 1), 0);
  EXPECT_EQ(CloseFile(3), 0);
  EXPECT_EQ(word_, 0u);
}

// The game names files with "\" and any letter case.
TEST_F(FileModuleTest, NamesResolveWhateverTheirCaseAndSeparators) {
  Write("art/heaven.jpg", "picture");
  EXPECT_EQ(FileExists("Art\\HEAVEN.jpg"), 1);
  EXPECT_EQ(FileExists("Art\\missing.jpg"), 0);
  EXPECT_EQ(FileExists("art"), 0);  // a folder is no file
  EXPECT_EQ(FileExists(nullptr), 0);
  EXPECT_EQ(FileExists(std::string(5000, 'a').c_str()), 0);
  OpenFileForReading(5, "Art\\HEAVEN.jpg");
  EXPECT_EQ(word_, 0u);
  EXPECT_EQ(Take(ReadTextLine(5)), "picture");
  CloseFile(5);
}

// With a root folder, a name is first looked for below "<root>\media\".
TEST_F(FileModuleTest, MediaFolderFilesCountAsExisting) {
  std::snprintf(core_->rootFolder, sizeof core_->rootFolder, "%s", root_.c_str());
  Write("media/Maps/one.qel", "\x07\x00\x00\x00");
  EXPECT_EQ(FileExists("Maps\\one.qel"), 1);
  OpenFileForReading(1, "Maps\\one.qel");
  EXPECT_EQ(ReadInteger(1), 7);
  CloseFile(1);
  MakeFolders("Maps");
  EXPECT_EQ(OpenFileForWriting(2, "Maps\\one.qel"), 0);
  EXPECT_FALSE(Exists("Maps/one.qel"));
}

}  // namespace
