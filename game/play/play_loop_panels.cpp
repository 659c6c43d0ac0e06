// The level-complete panel with its bonuses, the step to the next map of the class, and the
// class-end panel.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <strings.h>

#include <string>

#include "engine/core/core.h"
#include "engine/display/display.h"
#include "engine/objects/object_commands.h"
#include "game/play/entities.h"
#include "game/play/game_font.h"
#include "game/play/game_state.h"
#include "game/play/hud_layout.h"
#include "game/play/level_builder.h"
#include "game/play/map_file.h"
#include "game/play/play_loop_input.h"
#include "game/play/play_loop_steps.h"
#include "game/play/visualiser.h"
#include "game/shell/control_bindings.h"
#include "platform/fs/contained_name.h"

namespace {

constexpr int32_t kPanelMargin = 20;
constexpr int32_t kPanelSlide = 5;
constexpr uint32_t kPanelKeyDelay = 5000;  // ms before a key ends a result panel
constexpr uint32_t kBobPhaseTime = 2000;   // ms of bobbing in place before the ball turns
constexpr int32_t kClassEndLifeBonus = 2000;

int32_t RemainingSeconds() {
  const CountdownClock& clock = Game().gameClock;
  return std::max(0, clock.minutes * 60 + clock.seconds);
}

// Whole seconds since a millisecond time.
int64_t SecondsSince(uint32_t start) { return int64_t((GameNow() - start) / 1000); }

// Ends a result panel: a key or joystick button down once the panel has shown long enough. That key
// does not also act on what follows (Escape in the menu).
bool PanelKeyEnds(uint32_t panelStart) {
  if (GameNow() - panelStart <= kPanelKeyDelay || !AnyKeyOrJoystickButton()) return false;
  IgnoreInputHeldNow();
  return true;
}

void DrawContinuePrompt(uint32_t panelStart) {
  if (GameNow() - panelStart > kPanelKeyDelay)
    DrawShadowedText(5, kPanelMargin, GetDisplayHeight() - 60, 0, "Press Any Key to Continue!");
}

// A sine of an angle in degrees given as a large number, reduced first so a float keeps its digits.
float SinOfDegrees(double degrees) { return float(std::sin(std::fmod(degrees, 360.0) * M_PI / 180.0)); }

}  // namespace

void FormatMinutesSeconds(char* text, int32_t size, int64_t seconds) {
  if (seconds < 0) seconds = 0;
  std::snprintf(text, size_t(size), "%lld:%02lld", static_cast<long long>(seconds / 60),
                static_cast<long long>(seconds % 60));
}

int32_t AwardLevelBonus() {
  const int32_t bonus = RemainingSeconds() * 2 + ClearedPercentage() * 10;
  AddScore(bonus);
  return bonus;
}

