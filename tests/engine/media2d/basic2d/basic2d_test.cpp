// Basic 2D drawing on the real device: boxes, dots, circles, lines, gradient boxes and rectangle copies.
#include <gtest/gtest.h>

#include "tests/engine/media2d/basic2d/draw_fixture.h"

namespace draw_test {
namespace {

using PointSet = std::set<std::pair<int32_t, int32_t>>;

TEST(PackedColours, KeepTheLowBitsOfEachChannel) {
  EXPECT_EQ(Rgb(255, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(Rgb(256, 0, 0), 0xFF000000u);
  EXPECT_EQ(Rgb(1, 2, 3), 0xFF010203u);
  EXPECT_EQ(Pack565(255, 255, 255), 0xFFFFu);
  EXPECT_EQ(Pack565(8, 4, 8), 0x0821u);
}

TEST_F(DrawTest, BoxFillsWithoutItsRightAndBottomEdges) {
  DrawBox(0, 0, 10, 10);
  EXPECT_EQ(Screen().Lit().size(), 100u);
  EXPECT_EQ(Screen()(9, 9), kWhite);

  ClearScreen(0, 0, 0);
  SetDrawColors(Rgb(0, 255, 0), 0);
  DrawBox(630, 470, 700, 500);  // clipped to the screen
  const Pixels screen = Screen();
  EXPECT_EQ(screen.Lit().size(), 100u);
  EXPECT_EQ(screen(639, 479) & 0xFFFFFF, 0x00FF00u);
}

TEST_F(DrawTest, DotsStayOnTheScreen) {
  DrawDot(0, 0);
  DrawDot(639, 479);
  DrawDot(640, 0);  // at the display width
  DrawDot(-1, 5);
  DrawDot(5, 480);
  EXPECT_EQ(Screen().Lit(), (PointSet{{0, 0}, {639, 479}}));

  // Many dots in one lock: nothing reaches the surface before the unlock.
  LockDrawSurface();
  for (int32_t x = 10; x < 20; ++x) DrawDot(x, 30);
  LockDrawSurface();  // already locked: no effect
  EXPECT_TRUE(Basic2D().locked);
  UnlockDrawSurface();
  UnlockDrawSurface();
  EXPECT_FALSE(Basic2D().locked);
  EXPECT_EQ(Screen().Lit().size(), 12u);
}

// The points each radius draws, around a centre well inside a bitmap.
TEST_F(DrawTest, CirclePointTables) {
  struct Case {
    int32_t radius;
    PointSet offsets;
  } cases[] = {
      {0, {{0, 0}}},
      {1, {{1, 0}, {-1, 0}, {0, 1}, {0, -1}}},
      {2, {{2, 0}, {-2, 0}, {0, 2}, {0, -2}, {1, 2}, {-1, 2}, {1, -2}, {-1, -2}, {2, 1}, {-2, 1}, {2, -1},
           {-2, -1}, {2, 2}, {-2, 2}, {2, -2}, {-2, -2}}},
  };
  for (const Case& c : cases) {
    NewBitmap(1, 16, 16);
    DrawCircle(8, 8, c.radius);
    EXPECT_FALSE(Basic2D().locked);
    PointSet expected;
    for (auto [dx, dy] : c.offsets) expected.insert({8 + dx, 8 + dy});
    EXPECT_EQ(Target().Lit(), expected) << "radius " << c.radius;
  }
  EXPECT_EQ(word_, 0u);
}

TEST_F(DrawTest, CirclesWriteNothingPastTheSurfaceEdges) {
  NewBitmap(1, 16, 16);
  DrawCircle(15, 8, 1);  // (16, 8) would land on (0, 9) of the next row
  EXPECT_EQ(Target().Lit(), (PointSet{{14, 8}, {15, 7}, {15, 9}}));

  NewBitmap(1, 16, 16);
  DrawCircle(15, 15, 1);  // (15, 16) and (16, 15) lie past the last row
  DrawCircle(0, 0, 1);
  EXPECT_EQ(Target().Lit(), (PointSet{{14, 15}, {15, 14}, {1, 0}, {0, 1}}));

  NewBitmap(1, 16, 16);
  DrawCircle(8, 8, 1000);  // far outside on every side
  DrawCircle(-3, 8, 4);
  EXPECT_EQ(Target().Lit(), (PointSet{{0, 4}, {0, 12}, {1, 5}, {1, 6}, {1, 7}, {1, 8}, {1, 9}, {1, 10}, {1, 11}}));

  SelectBitmap(0);
  DrawCircle(639, 100, 1);  // the screen's edge
  EXPECT_EQ(Screen().Lit(), (PointSet{{638, 100}, {639, 99}, {639, 101}}));
}

// A dot on a 16-bit bitmap is one packed 5-6-5 pixel, whatever the screen's depth.
TEST_F(DrawTest, DotsOnA16BitBitmapArePacked) {
  const uint16_t black[4 * 2] = {};
  SetBitmapData(3, 4, 2, 16, reinterpret_cast<const uint8_t*>(black), sizeof black);
  ASSERT_EQ(BitmapExists(3), 1);
  SelectBitmap(3);
  SetDrawColors(Rgb(255, 0, 255), 0);
  DrawDot(1, 0);
  DrawDot(3, 1);
  DrawDot(4, 1);  // past the last column
  const Pixels bitmap = Target();
  ASSERT_EQ(bitmap.width, 4);
  EXPECT_EQ(bitmap.at, (std::vector<uint32_t>{0, Pack565(255, 0, 255), 0, 0, 0, 0, 0, Pack565(255, 0, 255)}));
}

TEST_F(DrawTest, LinesAreOnePixelWide) {
  DrawLine(10, 20, 30, 20);
  DrawLine(50, 10, 50, 40);
  const Pixels screen = Screen();
  for (int32_t x = 11; x < 29; ++x) EXPECT_EQ(screen(x, 20), kWhite) << x;
  for (int32_t y = 11; y < 39; ++y) EXPECT_EQ(screen(50, y), kWhite) << y;
  for (auto [x, y] : screen.Lit()) {
    EXPECT_TRUE((y == 20 && x >= 10 && x <= 30) || (x == 50 && y >= 10 && y <= 40)) << x << ", " << y;
  }
}

TEST_F(DrawTest, GradientBoxShadesBetweenItsCorners) {
  const uint32_t red = Rgb(255, 0, 0), green = Rgb(0, 255, 0), blue = Rgb(0, 0, 255), white = Rgb(255, 255, 255);
  DrawGradientBox(100, 100, 164, 164, red, green, blue, white);
  const Pixels screen = Screen();
  EXPECT_TRUE(Near(screen(100, 163), red, 12)) << std::hex << screen(100, 163);     // bottom-left
  EXPECT_TRUE(Near(screen(100, 100), green, 12)) << std::hex << screen(100, 100);   // top-left
  EXPECT_TRUE(Near(screen(163, 163), blue, 12)) << std::hex << screen(163, 163);    // bottom-right
  EXPECT_TRUE(Near(screen(163, 100), white, 12)) << std::hex << screen(163, 100);   // top-right
  EXPECT_EQ(screen.Lit().size(), 64u * 64u);
}

TEST_F(DrawTest, CopiesARectangleInsideTheSurface) {
  SetDrawColors(Rgb(255, 0, 0), 0);
  DrawBox(0, 0, 10, 10);
  CopySurfaceRect(20, 30, 10, 10, 0, 0);
  Pixels screen = Screen();
  EXPECT_EQ(screen.Lit().size(), 200u);
  EXPECT_EQ(screen(29, 39) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(screen(30, 40) & 0xFFFFFF, 0u);

  // The console scrolls with an overlapping copy of more than the screen holds.
  CopySurfaceRect(0, 0, 1024, 768, 0, 25);
  screen = Screen();
  PointSet moved;
  for (int32_t y = 5; y < 15; ++y)
    for (int32_t x = 20; x < 30; ++x) moved.insert({x, y});
  EXPECT_EQ(screen.Lit(), moved);
}

}  // namespace
}  // namespace draw_test
