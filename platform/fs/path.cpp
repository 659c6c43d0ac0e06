#include "platform/fs/path.h"

#include <sys/stat.h>

namespace platform::fs {

// First version: separators only. Case-insensitive matching follows.
std::string ResolvePath(std::string_view name) {
  std::string path(name);
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

FILE* OpenFile(std::string_view name, const char* mode) { return std::fopen(ResolvePath(name).c_str(), mode); }

bool ReadWholeFile(std::string_view name, std::vector<uint8_t>& out) {
  FILE* f = OpenFile(name, "rb");
  if (!f) return false;
  out.clear();
  uint8_t buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.insert(out.end(), buffer, buffer + n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

bool FileExists(std::string_view name) {
  struct stat st;
  return stat(ResolvePath(name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace platform::fs
