// Mouse cursors: ".cur" files read by our own reader into colour cursors, and the standard shapes.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

namespace platform::window {

class Cursor;

// A decoded cursor picture: RGBA pixels, row by row from the top, and the hot spot.
struct CursorImage {
  int width = 0, height = 0;
  int hotX = 0, hotY = 0;
  std::vector<uint8_t> rgba;
};

// Decodes a ".cur" (or ".ico") file image: the entry whose size is closest to want x want, scaled to
// want x want. Uncompressed 1, 4, 8, 24 and 32 bits per pixel with their AND mask, and PNG entries are
// not supported. False for anything malformed or truncated.
bool DecodeCursorFile(const uint8_t* data, size_t size, int want, CursorImage& out);

// Loads a ".cur" file (through the path resolver) as a want x want cursor; null when the file is
// missing or cannot be read.
Cursor* LoadCursorFile(std::string_view name, int want = 32);
enum class StandardCursor { Arrow, Wait };
Cursor* LoadStandardCursor(StandardCursor shape);
// Makes `cursor` the pointer's shape; null shows no pointer over the window.
void SetCursor(Cursor* cursor);
Cursor* GetCursor();
// Display counter: the pointer shows while the counter is 0 or more. Returns the new counter.
int ShowCursor(bool show);

}  // namespace platform::window
