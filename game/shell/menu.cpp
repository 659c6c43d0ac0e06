// The main menu's loop: its entry, and one pass per frame with the scene, the header texts and the
// screen shown. Its timing reads the game clock (GameNow), so that tests can drive it.
#include "game/shell/menu.h"

#include <cstring>
#include <string>

#include "engine/core/core.h"
#include "engine/display/display.h"
#include "engine/input/input.h"
#include "engine/media2d/image.h"
#include "engine/media2d/sprite.h"
#include "engine/objects/object_commands.h"
#include "engine/scene/camera.h"
#include "engine/text/text.h"
#include "game/play/game_font.h"
#include "game/play/game_state.h"
#include "game/play/hud.h"
#include "game/play/hud_layout.h"
#include "game/play/level_builder.h"
#include "game/play/music.h"
#include "game/play/visualiser.h"
#include "game/shell/control_bindings.h"
#include "game/shell/controls_screen.h"
#include "game/shell/menu_screens.h"
#include "game/shell/menu_layout.h"
#include "game/shell/menu_state.h"
#include "game/shell/menu_text.h"
#include "game/shell/option_screen.h"
#include "game/shell/profile.h"
#include "game/shell/profile_screen.h"
#include "game/shell/widget.h"

namespace {

// Objects 2 to 21: boxes travelling along z under the camera.
constexpr int32_t kFirstConveyorBox = 2;
constexpr int32_t kConveyorBoxes = 20;
constexpr float kConveyorEnd = 380.0f;
constexpr uint32_t kModelPeriodMs = 10000;
constexpr int32_t kReturnKey = 28;
constexpr int32_t kEscapeKey = 1;

// Backdrop sprites, each showing the image of its number.
constexpr int32_t kMenuBackdrop = 920;
constexpr int32_t kPanelBackdrop = 921;
constexpr int32_t kMenuFrame = 922;
constexpr int32_t kBackdropAlpha = 120;

int32_t Quit() {
  Game().state = kStateQuit;
  return kMenuQuit;
}

// Puts a sprite on screen once this pass.
void DrawSpriteOnce(int32_t sprite, int32_t x, int32_t y) {
  SetSprite(sprite, x, y, sprite);
  ShowSprite(sprite);
  DrawSpriteAt(sprite, x, y);
  HideSprite(sprite);
  ReportLaidOut(LaidOut::kPicture, x, y, x + GetImageWidth(sprite) - 1, y + GetImageHeight(sprite) - 1,
                "picture " + std::to_string(sprite));
}

void SetUpScene() {
  for (int32_t i = 0; i < kConveyorBoxes; ++i) {
    PositionObject(kFirstConveyorBox + i, 0.0f, 0.0f, 20.0f * float(i));
    SetObjectTexture(kFirstConveyorBox + i, kTintedLevelImage);
  }
  MenuState& m = Menu();
  m.mainFrame = 1;
  m.menuModel = kMenuBall;
  HideObject(kMenuMonsterA);
  HideObject(kMenuMonsterB);
  SetCameraAngles(0.0f, 0.0f, 0.0f);
  PlaceCamera(-18.453f, 25.0f, 19.163f);
  SetCameraAngleY(43.99f);
  ShowObject(kMenuBall);
  PositionObject(kMenuBall, 6.0f, 6.0f, 62.0f);
  SetObjectAngleY(kMenuBall, 180.0f);
  LoopObjectAnimation(kMenuBall);
  SetMainCameraClearColor(0);

  for (int32_t sprite : {kMenuBackdrop, kPanelBackdrop, kMenuFrame}) {
    SetSprite(sprite, 0, 0, sprite);
    ShowSprite(sprite);
  }
  SetSpriteAlpha(kMenuBackdrop, kBackdropAlpha);
  SetSpriteAlpha(kPanelBackdrop, kBackdropAlpha);
  HideSprite(kPanelBackdrop);
}

void MoveScene() {
  for (int32_t box = kFirstConveyorBox; box < kFirstConveyorBox + kConveyorBoxes; ++box) {
    PositionObject(box, 0.0f, 0.0f, GetObjectZ(box) + 1.0f);
    if (GetObjectZ(box) > kConveyorEnd) PositionObject(box, 0.0f, 0.0f, 0.0f);
  }
  MenuState& m = Menu();
  const float wave = SinDegrees(float(GameNow()) * 0.16666667f);
  const float y = m.menuModel == kMenuBall ? wave + 6.0f : 2.0f * wave + 10.0f;
  PositionObject(int32_t(m.menuModel), 6.0f, y, 82.0f);

  if (GameNow() - m.modelTime > kModelPeriodMs) {
    HideObject(int32_t(m.menuModel));
    m.menuModel = m.menuModel == kMenuMonsterA ? kMenuMonsterB : m.menuModel == kMenuMonsterB ? kMenuBall : kMenuMonsterA;
    ShowObject(int32_t(m.menuModel));
    LoopObjectAnimation(int32_t(m.menuModel));
    m.modelTime = GameNow();
  }

  const int32_t w = GetDisplayWidth();
  if (m.mainFrame) {
    DrawSpriteOnce(kMenuBackdrop, w - 468, ColumnY(58));
    DrawSpriteOnce(kMenuFrame, w - 472, ColumnY(56));
  } else {
    DrawSpriteOnce(kPanelBackdrop, m.centreX - 300, PanelCentreY() - 250);
  }

  // The visualiser box, centred 350 units in front of the camera and slowly rolling.
  DrawMirroredSpectrum();
  const float angle = GetCameraAngleY();
  PositionVisualiserBox(MoveXByAngle(GetCameraPositionX(), angle, 350.0f), GetObjectY(kBallObject),
                        MoveZByAngle(GetCameraPositionZ(), angle, 350.0f));
  RollObject(kVisualiserBox, 0.1f);
}

void DrawHeader() {
  BeginTextBatch();
  DrawMenuHeader(GetProfileName());
  EndTextBatch();
}

// Screens whose title and "Back" the menu draws around them.
void TitleAndBack(const char* title, void (*back)()) {
  BeginTextBatch();
  DrawScreenTitle(title);
  if (TextButton(GetDisplayWidth() - 450, ColumnY(482), "Back")) back();
  EndTextBatch();
}

// The message with each line cut to the window's width ("..." at its end): the names messages hold
// come from the player or from files, and a long one would carry the box out of the window.
std::string FitMessageToWindow(const char* message) {
  constexpr int32_t kPanelPadding = 20;  // the box is this much wider than its widest line
  const int32_t room = GetDisplayWidth() - kPanelPadding - 4;
  std::string fitted;
  for (const char* line = message;;) {
    const char* end = std::strchr(line, '#');
    const std::string text = end ? std::string(line, size_t(end - line)) : std::string(line);
    fitted += GetTextWidth(text.c_str()) > room ? CutTextToWidth(text.c_str(), room, GetTextWidth) : text;
    if (!end) return fitted;
    fitted += '#';
    line = end + 1;
  }
}

// A message over the menu, in the game's message box: the screen under it takes no input until
// Return (or a joystick button) closes it.
int32_t MessagePass() {
  MenuState& m = Menu();
  const std::string message = FitMessageToWindow(m.message);
  DrawMessagePanel(message.c_str(), true);
  const MessagePanelBox box = MessagePanelBounds(message.c_str(), true);
  ReportLaidOut(LaidOut::kOverlay, box.left, box.top, box.right, box.bottom, message);
  const int32_t joystick = ReadJoystickInput();
  if (IsKeyDown(kReturnKey) || (joystick >= 0 && joystick <= kJoystickLastButton)) m.message[0] = '\0';
  return kMenuContinues;
}

int32_t RunScreen() {
  MenuState& m = Menu();
  const int32_t w = GetDisplayWidth();
  switch (m.screen) {
    case kMainScreen:
      return MainScreen();
    case kOptionsScreen:
      OptionsScreen();
      return kMenuContinues;
    case kLoadProfileScreen:
      LoadProfileScreen(w - 452, ColumnY(119));
      TitleAndBack("Load Profile", [] { Menu().screen = kMainScreen; });
      return kMenuContinues;
    case kNewProfileScreen:
      NewProfileScreen();
      return kMenuContinues;
    case kGraphicsScreen:
      return GraphicsOptionsScreen();
    case kSoundScreen:
      SoundOptionsScreen();
      return kMenuContinues;
    case kControlsScreen:
      ControlsScreen(w - 452, ColumnY(119));
      TitleAndBack("Controls", [] {
        Menu().controlsMode = kBindingsTable;
        Menu().screen = kOptionsScreen;
      });
      return kMenuContinues;
    case kGameModeScreen:
      return GameModeScreen();
    default:
      return kMenuContinues;
  }
}

}  // namespace

