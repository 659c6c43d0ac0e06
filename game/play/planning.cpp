// The planning screen's loop: the view over the level, the icon clicks and the planning clock.
#include "game/play/planning.h"

#include <algorithm>
#include <cstdio>

#include "engine/core/core.h"
#include "engine/display/display.h"
#include "engine/input/input.h"
#include "engine/media2d/basic2d.h"
#include "engine/media2d/sprite.h"
#include "engine/objects/object_commands.h"
#include "engine/scene/camera.h"
#include "engine/text/text.h"
#include "game/play/entities.h"
#include "game/play/game_state.h"
#include "game/play/hud.h"
#include "game/play/hud_layout.h"
#include "game/play/level_builder.h"
#include "game/play/map_file.h"
#include "game/play/play_loop_input.h"
#include "game/play/visualiser.h"
#include "game/shell/control_bindings.h"

namespace {

PlanningView gView;
int32_t gBackground = 1;

constexpr uint32_t kLeftButtonOnly = 1;
constexpr PlanningView kStartView{};

// What one icon does when clicked; camera icons act every frame while held.
void ActOnIcon(int32_t icon) {
  PlanningView& v = gView;
  GameVariables& game = Game();
  switch (icon) {
    case kIconTurnLeft: v.angle = NormalizeAngle(v.angle + 1.0f); break;
    case kIconTurnRight: v.angle = NormalizeAngle(v.angle - 1.0f); break;
    case kIconArrowLeft: v.pan -= 1.0f, v.lookX -= 1.0f; break;
    case kIconArrowRight: v.pan += 1.0f, v.lookX += 1.0f; break;
    case kIconArrowUp: v.distance -= 1.0f; break;
    case kIconArrowDown: v.distance += 1.0f; break;
    case kIconPlus: v.height += 1.0f, v.lookY += 1.0f; break;
    case kIconMinus: v.height -= 1.0f, v.lookY -= 1.0f; break;
    case kIconCircle:
      v.angle = kStartView.angle, v.height = kStartView.height, v.pan = kStartView.pan;
      v.distance = kStartView.distance, v.lookX = kStartView.lookX, v.lookY = kStartView.lookY;
      break;
    case kIconShowWarp:
      if (v.warpLinksShown) DeleteWarpLinks();
      else ShowWarpLinks();
      v.warpLinksShown = !v.warpLinksShown;
      break;
    case kIconColourInfo: v.colourInfoShown = !v.colourInfoShown; break;
    case kIconBuyPlan:
      if (game.score >= kPlanningMinutePrice) {
        game.score -= kPlanningMinutePrice;
        if (game.planningClock.minutes < INT32_MAX) ++game.planningClock.minutes;
      } else {
        char message[kMessageBufferSize];
        std::snprintf(message, sizeof message, "Sorry, you need at least 1000 points to buy time.#You have: %d",
                      game.score);
        ShowMessage(message);
      }
      break;
    case kIconBackground:
      gBackground = gBackground >= 5 ? 0 : gBackground + 1;
      ApplyPlanningClearColour();
      break;
  }
}

bool IsCameraIcon(int32_t icon) { return icon >= kIconArrowLeft && icon <= kIconMinus; }

void TestIconClicks() {
  const uint32_t buttons = PlayMouseButtons();
  if (buttons == 0) gView.clickArmed = 1;
  if (buttons != kLeftButtonOnly) return;
  for (const PlanningIcon& icon : PlanningIcons()) {
    if (!icon.panel || !gView.clickArmed || !CheckSpriteOverlap(kIconPointer, icon.number)) continue;
    if (!IsCameraIcon(icon.number)) gView.clickArmed = 0;
    ActOnIcon(icon.number);
  }
}

void PlaceViewCamera() {
  const PlanningView& v = gView;
  PlaceCamera(v.pan, v.height, 0.0f);
  const float x = MoveXByAngle(v.pan, v.angle, v.distance);
  const float z = MoveZByAngle(0.0f, v.angle, v.distance);
  PlaceCamera(x, v.height, z);
  AimCamera(v.lookX, v.lookY, 0.0f);
}

void DrawFrameRate() {
  char text[32];
  std::snprintf(text, sizeof text, "Fps: %d", GetFrameRate());
  DrawTextAt(GetDisplayWidth() - 10 - GetTextWidth(text), 10, text);
}

// The ticks beside the switched-on options; DrawPlanningHud shows both, so this runs after it.
void PlaceTicks() {
  const int32_t h = GetDisplayHeight();
  if (gView.colourInfoShown) SetSprite(kIconTick, 153, h - 55, kIconTick);
  else HideSprite(kIconTick);
  if (gView.warpLinksShown) SetSprite(kSecondTickSprite, 153, h - 71, kIconTick);
  else HideSprite(kSecondTickSprite);
}

}  // namespace

