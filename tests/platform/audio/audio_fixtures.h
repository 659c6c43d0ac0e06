// Shared by the audio tests: generated signals, Ogg Vorbis files made with the encoder, a scratch
// folder made current for the test, and the audio driver chosen per test.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "platform/audio/test_hooks.h"

namespace audio_test {

// Bytes that differ from their neighbours, so a shifted or dropped byte shows.
inline std::vector<uint8_t> Pattern(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = uint8_t(i * 7 + 3);
  return bytes;
}

// `frames` frames of a sine of `amplitude` (0..1) at `hz`, the same on every channel, interleaved.
inline std::vector<float> Sine(double hz, double amplitude, int rate, int frames, int channels = 1) {
  std::vector<float> out;
  for (int i = 0; i < frames; ++i) {
    const float s = float(amplitude * std::sin(2.0 * std::numbers::pi * hz * i / rate));
    for (int c = 0; c < channels; ++c) out.push_back(s);
  }
  return out;
}

inline std::vector<uint8_t> ToPcm16(const std::vector<float>& samples) {
  std::vector<uint8_t> out;
  for (float s : samples) {
    const auto v = int16_t(std::lrint(std::clamp(s, -1.0f, 1.0f) * 32767.0f));
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(uint16_t(v) >> 8));
  }
  return out;
}

// An Ogg Vorbis file of the interleaved samples.
inline std::vector<uint8_t> EncodeOgg(const std::vector<float>& samples, int channels, int rate) {
  std::vector<uint8_t> file;
  vorbis_info info;
  vorbis_info_init(&info);
  EXPECT_EQ(vorbis_encode_init_vbr(&info, channels, rate, 0.5f), 0);
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block block;
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 1);
  ogg_page page;
  ogg_packet packet;
  auto appendPage = [&] {
    file.insert(file.end(), page.header, page.header + page.header_len);
    file.insert(file.end(), page.body, page.body + page.body_len);
  };
  ogg_packet header, headerComment, headerCode;
  vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &headerComment);
  ogg_stream_packetin(&stream, &headerCode);
  while (ogg_stream_flush(&stream, &page)) appendPage();
  auto drain = [&] {
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page)) appendPage();
      }
    }
  };
  const size_t frames = samples.size() / size_t(channels);
  for (size_t at = 0; at < frames; at += 1024) {
    const size_t n = std::min<size_t>(1024, frames - at);
    float** buffer = vorbis_analysis_buffer(&dsp, int(n));
    for (size_t i = 0; i < n; ++i)
      for (int c = 0; c < channels; ++c) buffer[c][i] = samples[(at + i) * size_t(channels) + size_t(c)];
    vorbis_analysis_wrote(&dsp, int(n));
    drain();
  }
  vorbis_analysis_wrote(&dsp, 0);
  drain();
  while (ogg_stream_flush(&stream, &page)) appendPage();
  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return file;
}

// Peak of the next `frames` frames the mixer makes, left and right, as a fraction of full scale.
inline std::pair<float, float> MixPeak(int frames) {
  std::vector<int16_t> out(size_t(frames) * 2);
  platform::audio::MixFrames(out.data(), frames);
  int left = 0, right = 0;
  for (size_t i = 0; i < out.size(); i += 2) {
    left = std::max(left, std::abs(int(out[i])));
    right = std::max(right, std::abs(int(out[i + 1])));
  }
  return {float(left) / 32767.0f, float(right) / 32767.0f};
}

inline void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// SDL_AUDIODRIVER (and any other variable) set for one scope; the test run's own value comes back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old, hadOld_ = true;
    setenv(name, value, 1);
  }
  ~ScopedEnv() {
    if (hadOld_) {
      setenv(name_.c_str(), old_.c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }

 private:
  std::string name_, old_;
  bool hadOld_ = false;
};

// A fresh folder per test, current for the test's duration.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = std::filesystem::temp_directory_path() / "qel-audio-test-XXXXXX";
    EXPECT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(root_);
  }
  ~ScratchFolder() {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(root_);
  }
  const std::filesystem::path& Root() const { return root_; }

 private:
  std::filesystem::path root_, previous_;
};

}  // namespace audio_test
