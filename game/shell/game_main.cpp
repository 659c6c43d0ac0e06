// Until the game's own start-up and state loop arrive, the game only keeps the window running: frames
// drawn by Sync alone, paced at 60 a second, until the window is closed.
#include "engine/core/core.h"

void GameMain() {
  EnableManualSync();
  SetFrameRateLimit(60);
  while (LoopCheck()) Sync();
}
