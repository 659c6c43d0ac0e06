// The sound module's entries, commands and frame update.
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/audio/sound.h"
#include "engine/audio/sound_state.h"
#include "engine/core/core_data.h"
#include "engine/core/errors.h"
#include "platform/fs/files.h"
#include "platform/fs/folder.h"

namespace pa = platform::audio;

namespace {

SoundState g_sounds;

bool InRange(int32_t sound) { return sound >= 1 && sound <= kMaxSoundNumber; }

void FreeRecord(SoundRecord* record) {
  if (!record) return;
  delete record->buffers;
  delete record;
}

void RemoveSound(int32_t sound) {
  SoundState& s = g_sounds;
  SoundRecord* record = s.list.FindAs<SoundRecord>(sound);
  if (s.current == record) s.current = nullptr;
  FreeRecord(record);
  s.list.records.Remove(sound);
}

void DeleteAllSounds() {
  SoundState& s = g_sounds;
  for (IdListNode* node = s.list.records.Head(); node; node = node->next) FreeRecord(static_cast<SoundRecord*>(node->data));
  s.list.records.Clear();
  s.list.first.Clear();
  s.current = nullptr;
}

// The engine's temporary folder without its trailing separator; empty when none can be made.
std::string TempFolderPath() {
  std::string folder = platform::fs::TempFolder();
  if (!folder.empty() && folder.back() == '/') folder.pop_back();
  return folder;
}

}  // namespace

SoundState& Sounds() { return g_sounds; }

SoundRecord* FindSound(int32_t sound) {
  g_sounds.current = g_sounds.list.FindAs<SoundRecord>(sound);
  return g_sounds.current;
}

namespace SoundModule {

void Constructor() {
  SoundState& s = g_sounds;
  if (s.manager) Destructor();
  s.manager = new SoundManager;
  pa::SoundDevice* device = nullptr;
  if (pa::Failed(pa::SoundDevice::Create(&device))) return;
  s.manager->device = device;
  CoreData* core = GetCoreDataPointer();
  if (pa::Failed(device->SetCooperativeLevel(core ? core->window : nullptr, pa::kCoopPriority))) return;

  pa::BufferDesc primaryDesc;
  primaryDesc.flags = pa::kBufferPrimary;
  pa::SoundBuffer* primary = nullptr;
  if (pa::Failed(device->CreateSoundBuffer(primaryDesc, &primary))) return;
  const pa::WaveFormat primaryFormat = pa::PcmFormat(2, 22050, 16);
  const pa::Result formatSet = primary->SetFormat(&primaryFormat);
  primary->Release();
  if (pa::Failed(formatSet)) return;
  s.manager->initialised = true;

  primaryDesc.flags = pa::kBufferPrimary | pa::kBufferCtrl3D;
  if (pa::Failed(device->CreateSoundBuffer(primaryDesc, &primary))) return;
  const pa::Result listenerFound = primary->GetListener(&s.listener);
  primary->Release();
  if (pa::Failed(listenerFound)) return;
  pa::Listener* l = s.listener;
  l->SetDistanceFactor(1.0f, pa::kApplyDeferred);
  l->SetPosition(0.0f, 0.0f, 0.0f, pa::kApplyDeferred);
  l->SetOrientation(0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, pa::kApplyDeferred);
  l->SetRolloffFactor(1.0f, pa::kApplyDeferred);
  l->SetVelocity(0.0f, 0.0f, 0.0f, pa::kApplyDeferred);
  l->SetDopplerFactor(1.0f, pa::kApplyDeferred);
}

void Destructor() {
  SoundState& s = g_sounds;
  DeleteAllSounds();
  if (s.listener) s.listener->Release();
  s.listener = nullptr;
  if (s.manager && s.manager->device) s.manager->device->Release();
  delete s.manager;
  s.manager = nullptr;
}

void SetErrorHandler(uint32_t* errorWord) { SetModuleErrorHandler(errorWord); }

void PassCoreData(CoreData* coreData) { g_sounds.core = coreData; }

void RefreshD3D(int) {}

}  // namespace SoundModule

void SoundUpdate() {
  SoundState& s = g_sounds;
  for (IdListNode* node = s.list.records.Head(); node; node = node->next) {
    auto* record = static_cast<SoundRecord*>(node->data);
    if (!record->playing || !record->buffers || record->buffers->buffers.empty()) continue;
    pa::SoundBuffer* buffer = record->buffers->buffers[0];
    if (record->looping) {
      uint32_t play = 0;
      if (pa::Succeeded(buffer->GetCurrentPosition(&play, nullptr)) &&
          (play < record->loopStart || play > record->loopEnd))
        buffer->SetCurrentPosition(record->loopStart);
    } else {
      uint32_t status = 0;
      if (pa::Succeeded(buffer->GetStatus(&status)) && !(status & pa::kStatusPlaying)) record->playing = 0;
    }
  }
  if (s.listener) s.listener->CommitDeferredSettings();
}

