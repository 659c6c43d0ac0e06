// Saving with F1 (and its backup), the test run with F5 in a second program, and opening a map with O
// through the open-file dialog.
#include <sys/stat.h>

#include <memory>
#include <sstream>

#include "engine/file/file_state.h"
#include "platform/dialogs/open_file.h"
#include "platform/window/message_box.h"
#include "tests/game/editor/editor_fixture.h"

namespace editor_test {
namespace {

namespace pt = platform::dialogs::test;
namespace pw = platform::window;

std::string ReadWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The test run starts the running executable (read as the program started), whatever its name; the
// tests put a stand-in for the game there, under a name of its own.
constexpr const char* kStandIn = "renamed-game";

class EditorFilesTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    own_ = OwnExecutable();
    SetOwnExecutableForTests((fs::current_path() / kStandIn).string());
  }
  void TearDown() override {
    pw::test::SetSystemMessageBox(nullptr);
    pw::test::ShowMessageBoxes(false);
    SetOwnExecutableForTests(own_);
    fs::remove_all("Maps");
    fs::remove(kStandIn);
    fs::remove("run.txt");
    EditorTest::TearDown();
  }

 private:
  std::string own_;
};

TEST_F(EditorFilesTest, F1SavesIntoInProgressAndKeepsThePreviousFileAsBackup) {
  const fs::path saved = "Maps/In Progress/Untitled.qel", backup = "Maps/In Progress/Untitled.bak";
  std::string first;
  RunEditor([&](int32_t frame) {
    switch (frame) {
      case 1: g_keys = {kKeyRight}; break;
      case 2: g_keys = {kKeyOne + 4}; break;  // a 20 x 10 x 10 box
      case 15: g_keys = {kKeyF1}; break;  // past the 500 ms guard of the placing's stamp
      case 16:
        g_keys = {};
        first = ReadWhole(saved);
        EXPECT_FALSE(fs::exists(backup));
        break;
      case 17: g_keys = {kKeyLeft}; break;
      case 18: g_keys = {kKeyDelete}; break;  // the goal pad goes
      case 40: g_keys = {kKeyF1}; break;
      default: g_keys = {};
    }
    return frame < 42;
  });
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(ReadWhole(backup), first) << "the backup is the previous save";
  auto map = std::make_unique<MapTables>();
  ResetMapTables(*map);
  MapFileError error{};
  ASSERT_TRUE(ReadMapFile("Maps\\In Progress\\Untitled.qel", *map, &error)) << MapFileErrorText(error);
  ASSERT_EQ(map->header.recordCount, 1);
  EXPECT_EQ(map->records[0].shape, SHAPE_BOX_THIN_Z);
  EXPECT_EQ(map->records[0].x, 30.0f);
  EXPECT_STREQ(map->header.mapName, "Untitled");
  EXPECT_EQ(map->header.planningTime, 420000);
}

TEST_F(EditorFilesTest, F5SavesAndRunsTheGameOnTheSavedMapInTheGameFolderAndWaits) {
  // A stand-in for the game: notes its arguments and whether the map was there when it started.
  WriteFile(kStandIn, "#!/bin/sh\nprintf '%s\\n' \"$@\" > run.txt\n"
                   "test -f 'Maps/In Progress/Trial.qel' && echo saved >> run.txt\n");
  fs::permissions(kStandIn, fs::perms::owner_all);
  bool ranBeforeTheLoopWentOn = false;
  RunEditor([&](int32_t frame) {
    if (frame == 1) {
      std::strcpy(CurrentMap().header.fileName, "Trial");
      g_keys = {kKeyF5};
    } else {
      g_keys = {};
    }
    if (frame == 2) ranBeforeTheLoopWentOn = fs::exists("run.txt");
    return frame < 3;
  });
  EXPECT_TRUE(ranBeforeTheLoopWentOn) << "the editor waits for the game to end";
  EXPECT_EQ(ReadWhole("run.txt"), "-map\nIn Progress\\Trial.qel\nsaved\n");
}

// The boxes shown ("caption: text"), each answered OK: the save's, then the test run's.
std::vector<std::string> g_boxes;
int NoteBox(const char* text, const char* caption, uint32_t) {
  g_boxes.push_back(std::string(caption) + ": " + text);
  return pw::IDOK;
}

