// The sound-device layer on the mixer: secondary buffers are voices over their (shared) memory.
#include <algorithm>
#include <new>

#include "platform/audio/mixer.h"
#include "platform/audio/sound_device.h"

namespace platform::audio {

// A secondary buffer's voice; a primary buffer has none.
struct SoundBuffer::Impl {
  Voice voice;
  Listener* listener = nullptr;  // primary buffer with 3D control
};

// --- device

Result SoundDevice::Create(SoundDevice** device) {
  if (!device) return kInvalidArg;
  auto* made = new (std::nothrow) SoundDevice;
  if (!made) return kOutOfMemory;
  made->hasOutput_ = Mixer::Get().Acquire();
  *device = made;
  return kOk;
}

SoundDevice::~SoundDevice() { Mixer::Get().Release(); }

uint32_t SoundDevice::Release() {
  const uint32_t left = --refs_;
  if (left == 0) delete this;
  return left;
}

Result SoundDevice::SetCooperativeLevel(void* window, uint32_t level) {
  if (level < kCoopNormal || level > kCoopWritePrimary) return kInvalidArg;
  level_ = level;
  return kOk;
}

SoundBuffer* SoundDevice::NewBuffer(uint32_t flags) {
  auto* made = new (std::nothrow) SoundBuffer;
  if (!made) return nullptr;
  made->impl_.reset(new (std::nothrow) SoundBuffer::Impl);
  if (!made->impl_) {
    delete made;
    return nullptr;
  }
  made->device_ = this;
  AddRef();
  made->flags_ = flags;
  return made;
}

Result SoundDevice::CreateSoundBuffer(const BufferDesc& desc, SoundBuffer** buffer) {
  if (!buffer) return kInvalidArg;
  *buffer = nullptr;
  const bool primary = (desc.flags & kBufferPrimary) != 0;
  if (primary) {
    if (desc.bufferBytes != 0 || desc.format) return kInvalidArg;
  } else {
    if (!desc.format || !IsPlayablePcm(*desc.format)) return kBadFormat;
    if (desc.bufferBytes < kBufferBytesMin || desc.bufferBytes > kBufferBytesMax ||
        desc.bufferBytes < desc.format->blockAlign)
      return kInvalidArg;
  }
  SoundBuffer* made = NewBuffer(desc.flags);
  if (!made) return kOutOfMemory;
  if (primary) {
    made->format_ = PcmFormat(2, 22050, 8);  // the documented default primary format
    if (desc.flags & kBufferCtrl3D) made->impl_->listener = new Listener(this);
  } else {
    made->format_ = *desc.format;
    made->format_.extraSize = 0;
    made->bytes_ = desc.bufferBytes;
    try {
      made->memory_ = std::make_shared<std::vector<uint8_t>>(desc.bufferBytes, desc.format->bitsPerSample == 8 ? 128 : 0);
    } catch (const std::bad_alloc&) {
      made->Release();
      return kOutOfMemory;
    }
    Voice& v = made->impl_->voice;
    v.pcm = PcmView{made->memory_->data(), desc.bufferBytes / made->format_.blockAlign, made->format_.channels,
                    made->format_.bitsPerSample};
    v.rate = made->format_.samplesPerSecond;
    Mixer::Get().Add(&v);
  }
  *buffer = made;
  return kOk;
}

Result SoundDevice::DuplicateSoundBuffer(SoundBuffer* original, SoundBuffer** duplicate) {
  if (!original || !duplicate || (original->flags_ & kBufferPrimary)) return kInvalidArg;
  *duplicate = nullptr;
  SoundBuffer* made = NewBuffer(original->flags_);
  if (!made) return kOutOfMemory;
  made->bytes_ = original->bytes_;
  made->format_ = original->format_;
  made->memory_ = original->memory_;
  made->volume_ = original->volume_;
  made->pan_ = original->pan_;
  made->frequency_ = original->frequency_;
  Voice& v = made->impl_->voice;
  {
    MixerLock lock;
    v.pcm = original->impl_->voice.pcm;
    v.rate = original->impl_->voice.rate;
  }
  made->ApplyGains();
  Mixer::Get().Add(&v);
  *duplicate = made;
  return kOk;
}

// --- buffers

SoundBuffer::SoundBuffer() = default;

SoundBuffer::~SoundBuffer() {
  if (impl_) {
    Mixer::Get().Remove(&impl_->voice);
    if (impl_->listener) impl_->listener->Release();
  }
  if (device_) device_->Release();
}

uint32_t SoundBuffer::Release() {
  const uint32_t left = --refs_;
  if (left == 0) delete this;
  return left;
}

void SoundBuffer::ApplyGains() {
  const float gain = DecibelGain(volume_);
  MixerLock lock;
  // Pan attenuates the side it turns away from.
  impl_->voice.gainLeft = gain * DecibelGain(pan_ > 0 ? -pan_ : 0);
  impl_->voice.gainRight = gain * DecibelGain(pan_ < 0 ? pan_ : 0);
}

Result SoundBuffer::GetStatus(uint32_t* status) {
  if (!status) return kInvalidArg;
  MixerLock lock;
  const Voice& v = impl_->voice;
  *status = v.playing ? uint32_t(kStatusPlaying | (v.looping ? kStatusLooping : 0u)) : 0u;
  return kOk;
}

Result SoundBuffer::Play(uint32_t reserved, uint32_t priority, uint32_t flags) {
  if (reserved != 0) return kInvalidArg;
  if (flags_ & kBufferPrimary) return kOk;
  MixerLock lock;
  impl_->voice.looping = (flags & kPlayLooping) != 0;
  impl_->voice.playing = true;
  return kOk;
}

Result SoundBuffer::Stop() {
  MixerLock lock;
  impl_->voice.playing = false;
  return kOk;
}

Result SoundBuffer::Restore() { return kOk; }

namespace {

// A buffer control: refused without its flag, then checked against its range.
template <typename T>
Result SetControl(uint32_t flags, uint32_t needed, T value, T low, T high, T& slot) {
  if (!(flags & needed)) return kControlUnavailable;
  if (value < low || value > high) return kInvalidArg;
  slot = value;
  return kOk;
}

template <typename T>
Result GetControl(uint32_t flags, uint32_t needed, T* out, T value) {
  if (!(flags & needed)) return kControlUnavailable;
  if (!out) return kInvalidArg;
  *out = value;
  return kOk;
}

}  // namespace

Result SoundBuffer::SetVolume(int32_t volume) {
  const Result r = SetControl(flags_, kBufferCtrlVolume, volume, kVolumeMin, kVolumeMax, volume_);
  if (Succeeded(r)) ApplyGains();
  return r;
}

Result SoundBuffer::GetVolume(int32_t* volume) { return GetControl(flags_, kBufferCtrlVolume, volume, volume_); }

Result SoundBuffer::SetPan(int32_t pan) {
  const Result r = SetControl(flags_, kBufferCtrlPan, pan, kPanLeft, kPanRight, pan_);
  if (Succeeded(r)) ApplyGains();
  return r;
}

Result SoundBuffer::GetPan(int32_t* pan) { return GetControl(flags_, kBufferCtrlPan, pan, pan_); }

Result SoundBuffer::SetFrequency(uint32_t frequency) {
  // The primary buffer has no frequency control whatever its flags.
  const uint32_t flags = flags_ & kBufferPrimary ? 0 : flags_;
  const Result r = frequency == kFrequencyOriginal
                       ? SetControl(flags, kBufferCtrlFrequency, frequency, frequency, frequency, frequency_)
                       : SetControl(flags, kBufferCtrlFrequency, frequency, kFrequencyMin, kFrequencyMax, frequency_);
  if (Failed(r)) return r;
  MixerLock lock;
  impl_->voice.rate = frequency ? frequency : format_.samplesPerSecond;
  return kOk;
}

Result SoundBuffer::GetFrequency(uint32_t* frequency) {
  const uint32_t flags = flags_ & kBufferPrimary ? 0 : flags_;
  return GetControl(flags, kBufferCtrlFrequency, frequency, frequency_ ? frequency_ : format_.samplesPerSecond);
}

Result SoundBuffer::GetCurrentPosition(uint32_t* play, uint32_t* write) {
  if (flags_ & kBufferPrimary) {
    if (play) *play = 0;
    if (write) *write = 0;
    return kOk;
  }
  MixerLock lock;
  const Voice& v = impl_->voice;
  const uint32_t align = format_.blockAlign;
  // A voice that just passed its last frame wraps (looping) or stops on its next mixed frame.
  const uint64_t at = v.position >> 32;
  const uint32_t frame = uint32_t(v.looping ? at % v.pcm.frames : std::min<uint64_t>(at, v.pcm.frames - 1));
  const uint32_t playAt = frame * align;
  // The write cursor leads by about 10 ms while playing, as the hardware's did.
  const uint32_t lead = v.playing ? (v.rate / 100 + 1) * align : 0;
  if (play) *play = playAt;
  if (write) *write = (playAt + std::min(lead, bytes_ - align)) % (v.pcm.frames * align);
  return kOk;
}

Result SoundBuffer::SetCurrentPosition(uint32_t play) {
  if (flags_ & kBufferPrimary) return kInvalidCall;
  if (play >= bytes_) return kInvalidArg;
  MixerLock lock;
  impl_->voice.position = uint64_t(play / format_.blockAlign) << 32;
  return kOk;
}

Result SoundBuffer::Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2,
                         uint32_t* bytes2, uint32_t flags) {
  if (flags_ & kBufferPrimary) return kInvalidCall;
  if (!part1 || !bytes1) return kInvalidArg;
  if (locked_) return kInvalidCall;
  if (flags & kLockEntireBuffer) {
    offset = 0;
    bytes = bytes_;
  } else if (flags & kLockFromWriteCursor) {
    GetCurrentPosition(nullptr, &offset);
  }
  if (bytes == 0 || bytes > bytes_ || offset >= bytes_) return kInvalidArg;
  const uint32_t first = std::min(bytes, bytes_ - offset);
  if (first < bytes && (!part2 || !bytes2)) return kInvalidArg;
  uint8_t* base = memory_->data();
  *part1 = base + offset;
  *bytes1 = first;
  if (part2) *part2 = first < bytes ? base : nullptr;
  if (bytes2) *bytes2 = bytes - first;
  locked_ = true;
  return kOk;
}

