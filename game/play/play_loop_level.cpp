// Level start and the intro panel: the level turns slowly under the camera while its name, comment
// and par time slide in.
#include <algorithm>
#include <cstdio>

#include "engine/core/core.h"
#include "engine/display/display.h"
#include "engine/input/input.h"
#include "engine/objects/object_commands.h"
#include "engine/scene/camera.h"
#include "game/editor/map_editor.h"
#include "game/play/ball.h"
#include "game/play/entities.h"
#include "game/play/game_font.h"
#include "game/play/game_state.h"
#include "game/play/generated_textures.h"
#include "game/play/hud.h"
#include "game/play/level_builder.h"
#include "game/play/map_file.h"
#include "game/play/music.h"
#include "game/play/play_loop_input.h"
#include "game/play/play_loop_steps.h"
#include "game/play/visualiser.h"
#include "game/shell/settings.h"
#include "game/shell/control_bindings.h"

namespace {

IntroPanel gIntro;

constexpr int32_t kPanelMargin = 20;  // the columns stop here
constexpr int32_t kIntroSlide = 6;    // pixels a frame
// Each column starts to slide this long after the level start.
constexpr uint32_t kIntroColumnDelay[4] = {0, 2000, 4000, 6000};
constexpr uint32_t kIntroMinimum = 2000;  // no key counts before this

void DrawIntroText() {
  const MapHeader& header = CurrentMap().header;
  const int32_t h = GetDisplayHeight();
  char clock[32], parTime[48];
  FormatMinutesSeconds(clock, sizeof clock, header.parTime / 1000);
  std::snprintf(parTime, sizeof parTime, "Par Time: %s", clock);
  SetTextColour(157, 74, 248, 255);
  BeginTextBatch();
  DrawShadowedText(4, gIntro.x[0], 20, 0, header.mapName);
  DrawShadowedText(5, gIntro.x[1], 50, 0, header.comment);
  DrawShadowedText(5, gIntro.x[2], 80, 0, parTime);
  DrawShadowedText(5, gIntro.x[3], h - 60, 0, "Press Any Key to Begin!");
  EndTextBatch();
}

}  // namespace

IntroPanel& Intro() { return gIntro; }

void BeginLevel() {
  GameVariables& game = Game();
  HideMouseCursor();
  game.forwardSpeed = game.backwardSpeed = 0.0f;
  std::fill(std::begin(game.carriedPaint), std::end(game.carriedPaint), 0);
  std::fill(std::begin(game.playerColour), std::end(game.playerColour), 0);
  game.paused = 0;
  game.overlay = 0;

  // The editor's cursor lines (objects 500 to 507) exist in play too, hidden.
  BuildSelectionBox();
  HideSelectionBox();

  gIntro = {};
  std::fill(std::begin(gIntro.x), std::end(gIntro.x), GetDisplayWidth() + kPanelMargin);

  TintLevelTexture(game.playerColour[0] + 30, game.playerColour[1] + 30, game.playerColour[2] + 30);
  BuildColourImage();
  TextureGoalHeart();
  SetMainCameraClearColor(0);
  MakeVisualiserBox();

  const MapHeader& header = CurrentMap().header;
  StartLevelMusic(header.music);

  const uint32_t now = GameNow();
  game.levelStartTime = game.beatTime = now;
  DrawVisualiser();

  if (Settings().sphereMapping) SetObjectSecondTexture(kFirstHeartObject, kSphereMapImage);

  game.emergencyBrakes = kEmergencyBrakesPerLife;
  StartLevelClocks();
  game.plasmaCleared = 0;

  game.stepTime = now;
  PlaceCamera(-100.0f, 100.0f, 100.0f);
  AimCamera(0.0f, 0.0f, 0.0f);

  game.fallSpeed = 0.1f;
  game.restartConfirmed = game.returnToMenu = game.timeUpRestart = game.timeUpGameOver = 0;
  game.gravityStep = header.gravity;
}

bool RunIntroFrame() {
  GameVariables& game = Game();
  SetCameraAngles(0.0f, GetCameraAngleY() - 90.0f, 0.0f);
  MoveCamera(1.0f);
  AimCamera(0.0f, 0.0f, 0.0f);

  ApplyGoalPadAndBoosts();
  CullLevelObjects();
  UpdateEntities();
  RunLevelEffects();
  game.stepTime = GameNow();

  DrawIntroText();
  const uint32_t elapsed = GameNow() - game.levelStartTime;
  for (int32_t column = 0; column < 4; ++column) {
    if (elapsed < kIntroColumnDelay[column]) continue;
    gIntro.x[column] = std::max(kPanelMargin, gIntro.x[column] - kIntroSlide);
  }
  Sync();
  LoopCheck();
  if (!AnyKeyOrJoystickButton() || GameNow() - game.levelStartTime <= kIntroMinimum) return false;
  IgnoreInputHeldNow();  // the key that began the level does not also act in it
  return true;
}
