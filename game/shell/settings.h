// The player's display, sound and game choices, kept in "Config.ini" (sections "GFX", "SOUND", "GAME")
// in the game folder, read once at start-up and written by the option screens and the profile code.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// Texts of the record hold up to 255 characters.
constexpr size_t kSettingsTextSize = 256;
inline constexpr const char* kConfigFileName = "Config.ini";

struct GameSettings {
  char adapterName[kSettingsTextSize] = {};  // chosen on the graphics screen; not kept in the file
  int32_t width = 640;
  int32_t height = 480;
  int32_t depth = 32;
  bool windowed = true;
  bool sphereMapping = true;  // image 5004 as a second texture on the level's objects
  bool shadows = false;
  bool clip = false;  // distance clipping with fog
  int32_t musicVolume = 255;
  int32_t musicPan = 128;
  int32_t effectVolume = 255;
  char lastProfile[kSettingsTextSize] = "null";  // "null": no profile yet
  char controlConfig[kSettingsTextSize] = {};    // the ".cfg" file loaded at start-up
  // Width, height or depth differ from the mode last applied.
  bool ModeChanged = false;
  // "LastProfile" was "null": start-up names the profile "None Loaded" and the menu asks for a new one.
  bool NoProfile = false;
};

// The one record of the run.
GameSettings& Settings();

// Reads "Config.ini" into the record (missing keys take the record's initial values, numbers are held
// to their ranges in SettingsKeys), loads the control configuration it names and marks the display mode for applying.
void LoadConfig();
// Writes the record to "Config.ini", keeping the file's other keys and its comments. False (logged)
// when the file could not be written; the previous file is then untouched.
bool SaveConfig();
// Stores the graphics screen's choices; a new width, height or depth marks the mode for applying.
void SetDisplaySettings(std::string_view adapterName, int32_t width, int32_t height, int32_t depth, bool windowed,
                        bool sphereMapping, bool shadows, bool clip);
// Puts the display part into effect: the mode when it changed, windowed (centred on the screen) or
// full screen, and the view distance with or without fog.
void ApplyDisplayMode();

// One key of "Config.ini" and the record field it fills: a number (held to minimum..maximum), a switch
// (on only for the value 1) or a text. A key that is missing or empty, a number that reads as INT_MIN
// and a text longer than 255 characters give the field its initial value in GameSettings.
struct SettingsKey {
  const char* key;
  const char* section;
  int32_t GameSettings::*number = nullptr;
  bool GameSettings::*flag = nullptr;
  char (GameSettings::*text)[kSettingsTextSize] = nullptr;
  int32_t minimum = 0;
  int32_t maximum = 0;
};
// In the order SaveConfig writes them.
std::span<const SettingsKey> SettingsKeys();

// Copies the text into a record field, cut to the field; false when it had to be cut.
bool StoreText(char* field, size_t fieldSize, std::string_view text);
template <size_t N>
bool StoreText(char (&field)[N], std::string_view text) {
  return StoreText(field, N, text);
}
