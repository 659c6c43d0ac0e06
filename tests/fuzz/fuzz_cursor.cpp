// Cursor files are read from the current folder at start-up: any bytes must decode or be refused.
#include <cstddef>
#include <cstdint>

#include "platform/window/cursor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::window::CursorImage image;
  for (int want : {32, 7}) platform::window::DecodeCursorFile(data, size, want, image);
  return 0;
}
