// The Graphics Options (screen 4) and Sound Options (screen 5) screens of the main menu. Both work on
// copies of the settings taken when the options screen opens them and write them back only on
// "Apply Settings"; "Back" drops what was not applied.
#pragma once
#include <cstdint>

// kMenuContinues, or kMenuRestartGame when the applied settings need a new start (GameState 3).
int32_t GraphicsOptionsScreen();
void SoundOptionsScreen();
