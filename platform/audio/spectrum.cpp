// Radix-2 FFT and the band magnitudes.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "platform/audio/spectrum.h"

namespace platform::audio {

void Fft(std::complex<float>* data, size_t count) {
  for (size_t i = 1, j = 0; i < count; ++i) {
    size_t bit = count >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(data[i], data[j]);
  }
  for (size_t length = 2; length <= count; length <<= 1) {
    const double angle = -2.0 * std::numbers::pi / double(length);
    const std::complex<float> unit(float(std::cos(angle)), float(std::sin(angle)));
    for (size_t start = 0; start < count; start += length) {
      std::complex<float> w(1.0f, 0.0f);
      for (size_t k = 0; k < length / 2; ++k) {
        const std::complex<float> even = data[start + k];
        const std::complex<float> odd = data[start + k + length / 2] * w;
        data[start + k] = even + odd;
        data[start + k + length / 2] = even - odd;
        w *= unit;
      }
    }
  }
}

void ComputeSpectrum(const float* window, float* bands) {
  std::complex<float> data[kSpectrumWindow];
  for (int i = 0; i < kSpectrumWindow; ++i) {
    const double hann = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / kSpectrumWindow);
    data[i] = {float(window[i] * hann), 0.0f};
  }
  Fft(data, kSpectrumWindow);
  // A sine splits between the band and its mirror, and the Hann window halves it again.
  constexpr float kScale = 4.0f / kSpectrumWindow;
  for (int k = 0; k < kSpectrumBands; ++k) bands[k] = std::clamp(std::abs(data[k]) * kScale, 0.0f, 1.0f);
}

}  // namespace platform::audio
