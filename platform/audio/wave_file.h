// RIFF "WAVE" files: a bounds-checked reader over a whole file in memory and a writer. Every chunk
// size and offset is checked against the bytes there are; a damaged file is an error, never a read
// outside the file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/audio/wave_format.h"

namespace platform::audio {

// A sound file (or the part of one a sample is loaded from), or the sound it decodes to, larger than
// this is refused: about six minutes of 16-bit stereo at 44100 Hz. Music is streamed, not loaded.
constexpr uint64_t kMaxSoundBytes = uint64_t(64) << 20;

enum class WaveError {
  kNone,
  kOpenFailed,   // the file could not be opened or read
  kNotRiff,      // no "RIFF" header, or one that claims more bytes than the file holds
  kNotWave,      // a RIFF form other than "WAVE"
  kBadChunk,     // a chunk runs past the end of the RIFF form
  kNoFormat,     // no "fmt " chunk, or one shorter than 16 bytes (18 plus extra bytes when not PCM)
  kBadFormat,    // PCM of a shape other than 8/16 bits, 1/2 channels, or with inconsistent sizes
  kNoData,       // no "data" chunk
  kWriteFailed,  // the file could not be created or written completely
  kTooLarge,     // the file is larger than kMaxSoundBytes: not read at all
};
const char* WaveErrorText(WaveError error);

// What a parsed file holds: its format, the format's extra bytes (non-PCM only) and where its sample
// bytes lie in the file image.
struct WaveLayout {
  WaveFormat format{};
  std::vector<uint8_t> extra;
  size_t dataOffset = 0;
  uint32_t dataSize = 0;
};

// Parses a whole file image. Chunks may come in any order; chunks the reader does not know are
// skipped (with their pad byte). A "data" chunk that is the last one may lack its pad byte.
WaveError ParseWave(const uint8_t* bytes, size_t size, WaveLayout* layout);

// A wave opened for reading: the file's bytes and its layout, read from its data chunk in order.
class WaveFile {
 public:
  // Reads the named file (through the path resolver) whole and parses it; one over kMaxSoundBytes is
  // refused unread.
  WaveError Open(std::string_view name);
  // Copies a file image and parses it.
  WaveError OpenMemory(const uint8_t* bytes, size_t size);

  const WaveFormat& Format() const { return layout_.format; }
  const std::vector<uint8_t>& ExtraFormat() const { return layout_.extra; }
  uint32_t DataSize() const { return layout_.dataSize; }

  // Back to the first sample byte.
  void ResetToData() { read_ = 0; }
  // Copies at most `bytes` of the sample bytes not read yet; the number copied.
  uint32_t Read(uint8_t* out, uint32_t bytes);

 private:
  std::vector<uint8_t> image_;
  WaveLayout layout_;
  uint32_t read_ = 0;
};

// The bytes of a wave file: "RIFF"/"WAVE", the format (16 bytes for PCM; 18 plus `extra`'s
// format.extraSize bytes and a "fact" chunk of the frame count otherwise), then "data" with its pad
// byte when the size is odd.
std::vector<uint8_t> BuildWaveImage(const WaveFormat& format, const uint8_t* samples, uint32_t size,
                                    const uint8_t* extra = nullptr);
// Writes that file through the path resolver, replacing an old one; kWriteFailed unless every byte
// reached the file.
WaveError WriteWaveFile(std::string_view name, const WaveFormat& format, const uint8_t* samples, uint32_t size,
                        const uint8_t* extra = nullptr);

}  // namespace platform::audio
