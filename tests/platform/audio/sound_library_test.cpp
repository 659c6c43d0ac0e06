// The game's sound library: samples from WAVE and Ogg files, looping streams, channel volume, pan and
// levels, the spectrum, and the silent answers when there is no output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/audio/ogg_decoder.h"
#include "platform/audio/sound_library.h"
#include "platform/audio/test_hooks.h"
#include "platform/audio/wave_file.h"
#include "tests/platform/audio/audio_fixtures.h"
#include "tests/platform/fs/process_usage.h"

namespace {

namespace pa = platform::audio;

// The band a 1024-point window at 44100 Hz centres on band 20.
constexpr double kBand20Hz = 44100.0 * 20 / 1024;

std::vector<int16_t> Mix(int frames) {
  std::vector<int16_t> out(size_t(frames) * 2);
  pa::MixFrames(out.data(), frames);
  return out;
}

// The library opened on the dummy driver with mixing left to the test, in a scratch folder holding
// "Sound\tone.wav" (16-bit mono sine of amplitude 0.5 at 441 Hz, 0.1 s) and "Music\sine.ogg" (a
// second of the band-20 sine at amplitude 0.5).
class SoundLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::vector<uint8_t> tone = audio_test::ToPcm16(audio_test::Sine(441.0, 0.5, 44100, 4410));
    audio_test::WriteFile("Sound/tone.wav", pa::BuildWaveImage(pa::PcmFormat(1, 44100, 16), tone.data(),
                                                               uint32_t(tone.size())));
    audio_test::WriteFile("Music/sine.ogg", audio_test::EncodeOgg(audio_test::Sine(kBand20Hz, 0.5, 44100, 44100),
                                                                  1, 44100));
    ASSERT_TRUE(pa::InitSoundLibrary(44100, 32, 0));
    pa::PauseMixing(true);
  }
  void TearDown() override { pa::CloseSoundLibrary(); }

  audio_test::ScratchFolder folder_;
};

TEST_F(SoundLibraryTest, SampleLevelsFollowMasterVolumeChannelVolumeAndPan) {
  pa::LibrarySample* tone = pa::LoadSample(1, "Sound\\Tone.wav", pa::kModeDefault, 0, 0);
  ASSERT_NE(tone, nullptr);
  const int channel = pa::PlaySample(pa::kAnyFreeChannel, tone);
  ASSERT_GT(channel, 0);  // a handle is never 0, so the game's "no channel yet" test works
  auto levels = [&] {
    Mix(512);
    float left = -1, right = -1;
    EXPECT_TRUE(pa::GetChannelLevels(channel, &left, &right));
    return std::pair{left, right};
  };
  auto [left, right] = levels();
  EXPECT_NEAR(left, 0.5f, 0.01f);
  EXPECT_NEAR(right, 0.5f, 0.01f);

  pa::SetEffectsMasterVolume(51);  // a fifth
  std::tie(left, right) = levels();
  EXPECT_NEAR(left, 0.1f, 0.01f);

  pa::SetChannelPan(channel, 0);
  std::tie(left, right) = levels();
  EXPECT_NEAR(left, 0.1f, 0.01f);
  EXPECT_EQ(right, 0.0f);

  pa::SetChannelVolume(channel, 255);  // absolute: the master volume no longer applies
  pa::SetChannelPan(channel, 128);
  std::tie(left, right) = levels();
  EXPECT_NEAR(left, 0.5f, 0.01f);
  EXPECT_NEAR(right, 0.5f, 0.01f);

  Mix(4410);  // past its end: a sample plays once
  std::tie(left, right) = levels();
  EXPECT_EQ(left, 0.0f);
  EXPECT_EQ(right, 0.0f);
}