PlanningView& Planning() { return gView; }
int32_t& PlanningBackground() { return gBackground; }

void ApplyPlanningClearColour() {
  static constexpr uint8_t kColours[6][3] = {{0, 0, 0},     {180, 180, 180}, {255, 255, 255},
                                             {255, 0, 0},   {0, 255, 0},     {0, 0, 255}};
  const int32_t index = gBackground >= 0 && gBackground < 6 ? gBackground : 0;
  SetMainCameraClearColor(Rgb(kColours[index][0], kColours[index][1], kColours[index][2]));
}

bool EnterPlanning() {
  const int32_t w = GetDisplayWidth(), h = GetDisplayHeight();
  gView = PlanningView{};
  SetCameraViewport(0, 0, w, h - 100);
  PlaceCamera(0.0f, 60.0f, -200.0f);
  AimCamera(0.0f, 0.0f, 0.0f);
  HideObject(kVisualiserBox);
  ApplyPlanningClearColour();
  DrawSpritesOnTop();
  ShowMouseCursor();
  // Text and respawn triggers stay hidden: they are not part of the level's shape.
  const MapTables& map = CurrentMap();
  // Every record the map holds, past empty ones that built no block.
  const int32_t count = std::max(CurrentMapCounts().blocksBuilt, LevelRecordCount());
  for (int32_t i = 0; i < count && i < kMapRecordCapacity; ++i) {
    const MapRecord& record = map.records[i];
    if (record.blockObject >= 0) ShowObject(record.blockObject);
    if (record.entityObject >= 0 && record.entityType != E_TEXT && record.entityType != E_RESPAWN)
      ShowObject(record.entityObject);
  }
  return LoopCheck();
}

bool RunPlanningFrame() {
  GameVariables& game = Game();
  if (game.overlay) {
    DrawPlanningHud();
    PlaceTicks();  // a message does not tick the options that are off
    ShowMessageOverlay();
  } else {
    if ((IsCommandDown(kPlanningScreen) && game.planningArmed) || gView.timeExpired) return false;
    TickPlanningClock();
    ApplyGoalPadAndBoosts();
    UpdateEntities();
    KeepVisualiserBeat();
    SetSprite(kIconPointer, PlayMouseX(), PlayMouseY(), kIconPointer);
    ShowSprite(kIconPointer);
    TestIconClicks();
    PlaceViewCamera();
    DrawPlanningHud();
    DrawFrameRate();
    if (gView.colourInfoShown) ShowPaintColour();
    PlaceTicks();
    HideSprite(kIconPointer);
    if (ClockRunOut(game.planningClock) && !gView.timeExpired) {
      ShowMessage("Planning time has expired.");
      gView.timeExpired = 1;
    }
    if (!IsCommandDown(kPlanningScreen)) game.planningArmed = 1;
  }
  Sync();
  return LoopCheck();
}

void LeavePlanning() {
  DeleteWarpLinks();
  for (int32_t sprite : kPlanningPanelSprites) HideSprite(sprite);
  SetCameraViewport(0, 0, GetDisplayWidth(), GetDisplayHeight());
  SetMainCameraClearColor(0);
  PlaceCamera(0.0f, 100.0f, 0.0f);
  AimCamera(0.0f, 0.0f, 0.0f);
  ShowObject(kVisualiserBox);
  Game().planningArmed = 0;
  HideMouseCursor();
}

void PlanningScreen() {
  if (EnterPlanning()) {
    while (RunPlanningFrame()) {
    }
  }
  LeavePlanning();
}
