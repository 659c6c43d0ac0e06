// The game's music: five looping tracks, composed here from a key, a chord progression and a few
// style settings, and played by a small set of synthesised instruments. The tempo is one beat every
// 376 ms, the beat on which the game's visualiser turns and the pickups pulse.
#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "tools/assetgen/generators.h"
#include "tools/assetgen/random.h"
#include "tools/assetgen/synth.h"

namespace {

constexpr double kBeat = 0.376;
constexpr double kSixteenth = kBeat / 4;
constexpr double kBar = kBeat * 4;

enum class Instrument { kKick, kSnare, kHat, kOpenHat, kBass, kPad, kPluck, kLead, kBell };

struct Note {
  double start;     // seconds
  double length;    // seconds
  double pitch;     // MIDI note
  double velocity;  // 0..1
  Instrument instrument;
  float pan = 0;
};

struct Style {
  const char* file;
  int tonic;  // MIDI note of the key's first degree, in the bass's octave
  bool minor;
  std::array<int, 4> chords;  // scale degrees of the progression's roots
  int barsPerChord;
  int bars;
  bool fourOnTheFloor;
  bool sixteenthHats;
  bool leadIsBell;      // a soft bell instead of the synth lead
  double bassDrive;     // how far the bass's filter opens
  uint32_t seed;
};

const int kMajor[] = {0, 2, 4, 5, 7, 9, 11};
const int kMinor[] = {0, 2, 3, 5, 7, 8, 10};

// A scale degree (any integer) as a MIDI note above the tonic.
int Degree(const Style& s, int degree) {
  const int octave = degree >= 0 ? degree / 7 : (degree - 6) / 7;
  const int step = degree - octave * 7;
  return s.tonic + 12 * octave + (s.minor ? kMinor : kMajor)[step];
}

class Composer {
 public:
  explicit Composer(const Style& style) : s_(style), random_(style.seed) {}

  std::vector<Note> Compose() {
    MakeMotifs();
    for (int bar = 0; bar < s_.bars; ++bar) {
      const int section = bar * 4 / s_.bars;  // four sections of equal length
      const int chord = s_.chords[size_t((bar / s_.barsPerChord) % 4)];
      const double t = bar * kBar;
      Drums(t, bar, section);
      Bass(t, chord, section);
      if (bar % s_.barsPerChord == 0) Pad(t, chord);
      if (section >= 1) Arpeggio(t, chord, section);
      if (section == 2 || (section == 3 && bar % 2 == 0)) Melody(t, bar, chord);
    }
    return notes_;
  }

 private:
  void Add(double start, double length, double pitch, double velocity, Instrument instrument, float pan = 0) {
    notes_.push_back({start, length, pitch, velocity, instrument, pan});
  }

  void Drums(double t, int bar, int section) {
    const bool last = bar == s_.bars - 1;
    for (int step = 0; step < 16; ++step) {
      const double at = t + step * kSixteenth;
      const bool beat = step % 4 == 0;
      if (s_.fourOnTheFloor ? beat : (step == 0 || step == 10 || (step == 8 && section >= 2)))
        Add(at, 0.3, 0, 1.0, Instrument::kKick);
      if (section >= 1 && (step == 4 || step == 12)) Add(at, 0.2, 0, 0.8, Instrument::kSnare);
      if (last && step >= 12) Add(at, 0.1, 0, 0.5 + 0.1 * (step - 12), Instrument::kSnare);  // a fill into the loop
      const bool hat = s_.sixteenthHats ? section >= 2 || step % 2 == 0 : step % 2 == 0;
      if (hat && !beat) Add(at, 0.05, 0, step % 4 == 2 ? 0.6 : 0.35, Instrument::kHat, 0.3f);
      if (section >= 2 && step == 14) Add(at, 0.2, 0, 0.4, Instrument::kOpenHat, -0.3f);
    }
  }

  void Bass(double t, int chord, int section) {
    static const int kPattern[] = {0, -1, 0, 0, -1, 0, 7, -1, 0, -1, 0, 12, -1, 0, 7, 5};
    for (int step = 0; step < 16; ++step) {
      const int interval = kPattern[step];
      if (interval < 0 || (section == 0 && step % 4 != 0)) continue;
      const double pitch = Degree(s_, chord) - 12 + interval;
      Add(t + step * kSixteenth, kSixteenth * 1.6, pitch, step % 4 == 0 ? 1.0 : 0.75, Instrument::kBass);
    }
  }

  void Pad(double t, int chord) {
    for (int k = 0; k < 3; ++k) {
      const float pan = float(k - 1) * 0.5f;
      Add(t, s_.barsPerChord * kBar, Degree(s_, chord + 2 * k) + 12, 0.5, Instrument::kPad, pan);
    }
    Add(t, s_.barsPerChord * kBar, Degree(s_, chord + 7) + 12, 0.3, Instrument::kPad, 0);
  }