Result SoundBuffer::Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2) {
  if (flags_ & kBufferPrimary) return kInvalidCall;
  if (!locked_) return kInvalidCall;
  locked_ = false;
  return kOk;
}

Result SoundBuffer::SetFormat(const WaveFormat* format) {
  if (!(flags_ & kBufferPrimary)) return kInvalidCall;
  if (!format || !IsPlayablePcm(*format)) return kBadFormat;
  format_ = *format;
  format_.extraSize = 0;
  return kOk;
}

Result SoundBuffer::GetFormat(WaveFormat* format) {
  if (!format) return kInvalidArg;
  *format = format_;
  return kOk;
}

Result SoundBuffer::GetListener(Listener** listener) {
  if (!listener) return kInvalidArg;
  *listener = nullptr;
  if (!impl_->listener) return kInvalidArg;  // not a primary buffer with 3D control
  impl_->listener->AddRef();
  *listener = impl_->listener;
  return kOk;
}

// --- listener

Listener::Listener(SoundDevice* device) : device_(device) { device_->AddRef(); }

Listener::~Listener() { device_->Release(); }

uint32_t Listener::Release() {
  const uint32_t left = --refs_;
  if (left == 0) delete this;
  return left;
}

Result Listener::Apply(uint32_t apply) {
  if (apply == kApplyImmediate) {
    current_ = pending_;
    return kOk;
  }
  return apply == kApplyDeferred ? kOk : kInvalidArg;
}

