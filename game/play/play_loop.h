// The play loop: one level from its intro panel to its end, deciding what the state loop runs next.
#pragma once
#include <cstdint>

// Plays the level LoadMap has just built and sets Game().state: 1 to play the map path (the same map
// after a restart, the next map of the class after a completed level), 0 for the menu, 3 to leave.
// Returns 2 when Escape left the program, 1 after a completed level, 0 otherwise.
int32_t PlayLevel();

// The yes/no questions of play. Each shows its question until a key is pressed once the question is
// armed (the caller clears the arming first, so the key that asked must be released), sets the
// matching request on Y and returns the pressed scan code.
int32_t ConfirmReturnToMenu();
int32_t ConfirmRestartLevel();
