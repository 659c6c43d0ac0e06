// Wave files reach the reader from the game's folders and from memory blocks: any bytes must parse or
// be refused, and a parsed file's samples must read back within its bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/audio/wave_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  namespace pa = platform::audio;
  pa::WaveFile wave;
  if (wave.OpenMemory(data, size) != pa::WaveError::kNone) return 0;
  std::vector<uint8_t> samples(wave.DataSize());
  const uint32_t read = wave.Read(samples.data(), uint32_t(samples.size()));
  if (read != wave.DataSize()) __builtin_trap();
  // Written again, the image parses to the same format and samples.
  const std::vector<uint8_t> image =
      pa::BuildWaveImage(wave.Format(), samples.data(), read, wave.ExtraFormat().data());
  pa::WaveLayout layout;
  if (pa::ParseWave(image.data(), image.size(), &layout) != pa::WaveError::kNone || layout.dataSize != read)
    __builtin_trap();
  return 0;
}
