// Where the HUD and the planning panel put things: image and sprite numbers, gauge geometry and the
// planning icons, shared by the drawing, the planning screen's clicks and the tests.
#pragma once
#include <cstdint>
#include <span>

constexpr int32_t kHudStripTileImage = 900;   // "Art\Gui2.bmp"
constexpr int32_t kHudStripImage = 901;       // the tiles of 900 along the bottom
constexpr int32_t kHudLeftFrameImage = 902;   // "Art\Gui1.bmp"
constexpr int32_t kHudRightFrameImage = 903;  // "Art\Gui3.bmp"
constexpr int32_t kLifeImage = 904;           // "Art\Life1.bmp"

// Ball colour gauges: bars from x 21 rightwards, one row per channel (blue's is taller).
constexpr int32_t kBallGaugeLeft = 21;
constexpr int32_t kBallGaugeRight = 204;
struct HudRow {
  int32_t top, bottom;
};
inline HudRow BallGaugeRow(int32_t channel, int32_t displayHeight) {
  constexpr HudRow kRows[3] = {{-53, -46}, {-37, -30}, {-29, -13}};
  return {displayHeight + kRows[channel].top, displayHeight + kRows[channel].bottom};
}
// Right end of a ball gauge of value 0-255: 255 reaches x 204.
inline int32_t BallGaugeEnd(int32_t value) { return 22 + int32_t(float(value) * 0.71428573f); }

// Carried paint gauges: bars rising from y = height - 13, 26 pixels wide.
constexpr int32_t kCarriedGaugeWidth = 26;
inline int32_t CarriedGaugeColumn(int32_t channel) { return 220 + 35 * channel; }
// Height of a carried gauge of value 0-255: 255 gives 22 pixels.
inline int32_t CarriedGaugeHeight(int32_t value) { return int32_t(float(value) * 0.08695652f); }
constexpr int32_t kCarriedLabelX[3] = {232, 268, 303};

// A box of one colour (packed ARGB) in all four corners.
void FillBox(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);

// The message box of a message ("#" between lines): centred on the display, as wide as its widest
// line (the closing line "Press Return to Close" included when it is shown) plus 20, and as high as
// its lines plus 70. Both edges are inside the box.
struct MessagePanelBox {
  int32_t left, top, right, bottom;
};
MessagePanelBox MessagePanelBounds(const char* message, bool withCloseLine);

// Share of the level's plasma collected, 0-100; 100 for a level without plasma.
int32_t ClearedPercentage();

// Planning icons: sprite n shows image n. Positions are from the panel's corner: x below 0 counts
// from the right edge, y from the bottom.
enum PlanningIconNumber : int32_t {
  kIconArrowLeft = 905,
  kIconArrowRight = 906,
  kIconArrowUp = 907,
  kIconArrowDown = 908,
  kIconTurnLeft = 909,
  kIconTurnRight = 910,
  kIconPlus = 911,
  kIconMinus = 912,
  kIconCircle = 913,
  kIconPointer = 914,
  kIconBackground = 915,
  kIconColourInfo = 916,
  kIconShowWarp = 917,
  kIconBuyPlan = 918,
  kIconTick = 919,
  kSecondTickSprite = 920,  // the tick beside "show warp", showing image 919
};
struct PlanningIcon {
  int32_t number;
  const char* file;
  bool panel;  // placed by the planning panel
  int32_t x, y;
};
// In the order the planning screen tests clicks; the pointer and the tick last.
std::span<const PlanningIcon> PlanningIcons();
// Shown by the planning panel every frame.
constexpr int32_t kPlanningPanelSprites[] = {919, 920, 913, 905, 906, 907, 908, 909, 910, 912, 911, 917, 916, 915, 918};