TEST_F(SoundLibraryTest, ChannelsAreTakenInTurnAndStaleHandlesDoNothing) {
  pa::LibrarySample* tone = pa::LoadSample(pa::kAnyFreeSample, "Sound\\tone.wav", pa::kModeLoopNormal, 0, 0);
  ASSERT_NE(tone, nullptr);
  const int first = pa::PlaySample(pa::kAnyFreeChannel, tone);
  const int second = pa::PlaySample(pa::kAnyFreeChannel, tone);
  EXPECT_NE(first & 0xFFF, second & 0xFFF);  // a playing channel is not free
  const int replaced = pa::PlaySample(first & 0xFFF, tone);  // asked for by number: the old play ends
  EXPECT_NE(replaced, first);
  EXPECT_FALSE(pa::SetChannelVolume(first, 10));
  EXPECT_TRUE(pa::SetChannelVolume(replaced, 10));
  float left = 1, right = 1;
  EXPECT_FALSE(pa::GetChannelLevels(first, &left, &right));
  EXPECT_EQ(left, 0.0f);
  EXPECT_EQ(pa::PlaySample(32, tone), -1);  // no such channel
  EXPECT_EQ(pa::PlaySample(pa::kAnyFreeChannel, nullptr), -1);
  EXPECT_FALSE(pa::SetChannelPan(replaced, 256));
}

TEST_F(SoundLibraryTest, OggSamplesDecodeAndMissingOrDamagedFilesGiveNoHandle) {
  EXPECT_NE(pa::LoadSample(2, "music\\SINE.OGG", pa::kModeDefault, 0, 0), nullptr);
  EXPECT_EQ(pa::LoadSample(3, "Sound\\absent.ogg", pa::kModeDefault, 0, 0), nullptr);
  audio_test::WriteFile("Sound/broken.ogg", {'O', 'g', 'g', 'S', 0, 1, 2});
  EXPECT_EQ(pa::LoadSample(3, "Sound\\broken.ogg", pa::kModeDefault, 0, 0), nullptr);
  EXPECT_EQ(pa::LoadSample(3, "Sound\\tone.wav", pa::kModeDefault, 40, 0), nullptr);  // no RIFF at 40
  EXPECT_EQ(pa::LoadSample(3, "Sound\\tone.wav", pa::kModeDefault, 0, 1 << 30), nullptr);  // past the end
  EXPECT_EQ(pa::LoadSample(pa::kSampleSlots, "Sound\\tone.wav", pa::kModeDefault, 0, 0), nullptr);
  EXPECT_EQ(pa::OpenStream("Music\\tone.wav", pa::kModeLoopNormal, 0, 0), nullptr);  // streams are Ogg
}

TEST_F(SoundLibraryTest, SpectrumOfASinePeaksInItsBandOnceTheUnitIsActive) {
  pa::LibraryStream* stream = pa::OpenStream("Music\\sine.ogg", pa::kModeLoopNormal, 0, 0);
  ASSERT_NE(stream, nullptr);
  ASSERT_GT(pa::PlayStream(pa::kAnyFreeChannel, stream), 0);
  Mix(8192);
  const float* bands = pa::GetSpectrum();
  ASSERT_NE(bands, nullptr);
  EXPECT_TRUE(std::all_of(bands, bands + pa::kSpectrumSize, [](float b) { return b == 0.0f; }));  // inactive

  ASSERT_TRUE(pa::SetDspUnitActive(pa::GetFftUnit(), true));
  bands = pa::GetSpectrum();
  const int peak = int(std::max_element(bands, bands + pa::kSpectrumSize) - bands);
  EXPECT_EQ(peak, 20);
  EXPECT_NEAR(bands[20], 0.5f, 0.05f);
  EXPECT_LT(*std::max_element(bands + 40, bands + pa::kSpectrumSize), 0.02f);
}

