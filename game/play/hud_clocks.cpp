// The game and planning countdown clocks: whole minutes and seconds, one second off per call once
// more than 1000 ms have passed since the last tick.
#include "game/play/game_state.h"
#include "game/play/hud.h"
#include "game/play/map_file.h"

namespace {

void SetClock(CountdownClock& clock, int32_t milliseconds) {
  // A negative time in a map reads as none left, not as a clock below zero.
  const int32_t total = milliseconds > 0 ? milliseconds / 1000 : 0;
  clock.minutes = total / 60;
  clock.seconds = total % 60;
}

void Tick(CountdownClock& clock) {
  const uint32_t now = GameNow();
  if (now - clock.lastTick <= 1000) return;
  clock.lastTick = now;
  // A clock that has run out stays at 0:00: counting on below it would show negative times and,
  // with the planning clock, give the time back at the next visit.
  if (clock.minutes < 1 && clock.seconds < 1) return;
  if (--clock.seconds < 0) {
    clock.seconds = 59;
    --clock.minutes;
  }
}

}  // namespace

void StartLevelClocks() {
  const MapHeader& header = CurrentMap().header;
  GameVariables& game = Game();
  SetClock(game.gameClock, header.gameTime);
  SetClock(game.planningClock, header.planningTime);
  game.gameClock.lastTick = GameNow();
}

void TickGameClock() { Tick(Game().gameClock); }
void TickPlanningClock() { Tick(Game().planningClock); }

bool ClockRunOut(const CountdownClock& clock) { return clock.minutes < 1 && clock.seconds < 1; }
