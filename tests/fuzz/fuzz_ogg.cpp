// Music comes with downloaded levels: any bytes must open as an Ogg Vorbis stream or be refused. An
// opened stream decodes, rewinds and decodes again (the first second each time, so the media's whole
// tracks stay quick seeds); a damaged stream may decode differently after a seek, so the sanitizers
// and the bounds of every read are the checks.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/audio/ogg_decoder.h"

namespace {

constexpr uint32_t kFrames = 44100;

std::vector<int16_t> Decode(platform::audio::OggDecoder& decoder) {
  std::vector<int16_t> samples(size_t(kFrames) * decoder.Channels());
  uint32_t got = 0;
  while (got < kFrames) {
    const uint32_t n = decoder.Read(samples.data() + size_t(got) * decoder.Channels(), kFrames - got);
    if (n == 0) break;
    if (n > kFrames - got) __builtin_trap();
    got += n;
  }
  samples.resize(size_t(got) * decoder.Channels());
  return samples;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::audio::OggDecoder decoder;
  if (!decoder.Open(std::vector<uint8_t>(data, data + size))) return 0;
  if (decoder.Channels() < 1 || decoder.Channels() > 2 || decoder.Rate() == 0) __builtin_trap();
  Decode(decoder);
  if (!decoder.Rewind()) return 0;  // a stream that cannot seek plays once
  Decode(decoder);
  return 0;
}
