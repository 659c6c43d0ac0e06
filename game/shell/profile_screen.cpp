// New Profile and Load Profile.
#include "game/shell/profile_screen.h"

#include <cstring>

#include "engine/display/display.h"
#include "game/play/game_font.h"
#include "game/shell/data_file_report.h"
#include "game/shell/menu_screens.h"
#include "game/shell/menu_state.h"
#include "game/shell/profile.h"
#include "game/shell/settings.h"
#include "game/shell/widget.h"

namespace {

// "Create": the typed name becomes the active profile and its file. A name that could not be a file
// of "Profiles" (empty, a separator, "..") is refused and the screen stays.
void CreateProfile() {
  MenuState& m = Menu();
  if (!IsPlainFileName(m.newProfileName.text, kMaxProfileNameLength)) {
    DebugReport(kReportWarn, "[NewProfile] \"%s\" cannot be a profile's name.", m.newProfileName.text);
    return;
  }
  ClearProfile();
  SetProfileName(m.newProfileName.text);
  SaveProfile();
  Settings().NoProfile = false;
  m.screen = kMainScreen;
}

void LoadSelectedProfile() {
  MenuState& m = Menu();
  const char* entry = SelectedFileName(m.profiles);
  if (!*entry) return;
  char name[kMenuTextSize];
  StoreText(name, entry);
  LoadProfile(name);
  StoreText(Settings().lastProfile, entry);
  SaveConfig();
  m.screen = kMainScreen;
}

}  // namespace

void NewProfileScreen() {
  MenuState& m = Menu();
  const int32_t w = GetDisplayWidth();
  TextEntryField(m.newProfileName, w - 452, 119);
  BeginTextBatch();
  DrawScreenTitle("New Profile");
  DrawGameText(kItemFont, w - 450, 103, 0, "New Profile Name:");
  DrawGameText(kItemFont, w - 450, 121, 0, m.newProfileName.text);
  if (TextButton(w - 450, 146, "Create")) CreateProfile();
  if (TextButton(w - 450, 482, "Back")) m.screen = kMainScreen;
  if (Settings().NoProfile) {
    SetMenuTextColour(kWhite);
    DrawGameText(kItemFont, w - 450, 200, 0, "Please make a profile with which to play the game.");
  }
  EndTextBatch();
}

void LoadProfileScreen(int32_t x, int32_t y) {
  MenuState& m = Menu();
  BeginTextBatch();
  SetMenuTextColour(kWhite);
  DrawGameText(kItemFont, GetDisplayWidth() - 450, 103, 0, "Load Profile:");
  ScrollingFileList(m.profiles, m.profileScroll, x, y, y, 16);
  if (ListButton(x + 2, y + 325, "Load")) LoadSelectedProfile();
  EndTextBatch();
}
