// RIFF "WAVE" reading and writing: round trips of every PCM shape, chunk order, and damaged files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/audio/wave_file.h"
#include "tests/platform/audio/audio_fixtures.h"
#include "tests/platform/fs/process_usage.h"

namespace {

namespace pa = platform::audio;

using audio_test::Pattern;

void Put32(std::vector<uint8_t>& image, size_t at, uint32_t value) { std::memcpy(image.data() + at, &value, 4); }
void Put16(std::vector<uint8_t>& image, size_t at, uint16_t value) { std::memcpy(image.data() + at, &value, 2); }

void Append(std::vector<uint8_t>& image, const char* id, const std::vector<uint8_t>& body) {
  image.insert(image.end(), id, id + 4);
  const auto size = uint32_t(body.size());
  image.insert(image.end(), {uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16), uint8_t(size >> 24)});
  image.insert(image.end(), body.begin(), body.end());
  if (size & 1) image.push_back(0);
}

struct RoundTrip {
  uint16_t channels, bits;
  uint32_t rate, size;
};

class WaveRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(WaveRoundTrip, WrittenFileReadsBackItsFormatAndSamples) {
  const RoundTrip c = GetParam();
  audio_test::ScratchFolder folder;
  const pa::WaveFormat format = pa::PcmFormat(c.channels, c.rate, c.bits);
  const std::vector<uint8_t> samples = Pattern(c.size);
  ASSERT_EQ(pa::WriteWaveFile("take.wav", format, samples.data(), c.size), pa::WaveError::kNone);

  const std::vector<uint8_t> image = audio_test::ReadFile("take.wav");
  ASSERT_EQ(image.size(), 44 + c.size + (c.size & 1));  // odd data gets its pad byte
  uint32_t riffSize;
  std::memcpy(&riffSize, image.data() + 4, 4);
  EXPECT_EQ(riffSize, image.size() - 8);

