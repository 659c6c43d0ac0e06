// RIFF "WAVE" reading. Nothing in a file is trusted: every size is checked against the bytes that
// follow it before anything is read.
#include <cstring>

#include "platform/audio/wave_file.h"
#include "platform/fs/path.h"

namespace platform::audio {

namespace {

uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
bool IsId(const uint8_t* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

WaveError ReadFormat(const uint8_t* body, uint32_t size, WaveLayout* layout) {
  if (size < 16) return WaveError::kNoFormat;
  WaveFormat& f = layout->format;
  f.formatTag = U16(body);
  f.channels = U16(body + 2);
  f.samplesPerSecond = U32(body + 4);
  f.avgBytesPerSecond = U32(body + 8);
  f.blockAlign = U16(body + 12);
  f.bitsPerSample = U16(body + 14);
  f.extraSize = 0;
  layout->extra.clear();
  if (f.formatTag == kWaveFormatPcm) {
    // Extra bytes a writer left after a PCM format mean nothing.
    return IsPlayablePcm(f) ? WaveError::kNone : WaveError::kBadFormat;
  }
  if (size < 18) return WaveError::kNoFormat;
  f.extraSize = U16(body + 16);
  if (f.extraSize > size - 18) return WaveError::kNoFormat;
  layout->extra.assign(body + 18, body + 18 + f.extraSize);
  return WaveError::kNone;
}

WaveError ParseChunks(const uint8_t* bytes, size_t size, WaveLayout* layout) {
  if (!bytes || size < 12 || !IsId(bytes, "RIFF")) return WaveError::kNotRiff;
  const uint32_t riffSize = U32(bytes + 4);
  if (riffSize > size - 8) return WaveError::kNotRiff;
  if (riffSize < 4 || !IsId(bytes + 8, "WAVE")) return WaveError::kNotWave;
  const size_t end = 8 + size_t(riffSize);

  bool haveFormat = false, haveData = false;
  size_t pos = 12;
  while (end - pos >= 8) {
    const uint8_t* header = bytes + pos;
    const uint32_t chunkSize = U32(header + 4);
    const size_t body = pos + 8;
    if (chunkSize > end - body) return WaveError::kBadChunk;
    // The first chunk of each kind counts, as a search from the start of the form finds it.
    if (!haveFormat && IsId(header, "fmt ")) {
      if (WaveError e = ReadFormat(bytes + body, chunkSize, layout); e != WaveError::kNone) return e;
      haveFormat = true;
    } else if (!haveData && IsId(header, "data")) {
      layout->dataOffset = body;
      layout->dataSize = chunkSize;
      haveData = true;
    }
    const size_t next = body + chunkSize + (chunkSize & 1);
    if (next >= end) break;  // also a last chunk without its pad byte
    pos = next;
  }
  if (!haveFormat) return WaveError::kNoFormat;
  if (!haveData) return WaveError::kNoData;
  return WaveError::kNone;
}

}  // namespace

const char* WaveErrorText(WaveError error) {
  switch (error) {
    case WaveError::kNone: return "no error";
    case WaveError::kOpenFailed: return "the wave file could not be read";
    case WaveError::kNotRiff: return "not a RIFF file, or one shorter than its header says";
    case WaveError::kNotWave: return "a RIFF file that is not a wave";
    case WaveError::kBadChunk: return "a chunk of the wave runs past its end";
    case WaveError::kNoFormat: return "the wave has no complete format chunk";
    case WaveError::kBadFormat: return "the wave's PCM format is not 8 or 16 bits, mono or stereo, or is inconsistent";
    case WaveError::kNoData: return "the wave has no data chunk";
    case WaveError::kWriteFailed: return "the wave file could not be written";
    case WaveError::kTooLarge: return "the wave file is larger than a sound may be";
  }
  return "unknown wave error";
}

WaveError ParseWave(const uint8_t* bytes, size_t size, WaveLayout* layout) {
  *layout = WaveLayout{};
  const WaveError error = ParseChunks(bytes, size, layout);
  if (error != WaveError::kNone) *layout = WaveLayout{};  // nothing of a damaged file is used
  return error;
}

WaveError WaveFile::Open(std::string_view name) {
  std::vector<uint8_t> bytes;
  platform::fs::ReadFailure why = platform::fs::ReadFailure::kNone;
  if (!platform::fs::ReadWholeFile(name, bytes, kMaxSoundBytes, &why)) {
    *this = WaveFile{};
    return why == platform::fs::ReadFailure::kTooLarge ? WaveError::kTooLarge : WaveError::kOpenFailed;
  }
  image_ = std::move(bytes);
  read_ = 0;
  return ParseWave(image_.data(), image_.size(), &layout_);
}

WaveError WaveFile::OpenMemory(const uint8_t* bytes, size_t size) {
  image_.assign(bytes, bytes + (bytes ? size : 0));
  read_ = 0;
  return ParseWave(image_.data(), image_.size(), &layout_);
}

uint32_t WaveFile::Read(uint8_t* out, uint32_t bytes) {
  if (layout_.dataOffset == 0 || read_ >= layout_.dataSize) return 0;
  const uint32_t count = std::min(bytes, layout_.dataSize - read_);
  std::memcpy(out, image_.data() + layout_.dataOffset + read_, count);
  read_ += count;
  return count;
}

}  // namespace platform::audio
