// Saving and loading control configuration files.
#include "game/shell/control_file.h"

#include <cstring>

#include "game/shell/data_file_report.h"
#include "game/shell/profile_bytes.h"
#include "game/shell/widget.h"
#include "platform/fs/contained_name.h"
#include "platform/fs/path.h"
#include "platform/fs/save.h"

namespace {

constexpr std::string_view kExtension = ".cfg";

using Column = int32_t (ControlBindings::*)[kGameCommandCount];
constexpr Column kColumns[] = {&ControlBindings::keyboard, &ControlBindings::alternative,
                               &ControlBindings::joystick};

}  // namespace

std::vector<uint8_t> BuildControlConfig(const ControlBindings& bindings) {
  std::vector<uint8_t> image;
  image.reserve(kControlConfigSize);
  for (Column column : kColumns)
    for (int32_t slot : kControlFileSlotOrder) AppendInteger(image, (bindings.*column)[slot]);
  return image;
}

bool ParseControlConfig(const uint8_t* data, size_t size, ControlBindings& bindings) {
  FileBytesReader reader(data, size);
  ControlBindings read{};
  for (Column column : kColumns)
    for (int32_t slot : kControlFileSlotOrder)
      if (!reader.ReadInteger((read.*column)[slot])) return false;
  bindings = read;
  return true;
}

std::string ControlConfigPath(std::string_view fileName) {
  // Config.ini names the configuration: a name that would leave its folder names no file.
  if (platform::fs::ContainedNameFault(fileName)) return {};
  // As if changing into the folder first: when it is missing, the game folder stands in for it.
  if (!platform::fs::FolderExists(kControlConfigFolder)) return FileNameOnDisk("", fileName);
  return std::string(kControlConfigFolder) + "\\" + FileNameOnDisk(kControlConfigFolder, fileName);
}

bool SaveControlConfig(char* name, size_t nameSize) {
  const size_t length = name ? strnlen(name, nameSize) : nameSize;
  if (length == nameSize) return false;
  const std::string_view given(name, length);
  if (!given.ends_with(kExtension)) {
    if (length + kExtension.size() >= nameSize) {
      DebugReport(kReportError, "[SaveControlConfig] The name \"%s\" has no room for its extension.", name);
      return false;
    }
    std::memcpy(name + length, kExtension.data(), kExtension.size());
    name[length + kExtension.size()] = '\0';
  }
  const std::vector<uint8_t> image = BuildControlConfig(Bindings());
  if (!platform::fs::SaveWholeFile(ControlConfigPath(name), image.data(), image.size())) {
    DebugReport(kReportError, "[SaveControlConfig] Unable to save \"%s\".", name);
    return false;
  }
  return true;
}

bool LoadControlConfig(const char* name) {
  if (!name || !*name) return false;
  const std::string path = ControlConfigPath(name);
  if (!platform::fs::FileExists(path)) return false;
  std::vector<uint8_t> image;
  if (!platform::fs::ReadWholeFile(path, image) || !ParseControlConfig(image.data(), image.size(), Bindings())) {
    DebugReport(kReportError, "[LoadControlConfig] \"%s\" does not hold %zu bytes; the bindings stay as they were.",
                name, kControlConfigSize);
    return false;
  }
  return true;
}