  void Arpeggio(double t, int chord, int section) {
    static const int kUpDown[] = {0, 2, 4, 7, 9, 7, 4, 2};
    for (int step = 0; step < 16; ++step) {
      if (section == 3 && step % 2) continue;
      const int degree = chord + kUpDown[step % 8];
      const float pan = step % 2 ? 0.45f : -0.45f;
      Add(t + step * kSixteenth, kSixteenth * 0.9, Degree(s_, degree) + 24, step % 4 == 0 ? 0.7 : 0.45,
          Instrument::kPluck, pan);
    }
  }

  // Two-bar phrases, each a rhythm with scale steps; the first comes back, the second answers it.
  struct Motif {
    std::vector<std::pair<int, int>> notes;  // sixteenth, length in sixteenths
    std::vector<int> steps;                  // scale steps relative to the chord's root
  };

  void MakeMotifs() {
    for (Motif& motif : motifs_) {
      int at = 0, degree = random_.Int(2, 4);
      while (at < 30) {
        const int length = std::array<int, 4>{2, 2, 4, 6}[size_t(random_.Int(0, 3))];
        if (random_.Unit() < 0.15) {
          at += 2;  // a rest
          continue;
        }
        motif.notes.push_back({at, std::min(length, 32 - at)});
        degree += random_.Int(-2, 2);
        degree = std::max(-1, std::min(degree, 7));
        motif.steps.push_back(degree);
        at += length;
      }
    }
  }

  void Melody(double t, int bar, int chord) {
    if (bar % 2) return;  // each phrase covers two bars
    const Motif& motif = motifs_[size_t((bar / 2) % 4 == 1 || (bar / 2) % 4 == 3 ? 1 : 0)];
    for (size_t i = 0; i < motif.notes.size(); ++i) {
      const auto [at, length] = motif.notes[i];
      // Notes on the beat fall on the chord's tones.
      int step = motif.steps[i];
      if (at % 4 == 0) step = (step + 1) / 2 * 2;
      Add(t + at * kSixteenth, length * kSixteenth * 0.95, Degree(s_, chord + step) + 24, 0.8,
          s_.leadIsBell ? Instrument::kBell : Instrument::kLead, 0.1f);
    }
  }

