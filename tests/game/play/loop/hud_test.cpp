// The HUD and the message box as drawn: gauges, life icons, the bottom strip, the box's size and lines,
// and what closes it.
#include <algorithm>

#include "engine/media2d/basic2d.h"
#include "engine/media2d/sprite.h"
#include "tests/game/play/loop/loop_fixture.h"

namespace loop_test {
namespace {

using HudTest = LoopTest;

uint32_t Red(uint32_t p) { return p >> 16 & 0xFF; }
uint32_t Green(uint32_t p) { return p >> 8 & 0xFF; }
uint32_t Blue(uint32_t p) { return p & 0xFF; }

TEST_F(HudTest, BallGaugesRunToTheirChannelAndCarriedGaugesRise) {
  GameVariables& game = Game();
  game.playerColour[0] = 255;
  game.carriedPaint[2] = 255;
  game.carriedPaint[1] = 23;  // 2 pixels
  const auto pixels = Render(DrawHud);
  const int h = kHeight;
  // Red: shaded from black on the left to full red at x 204, nothing past it.
  const uint32_t left = At(pixels, 23, h - 50), right = At(pixels, 202, h - 50);
  EXPECT_LT(Red(left), 20u);
  EXPECT_GT(Red(right), 240u);
  EXPECT_EQ(Green(right) + Blue(right), 0u);
  EXPECT_EQ(At(pixels, 206, h - 50), 0u);
  // Green and blue rows stay empty (left of their value's text at x 116).
  EXPECT_EQ(Lit(Crop(pixels, 21, h - 37, 100, h - 30)), 0);
  EXPECT_EQ(Lit(Crop(pixels, 21, h - 29, 100, h - 13)), 0);
  // Carried blue: 22 pixels up from y h - 13, full blue at the top.
  EXPECT_GT(Blue(At(pixels, 300, h - 34)), 200u);
  EXPECT_EQ(At(pixels, 300, h - 37), 0u);
  EXPECT_LT(Blue(At(pixels, 300, h - 14)), 40u);
  // Carried green: 2 pixels only.
  EXPECT_NE(At(pixels, 262, h - 14), 0u);
  EXPECT_EQ(At(pixels, 262, h - 17), 0u);
}

TEST_F(HudTest, LifeIconsShowUpToNine) {
  struct Case {
    int32_t lives, icons;
  } cases[] = {{0, 0}, {5, 5}, {9, 9}, {12, 9}, {-1, 0}};
  for (const Case& c : cases) {
    Game().lives = c.lives;
    const auto pixels = Render(DrawHud);
    int32_t icons = 0;
    for (int k = 0; k < 12; ++k) icons += At(pixels, 8 + 25 * k + 4, 27 + 4) == (kLifeColour & 0xFFFFFF);
    EXPECT_EQ(icons, c.icons) << c.lives << " lives";
  }
}

TEST_F(HudTest, BottomStripAndRightFrameSit) {
  const auto pixels = Render(DrawHud);
  EXPECT_EQ(At(pixels, 345, kHeight - 5), kGuiStripColour & 0xFFFFFF);
  EXPECT_EQ(At(pixels, 345 + (kWidth - 461) - 8, kHeight - 5), kGuiStripColour & 0xFFFFFF);
  EXPECT_EQ(At(pixels, kWidth - 118, kHeight - 62), kRightFrameColour & 0xFFFFFF);
}

TEST_F(HudTest, MessageBoxFitsItsLines) {
  ShowMessage("Short#A much longer second line of the message#");
  const int32_t lineHeight = GetTextHeight(Game().message);
  const int32_t widest = GetTextWidth("A much longer second line of the message");
  const int32_t hw = (widest + 20) / 2, hh = (2 * lineHeight + 70) / 2;
  const int cx = kWidth / 2, cy = kHeight / 2;
  const auto pixels = Render(ShowMessageOverlay);
  const uint32_t frame = 0x08F7F4, inside = 0x091862;
  EXPECT_EQ(At(pixels, cx - hw, cy), frame);
  EXPECT_EQ(At(pixels, cx - hw - 1, cy), 0u);
  EXPECT_EQ(At(pixels, cx, cy - hh), frame);
  EXPECT_EQ(At(pixels, cx, cy - hh - 1), 0u) << "two lines: the empty third is not counted";
  EXPECT_EQ(At(pixels, cx - hw + 2, cy - hh + 2), inside);
  // White text on both lines and on the closing line.
  const auto white = [&](int y1, int y2) {
    int32_t count = 0;
    for (uint32_t p : Crop(pixels, cx - hw + 1, y1, cx + hw - 1, y2)) count += p == 0xFFFFFF;
    return count;
  };
  EXPECT_GT(white(cy - hh + 20, cy - hh + 20 + lineHeight), 0);
  EXPECT_GT(white(cy - hh + 20 + lineHeight, cy - hh + 20 + 2 * lineHeight), 0);
  EXPECT_GT(white(cy + hh - lineHeight - 2, cy + hh - 1), 0);
  // The yes/no box has no closing line.
  const auto question = Render(ShowYesNoOverlay);
  int32_t count = 0;
  for (uint32_t p : Crop(question, cx - hw + 1, cy + hh - lineHeight - 2, cx + hw - 1, cy + hh - 1)) count += p == 0xFFFFFF;
  EXPECT_EQ(count, 0);
}

TEST_F(HudTest, OnlyReturnClosesTheMessage) {
  ShowMessage("Hello");
  g_scanCode = 57;
  ShowMessageOverlay();
  EXPECT_EQ(Game().overlay, 1);
  ShowYesNoOverlay();
  g_return = true;
  ShowYesNoOverlay();
  EXPECT_EQ(Game().overlay, 1) << "the question leaves the answer to its caller";
  ShowMessageOverlay();
  EXPECT_EQ(Game().overlay, 0);
}

TEST_F(HudTest, PlanningPanelPlacesItsIconsAndClock) {
  Game().planningClock = {2, 5, 0};
  SetDrawColors(Rgb(0, 0, 0), 0);  // the ink a level texture's tint or a door's colour leaves behind
  const auto pixels = Render([] {
    DrawPlanningHud();
    DrawSpritePass();
  });
  EXPECT_EQ(At(pixels, 10, kHeight - 99), 0xFF0000u) << "the red strip";
  // Icon images are grey levels of their own number.
  const auto iconGrey = [](int32_t number) { return (uint32_t(number) * 0x10101u) & 0xFFFFFF; };
  EXPECT_EQ(At(pixels, kWidth - 101 + 5, kHeight - 47 + 5), iconGrey(kIconTurnLeft));
  EXPECT_EQ(At(pixels, 7 + 5, kHeight - 20 + 5), iconGrey(kIconBuyPlan));
  const std::vector<uint32_t> clock = Crop(pixels, 10, kHeight - 95, 200, kHeight - 80);
  EXPECT_GT(std::count(clock.begin(), clock.end(), 0xFFFFFFu), 20) << "the planning clock, white on the black panel";
  for (int32_t sprite : kPlanningPanelSprites) HideSprite(sprite);
}

}  // namespace
}  // namespace loop_test
