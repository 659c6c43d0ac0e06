// The spectrum the sound library reports: 512 bands of the last 1024 frames mixed, from our own FFT.
#pragma once
#include <complex>
#include <cstddef>

namespace platform::audio {

constexpr int kSpectrumBands = 512;
constexpr int kSpectrumWindow = 2 * kSpectrumBands;

// In-place radix-2 FFT; `count` must be a power of two.
void Fft(std::complex<float>* data, size_t count);

// Bands 0..511 of `window` (kSpectrumWindow mono samples, -1..1): band k covers k x rate / 1024 Hz.
// A Hann window is applied and each band is scaled so a sine of amplitude A centred on a band reads
// A there; values are held to 0..1.
void ComputeSpectrum(const float* window, float* bands);

}  // namespace platform::audio
