// The one mixer behind every sound of the process: the sound-device layer's buffers and the sound
// library's channels are voices in it. It owns the SDL audio output (44100 Hz, stereo, 16 bits),
// opened by the first user and closed by the last. Without an output (no audio driver) it still keeps
// its voices, but nothing mixes them: all runs silently.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/audio/voice.h"

namespace platform::audio {

class Mixer {
 public:
  static constexpr uint32_t kOutputRate = 44100;
  static constexpr int kBlockFrames = 1024;
  static constexpr int kHistoryFrames = 1024;  // output kept for the spectrum

  static Mixer& Get();

  // Counts a user; the first opens the output. True when the output is open.
  bool Acquire();
  // The last user closes the output.
  void Release();
  bool HasOutput() const { return device_ != 0; }

  // Voices join and leave the mix (each takes the lock itself).
  void Add(Voice* voice);
  void Remove(Voice* voice);

  // Keeps the audio thread out while voices are changed. Nests.
  void Lock();
  void Unlock();

  // Mixes the next `frames` frames of every voice into `out` (interleaved stereo). The audio thread's
  // work; tests call it themselves with the output paused.
  void Render(int16_t* out, int frames);
  // The last `count` (at most kHistoryFrames) frames mixed, as mono, oldest first.
  void RecentOutput(float* mono, int count);

  // Stops (true) or resumes the audio thread's mixing; the output plays silence meanwhile.
  void PauseOutput(bool pause);

 private:
  void CloseOutput();

  uint32_t device_ = 0;
  int users_ = 0;
  std::vector<Voice*> voices_;
  std::vector<float> scratch_;
  float history_[kHistoryFrames] = {};
  int historyNext_ = 0;
};

class MixerLock {
 public:
  MixerLock() { Mixer::Get().Lock(); }
  ~MixerLock() { Mixer::Get().Unlock(); }
  MixerLock(const MixerLock&) = delete;
  MixerLock& operator=(const MixerLock&) = delete;
};

}  // namespace platform::audio
