// The menu's one state record: the screen shown, the click latch every widget shares, the scene beside
// the menu column, and the working copies and list state of the screens. It lives for the whole run;
// entering the menu resets only what MainMenu's entry resets.
#pragma once
#include <cstddef>
#include <cstdint>

enum MenuScreen : uint32_t {
  kMainScreen = 0,
  kOptionsScreen = 1,
  kLoadProfileScreen = 2,
  kNewProfileScreen = 3,
  kGraphicsScreen = 4,
  kSoundScreen = 5,
  kControlsScreen = 6,
  // No screen 7: it, and every number above 8, draws nothing and takes no input.
  kGameModeScreen = 8,
};

// Objects beside the menu: monster A, monster B, the ball model.
constexpr uint32_t kMenuMonsterA = 22;
constexpr uint32_t kMenuMonsterB = 23;
constexpr uint32_t kMenuBall = 24;

constexpr size_t kMenuTextSize = 256;  // 255 characters and the end
constexpr size_t kMenuMessageSize = 512;

// A text entry field's text and whether it has the keyboard.
struct TextField {
  char text[kMenuTextSize];
  uint8_t focused;
};

// Names of files listed from a folder (profiles or control configurations); entries at or past the
// count are empty.
constexpr int32_t kFileNameListRoom = 50;
struct FileNameList {
  char names[kFileNameListRoom][kMenuTextSize];
  int32_t count;
  int32_t selected;
};

// The display adapters or modes the engine reported, with the one chosen.
struct DisplayChoice {
  char text[kMenuTextSize];
  uint8_t valid;
  int32_t width, height, depth;  // modes only
};
constexpr int32_t kAdapterListRoom = 20;
constexpr int32_t kModeListRoom = 50;
template <int32_t Room>
struct DisplayChoiceList {
  static constexpr int32_t kRoom = Room;
  DisplayChoice entries[Room];
  int32_t count;
  int32_t selected;
  int32_t firstVisible;
};

// Modes of the controls screen.
enum ControlsMode : uint32_t { kBindingsTable = 0, kLoadControlConfig = 1, kSaveControlConfig = 2 };

struct MenuState {
  uint32_t screen = kMainScreen;
  uint8_t clickLatch = 1;           // set: the next press of the left button alone may act
  uint8_t mainFrame = 1;            // 1 the menu frame at the right, 0 the centred panel of screen 8
  uint32_t menuModel = kMenuBall;   // kMenuMonsterA, kMenuMonsterB or kMenuBall
  uint32_t modelTime = 0;           // when the model was last switched (ms)
  int32_t centreX = 0, centreY = 0;
  uint8_t restartRequired = 0;
  uint8_t gameMode = 0;    // 0 "Linear"; nothing sets 1
  int32_t lineHeight = 0;  // of "WOOKIE", taken once per pass

  // Profile screens.
  TextField newProfileName = {};
  FileNameList profiles = {};
  int32_t profileScroll = 0;

  // Controls screen.
  uint32_t controlsMode = kBindingsTable;
  int32_t captureCell = -1;  // 0..29 waiting for input, -1 none
  TextField configName = {};
  FileNameList configs = {};
  int32_t configScroll = 0;

  // Graphics screen: working flags and the display lists.
  uint8_t windowed = 0, sphereMapping = 0, shadows = 0, clip = 0;
  DisplayChoiceList<kAdapterListRoom> adapters = {};
  DisplayChoiceList<kModeListRoom> modes = {};
  uint32_t modeStepTime = 0;  // last arrow step of the mode list (ms)

  // Sound screen: working values, 0..255.
  int32_t musicVolume = 0, musicPan = 0, effectVolume = 0;

  // A message over the menu ("#" between lines), shown in place of the screen until Return closes
  // it; empty when none is shown.
  char message[kMenuMessageSize] = {};
};

// Shows the message over the menu from the next pass on; the arguments as for printf.
void ShowMenuMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The one record of the run.
MenuState& Menu();
// Puts the record back as the program starts with it (tests).
void ResetMenuState();

// The menu loop in its two steps, for MainMenu and for tests that drive it a pass at a time.
// EnterMainMenu: the entry steps; false (GameState 3) when the engine loop has already ended.
bool EnterMainMenu();
// One pass, ending with Sync: kMenuContinues, or MainMenu's result with GameState set.
constexpr int32_t kMenuContinues = 0;
int32_t RunMenuPass();
// The same pass up to its Sync, so that what it drew is still in the back buffer.
int32_t DrawMenuPass();
