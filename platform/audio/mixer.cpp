// The mixer's SDL output and its mixing loop.
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/audio/mixer.h"

namespace platform::audio {

namespace {

void AudioCallback(void* user, Uint8* stream, int bytes) {
  static_cast<Mixer*>(user)->Render(reinterpret_cast<int16_t*>(stream), bytes / 4);
}

}  // namespace

Mixer& Mixer::Get() {
  // Never destroyed: modules are not torn down before the process ends, so the audio thread may
  // still be mixing while static objects go away.
  static Mixer* mixer = new Mixer;
  return *mixer;
}

void Mixer::CloseOutput() {
  if (device_ == 0) return;
  SDL_CloseAudioDevice(device_);  // waits for the audio thread
  device_ = 0;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool Mixer::Acquire() {
  if (users_++ > 0) return HasOutput();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "audio: no output (%s); sounds stay silent\n", SDL_GetError());
    return false;
  }
  SDL_AudioSpec want{};
  want.freq = int(kOutputRate);
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = kBlockFrames;
  want.callback = AudioCallback;
  want.userdata = this;
  SDL_AudioSpec have{};
  // No changes allowed: SDL converts to whatever the hardware takes, so the mix is always the same.
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device_ == 0) {
    std::fprintf(stderr, "audio: cannot open the output (%s); sounds stay silent\n", SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  SDL_PauseAudioDevice(device_, 0);
  // The audio thread stops before the rest of the process is torn down at exit.
  static const bool closedAtExit = std::atexit([] { Get().CloseOutput(); }) == 0;
  (void)closedAtExit;
  return true;
}

void Mixer::Release() {
  if (users_ == 0 || --users_ > 0) return;
  CloseOutput();
  std::fill(std::begin(history_), std::end(history_), 0.0f);
}

void Mixer::Lock() {
  if (device_ != 0) SDL_LockAudioDevice(device_);
}

void Mixer::Unlock() {
  if (device_ != 0) SDL_UnlockAudioDevice(device_);
}

void Mixer::Add(Voice* voice) {
  MixerLock lock;
  if (std::find(voices_.begin(), voices_.end(), voice) == voices_.end()) voices_.push_back(voice);
}

void Mixer::Remove(Voice* voice) {
  MixerLock lock;
  voices_.erase(std::remove(voices_.begin(), voices_.end(), voice), voices_.end());
}

void Mixer::PauseOutput(bool pause) {
  if (device_ != 0) SDL_PauseAudioDevice(device_, pause ? 1 : 0);
}

void Mixer::Render(int16_t* out, int frames) {
  scratch_.assign(size_t(frames) * 2, 0.0f);
  for (Voice* voice : voices_) voice->MixInto(scratch_.data(), frames, kOutputRate);
  for (int i = 0; i < frames; ++i) {
    const float left = scratch_[2 * i], right = scratch_[2 * i + 1];
    out[2 * i] = int16_t(std::clamp(std::lrint(left * 32768.0f), -32768L, 32767L));
    out[2 * i + 1] = int16_t(std::clamp(std::lrint(right * 32768.0f), -32768L, 32767L));
    history_[historyNext_] = 0.5f * (left + right);
    historyNext_ = (historyNext_ + 1) % kHistoryFrames;
  }
}

void Mixer::RecentOutput(float* mono, int count) {
  count = std::clamp(count, 0, kHistoryFrames);
  MixerLock lock;
  int from = (historyNext_ - count + kHistoryFrames) % kHistoryFrames;
  for (int i = 0; i < count; ++i) mono[i] = history_[(from + i) % kHistoryFrames];
}

}  // namespace platform::audio
