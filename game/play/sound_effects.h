// The game's six sound effects, played through the sound library (not the engine's sound module) at
// the effect volume of the settings.
#pragma once
#include <cstdint>

enum SoundEffect : int32_t {
  kSoundBoost = 1,       // a boost or vertical boost fires
  kSoundTeleporter = 2,  // a warp moves the ball
  kSoundPaint = 3,       // a paint pickup is collected
  kSoundPlasma = 4,      // a plasma pickup is collected
  kSoundDoor = 5,        // carried paint is delivered on the goal pad
  kSoundPlayerDie = 6,   // the ball is destroyed
};
constexpr int32_t kSoundEffectCount = 6;

// Opens the sound library (44100 Hz, 32 channels) and loads the six effects from "Sound". A missing
// file or a missing audio device leaves that effect (or all sound) silent; nothing is reported.
void LoadSounds();
// True once LoadSounds has run (and until CloseSounds).
bool SoundsReady();
// Plays effect 1 to 6 once on a free channel; any number then applies the effect volume.
void PlaySoundEffect(int32_t effect);
// Closes the music stream and the sound library (at shutdown): every later call is silent.
void CloseSounds();