  pa::WaveFile wave;
  ASSERT_EQ(wave.Open("TAKE.WAV"), pa::WaveError::kNone);  // through the resolver, any case
  EXPECT_EQ(std::memcmp(&wave.Format(), &format, sizeof format), 0);
  ASSERT_EQ(wave.DataSize(), c.size);
  // Read in two pieces, then again after a reset.
  std::vector<uint8_t> back(c.size + 10);
  const uint32_t first = wave.Read(back.data(), c.size / 2);
  EXPECT_EQ(first + wave.Read(back.data() + first, c.size + 10), c.size);
  EXPECT_EQ(wave.Read(back.data(), 1), 0u);
  back.resize(c.size);
  EXPECT_EQ(back, samples);
  wave.ResetToData();
  EXPECT_EQ(wave.Read(back.data(), 1), c.size ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(PcmShapes, WaveRoundTrip,
                         ::testing::Values(RoundTrip{1, 8, 11025, 1000}, RoundTrip{1, 8, 8000, 1001},
                                           RoundTrip{2, 16, 44100, 4000}, RoundTrip{1, 16, 22050, 6},
                                           RoundTrip{2, 8, 96000, 0}, RoundTrip{2, 16, 7, 8}));

TEST(WaveFile, OtherFormatsKeepTheirExtraBytesAndGetAFactChunk) {
  pa::WaveFormat format{2, 1, 22050, 11155, 512, 4, 32};
  const std::vector<uint8_t> extra = Pattern(32);
  const std::vector<uint8_t> samples = Pattern(2048);
  const std::vector<uint8_t> image = pa::BuildWaveImage(format, samples.data(), 2048, extra.data());
  pa::WaveLayout layout;
  ASSERT_EQ(pa::ParseWave(image.data(), image.size(), &layout), pa::WaveError::kNone);
  EXPECT_EQ(layout.format.formatTag, 2);
  EXPECT_EQ(layout.format.extraSize, 32);
  EXPECT_EQ(layout.extra, extra);
  EXPECT_EQ(layout.dataSize, 2048u);
  EXPECT_EQ(std::memcmp(image.data() + layout.dataOffset, samples.data(), 2048), 0);
  // "fmt " of 18 + 32 bytes, then "fact" holding the frame count.
  ASSERT_EQ(std::memcmp(image.data() + 20 + 50, "fact", 4), 0);
  uint32_t frames;
  std::memcpy(&frames, image.data() + 20 + 50 + 8, 4);
  EXPECT_EQ(frames, 2048u / 512u);
}

TEST(WaveFile, ChunksComeInAnyOrderAndUnknownOnesAreSkipped) {
  std::vector<uint8_t> image = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  Append(image, "LIST", {1, 2, 3});  // odd: a pad byte follows
  Append(image, "data", {10, 20, 30, 40});
  const pa::WaveFormat f = pa::PcmFormat(2, 8000, 8);
  std::vector<uint8_t> fmt(16);
  std::memcpy(fmt.data(), &f, 16);
  Append(image, "fmt ", fmt);
  Append(image, "data", {99, 99});  // only the first data chunk counts
  Put32(image, 4, uint32_t(image.size() - 8));
  pa::WaveFile wave;
  ASSERT_EQ(wave.OpenMemory(image.data(), image.size()), pa::WaveError::kNone);
  EXPECT_EQ(wave.Format().channels, 2);
  std::vector<uint8_t> data(4);
  ASSERT_EQ(wave.Read(data.data(), 4), 4u);
  EXPECT_EQ(data, (std::vector<uint8_t>{10, 20, 30, 40}));
}

TEST(WaveFile, LastDataChunkMayLackItsPadByte) {
  const uint8_t sample[3] = {1, 2, 3};
  std::vector<uint8_t> image = pa::BuildWaveImage(pa::PcmFormat(1, 8000, 8), sample, 3);
  image.pop_back();
  Put32(image, 4, uint32_t(image.size() - 8));
  pa::WaveLayout layout;
  EXPECT_EQ(pa::ParseWave(image.data(), image.size(), &layout), pa::WaveError::kNone);
  EXPECT_EQ(layout.dataSize, 3u);
}

TEST(WaveFile, MissingFileIsAnOpenError) {
  audio_test::ScratchFolder folder;
  pa::WaveFile wave;
  EXPECT_EQ(wave.Open("absent.wav"), pa::WaveError::kOpenFailed);
  EXPECT_EQ(wave.DataSize(), 0u);
}

TEST(WaveFile, AFileLargerThanASoundMayBeIsRefusedUnread) {
  namespace usage = process_usage;
  audio_test::ScratchFolder folder;
  ASSERT_TRUE(usage::WriteSparseFile("huge.wav", "RIFF", usage::kHugeFile));
  ASSERT_TRUE(usage::WriteSparseFile("over.wav", "RIFF", pa::kMaxSoundBytes + 1));
  const uint64_t readBefore = usage::BytesRead(), peakBefore = usage::PeakResidentBytes();
  pa::WaveFile wave;
  EXPECT_EQ(wave.Open("HUGE.wav"), pa::WaveError::kTooLarge);
  EXPECT_EQ(wave.Open("over.wav"), pa::WaveError::kTooLarge);
  EXPECT_EQ(wave.DataSize(), 0u);
  EXPECT_LT(usage::BytesRead() - readBefore, uint64_t(1) << 20);
  EXPECT_LT(usage::PeakResidentBytes() - peakBefore, uint64_t(64) << 20);
}

TEST(WaveFile, WriteIntoMissingFolderFails) {
  audio_test::ScratchFolder folder;
  const uint8_t sample[2] = {0, 0};
  EXPECT_EQ(pa::WriteWaveFile("no/such/folder/a.wav", pa::PcmFormat(1, 8000, 16), sample, 2),
            pa::WaveError::kWriteFailed);
}

// Damaged files: each is the valid 10-sample mono 8-bit wave with one change.
struct Damage {
  const char* name;
  void (*change)(std::vector<uint8_t>&);
  pa::WaveError expected;
};

const Damage kDamages[] = {
    {"empty", [](std::vector<uint8_t>& w) { w.clear(); }, pa::WaveError::kNotRiff},
    {"shorter than a header", [](std::vector<uint8_t>& w) { w.erase(w.begin() + 11, w.end()); }, pa::WaveError::kNotRiff},
    {"not RIFF", [](std::vector<uint8_t>& w) { w[3] = 'X'; }, pa::WaveError::kNotRiff},
    {"truncated file", [](std::vector<uint8_t>& w) { w.erase(w.end() - 4, w.end()); }, pa::WaveError::kNotRiff},
    {"RIFF size past the end", [](std::vector<uint8_t>& w) { Put32(w, 4, 0xFFFFFFFF); }, pa::WaveError::kNotRiff},
    {"not WAVE", [](std::vector<uint8_t>& w) { std::memcpy(w.data() + 8, "AVI ", 4); }, pa::WaveError::kNotWave},
    {"RIFF form too small", [](std::vector<uint8_t>& w) { Put32(w, 4, 2); }, pa::WaveError::kNotWave},
    {"fmt size past the end", [](std::vector<uint8_t>& w) { Put32(w, 16, 0xFFFFFFF0); }, pa::WaveError::kBadChunk},
    {"data size past the end", [](std::vector<uint8_t>& w) { Put32(w, 40, 11); }, pa::WaveError::kBadChunk},
    {"data size wraps", [](std::vector<uint8_t>& w) { Put32(w, 40, 0xFFFFFFFF); }, pa::WaveError::kBadChunk},
    {"fmt too short", [](std::vector<uint8_t>& w) { Put32(w, 16, 14); }, pa::WaveError::kNoFormat},
    {"no fmt", [](std::vector<uint8_t>& w) { std::memcpy(w.data() + 12, "junk", 4); }, pa::WaveError::kNoFormat},
    {"no data", [](std::vector<uint8_t>& w) { std::memcpy(w.data() + 36, "junk", 4); }, pa::WaveError::kNoData},
    {"24-bit PCM", [](std::vector<uint8_t>& w) { Put16(w, 34, 24); Put16(w, 32, 3); Put32(w, 28, 24000); },
     pa::WaveError::kBadFormat},
    {"3 channels", [](std::vector<uint8_t>& w) { Put16(w, 22, 3); Put16(w, 32, 3); Put32(w, 28, 24000); },
     pa::WaveError::kBadFormat},
    {"0 channels", [](std::vector<uint8_t>& w) { Put16(w, 22, 0); }, pa::WaveError::kBadFormat},
    {"block align off", [](std::vector<uint8_t>& w) { Put16(w, 32, 4); }, pa::WaveError::kBadFormat},
    {"byte rate 0", [](std::vector<uint8_t>& w) { Put32(w, 28, 0); }, pa::WaveError::kBadFormat},
    {"rate 0", [](std::vector<uint8_t>& w) { Put32(w, 24, 0); Put32(w, 28, 0); }, pa::WaveError::kBadFormat},
    {"non-PCM with a 16-byte fmt", [](std::vector<uint8_t>& w) { Put16(w, 20, 2); }, pa::WaveError::kNoFormat},
};

TEST(WaveFile, DamagedFilesAreErrorsNotReads) {
  const uint8_t samples[10] = {128, 130, 140, 150, 160, 170, 180, 190, 200, 210};
  for (const Damage& d : kDamages) {
    std::vector<uint8_t> image = pa::BuildWaveImage(pa::PcmFormat(1, 8000, 8), samples, 10);
    d.change(image);
    // An exact-size copy, so the address sanitizer sees any read past the end.
    std::vector<uint8_t> exact(image.begin(), image.end());
    pa::WaveFile wave;
    EXPECT_EQ(wave.OpenMemory(exact.data(), exact.size()), d.expected) << d.name;
    uint8_t out[16];
    EXPECT_EQ(wave.Read(out, sizeof out), d.expected == pa::WaveError::kNone ? 10u : 0u) << d.name;
  }
}

TEST(WaveFile, NonPcmExtraBytesPastTheChunkAreAnError) {
  pa::WaveFormat format{2, 1, 22050, 11155, 512, 4, 4};
  const uint8_t extra[4] = {1, 2, 3, 4}, samples[4] = {};
  std::vector<uint8_t> image = pa::BuildWaveImage(format, samples, 4, extra);
  Put16(image, 36, 200);  // the extra size claims more than the 22-byte chunk holds
  pa::WaveLayout layout;
  EXPECT_EQ(pa::ParseWave(image.data(), image.size(), &layout), pa::WaveError::kNoFormat);
}

}  // namespace
