// The engine started as the process entry starts it (offscreen), in a scratch game folder holding the
// six effects and three music files as generated Ogg Vorbis tones. The sound library is opened by
// LoadSounds and mixes only when a test asks (MixFrames), so what it plays is measured exactly.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/core.h"
#include "engine/core/core_state.h"
#include "engine/display/display.h"
#include "engine/media2d/image.h"
#include "game/play/game_state.h"
#include "game/play/music.h"
#include "game/play/sound_effects.h"
#include "game/shell/settings.h"
#include "game/shell/start_up.h"
#include "platform/audio/test_hooks.h"
#include "platform/gfx/resources.h"
#include "tests/game/play/media/media_files.h"
#include "tests/platform/audio/audio_fixtures.h"

namespace media_test {

namespace fs = std::filesystem;

constexpr int kRate = 44100;
// Band 20 of the 1024-point spectrum.
constexpr double kBand20Hz = 44100.0 * 20 / 1024;
// Effect n is a 441 Hz tone of amplitude 0.1 n, half a second long, so the level tells them apart.
inline float EffectAmplitude(int n) { return 0.1f * float(n); }
constexpr const char* kEffectNames[] = {"Boost", "Teleporter", "Paint", "Plasma", "Door", "PlayerDie"};
// The level track: a quarter of a second, so looping shows soon.
constexpr const char* kLevelTrack = "Level Track.ogg";
constexpr float kMenuAmplitude = 0.3f, kLevelAmplitude = 0.6f;
// A loud band-20 sine, for the spectrum and the levels.
constexpr const char* kSineTrack = "Sine.ogg";
constexpr float kSineAmplitude = 0.99f;

inline void WriteOgg(const fs::path& path, double hz, float amplitude, int frames) {
  audio_test::WriteFile(path, audio_test::EncodeOgg(audio_test::Sine(hz, amplitude, kRate, frames), 1, kRate));
}

inline void WriteSoundMedia(const fs::path& root) {
  for (int n = 1; n <= 6; ++n)
    WriteOgg(root / "Sound" / (std::string(kEffectNames[n - 1]) + ".ogg"), 441.0, EffectAmplitude(n), kRate / 2);
  WriteOgg(root / "Music" / kMenuMusic, 441.0, kMenuAmplitude, kRate);
  WriteOgg(root / "Music" / kLevelTrack, 441.0, kLevelAmplitude, kRate / 4);
  WriteOgg(root / "Music" / kSineTrack, kBand20Hz, kSineAmplitude, kRate);
}

using audio_test::MixPeak;

// The pixels of level 0 of an image as 0xAARRGGBB, row by row (empty when it cannot be read).
inline std::vector<uint32_t> ImagePixels(int32_t image) {
  namespace gfx = platform::gfx;
  std::vector<uint32_t> pixels;
  gfx::Texture* texture = GetImageTexture(image);
  gfx::LockedRect locked{};
  if (!texture || gfx::Failed(texture->LockRect(0, &locked, nullptr, gfx::LOCK_READONLY))) return pixels;
  const int32_t width = GetImageWidth(image), height = GetImageHeight(image);
  pixels.resize(size_t(width) * size_t(height));
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x)
      pixels[size_t(y * width + x)] = static_cast<const uint32_t*>(locked.bits)[size_t(y) * locked.pitch / 4 + size_t(x)];
  texture->UnlockRect(0);
  return pixels;
}

// One engine for the whole test program.
class MediaEngine : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(folder_.Enter("media"));
    WriteSoundMedia(folder_.Root());
    ASSERT_EQ(InitEngine(), 0) << StartUpFailureReason();
    EnableManualSync();
    StoreGameFolder();
  }
  // The engine's modules free their items, as the game never does (the process ends).
  void TearDown() override {
    CloseSounds();
    game_media_test::StopEngine();
    folder_.Leave();
  }
  static const fs::path& Root() { return folder_.Root(); }

 private:
  static inline game_media_test::ScratchGameFolder folder_;
};
inline ::testing::Environment* const kMediaEngine = ::testing::AddGlobalTestEnvironment(new MediaEngine);

// Every test starts with the sound library freshly opened by LoadSounds (mixing held), default
// settings and game record, in the game folder.
class MediaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::current_path(MediaEngine::Root());
    Settings() = GameSettings{};
    Game() = GameVariables{};
    LoadSounds();
    platform::audio::PauseMixing(true);
    ASSERT_TRUE(platform::audio::MixerHasOutput()) << "the dummy audio driver did not open";
    Core().hostErrorWord = 0;
  }
  void TearDown() override {
    CloseSounds();
    fs::current_path(MediaEngine::Root());
  }
};

}  // namespace media_test
