// The window procedure's effect on CoreData and the quit request.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "engine/core/core.h"
#include "engine/core/core_data.h"
#include "engine/core/core_state.h"
#include "engine/core/core_table.h"
#include "platform/fs/folder.h"
#include "platform/window/messages.h"
#include "platform/window/window.h"

namespace pw = platform::window;

namespace {

class WindowProcedure : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetCoreState();
    InitCoreTable();
    pw::ClearMessageQueue();
  }
  void TearDown() override {
    std::free(GetCoreDataPointer()->typedChars);
    GetCoreDataPointer()->typedChars = nullptr;
    pw::ClearMessageQueue();
  }
  static intptr_t Send(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0) {
    return WindowProc(nullptr, message, wParam, lParam);
  }
};

TEST_F(WindowProcedure, TypedCharactersGrowTheBufferAndKeepControlCharacters) {
  CoreData* data = GetCoreDataPointer();
  for (int i = 0; i < 29; ++i) Send(pw::WM_CHAR, 'a');
  EXPECT_EQ(Core().typedCapacity, 32u);
  Send(pw::WM_CHAR, 8);  // the 30th character: length 29 exceeds 32 - 4
  EXPECT_EQ(Core().typedCapacity, 64u);
  for (int i = 0; i < 31; ++i) Send(pw::WM_CHAR, 'b');
  EXPECT_EQ(Core().typedCapacity, 64u);
  Send(pw::WM_CHAR, 13);  // the 62nd
  EXPECT_EQ(Core().typedCapacity, 128u);
  const std::string typed = data->typedChars;
  EXPECT_EQ(typed, std::string(29, 'a') + '\b' + std::string(31, 'b') + '\r');

  data->typedChars[0] = 0;  // a reader emptied the buffer
  Send(pw::WM_CHAR, 'z');
  EXPECT_STREQ(data->typedChars, "z");
}

TEST_F(WindowProcedure, CloseSetsTheQuitRequestAndKeepsTheWindow) {
  EXPECT_EQ(Send(pw::WM_CLOSE), 1);
  EXPECT_EQ(Core().quitRequest, 1u);
  EXPECT_EQ(ProcessMessages(), 1u);
  EXPECT_FALSE(LoopCheck());
}

TEST_F(WindowProcedure, EscapeQuitsOnlyWhileSwitchedOnAndAlwaysSetsTheQuitRequest) {
  GetCoreDataPointer()->escapeQuits = 0;
  Send(pw::WM_KEYDOWN, pw::VK_ESCAPE);
  EXPECT_EQ(ProcessMessages(), 0u);
  EXPECT_TRUE(LoopCheck());

  GetCoreDataPointer()->escapeQuits = 1;
  Send(pw::WM_KEYDOWN, 'A');
  EXPECT_TRUE(LoopCheck());
  Send(pw::WM_KEYDOWN, pw::VK_ESCAPE);
  EXPECT_EQ(Core().quitRequest, 1u);  // so every later loop ends too
  EXPECT_FALSE(LoopCheck());
}

TEST_F(WindowProcedure, MouseButtonsSetOnDownAndToggleOnUp) {
  CoreData* data = GetCoreDataPointer();
  Send(pw::WM_LBUTTONDOWN);
  Send(pw::WM_RBUTTONDOWN);
  EXPECT_EQ(data->mouseButtons, 3u);
  Send(pw::WM_LBUTTONUP);
  EXPECT_EQ(data->mouseButtons, 2u);
  Send(pw::WM_RBUTTONUP);
  EXPECT_EQ(data->mouseButtons, 0u);
}

TEST(MousePosition, ScalesClientToBackBufferAndSurvivesAnEmptyClient) {
  int32_t x = -1, y = -1;
  ScaleMousePosition(640, 480, 1280, 960, 101, 51, x, y);
  EXPECT_EQ(x, 50);
  EXPECT_EQ(y, 25);
  ScaleMousePosition(640, 480, 0, 0, 300, 200, x, y);  // minimised: the last position stays
  EXPECT_EQ(x, 50);
  EXPECT_EQ(y, 25);
}

TEST(CursorShape, NumbersOutsideTheTableKeepTheCurrentCursor) {
  ResetCoreState();
  auto* custom = reinterpret_cast<pw::Cursor*>(0x31);
  Core().customCursors[31] = custom;
  SetCursorShape(31);
  EXPECT_EQ(Core().currentCursor, custom);
  SetCursorShape(32);
  EXPECT_EQ(Core().currentCursor, custom);
  SetCursorShape(-1);
  EXPECT_EQ(Core().currentCursor, custom);
  Core().customCursors[31] = nullptr;
  SetCursorShape(0);
  EXPECT_EQ(Core().currentCursor, Core().arrowCursor);
}

