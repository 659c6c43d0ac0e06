// The sound module's records and state. Internal to the module and its tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/core_data.h"
#include "engine/core/id_list.h"
#include "platform/audio/sound_device.h"
#include "platform/audio/wave_file.h"

// One sound's duplicate buffers over the samples read from its wave.
struct SoundBuffers {
  SoundBuffers() = default;
  SoundBuffers(const SoundBuffers&) = delete;
  SoundBuffers& operator=(const SoundBuffers&) = delete;
  ~SoundBuffers();

  // Fills the buffer from the wave: its samples, then (when the wave is shorter than the buffer) the
  // wave again from its start with `repeat`, else silence.
  platform::audio::Result FillFromWave(platform::audio::SoundBuffer* buffer, bool repeat);

  std::vector<platform::audio::SoundBuffer*> buffers;  // N duplicates; [0] is the original
  std::vector<uint8_t> samples;                         // the wave's sample bytes
  uint32_t bufferSize = 0;
  platform::audio::WaveFile wave;
  bool flag = false;
};

// When the buffer has been lost, restores it (waiting 10 ms between tries while it stays lost).
platform::audio::Result RestoreLostBuffer(platform::audio::SoundBuffer* buffer);

struct SoundRecord {
  SoundBuffers* buffers = nullptr;  // owned; null when they could not be made
  void* buffer3D = nullptr;         // no 3D buffers are made in this system
  uint8_t playing = 0;
  uint8_t looping = 0;              // 1: SoundUpdate keeps the play cursor between the loop points
  int32_t levelA = 0, levelB = 0;   // 100 after MakeSoundFromData; nothing reads them
  uint32_t loopStart = 0, loopEnd = 0;  // byte positions
  uint32_t other = 0;
};

struct SoundManager {
  platform::audio::SoundDevice* device = nullptr;
  bool initialised = false;

  // Makes the sound's buffers from a wave file: N buffers of the wave's data size (flags as given),
  // the first filled with its samples, every play cursor at 0.
  platform::audio::Result CreateSound(const std::string& file, uint32_t flags, uint32_t count, SoundBuffers** out);
};

struct SoundState {
  RecordList list;
  SoundRecord* current = nullptr;  // left by FindSound
  SoundManager* manager = nullptr;
  platform::audio::Listener* listener = nullptr;
  CoreData* core = nullptr;
};

SoundState& Sounds();

constexpr int32_t kMaxSoundNumber = 22000000;
// Buffers of a sound made from memory: frequency, pan and volume control.
constexpr uint32_t kSoundFromDataFlags = 224;

// The sound's record (also left in Sounds().current), null when it does not exist.
SoundRecord* FindSound(int32_t sound);
