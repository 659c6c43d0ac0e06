// The ten game commands and their bindings: a keyboard key, an alternative key and a joystick input
// each. A command is down while any of its three bindings is active; callers that act once per press
// do their own edge detection.
#pragma once
#include <cstdint>

enum GameCommand : int32_t {
  kAccelerate = 0,
  kBreak = 1,
  kTurnLeft = 2,
  kTurnRight = 3,
  kEmergencyBreak = 4,
  kPlanningScreen = 5,
  kPause = 6,
  kCameraMode = 7,
  kMenuScreen = 8,
  kRestartLevel = 9,
};
constexpr int32_t kGameCommandCount = 10;

// One joystick input: buttons 0..32 by number, the stick directions, or none.
enum JoystickInputCode : int32_t {
  kJoystickNone = -1,
  kJoystickLastButton = 32,
  kJoystickLeft = 64,   // X axis negative
  kJoystickUp = 65,     // Y axis negative
  kJoystickRight = 66,  // X axis positive
  kJoystickDown = 67,   // Y axis positive
  kJoystickXAxis = 68,  // X axis not zero: shadowed by the directions, so never read
  kJoystickYAxis = 69,
};

// Keyboard columns hold scan codes (platform/input/key_codes.h); codes outside 0..255 are kept and
// never read as down.
struct ControlBindings {
  int32_t keyboard[kGameCommandCount];
  int32_t alternative[kGameCommandCount];
  int32_t joystick[kGameCommandCount];
};

// The one table of the run.
ControlBindings& Bindings();

// Arrows, W A S D and the other keys the game ships with.
void SetDefaultControls();
// True while the command's key, alternative key or joystick input is active; false for a slot outside
// 0..9.
bool IsCommandDown(int32_t slot);
// The one joystick input active now: the lowest button held, else a stick direction; kJoystickNone
// when nothing is.
int32_t ReadJoystickInput();

// What ends a panel on a key (the intro, a result panel, a question, a message, "Game Over") is still
// down when the screen after it starts reading: every key and joystick input down at this call is
// ignored by IsCommandDown, ReadJoystickInput and FreshKeyDown until it has been let go, so only a new
// press acts. Keys pressed after the call act at once.
void IgnoreInputHeldNow();
// A key read by another query (Escape, Return) under the same rule: false while the key has been held
// since IgnoreInputHeldNow.
bool FreshKeyDown(int32_t scanCode, bool down);

// Names on the Controls screen.
const char* GetCommandName(int32_t slot);  // "" outside 0..9
// "Button %i" (in one buffer that the next call overwrites), the direction names, "" for other codes.
const char* GetJoystickInputName(int32_t code);
// The key's name on a UK keyboard; "" for keys without one (Escape, the keypad) and codes outside the
// key table.
const char* GetKeyName(int32_t code);

// The engine queries the bindings read. Tests put their own in place; null puts the engine's back.
struct ControlInput {
  int32_t (*isKeyDown)(int32_t scanCode);
  int32_t (*isJoystickButtonDown)(int32_t button);
  uint32_t (*joystickLeft)();
  uint32_t (*joystickRight)();
  uint32_t (*joystickUp)();
  uint32_t (*joystickDown)();
  int32_t (*getJoystickX)();
  int32_t (*getJoystickY)();
};
void SetControlInput(const ControlInput* input);