TEST_F(EditorFilesTest, F5SaysWhyTheGameCouldNotBeStarted) {
  struct Case {
    const char* what;
    const char* contents;  // null: no file at all
    fs::perms perms;
    const char* reason;
  } cases[] = {
      {"gone", nullptr, fs::perms::none, "was not found"},
      {"not executable", "#!/bin/sh\ntouch run.txt\n", fs::perms::owner_read | fs::perms::owner_write,
       "is not marked executable"},
      {"not a program", "touch run.txt\n", fs::perms::owner_all, "could not be run: Exec format error"},
  };
  g_boxes.clear();
  pw::test::ShowMessageBoxes(true);
  pw::test::SetSystemMessageBox(NoteBox);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(kStandIn);
    fs::remove("Maps/In Progress/Untitled.qel");
    if (c.contents) {
      WriteFile(kStandIn, c.contents);
      fs::permissions(kStandIn, c.perms);
    }
    g_boxes.clear();
    g_now += 1000;  // past F1's guard
    RunEditor([&](int32_t frame) {
      g_keys = frame == 1 ? std::set<int32_t>{kKeyF5} : std::set<int32_t>{};
      return frame < 3;
    });
    EXPECT_TRUE(fs::exists("Maps/In Progress/Untitled.qel")) << "the map is saved first";
    EXPECT_FALSE(fs::exists("run.txt"));
    ASSERT_FALSE(g_boxes.empty());
    const std::string program = (fs::current_path() / kStandIn).string();
    EXPECT_EQ(g_boxes.back(), "Qel: The test run could not start: \"" + program + "\" " + c.reason + ".");
  }
}

TEST_F(EditorFilesTest, F5RunsNothingWhenTheMapCannotBeSaved) {
  WriteFile(kStandIn, "#!/bin/sh\ntouch run.txt\n");
  fs::permissions(kStandIn, fs::perms::owner_all);
  fs::create_directories("Maps");
  WriteFile("Maps/In Progress", "a file where the folder should be");
  RunEditor([&](int32_t frame) {
    g_keys = frame == 1 ? std::set<int32_t>{kKeyF5} : std::set<int32_t>{};
    return frame < 3;
  });
  EXPECT_FALSE(fs::exists("run.txt"));
}

TEST_F(EditorFilesTest, F1AndF5RefuseAFileNameThatWouldLeaveTheMapsFolderOrBreakTheArgument) {
  WriteFile(kStandIn, "#!/bin/sh\ntouch run.txt\n");
  fs::permissions(kStandIn, fs::perms::owner_all);
  for (const char* name : {"..\\..\\Escape", "../Escape", "Trial\" -edit \""}) {
    for (int32_t key : {kKeyF1, kKeyF5}) {
      g_now += 1000;  // past F1's guard
      RunEditor([&](int32_t frame) {
        if (frame == 1) std::snprintf(CurrentMap().header.fileName, kMapStringSize, "%s", name);
        g_keys = frame == 1 ? std::set<int32_t>{key} : std::set<int32_t>{};
        return frame < 3;
      });
      EXPECT_FALSE(fs::exists("run.txt")) << name;
      EXPECT_FALSE(fs::exists("Escape.qel") || fs::exists("Maps/Escape.qel")) << name;
      EXPECT_TRUE(!fs::exists("Maps/In Progress") || fs::is_empty("Maps/In Progress")) << name;
    }
  }
}

TEST_F(EditorFilesTest, OOpensTheChosenMapAndADamagedOneLeavesTheMapAsItWas) {
  auto map = std::make_unique<MapTables>();
  ResetMapTables(*map);
  map->header.recordCount = 2;
  for (int i = 0; i < 2; ++i) {
    MapRecord& r = map->records[i];
    r.shape = SHAPE_BOX;
    r.x = 10.0f + 20.0f * float(i), r.y = 0, r.z = 10;
  }
  std::strcpy(map->header.mapName, "Other");
  std::strcpy(map->header.texture, "TexPlain.jpg");
  fs::create_directories("Maps");
  ASSERT_TRUE(WriteMapFile("Maps\\Other.qel", *map));
  WriteFile("Maps/Broken.qel", "\x05");

  pt::TypeText(platform::dialogs::kFileNameControl, "maps\\broken.qel");
  pt::PressEnter();
  pt::TypeText(platform::dialogs::kFileNameControl, "maps\\other.qel");
  pt::PressEnter();
  int32_t recordsAfterBroken = -1;
  RunEditor([&](int32_t frame) {
    if (frame == 1) g_keys = {kKeyO};
    if (frame == 2) recordsAfterBroken = RecordCount();
    if (frame == 4) g_keys = {};  // a held O opens no second dialog: it is pressed again
    if (frame == 12) g_keys = {kKeyO};
    if (frame == 13) g_keys = {};
    return frame < 15;
  });
  EXPECT_EQ(recordsAfterBroken, 1) << "the damaged map changed nothing";
  EXPECT_STREQ(CurrentMap().header.mapName, "Other");
  EXPECT_EQ(RecordCount(), 2);
  EXPECT_EQ(CurrentMapCounts().blocksBuilt, 2);
  EXPECT_TRUE(ObjectExists(Record(1).blockObject));
}

}  // namespace
}  // namespace editor_test
