// The window procedure's effect on CoreData and the quit request.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/core/core.h"
#include "engine/core/core_data.h"
#include "engine/core/core_state.h"
#include "engine/core/core_table.h"
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

TEST(MediaPath, EmptyRootLooksInTheEngineTemporaryFolder) {
  InitCoreTable();
  const std::string folder = EngineTempFolder() + "/media";
  std::string mkdir = "mkdir -p '" + folder + "'";
  ASSERT_EQ(std::system(mkdir.c_str()), 0);
  const std::string file = folder + "/spine_probe.txt";
  ASSERT_TRUE(WriteWholeFile(file.c_str(), reinterpret_cast<const uint8_t*>("x"), 1));

  char name[260] = "spine_probe.txt";
  ResolveMediaPath(name);
  EXPECT_TRUE(CoreFileExists(name)) << name;
  char missing[260] = "no_such_file.txt";
  ResolveMediaPath(missing);
  EXPECT_STREQ(missing, "no_such_file.txt");
  std::remove(file.c_str());
}

TEST(WholeFiles, WriteThenLoad) {
  const std::string path = EngineTempFolder() + "/spine_whole.bin";
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
