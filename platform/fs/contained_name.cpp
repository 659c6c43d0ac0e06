#include "platform/fs/contained_name.h"

namespace platform::fs {

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

const char* ContainedNameFault(std::string_view name) {
  if (name.empty()) return nullptr;
  if (IsSeparator(name[0])) return "it starts at the root";
  // "C:", "C:x" and "C:\x" all name a drive rather than something in the folder.
  if (name.size() >= 2 && IsLetter(name[0]) && name[1] == ':') return "it names a drive";
  for (size_t start = 0; start <= name.size();) {
    size_t end = start;
    while (end < name.size() && !IsSeparator(name[end])) ++end;
    if (name.substr(start, end - start) == "..") return "it climbs out of its folder with \"..\"";
    start = end + 1;
  }
  return nullptr;
}

bool JoinContainedName(std::string_view folder, std::string_view name, std::string& path) {
  path.clear();
  if (ContainedNameFault(name)) return false;
  path.assign(folder);
  path.append(name);
  return true;
}

}  // namespace platform::fs
