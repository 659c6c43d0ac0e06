// The sound-device layer under the engine's sound module: a device, a primary buffer
// that holds the output format, secondary buffers of PCM samples (and duplicates sharing their
// samples) that play once or looping with their own volume, pan and frequency, lockable buffer
// memory, and the 3D listener. Values of flags, limits and results are the documented ones.
// Every object is reference counted: Release what Create, CreateSoundBuffer, DuplicateSoundBuffer and
// GetListener hand out.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/audio/result.h"
#include "platform/audio/wave_format.h"

namespace platform::audio {

// Buffer description flags.
enum : uint32_t {
  kBufferPrimary = 0x1,
  kBufferStatic = 0x2,
  kBufferCtrl3D = 0x10,
  kBufferCtrlFrequency = 0x20,
  kBufferCtrlPan = 0x40,
  kBufferCtrlVolume = 0x80,
  kBufferGlobalFocus = 0x8000,
  kBufferGetCurrentPosition2 = 0x10000,
};
// Status bits.
enum : uint32_t { kStatusPlaying = 0x1, kStatusBufferLost = 0x2, kStatusLooping = 0x4 };
// Play flags.
constexpr uint32_t kPlayLooping = 0x1;
// Lock flags.
enum : uint32_t { kLockFromWriteCursor = 0x1, kLockEntireBuffer = 0x2 };
// Cooperative levels.
enum : uint32_t { kCoopNormal = 1, kCoopPriority = 2, kCoopExclusive = 3, kCoopWritePrimary = 4 };
// Listener settings apply at once or when committed.
enum : uint32_t { kApplyImmediate = 0, kApplyDeferred = 1 };

constexpr int32_t kVolumeMin = -10000, kVolumeMax = 0;  // hundredths of a decibel
constexpr int32_t kPanLeft = -10000, kPanCenter = 0, kPanRight = 10000;
constexpr uint32_t kFrequencyMin = 100, kFrequencyMax = 200000, kFrequencyOriginal = 0;
constexpr uint32_t kBufferBytesMin = 4, kBufferBytesMax = 0x0FFFFFFF;

struct BufferDesc {
  uint32_t flags = 0;
  uint32_t bufferBytes = 0;              // secondary buffers: kBufferBytesMin..kBufferBytesMax
  const WaveFormat* format = nullptr;    // secondary buffers: playable PCM; primary: must be null
};

struct Vector3 {
  float x, y, z;
};

struct ListenerSettings {
  Vector3 position{0, 0, 0};
  Vector3 velocity{0, 0, 0};
  Vector3 front{0, 0, 1};
  Vector3 top{0, 1, 0};
  float distanceFactor = 1.0f;
  float rolloffFactor = 1.0f;
  float dopplerFactor = 1.0f;
};

class SoundDevice;
class Listener;

class SoundBuffer {
 public:
  uint32_t AddRef() { return ++refs_; }
  uint32_t Release();

  Result GetStatus(uint32_t* status);
  // `reserved` must be 0. A playing buffer keeps its position (and takes the new looping flag).
  Result Play(uint32_t reserved, uint32_t priority, uint32_t flags);
  Result Stop();
  // Lost buffers do not happen here: always succeeds.
  Result Restore();

  Result SetVolume(int32_t volume);  // needs kBufferCtrlVolume; kVolumeMin..kVolumeMax
  Result GetVolume(int32_t* volume);
  Result SetPan(int32_t pan);  // needs kBufferCtrlPan; kPanLeft..kPanRight
  Result GetPan(int32_t* pan);
  // Needs kBufferCtrlFrequency; kFrequencyMin..kFrequencyMax, or kFrequencyOriginal for the format's.
  Result SetFrequency(uint32_t frequency);
  Result GetFrequency(uint32_t* frequency);

  // Byte positions: the play cursor and the write cursor (a little ahead of it).
  Result GetCurrentPosition(uint32_t* play, uint32_t* write);
  // Moves the play cursor (rounded down to a whole frame); beyond the buffer is an invalid argument.
  Result SetCurrentPosition(uint32_t play);

  // Hands out the buffer memory from `offset` for `bytes` bytes, in two parts when the range wraps
  // past the end. Only one lock at a time.
  Result Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2, uint32_t* bytes2,
              uint32_t flags);
  Result Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2);

  // Primary buffer: the format it is set to (the mix itself is always 44100 Hz stereo 16 bits).
  Result SetFormat(const WaveFormat* format);
  Result GetFormat(WaveFormat* format);
  // Primary buffer with kBufferCtrl3D: the listener.
  Result GetListener(Listener** listener);

  uint32_t Flags() const { return flags_; }
  uint32_t Size() const { return bytes_; }

 private:
  friend class SoundDevice;
  struct Impl;
  SoundBuffer();
  ~SoundBuffer();
  void ApplyGains();

  uint32_t refs_ = 1;
  SoundDevice* device_ = nullptr;
  uint32_t flags_ = 0;
  uint32_t bytes_ = 0;
  WaveFormat format_{};
  std::shared_ptr<std::vector<uint8_t>> memory_;  // shared with duplicates
  std::unique_ptr<Impl> impl_;
  int32_t volume_ = 0, pan_ = 0;
  uint32_t frequency_ = 0;
  bool locked_ = false;
};

class Listener {
 public:
  uint32_t AddRef() { return ++refs_; }
  uint32_t Release();

  Result SetPosition(float x, float y, float z, uint32_t apply);
  Result SetVelocity(float x, float y, float z, uint32_t apply);
  Result SetOrientation(float frontX, float frontY, float frontZ, float topX, float topY, float topZ, uint32_t apply);
  Result SetDistanceFactor(float factor, uint32_t apply);
  Result SetRolloffFactor(float factor, uint32_t apply);
  Result SetDopplerFactor(float factor, uint32_t apply);
  // Deferred settings take effect.
  Result CommitDeferredSettings();
  // The settings in effect.
  Result GetAllParameters(ListenerSettings* settings);

 private:
  friend class SoundDevice;
  friend class SoundBuffer;
  explicit Listener(SoundDevice* device);
  ~Listener();
  Result Apply(uint32_t apply);

  uint32_t refs_ = 1;
  SoundDevice* device_;
  ListenerSettings current_, pending_;
};

class SoundDevice {
 public:
  // Makes the device on the default output. It is made even when there is no audio output: then its
  // buffers keep their samples and settings, and nothing is heard or moves.
  static Result Create(SoundDevice** device);

  uint32_t AddRef() { return ++refs_; }
  uint32_t Release();

  // Kept only: one process mixes everything.
  Result SetCooperativeLevel(void* window, uint32_t level);
  Result CreateSoundBuffer(const BufferDesc& desc, SoundBuffer** buffer);
  // A new buffer on the same samples, with its own position, volume, pan, frequency and play state.
  Result DuplicateSoundBuffer(SoundBuffer* original, SoundBuffer** duplicate);

  bool HasOutput() const { return hasOutput_; }
  uint32_t CooperativeLevel() const { return level_; }

 private:
  SoundDevice() = default;
  ~SoundDevice();
  // A buffer of this device with its voice, holding a reference on the device; null without memory.
  SoundBuffer* NewBuffer(uint32_t flags);

  uint32_t refs_ = 1;
  bool hasOutput_ = false;
  uint32_t level_ = 0;
};

}  // namespace platform::audio
