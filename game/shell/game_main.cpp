// The game's entry: settings, display, profile and command line, the splash and loading screens, the
// media, and the state loop that hands control to the menu, a map's play or the editor until the game
// is left.
#include <cstdio>
#include <cstring>

#include "engine/core/core.h"
#include "engine/display/display.h"
#include "engine/input/input.h"
#include "engine/media2d/image.h"
#include "engine/media2d/sprite.h"
#include "engine/objects/object_commands.h"
#include "engine/scene/camera.h"
#include "engine/system/system_module.h"
#include "game/editor/map_editor.h"
#include "game/play/game_font.h"
#include "game/play/game_state.h"
#include "game/play/level_builder.h"
#include "game/play/play_loop.h"
#include "game/play/sound_effects.h"
#include "game/play/visualiser.h"
#include "game/shell/control_bindings.h"
#include "game/shell/control_file.h"
#include "game/shell/game_main.h"
#include "game/shell/menu.h"
#include "game/shell/profile.h"
#include "game/shell/settings.h"
#include "game/shell/start_up.h"
#include "platform/fs/save.h"
#include "platform/window/message_box.h"
#include "platform/window/messages.h"

namespace {

constexpr int32_t kLoadingSprite = 923;
constexpr int32_t kBallExplosionObject = 3001;

void ShowError(const char* text) { platform::window::MessageBox(nullptr, text, "Error", platform::window::MB_OK); }

constexpr GameLoops kGameLoops = {MainMenu, PlayLevel, MapEditor};
GameLoops gLoops = kGameLoops;

// The folders the game saves into: the game folder (Config.ini), profiles and control configurations.
void RemoveStaleSaveTemporaries() {
  for (const char* folder : {"", "Profiles", kControlConfigFolder}) platform::fs::RemoveStaleSaveTemporaries(folder);
}

void ApplyStartUpSettings() {
  StoreGameFolder();
  RemoveStaleSaveTemporaries();
  HideMouseCursor();
  SetDefaultControls();
  LoadConfig();
  ApplyDisplayMode();
  SetWindowDecorations(2, 1, 1);
  SetWindowTitle("Qel");
  EnableManualSync();
  SetFrameRateLimit(60);
  SetImageColorKey(255, 0, 255);
  if (Settings().NoProfile) {
    SetProfileName("None Loaded");
  } else {
    char name[kSettingsTextSize];
    std::memcpy(name, Settings().lastProfile, sizeof name);
    LoadProfile(name);
  }
  TurnOffEscapeQuit();
  DisableAutoCamera();
}

}  // namespace

void SetGameLoops(const GameLoops* loops) { gLoops = loops ? *loops : kGameLoops; }

void PlayMapState() {
  DeleteSprite(kLoadingSprite);
  const char* path = Game().mapPath;
  // An empty path ("-map" without its word) names no map: it fails the way a missing file does.
  if (path[0] && LoadMap(path)) {
    gLoops.playLevel();
    return;
  }
  char text[kGamePathSize + 64];
  std::snprintf(text, sizeof text, "Parameter 2 [%s] was an invalid map, command failed.", path);
  ShowError(text);
  Game().state = kStateMenu;
}

void RunStateLoop() {
  while (Game().state != kStateQuit) {
    switch (Game().state) {
      case kStateMenu:
        EnterMenuScene();
        gLoops.mainMenu();
        LeaveMenuScene();
        break;
      case kStatePlayMap:
        PlayMapState();
        break;
      case kStateEditor:
        HideObject(kVisualiserBox);
        gLoops.mapEditor();
        break;
      default:
        break;
    }
    // Once the window is closed every loop ends at once; leaving here keeps a state whose loop did
    // not say "quit" from spinning on.
    if (!LoopCheck()) Game().state = kStateQuit;
  }
}

void ShutdownGame() {
  CloseSounds();
  if (HasImage(kVisualiserImage)) DeleteImage(kVisualiserImage);
  ReleaseGameFonts();
}

void GameMain() {
  ApplyStartUpSettings();
  ParseCommandLine();
  ReportMissingMedia();
  if (CommandLine().param1[0] == '\0') ShowSplashScreens();
  ShowLoadingScreen();
  // A quit asked for during the splash or loading screens, or while the media load, ends the game there.
  if (LoopCheck()) LoadStartUpMedia();
  if (LoopCheck()) {
    Game().state = FirstStateFromCommandLine();
    MakeVisualiserBox();
    PositionObject(kBallExplosionObject, 0.0f, -900000.0f, 0.0f);
    RunStateLoop();
  } else {
    Game().state = kStateQuit;
  }
  ShutdownGame();
}
