// One source of the mixer: PCM frames played at their own rate, resampled linearly to the output
// rate, with a gain per side. Sound buffers, library samples and streams are voices.
#pragma once
#include <cstdint>

namespace platform::audio {

// Frames a voice plays: 8-bit unsigned or 16-bit signed samples, 1 or 2 channels interleaved.
struct PcmView {
  const uint8_t* data = nullptr;
  uint32_t frames = 0;
  uint16_t channels = 1;
  uint16_t bits = 16;
};

// The fields are shared with the audio thread: change them only while holding a MixerLock.
class Voice {
 public:
  virtual ~Voice() = default;

  // Adds `frames` stereo frames into `out`, and keeps the block's peak per side in peakLeft/Right.
  // A voice that is not looping stops at its end, its position back at 0.
  void MixInto(float* out, int frames, uint32_t outputRate);

  PcmView pcm;
  uint32_t rate = 44100;  // frames per second of `pcm`
  uint64_t position = 0;  // frame position, 32.32 fixed point
  float gainLeft = 1.0f, gainRight = 1.0f;
  bool playing = false;
  bool looping = false;
  float peakLeft = 0.0f, peakRight = 0.0f;  // 0..1 (more when the gain is above 1)

 protected:
  // Streams: `pcm` is a window of decoded frames. When the position reaches its last frame, NextChunk
  // puts a new window in `pcm` that begins with that last frame and moves `position` back to match;
  // false when the stream has ended (the voice then stops).
  virtual bool NextChunk() { return false; }
  bool streaming_ = false;
};

// Gain of a level in hundredths of a decibel (0 full, -10000 or less silent).
float DecibelGain(int32_t hundredths);

}  // namespace platform::audio
