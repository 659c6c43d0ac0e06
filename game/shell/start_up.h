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

// The first and second words after the program path; empty when missing.
struct CommandLineParams {
  char param1[kCommandLineParamSize] = {};
  char param2[kCommandLineParamSize] = {};
};
CommandLineParams& CommandLine();
// Splits the process's command line (word 0 the program path; words may be quoted) and stores it.
void ParseCommandLine();
// With more than one word, word 1 into parameter 1 and word 2 (when present) into parameter 2, each
// cut to 255 characters; both are emptied first.
void StoreCommandLineParams(int32_t count, const char* const* words);
// The state the command line starts in: "-map" 1 (its path becomes the map path), "-edit" 2, anything
// else 0. Exact, case-sensitive comparisons.
uint32_t FirstStateFromCommandLine();

// "Art\heaven.jpg" then "Art\music.jpg" full-screen, each for 5000 ms or until a key is down.
void ShowSplashScreens();
// "Art\Loading.jpg" full-screen for 100 frames; the last frame stays while the media load.
void ShowLoadingScreen();

// Start-up goes on without a missing media file (the engine reports the failed load and the item
// stays absent); each one start-up would read is named on stderr. Returns how many are missing.
int32_t ReportMissingMedia();
// The ball, its explosions, the goal-pad hearts and the probe boxes; the level, marker and particle
// images; the block frame image 3 and the hidden sprites 1 and 2.
void LoadGameMedia();
// The menu scene: boxes 2 to 21, the two monsters and the ball model 22 to 24, images 920 to 922.
void LoadMenuMedia();
void EnterMenuScene();
void LeaveMenuScene();
// Everything after the loading screen up to the state loop: media, sounds, text font, particles and
// the five game fonts. The window's messages are taken between items; a quit request (LoopCheck false)
// stops the loading there. LoadGameMedia and LoadMenuMedia stop likewise.
void LoadStartUpMedia();
// The five game fonts: 1 Arial 12, 2 Arial 7, 3 Arial 10, 4 Impact 22 italic, 5 Impact 16.
void CreateStartUpFonts();

// Closes the music and the sound library, deletes the visualiser image and releases the game fonts.
void ShutdownGame();
