// The play HUD and the planning panel, drawn anew every frame.
#include "game/play/hud.h"

#include <cstdio>

#include "engine/display/display.h"
#include "engine/media2d/basic2d.h"
#include "engine/media2d/bitmap.h"
#include "engine/media2d/image.h"
#include "engine/media2d/sprite.h"
#include "engine/text/text.h"
#include "game/play/game_font.h"
#include "game/play/game_state.h"
#include "game/play/hud_layout.h"

namespace {

constexpr int32_t kHudStripBitmap = 10;
constexpr int32_t kLifeIconStep = 25;
constexpr int32_t kLastLifeIconX = 208;

// A gauge reads its channel held to 0-255: the goal pad adds paint without an upper clamp.
int32_t GaugeValue(int32_t channel) { return channel < 0 ? 0 : channel > 255 ? 255 : channel; }

uint32_t ChannelColour(int32_t channel) {
  return Rgb(channel == 0 ? 255 : 0, channel == 1 ? 255 : 0, channel == 2 ? 255 : 0);
}

void DrawColourGauges(int32_t h) {
  const GameVariables& game = Game();
  for (int32_t c = 0; c < 3; ++c) {
    const HudRow row = BallGaugeRow(c, h);
    FillBox(kBallGaugeLeft, row.top, kBallGaugeRight, row.bottom, 0);
    const int32_t column = CarriedGaugeColumn(c);
    FillBox(column, h - 13, column + kCarriedGaugeWidth, h - 34, 0);
  }
  const uint32_t black = Rgb(0, 0, 0);
  for (int32_t c = 0; c < 3; ++c) {
    const int32_t value = GaugeValue(game.playerColour[c]);
    if (value <= 0) continue;  // an empty gauge
    const HudRow row = BallGaugeRow(c, h);
    const uint32_t full = ChannelColour(c);
    DrawGradientBox(kBallGaugeLeft, row.top, BallGaugeEnd(value), row.bottom, black, black, full, full);
  }
  for (int32_t c = 0; c < 3; ++c) {
    const int32_t value = GaugeValue(game.carriedPaint[c]);
    const int32_t height = CarriedGaugeHeight(value);
    if (height <= 0) continue;
    const int32_t column = CarriedGaugeColumn(c);
    const uint32_t full = ChannelColour(c);
    DrawGradientBox(column, h - 13 - height, column + kCarriedGaugeWidth, h - 13, black, full, black, full);
  }
}

// The gauges' numbers stand on their bars, which run right through them: a black outline keeps the
// white digits readable over any fill.
void DrawGaugeNumber(int32_t x, int32_t y, int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  SetTextColour(0, 0, 0, 255);
  for (int32_t dy = -1; dy <= 1; ++dy)
    for (int32_t dx = -1; dx <= 1; ++dx)
      if (dx || dy) DrawGameText(2, x + dx, y + dy, 1, text);
  SetTextColour(255, 255, 255, 255);
  DrawGameText(2, x, y, 1, text);
}

void DrawHudText(int32_t w, int32_t h) {
  const GameVariables& game = Game();
  char text[64];
  SetTextColour(255, 255, 255, 255);
  BeginTextBatch();
  std::snprintf(text, sizeof text, "%08d", game.score);
  DrawGameText(1, 10, 10, 0, text);
  std::snprintf(text, sizeof text, "Breaks: %d", game.emergencyBrakes);
  DrawGameText(1, 10, 60, 0, text);
  for (int32_t c = 0; c < 3; ++c) {
    DrawGaugeNumber(116, h - 55 + 17 * c, game.playerColour[c]);
    DrawGaugeNumber(kCarriedLabelX[c], h - 27, game.carriedPaint[c]);
  }
  std::snprintf(text, sizeof text, "%d:%02d", game.gameClock.minutes, game.gameClock.seconds);
  DrawGameText(2, w - 55, h - 43, 1, text);
  std::snprintf(text, sizeof text, "%d%% Cleared", ClearedPercentage());
  DrawGameText(2, w - 55, h - 23, 1, text);
  EndTextBatch();
}

}  // namespace

void LoadGuiImages() {
  LoadImageWithMode("Art\\Gui1.bmp", kHudLeftFrameImage, 1);
  LoadImageWithMode("Art\\Gui3.bmp", kHudRightFrameImage, 1);
  LoadImageWithMode("Art\\Life1.bmp", kLifeImage, 1);
  LoadImageWithMode("Art\\Gui2.bmp", kHudStripTileImage, 1);
  // The bottom strip: image 900 tiled along the width between the two frames.
  const int32_t width = GetDisplayWidth() - 461;
  if (width <= 0) return;  // a display too narrow for a strip
  NewBitmap(kHudStripBitmap, width, 10);
  for (int32_t x = 0; x <= width; ++x) DrawImageAt(kHudStripTileImage, x, 0);
  CaptureImage(kHudStripImage, 0, 0, width, 10);
  DeleteBitmap(kHudStripBitmap);
  SelectBitmap(0);
}

void LoadPlanningIcons() {
  for (const PlanningIcon& icon : PlanningIcons()) LoadImageWithMode(icon.file, icon.number, 1);
}

void DrawHud() {
  const int32_t w = GetDisplayWidth(), h = GetDisplayHeight();
  DrawColourGauges(h);
  DrawImageAtEx(kHudLeftFrameImage, 0, h - 75, 1);
  DrawImageAtEx(kHudStripImage, 341, h - 10, 1);
  DrawImageAtEx(kHudRightFrameImage, w - 120, h - 65, 1);
  const int32_t lives = Game().lives;
  for (int32_t k = 0; k < lives && 8 + kLifeIconStep * k <= kLastLifeIconX; ++k)
    DrawImageAtEx(kLifeImage, 8 + kLifeIconStep * k, 27, 1);
  DrawHudText(w, h);
}

void DrawPlanningHud() {
  const int32_t w = GetDisplayWidth(), h = GetDisplayHeight();
  FillBox(0, h - 100, w, h, 0);
  FillBox(0, h - 100, w, h - 98, Rgb(255, 0, 0));
  for (const PlanningIcon& icon : PlanningIcons()) {
    if (!icon.panel) continue;
    SetSprite(icon.number, icon.x < 0 ? w + icon.x : icon.x, h + icon.y, icon.number);
  }
  for (int32_t sprite : kPlanningPanelSprites) ShowSprite(sprite);
  char text[64];
  const CountdownClock& clock = Game().planningClock;
  std::snprintf(text, sizeof text, "Planning time remaining: %d:%02d", clock.minutes, clock.seconds);
  // The engine's text takes the ink colour, which whatever drew last left behind (the level texture's
  // tint, a door's colour): white on the black panel, and for the frame rate drawn after it.
  SetDrawColors(Rgb(255, 255, 255), 0);
  DrawTextAt(10, h - 95, text);
}
