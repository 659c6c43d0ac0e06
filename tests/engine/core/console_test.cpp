// The start-up console over stand-ins for the text and 2D entries of the CoreTable: where each print
// lands, how it advances, the height of an empty line, scrolling at the bottom, and the device the
// console creates for each window mode.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/core.h"
#include "engine/core/core_data.h"
#include "engine/core/core_state.h"
#include "engine/core/core_table.h"

namespace {

constexpr int32_t kCharWidth = 8, kLineHeight = 16;

std::vector<std::string> g_calls;

std::string Call(const char* name, std::vector<int32_t> values, const std::string& text = "") {
  std::string call = name;
  for (int32_t v : values) call += " " + std::to_string(v);
  return text.empty() ? call : call + " \"" + text + "\"";
}

class Console : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetCoreState();
    InitCoreTable();
    g_calls.clear();
    CoreTable& t = GetCoreTable();
    t = CoreTable{};
    // A fixed-pitch font whose empty text measures no height (as a real one does).
    t.MeasureTextWidth = [](const char* text) { return int32_t(std::string(text).size()) * kCharWidth; };
    t.MeasureTextHeight = [](const char* text) { return *text ? kLineHeight : 0; };
    t.DrawTextAt = [](int32_t x, int32_t y, const char* text) { g_calls.push_back(Call("text", {x, y}, text)); };
    t.CopySurfaceRect = [](int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t sx, int32_t sy) {
      g_calls.push_back(Call("copy", {dx, dy, w, h, sx, sy}));
    };
    t.DrawBox = [](int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
      const CoreData* d = GetCoreDataPointer();
      // The freed line is filled with the background ink.
      g_calls.push_back(Call("box", {x1, y1, x2, y2, d->inkForeground == d->inkBackground}));
    };
    data_ = GetCoreDataPointer();
    data_->window = nullptr;  // no frame: the bottom is the back buffer's height
    data_->backBufferWidth = 640;
    data_->backBufferHeight = 48;
    data_->consoleX = data_->consoleY = 0;
    data_->inkForeground = 0xFFFFFFFF;
    data_->inkBackground = 0xFF000000;
  }
  void TearDown() override { GetCoreTable() = CoreTable{}; }

  CoreData* data_ = nullptr;
};

TEST_F(Console, PrintsAdvanceAlongTheLineAndNewlinesStartTheNext) {
  PrintString("abc", 0);
  EXPECT_EQ(data_->consoleX, 3 * kCharWidth);
  EXPECT_EQ(data_->consoleY, 0);
  PrintString("de", 1);
  EXPECT_EQ(data_->consoleX, 0);
  EXPECT_EQ(data_->consoleY, kLineHeight);
  PrintString("f", 1);
  EXPECT_EQ(g_calls, (std::vector<std::string>{Call("text", {0, 0}, "abc"), Call("text", {24, 0}, "de"),
                                              Call("text", {0, kLineHeight}, "f")}));
  PrintString(nullptr, 1);  // nothing to print: nothing moves
  EXPECT_EQ(data_->consoleY, 2 * kLineHeight);
  EXPECT_EQ(g_calls.size(), 3u);
}

TEST_F(Console, EmptyLineTakesTheHeightOfASpace) {
  PrintString("", 0);
  EXPECT_EQ(data_->consoleX, 0);
  EXPECT_EQ(data_->consoleY, 0);
  PrintString("", 1);
  EXPECT_EQ(data_->consoleY, kLineHeight);
}

// With room for three lines of 16 in a back buffer 48 high, the third newline scrolls the screen up by
// one line, fills the freed line with the background ink and keeps printing on the last line.
TEST_F(Console, NewlinePastTheBottomScrollsTheScreenUp) {
  PrintString("one", 1);
  PrintString("two", 1);
  EXPECT_EQ(data_->consoleY, 32);
  EXPECT_EQ(g_calls.size(), 2u);  // at the last line: no scroll yet
  PrintString("three", 1);
  EXPECT_EQ(data_->consoleY, 32);
  EXPECT_EQ(data_->inkForeground, 0xFFFFFFFFu);  // restored after the fill
  PrintString("four", 1);
  EXPECT_EQ(g_calls, (std::vector<std::string>{
                         Call("text", {0, 0}, "one"), Call("text", {0, 16}, "two"), Call("text", {0, 32}, "three"),
                         // Screen-sized copy from 16 rows down; the last line cleared.
                         Call("copy", {0, 0, 640, 480, 0, 16}), Call("box", {0, 32, 640, 480, 1}),
                         Call("text", {0, 32}, "four"), Call("copy", {0, 0, 640, 480, 0, 16}),
                         Call("box", {0, 32, 640, 480, 1})}));
}

TEST_F(Console, StartUpDeviceIsWindowedAtTheDesktopDepthUnlessFullScreen) {
  static std::vector<int32_t> made;
  GetCoreTable().SetDisplayModeAll = [](int32_t width, int32_t height, int32_t depth, int32_t windowed,
                                        int32_t vertexProcessing, int32_t lockable) {
    made = {width, height, depth, windowed, vertexProcessing, lockable};
    return true;
  };
  data_->backBufferWidth = 800;
  data_->backBufferHeight = 600;
  data_->displayDepth = 32;
  const struct {
    int32_t mode;
    std::vector<int32_t> made;
  } cases[] = {{1, {800, 600, 0, 1, 0, 1}}, {2, {800, 600, 0, 1, 0, 1}}, {3, {800, 600, 32, 0, 0, 1}}};
  for (const auto& c : cases) {
    made.clear();
    InitConsole(c.mode);
    EXPECT_EQ(made, c.made) << "mode " << c.mode;
  }
}

}  // namespace
