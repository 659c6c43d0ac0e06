// New Profile and Load Profile.
#include "game/shell/profile_screen.h"

#include <cstring>

#include "engine/display/display.h"
#include "game/play/game_font.h"
#include "game/shell/data_file_report.h"
#include "game/shell/menu_layout.h"
#include "game/shell/menu_screens.h"
#include "game/shell/menu_state.h"
#include "game/shell/menu_text.h"
#include "game/shell/profile.h"
#include "game/shell/settings.h"
#include "game/shell/widget.h"

namespace {

// "Create": the typed name becomes the active profile and its file. A name that could not be a file
// of "Profiles" (empty, a separator, "..") is refused, and so is a profile whose file cannot be
// written: the player is told, the active profile stays as it was and the screen stays.
void CreateProfile() {
  MenuState& m = Menu();
  const char* name = m.newProfileName.text;
  if (!*name) return ShowMenuMessage("Please type a name for the new profile.");
  if (!IsPlainFileName(name, kMaxProfileNameLength)) {
    DebugReport(kReportWarn, "[NewProfile] \"%s\" cannot be a profile's name.", name);
    return ShowMenuMessage("[%s] cannot be the name of a profile.", name);
  }
  const ProfileRecord previous = Profile();
  ClearProfile();
  SetProfileName(name);
  if (!SaveProfile()) {
    Profile() = previous;
    return ShowMenuMessage("The profile [%s] could not be saved.#Check that the Profiles folder can be written.", name);
  }
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
  TextEntryField(m.newProfileName, w - 452, ColumnY(119));
  BeginTextBatch();
  DrawScreenTitle("New Profile");
  DrawMenuText(kItemFont, w - 450, ColumnY(103), 0, "New Profile Name:", ScreenBox());
  DrawFieldText(m.newProfileName, w - 452, ColumnY(119));
  if (TextButton(w - 450, ColumnY(146), "Create")) CreateProfile();
  if (TextButton(w - 450, ColumnY(482), "Back")) m.screen = kMainScreen;
  if (Settings().NoProfile) {
    SetMenuTextColour(kWhite);
    DrawMenuText(kItemFont, w - 450, ColumnY(200), 0, "Please make a profile with which to play the game.", ScreenBox());
  }
  EndTextBatch();
}

void LoadProfileScreen(int32_t x, int32_t y) {
  MenuState& m = Menu();
  BeginTextBatch();
  SetMenuTextColour(kWhite);
  DrawMenuText(kItemFont, GetDisplayWidth() - 450, ColumnY(103), 0, "Load Profile:", ScreenBox());
  ScrollingFileList(m.profiles, m.profileScroll, x, y, y, 16);
  if (ListButton(x + 2, y + 325, "Load")) LoadSelectedProfile();
  EndTextBatch();
}