TEST(Scrambler, RoundTripsAndEndsOnShortFiles) {
  uint8_t data[3000];
  for (int i = 0; i < 3000; ++i) data[i] = uint8_t(i);
  ScrambleBuffer(data, 3000, 70, true);  // step 2, amount 6
  EXPECT_EQ(data[0], 6);
  EXPECT_EQ(data[1], 1);
  EXPECT_EQ(data[2], 8);
  ScrambleBuffer(data, 3000, 70, false);
  for (int i = 0; i < 3000; ++i) ASSERT_EQ(data[i], uint8_t(i));
  uint8_t small[10] = {250};
  ScrambleBuffer(small, 10, 63, true);  // step 0 must end
  EXPECT_EQ(small[0], uint8_t(250 + 63));
}

// The media lookup with no root folder, below a TMPDIR of the test's own.
class MediaPath : public ::testing::Test {
 protected:
  void SetUp() override {
    InitCoreTable();
    std::string pattern = std::filesystem::temp_directory_path() / "qel-media-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    base_ = pattern;
    if (const char* previous = std::getenv("TMPDIR")) previous_ = previous;
    setenv("TMPDIR", base_.c_str(), 1);
  }
  void TearDown() override {
    if (previous_) setenv("TMPDIR", previous_->c_str(), 1);
    else unsetenv("TMPDIR");
    std::filesystem::remove_all(base_);
  }
  // A "media" folder holding `name` below `folder`, made when missing.
  static void Plant(const std::string& folder, const char* name) {
    std::filesystem::create_directories(folder + "/media");
    std::ofstream(folder + "/media/" + name) << "x";
  }
  static std::string Resolved(const char* name) {
    char buffer[260];
    std::strcpy(buffer, name);
    ResolveMediaPath(buffer);
    return buffer;
  }

  std::string base_;
  std::optional<std::string> previous_;
};

TEST_F(MediaPath, EmptyRootLooksInTheCheckedTemporaryFolder) {
  const std::string folder = platform::fs::TempFolder();
  ASSERT_EQ(folder, base_ + "/tvqdata/");
  Plant(folder, "probe.txt");
  EXPECT_EQ(Resolved("probe.txt"), folder + "media\\probe.txt");
  EXPECT_EQ(Resolved("no_such_file.txt"), "no_such_file.txt");
  // Only names inside the media folder are looked up there.
  Plant(folder, "../outside.txt");
  EXPECT_EQ(Resolved("..\\outside.txt"), "..\\outside.txt");
}

// Another user of the machine may make "tvqdata" first; nothing they put in it is ever taken.
TEST_F(MediaPath, AFolderOfAnotherOwnerOrOpenToOthersIsNeverRead) {
  const std::string planted = base_ + "/tvqdata";
  Plant(planted, "probe.txt");
  struct Case {
    const char* what;
    uid_t owner;
    mode_t mode;
  } cases[] = {{"another owner", 4321, 0700}, {"open to others", geteuid(), 0777}, {"readable by a group", geteuid(), 0750}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(chown(planted.c_str(), c.owner, getegid()), 0);
    ASSERT_EQ(chmod(planted.c_str(), c.mode), 0);
    EXPECT_EQ(Resolved("probe.txt"), "probe.txt");
    EXPECT_NE(platform::fs::TempFolder(), planted + "/");
  }
  // The folder of our own beside it is the one used.
  const std::string own = platform::fs::TempFolder();
  EXPECT_EQ(own, base_ + "/tvqdata-" + std::to_string(geteuid()) + "/");
  Plant(own, "probe.txt");
  EXPECT_EQ(Resolved("probe.txt"), own + "media\\probe.txt");
}

TEST(WholeFiles, WriteThenLoad) {
  const std::string path = platform::fs::TempFolder() + "spine_whole.bin";
  const uint8_t bytes[] = {1, 2, 3, 0, 5};
  ASSERT_TRUE(WriteWholeFile(path.c_str(), bytes, 5));
  uint32_t size = 0;
  uint8_t* loaded = LoadFileToMemory(path.c_str(), &size);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(std::memcmp(loaded, bytes, 5), 0);
  std::free(loaded);
  EXPECT_EQ(LoadFileToMemory((path + ".missing").c_str(), &size), nullptr);
  std::remove(path.c_str());
}

}  // namespace