Result Listener::SetPosition(float x, float y, float z, uint32_t apply) {
  pending_.position = {x, y, z};
  return Apply(apply);
}

Result Listener::SetVelocity(float x, float y, float z, uint32_t apply) {
  pending_.velocity = {x, y, z};
  return Apply(apply);
}

Result Listener::SetOrientation(float frontX, float frontY, float frontZ, float topX, float topY, float topZ,
                                uint32_t apply) {
  pending_.front = {frontX, frontY, frontZ};
  pending_.top = {topX, topY, topZ};
  return Apply(apply);
}

Result Listener::SetDistanceFactor(float factor, uint32_t apply) {
  if (!(factor > 0.0f)) return kInvalidArg;
  pending_.distanceFactor = factor;
  return Apply(apply);
}

Result Listener::SetRolloffFactor(float factor, uint32_t apply) {
  if (!(factor >= 0.0f && factor <= 10.0f)) return kInvalidArg;
  pending_.rolloffFactor = factor;
  return Apply(apply);
}

Result Listener::SetDopplerFactor(float factor, uint32_t apply) {
  if (!(factor >= 0.0f && factor <= 10.0f)) return kInvalidArg;
  pending_.dopplerFactor = factor;
  return Apply(apply);
}

Result Listener::CommitDeferredSettings() {
  current_ = pending_;
  return kOk;
}

Result Listener::GetAllParameters(ListenerSettings* settings) {
  if (!settings) return kInvalidArg;
  *settings = current_;
  return kOk;
}

}  // namespace platform::audio
