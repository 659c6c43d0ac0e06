// The game's entry and its top-level state loop: menu (0), play the map path (1), editor (2) until
// quit (3). The loops the states run can be replaced, so the state loop is tested without input.
#pragma once
#include <cstdint>

// The loops of states 0, 1 and 2; each returns with Game().state set to what runs next.
struct GameLoops {
  int32_t (*mainMenu)();
  int32_t (*playLevel)();
  void (*mapEditor)();
};
// Null puts the game's own loops back.
void SetGameLoops(const GameLoops* loops);

// Runs states until state 3. A closed window ends it too, whatever state its last loop left.
void RunStateLoop();

// One pass of state 1: the map path is loaded and played, or reported and the menu follows.
void PlayMapState();
