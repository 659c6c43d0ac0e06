// Sound made from nothing: oscillators, envelopes, filters and effects writing into float buffers, and
// the Ogg Vorbis encoder that stores them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kRate = 44100;

// Interleaved frames of one or two channels, -1..1.
struct Audio {
  int channels = 1;
  std::vector<float> samples;

  explicit Audio(int channelCount = 1, double seconds = 0)
      : channels(channelCount), samples(size_t(seconds * kRate) * channelCount, 0.0f) {}
  size_t Frames() const { return samples.size() / channels; }
  // Adds a mono signal at a frame with a pan from -1 (left) to 1 (right).
  void Mix(size_t frame, float value, float pan = 0);
};

double NoteFrequency(double midiNote);

// Band-limited waveforms by phase (0..1) and the phase step per sample.
double Saw(double phase, double step);
double Pulse(double phase, double step, double width);
double Triangle(double phase);

// A linear attack, then an exponential fall with the given half-life, all in seconds.
double Decay(double t, double attack, double halfLife);
// Attack, hold at full, release to nothing.
double Envelope(double t, double attack, double hold, double release);

// A resonant state-variable filter, stepped one sample at a time.
class Filter {
 public:
  enum Kind { kLowPass, kBandPass, kHighPass };
  float Step(float input, double cutoff, double resonance, Kind kind);

 private:
  double low_ = 0, band_ = 0;
};

// A white noise source with its own seed.
class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed * 747796405u + 2891336453u) {}
  float Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return float(int32_t(state_) / 2147483648.0);
  }

 private:
  uint32_t state_;
};

// Echoes of the whole buffer: feedback delay, the right channel later than the left for width.
void Echo(Audio& audio, double seconds, double feedback, double mix);
// A small room: parallel combs into all-passes.
void Reverb(Audio& audio, double size, double mix);
// Scales the loudest sample to `peak` and rounds off anything that would still clip.
void Normalise(Audio& audio, double peak);

// Ogg Vorbis at the given quality (-0.1 to 1); the stream serial number is fixed, so the same sound
// always gives the same file.
std::vector<uint8_t> EncodeVorbis(const Audio& audio, float quality);
