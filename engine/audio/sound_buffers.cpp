// Making a sound's buffers from a wave file and filling them.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "engine/audio/sound_state.h"

namespace pa = platform::audio;

SoundBuffers::~SoundBuffers() {
  for (pa::SoundBuffer* buffer : buffers) {
    if (buffer) buffer->Release();
  }
}

pa::Result RestoreLostBuffer(pa::SoundBuffer* buffer) {
  uint32_t status = 0;
  pa::Result result = buffer->GetStatus(&status);
  if (pa::Failed(result) || !(status & pa::kStatusBufferLost)) return result;
  // Bounded, so a buffer that never comes back cannot hang the frame.
  for (int tries = 0; tries < 500; ++tries) {
    result = buffer->Restore();
    if (result != pa::kBufferLost) return result;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return result;
}

pa::Result SoundBuffers::FillFromWave(pa::SoundBuffer* buffer, bool repeat) {
  if (!buffer) return pa::kInvalidArg;
  if (pa::Result r = RestoreLostBuffer(buffer); pa::Failed(r)) return r;
  void* memory = nullptr;
  uint32_t bytes = 0;
  if (pa::Result r = buffer->Lock(0, bufferSize, &memory, &bytes, nullptr, nullptr, pa::kLockEntireBuffer);
      pa::Failed(r))
    return r;
  auto* out = static_cast<uint8_t*>(memory);
  wave.ResetToData();
  samples.resize(wave.DataSize());
  samples.resize(wave.Read(samples.data(), uint32_t(samples.size())));
  uint32_t filled = uint32_t(std::min<size_t>(samples.size(), bytes));
  std::memcpy(out, samples.data(), filled);
  if (filled < bytes) {
    if (repeat && !samples.empty()) {
      while (filled < bytes) {
        const uint32_t part = uint32_t(std::min<size_t>(samples.size(), bytes - filled));
        std::memcpy(out + filled, samples.data(), part);
        filled += part;
      }
    } else {
      std::memset(out + filled, wave.Format().bitsPerSample == 8 ? 128 : 0, bytes - filled);
    }
  }
  return buffer->Unlock(memory, bytes, nullptr, 0);
}

pa::Result SoundManager::CreateSound(const std::string& file, uint32_t flags, uint32_t count, SoundBuffers** out) {
  *out = nullptr;
  if (!device) return pa::kNotInitialized;
  if (count < 1) return pa::kInvalidArg;
  auto* made = new SoundBuffers;
  const pa::WaveError opened = made->wave.Open(file);
  // A missing sound is the caller's to report; one too large to be a sound is said here.
  if (opened == pa::WaveError::kTooLarge)
    std::fprintf(stderr, "qel: sound \"%s\" not loaded: %s\n", file.c_str(), pa::WaveErrorText(opened));
  if (opened != pa::WaveError::kNone || made->wave.DataSize() == 0) {
    delete made;
    return pa::kFail;
  }
  made->bufferSize = made->wave.DataSize();
  pa::BufferDesc desc;
  desc.flags = flags;
  desc.bufferBytes = made->bufferSize;
  desc.format = &made->wave.Format();
  made->buffers.assign(count, nullptr);
  pa::Result result = device->CreateSoundBuffer(desc, &made->buffers[0]);
  // Made without the 3D algorithm asked for still counts as made.
  if (result != pa::kOk && result != pa::kNoVirtualization) {
    delete made;
    return result;
  }
  for (uint32_t i = 1; i < count; ++i) {
    result = device->DuplicateSoundBuffer(made->buffers[0], &made->buffers[i]);
    if (pa::Failed(result)) {
      delete made;
      return result;
    }
  }
  result = made->FillFromWave(made->buffers[0], false);
  if (pa::Failed(result)) {
    delete made;
    return result;
  }
  for (pa::SoundBuffer* buffer : made->buffers) buffer->SetCurrentPosition(0);
  *out = made;
  return pa::kOk;
}
