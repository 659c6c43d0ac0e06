// The sound module: its errors, sounds made from data and read back, refused data, the temporary
// file, and the frame update's loop points and play state.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/audio/sound.h"
#include "engine/audio/sound_state.h"
#include "platform/audio/test_hooks.h"
#include "platform/fs/folder.h"
#include "tests/engine/engine_fixture.h"
#include "tests/platform/audio/audio_fixtures.h"

namespace {

namespace pa = platform::audio;

using audio_test::Pattern;

// The module as start-up makes it, with its temporary files in a folder of this process.
class SoundModuleTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    temp_ = std::filesystem::temp_directory_path() / ("qel_sound_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(temp_);
    setenv("TMPDIR", temp_.c_str(), 1);
    core_ = engine_test::StartCore(&word_, 640, 480);
  }
  static void TearDownTestSuite() {
    SetCoreErrorHandler(nullptr);
    std::filesystem::remove_all(temp_);
  }
  void SetUp() override {
    SoundModule::Constructor();
    SoundModule::SetErrorHandler(&word_);
    SoundModule::PassCoreData(core_);
    word_ = 0;
    pa::PauseMixing(true);
  }
  void TearDown() override { SoundModule::Destructor(); }

  static std::string TempWave() { return platform::fs::TempFolder() + "tempfile.wav"; }

  static inline uint32_t word_ = 0;
  static inline CoreData* core_ = nullptr;
  static inline std::filesystem::path temp_;
};

TEST_F(SoundModuleTest, NumbersOutsideTheRangeAndMissingSoundsRaiseTheirCodes) {
  const pa::WaveFormat format = pa::PcmFormat(1, 8000, 8);
  const uint8_t sample[4] = {};
  struct Case {
    const char* name;
    std::function<void()> call;
    uint32_t code;
  };
  const Case cases[] = {
      {"exists 0", [] { EXPECT_FALSE(SoundExists(0)); }, kErrorSoundNumber},
      {"exists 22000001", [] { EXPECT_FALSE(SoundExists(22000001)); }, kErrorSoundNumber},
      {"exists 22000000 missing", [] { EXPECT_FALSE(SoundExists(22000000)); }, 0},
      {"delete -5", [] { DeleteSound(-5); }, kErrorSoundNumber},
      {"delete missing", [] { DeleteSound(7); }, kErrorSoundMissing},
      {"make 0", [&] { EXPECT_FALSE(MakeSoundFromData(0, 1, 1, 8000, sample, 4, &format)); }, kErrorSoundNumber},
      {"make 22000001", [&] { EXPECT_FALSE(MakeSoundFromData(22000001, 1, 1, 8000, sample, 4, &format)); },
       kErrorSoundNumber},
  };
  for (const Case& c : cases) {
    word_ = 0;
    c.call();
    EXPECT_EQ(word_, c.code) << c.name;
  }
  EXPECT_FALSE(SoundExists(1));  // the refused makes filed nothing
}