TEST_F(SoundLibraryTest, StreamsLoopOrEndAndStopRewinds) {
  // A tenth of a second, so the mix runs past its end many times.
  audio_test::WriteFile("Music/short.ogg", audio_test::EncodeOgg(audio_test::Sine(441.0, 0.5, 22050, 2205, 2), 2,
                                                                 22050));
  pa::LibraryStream* looping = pa::OpenStream("Music\\short.ogg", pa::kModeLoopNormal, 0, 0);
  pa::LibraryStream* once = pa::OpenStream("Music\\short.ogg", pa::kModeDefault, 0, 0);
  ASSERT_TRUE(looping && once);
  const int loopChannel = pa::PlayStream(pa::kAnyFreeChannel, looping);
  const int onceChannel = pa::PlayStream(pa::kAnyFreeChannel, once);
  std::vector<int16_t> out = Mix(44100);
  float left = 0, right = 0;
  pa::GetChannelLevels(loopChannel, &left, &right);
  EXPECT_NEAR(left, 0.5f, 0.05f);  // still playing after five lengths
  pa::GetChannelLevels(onceChannel, &left, &right);
  EXPECT_EQ(left, 0.0f);

  // With only the looping stream left, no gap of silence appears at its seams.
  int longestQuiet = 0, quiet = 0;
  for (size_t i = 20000; i < out.size() / 2; ++i) {
    quiet = std::abs(out[2 * i]) < 50 ? quiet + 1 : 0;
    longestQuiet = std::max(longestQuiet, quiet);
  }
  EXPECT_LT(longestQuiet, 10);

  EXPECT_TRUE(pa::StopStream(looping));
  out = Mix(256);
  EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int16_t s) { return s == 0; }));
  pa::GetChannelLevels(loopChannel, &left, &right);
  EXPECT_EQ(left, 0.0f);
  EXPECT_TRUE(pa::CloseStream(once));
  EXPECT_FALSE(pa::CloseStream(once));
  EXPECT_EQ(pa::PlayStream(pa::kAnyFreeChannel, once), -1);
}

TEST(SoundLibraryWithoutOutput, EveryCallGivesTheSilentAnswer) {
  audio_test::ScratchFolder folder;
  audio_test::ScopedEnv driver("SDL_AUDIODRIVER", "qel-no-such-driver");
  audio_test::WriteFile("Music/sine.ogg", audio_test::EncodeOgg(audio_test::Sine(kBand20Hz, 0.5, 44100, 4410), 1,
                                                                44100));
  for (bool opened : {false, true}) {
    if (opened) {
      EXPECT_FALSE(pa::InitSoundLibrary(44100, 32, 0));
    }
    EXPECT_EQ(pa::LoadSample(1, "Music\\sine.ogg", pa::kModeDefault, 0, 0), nullptr);
    EXPECT_EQ(pa::PlaySample(pa::kAnyFreeChannel, nullptr), -1);
    EXPECT_FALSE(pa::SetEffectsMasterVolume(100));
    pa::LibraryStream* stream = pa::OpenStream("Music\\sine.ogg", pa::kModeLoopNormal, 0, 0);
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(pa::PlayStream(pa::kAnyFreeChannel, stream), -1);
    EXPECT_FALSE(pa::StopStream(stream));
    EXPECT_FALSE(pa::SetChannelVolume(-1, 255));
    EXPECT_FALSE(pa::SetChannelPan(-1, 128));
    EXPECT_FALSE(pa::SetDspUnitActive(pa::GetFftUnit(), true));
    const float* bands = pa::GetSpectrum();
    ASSERT_NE(bands, nullptr);
    EXPECT_TRUE(std::all_of(bands, bands + pa::kSpectrumSize, [](float b) { return b == 0.0f; }));
    float left = 1, right = 1;
    EXPECT_FALSE(pa::GetChannelLevels(-1, &left, &right));
    EXPECT_EQ(left, 0.0f);
    EXPECT_EQ(right, 0.0f);
    EXPECT_FALSE(pa::CloseStream(stream));
    pa::CloseSoundLibrary();
  }
}

}  // namespace

