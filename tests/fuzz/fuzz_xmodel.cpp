// Converts random bytes as an X file (text, binary or compressed) the way the model loader does:
// reader, converter, KVO image, and the image read back. Every model the converter accepts must read
// back from its image.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/formats/kvo_format.h"
#include "engine/formats/model_converters.h"
#include "engine/formats/x_converter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const uint8_t* image = nullptr;
  uint32_t imageSize = 0;
  if (ConvertXModelFromMemory(data, size, &image, &imageSize)) {
    std::unique_ptr<ObjectRecord> object;
    if (!LoadModelFromMemory(image, imageSize, &object) || object->meshList.empty()) std::abort();
  } else if (image || imageSize) {
    std::abort();
  }
  FreeXModel(image);
  return 0;
}
