// The format block of a RIFF "WAVE" file, as the engine hands it between its sound and memory-block
// modules: 18 bytes, little-endian, no padding. Values keep the file format's own numbers.
#pragma once
#include <cstdint>

namespace platform::audio {

constexpr uint16_t kWaveFormatPcm = 1;

#pragma pack(push, 1)
struct WaveFormat {
  uint16_t formatTag;         // 1: PCM
  uint16_t channels;          // 1 mono, 2 stereo
  uint32_t samplesPerSecond;  // frames per second
  uint32_t avgBytesPerSecond;
  uint16_t blockAlign;        // bytes per frame
  uint16_t bitsPerSample;
  uint16_t extraSize;         // bytes of format data after these 18 (0 for PCM)
};
#pragma pack(pop)
static_assert(sizeof(WaveFormat) == 18);

// The PCM format of the given shape, its derived fields filled in.
constexpr WaveFormat PcmFormat(uint16_t channels, uint32_t rate, uint16_t bits) {
  const uint16_t align = uint16_t(channels * (bits / 8));
  return WaveFormat{kWaveFormatPcm, channels, rate, rate * align, align, bits, 0};
}

// True for the PCM shapes the mixer plays: 8 or 16 bits, 1 or 2 channels, a rate of 1 Hz to 1 MHz,
// and block align and byte rate that agree with them.
constexpr bool IsPlayablePcm(const WaveFormat& f) {
  return f.formatTag == kWaveFormatPcm && (f.channels == 1 || f.channels == 2) &&
         (f.bitsPerSample == 8 || f.bitsPerSample == 16) && f.samplesPerSecond >= 1 &&
         f.samplesPerSecond <= 1000000 && f.blockAlign == f.channels * (f.bitsPerSample / 8) &&
         f.avgBytesPerSecond == f.samplesPerSecond * f.blockAlign;
}

}  // namespace platform::audio
