// Music comes with downloaded levels: any bytes must open as an Ogg Vorbis stream or be refused. An
// opened stream is played as the sound library plays it, with the read sizes and rewinds taken from
// the input's last bytes: small and odd reads, the stream's window, rewinds in the middle and, at the
// end, a rewind to loop. A damaged stream may decode differently after a seek, so the sanitizers and
// the bounds of every read are the checks. Inputs are mutated page by page (ogg_pages.h), so changed
// bytes get past the pages' checksums into the decoder.
#include <sanitizer/allocator_interface.h>
#include <sanitizer/lsan_interface.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/audio/ogg_decoder.h"
#include "tests/fuzz/ogg_pages.h"

namespace {

// Keeps an input quick: at most a second of music, and so many reads and rewinds.
constexpr uint32_t kMaxFrames = 44100;
constexpr size_t kMaxSteps = 64;
constexpr size_t kScriptBytes = 8;
constexpr uint32_t kReadSizes[] = {1, 3, 64, 1000, 4096, 4097, 44100};

// The decoder library, refusing some damaged chained streams, loses the headers of a link it had
// already read: nothing of ours holds them, and nothing can free them. The blocks allocated while an
// open runs are noted, and those an open that failed did not give back are left out of the leak
// check; everything else (a stream that opened, every read and rewind) stays checked.
struct OpenAllocations {
  static constexpr size_t kCapacity = 1 << 16;
  const volatile void* live[kCapacity];
  size_t count = 0;
  bool noting = false, overflowed = false;
};
OpenAllocations g_open;

void NoteMalloc(const volatile void* block, size_t) {
  if (!g_open.noting) return;
  if (g_open.count == OpenAllocations::kCapacity) g_open.overflowed = true;
  else g_open.live[g_open.count++] = block;
}

void NoteFree(const volatile void* block) {
  if (!g_open.noting) return;
  for (size_t i = g_open.count; i-- > 0;) {
    if (g_open.live[i] == block) {
      g_open.live[i] = g_open.live[--g_open.count];
      return;
    }
  }
}

bool Open(platform::audio::OggDecoder& decoder, std::vector<uint8_t> image) {
  g_open.count = 0;
  g_open.overflowed = false;
  g_open.noting = true;
  const bool opened = decoder.Open(std::move(image));
  g_open.noting = false;
  if (!opened && !g_open.overflowed)
    for (size_t i = 0; i < g_open.count; ++i) __lsan_ignore_object(const_cast<const void*>(g_open.live[i]));
  return opened;
}

// Reads into a buffer of exactly the frames asked for, so a write past them is caught.
uint32_t ReadExactly(platform::audio::OggDecoder& decoder, uint32_t frames) {
  std::vector<int16_t> samples(size_t(frames) * decoder.Channels());
  const uint32_t got = decoder.Read(samples.data(), frames);
  if (got > frames) __builtin_trap();
  return got;
}

void Play(platform::audio::OggDecoder& decoder, const uint8_t* script, size_t scriptSize) {
  uint32_t played = 0;
  bool looped = false;
  for (size_t step = 0; step < kMaxSteps && played < kMaxFrames; ++step) {
    // Without script bytes, the stream's window each time.
    const uint8_t op = scriptSize ? script[step % scriptSize] : 4 << 1;
    if (op % 7 == 6) {
      if (!decoder.Rewind()) return;  // a stream that cannot seek plays once
      continue;
    }
    const uint32_t got = ReadExactly(decoder, kReadSizes[(op >> 1) % std::size(kReadSizes)]);
    if (got == 0) {
      if (looped || !decoder.Rewind()) return;
      looped = true;
    }
    played += got;
    if (decoder.Channels() < 1 || decoder.Channels() > 2) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  __sanitizer_install_malloc_and_free_hooks(NoteMalloc, NoteFree);
  return 0;
}

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int seed) {
  return ogg_pages::Mutate(data, size, maxSize, seed);
}

extern "C" size_t LLVMFuzzerCustomCrossOver(const uint8_t* data1, size_t size1, const uint8_t* data2, size_t size2,
                                            uint8_t* out, size_t maxOutSize, unsigned int seed) {
  return ogg_pages::CrossOver(data1, size1, data2, size2, out, maxOutSize, seed);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::audio::OggDecoder decoder;
  if (!Open(decoder, std::vector<uint8_t>(data, data + size))) return 0;
  if (decoder.Channels() < 1 || decoder.Channels() > 2 || decoder.Rate() == 0) __builtin_trap();
  const size_t scriptSize = std::min(size, kScriptBytes);
  Play(decoder, data + size - scriptSize, scriptSize);
  return 0;
}
