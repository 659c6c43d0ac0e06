// RIFF "WAVE" writing: the whole image is built in memory and written in one go, so a short write is
// seen and reported.
#include <cstring>

#include "platform/audio/wave_file.h"
#include "platform/fs/files.h"
#include "platform/fs/path.h"

namespace platform::audio {

namespace {

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void PutId(std::vector<uint8_t>& out, const char* id) { out.insert(out.end(), id, id + 4); }

}  // namespace

std::vector<uint8_t> BuildWaveImage(const WaveFormat& format, const uint8_t* samples, uint32_t size,
                                    const uint8_t* extra) {
  const bool pcm = format.formatTag == kWaveFormatPcm;
  const uint16_t extraSize = pcm || !extra ? 0 : format.extraSize;
  const uint32_t formatSize = pcm ? 16 : 18 + uint32_t(extraSize);
  const uint32_t pad = size & 1;
  std::vector<uint8_t> out;
  out.reserve(64 + size_t(extraSize) + size);
  PutId(out, "RIFF");
  Put32(out, 0);  // patched below
  PutId(out, "WAVE");
  PutId(out, "fmt ");
  Put32(out, formatSize);
  Put16(out, format.formatTag);
  Put16(out, format.channels);
  Put32(out, format.samplesPerSecond);
  Put32(out, format.avgBytesPerSecond);
  Put16(out, format.blockAlign);
  Put16(out, format.bitsPerSample);
  if (!pcm) {
    Put16(out, extraSize);
    if (extraSize) out.insert(out.end(), extra, extra + extraSize);
    if (formatSize & 1) out.push_back(0);
    PutId(out, "fact");
    Put32(out, 4);
    Put32(out, format.blockAlign ? size / format.blockAlign : 0);
  }
  PutId(out, "data");
  Put32(out, size);
  if (size) out.insert(out.end(), samples, samples + size);
  if (pad) out.push_back(0);
  const uint32_t riffSize = uint32_t(out.size() - 8);
  std::memcpy(out.data() + 4, &riffSize, 4);  // little-endian host
  return out;
}

WaveError WriteWaveFile(std::string_view name, const WaveFormat& format, const uint8_t* samples, uint32_t size,
                        const uint8_t* extra) {
  if (!samples && size) return WaveError::kWriteFailed;
  const std::vector<uint8_t> image = BuildWaveImage(format, samples, size, extra);
  FILE* file = platform::fs::OpenFile(name, "wb");
  if (!file) return WaveError::kWriteFailed;
  const bool written = std::fwrite(image.data(), 1, image.size(), file) == image.size();
  const bool closed = std::fclose(file) == 0;
  return written && closed ? WaveError::kNone : WaveError::kWriteFailed;
}

}  // namespace platform::audio
