#include "platform/fs/path.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cctype>

namespace platform::fs {

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool IsDriveName(std::string_view name) {
  return name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':' &&
         (name.size() == 2 || IsSeparator(name[2]));
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

bool EntryExists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// The entry of `folder` that matches `component` without regard to case; the first in byte order when
// several do, so the choice does not depend on the order the folder happens to list them in.
bool FindIgnoringCase(const std::string& folder, std::string_view component, std::string& match) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return false;
  bool found = false;
  while (dirent* entry = readdir(dir)) {
    std::string_view entry_name(entry->d_name);
    if (SameIgnoringCase(entry_name, component) && (!found || entry_name < match)) {
      match.assign(entry_name);
      found = true;
    }
  }
  closedir(dir);
  return found;
}

}  // namespace

std::string ResolvePath(std::string_view name) {
  if (name.empty() || IsDriveName(name)) return {};
  std::string path;
  if (IsSeparator(name.front())) path = "/";
  bool matching = true;  // false once a component is missing: nothing below it can exist
  size_t pos = 0;
  while (pos < name.size()) {
    while (pos < name.size() && IsSeparator(name[pos])) ++pos;
    size_t end = pos;
    while (end < name.size() && !IsSeparator(name[end])) ++end;
    if (end == pos) break;
    std::string_view component = name.substr(pos, end - pos);
    pos = end;

    // `path` is now the folder resolved so far: empty (the current folder) or ending in "/".
    if (!path.empty() && path.back() != '/') path += '/';
    std::string candidate = path + std::string(component);
    if (matching && component != "." && component != ".." && !EntryExists(candidate)) {
      std::string match;
      if (FindIgnoringCase(path, component, match))
        candidate = path + match;
      else
        matching = false;
    }
    path = std::move(candidate);
  }
  if (IsSeparator(name.back()) && !path.empty() && path.back() != '/') path += '/';
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

bool FolderExists(std::string_view name) {
  struct stat st;
  return stat(ResolvePath(name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace platform::fs
