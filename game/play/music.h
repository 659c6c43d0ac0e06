// The game's music: one file of "Music" at a time, streamed and looping through the sound library at
// the music volume and pan of the settings, and the spectrum analysis the visualiser reads.
#pragma once
#include <cstdint>

// The main menu's track.
inline constexpr const char* kMenuMusic = "Dj Varn - Raduziravu Dadirir.ogg";

// Opens "Music\<name>" (from the game folder) as the looping stream, closing the previous one; 0, or
// -1 before LoadSounds. A file that does not open (missing, empty, not Ogg Vorbis, not a regular
// file) leaves no stream and no sound, and stderr says why.
int32_t PlayMusicFile(const char* name);
// Plays the opened stream on a free channel at the music volume and pan; 0, or -1 when no stream was
// opened.
int32_t StartMusicStream();
// Volume and pan (0 to 255) of the music channel, once the music has been started.
void ApplyMusicVolumeAndPan(int32_t volume, int32_t pan);
// Closes the current stream; 0.
int32_t CloseMusicStream();
// The channel the music plays on: 0 until the first StartMusicStream.
int32_t GetMusicChannel();

// Switches on the spectrum analysis (GetMusicSpectrum reads zeros until then).
void EnableSpectrum();
// 512 bands (0.0 to 1.0) of what is heard now; never null, overwritten by the next call.
const float* GetMusicSpectrum();
// Levels (0.0 to 1.0) of the music channel now; 0 when nothing plays.
void GetMusicLevels(float* left, float* right);

// The menu's track, started unless it is already the current track (Game().lastMusic, compared
// exactly), so music coming back from play runs on.
void StartMenuMusic();
// A level's track, started unless the current track is the same name in any letter case, so music
// runs on from the menu and from level to level.
void StartLevelMusic(const char* name);
