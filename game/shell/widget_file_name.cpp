// Typed names that become file names: the check of a name, and the way between the name the game
// shows and keeps and the name on disk. In a file of its own, free of the engine, so the map file's
// save shares it without pulling the menu's widgets into every program that writes maps.
#include <cstring>

#include "game/shell/widget.h"
#include "platform/charset/windows1252.h"
#include "platform/fs/path.h"

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

std::string FileNameOnDisk(std::string_view folder, std::string_view name) {
  std::string utf8 = platform::charset::Utf8FromWindows1252(name);
  if (utf8 == name) return utf8;
  const auto inFolder = [&](std::string_view file) {
    return folder.empty() ? std::string(file) : std::string(folder) + "\\" + std::string(file);
  };
  if (!platform::fs::FileExists(inFolder(utf8)) && platform::fs::FileExists(inFolder(name))) return std::string(name);
  return utf8;
}

std::string FileNameInGame(std::string_view diskName) {
  if (std::optional<std::string> text = platform::charset::Windows1252FromUtf8(diskName)) return *text;
  return std::string(diskName);
}
