// The sound-device layer: the mix as heard through SDL's disk driver, buffer play state, controls,
// locking, duplicates and the listener. Mixing is driven by the test (the audio thread paused) except
// in the golden mix, which goes through the real output.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/audio/sound_device.h"
#include "platform/audio/test_hooks.h"
#include "tests/platform/audio/audio_fixtures.h"

namespace {

namespace pa = platform::audio;

constexpr uint32_t kControls = pa::kBufferCtrlVolume | pa::kBufferCtrlPan | pa::kBufferCtrlFrequency;

pa::SoundBuffer* MakeBuffer(pa::SoundDevice* device, const pa::WaveFormat& format, const void* samples,
                            uint32_t bytes, uint32_t flags = kControls) {
  pa::BufferDesc desc;
  desc.flags = flags;
  desc.bufferBytes = bytes;
  desc.format = &format;
  pa::SoundBuffer* buffer = nullptr;
  EXPECT_EQ(device->CreateSoundBuffer(desc, &buffer), pa::kOk);
  if (!buffer) return nullptr;
  void* memory = nullptr;
  uint32_t got = 0;
  EXPECT_EQ(buffer->Lock(0, 0, &memory, &got, nullptr, nullptr, pa::kLockEntireBuffer), pa::kOk);
  std::memcpy(memory, samples, got);
  buffer->Unlock(memory, got, nullptr, 0);
  return buffer;
}

uint32_t PlayCursor(pa::SoundBuffer* buffer) {
  uint32_t play = 0;
  buffer->GetCurrentPosition(&play, nullptr);
  return play;
}

uint32_t Status(pa::SoundBuffer* buffer) {
  uint32_t status = 0;
  buffer->GetStatus(&status);
  return status;
}

void Mix(int frames) {
  std::vector<int16_t> out(size_t(frames) * 2);
  pa::MixFrames(out.data(), frames);
}

// A device on the dummy driver whose mixing the test drives.
class SoundDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(pa::SoundDevice::Create(&device_), pa::kOk);
    pa::PauseMixing(true);
  }
  void TearDown() override { device_->Release(); }
  pa::SoundDevice* device_ = nullptr;
};

