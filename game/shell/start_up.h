// The game's start-up: the game folder, the command line, the splash and loading screens, the media
// loaded once for the whole run, the menu scene's objects, and the shutdown.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr size_t kCommandLineParamSize = 256;  // 255 characters and the end

// The current folder when the game started; map and media loading return to it first.
const char* GameFolder();
void StoreGameFolder();
void ReturnToGameFolder();
