// Converters whose formats are not read yet. They keep their places in the dispatch so those
// extensions already fail as a failed conversion would.
#include "engine/formats/model_converters.h"

namespace {

bool NoConversion(const uint8_t** image, uint32_t* size) {
  if (image) *image = nullptr;
  if (size) *size = 0;
  return false;
}

}  // namespace

bool ConvertMD2Model(const char*, const uint8_t** image, uint32_t* size) { return NoConversion(image, size); }
void FreeMD2Model(const uint8_t*) {}
bool ConvertMD3Model(const char*, const uint8_t** image, uint32_t* size) { return NoConversion(image, size); }
void FreeMD3Model(const uint8_t*) {}
bool Convert3DSModel(const char*, const uint8_t** image, uint32_t* size) { return NoConversion(image, size); }
void Free3DSModel(const uint8_t*) {}
bool ConvertMDLModel(const char*, const uint8_t** image, uint32_t* size) { return NoConversion(image, size); }
void FreeMDLModel(const uint8_t*) {}
