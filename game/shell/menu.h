// The main menu: the loop of game state 0. A moving 3D scene behind a column of text items, the menu
// music, and one screen at a time (main, options, profiles, graphics, sound, controls, game mode and
// level class), all driven by the mouse. The state loop surrounds it with EnterMenuScene and
// LeaveMenuScene; it returns with GameState set for the state loop.
#pragma once
#include <cstdint>

// What ended the menu (MainMenu's result).
enum MenuResult : int32_t {
  kMenuQuit = -1,        // "Exit", Escape, or the engine loop ended: GameState 3
  kMenuBeginClass = 1,   // "Begin!": GameState 1, the class's first map in the map path
  kMenuRestartGame = 4,  // applied display settings need a restart: GameState 3, settings saved
};

// Runs the menu until one of the endings above.
int32_t MainMenu();
