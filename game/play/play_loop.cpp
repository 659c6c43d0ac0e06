// First cut: the state loop can already call the play loop; the level itself follows.
#include "game/play/play_loop.h"

#include "game/play/game_state.h"

int32_t PlayLevel() {
  Game().state = kStateMenu;
  return 0;
}
int32_t ConfirmReturnToMenu() { return 0; }
int32_t ConfirmRestartLevel() { return 0; }
