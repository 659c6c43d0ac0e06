// "Config.ini" into the settings record and back.
#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "game/shell/control_file.h"
#include "game/shell/data_file.h"
#include "game/shell/data_file_report.h"
#include "game/shell/settings.h"

void LoadConfig() {
  GameSettings& s = Settings();
  const GameSettings initial;
  {
    CDataFile file(kConfigFileName);
    for (const SettingsKey& k : SettingsKeys()) {
      if (k.number) {
        const int32_t value = file.GetInt(k.key, k.section);
        s.*k.number = value == INT_MIN ? initial.*k.number : std::clamp(value, k.minimum, k.maximum);
      } else if (k.flag) {
        const int32_t value = file.GetInt(k.key, k.section);
        s.*k.flag = value == INT_MIN ? initial.*k.flag : value == 1;
      } else {
        const std::string value = file.GetValue(k.key, k.section);
        const bool fits = value.size() < kSettingsTextSize;
        // A cut name would name another file: a text that does not fit is not used at all.
        if (!fits) DebugReport(kReportWarn, "[LoadConfig] The value of %s is longer than 255 characters.", k.key);
        StoreText(s.*k.text, value.empty() || !fits ? std::string_view(initial.*k.text) : std::string_view(value));
      }
    }
    if (s.controlConfig[0]) LoadControlConfig(s.controlConfig);
    if (std::strcmp(s.lastProfile, "null") == 0) s.NoProfile = true;
    s.ModeChanged = true;  // the start-up mode is always set
  }  // the file was marked changed by loading, so it is written back in the class's own layout
}

bool SaveConfig() {
  const GameSettings& s = Settings();
  CDataFile file(kConfigFileName);  // keeps the keys and comments this record does not know
  for (const SettingsKey& k : SettingsKeys()) {
    if (k.number) file.SetInt(k.key, s.*k.number, {}, k.section);
    else if (k.flag) file.SetInt(k.key, s.*k.flag ? 1 : 0, {}, k.section);
    else file.SetValue(k.key, s.*k.text, {}, k.section);
  }
  return file.Save();
}
