// Converts random bytes as an MD2 model and reads its KVO image back.
#include <cstddef>
#include <cstdint>

#include "engine/formats/converter_md2.h"
#include "engine/formats/model_converters.h"
#include "tests/fuzz/fuzz_models.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckConversion([&](const uint8_t** image, uint32_t* imageSize) {
    return ConvertMD2ModelFromMemory(data, size, image, imageSize);
  }, FreeMD2Model);
  return 0;
}
