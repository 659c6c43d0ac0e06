// The settings record, its keys in "Config.ini" and the graphics screen's setter.
#include "game/shell/settings.h"

#include <cstring>

namespace {

GameSettings g_settings;

// Ranges: display sizes the device layer can make, depths of the modes it lists, and the sound
// library's 0..255 for volumes and pan.
constexpr SettingsKey kKeys[] = {
    {"Width", "GFX", &GameSettings::width, nullptr, nullptr, 320, 16384},
    {"Height", "GFX", &GameSettings::height, nullptr, nullptr, 200, 16384},
    {"Depth", "GFX", &GameSettings::depth, nullptr, nullptr, 16, 32},
    {"Windowed", "GFX", nullptr, &GameSettings::windowed},
    {"SphereMapping", "GFX", nullptr, &GameSettings::sphereMapping},
    {"Clip", "GFX", nullptr, &GameSettings::clip},
    {"Shadows", "GFX", nullptr, &GameSettings::shadows},
    {"MusicVolume", "SOUND", &GameSettings::musicVolume, nullptr, nullptr, 0, 255},
    {"MusicPan", "SOUND", &GameSettings::musicPan, nullptr, nullptr, 0, 255},
    {"EffectVolume", "SOUND", &GameSettings::effectVolume, nullptr, nullptr, 0, 255},
    {"LastProfile", "GAME", nullptr, nullptr, &GameSettings::lastProfile},
    {"ControlCfg", "GAME", nullptr, nullptr, &GameSettings::controlConfig},
};

}  // namespace

GameSettings& Settings() { return g_settings; }

std::span<const SettingsKey> SettingsKeys() { return kKeys; }

bool StoreText(char* field, size_t fieldSize, std::string_view text) {
  const size_t length = text.size() < fieldSize ? text.size() : fieldSize - 1;
  std::memcpy(field, text.data(), length);
  field[length] = '\0';
  return length == text.size();
}

void SetDisplaySettings(std::string_view adapterName, int32_t width, int32_t height, int32_t depth, bool windowed,
                        bool sphereMapping, bool shadows, bool clip) {
  GameSettings& s = g_settings;
  if (width != s.width || height != s.height || depth != s.depth) s.ModeChanged = true;
  StoreText(s.adapterName, adapterName);
  s.width = width;
  s.height = height;
  s.depth = depth;
  s.windowed = windowed;
  s.sphereMapping = sphereMapping;
  s.shadows = shadows;
  s.clip = clip;
}
