// Graphics and sound options.
#include "game/shell/option_screen.h"

#include "engine/display/display.h"
#include "engine/media2d/basic2d.h"
#include "game/play/game_font.h"
#include "game/play/game_state.h"
#include "game/play/music.h"
#include "game/shell/menu.h"
#include "game/shell/menu_layout.h"
#include "game/shell/menu_screens.h"
#include "game/shell/menu_state.h"
#include "game/shell/menu_text.h"
#include "game/shell/settings.h"
#include "game/shell/widget.h"
#include "platform/window/message_box.h"
#include "platform/window/messages.h"

namespace {

constexpr const char* kRestartNote = "(Requires Restart)";

struct CheckRow {
  int32_t y;
  const char* label;
  uint8_t MenuState::*flag;
};
constexpr CheckRow kCheckRows[] = {
    {310, "Windowed", &MenuState::windowed},
    {330, "Enable Sphere Mapping", &MenuState::sphereMapping},
    {350, "Enable Shadows", &MenuState::shadows},
    {370, "Force Distance Clipping", &MenuState::clip},
};

// The check boxes, h x h at W - 286; a set one filled with its bottom-left corner darker.
void DrawCheckBoxes(int32_t w, int32_t h) {
  const uint32_t corner = PackColour(kFramePurple), other = PackColour(kPressedPink);
  for (const CheckRow& row : kCheckRows) {
    const int32_t x = w - 286, y = ColumnY(row.y);
    if (Menu().*row.flag) FillGradient(x, y, x + h, y + h, corner, other, other, other);
    DrawRectFrame(x, y, x + h, y + h, kFramePurple);
  }
}

// Each row is a click target from its label to its box.
void CheckRows(int32_t w, int32_t h) {
  for (const CheckRow& row : kCheckRows) {
    const int32_t y = ColumnY(row.y);
    const bool over = MouseInside(w - 450, y, w - 286 + h, y + h);
    SetMenuTextColour(over ? kHoverPurple : kWhite);
    DrawMenuText(kItemFont, w - 450, y, 0, row.label, {w - 450, w - 287});
    if (over && MenuClick()) {
      Menu().*row.flag = !(Menu().*row.flag);
      TakeClick();
    }
  }
  SetMenuTextColour(kWhite);
  DrawMenuText(kItemFont, w - 240, ColumnY(kCheckRows[0].y), 0, kRestartNote, ScreenBox());
}

// "Apply Settings": stores the choices; a new mode or window switch ends the game so that the next
// start sets it up. An empty list (the engine reported nothing) keeps the stored adapter or mode.
int32_t ApplyGraphicsSettings() {
  MenuState& m = Menu();
  GameSettings& s = Settings();
  int32_t width = s.width, height = s.height, depth = s.depth;
  const DisplayChoice& mode = m.modes.entries[m.modes.selected];
  if (m.modes.count > 0 && mode.valid) {
    width = mode.width;
    height = mode.height;
    depth = mode.depth;
  }
  const DisplayChoice& adapter = m.adapters.entries[m.adapters.selected];
  char adapterName[kSettingsTextSize];
  StoreText(adapterName, m.adapters.count > 0 && adapter.valid ? adapter.text : s.adapterName);

  if (width != s.width || height != s.height || depth != s.depth || bool(m.windowed) != s.windowed)
    m.restartRequired = 1;
  SetDisplaySettings(adapterName, width, height, depth, m.windowed, m.sphereMapping, m.shadows, m.clip);
  if (m.restartRequired) {
    platform::window::MessageBox(nullptr,
                                 "These changes require the program to restart.\nPlease re-run it when it closes.",
                                 "Caution", platform::window::MB_OK);
    SaveConfig();
    Game().state = kStateQuit;
    return kMenuRestartGame;
  }
  ApplyDisplayMode();
  SaveConfig();
  return kMenuContinues;
}

}  // namespace

int32_t GraphicsOptionsScreen() {
  MenuState& m = Menu();
  const int32_t w = GetDisplayWidth(), h = m.lineHeight;
  SetMenuTextColour(kWhite);
  DisplayAdapterDropDown(w - 450, ColumnY(119));
  DisplayModeDropDown(w - 450, ColumnY(201));
  DrawCheckBoxes(w, h);

  BeginTextBatch();
  DrawScreenTitle("Graphics Options");
  DrawMenuText(kItemFont, w - 450, ColumnY(103), 0, "Select Display Adapter:", ScreenBox());
  DrawMenuText(kItemFont, w - 450, ColumnY(185), 0, "Select Display Mode:", ScreenBox());
  DrawMenuText(kItemFont, w - 240, ColumnY(103), 0, kRestartNote, ScreenBox());
  DrawMenuText(kItemFont, w - 240, ColumnY(185), 0, kRestartNote, ScreenBox());
  CheckRows(w, h);
  int32_t result = kMenuContinues;
  if (TextButton(w - 450, ColumnY(462), "Apply Settings")) result = ApplyGraphicsSettings();
  if (result == kMenuContinues && TextButton(w - 450, ColumnY(482), "Back")) m.screen = kOptionsScreen;
  EndTextBatch();
  return result;
}

void SoundOptionsScreen() {
  MenuState& m = Menu();
  GameSettings& s = Settings();
  const int32_t w = GetDisplayWidth();
  MusicVolumeSlider(w - 450, ColumnY(119));
  MusicPanSlider(w - 450, ColumnY(152));
  EffectVolumeSlider(w - 450, ColumnY(185));
  ApplyMusicVolumeAndPan(m.musicVolume, m.musicPan);

  BeginTextBatch();
  SetMenuTextColour(kWhite);
  DrawMenuText(kItemFont, w - 450, ColumnY(103), 0, "Music Volume:", ScreenBox());
  DrawMenuText(kItemFont, w - 450, ColumnY(136), 0, "Music Pan:", ScreenBox());
  DrawMenuText(kItemFont, w - 450, ColumnY(169), 0, "Sound Effect Volume:", ScreenBox());
  DrawScreenTitle("Sound Options");
  if (TextButton(w - 450, ColumnY(462), "Apply Settings")) {
    s.musicPan = m.musicPan;
    s.musicVolume = m.musicVolume;
    s.effectVolume = m.effectVolume;
    SaveConfig();
  }
  if (TextButton(w - 450, ColumnY(482), "Back")) {
    ApplyMusicVolumeAndPan(s.musicVolume, s.musicPan);
    m.screen = kOptionsScreen;
  }
  EndTextBatch();
}
