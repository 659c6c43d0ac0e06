// The game's font slots on the engine's display device (offscreen GL, 640 x 480).
#include <gtest/gtest.h>

#include <climits>
#include <tuple>
#include <vector>

#include "engine/display/display.h"
#include "game/play/game_font.h"
#include "platform/d3dx/font.h"
#include "platform/d3dx/font_test_hooks.h"
#include "tests/engine/engine_fixture.h"

namespace {

namespace d3dx = platform::d3dx;

constexpr uint32_t kWhite = 0xFFFFFF, kTitle = 0x9D4AF8;  // (157, 74, 248)

struct Ink {
  int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;  // right and bottom exclusive
  int count = 0;
};

class GameFontTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 640, kHeight = 480;

  void SetUp() override {
    core_ = engine_test::StartEngineDisplay(&word_, kWidth, kHeight);
    ASSERT_NE(GetDirect3DDevice(), nullptr);
    SetTextColour(255, 255, 255, 255);
    StoreDisplayDevice();
  }
  void TearDown() override {
    ReleaseGameFonts();
    engine_test::StopEngineDisplay(core_);
  }

  // The start-up fonts: slot, face, points, bold, italic.
  void MakeStartUpFonts() {
    CreateGameFont(1, "Arial", 12, 0, 0);
    CreateGameFont(2, "Arial", 7, 0, 0);
    CreateGameFont(3, "Arial", 10, 0, 0);
    CreateGameFont(4, "Impact", 22, 0, 1);
    CreateGameFont(5, "Impact", 16, 0, 0);
  }

  // The back buffer (0xRRGGBB) after clearing it to `background` and drawing.
  template <class Draw>
  std::vector<uint32_t> Render(Draw draw, uint32_t background = 0) {
    ClearScreen(int32_t(background >> 16), int32_t(background >> 8 & 0xFF), int32_t(background & 0xFF));
    draw();
    std::vector<uint32_t> pixels = engine_test::ReadSurfacePixels(core_->backBufferSurface);
    for (uint32_t& p : pixels) p &= 0xFFFFFF;
    return pixels;
  }

  // The box around the pixels that `match` accepts.
  template <class Match>
  static Ink InkWhere(const std::vector<uint32_t>& pixels, Match match, int width = kWidth) {
    Ink ink;
    for (size_t i = 0; i < pixels.size(); ++i) {
      if (!match(pixels[i] & 0xFFFFFF)) continue;
      const int x = int(i % width), y = int(i / width);
      ink = {std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x + 1), std::max(ink.bottom, y + 1),
             ink.count + 1};
    }
    return ink;
  }
  static Ink InkOf(const std::vector<uint32_t>& pixels, uint32_t background = 0) {
    return InkWhere(pixels, [background](uint32_t p) { return p != background; });
  }

  uint32_t word_ = 0;
  CoreData* core_ = nullptr;
};

TEST_F(GameFontTest, SlotsAreMadeAsStartUpMakesThem) {
  MakeStartUpFonts();
  CreateGameFont(6, "Arial", 12, 1, 2);  // bold counts only for 1, and so does italic
  const struct {
    int32_t slot;
    const char* face;
    int32_t height;
    uint32_t weight;
    bool italic;
  } cases[] = {{1, "Arial", -16, 400, false}, {2, "Arial", -9, 400, false},   {3, "Arial", -13, 400, false},
               {4, "Impact", -29, 400, true}, {5, "Impact", -21, 400, false}, {6, "Arial", -16, 700, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.slot);
    const d3dx::Font* font = GetGameFont(c.slot);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->Desc().faceName, c.face);
    EXPECT_EQ(font->Desc().height, c.height);
    EXPECT_EQ(font->Desc().weight, c.weight);
    EXPECT_EQ(font->Desc().italic, c.italic);
    EXPECT_EQ(font->Desc().mipLevels, 1u);
    EXPECT_EQ(font->Desc().charSet, 1);
    EXPECT_EQ(font->Desc().quality, 0);
    EXPECT_EQ(d3dx::FontWorkDone(*font).glyphsRasterised, 149u) << "glyphs 32 to 180 are made at once";
    EXPECT_GT(InkOf(Render([&] { DrawGameText(c.slot, 10, 10, 0, "Qel 0123"); })).count, 0);
  }
}