TEST(MixerOutput, TwoSoundsWithVolumePanAndLoopAreHeardAsComputed) {
  audio_test::ScratchFolder folder;
  const std::string rawFile = (folder.Root() / "mix.raw").string();
  audio_test::ScopedEnv driver("SDL_AUDIODRIVER", "disk");
  audio_test::ScopedEnv file("SDL_DISKAUDIOFILE", rawFile.c_str());

  // A: 200 frames of 16-bit mono at the output rate, hard left. B: 16 frames of 8-bit mono at half
  // the rate, looping, 6 dB down, centred.
  std::vector<int16_t> a(200);
  for (int i = 0; i < 200; ++i) a[size_t(i)] = int16_t((i * 331) % 20000 - 9999);
  std::vector<uint8_t> b(16);
  for (int j = 0; j < 16; ++j) b[size_t(j)] = uint8_t(78 + j * 9);

  pa::SoundDevice* device = nullptr;
  ASSERT_EQ(pa::SoundDevice::Create(&device), pa::kOk);
  ASSERT_TRUE(device->HasOutput());
  pa::SoundBuffer* left = MakeBuffer(device, pa::PcmFormat(1, 44100, 16), a.data(), 400);
  pa::SoundBuffer* loop = MakeBuffer(device, pa::PcmFormat(1, 22050, 8), b.data(), 16);
  ASSERT_TRUE(left && loop);
  EXPECT_EQ(left->SetPan(pa::kPanLeft), pa::kOk);
  EXPECT_EQ(loop->SetVolume(-600), pa::kOk);
  {
    pa::MixerLock together;  // both start on the same output frame
    left->Play(0, 0, 0);
    loop->Play(0, 0, pa::kPlayLooping);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  loop->Stop();
  left->Release();
  loop->Release();
  device->Release();  // closes the output, which flushes the file

  const std::vector<uint8_t> raw = audio_test::ReadFile(rawFile);
  std::vector<int16_t> mix(raw.size() / 2);
  std::memcpy(mix.data(), raw.data(), mix.size() * 2);
  size_t start = 0;
  while (start + 1 < mix.size() && mix[start] == 0 && mix[start + 1] == 0) start += 2;
  constexpr int kFrames = 4000;
  ASSERT_GE(mix.size(), start + 2 * kFrames) << "the output ran for too short a time";

  const float gain = std::pow(10.0f, -600.0f / 2000.0f);
  for (int k = 0; k < kFrames; ++k) {
    const int index = (k / 2) % 16, next = (index + 1) % 16;
    const float t = (k % 2) * 0.5f;
    const float v0 = float(b[size_t(index)] - 128) / 128.0f, v1 = float(b[size_t(next)] - 128) / 128.0f;
    const float fromLoop = (v0 + (v1 - v0) * t) * gain;
    const float expectLeft = (k < 200 ? float(a[size_t(k)]) / 32768.0f : 0.0f) + fromLoop;
    ASSERT_NEAR(mix[start + 2 * size_t(k)], std::lrint(expectLeft * 32768.0f), 2) << "left, frame " << k;
    ASSERT_NEAR(mix[start + 2 * size_t(k) + 1], std::lrint(fromLoop * 32768.0f), 2) << "right, frame " << k;
  }
}

TEST_F(SoundDeviceTest, OneShotStopsAtItsEndWhileLoopingWrapsAndFrequencyScalesTheSpeed) {
  const std::vector<int16_t> samples(100, 1000);
  pa::SoundBuffer* buffer = MakeBuffer(device_, pa::PcmFormat(1, 44100, 16), samples.data(), 200);
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(Status(buffer), 0u);

  buffer->Play(0, 0, 0);
  Mix(60);
  EXPECT_EQ(Status(buffer), pa::kStatusPlaying);
  EXPECT_EQ(PlayCursor(buffer), 120u);
  Mix(60);
  EXPECT_EQ(Status(buffer), 0u);
  EXPECT_EQ(PlayCursor(buffer), 0u);

  buffer->Play(0, 0, pa::kPlayLooping);
  Mix(250);
  EXPECT_EQ(Status(buffer), pa::kStatusPlaying | pa::kStatusLooping);
  EXPECT_EQ(PlayCursor(buffer), 100u);  // 250 frames into a 100-frame loop

  EXPECT_EQ(buffer->SetFrequency(88200), pa::kOk);
  Mix(10);
  EXPECT_EQ(PlayCursor(buffer), 140u);  // 20 frames on
  EXPECT_EQ(buffer->SetCurrentPosition(11), pa::kOk);
  EXPECT_EQ(PlayCursor(buffer), 10u);  // whole frames
  EXPECT_EQ(buffer->SetCurrentPosition(200), pa::kInvalidArg);
  buffer->Stop();
  EXPECT_EQ(Status(buffer), 0u);
  buffer->Release();
}

TEST_F(SoundDeviceTest, ControlsNeedTheirFlagAndStayInRange) {
  const uint8_t silence[64] = {};
  pa::SoundBuffer* all = MakeBuffer(device_, pa::PcmFormat(1, 8000, 8), silence, 64);
  pa::SoundBuffer* none = MakeBuffer(device_, pa::PcmFormat(1, 8000, 8), silence, 64, 0);
  ASSERT_TRUE(all && none);
  struct Case {
    const char* name;
    pa::Result (*set)(pa::SoundBuffer*);
    pa::Result withFlag, withoutFlag;
  };
  const Case cases[] = {
      {"volume 0", [](pa::SoundBuffer* b) { return b->SetVolume(0); }, pa::kOk, pa::kControlUnavailable},
      {"volume -10000", [](pa::SoundBuffer* b) { return b->SetVolume(-10000); }, pa::kOk, pa::kControlUnavailable},
      {"volume 1", [](pa::SoundBuffer* b) { return b->SetVolume(1); }, pa::kInvalidArg, pa::kControlUnavailable},
      {"volume -10001", [](pa::SoundBuffer* b) { return b->SetVolume(-10001); }, pa::kInvalidArg,
       pa::kControlUnavailable},
      {"pan right", [](pa::SoundBuffer* b) { return b->SetPan(10000); }, pa::kOk, pa::kControlUnavailable},
      {"pan past left", [](pa::SoundBuffer* b) { return b->SetPan(-10001); }, pa::kInvalidArg,
       pa::kControlUnavailable},
      {"frequency original", [](pa::SoundBuffer* b) { return b->SetFrequency(0); }, pa::kOk,
       pa::kControlUnavailable},
      {"frequency 100", [](pa::SoundBuffer* b) { return b->SetFrequency(100); }, pa::kOk, pa::kControlUnavailable},
      {"frequency 99", [](pa::SoundBuffer* b) { return b->SetFrequency(99); }, pa::kInvalidArg,
       pa::kControlUnavailable},
      {"frequency 200001", [](pa::SoundBuffer* b) { return b->SetFrequency(200001); }, pa::kInvalidArg,
       pa::kControlUnavailable},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.set(all), c.withFlag) << c.name;
    EXPECT_EQ(c.set(none), c.withoutFlag) << c.name;
  }
  uint32_t frequency = 0;
  EXPECT_EQ(all->GetFrequency(&frequency), pa::kOk);
  EXPECT_EQ(frequency, 100u);
  EXPECT_EQ(all->SetFrequency(0), pa::kOk);
  EXPECT_EQ(all->GetFrequency(&frequency), pa::kOk);
  EXPECT_EQ(frequency, 8000u);
  all->Release();
  none->Release();
}

