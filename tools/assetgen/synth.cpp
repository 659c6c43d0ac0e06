#include "tools/assetgen/synth.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tools/assetgen/output.h"

void Audio::Mix(size_t frame, float value, float pan) {
  if (frame >= Frames()) return;
  if (channels == 1) {
    samples[frame] += value;
    return;
  }
  // Constant-power pan.
  const double angle = (std::clamp(pan, -1.0f, 1.0f) + 1) * M_PI / 4;
  samples[frame * 2] += float(value * std::cos(angle) * M_SQRT2);
  samples[frame * 2 + 1] += float(value * std::sin(angle) * M_SQRT2);
}

double NoteFrequency(double midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69) / 12); }

namespace {
// Smooths the jump of a waveform at phase 0 over one sample either side.
double PolyBlep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1;
  }
  if (t > 1 - dt) {
    t = (t - 1) / dt;
    return t * t + t + t + 1;
  }
  return 0;
}
}  // namespace

double Saw(double phase, double step) { return 2 * phase - 1 - PolyBlep(phase, step); }

double Pulse(double phase, double step, double width) {
  double v = phase < width ? 1 : -1;
  v += PolyBlep(phase, step);
  v -= PolyBlep(std::fmod(phase + 1 - width, 1.0), step);
  return v;
}

double Triangle(double phase) { return 1 - 4 * std::abs(phase - 0.5); }

double Decay(double t, double attack, double halfLife) {
  if (t < 0) return 0;
  if (t < attack) return t / attack;
  return std::pow(0.5, (t - attack) / halfLife);
}

double Envelope(double t, double attack, double hold, double release) {
  if (t < 0) return 0;
  if (t < attack) return t / attack;
  if (t < attack + hold) return 1;
  const double r = (t - attack - hold) / release;
  return r < 1 ? (1 - r) * (1 - r) : 0;
}

float Filter::Step(float input, double cutoff, double resonance, Kind kind) {
  // Chamberlin's form, run twice per sample for stability at high cutoffs.
  const double f = 2 * std::sin(M_PI * std::min(cutoff, kRate / 6.0) / (2.0 * kRate));
  const double q = 1 / std::max(0.5, resonance);
  double high = 0;
  for (int pass = 0; pass < 2; ++pass) {
    low_ += f * band_;
    high = input - low_ - q * band_;
    band_ += f * high;
  }
  return float(kind == kLowPass ? low_ : kind == kBandPass ? band_ : high);
}

void Echo(Audio& audio, double seconds, double feedback, double mix) {
  const size_t delay = size_t(seconds * kRate);
  const size_t frames = audio.Frames();
  for (int c = 0; c < audio.channels; ++c) {
    const size_t d = delay + (c == 1 ? delay / 3 : 0);
    std::vector<float> line(d, 0.0f);
    for (size_t i = 0; i < frames; ++i) {
      float& s = audio.samples[i * audio.channels + c];
      const float delayed = line[i % d];
      line[i % d] = float(s + delayed * feedback);
      s += float(delayed * mix);
    }
  }
}

void Reverb(Audio& audio, double size, double mix) {
  static const int kCombs[] = {1116, 1188, 1277, 1356};
  static const int kAllPasses[] = {556, 441};
  const size_t frames = audio.Frames();
  for (int c = 0; c < audio.channels; ++c) {
    std::vector<float> wet(frames, 0.0f);
    for (int comb : kCombs) {
      const size_t length = size_t((comb + c * 23) * size);
      std::vector<float> line(length, 0.0f);
      float damp = 0;
      for (size_t i = 0; i < frames; ++i) {
        const float out = line[i % length];
        damp = out * 0.7f + damp * 0.3f;
        line[i % length] = audio.samples[i * audio.channels + c] * 0.3f + damp * 0.78f;
        wet[i] += out;
      }
    }
    for (int pass : kAllPasses) {
      const size_t length = size_t(pass * size);
      std::vector<float> line(length, 0.0f);
      for (size_t i = 0; i < frames; ++i) {
        const float buffered = line[i % length];
        line[i % length] = wet[i] + buffered * 0.5f;
        wet[i] = buffered - wet[i];
      }
    }
    for (size_t i = 0; i < frames; ++i) audio.samples[i * audio.channels + c] += float(wet[i] * mix * 0.25);
  }
}

void Normalise(Audio& audio, double peak) {
  float loudest = 0;
  for (float s : audio.samples) loudest = std::max(loudest, std::abs(s));
  if (loudest <= 0) return;
  const double gain = peak / loudest;
  for (float& s : audio.samples) s = float(std::tanh(s * gain * 1.1) / std::tanh(1.1));
}

std::vector<uint8_t> EncodeVorbis(const Audio& audio, float quality) {
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, audio.channels, kRate, quality) != 0) Fail("the Vorbis encoder refused its settings");
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_comment_add_tag(&comment, "ENCODER", "qel assetgen");
  vorbis_dsp_state dsp;
  vorbis_block block;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 0x71656C);  // fixed, so every run writes the same bytes
  std::vector<uint8_t> out;
  const auto append = [&](const ogg_page& page) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
  };
  ogg_packet header, headerComment, headerCode;
  vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &headerComment);
  ogg_stream_packetin(&stream, &headerCode);
  ogg_page page;
  while (ogg_stream_flush(&stream, &page)) append(page);

  const size_t frames = audio.Frames();
  constexpr size_t kChunk = 4096;
  bool finished = false, ended = false;
  for (size_t done = 0; !ended;) {
    if (done < frames) {
      const size_t count = std::min(kChunk, frames - done);
      float** buffer = vorbis_analysis_buffer(&dsp, int(count));
      for (size_t i = 0; i < count; ++i)
        for (int c = 0; c < audio.channels; ++c) buffer[c][i] = audio.samples[(done + i) * audio.channels + c];
      vorbis_analysis_wrote(&dsp, int(count));
      done += count;
    } else if (!finished) {
      vorbis_analysis_wrote(&dsp, 0);  // the end of the stream
      finished = true;
    } else {
      break;  // everything is out
    }
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page)) {
          append(page);
          if (ogg_page_eos(&page)) ended = true;
        }
      }
    }
  }
  while (ogg_stream_flush(&stream, &page)) append(page);
  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}