TEST_F(GameFontTest, ShadowedTextHasABlackOutlineInTheTitleColour) {
  MakeStartUpFonts();
  const std::vector<uint32_t> pixels = Render(
      [] {
        BeginTextBatch();
        DrawShadowedText(4, 100, 100, 0, "Level Completed!");
        EndTextBatch();
      },
      kWhite);
  // Title ink is purple: blue well above green, at the edges too, over black or white.
  const Ink title = InkWhere(pixels, [](uint32_t p) { return int(p & 0xFF) - int(p >> 8 & 0xFF) > 60; });
  const Ink shadow = InkWhere(pixels, [](uint32_t p) { return (p >> 16) < 24 && (p >> 8 & 0xFF) < 24 && (p & 0xFF) < 24; });
  const Ink all = InkOf(pixels, kWhite);
  ASSERT_GT(title.count, 20);
  EXPECT_GT(InkWhere(pixels, [](uint32_t p) { return p == kTitle; }).count, 20);
  EXPECT_GT(shadow.count, 20);
  // The outline reaches a pixel past the title text on every side.
  for (auto [outline, text, outward] : {std::tuple{all.left, title.left, -1}, {all.top, title.top, -1},
                                        {all.right, title.right, 1}, {all.bottom, title.bottom, 1}}) {
    EXPECT_GE((outline - text) * outward, 1);
    EXPECT_LE((outline - text) * outward, 2);
  }

  // The title colour stays for the next text, drawn at once outside a batch.
  const std::vector<uint32_t> next = Render([] { DrawGameText(5, 100, 100, 0, "Press Any Key to Begin!"); });
  EXPECT_GT(InkWhere(next, [](uint32_t p) { return p == kTitle; }).count, 20);
  EXPECT_EQ(InkWhere(next, [](uint32_t p) { return p == kWhite; }).count, 0);
}

TEST_F(GameFontTest, AlignmentPlacesTheTextAroundItsReferencePoint) {
  MakeStartUpFonts();
  const char* text = "Time Remaining Bonus";
  platform::gfx::Rect measured{0, 0, 0, 0};
  GetGameFont(1)->DrawText(nullptr, text, -1, &measured, d3dx::DT_CALCRECT, 0xFFFFFFFF);
  const int32_t width = measured.right;
  ASSERT_GT(width, 60);
  const struct {
    int32_t alignment, left;
  } cases[] = {{0, 300}, {1, 300 - width / 2}, {2, 300 - width}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.alignment);
    // The same picture as left-aligned text at the left edge the alignment works out.
    EXPECT_EQ(Render([&] { DrawGameText(1, 300, 200, c.alignment, text); }),
              Render([&] { DrawGameText(1, c.left, 200, 0, text); }));
  }
  const Ink centred = InkOf(Render([&] { DrawGameText(1, 300, 200, 1, text); }));
  EXPECT_NEAR((centred.left + centred.right) / 2, 300, 2);
  const Ink right = InkOf(Render([&] { DrawGameText(1, 300, 200, 2, text); }));
  EXPECT_NEAR(right.right, 300, 2);
}

TEST_F(GameFontTest, SlotsOutOfRangeAndEmptySlotsDoNothing) {
  CreateGameFont(1, "Arial", 12, 0, 0);
  for (int32_t slot : {-1, 21, 1000, INT_MIN, INT_MAX}) {
    SCOPED_TRACE(slot);
    CreateGameFont(slot, "Arial", 12, 0, 0);
    EXPECT_EQ(GetGameFont(slot), nullptr);
    EXPECT_EQ(InkOf(Render([slot] { DrawGameText(slot, 10, 10, 0, "nothing"); })).count, 0);
  }
  EXPECT_EQ(InkOf(Render([] { DrawGameText(7, 10, 10, 0, "empty slot"); })).count, 0);
  EXPECT_EQ(InkOf(Render([] { DrawGameText(1, 10, 10, 0, nullptr); })).count, 0);
  EXPECT_GT(InkOf(Render([] { DrawGameText(1, 10, 10, 0, "slot 1"); })).count, 0);
}

TEST_F(GameFontTest, FontsKeepDrawingAfterADisplayModeChange) {
  MakeStartUpFonts();
  platform::gfx::Device* before = GetDirect3DDevice();
  ASSERT_EQ(ChangeDisplayMode(800, 600, 32), 1u);
  ASSERT_NE(GetDirect3DDevice(), before) << "the engine makes a new device for a new mode";
  ClearScreen(0, 0, 0);
  BeginTextBatch();
  DrawGameText(1, 700, 560, 0, "After");
  EndTextBatch();
  uint32_t width = 0, height = 0;
  std::vector<uint32_t> pixels = engine_test::ReadSurfacePixels(core_->backBufferSurface, &width, &height);
  ASSERT_EQ(width, 800u);
  const Ink ink = InkWhere(pixels, [](uint32_t p) { return p != 0; }, int(width));
  EXPECT_GT(ink.count, 0);
  EXPECT_GE(ink.left, 700);
  for (int32_t slot = 1; slot <= 5; ++slot) {
    EXPECT_EQ(GetGameFont(slot)->Device(), GetDirect3DDevice());
    EXPECT_EQ(d3dx::FontWorkDone(*GetGameFont(slot)).glyphsRasterised, 149u) << "moved, not made again";
  }
}

}  // namespace
