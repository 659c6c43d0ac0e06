// Sounds into blocks and back, through the sound module (its device on SDL's dummy audio driver).
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/audio/sound.h"
#include "platform/audio/wave_format.h"
#include "tests/engine/media2d/memory_blocks/block_fixture.h"

namespace block_test {
namespace {

namespace audio = platform::audio;

struct SoundContents {
  audio::WaveFormat format{};
  std::vector<uint8_t> samples;
};

SoundContents ContentsOf(int32_t sound) {
  SoundContents c;
  int32_t bitsPerSecond = 0, samplesPerSecond = 0, seconds = 0, size = 0;
  uint8_t* data = nullptr;
  GetSoundData(sound, &bitsPerSecond, &samplesPerSecond, &seconds, &data, &size, 1, &c.format);
  if (data) c.samples.assign(data, data + size);
  GetSoundData(sound, nullptr, nullptr, nullptr, &data, nullptr, 0, nullptr);
  return c;
}

class SoundBlockTest : public BlockTest {
 protected:
  // The sound module writes its temporary wave into the engine's temporary folder: one of this
  // process's own, so suites running side by side do not share the file.
  static void SetUpTestSuite() {
    const char* tmpdir = std::getenv("TMPDIR");
    oldTmpdir_ = tmpdir ? tmpdir : "";
    folder_ = std::filesystem::temp_directory_path() / ("qel_sound_block_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    setenv("TMPDIR", folder_.c_str(), 1);
  }
  static void TearDownTestSuite() {
    if (oldTmpdir_.empty()) unsetenv("TMPDIR");
    else setenv("TMPDIR", oldTmpdir_.c_str(), 1);
    std::filesystem::remove_all(folder_);
  }

  void SetUp() override {
    SoundModule::Constructor();
    SoundModule::SetErrorHandler(&word_);
    SoundModule::PassCoreData(GetCoreDataPointer());
    BlockTest::SetUp();
  }
  void TearDown() override {
    BlockTest::TearDown();
    SoundModule::Destructor();
  }

  static void AddSound(int32_t sound, const audio::WaveFormat& format, const std::vector<uint8_t>& samples) {
    ASSERT_TRUE(MakeSoundFromData(sound, format.formatTag, format.channels, format.samplesPerSecond, samples.data(),
                                  int32_t(samples.size()), &format))
        << LastErrorText();
  }

  static inline std::filesystem::path folder_;
  static inline std::string oldTmpdir_;
};

TEST_F(SoundBlockTest, ASecondOfSixteenBitMonoMakesABlockAndComesBack) {
  std::vector<uint8_t> samples(44100);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = uint8_t(i * 7);
  AddSound(3, audio::PcmFormat(1, 22050, 16), samples);
  ASSERT_EQ(MakeMemoryBlockFromSound(1, 3), 1);
  EXPECT_EQ(GetMemoryBlockSize(1), 28 + 44100);
  EXPECT_EQ(HeaderOf(1, 7), (std::vector<uint32_t>{1, 1, 22050, 44100, 2, 16, 0}));
  EXPECT_EQ(DataOf(1, 7), samples);

  ASSERT_EQ(MakeSoundFromMemoryBlock(8, 1), 1);
  const SoundContents back = ContentsOf(8);
  EXPECT_EQ(back.format.samplesPerSecond, 22050u);
  EXPECT_EQ(back.format.bitsPerSample, 16);
  EXPECT_EQ(back.samples, samples);
  EXPECT_EQ(word_, 0u);
}

TEST_F(SoundBlockTest, NumbersAndMissingSoundsRaiseTheirErrors) {
  struct Case {
    const char* what;
    int32_t (*call)();
    uint32_t code;
  } cases[] = {
      {"block from sound, both bad", [] { return MakeMemoryBlockFromSound(258, 0); }, 5101},
      {"sound 0", [] { return MakeMemoryBlockFromSound(1, 0); }, 3001},
      {"sound 22000000", [] { return MakeMemoryBlockFromSound(1, 22000000); }, 3001},
      {"sound missing", [] { return MakeMemoryBlockFromSound(1, 4); }, 3004},
      {"sound from block, both bad", [] { return MakeSoundFromMemoryBlock(0, 0); }, 3001},
      {"sound from block 258", [] { return MakeSoundFromMemoryBlock(4, 258); }, 5101},
      {"sound from missing block", [] { return MakeSoundFromMemoryBlock(4, 2); }, 5103},
  };
  for (const Case& c : cases) {
    int32_t result = -1;
    EXPECT_EQ(ErrorOf([&] { result = c.call(); }), c.code) << c.what;
    EXPECT_EQ(result, 0) << c.what;
  }
  EXPECT_EQ(MemoryBlockExists(1), 0);
  EXPECT_FALSE(SoundExists(4));
}

// The sound module replaces a sound before it looks at the format, so a header it cannot play must
// be refused before it is asked.
TEST_F(SoundBlockTest, ABadHeaderChangesNoSound) {
  const std::vector<uint8_t> samples(16, 9);
  AddSound(6, audio::PcmFormat(2, 44100, 16), samples);
  struct Case {
    const char* what;
    std::vector<uint32_t> header;
    size_t dataBytes;
  } cases[] = {
      {"no samples", {1, 1, 22050, 22050, 1, 8, 0}, 0},
      {"less than one frame", {1, 2, 22050, 88200, 4, 16, 0}, 3},
      {"not PCM", {2, 1, 22050, 22050, 1, 8, 0}, 8},
      {"24 bits", {1, 1, 22050, 66150, 3, 24, 0}, 9},
      {"channels too wide", {1, 0x10001, 22050, 22050, 1, 8, 0}, 8},
      {"block align disagrees", {1, 2, 22050, 44100, 2, 16, 0}, 8},
      {"byte rate disagrees", {1, 1, 22050, 1, 1, 8, 0}, 8},
      {"extra size too wide", {1, 1, 22050, 22050, 1, 8, 0x10000}, 8},
  };
  for (const Case& c : cases) {
    MakeItemBlock(1, c.header, std::vector<uint8_t>(c.dataBytes, 0x80));
    EXPECT_EQ(ErrorOf([] { EXPECT_EQ(MakeSoundFromMemoryBlock(6, 1), 0); }), 5105u) << c.what;
    EXPECT_EQ(ContentsOf(6).samples, samples) << c.what;
  }
  MakeItemBlock(1, {1, 1, 22050, 22050, 1, 8}, {});  // shorter than the header
  EXPECT_EQ(ErrorOf([] { MakeSoundFromMemoryBlock(6, 1); }), 5105u);
  EXPECT_EQ(ContentsOf(6).samples, samples);
}

}  // namespace
}  // namespace block_test
