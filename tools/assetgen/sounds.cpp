// The six sound effects, each a short synthesised mono sound.
#include <cmath>

#include "tools/assetgen/generators.h"
#include "tools/assetgen/synth.h"

namespace {

// A launch: noise swept upwards through a band-pass over a rising buzz.
Audio Boost() {
  Audio a(1, 0.75);
  Noise noise(1);
  Filter band, body;
  double phase = 0;
  for (size_t i = 0; i < a.Frames(); ++i) {
    const double t = double(i) / kRate, k = t / 0.75;
    const double envelope = Envelope(t, 0.03, 0.25, 0.45);
    const double frequency = 180 + 700 * k * k;
    phase = std::fmod(phase + frequency / kRate, 1.0);
    const double buzz = body.Step(float(Saw(phase, frequency / kRate)), 900 + 3000 * k, 1.5, Filter::kLowPass);
    const double air = band.Step(noise.Next(), 300 + 5200 * k, 3.0, Filter::kBandPass);
    a.samples[i] = float(envelope * (0.45 * buzz + 0.9 * air));
  }
  return a;
}

// A shimmer that falls and rises again, with echoes.
Audio Teleporter() {
  Audio a(1, 1.3);
  double carrier = 0, modulator = 0;
  for (size_t i = 0; i < a.Frames(); ++i) {
    const double t = double(i) / kRate;
    const double sweep = 0.5 + 0.5 * std::cos(t / 0.9 * 2 * M_PI);  // down, then up
    const double frequency = 300 + 900 * sweep;
    modulator = std::fmod(modulator + frequency * 1.5 / kRate, 1.0);
    carrier = std::fmod(carrier + (frequency + 400 * std::sin(2 * M_PI * modulator)) / kRate, 1.0);
    const double tremolo = 0.7 + 0.3 * std::sin(2 * M_PI * 18 * t);
    a.samples[i] = float(Envelope(t, 0.02, 0.5, 0.4) * tremolo * 0.6 * std::sin(2 * M_PI * carrier));
  }
  Echo(a, 0.11, 0.45, 0.5);
  return a;
}

// Paint caught: two liquid bloops.
Audio Paint() {
  Audio a(1, 0.5);
  for (int drop = 0; drop < 2; ++drop) {
    const double start = drop * 0.09, top = drop ? 900 : 650;
    double phase = 0;
    for (size_t i = size_t(start * kRate); i < a.Frames(); ++i) {
      const double t = double(i) / kRate - start;
      const double frequency = 220 + (top - 220) * std::exp(-t / 0.05);
      phase = std::fmod(phase + frequency / kRate, 1.0);
      a.samples[i] += float(Decay(t, 0.004, 0.05) * 0.7 * std::sin(2 * M_PI * phase));
    }
  }
  return a;
}

// Plasma collected: a quick rising chime of three bell notes.
Audio Plasma() {
  Audio a(1, 0.8);
  const double notes[] = {88, 92, 95};  // E6, G#6, B6
  for (int n = 0; n < 3; ++n) {
    const double start = n * 0.06, f = NoteFrequency(notes[n]);
    for (size_t i = size_t(start * kRate); i < a.Frames(); ++i) {
      const double t = double(i) / kRate - start;
      const double bell = std::sin(2 * M_PI * f * t) + 0.4 * std::sin(2 * M_PI * f * 2.76 * t) * std::exp(-t / 0.08);
      a.samples[i] += float(Decay(t, 0.002, 0.12) * 0.35 * bell);
    }
  }
  return a;
}

// Paint delivered to the goal pad: a low thump under a bright major chord.
Audio Delivery() {
  Audio a(1, 1.2);
  const double chord[] = {60, 64, 67, 72};
  for (size_t i = 0; i < a.Frames(); ++i) {
    const double t = double(i) / kRate;
    double v = 0.8 * Decay(t, 0.005, 0.08) * std::sin(2 * M_PI * (55 + 60 * std::exp(-t / 0.05)) * t);
    for (double note : chord) {
      const double f = NoteFrequency(note + 12);
      v += 0.16 * Envelope(t, 0.06, 0.35, 0.7) * (std::sin(2 * M_PI * f * t) + 0.3 * std::sin(4 * M_PI * f * t));
    }
    a.samples[i] = float(v);
  }
  return a;
}

// The ball destroyed: a blast of noise closing down over a falling thump and a sinking tone.
Audio Death() {
  Audio a(1, 1.7);
  Noise noise(6);
  Filter blast;
  double phase = 0, tone = 0;
  for (size_t i = 0; i < a.Frames(); ++i) {
    const double t = double(i) / kRate;
    const double cutoff = 200 + 5000 * std::exp(-t / 0.25);
    const double crash = blast.Step(noise.Next(), cutoff, 0.8, Filter::kLowPass) * Decay(t, 0.002, 0.3);
    const double thump = 40 + 90 * std::exp(-t / 0.15);
    phase = std::fmod(phase + thump / kRate, 1.0);
    const double sinking = 440 * std::exp(-t / 0.6);
    tone = std::fmod(tone + sinking / kRate, 1.0);
    a.samples[i] = float(1.2 * crash + 0.8 * Decay(t, 0.003, 0.25) * std::sin(2 * M_PI * phase) +
                         0.2 * Envelope(t, 0.1, 0.4, 1.0) * Triangle(tone));
  }
  return a;
}

void Write(const Output& out, const std::string& name, Audio audio) {
  Normalise(audio, 0.85);
  out.WriteBytes("Sound\\" + name, EncodeVorbis(audio, 0.4f));
}

}  // namespace

void MakeSounds(const Output& out) {
  Write(out, "Boost.ogg", Boost());
  Write(out, "Teleporter.ogg", Teleporter());
  Write(out, "Paint.ogg", Paint());
  Write(out, "Plasma.ogg", Plasma());
  Write(out, "Door.ogg", Delivery());
  Write(out, "PlayerDie.ogg", Death());
}
