// The check of a typed name that becomes a file name. In a file of its own, free of the engine, so
// the map file's save shares it without pulling the menu's widgets into every program that writes maps.
#include <cstring>

#include "game/shell/widget.h"

bool IsPlainFileName(const char* name, size_t maxLength) {
  if (!name) return false;
  const size_t length = strnlen(name, maxLength + 1);
  if (length == 0 || length > maxLength || std::strstr(name, "..")) return false;
  for (size_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (c < 32 || c == 127 || c == '/' || c == '\\') return false;
  }
  return true;
}
