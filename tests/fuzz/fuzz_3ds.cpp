// Converts random bytes as a 3DS file: both chunk passes, the X text written to the temporary folder
// and read back through the X converter, and the KVO image read back.
#include <cstddef>
#include <cstdint>

#include "engine/formats/converter_3ds.h"
#include "engine/formats/model_converters.h"
#include "tests/fuzz/fuzz_models.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  UsePrivateTempFolder();
  Set3DSDebugOutput(nullptr);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckConversion([&](const uint8_t** image, uint32_t* imageSize) {
    return Convert3DSModelFromMemory(data, size, image, imageSize);
  }, Free3DSModel);
  EmptyTempFolder();
  return 0;
}
