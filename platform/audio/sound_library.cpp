// The game's sound library on the mixer: a fixed set of channels, each a voice of its own for samples
// or the voice of the stream it plays.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio/mixer.h"
#include "platform/audio/ogg_decoder.h"
#include "platform/audio/sound_library.h"
#include "platform/audio/spectrum.h"
#include "platform/audio/wave_file.h"
#include "platform/fs/path.h"

namespace platform::audio {

class LibrarySample {
 public:
  std::vector<uint8_t> bytes;
  uint16_t channels = 1, bits = 16;
  uint32_t rate = 44100;
  bool loop = false;
};

// A stream decodes its file a window at a time on the audio thread.
class LibraryStream : public Voice {
 public:
  static constexpr uint32_t kWindowFrames = 4096;
  OggDecoder decoder;
  std::vector<int16_t> window;
  bool loop = false;

  // Back to the start, with no window decoded.
  void Rewind() {
    decoder.Rewind();
    pcm = PcmView{nullptr, 0, decoder.Channels(), 16};
    position = 0;
  }

 protected:
  bool NextChunk() override {
    const uint32_t channels = decoder.Channels();
    // The last frame of the old window is the first of the new one, so interpolation runs on across.
    const uint32_t carry = pcm.frames > 0 ? 1 : 0;
    int16_t last[2] = {0, 0};
    if (carry) std::copy_n(window.data() + size_t(pcm.frames - 1) * channels, channels, last);
    window.resize(size_t(kWindowFrames + 1) * channels);
    std::copy_n(last, channels * carry, window.data());
    uint32_t got = decoder.Read(window.data() + channels * carry, kWindowFrames);
    if (got == 0 && loop && decoder.Rewind()) got = decoder.Read(window.data() + channels * carry, kWindowFrames);
    if (got == 0) return false;
    if (carry) position -= uint64_t(pcm.frames - 1) << 32;
    pcm = PcmView{reinterpret_cast<const uint8_t*>(window.data()), got + carry, uint16_t(channels), 16};
    return true;
  }

