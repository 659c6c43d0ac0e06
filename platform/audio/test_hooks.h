// Hooks for tests of the audio layer and the modules above it: mixing on the test's own thread, so
// what is mixed does not depend on when the audio thread runs. Not for the game itself.
#pragma once
#include <cstdint>

#include "platform/audio/mixer.h"

namespace platform::audio {

// Stops (true) or resumes the audio thread's mixing; the output plays silence meanwhile.
inline void PauseMixing(bool pause) { Mixer::Get().PauseOutput(pause); }

// Mixes the next `frames` frames into `out` (interleaved stereo) as the audio thread would.
inline void MixFrames(int16_t* out, int frames) {
  MixerLock lock;
  Mixer::Get().Render(out, frames);
}

inline bool MixerHasOutput() { return Mixer::Get().HasOutput(); }

}  // namespace platform::audio
