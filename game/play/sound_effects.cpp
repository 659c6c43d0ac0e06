#include "game/play/sound_effects.h"

#include <cstdio>

#include "game/play/music.h"
#include "game/shell/settings.h"
#include "platform/audio/sound_library.h"

namespace pa = platform::audio;

namespace {

constexpr const char* kEffectFiles[kSoundEffectCount] = {
    "Sound\\Boost.ogg", "Sound\\Teleporter.ogg", "Sound\\Paint.ogg",
    "Sound\\Plasma.ogg", "Sound\\Door.ogg",       "Sound\\PlayerDie.ogg",
};

pa::LibrarySample* gSamples[kSoundEffectCount + 1] = {};
bool gSoundsReady = false;

}  // namespace

void LoadSounds() {
  pa::InitSoundLibrary(44100, 32, 0);
  for (int32_t n = 1; n <= kSoundEffectCount; ++n) {
    gSamples[n] = pa::LoadSample(n, kEffectFiles[n - 1], pa::kModeDefault, 0, 0);
    // The game goes on with the effect silent; the player learns why.
    if (!gSamples[n] && *pa::SampleLoadFailure())
      std::fprintf(stderr, "qel: sound \"%s\" not loaded: %s\n", kEffectFiles[n - 1], pa::SampleLoadFailure());
  }
  gSoundsReady = true;
}

bool SoundsReady() { return gSoundsReady; }

void PlaySoundEffect(int32_t effect) {
  // A sample that did not load is null, which the library refuses: the effect stays silent.
  if (effect >= 1 && effect <= kSoundEffectCount) pa::PlaySample(pa::kAnyFreeChannel, gSamples[effect]);
  pa::SetEffectsMasterVolume(Settings().effectVolume);
}

void CloseSounds() {
  CloseMusicStream();
  pa::CloseSoundLibrary();
  for (pa::LibrarySample*& sample : gSamples) sample = nullptr;
  gSoundsReady = false;
}
