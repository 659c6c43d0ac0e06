// The screens of the main menu that MainMenu draws itself: main, options, and the game mode and level
// class panel. Each draws its controls and acts on the mouse in one call per menu pass.
#pragma once
#include <cstdint>

// The title of a menu-column screen, centred at the top of the column (inside a text batch).
void DrawScreenTitle(const char* title);

// Screen 0. kMenuContinues, or kMenuQuit after "Exit".
int32_t MainScreen();
// Screen 1.
void OptionsScreen();
// Screen 8. kMenuContinues, or kMenuBeginClass after "Begin!".
int32_t GameModeScreen();

// "Begin!": a new game of the class (score 0, 5 lives, 2 emergency brakes) from its first map, and
// GameState 1. Classes outside 0..3 begin the Tutorial.
void BeginLevelClass(uint32_t levelClass);
