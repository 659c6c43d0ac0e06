#include "game/play/hud_layout.h"

#include "engine/media2d/basic2d.h"
#include "game/play/game_state.h"

int32_t ClearedPercentage() {
  const GameVariables& game = Game();
  if (game.plasmaCount <= 0) return 100;
  const int64_t percentage = int64_t(game.plasmaCleared) * 100 / game.plasmaCount;
  return percentage < 0 ? 0 : percentage > 100 ? 100 : int32_t(percentage);
}

void FillBox(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
  DrawGradientBox(x1, y1, x2, y2, colour, colour, colour, colour);
}

std::span<const PlanningIcon> PlanningIcons() {
  static constexpr PlanningIcon kIcons[] = {
      {kIconTurnLeft, "Art\\turn left.bmp", true, -101, -47},
      {kIconTurnRight, "Art\\turn right.bmp", true, -39, -47},
      {kIconArrowLeft, "Art\\arrow left.bmp", true, -97, -67},
      {kIconArrowRight, "Art\\arrow right.bmp", true, -32, -67},
      {kIconArrowUp, "Art\\arrow up.bmp", true, -66, -92},
      {kIconArrowDown, "Art\\arrow down.bmp", true, -66, -25},
      {kIconPlus, "Art\\plus.bmp", true, -33, -81},
      {kIconMinus, "Art\\minus.bmp", true, -87, -78},
      {kIconCircle, "Art\\circle.bmp", true, -77, -71},
      {kIconShowWarp, "Art\\showwarp.bmp", true, 7, -73},
      {kIconColourInfo, "Art\\colourinfo.bmp", true, 7, -55},
      {kIconBuyPlan, "Art\\buyplan.bmp", true, 7, -20},
      {kIconBackground, "Art\\background.bmp", true, 7, -37},
      {kIconPointer, "Art\\dot.bmp", false, 0, 0},
      {kIconTick, "Art\\tick.bmp", false, 0, 0},
  };
  return kIcons;
}
