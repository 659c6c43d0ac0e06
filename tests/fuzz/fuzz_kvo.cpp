// Reads random bytes as a KVO image. A tree that reads must write again, and its image must read back
// to a tree that writes the very same image.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/formats/kvo_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<ObjectRecord> object;
  if (!LoadModelFromMemory(data, size, &object)) {
    if (object) std::abort();  // a failed read keeps nothing
    return 0;
  }
  std::vector<uint8_t> image, again;
  std::unique_ptr<ObjectRecord> copy;
  if (!SaveModelToMemory(object.get(), &image)) std::abort();
  if (!LoadModelFromMemory(image.data(), image.size(), &copy)) std::abort();
  if (!SaveModelToMemory(copy.get(), &again) || again != image) std::abort();
  return 0;
}
