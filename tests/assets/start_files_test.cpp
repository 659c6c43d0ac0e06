// What the game finds at its first start: settings it can read, naming a control configuration that
// holds the default bindings, and a folder of media within its size budget.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/fs/path.h"
#include "tests/assets/assets_fixture.h"

namespace {

// section -> key -> value, read the way the game's INI class reads (blank lines and spaces ignored).
std::map<std::string, std::map<std::string, std::string>> ReadIni(const std::string& name) {
  std::map<std::string, std::map<std::string, std::string>> ini;
  std::ifstream in(name);
  std::string line, section;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (line[0] == '[') {
      section = line.substr(1, line.find(']') - 1);
      continue;
    }
    const size_t equals = line.find('=');
    if (equals != std::string::npos) ini[section][line.substr(0, equals)] = line.substr(equals + 1);
  }
  return ini;
}

class StartFilesTest : public AssetsTest {};

TEST_F(StartFilesTest, SettingsStartWithoutAProfileAndNameTheDefaultControls) {
  auto ini = ReadIni("Config.ini");
  EXPECT_EQ(ini["GFX"]["Width"], "800");
  EXPECT_EQ(ini["GFX"]["Height"], "600");
  EXPECT_EQ(ini["GFX"]["Windowed"], "1");
  for (const char* key : {"MusicVolume", "MusicPan", "EffectVolume"}) {
    const int value = std::stoi(ini["SOUND"][key]);
    EXPECT_GE(value, 0) << key;
    EXPECT_LE(value, 255) << key;
  }
  EXPECT_EQ(ini["GAME"]["LastProfile"], "null") << "the first start asks for a profile";
  const std::string controls = "Profiles\\Configs\\" + ini["GAME"]["ControlCfg"];
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(platform::fs::ReadWholeFile(controls, bytes)) << controls;
  ASSERT_EQ(bytes.size(), 120u);
  const auto value = [&](int column, int place) {
    const size_t at = size_t(column * 40 + place * 4);
    return int32_t(uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
                   uint32_t(bytes[at + 3]) << 24);
  };
  // Within a column the file keeps Camera Mode, Menu Screen, Pause and Planning Screen in that order
  // after the five driving commands.
  EXPECT_EQ(value(0, 0), 200);  // Accelerate: Arrow Up
  EXPECT_EQ(value(1, 2), 31);   // Turn Left's other key: S
  EXPECT_EQ(value(0, 5), 46);   // Camera Mode: C
  EXPECT_EQ(value(0, 7), 197);  // Pause
  EXPECT_EQ(value(0, 8), 25);   // Planning Screen: P
  EXPECT_EQ(value(1, 9), 88);   // Restart Level's other key: F12
  EXPECT_EQ(value(2, 8), -1);   // Planning Screen has no joystick input
}

TEST_F(StartFilesTest, TheMediaStayWithinTheirSizeBudget) {
  uintmax_t total = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator("."))
    if (entry.is_regular_file()) total += entry.file_size();
  EXPECT_LT(total, uintmax_t(15) << 20);
}

}  // namespace