TEST_F(SoundModuleTest, SoundMadeFromDataReadsBackAndLeavesNoTemporaryFile) {
  const std::vector<uint8_t> samples = Pattern(1000);
  const pa::WaveFormat format = pa::PcmFormat(1, 8000, 8);
  ASSERT_TRUE(MakeSoundFromData(5, 1, 1, 8000, samples.data(), 1000, &format));
  EXPECT_TRUE(SoundExists(5));
  EXPECT_FALSE(std::filesystem::exists(TempWave()));
  EXPECT_EQ(FindSound(5)->levelA, 100);

  int32_t bitsPerSecond = 0, samplesPerSecond = 0, seconds = -1, size = 0;
  uint8_t* data = nullptr;
  pa::WaveFormat back{};
  GetSoundData(5, &bitsPerSecond, &samplesPerSecond, &seconds, &data, &size, 1, &back);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::vector<uint8_t>(data, data + size), samples);
  EXPECT_EQ(std::memcmp(&back, &format, sizeof format), 0);
  EXPECT_EQ(bitsPerSecond, 64000);
  EXPECT_EQ(samplesPerSecond, 8000);
  EXPECT_EQ(seconds, 0);
  GetSoundData(5, nullptr, nullptr, nullptr, &data, nullptr, 0, nullptr);
  EXPECT_EQ(data, nullptr);

  // The buffer holds the samples too.
  pa::SoundBuffer* buffer = FindSound(5)->buffers->buffers[0];
  void* memory = nullptr;
  uint32_t bytes = 0;
  ASSERT_EQ(buffer->Lock(0, 0, &memory, &bytes, nullptr, nullptr, pa::kLockEntireBuffer), pa::kOk);
  EXPECT_EQ(bytes, 1000u);
  EXPECT_EQ(std::memcmp(memory, samples.data(), 1000), 0);
  buffer->Unlock(memory, bytes, nullptr, 0);

  // Made again under the same number: one second of 16-bit stereo replaces it.
  const std::vector<uint8_t> second = Pattern(88200);
  const pa::WaveFormat stereo = pa::PcmFormat(2, 22050, 16);
  ASSERT_TRUE(MakeSoundFromData(5, 1, 2, 22050, second.data(), 88200, &stereo));
  GetSoundData(5, &bitsPerSecond, &samplesPerSecond, &seconds, &data, &size, 1, &back);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(size, 88200);
  EXPECT_EQ(seconds, 1);
  EXPECT_EQ(samplesPerSecond, 44100);  // byte rate over bytes per sample, both channels counted
  GetSoundData(5, nullptr, nullptr, nullptr, &data, nullptr, 0, nullptr);
  DeleteSound(5);
  EXPECT_FALSE(SoundExists(5));
  EXPECT_EQ(word_, 0u);
}

TEST_F(SoundModuleTest, DataThatIsNotPlayablePcmIsFiledWithoutBuffersAndGivesNoData) {
  const std::vector<uint8_t> samples = Pattern(64);
  struct Case {
    const char* name;
    pa::WaveFormat format;
    int32_t size;
    bool nullSamples;
  };
  const Case cases[] = {
      {"24-bit", {1, 1, 8000, 24000, 3, 24, 0}, 64, false},
      {"4 channels", {1, 4, 8000, 32000, 4, 8, 0}, 64, false},
      {"byte rate 0", {1, 1, 8000, 0, 1, 8, 0}, 64, false},
      {"bits 0", {1, 1, 8000, 8000, 1, 0, 0}, 64, false},
      {"not PCM", {2, 1, 8000, 8000, 1, 8, 0}, 64, false},
      {"negative size", pa::PcmFormat(1, 8000, 8), -1, false},
      {"no samples", pa::PcmFormat(1, 8000, 8), 64, true},
      {"empty", pa::PcmFormat(1, 8000, 8), 0, false},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(MakeSoundFromData(9, 1, 1, 8000, c.nullSamples ? nullptr : samples.data(), c.size, &c.format))
        << c.name;
    EXPECT_TRUE(SoundExists(9)) << c.name;
    uint8_t* data = reinterpret_cast<uint8_t*>(&word_);  // must be overwritten
    int32_t size = -1;
    GetSoundData(9, nullptr, nullptr, nullptr, &data, &size, 1, nullptr);
    EXPECT_EQ(data, nullptr) << c.name;
    EXPECT_EQ(size, 0) << c.name;
  }
  EXPECT_FALSE(MakeSoundFromData(9, 1, 1, 8000, samples.data(), 64, nullptr));
  EXPECT_EQ(word_, 0u);  // reported by text, not by code
}

TEST_F(SoundModuleTest, FailedTemporaryWriteIsReported) {
  std::filesystem::remove(TempWave());
  std::filesystem::create_directories(TempWave());  // a folder where the file should go
  const std::vector<uint8_t> samples = Pattern(100);
  const pa::WaveFormat format = pa::PcmFormat(1, 8000, 8);
  EXPECT_FALSE(MakeSoundFromData(3, 1, 1, 8000, samples.data(), 100, &format));
  EXPECT_NE(std::string(LastErrorText()).find("temporary wave file"), std::string::npos) << LastErrorText();
  std::filesystem::remove(TempWave());
  EXPECT_TRUE(MakeSoundFromData(3, 1, 1, 8000, samples.data(), 100, &format));
}

