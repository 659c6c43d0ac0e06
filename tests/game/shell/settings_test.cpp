// "Config.ini" into the settings record and back.
#include "game/shell/settings.h"

#include <climits>
#include <cstring>
#include <string>

#include "game/shell/control_file.h"
#include "tests/game/shell/shell_fixture.h"

namespace {

using SettingsTest = ShellTest;

const std::string kFreshConfig =
    "\r\n[GFX]\r\nWidth=640\r\nHeight=480\r\nDepth=32\r\nWindowed=1\r\nSphereMapping=1\r\nClip=0\r\nShadows=0\r\n"
    "\r\n[SOUND]\r\nMusicVolume=255\r\nMusicPan=128\r\nEffectVolume=255\r\n"
    "\r\n[GAME]\r\nLastProfile=null\r\n";

TEST_F(SettingsTest, WithoutAFileEveryKeyTakesItsDefault) {
  LoadConfig();
  const GameSettings& s = Settings();
  EXPECT_EQ(s.width, 640);
  EXPECT_EQ(s.height, 480);
  EXPECT_EQ(s.depth, 32);
  EXPECT_TRUE(s.windowed);
  EXPECT_TRUE(s.sphereMapping);
  EXPECT_FALSE(s.shadows);
  EXPECT_FALSE(s.clip);
  EXPECT_EQ(s.musicVolume, 255);
  EXPECT_EQ(s.musicPan, 128);
  EXPECT_EQ(s.effectVolume, 255);
  EXPECT_STREQ(s.lastProfile, "null");
  EXPECT_STREQ(s.controlConfig, "");
  EXPECT_TRUE(s.NoProfile);    // a first run asks for a profile
  EXPECT_TRUE(s.ModeChanged);  // the start-up mode is always set
  EXPECT_FALSE(Exists("Config.ini"));

  // Saved from scratch: sections in the order first needed, keys in the order written, no empty text.
  EXPECT_TRUE(SaveConfig());
  EXPECT_EQ(Read("Config.ini"), kFreshConfig);
}

TEST_F(SettingsTest, ValuesAreReadHeldToTheirRangesOrReplaced) {
  const GameSettings initial;
  struct Case {
    const char* section;
    const char* key;
    std::string value;  // as written in the file
    int32_t number;     // the field afterwards (switches 0 or 1)
    const char* text = nullptr;  // for texts
  } cases[] = {
      {"GFX", "Width", "800", 800},
      {"GFX", "Width", "100", 320},
      {"GFX", "Width", "wide", 320},  // no digits read as 0
      {"GFX", "Width", "-2147483648", initial.width},
      {"GFX", "Height", "99999", 16384},
      {"GFX", "Depth", "16", 16},
      {"GFX", "Depth", "64", 32},
      {"GFX", "Windowed", "1", 1},
      {"GFX", "Windowed", "2", 0},  // only 1 is on
      {"GFX", "Windowed", "0", 0},
      {"GFX", "SphereMapping", "no", 0},
      {"GFX", "Shadows", "1", 1},
      {"GFX", "Clip", "1 ", 1},
      {"SOUND", "MusicVolume", "300", 255},
      {"SOUND", "MusicPan", "-5", 0},
      {"SOUND", "EffectVolume", "17", 17},
      {"GAME", "LastProfile", "Ann", 0, "Ann"},
      {"GAME", "LastProfile", std::string(255, 'a'), 0, nullptr},
      {"GAME", "LastProfile", std::string(256, 'a'), 0, "null"},  // a cut name would be another file
      {"GAME", "ControlCfg", "pad.cfg", 0, "pad.cfg"},
  };
  for (const Case& c : cases) {
    Settings() = GameSettings{};
    Write("Config.ini", std::string("[") + c.section + "]\n" + c.key + "=" + c.value + "\n");
    {
      LogCapture log;
      LoadConfig();
    }
    const GameSettings& s = Settings();
    const SettingsKey* k = nullptr;
    for (const SettingsKey& candidate : SettingsKeys())
      if (std::strcmp(candidate.key, c.key) == 0) k = &candidate;
    ASSERT_NE(k, nullptr) << c.key;
    EXPECT_STREQ(k->section, c.section);
    if (k->number) {
      EXPECT_EQ(s.*k->number, c.number) << c.key << "=" << c.value;
    }
    if (k->flag) {
      EXPECT_EQ(s.*k->flag, c.number == 1) << c.key << "=" << c.value;
    }
    if (k->text) {
      EXPECT_EQ(std::string(s.*k->text), c.text ? c.text : c.value) << c.key;
    }
  }
}

TEST_F(SettingsTest, NoProfileOnlyForExactlyNull) {
  for (const char* value : {"null", "NULL", "Null", "nulls"}) {
    Settings() = GameSettings{};
    Write("Config.ini", std::string("[GAME]\nLastProfile=") + value + "\n");
    LoadConfig();
    EXPECT_EQ(Settings().NoProfile, std::strcmp(value, "null") == 0) << value;
  }
}

TEST_F(SettingsTest, CommentsAndUnknownKeysSurviveLoadingAndSaving) {
  Write("Config.ini",
        "; display settings\n[GFX]\n; the width\nWidth=1024\nGamma=3\n[Extra]\nx=1\n[GAME]\nControlCfg=old.cfg\n");
  LoadConfig();
  EXPECT_EQ(Settings().width, 1024);
  // Start-up writes the file back in the class's layout.
  EXPECT_EQ(Read("Config.ini"),
            "\r\n; display settings\r\n[GFX]\r\n\r\n; the width\r\nWidth=1024\r\nGamma=3\r\n\r\n[Extra]\r\nx=1\r\n"
            "\r\n[GAME]\r\nControlCfg=old.cfg\r\n");

  // Saving keeps the header's comment and the unknown keys, drops the written key's comment, appends the
  // missing keys and sections, and drops a key whose text became empty.
  Settings().controlConfig[0] = '\0';
  Settings().windowed = false;
  ASSERT_TRUE(SaveConfig());
  EXPECT_EQ(Read("Config.ini"),
            "\r\n; display settings\r\n[GFX]\r\nWidth=1024\r\nGamma=3\r\nHeight=480\r\nDepth=32\r\nWindowed=0\r\n"
            "SphereMapping=1\r\nClip=0\r\nShadows=0\r\n\r\n[Extra]\r\nx=1\r\n\r\n[GAME]\r\nLastProfile=null\r\n"
            "\r\n[SOUND]\r\nMusicVolume=255\r\nMusicPan=128\r\nEffectVolume=255\r\n");
}

TEST_F(SettingsTest, DisplaySettingsMarkOnlyAModeChange) {
  GameSettings& s = Settings();
  SetDisplaySettings("Adapter One", 640, 480, 32, false, false, true, true);
  EXPECT_FALSE(s.ModeChanged);  // same mode, whatever the switches
  EXPECT_STREQ(s.adapterName, "Adapter One");
  EXPECT_FALSE(s.windowed);
  EXPECT_TRUE(s.shadows);
  EXPECT_TRUE(s.clip);
  SetDisplaySettings(std::string(300, 'n'), 640, 480, 16, true, true, false, false);
  EXPECT_TRUE(s.ModeChanged);
  EXPECT_EQ(std::strlen(s.adapterName), kSettingsTextSize - 1);  // cut to the field
  EXPECT_EQ(s.depth, 16);
  s.ModeChanged = false;
  SetDisplaySettings("", 800, 480, 16, true, true, false, false);
  EXPECT_TRUE(s.ModeChanged);
}

TEST_F(SettingsTest, TheNamedControlConfigurationIsLoaded) {
  MakeFolders("Profiles/Configs");
  Bindings().keyboard[kPause] = 77;
  char name[32] = "mine";
  ASSERT_TRUE(SaveControlConfig(name));
  SetDefaultControls();
  Write("Config.ini", "[GAME]\nControlCfg=mine.cfg\n");
  LoadConfig();
  EXPECT_EQ(Bindings().keyboard[kPause], 77);
}

TEST_F(SettingsTest, AFailedSaveKeepsThePreviousConfig) {
  Write("Config.ini", "[GFX]\nWidth=800\n");
  EXPECT_FALSE(SaveSucceedsOnFullDisk(16, [] { return SaveConfig(); }));
  EXPECT_EQ(Read("Config.ini"), "[GFX]\nWidth=800\n");
  EXPECT_EQ(CountEntries("."), 1u);
}

}  // namespace
