// PlayLevel: the intro panel, play until the level ends one way or another, and what comes next.
#include "game/play/play_loop.h"

#include "engine/core/core.h"
#include "game/play/game_state.h"
#include "game/play/hud.h"
#include "game/play/play_loop_input.h"
#include "game/play/play_loop_steps.h"
#include "game/shell/control_bindings.h"

namespace {

int32_t Quit() {
  Game().state = kStateQuit;
  return 2;
}

// The yes/no question in the message buffer until a key is pressed while the question is armed.
int32_t AskQuestion(const char* question, uint8_t& armed, uint8_t& request) {
  ShowMessage(question);
  int32_t answer = 0;  // none when the window closes first
  while (LoopCheck()) {
    ShowYesNoOverlay();
    const int32_t scanCode = PlayPressedScanCode();
    if (scanCode > 0 && armed) {
      answer = scanCode;
      break;
    }
    if (scanCode <= 0) armed = 1;
    Sync();
  }
  constexpr int32_t kYKey = 21;
  if (answer == kYKey) request = 1;
  Game().overlay = 0;
  IgnoreInputHeldNow();  // a key that cancelled does not act in play
  return answer;
}

}  // namespace

int32_t PlayLevel() {
  BeginLevel();
  while (!RunIntroFrame()) {
    if (!LoopCheck()) return Quit();  // the window is closing
  }
  StartPlay();
  for (;;) {
    switch (RunPlayPass()) {
      case PlayPass::kContinue:
        continue;
      case PlayPass::kQuit:
        return 2;
      case PlayPass::kRestart:
      case PlayPass::kMenu:
        return 0;
      case PlayPass::kLevelComplete:
        RunLevelCompletePanel();
        if (!LoopCheck()) return Quit();
        return FinishLevel();
    }
  }
}

int32_t ConfirmReturnToMenu() {
  GameVariables& game = Game();
  return AskQuestion(
      "Are you sure you wish to return to the menu?#You will loose all progress from this session.# #"
      "Press Y to restart, any key to cancel",
      game.menuQuestionArmed, game.returnToMenu);
}

int32_t ConfirmRestartLevel() {
  GameVariables& game = Game();
  return AskQuestion("Are you sure you wish to restart the level?#It will cost 1 life.# #"
                     "Press Y to restart, any key to cancel",
                     game.restartQuestionArmed, game.restartConfirmed);
}
