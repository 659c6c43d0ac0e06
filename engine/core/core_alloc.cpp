#include "engine/core/core_alloc.h"

#include <cstdlib>
#include <cstring>

void CoreAllocFree(void* place, uint32_t size) {
  if (!place) return;
  void* block;
  std::memcpy(&block, place, sizeof block);
  if (size == 0) {
    std::free(block);  // null frees nothing
    return;
  }
  block = std::malloc(size);
  std::memcpy(place, &block, sizeof block);
}

char* HandOverNewString(AllocFreeCallback allocFree, const char* text) {
  if (!allocFree) return nullptr;
  if (!text) text = "";
  const size_t length = std::strlen(text);
  char* result = nullptr;
  allocFree(&result, static_cast<uint32_t>(length + 1));
  if (result) std::memcpy(result, text, length + 1);
  return result;
}

char* HandOverString(AllocFreeCallback allocFree, char* previous, const char* text) {
  if (previous && allocFree) allocFree(&previous, 0);
  return HandOverNewString(allocFree, text);
}