TEST_F(SoundModuleTest, TempFolderIsTheEnginesWithoutItsSeparator) {
  char path[260];
  GetTempFolder(path);
  EXPECT_EQ(std::string(path) + "/", platform::fs::TempFolder());
  EXPECT_EQ(std::filesystem::path(path).filename(), "tvqdata");
}

TEST_F(SoundModuleTest, BeforeTheDeviceExistsCommandsDoNothing) {
  SoundModule::Destructor();
  DeleteSound(5);
  EXPECT_FALSE(SoundExists(5));
  EXPECT_FALSE(SoundExists(0));
  EXPECT_EQ(word_, 0u);
  SoundUpdate();
}

TEST_F(SoundModuleTest, UpdateKeepsALoopingSoundBetweenItsLoopPoints) {
  const std::vector<uint8_t> samples(8820, 0);  // 4410 frames of 16-bit mono
  const pa::WaveFormat format = pa::PcmFormat(1, 44100, 16);
  ASSERT_TRUE(MakeSoundFromData(2, 1, 1, 44100, samples.data(), 8820, &format));
  SoundRecord* record = FindSound(2);
  record->playing = record->looping = 1;
  record->loopStart = 2000;
  record->loopEnd = 6000;
  pa::SoundBuffer* buffer = record->buffers->buffers[0];
  buffer->Play(0, 0, pa::kPlayLooping);
  auto cursor = [&] {
    uint32_t play = 0;
    buffer->GetCurrentPosition(&play, nullptr);
    return play;
  };
  for (uint32_t at : {0u, 1998u, 6002u, 8818u}) {
    buffer->SetCurrentPosition(at);
    SoundUpdate();
    EXPECT_EQ(cursor(), 2000u) << "from " << at;
  }
  for (uint32_t at : {2000u, 4000u, 6000u}) {
    buffer->SetCurrentPosition(at);
    SoundUpdate();
    EXPECT_EQ(cursor(), at);
  }
  // Played on past the loop end, the next update brings it back.
  buffer->SetCurrentPosition(5000);
  std::vector<int16_t> out(2 * 1000);
  pa::MixFrames(out.data(), 1000);
  EXPECT_GT(cursor(), 6000u);
  SoundUpdate();
  EXPECT_EQ(cursor(), 2000u);
  EXPECT_EQ(record->playing, 1);
}

TEST_F(SoundModuleTest, UpdateMarksAStoppedSoundAndCommitsTheListener) {
  const std::vector<uint8_t> samples(200, 128);
  const pa::WaveFormat format = pa::PcmFormat(1, 44100, 8);
  ASSERT_TRUE(MakeSoundFromData(4, 1, 1, 44100, samples.data(), 200, &format));
  SoundRecord* record = FindSound(4);
  record->playing = 1;
  record->buffers->buffers[0]->Play(0, 0, 0);
  SoundUpdate();
  EXPECT_EQ(record->playing, 1);
  std::vector<int16_t> out(2 * 300);
  pa::MixFrames(out.data(), 300);
  SoundUpdate();
  EXPECT_EQ(record->playing, 0);

  Sounds().listener->SetPosition(4, 5, 6, pa::kApplyDeferred);
  SoundUpdate();
  pa::ListenerSettings settings;
  Sounds().listener->GetAllParameters(&settings);
  EXPECT_EQ(settings.position.y, 5.0f);
}

TEST_F(SoundModuleTest, WithoutAnAudioOutputSoundsAreStillMadeAndRead) {
  SoundModule::Destructor();
  setenv("SDL_AUDIODRIVER", "qel-no-such-driver", 1);
  SoundModule::Constructor();
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_FALSE(pa::MixerHasOutput());
  const std::vector<uint8_t> samples = Pattern(300);
  const pa::WaveFormat format = pa::PcmFormat(2, 11025, 8);
  EXPECT_TRUE(MakeSoundFromData(1, 1, 2, 11025, samples.data(), 300, &format));
  EXPECT_TRUE(SoundExists(1));
  uint8_t* data = nullptr;
  int32_t size = 0;
  GetSoundData(1, nullptr, nullptr, nullptr, &data, &size, 1, nullptr);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::vector<uint8_t>(data, data + size), samples);
  GetSoundData(1, nullptr, nullptr, nullptr, &data, nullptr, 0, nullptr);
  SoundUpdate();
}

}  // namespace