void RunLevelCompletePanel() {
  GameVariables& game = Game();
  const int32_t percentage = ClearedPercentage();
  const int32_t remaining = RemainingSeconds();
  AwardLevelBonus();
  const int64_t timeTaken = SecondsSince(game.playStartTime);
  const uint32_t panelStart = GameNow();
  const float restHeight = GetObjectY(kBallObject);
  int32_t column[4];
  std::fill(std::begin(column), std::end(column), GetDisplayWidth() + kPanelMargin);

  char timeBonus[96], completion[96], total[64], score[48], clock[32];
  FormatMinutesSeconds(clock, sizeof clock, remaining);
  std::snprintf(timeBonus, sizeof timeBonus, "Time Remaining Bonus: %s x 2 = %d", clock, remaining * 2);
  std::snprintf(completion, sizeof completion, "Completion Bonus: %d x 10 = %d", percentage, percentage * 10);
  FormatMinutesSeconds(clock, sizeof clock, timeTaken);
  std::snprintf(total, sizeof total, "Total Time Taken: %s", clock);

  while (LoopCheck()) {
    const uint32_t now = GameNow();
    const uint32_t elapsed = now - panelStart;
    column[0] = std::max(kPanelMargin, column[0] - kPanelSlide);
    float bob;
    if (elapsed < kBobPhaseTime) {
      bob = SinOfDegrees(double(now) / 6.0);
    } else {
      for (int32_t c = 1; c < 4; ++c) column[c] = std::max(kPanelMargin, column[c] - kPanelSlide);
      bob = SinOfDegrees(double(now) * 0.2);
      SetObjectAngleY(kBallObject, NormalizeAngle(GetObjectYAngle(kBallObject) + 4.0f));
    }
    PositionObject(kBallObject, GetObjectX(kBallObject), restHeight + 5.0f + bob * 1.5f, GetObjectZ(kBallObject));

    std::snprintf(score, sizeof score, "Final Score: %08d", game.score);
    SetTextColour(157, 74, 248, 255);
    BeginTextBatch();
    DrawShadowedText(4, column[0], 20, 0, "Level Completed!");
    DrawShadowedText(5, column[1], 120, 0, timeBonus);
    DrawShadowedText(5, column[2], 145, 0, completion);
    DrawShadowedText(5, column[3], 170, 0, total);
    DrawShadowedText(5, column[3], 195, 0, score);
    DrawContinuePrompt(panelStart);
    EndTextBatch();

    RunVisualiserBeat();
    if (now - game.stepTime > 2) {
      UpdateEntities();
      game.stepTime = now;
    }
    Sync();
    if (PanelKeyEnds(panelStart)) break;
  }
}

int32_t FinishLevel() {
  GameVariables& game = Game();
  std::fill(std::begin(game.playerColour), std::end(game.playerColour), 0);
  const char* nextMap = CurrentMap().header.nextMap;
  if (strcasecmp(nextMap, "null") != 0) {
    ClearLevel();
    // A next map that would leave the class folder, or a path too long to keep, fails to load, with
    // its message.
    std::string path;
    platform::fs::JoinContainedName(game.classFolder, std::string(nextMap) + ".qel", path);
    StoreGamePath(game.mapPath, path.c_str());
    game.state = kStatePlayMap;
    return 1;
  }
  game.state = kStateMenu;
  HideObject(kBallObject);
  game.classEnded = 1;
  RunClassEndPanel();
  ClearLevel();
  std::fill(std::begin(game.playerColour), std::end(game.playerColour), 0);
  game.classEnded = 0;
  game.state = kStateMenu;
  HideObject(kBallObject);
  return 1;
}

void RunClassEndPanel() {
  GameVariables& game = Game();
  const int32_t lives = std::max(0, game.lives);
  const int64_t bonus = int64_t(lives) * kClassEndLifeBonus;
  AddScore(int32_t(std::min<int64_t>(bonus, INT32_MAX)));
  char livesBonus[96], total[64], score[48], clock[32];
  std::snprintf(livesBonus, sizeof livesBonus, "Lives Remaining Bonus: %d x 2000 = %lld", lives,
                static_cast<long long>(bonus));
  FormatMinutesSeconds(clock, sizeof clock, SecondsSince(game.classStartTime));
  std::snprintf(total, sizeof total, "Total Time Taken: %s", clock);
  std::snprintf(score, sizeof score, "Final Score: %08d", game.score);

  const uint32_t panelStart = GameNow();
  while (LoopCheck()) {
    SetTextColour(157, 74, 248, 255);
    BeginTextBatch();
    DrawShadowedText(4, 10, 20, 0, "All Cleared!");
    DrawShadowedText(5, 10, 120, 0, livesBonus);
    DrawShadowedText(5, 10, 145, 0, total);
    DrawShadowedText(5, 10, 170, 0, score);
    DrawContinuePrompt(panelStart);
    EndTextBatch();
    Sync();
    if (PanelKeyEnds(panelStart)) break;
  }
}