TEST_F(SoundDeviceTest, VolumeAndPanScaleEachSide) {
  const std::vector<int16_t> samples(64, 16384);  // half scale
  pa::SoundBuffer* buffer = MakeBuffer(device_, pa::PcmFormat(1, 44100, 16), samples.data(), 128);
  ASSERT_NE(buffer, nullptr);
  buffer->SetVolume(-600);
  buffer->SetPan(1000);  // right: the left side drops a further 10 dB
  buffer->Play(0, 0, pa::kPlayLooping);
  std::vector<int16_t> out(8);
  pa::MixFrames(out.data(), 4);
  const float gain = std::pow(10.0f, -0.3f);
  EXPECT_NEAR(out[1], 16384 * gain, 1);
  EXPECT_NEAR(out[0], 16384 * gain * 0.31622776f, 1);
  buffer->Release();
}

TEST_F(SoundDeviceTest, LockHandsOutTwoPartsWhenTheRangeWraps) {
  const uint8_t silence[100] = {};
  pa::SoundBuffer* buffer = MakeBuffer(device_, pa::PcmFormat(1, 8000, 8), silence, 100);
  ASSERT_NE(buffer, nullptr);
  void *part1 = nullptr, *part2 = nullptr;
  uint32_t bytes1 = 0, bytes2 = 0;
  ASSERT_EQ(buffer->Lock(80, 40, &part1, &bytes1, &part2, &bytes2, 0), pa::kOk);
  EXPECT_EQ(bytes1, 20u);
  EXPECT_EQ(bytes2, 20u);
  EXPECT_EQ(static_cast<uint8_t*>(part1) - static_cast<uint8_t*>(part2), 80);
  void* again = nullptr;
  uint32_t againBytes = 0;
  EXPECT_EQ(buffer->Lock(0, 10, &again, &againBytes, nullptr, nullptr, 0), pa::kInvalidCall);  // one lock at a time
  EXPECT_EQ(buffer->Unlock(part1, bytes1, part2, bytes2), pa::kOk);
  EXPECT_EQ(buffer->Unlock(part1, bytes1, part2, bytes2), pa::kInvalidCall);
  EXPECT_EQ(buffer->Lock(0, 101, &part1, &bytes1, &part2, &bytes2, 0), pa::kInvalidArg);
  EXPECT_EQ(buffer->Lock(100, 1, &part1, &bytes1, &part2, &bytes2, 0), pa::kInvalidArg);
  EXPECT_EQ(buffer->Lock(90, 20, &part1, &bytes1, nullptr, nullptr, 0), pa::kInvalidArg);  // no room for part 2
  buffer->Release();
}

TEST_F(SoundDeviceTest, DuplicatesShareSamplesButPlayOnTheirOwn) {
  std::vector<int16_t> samples(50);
  for (int i = 0; i < 50; ++i) samples[size_t(i)] = int16_t(i * 100);
  pa::SoundBuffer* original = MakeBuffer(device_, pa::PcmFormat(1, 44100, 16), samples.data(), 100);
  ASSERT_NE(original, nullptr);
  original->SetVolume(-10000);  // silent: only the duplicate is heard
  pa::SoundBuffer* duplicate = nullptr;
  ASSERT_EQ(device_->DuplicateSoundBuffer(original, &duplicate), pa::kOk);
  int32_t volume = 0;
  duplicate->GetVolume(&volume);
  EXPECT_EQ(volume, -10000);  // settings are copied
  duplicate->SetVolume(0);
  duplicate->Play(0, 0, 0);
  std::vector<int16_t> out(20);
  pa::MixFrames(out.data(), 10);
  EXPECT_EQ(out[2 * 7], 700);
  EXPECT_EQ(PlayCursor(original), 0u);
  EXPECT_EQ(PlayCursor(duplicate), 20u);
  original->Release();  // the duplicate keeps the samples alive
  pa::MixFrames(out.data(), 10);
  EXPECT_EQ(out[0], 1000);
  duplicate->Release();
}