 public:
  LibraryStream() { streaming_ = true; }
};

class DspUnit {};

namespace {

struct Channel {
  Voice own;                // plays samples
  Voice* voice = &own;      // the voice now on the channel (its own or a stream's)
  LibraryStream* stream = nullptr;
  uint32_t generation = 0;  // counts the plays, so stale handles are told apart
  int volume = 255, pan = 128;
  bool absolute = false;
};

constexpr int kIndexBits = 12;
constexpr int kMaxChannels = (1 << kIndexBits) - 1;

struct Library {
  bool open = false;
  bool hasOutput = false;
  std::vector<std::unique_ptr<Channel>> channels;
  std::vector<std::unique_ptr<LibrarySample>> samples = std::vector<std::unique_ptr<LibrarySample>>(kSampleSlots);
  std::vector<std::unique_ptr<LibraryStream>> streams;
  int masterVolume = 255;
  DspUnit fftUnit;
  bool fftActive = false;
  float spectrum[kSpectrumSize] = {};
};

Library& Lib() {
  static Library* library = new Library;  // never destroyed: the audio thread may outlive statics
  return *library;
}

bool Live() { return Lib().open && Lib().hasOutput; }

// The channel a handle names while that play lasts.
Channel* FindChannel(int handle) {
  Library& lib = Lib();
  if (!lib.open || handle < 0) return nullptr;
  const size_t index = size_t(handle) & ((1u << kIndexBits) - 1);
  if (index >= lib.channels.size()) return nullptr;
  Channel* c = lib.channels[index].get();
  return c->generation == uint32_t(handle) >> kIndexBits ? c : nullptr;
}

void ApplyGains(Channel& c) {
  const float volume = float(c.volume) / 255.0f * (c.absolute ? 1.0f : float(Lib().masterVolume) / 255.0f);
  c.voice->gainLeft = volume * (c.pan <= 128 ? 1.0f : float(255 - c.pan) / 127.0f);
  c.voice->gainRight = volume * (c.pan >= 128 ? 1.0f : float(c.pan) / 128.0f);
}

// Stops whatever the channel plays; a stream leaves the channel.
void ClearChannel(Channel& c) {
  c.voice->playing = false;
  if (c.stream) c.stream = nullptr;
  c.voice = &c.own;
}

// The channel asked for (0..count-1) or the first one not playing; null when there is none. Its
// previous play is stopped and it starts a new generation at full volume, centred.
Channel* TakeChannel(int wanted, int* handle) {
  Library& lib = Lib();
  Channel* c = nullptr;
  size_t index = 0;
  if (wanted == kAnyFreeChannel) {
    for (; index < lib.channels.size(); ++index) {
      if (!lib.channels[index]->voice->playing) break;
    }
  } else {
    index = size_t(wanted);
  }
  if (wanted < kAnyFreeChannel || index >= lib.channels.size()) return nullptr;
  c = lib.channels[index].get();
  ClearChannel(*c);
  c->generation = c->generation % ((1u << (31 - kIndexBits)) - 1) + 1;  // never 0: a handle is never 0
  c->volume = 255;
  c->pan = 128;
  c->absolute = false;
  *handle = int(c->generation << kIndexBits | index);
  return c;
}

const char* g_sampleFailure = "";

// The part of the file a sample is loaded from, read alone; a part larger than a sample may be is not
// read at all.
bool ReadSamplePart(const char* name, int offset, int length, std::vector<uint8_t>& image) {
  namespace fs = platform::fs;
  fs::ReadFailure why = fs::ReadFailure::kCannotOpen;
  if (name && offset >= 0 && length >= 0 && fs::ReadFilePart(name, uint64_t(offset), uint64_t(length), kMaxSoundBytes, image, &why))
    return true;
  g_sampleFailure = why == fs::ReadFailure::kTooLarge ? "the file is larger than a sound may be" : fs::ReadFailureText(why);
  return false;
}

bool DecodeSample(std::vector<uint8_t> image, LibrarySample& sample) {
  g_sampleFailure = "the file is not a sound we can play";
  if (LooksLikeOgg(image.data(), image.size())) {
    OggDecoder decoder;
    if (!decoder.Open(std::move(image))) return false;
    std::vector<int16_t> frames;
    int16_t block[4096 * 2];
    while (uint32_t got = decoder.Read(block, 4096)) {
      // A small file may decode to far more than it holds: the decoded sound is capped too.
      if ((frames.size() + got * decoder.Channels()) * sizeof(int16_t) > kMaxSoundBytes) {
        g_sampleFailure = "the sound is longer than a sound may be";
        return false;
      }
      frames.insert(frames.end(), block, block + got * decoder.Channels());
    }
    if (frames.empty()) return false;
    sample.bytes.resize(frames.size() * 2);
    std::memcpy(sample.bytes.data(), frames.data(), sample.bytes.size());
    sample.channels = decoder.Channels();
    sample.bits = 16;
    sample.rate = decoder.Rate();
    return true;
  }
  WaveFile wave;
  if (wave.OpenMemory(image.data(), image.size()) != WaveError::kNone || !IsPlayablePcm(wave.Format())) return false;
  const WaveFormat& f = wave.Format();
  sample.bytes.resize(wave.DataSize() / f.blockAlign * f.blockAlign);
  if (sample.bytes.empty()) return false;
  wave.Read(sample.bytes.data(), uint32_t(sample.bytes.size()));
  sample.channels = f.channels;
  sample.bits = f.bitsPerSample;
  sample.rate = f.samplesPerSecond;
  return true;
}

// Channels playing the sample stop before it goes.
void StopSampleChannels(const LibrarySample* sample) {
  for (auto& c : Lib().channels) {
    if (!c->stream && c->own.pcm.data == sample->bytes.data()) c->own.playing = false;
  }
}

}  // namespace

bool InitSoundLibrary(int mixRate, int maxChannels, uint32_t flags) {
  Library& lib = Lib();
  if (lib.open) return lib.hasOutput;
  if (maxChannels < 1 || maxChannels > kMaxChannels) return false;
  lib.open = true;
  lib.hasOutput = Mixer::Get().Acquire();
  lib.masterVolume = 255;
  lib.fftActive = false;
  for (int i = 0; i < maxChannels; ++i) {
    lib.channels.push_back(std::make_unique<Channel>());
    Mixer::Get().Add(&lib.channels.back()->own);
  }
  return lib.hasOutput;
}

void CloseSoundLibrary() {
  Library& lib = Lib();
  if (!lib.open) return;
  for (auto& c : lib.channels) Mixer::Get().Remove(&c->own);
  for (auto& s : lib.streams) Mixer::Get().Remove(s.get());
  lib.channels.clear();
  lib.streams.clear();
  for (auto& s : lib.samples) s.reset();
  Mixer::Get().Release();
  lib.open = lib.hasOutput = lib.fftActive = false;
  std::fill(std::begin(lib.spectrum), std::end(lib.spectrum), 0.0f);
}

LibrarySample* LoadSample(int index, const char* name, uint32_t mode, int offset, int length) {
  Library& lib = Lib();
  g_sampleFailure = "";  // without output, or for a slot out of range, there is nothing to tell
  if (!Live() || index < kAnyFreeSample || index >= kSampleSlots) return nullptr;
  if (index == kAnyFreeSample) {
    auto free = std::find(lib.samples.begin(), lib.samples.end(), nullptr);
    if (free == lib.samples.end()) return nullptr;
    index = int(free - lib.samples.begin());
  }
  std::vector<uint8_t> image;
  auto sample = std::make_unique<LibrarySample>();
  if (!ReadSamplePart(name, offset, length, image) || !DecodeSample(std::move(image), *sample)) return nullptr;
  g_sampleFailure = "";
  sample->loop = mode == kModeLoopNormal;
  MixerLock lock;
  if (lib.samples[size_t(index)]) StopSampleChannels(lib.samples[size_t(index)].get());
  lib.samples[size_t(index)] = std::move(sample);
  return lib.samples[size_t(index)].get();
}

const char* SampleLoadFailure() { return g_sampleFailure; }

int PlaySample(int channel, LibrarySample* sample) {
  Library& lib = Lib();
  if (!Live() || !sample || std::none_of(lib.samples.begin(), lib.samples.end(),
                                          [&](const auto& s) { return s.get() == sample; }))
    return -1;
  MixerLock lock;
  int handle = -1;
  Channel* c = TakeChannel(channel, &handle);
  if (!c) return -1;
  Voice& v = c->own;
  v.pcm = PcmView{sample->bytes.data(), uint32_t(sample->bytes.size() / (sample->channels * sample->bits / 8)),
                  sample->channels, sample->bits};
  v.rate = sample->rate;
  v.position = 0;
  v.looping = sample->loop;
  ApplyGains(*c);
  v.playing = true;
  return handle;
}

bool SetEffectsMasterVolume(int volume) {
  Library& lib = Lib();
  if (!Live() || volume < 0 || volume > 255) return false;
  MixerLock lock;
  lib.masterVolume = volume;
  for (auto& c : lib.channels) ApplyGains(*c);
  return true;
}

namespace {
const char* g_streamFailure = "";
}  // namespace

const char* StreamOpenFailure() { return g_streamFailure; }

LibraryStream* OpenStream(const char* name, uint32_t mode, int offset, int length) {
  Library& lib = Lib();
  g_streamFailure = "there is no sound output";
  if (!Live()) return nullptr;
  auto stream = std::make_unique<LibraryStream>();
  if (!name || offset < 0 || length < 0) {
    g_streamFailure = platform::fs::ReadFailureText(platform::fs::ReadFailure::kCannotOpen);
    return nullptr;
  }
  // Read as it plays, never whole: a music file may be of any size.
  if (const char* why = stream->decoder.OpenFile(name, uint64_t(offset), uint64_t(length))) {
    g_streamFailure = why;
    return nullptr;
  }
  g_streamFailure = "";
  stream->loop = mode == kModeLoopNormal;
  stream->rate = stream->decoder.Rate();
  stream->Rewind();
  Mixer::Get().Add(stream.get());
  lib.streams.push_back(std::move(stream));
  return lib.streams.back().get();
}

namespace {

LibraryStream* KnownStream(LibraryStream* stream) {
  auto& streams = Lib().streams;
  return stream && std::any_of(streams.begin(), streams.end(), [&](const auto& s) { return s.get() == stream; })
             ? stream
             : nullptr;
}

// The channel the stream plays on, if any.
Channel* ChannelOf(LibraryStream* stream) {
  for (auto& c : Lib().channels) {
    if (c->stream == stream) return c.get();
  }
  return nullptr;
}

}  // namespace

int PlayStream(int channel, LibraryStream* stream) {
  if (!Live() || !KnownStream(stream)) return -1;
  MixerLock lock;
  if (Channel* old = ChannelOf(stream)) ClearChannel(*old);
  int handle = -1;
  Channel* c = TakeChannel(channel, &handle);
  if (!c) return -1;
  c->stream = stream;
  c->voice = stream;
  stream->looping = stream->loop;
  ApplyGains(*c);
  stream->playing = true;
  return handle;
}

bool StopStream(LibraryStream* stream) {
  if (!Live() || !KnownStream(stream)) return false;
  MixerLock lock;
  if (Channel* c = ChannelOf(stream)) ClearChannel(*c);
  stream->playing = false;
  stream->Rewind();
  return true;
}

bool CloseStream(LibraryStream* stream) {
  Library& lib = Lib();
  if (!Live() || !KnownStream(stream)) return false;
  {
    MixerLock lock;
    if (Channel* c = ChannelOf(stream)) ClearChannel(*c);
  }
  Mixer::Get().Remove(stream);
  std::erase_if(lib.streams, [&](const auto& s) { return s.get() == stream; });
  return true;
}

bool SetChannelVolume(int channel, int volume) {
  if (!Live() || volume < 0 || volume > 255) return false;
  MixerLock lock;
  Channel* c = FindChannel(channel);
  if (!c) return false;
  c->volume = volume;
  c->absolute = true;
  ApplyGains(*c);
  return true;
}

bool SetChannelPan(int channel, int pan) {
  if (!Live() || pan < 0 || pan > 255) return false;
  MixerLock lock;
  Channel* c = FindChannel(channel);
  if (!c) return false;
  c->pan = pan;
  ApplyGains(*c);
  return true;
}

bool GetChannelLevels(int channel, float* left, float* right) {
  float l = 0.0f, r = 0.0f;
  bool found = false;
  if (Live()) {
    MixerLock lock;
    if (Channel* c = FindChannel(channel)) {
      found = true;
      if (c->voice->playing) {
        l = std::min(c->voice->peakLeft, 1.0f);
        r = std::min(c->voice->peakRight, 1.0f);
      }
    }
  }
  if (left) *left = l;
  if (right) *right = r;
  return found;
}

DspUnit* GetFftUnit() { return Live() ? &Lib().fftUnit : nullptr; }

bool SetDspUnitActive(DspUnit* unit, bool active) {
  if (!Live() || unit != &Lib().fftUnit) return false;
  Lib().fftActive = active;
  return true;
}

const float* GetSpectrum() {
  Library& lib = Lib();
  if (Live() && lib.fftActive) {
    float window[kSpectrumWindow];
    Mixer::Get().RecentOutput(window, kSpectrumWindow);
    ComputeSpectrum(window, lib.spectrum);
  } else {
    std::fill(std::begin(lib.spectrum), std::end(lib.spectrum), 0.0f);
  }
  return lib.spectrum;
}

}  // namespace platform::audio