// Sound files replaced by huge ones: a sample is refused from its size alone, a part of a huge file
// is read alone, and music streams from the file. Bytes read and memory held stay small (no timing).
TEST_F(SoundLibraryTest, HugeFilesAreRefusedOrStreamedWithoutReadingThemWhole) {
  namespace usage = process_usage;
  const std::vector<uint8_t> tone = audio_test::ReadFile("Sound/tone.wav");
  const std::vector<uint8_t> sine = audio_test::ReadFile("Music/sine.ogg");
  ASSERT_TRUE(usage::WriteSparseFile("Sound/huge.wav", "RIFF", usage::kHugeFile));
  std::string padded(1000, 'x');
  padded.append(tone.begin(), tone.end());
  ASSERT_TRUE(usage::WriteSparseFile("Sound/padded.wav", padded, usage::kHugeFile));
  ASSERT_TRUE(usage::WriteSparseFile("Music/huge.ogg", std::string(sine.begin(), sine.end()), usage::kHugeFile));
  const uint64_t readBefore = usage::BytesRead(), peakBefore = usage::PeakResidentBytes();

  EXPECT_EQ(pa::LoadSample(1, "Sound\\huge.wav", pa::kModeDefault, 0, 0), nullptr);
  EXPECT_STREQ(pa::SampleLoadFailure(), "the file is larger than a sound may be");
  EXPECT_EQ(pa::LoadSample(1, "Sound\\padded.wav", pa::kModeDefault, 1000, 0), nullptr);  // to the end: too large
  EXPECT_NE(pa::LoadSample(1, "Sound\\padded.wav", pa::kModeDefault, 1000, int(tone.size())), nullptr);
  EXPECT_STREQ(pa::SampleLoadFailure(), "");

  pa::LibraryStream* music = pa::OpenStream("Music\\huge.ogg", pa::kModeLoopNormal, 0, 0);
  ASSERT_NE(music, nullptr) << pa::StreamOpenFailure();
  const int channel = pa::PlayStream(pa::kAnyFreeChannel, music);
  // Three plays of the one-second sine: each runs into the padding, ends and starts again.
  Mix(3 * 44100 + 22050);
  float left = 0, right = 0;
  pa::GetChannelLevels(channel, &left, &right);
  EXPECT_NEAR(left, 0.5f, 0.05f);

  EXPECT_LT(usage::BytesRead() - readBefore, uint64_t(128) << 20);
  EXPECT_LT(usage::PeakResidentBytes() - peakBefore, uint64_t(64) << 20);
}

TEST_F(SoundLibraryTest, StreamFailuresSayWhy) {
  audio_test::WriteFile("Music/empty.ogg", {});
  struct Case {
    const char* name;
    int offset, length;
    const char* why;
  };
  const Case cases[] = {
      {"Music\\absent.ogg", 0, 0, "the file is missing or not a regular file"},
      {"Music", 0, 0, "the file is missing or not a regular file"},
      {"Music\\empty.ogg", 0, 0, "the file is empty"},
      {"Music\\sine.ogg", 1 << 30, 0, "the part asked for lies outside the file"},
      {"Music\\sine.ogg", 4, 0, "the file is not an Ogg stream"},
      {"Sound\\tone.wav", 0, 0, "the file is not an Ogg stream"},
      {"Music\\sine.ogg", 0, 100, "the file is not an Ogg Vorbis stream we can play"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(pa::OpenStream(c.name, pa::kModeDefault, c.offset, c.length), nullptr) << c.name;
    EXPECT_STREQ(pa::StreamOpenFailure(), c.why) << c.name << " " << c.offset;
  }
  pa::LibraryStream* part = pa::OpenStream("Music\\sine.ogg", pa::kModeDefault, 0, 0);
  EXPECT_NE(part, nullptr);
  EXPECT_STREQ(pa::StreamOpenFailure(), "");
}

// Streams whose later data the decoder reports as a bad link: once it has said so, reading again
// (or rewinding in memory and reading) divided by zero inside the Vorbis library. Reading stops there
// and a rewind of a memory image refuses; each file is tried from memory and streamed from disk.
TEST(OggDecoderDamage, ReadingStopsAtADamagedLinkAndStaysStopped) {
  const char* source = std::getenv("QEL_SOURCE_DIR");
  ASSERT_TRUE(source && *source);
  for (const char* name : {"bad-link-then-read.ogg", "bad-link-at-start.ogg"}) {
    SCOPED_TRACE(name);
    const std::string path = std::string(source) + "/tests/fuzz/seeds/fuzz_ogg/" + name;
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(image.empty());
    for (int streamed = 0; streamed < 2; ++streamed) {
      pa::OggDecoder decoder;
      if (streamed) ASSERT_EQ(decoder.OpenFile(path, 0, 0), nullptr);
      else ASSERT_TRUE(decoder.Open(image));
      std::vector<int16_t> out(4096 * 2);
      for (int round = 0; round < 3; ++round) {
        while (decoder.Read(out.data(), 512) > 0) {
        }
        EXPECT_EQ(decoder.Read(out.data(), 512), 0u);
        if (!decoder.Rewind()) break;
      }
    }
  }
}
