// Sounds into blocks and back.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "platform/audio/wave_format.h"
#include "tests/engine/media2d/memory_blocks/block_fixture.h"

namespace block_test {
namespace {

namespace audio = platform::audio;

// A stand-in sound module: numbered formats and samples.
struct StoredSound {
  audio::WaveFormat format;
  std::vector<uint8_t> samples;
};

std::map<int32_t, StoredSound>& Sounds() {
  static std::map<int32_t, StoredSound> sounds;
  return sounds;
}

void GetStoredSound(int32_t sound, int32_t*, int32_t*, int32_t*, uint8_t** data, int32_t* size, uint8_t mode,
                    audio::WaveFormat* format) {
  if (mode != 1) {
    std::free(*data);
    *data = nullptr;
    return;
  }
  auto found = Sounds().find(sound);
  if (found == Sounds().end()) return;
  *format = found->second.format;
  *size = int32_t(found->second.samples.size());
  *data = static_cast<uint8_t*>(std::malloc(found->second.samples.size()));
  std::memcpy(*data, found->second.samples.data(), found->second.samples.size());
}

bool StoreSound(int32_t sound, uint32_t, uint32_t, uint32_t, const uint8_t* samples, int32_t size,
                const audio::WaveFormat* format) {
  Sounds()[sound] = StoredSound{*format, std::vector<uint8_t>(samples, samples + size)};
  return true;
}

class SoundBlockTest : public BlockTest {
 protected:
  void SetUp() override {
    BlockTest::SetUp();
    MemoryBlocks().links.getSoundData = GetStoredSound;
    MemoryBlocks().links.makeSoundFromData = StoreSound;
  }
  void TearDown() override {
    Sounds().clear();
    BlockTest::TearDown();
  }
};

TEST_F(SoundBlockTest, ASecondOfSixteenBitMonoMakesABlockAndComesBack) {
  std::vector<uint8_t> samples(44100);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = uint8_t(i * 7);
  Sounds()[3] = StoredSound{audio::PcmFormat(1, 22050, 16), samples};
  ASSERT_EQ(MakeMemoryBlockFromSound(1, 3), 1);
  EXPECT_EQ(GetMemoryBlockSize(1), 28 + 44100);
  EXPECT_EQ(HeaderOf(1, 7), (std::vector<uint32_t>{1, 1, 22050, 44100, 2, 16, 0}));
  EXPECT_EQ(DataOf(1, 7), samples);

  ASSERT_EQ(MakeSoundFromMemoryBlock(8, 1), 1);
  const StoredSound& back = Sounds()[8];
  EXPECT_EQ(std::memcmp(&back.format, &Sounds()[3].format, sizeof back.format), 0);
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
  EXPECT_TRUE(Sounds().empty());
}

// The sound module replaces a sound before it looks at the format, so a header it cannot play must
// be refused before it is asked.
TEST_F(SoundBlockTest, ABadHeaderChangesNoSound) {
  Sounds()[6] = StoredSound{audio::PcmFormat(2, 44100, 16), std::vector<uint8_t>(16, 9)};
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
    EXPECT_EQ(Sounds()[6].samples.size(), 16u) << c.what;
  }
  MakeItemBlock(1, {1, 1, 22050, 22050, 1, 8}, {});  // shorter than the header
  EXPECT_EQ(ErrorOf([] { MakeSoundFromMemoryBlock(6, 1); }), 5105u);
}

}  // namespace
}  // namespace block_test