bool EnterMainMenu() {
  ShowMouseCursor();
  const int32_t* colour = Game().playerColour;
  TintLevelTexture(colour[0] + 30, colour[1] + 30, colour[2] + 30);
  SetUpScene();
  MenuState& m = Menu();
  m.modelTime = GameNow();
  m.centreX = GetDisplayWidth() / 2;
  m.centreY = GetDisplayHeight() / 2;
  FillAdapterList();
  FillDisplayModeList();
  m.screen = kMainScreen;
  m.restartRequired = 0;
  m.message[0] = '\0';
  Visualiser().colour[0] = 28;
  Visualiser().colour[1] = 12;
  Visualiser().colour[2] = 169;
  StartMenuMusic();
  MakeVisualiserBox();
  AlignObjectWithCamera(kVisualiserBox);
  if (LoopCheck()) return true;
  Quit();
  return false;
}

int32_t DrawMenuPass() {
  if (FreshKeyDown(kEscapeKey, EscapeKeyPressed() != 0)) return Quit();
  MoveScene();
  Menu().lineHeight = MeasureLineHeight();
  DrawHeader();
  const int32_t result = Menu().message[0] ? MessagePass() : RunScreen();
  // Typed text belongs to the pass it arrived in: a text field that has the keyboard has taken it, and
  // what was typed while none had it, or while a message covered the screen, is not for a later one.
  ClearTypedText();
  if (result != kMenuContinues) return result;
  UpdateClickLatch();
  return kMenuContinues;
}

int32_t RunMenuPass() {
  const int32_t result = DrawMenuPass();
  if (result != kMenuContinues) return result;
  Sync();
  return LoopCheck() ? kMenuContinues : Quit();
}

int32_t MainMenu() {
  if (!EnterMainMenu()) return kMenuQuit;
  for (;;) {
    const int32_t result = RunMenuPass();
    if (result != kMenuContinues) return result;
  }
}
