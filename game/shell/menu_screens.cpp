// The main, options, and game mode and level class screens.
#include "game/shell/menu_screens.h"

#include "engine/core/core.h"
#include "engine/input/input.h"
#include "engine/text/text.h"
#include "game/play/game_font.h"
#include "game/play/game_state.h"
#include "game/shell/menu.h"
#include "game/shell/menu_layout.h"
#include "game/shell/menu_state.h"
#include "game/shell/menu_text.h"
#include "game/shell/profile.h"
#include "game/shell/settings.h"
#include "game/shell/widget.h"

namespace {

constexpr MenuColour kPanelPurple{157, 74, 248};
constexpr MenuColour kChosenPink{219, 78, 230};
constexpr MenuColour kInertGrey{100, 100, 100};

struct ClassStart {
  const char* name;
  int32_t y;  // below the panel's centre
  const char* mapPath;
  const char* folder;
};
constexpr ClassStart kClasses[] = {
    {"Tutorial", -140, "\\Tutorial\\tutor00.qel", "\\Tutorial\\"},
    {"Beginner", -125, "\\Beginner\\beginner00.qel", "\\Beginner\\"},
    {"Advanced", -110, "\\Advanced\\advanced00.qel", "\\Advanced\\"},
    {"Expert", -95, "\\Expert\\expert00.qel", "\\Expert\\"},
};
constexpr uint32_t kClassCount = sizeof kClasses / sizeof kClasses[0];

// The game mode boxes and their labels, left of the panel's centre.
struct ModeChoice {
  int32_t box;    // left edge of the 15 x 15 box
  int32_t label;  // left edge of the label
};
constexpr ModeChoice kModes[] = {{-240, -290}, {-90, -220}};

}  // namespace

void DrawScreenTitle(const char* title) {
  SetMenuTextColour(kWhite);
  DrawMenuText(kTitleFont, MenuColumnX(), ColumnY(75), 1, title, ScreenBox());
}

int32_t MainScreen() {
  MenuState& m = Menu();
  // A player without a profile is held on the New Profile screen.
  if (Settings().NoProfile) m.screen = kNewProfileScreen;

  BeginTextBatch();
  DrawScreenTitle("Main Menu");
  if (!IsProfileLoaded()) {
    SetMenuTextColour(kInertGrey);
    DrawMenuText(kItemFont, MenuColumnX(), ColumnY(130), 1, "Play Game", ScreenBox());
  } else if (MenuItem("Play Game", ColumnY(130))) {
    m.screen = kGameModeScreen;
  }
  if (MenuItem("New Profile", ColumnY(150))) {
    m.newProfileName = TextField{};
    ClearTypedText();
    m.screen = kNewProfileScreen;
  }
  if (MenuItem("Load Profile", ColumnY(170))) {
    ListProfileFiles();
    m.screen = kLoadProfileScreen;
  }
  if (MenuItem("Options", ColumnY(190))) m.screen = kOptionsScreen;
  SetMenuTextColour(kGreyedText);
  DrawMenuText(kItemFont, MenuColumnX(), ColumnY(210), 1, "Visualisation (Unavailiable)", ScreenBox());
  if (MouseOverMenuButton("Visualisation", ColumnY(210)) && MenuClick()) TakeClick();
  const bool exit = MenuItem("Exit", ColumnY(230));
  EndTextBatch();
  if (!exit) return kMenuContinues;
  Game().state = kStateQuit;
  return kMenuQuit;
}

void OptionsScreen() {
  MenuState& m = Menu();
  const GameSettings& s = Settings();
  BeginTextBatch();
  DrawScreenTitle("Options");
  if (MenuItem("Graphics Options", ColumnY(130))) {
    m.windowed = s.windowed;
    m.sphereMapping = s.sphereMapping;
    m.shadows = s.shadows;
    m.clip = s.clip;
    m.screen = kGraphicsScreen;
  }
  if (MenuItem("Sound Options", ColumnY(150))) {
    m.musicVolume = s.musicVolume;
    m.musicPan = s.musicPan;
    m.effectVolume = s.effectVolume;
    m.screen = kSoundScreen;
  }
  if (MenuItem("Controls", ColumnY(170))) m.screen = kControlsScreen;
  if (MenuItem("Back", ColumnY(210))) m.screen = kMainScreen;
  EndTextBatch();
}