  const Style& s_;
  Random random_;
  std::array<Motif, 2> motifs_;
  std::vector<Note> notes_;
};

// ---- Instruments ----

void PlayNote(Audio& out, const Note& n, const Style& style, uint32_t seed) {
  const size_t first = size_t(n.start * kRate);
  const double f = NoteFrequency(n.pitch);
  Noise noise(seed);
  Filter filter, second;
  double phase = 0, phase2 = 0, phase3 = 0;
  const auto render = [&](double seconds, const std::function<double(double)>& sample) {
    const size_t count = size_t(seconds * kRate);
    for (size_t i = 0; i < count; ++i) out.Mix(first + i, float(sample(double(i) / kRate) * n.velocity), n.pan);
  };
  switch (n.instrument) {
    case Instrument::kKick:
      render(0.35, [&](double t) {
        phase = std::fmod(phase + (45 + 110 * std::exp(-t / 0.03)) / kRate, 1.0);
        return 0.9 * Decay(t, 0.001, 0.07) * std::sin(2 * M_PI * phase) + 0.2 * Decay(t, 0.0005, 0.004) * noise.Next();
      });
      break;
    case Instrument::kSnare:
      render(0.25, [&](double t) {
        const double body = Decay(t, 0.001, 0.03) * std::sin(2 * M_PI * 190 * t);
        const double rattle = filter.Step(noise.Next(), 2200, 0.9, Filter::kBandPass) * Decay(t, 0.001, 0.05);
        return 0.35 * body + 0.9 * rattle;
      });
      break;
    case Instrument::kHat:
    case Instrument::kOpenHat: {
      const double halfLife = n.instrument == Instrument::kHat ? 0.012 : 0.06;
      render(halfLife * 8, [&](double t) {
        return 0.35 * filter.Step(noise.Next(), 7500, 0.8, Filter::kHighPass) * Decay(t, 0.0005, halfLife);
      });
      break;
    }
    case Instrument::kBass:
      render(n.length + 0.05, [&](double t) {
        phase = std::fmod(phase + f / kRate, 1.0);
        phase2 = std::fmod(phase2 + f / 2 / kRate, 1.0);
        const double envelope = Envelope(t, 0.004, n.length - 0.02, 0.05);
        const double cutoff = 180 + style.bassDrive * 1800 * Decay(t, 0.001, 0.05);
        const double raw = 0.6 * Saw(phase, f / kRate) + 0.5 * std::sin(2 * M_PI * phase2);
        return 0.5 * envelope * filter.Step(float(raw), cutoff, 2.2, Filter::kLowPass);
      });
      break;
    case Instrument::kPad:
      render(n.length + 0.8, [&](double t) {
        const double detune = 1.006;
        phase = std::fmod(phase + f / kRate, 1.0);
        phase2 = std::fmod(phase2 + f * detune / kRate, 1.0);
        phase3 = std::fmod(phase3 + f / detune / kRate, 1.0);
        const double raw = Saw(phase, f / kRate) + Saw(phase2, f / kRate) + Saw(phase3, f / kRate);
        const double cutoff = 900 + 600 * std::sin(2 * M_PI * t / (4 * kBar));
        return 0.09 * Envelope(t, 0.35, n.length - 0.35, 0.8) * filter.Step(float(raw), cutoff, 0.9, Filter::kLowPass);
      });
      break;
    case Instrument::kPluck:
      render(0.35, [&](double t) {
        phase = std::fmod(phase + f / kRate, 1.0);
        const double cutoff = 600 + 4200 * Decay(t, 0.001, 0.04);
        return 0.22 * Decay(t, 0.002, 0.07) * filter.Step(float(Pulse(phase, f / kRate, 0.3)), cutoff, 1.4, Filter::kLowPass);
      });
      break;
    case Instrument::kLead:
      render(n.length + 0.25, [&](double t) {
        const double vibrato = 1 + 0.004 * std::sin(2 * M_PI * 5.5 * t) * std::min(1.0, t / 0.3);
        phase = std::fmod(phase + f * vibrato / kRate, 1.0);
        phase2 = std::fmod(phase2 + f * 1.003 * vibrato / kRate, 1.0);
        const double raw = 0.6 * Saw(phase, f / kRate) + 0.5 * Pulse(phase2, f / kRate, 0.5);
        const double filtered = filter.Step(float(raw), 2600, 1.2, Filter::kLowPass);
        return 0.22 * Envelope(t, 0.015, n.length - 0.015, 0.2) * filtered;
      });
      break;
    case Instrument::kBell:
      render(n.length + 0.9, [&](double t) {
        const double modulator = std::sin(2 * M_PI * f * 3.5 * t) * 1.6 * Decay(t, 0.001, 0.15);
        return 0.3 * Decay(t, 0.002, 0.35) * std::sin(2 * M_PI * f * t + modulator);
      });
      break;
  }
}

// Renders the loop twice and keeps the second time through, so echoes and reverb from its end ring on
// into its start and the loop joins without a seam.
Audio Render(const Style& style, const std::vector<Note>& notes) {
  const double loop = style.bars * kBar;
  Audio drums(2, 2 * loop + 2), tonal(2, 2 * loop + 2), spacious(2, 2 * loop + 2), echoed(2, 2 * loop + 2);
  uint32_t seed = 1;
  for (int pass = 0; pass < 2; ++pass) {
    for (Note n : notes) {
      n.start += pass * loop;
      switch (n.instrument) {
        case Instrument::kKick: case Instrument::kSnare: case Instrument::kHat: case Instrument::kOpenHat:
          PlayNote(drums, n, style, seed++);
          break;
        case Instrument::kBass:
          PlayNote(tonal, n, style, seed++);
          break;
        case Instrument::kPad:
          PlayNote(spacious, n, style, seed++);
          break;
        case Instrument::kPluck: case Instrument::kLead: case Instrument::kBell:
          PlayNote(echoed, n, style, seed++);
          break;
      }
    }
  }
  Echo(echoed, kBeat * 0.75, 0.35, 0.45);
  Reverb(echoed, 1.0, 0.5);
  Reverb(spacious, 1.2, 0.9);
  Reverb(drums, 0.6, 0.15);
  const size_t start = size_t(loop * kRate), frames = size_t(loop * kRate);
  Audio mix(2, 0);
  mix.samples.resize(frames * 2);
  for (size_t i = 0; i < frames * 2; ++i) {
    const size_t j = start * 2 + i;
    mix.samples[i] = drums.samples[j] * 0.9f + tonal.samples[j] * 0.85f + spacious.samples[j] + echoed.samples[j] * 0.8f;
  }
  Normalise(mix, 0.9);
  return mix;
}

}  // namespace

void MakeMusic(const Output& out) {
  const Style songs[] = {
      // The menu.
      {"Dj Varn - Raduziravu Dadirir.ogg", 45, true, {0, 5, 2, 6}, 2, 32, true, false, false, 0.5, 101},
      // Tutorial.
      {"Qel - First Light.ogg", 48, false, {0, 4, 5, 3}, 2, 32, false, false, true, 0.3, 202},
      // Beginner.
      {"Qel - Paint Runner.ogg", 40, true, {0, 3, 6, 2}, 1, 32, false, true, false, 0.7, 303},
      // Advanced; also the editor's first choice for a new map.
      {"The Advanced - Qel.ogg", 38, true, {0, 6, 5, 4}, 2, 32, true, true, false, 0.8, 404},
      // Expert.
      {"Qel - Expert Pulse.ogg", 42, true, {0, 5, 3, 4}, 1, 32, true, true, false, 1.0, 505},
  };
  for (const Style& song : songs) {
    const std::vector<Note> notes = Composer(song).Compose();
    out.WriteBytes(std::string("Music\\") + song.file, EncodeVorbis(Render(song, notes), 0.0f));
  }
}
