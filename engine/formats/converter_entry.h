// The steps the entries of the MD2, MD3, 3DS and MDL converters share: empty outputs first, one
// conversion into the converter's state, and on failure nothing kept.
#pragma once
#include <cstdint>
#include <new>
#include <vector>

// Empties the outputs; false when either is missing.
inline bool ResetConverterOutputs(const uint8_t** image, uint32_t* size) {
  if (!image || !size) return false;
  *image = nullptr;
  *size = 0;
  return true;
}

// Runs `convert`, which builds the converter's `image`; a failed allocation is a failed conversion.
// On success the outputs point at the image; on failure `clear` releases the converter's state.
template <typename Convert, typename Clear, typename Image>
bool RunConversion(Convert convert, Clear clear, const Image& image, const uint8_t** out,
                   uint32_t* size) {
  bool ok = false;
  try {
    ok = convert();
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  if (!ok) {
    clear();
    return false;
  }
  *out = image.data();
  *size = uint32_t(image.size());
  return true;
}
