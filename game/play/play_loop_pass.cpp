// One pass of play: the keys of play, the clock, the simulation step, time up, planning, the death
// countdown, the level's effects and the HUD.
#include <climits>

#include "engine/core/core.h"
#include "engine/display/display.h"
#include "engine/objects/object_commands.h"
#include "game/play/ball.h"
#include "game/play/death.h"
#include "game/play/entities.h"
#include "game/play/game_font.h"
#include "game/play/game_particles.h"
#include "game/play/game_state.h"
#include "game/play/generated_textures.h"
#include "game/play/hud.h"
#include "game/play/level_builder.h"
#include "game/play/planning.h"
#include "game/play/play_loop.h"
#include "game/play/play_loop_input.h"
#include "game/play/play_loop_steps.h"
#include "game/play/visualiser.h"
#include "game/shell/control_bindings.h"

namespace {

constexpr uint32_t kStepInterval = 4;      // ms; the simulation steps once more than this has passed
constexpr uint32_t kNoGroundDeath = 5000;  // ms with nothing below the ball

// "Pause" toggles once per press: the flag re-arms only while the key is up.
void TogglePauseOnPress() {
  GameVariables& game = Game();
  if (!IsCommandDown(kPause)) {
    game.pauseArmed = 1;
    return;
  }
  if (!game.pauseArmed) return;
  game.paused = !game.paused;
  game.pauseArmed = 0;
}

void RunSimulationStep() {
  UpdatePlayer();
  ApplyGoalPadAndBoosts();
  CullLevelObjects();
  UpdateEntities();
  UpdateSeeThroughBlocks();
  Game().stepTime = GameNow();
}

// The keys and requests read after a simulation step; kContinue when play goes on.
PlayPass ApplyEndOfLevelRequests() {
  GameVariables& game = Game();
  if (IsCommandDown(kRestartLevel)) {
    if (game.lives < 1) {
      ShowMessage("You do not have enough lives to restart this level.");
    } else {
      game.restartQuestionArmed = 0;
      ConfirmRestartLevel();
    }
  }
  if (game.restartConfirmed || game.timeUpRestart) {
    --game.lives;
    game.state = kStatePlayMap;
    return PlayPass::kRestart;
  }
  if (IsCommandDown(kMenuScreen)) {
    game.menuQuestionArmed = 0;
    ConfirmReturnToMenu();
  }
  if (game.returnToMenu || game.timeUpGameOver) {
    ClearLevel();
    for (int32_t& channel : game.playerColour) channel = 0;
    game.state = kStateMenu;
    HideObject(kBallObject);
    return PlayPass::kMenu;
  }
  return PlayPass::kContinue;
}

void CheckTimeUp() {
  GameVariables& game = Game();
  // Once asked, the request stands until the next step takes it; asking again would only stack the
  // same message.
  if (!ClockRunOut(game.gameClock) || game.timeUpRestart || game.timeUpGameOver) return;
  if (game.lives < 1) {
    ShowMessage("Time up!#Not enough lifes to restart, game over.");
    game.timeUpGameOver = 1;
  } else {
    ShowMessage("Time up!#You will loose one life and the level will be reset.");
    game.timeUpRestart = 1;
  }
}

void ApplyDeathRule() {
  GameVariables& game = Game();
  if (!game.noGround) {
    game.deathStamp = GameNow();
    return;
  }
  if (GameNow() - game.deathStamp > kNoGroundDeath) {
    KillPlayer();
    game.noGround = 0;
    game.deathStamp = GameNow();
  }
}

// The part of a pass that runs while play is not paused; kContinue when play goes on.
PlayPass RunActivePass() {
  GameVariables& game = Game();
  TogglePauseOnPress();
  if (!game.overlay) {
    TickGameClock();
    if (GameNow() - game.stepTime > kStepInterval) {
      RunSimulationStep();
      const PlayPass ending = ApplyEndOfLevelRequests();
      if (ending != PlayPass::kContinue) return ending;
    }
    CheckTimeUp();
    if (IsCommandDown(kPlanningScreen) && game.planningArmed) {
      game.planningArmed = 0;
      PlanningScreen();
    }
    ApplyDeathRule();
  } else {
    ShowMessageOverlay();
  }
  RunLevelEffects();
  UpdateGameParticles();
  if (!IsCommandDown(kPlanningScreen)) game.planningArmed = 1;
  DrawHud();
  const int32_t* colour = game.playerColour;
  if (colour[0] == 255 && colour[1] == 255 && colour[2] == 255) return PlayPass::kLevelComplete;
  return PlayPass::kContinue;
}

void RunPausedPass() {
  TogglePauseOnPress();
  BeginTextBatch();
  DrawGameText(4, GetDisplayWidth() / 2, GetDisplayHeight() / 2, 1, "PAUSED");
  EndTextBatch();
}

}  // namespace

void ApplyBonusLifeRule() {
  GameVariables& game = Game();
  if (game.bonusLifeCounter < 0) game.bonusLifeCounter = 0;
  if (game.bonusLifeCounter > kBonusLifePoints) {
    if (game.lives < INT32_MAX) ++game.lives;
    game.bonusLifeCounter -= kBonusLifePoints;
  }
}

void RunLevelEffects() {
  RunVisualiserBeat();
  ScrollObjectTexture(kFirstHeartObject + 1, 0.0f, -0.01f);
  BuildMusicLevelImages(1);
  BuildMusicLevelImages(0);
  TextureLevelHearts();
}

void StartPlay() {
  GameVariables& game = Game();
  game.noGround = 0;
  game.deathStamp = game.playStartTime = GameNow();
}

PlayPass RunPlayPass() {
  GameVariables& game = Game();
  if (!LoopCheck()) {
    // The window is closing: leave the program as Escape does.
    game.state = kStateQuit;
    return PlayPass::kQuit;
  }
  if (PlayEscapePressed()) {
    game.state = kStateQuit;
    return PlayPass::kQuit;
  }
  game.entityUnderBall = -1;
  ApplyBonusLifeRule();
  if (!game.paused) {
    const PlayPass ending = RunActivePass();
    if (ending != PlayPass::kContinue) return ending;
  } else {
    RunPausedPass();
  }
  Sync();
  return PlayPass::kContinue;
}
