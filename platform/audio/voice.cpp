// Resampling and mixing of one voice.
#include <cmath>

#include "platform/audio/voice.h"

namespace platform::audio {

namespace {

void ReadFrame(const PcmView& pcm, uint64_t index, float& left, float& right) {
  const size_t sample = size_t(index) * pcm.channels;
  if (pcm.bits == 8) {
    left = float(int(pcm.data[sample]) - 128) * (1.0f / 128.0f);
    right = pcm.channels == 2 ? float(int(pcm.data[sample + 1]) - 128) * (1.0f / 128.0f) : left;
  } else {
    const auto* s = reinterpret_cast<const int16_t*>(pcm.data);
    left = float(s[sample]) * (1.0f / 32768.0f);
    right = pcm.channels == 2 ? float(s[sample + 1]) * (1.0f / 32768.0f) : left;
  }
}

}  // namespace

float DecibelGain(int32_t hundredths) {
  if (hundredths <= -10000) return 0.0f;
  if (hundredths >= 0) return 1.0f;
  return std::pow(10.0f, float(hundredths) / 2000.0f);
}

void Voice::MixInto(float* out, int frames, uint32_t outputRate) {
  peakLeft = peakRight = 0.0f;
  if (!playing || outputRate == 0 || (!streaming_ && !pcm.data)) return;
  const uint64_t step = (uint64_t(rate) << 32) / outputRate;
  for (int i = 0; i < frames; ++i) {
    uint64_t index = position >> 32;
    uint64_t next;
    if (streaming_) {
      // Interpolation needs the frame after the current one, so a window is used up one frame early.
      while (index + 1 >= pcm.frames) {
        if (!NextChunk()) {
          playing = false;
          position = 0;
          return;
        }
        index = position >> 32;
      }
      next = index + 1;
    } else {
      if (index >= pcm.frames) {
        if (!looping || pcm.frames == 0) {
          playing = false;
          position = 0;
          return;
        }
        position %= uint64_t(pcm.frames) << 32;
        index = position >> 32;
      }
      next = index + 1 < pcm.frames ? index + 1 : (looping ? 0 : index);
    }
    float l0, r0, l1, r1;
    ReadFrame(pcm, index, l0, r0);
    ReadFrame(pcm, next, l1, r1);
    const float t = float(uint32_t(position)) * (1.0f / 4294967296.0f);
    const float left = (l0 + (l1 - l0) * t) * gainLeft;
    const float right = (r0 + (r1 - r0) * t) * gainRight;
    out[2 * i] += left;
    out[2 * i + 1] += right;
    peakLeft = std::fmax(peakLeft, std::fabs(left));
    peakRight = std::fmax(peakRight, std::fabs(right));
    position += step;
  }
}

}  // namespace platform::audio
