#include "game/play/death.h"

void KillPlayer() {}
