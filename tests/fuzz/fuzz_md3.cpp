// Converts random bytes as an MD3 player model: the input is cut into the lower, upper and head
// parts by two 32-bit lengths at its start (clamped to what follows), the rest being the head.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/formats/converter_md3.h"
#include "engine/formats/model_converters.h"
#include "tests/fuzz/fuzz_models.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  uint32_t lengths[2];
  std::memcpy(lengths, data, 8);
  MD3PartImages parts;
  size_t at = 8;
  for (int i = 0; i < 3; ++i) {
    const size_t length = i < 2 ? std::min<size_t>(lengths[i], size - at) : size - at;
    parts.data[i] = data + at;
    parts.size[i] = length;
    at += length;
  }
  CheckConversion([&](const uint8_t** image, uint32_t* imageSize) {
    return ConvertMD3ModelFromParts(parts, "player", image, imageSize);
  }, FreeMD3Model);
  return 0;
}