bool SoundExists(int32_t sound) {
  if (!g_sounds.manager || !g_sounds.manager->initialised) return false;
  if (!InRange(sound)) {
    RaiseErrorCode(kErrorSoundNumber);
    return false;
  }
  return FindSound(sound) != nullptr;
}

void DeleteSound(int32_t sound) {
  if (!g_sounds.manager || !g_sounds.manager->initialised) return;
  if (!InRange(sound)) {
    RaiseErrorCode(kErrorSoundNumber);
    return;
  }
  if (!FindSound(sound)) {
    RaiseErrorCode(kErrorSoundMissing);
    return;
  }
  RemoveSound(sound);
}

bool MakeSoundFromData(int32_t sound, uint32_t, uint32_t, uint32_t, const uint8_t* samples, int32_t size,
                       const pa::WaveFormat* format) {
  SoundState& s = g_sounds;
  if (!InRange(sound)) {
    RaiseErrorCode(kErrorSoundNumber);
    return false;
  }
  if (FindSound(sound)) RemoveSound(sound);
  auto* record = new SoundRecord{};
  record->levelA = record->levelB = 100;
  s.list.records.Add(sound, record);
  s.current = record;

  // The format and size come from a memory block a caller may have written anything into.
  if (!format || !pa::IsPlayablePcm(*format) || size < 0 || (size > 0 && !samples)) {
    RaiseErrorText("MakeSoundFromData - the data is not 8 or 16-bit mono or stereo PCM");
    return false;
  }
  if (!s.manager || !s.manager->device) {
    RaiseErrorText("MakeSoundFromData - the sound module has not started");
    return false;
  }
  const std::string folder = TempFolderPath();
  if (folder.empty()) {
    RaiseErrorText("MakeSoundFromData - no temporary folder");
    return false;
  }
  const std::string file = folder + "/tempfile.wav";
  platform::fs::DeleteFile(file);
  pa::WaveFormat pcm = *format;
  pcm.extraSize = 0;
  if (pa::WriteWaveFile(file, pcm, samples, uint32_t(size)) != pa::WaveError::kNone) {
    platform::fs::DeleteFile(file);  // a partly written file is of no use to anyone
    RaiseErrorText("MakeSoundFromData - cannot write the temporary wave file");
    return false;
  }
  if (pa::Failed(s.manager->CreateSound(file, kSoundFromDataFlags, 1, &record->buffers))) {
    RaiseErrorText("MakeSoundFromData - cannot make the sound's buffers");
    return false;
  }
  platform::fs::DeleteFile(file);
  return true;
}

void GetSoundData(int32_t sound, int32_t* bitsPerSecond, int32_t* samplesPerSecond, int32_t* seconds,
                  uint8_t** data, int32_t* size, uint8_t mode, pa::WaveFormat* format) {
  if (mode != 1) {
    if (data) {
      std::free(*data);
      *data = nullptr;
    }
    return;
  }
  const SoundRecord* record = FindSound(sound);
  const SoundBuffers* buffers = record ? record->buffers : nullptr;
  uint8_t* copy = nullptr;
  if (buffers && !buffers->samples.empty()) {
    copy = static_cast<uint8_t*>(std::malloc(buffers->samples.size()));
    if (copy) std::memcpy(copy, buffers->samples.data(), buffers->samples.size());
  }
  if (data) *data = copy;
  if (size) *size = copy ? int32_t(buffers->samples.size()) : 0;
  if (!copy) return;
  // The format was checked to be playable PCM when the buffers were made, so nothing divides by 0.
  pa::WaveFormat f = buffers->wave.Format();
  f.extraSize = 0;
  if (format) *format = f;
  if (samplesPerSecond) *samplesPerSecond = int32_t(f.avgBytesPerSecond / (f.bitsPerSample / 8));
  if (bitsPerSecond) *bitsPerSecond = int32_t(f.avgBytesPerSecond * 8);
  if (seconds) *seconds = int32_t(buffers->samples.size() / f.avgBytesPerSecond);
  if (!data) std::free(copy);
}

void GetTempFolder(char* path) {
  if (!path) return;
  const std::string folder = TempFolderPath();
  constexpr size_t kPathSize = 260;
  if (folder.size() >= kPathSize) {
    path[0] = '\0';
    return;
  }
  std::memcpy(path, folder.c_str(), folder.size() + 1);
}
