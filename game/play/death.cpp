// The ball's death: the explosion, the respawn above the respawn point, the cost, and "Game Over" when
// no life is left.
#include "game/play/death.h"

#include <algorithm>

#include "engine/core/core.h"
#include "engine/display/display.h"
#include "engine/objects/object_commands.h"
#include "game/play/game_font.h"
#include "game/play/game_state.h"
#include "game/play/level_builder.h"
#include "game/play/play_loop_input.h"
#include "game/play/sound_effects.h"
#include "game/play/visualiser.h"
#include "game/shell/control_bindings.h"

namespace {

constexpr int32_t kBallExplosionObject = 3001;  // "Models\GryoExplode.x"
constexpr int32_t kFlashObject = 6000;          // "Models\Explosion.x", translucent
constexpr uint32_t kExplosionTime = 3000;       // ms
constexpr int32_t kDeathPenalty = 100;          // points
constexpr float kRespawnLift = 15.0f;

uint32_t gDeathTime = kNoTime;

void RunExplosion() {
  float scale = 100.0f, brightness = 200.0f;
  while (GameNow() - gDeathTime < kExplosionTime && LoopCheck()) {
    ScaleObject(kFlashObject, scale, 100.0f, scale);
    scale += 10.0f;
    // Fades to black and stays there: a brightness below 0 means nothing to a material.
    brightness = std::max(0.0f, brightness - 1.8f);
    SetObjectBrightness(kFlashObject, brightness);
    RunVisualiserBeat();
    Sync();
  }
}

void Respawn() {
  GameVariables& game = Game();
  ShowObject(kBallObject);
  PositionObject(kBallObject, game.respawn[0], game.respawn[1] + kRespawnLift, game.respawn[2]);
  SetObjectAngleY(kBallObject, game.respawn[3]);
  --game.lives;
  game.fallSpeed = 0.001f;
  game.forwardSpeed = game.backwardSpeed = 0.0f;
  AddScore(-kDeathPenalty);  // the score stops at 0; the bonus-life counter may go below it
  game.emergencyBrakes = kEmergencyBrakesPerLife;
}

void ShowGameOver() {
  GameVariables& game = Game();
  game.menuQuestionArmed = 0;
  while (LoopCheck()) {
    BeginTextBatch();
    DrawGameText(4, GetDisplayWidth() / 2, GetDisplayHeight() / 2, 1, "Game Over");
    EndTextBatch();
    Sync();
    const int32_t scanCode = PlayPressedScanCode();
    if (scanCode <= 0) game.menuQuestionArmed = 1;
    else if (game.menuQuestionArmed) break;
  }
  IgnoreInputHeldNow();  // Escape that ended it does not also leave the menu
  game.returnToMenu = 1;
}

}  // namespace

void KillPlayer() {
  gDeathTime = GameNow();
  HideObject(kBallObject);
  const float x = GetObjectX(kBallObject), y = GetObjectY(kBallObject), z = GetObjectZ(kBallObject);
  PositionObject(kBallExplosionObject, x, y, z);
  ShowObject(kBallExplosionObject);
  PlayObjectAnimation(kBallExplosionObject);
  PositionObject(kFlashObject, x, y, z);
  RotateObject(kFlashObject, GetObjectXAngle(kBallObject), GetObjectYAngle(kBallObject), GetObjectZAngle(kBallObject));
  ShowObject(kFlashObject);
  PlayObjectAnimation(kFlashObject);
  PlaySoundEffect(kSoundPlayerDie);

  RunExplosion();

  PositionObject(kFlashObject, 0.0f, -14000.0f, 0.0f);
  gDeathTime = kNoTime;
  HideObject(kBallExplosionObject);
  HideObject(kFlashObject);
  Respawn();
  if (Game().lives < 0) ShowGameOver();
}
