// Converts random bytes as an MDL studio model (its skins go to the fuzzer's own temporary folder)
// and reads its KVO image back.
#include <cstddef>
#include <cstdint>

#include "engine/formats/converter_mdl.h"
#include "engine/formats/model_converters.h"
#include "tests/fuzz/fuzz_models.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  UsePrivateTempFolder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckConversion([&](const uint8_t** image, uint32_t* imageSize) {
    return ConvertMDLModelFromMemory(data, size, image, imageSize);
  }, FreeMDLModel);
  EmptyTempFolder();
  return 0;
}