void BeginLevelClass(uint32_t levelClass) {
  if (levelClass >= kClassCount) levelClass = kClassTutorial;
  GameVariables& g = Game();
  g.score = 0;
  g.lives = kStartingLives;
  g.emergencyBrakes = kEmergencyBrakesPerLife;
  g.levelClass = levelClass;
  StoreGamePath(g.mapPath, kClasses[levelClass].mapPath);
  StoreGamePath(g.classFolder, kClasses[levelClass].folder);
  g.state = kStatePlayMap;
  g.classStartTime = GameNow();  // the play loop reads the class time on the same clock
}

int32_t GameModeScreen() {
  MenuState& m = Menu();
  const int32_t cx = m.centreX, cy = PanelCentreY(), h = m.lineHeight;
  m.mainFrame = 0;

  DrawRectFrame(cx - 300, cy - 250, cx + 300, cy + 200, kPanelPurple);
  for (uint8_t mode = 0; mode < 2; ++mode) {
    const int32_t x = cx + kModes[mode].box;
    if (mode == m.gameMode) FillRect(x, cy - 220, x + 15, cy - 205, kChosenPink);
    DrawRectFrame(x, cy - 220, x + 15, cy - 205, kPanelPurple);
  }

  BeginTextBatch();
  SetMenuTextColour(kWhite);
  DrawMenuText(kTitleFont, cx - 290, cy - 240, 0, "Select the game mode:", ScreenBox());
  // "Linear" lights up under the mouse but is the only mode there is: clicking it changes nothing.
  const int32_t linear = cx + kModes[0].label;
  SetMenuTextColour(MouseInside(linear, cy - 220, linear + GetTextWidth("Linear"), cy - 220 + h) ? kHoverPurple
                                                                                                  : kWhite);
  DrawMenuText(kItemFont, linear, cy - 220, 0, "Linear", ScreenBox());
  SetMenuTextColour(kGreyedText);
  DrawMenuText(kItemFont, cx + kModes[1].label, cy - 220, 0, "Single (Unavailiable)", ScreenBox());

  if (TextButton(cx + 255, cy + 180, "Back")) {
    m.screen = kMainScreen;
    m.mainFrame = 1;
  }

  GameVariables& g = Game();
  if (m.gameMode == 0) {
    SetMenuTextColour(kWhite);
    DrawMenuText(kTitleFont, cx - 288, cy - 165, 0, "Select Level Class:", ScreenBox());
    // The classes follow a held button without the latch: sweeping over them picks each in turn.
    for (uint32_t c = 0; c < kClassCount; ++c) {
      const int32_t y = cy + kClasses[c].y;
      if (c == g.levelClass) {
        SetMenuTextColour(kChosenPink);
      } else if (MouseOverText(cx - 288, y, kClasses[c].name)) {
        SetMenuTextColour(kHoverPurple);
        if (LeftButtonHeld()) g.levelClass = c;
      } else {
        SetMenuTextColour(kWhite);
      }
      DrawMenuText(kItemFont, cx - 288, y, 0, kClasses[c].name, ScreenBox());
    }
  }

  // "Begin!" also reacts to a held button, over a box two characters wider than the text.
  const bool overBegin = MouseOverText(cx - 290, cy + 175, "Begin!==");
  SetMenuTextColour(overBegin ? kHoverPurple : kWhite);
  DrawMenuText(kTitleFont, cx - 290, cy + 175, 0, "Begin!", ScreenBox());
  EndTextBatch();
  if (!overBegin || !LeftButtonHeld()) return kMenuContinues;
  BeginLevelClass(g.levelClass);
  return kMenuBeginClass;
}
