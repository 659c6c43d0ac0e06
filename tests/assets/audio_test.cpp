// The six effects and the music decode to sound, and the game's sound library takes them: effects as
// samples, music as looping streams.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/audio/ogg_decoder.h"
#include "platform/audio/sound_library.h"
#include "platform/fs/folder.h"
#include "platform/fs/path.h"
#include "tests/assets/assets_fixture.h"

namespace {

const char* const kEffects[] = {"Sound\\Boost.ogg", "Sound\\Teleporter.ogg", "Sound\\Paint.ogg",
                                "Sound\\Plasma.ogg", "Sound\\Door.ogg",       "Sound\\PlayerDie.ogg"};
// The menu's track and the editor's first choice for a new map; the maps name the rest.
const char* const kNamedMusic[] = {"Music\\Dj Varn - Raduziravu Dadirir.ogg", "Music\\The Advanced - Qel.ogg"};

struct Decoded {
  int channels = 0;
  double seconds = 0;
  float peak = 0;
};

bool Decode(const std::string& name, Decoded* out) {
  std::vector<uint8_t> bytes;
  platform::audio::OggDecoder decoder;
  if (!platform::fs::ReadWholeFile(name, bytes) || !decoder.Open(std::move(bytes))) return false;
  std::vector<int16_t> buffer(4096 * 2);
  uint64_t frames = 0;
  for (uint32_t n; (n = decoder.Read(buffer.data(), 4096)) > 0;) {
    frames += n;
    for (uint32_t i = 0; i < n * decoder.Channels(); ++i) out->peak = std::max(out->peak, std::abs(buffer[i]) / 32768.0f);
  }
  out->channels = decoder.Channels();
  out->seconds = double(frames) / decoder.Rate();
  return true;
}

class AudioTest : public AssetsTest {};

TEST_F(AudioTest, EffectsAreShortSoundsAndMusicIsLongStereo) {
  for (const char* effect : kEffects) {
    SCOPED_TRACE(effect);
    Decoded d;
    ASSERT_TRUE(Decode(effect, &d));
    EXPECT_GT(d.seconds, 0.2);
    EXPECT_LT(d.seconds, 3.0);
    EXPECT_GT(d.peak, 0.3f) << "too quiet to hear";
  }
  std::vector<platform::fs::FolderEntry> tracks;
  ASSERT_TRUE(platform::fs::ListFolder("Music", tracks));
  for (const char* named : kNamedMusic) EXPECT_TRUE(platform::fs::FileExists(named)) << named;
  int count = 0;
  for (const auto& track : tracks) {
    if (track.name.find(".ogg") == std::string::npos) continue;
    SCOPED_TRACE(track.name);
    Decoded d;
    ASSERT_TRUE(Decode("Music\\" + track.name, &d));
    EXPECT_EQ(d.channels, 2);
    EXPECT_GT(d.seconds, 30.0);
    EXPECT_GT(d.peak, 0.3f);
    ++count;
  }
  EXPECT_GE(count, 3);
}

TEST_F(AudioTest, TheSoundLibraryLoadsTheEffectsAndStreamsTheMusic) {
  if (!platform::audio::InitSoundLibrary(44100, 32, 0)) GTEST_SKIP() << "no audio output";
  for (int i = 0; i < 6; ++i) EXPECT_NE(platform::audio::LoadSample(i + 1, kEffects[i], 0, 0, 0), nullptr) << kEffects[i];
  for (const char* named : kNamedMusic) {
    platform::audio::LibraryStream* stream = platform::audio::OpenStream(named, platform::audio::kModeLoopNormal, 0, 0);
    EXPECT_NE(stream, nullptr) << named;
    if (stream) platform::audio::CloseStream(stream);
  }
  platform::audio::CloseSoundLibrary();
}

}  // namespace