TEST_F(SoundDeviceTest, BadDescriptionsAreRefused) {
  struct Case {
    const char* name;
    pa::WaveFormat format;
    uint32_t bytes;
    pa::Result expected;
  };
  const Case cases[] = {
      {"24 bits", {1, 1, 8000, 24000, 3, 24, 0}, 300, pa::kBadFormat},
      {"3 channels", {1, 3, 8000, 24000, 3, 8, 0}, 300, pa::kBadFormat},
      {"block align off", {1, 2, 8000, 16000, 4, 8, 0}, 300, pa::kBadFormat},
      {"byte rate off", {1, 1, 8000, 1, 1, 8, 0}, 300, pa::kBadFormat},
      {"not PCM", {2, 1, 8000, 8000, 1, 8, 0}, 300, pa::kBadFormat},
      {"no bytes", pa::PcmFormat(1, 8000, 8), 0, pa::kInvalidArg},
      {"less than a frame", pa::PcmFormat(2, 8000, 16), 3, pa::kInvalidArg},
      {"too large", pa::PcmFormat(1, 8000, 8), 0x10000000, pa::kInvalidArg},
  };
  for (const Case& c : cases) {
    pa::BufferDesc desc;
    desc.bufferBytes = c.bytes;
    desc.format = &c.format;
    pa::SoundBuffer* buffer = nullptr;
    EXPECT_EQ(device_->CreateSoundBuffer(desc, &buffer), c.expected) << c.name;
    EXPECT_EQ(buffer, nullptr) << c.name;
  }
  pa::BufferDesc noFormat;
  noFormat.bufferBytes = 100;
  pa::SoundBuffer* buffer = nullptr;
  EXPECT_EQ(device_->CreateSoundBuffer(noFormat, &buffer), pa::kBadFormat);
}

TEST_F(SoundDeviceTest, PrimaryBufferHoldsTheFormatAndTheListenerDefersUntilCommitted) {
  pa::BufferDesc desc;
  desc.flags = pa::kBufferPrimary | pa::kBufferCtrl3D;
  pa::SoundBuffer* primary = nullptr;
  ASSERT_EQ(device_->CreateSoundBuffer(desc, &primary), pa::kOk);
  const pa::WaveFormat format = pa::PcmFormat(2, 22050, 16);
  EXPECT_EQ(primary->SetFormat(&format), pa::kOk);
  pa::WaveFormat back{};
  primary->GetFormat(&back);
  EXPECT_EQ(std::memcmp(&back, &format, sizeof format), 0);
  pa::Listener* listener = nullptr;
  ASSERT_EQ(primary->GetListener(&listener), pa::kOk);
  primary->Release();  // the listener outlives the buffer it came from

  listener->SetPosition(1, 2, 3, pa::kApplyDeferred);
  listener->SetRolloffFactor(2.0f, pa::kApplyDeferred);
  pa::ListenerSettings settings;
  listener->GetAllParameters(&settings);
  EXPECT_EQ(settings.position.x, 0.0f);
  EXPECT_EQ(settings.rolloffFactor, 1.0f);
  listener->CommitDeferredSettings();
  listener->GetAllParameters(&settings);
  EXPECT_EQ(settings.position.z, 3.0f);
  EXPECT_EQ(settings.rolloffFactor, 2.0f);
  EXPECT_EQ(listener->SetDopplerFactor(4.0f, pa::kApplyImmediate), pa::kOk);
  listener->GetAllParameters(&settings);
  EXPECT_EQ(settings.dopplerFactor, 4.0f);
  EXPECT_EQ(listener->SetRolloffFactor(11.0f, pa::kApplyImmediate), pa::kInvalidArg);
  listener->Release();

  desc.flags = pa::kBufferPrimary;
  ASSERT_EQ(device_->CreateSoundBuffer(desc, &primary), pa::kOk);
  EXPECT_EQ(primary->GetListener(&listener), pa::kInvalidArg);  // no 3D control
  primary->Release();
}

TEST(SoundDeviceWithoutOutput, KeepsItsBuffersSilently) {
  audio_test::ScopedEnv driver("SDL_AUDIODRIVER", "qel-no-such-driver");
  pa::SoundDevice* device = nullptr;
  ASSERT_EQ(pa::SoundDevice::Create(&device), pa::kOk);
  EXPECT_FALSE(device->HasOutput());
  const uint8_t samples[4] = {1, 2, 3, 4};
  pa::SoundBuffer* buffer = MakeBuffer(device, pa::PcmFormat(1, 8000, 8), samples, 4);
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(buffer->Play(0, 0, 0), pa::kOk);
  void* memory = nullptr;
  uint32_t bytes = 0;
  ASSERT_EQ(buffer->Lock(0, 4, &memory, &bytes, nullptr, nullptr, 0), pa::kOk);
  EXPECT_EQ(std::memcmp(memory, samples, 4), 0);
  buffer->Unlock(memory, bytes, nullptr, 0);
  buffer->Release();
  device->Release();
}

}  // namespace
