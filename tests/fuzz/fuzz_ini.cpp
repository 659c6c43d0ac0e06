// "Config.ini" is edited by hand: any text must load, and what the class writes must load back to the
// same sections and keys, so a second write gives the same text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "game/shell/data_file.h"
#include "game/shell/data_file_report.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SetDebuggerOutputSink([](const char*) {});
  std::string once;
  {
    CDataFile file;
    file.LoadText(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const IniSection& section : file.Sections())
      for (const IniKey& key : section.keys)
        if (file.GetValue(key.name, section.name) != key.value) __builtin_trap();
    once = file.SaveText();
  }
  CDataFile again;
  again.LoadText(once);
  if (again.SaveText() != once) __builtin_trap();
  return 0;
}
