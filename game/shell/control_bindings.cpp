// The bindings table, its defaults and the test of a command against the keyboard and joystick.
#include "game/shell/control_bindings.h"

#include <array>
#include <bitset>
#include <cstdio>

#include "engine/input/input.h"
#include "platform/input/key_codes.h"

namespace {

namespace in = platform::input;

ControlBindings g_bindings;

constexpr ControlInput kEngineInput = {IsKeyDown,      IsJoystickButtonDown, JoystickLeft, JoystickRight,
                                       JoystickUp,     JoystickDown,         GetJoystickX, GetJoystickY};
const ControlInput* g_input = &kEngineInput;

// W, A, S, D in the alternative column go to slots 0 to 3 in that order, so A brakes and S turns left.
constexpr ControlBindings kDefaults = {
    {in::KEY_UP, in::KEY_DOWN, in::KEY_LEFT, in::KEY_RIGHT, in::KEY_SPACE, in::KEY_P, in::KEY_PAUSE, in::KEY_C,
     in::KEY_F1, in::KEY_R},
    {in::KEY_W, in::KEY_A, in::KEY_S, in::KEY_D, in::KEY_E, in::KEY_P, in::KEY_PAUSE, in::KEY_C, in::KEY_F1,
     in::KEY_F12},
    {kJoystickUp, kJoystickDown, kJoystickLeft, kJoystickRight, 1, kJoystickNone, 4, 2, 3, kJoystickNone},
};

// Every joystick input in the order ReadJoystickInput tries them: the buttons, the directions, then
// an axis off its centre that no direction took.
constexpr auto kJoystickInputOrder = [] {
  std::array<int32_t, kJoystickLastButton + 1 + 6> order{};
  for (int32_t button = 0; button <= kJoystickLastButton; ++button) order[size_t(button)] = button;
  const int32_t sticks[] = {kJoystickLeft, kJoystickRight, kJoystickUp, kJoystickDown, kJoystickXAxis, kJoystickYAxis};
  for (size_t i = 0; i < 6; ++i) order[kJoystickLastButton + 1 + i] = sticks[i];
  return order;
}();

bool JoystickInputActive(int32_t code) {
  switch (code) {
    case kJoystickLeft: return g_input->joystickLeft() != 0;
    case kJoystickRight: return g_input->joystickRight() != 0;
    case kJoystickUp: return g_input->joystickUp() != 0;
    case kJoystickDown: return g_input->joystickDown() != 0;
    case kJoystickXAxis: return g_input->getJoystickX() != 0;
    case kJoystickYAxis: return g_input->getJoystickY() != 0;
    default: return g_input->isJoystickButtonDown(code) != 0;
  }
}

// The keys and joystick inputs held since IgnoreInputHeldNow; each leaves its set once it reads up.
constexpr int32_t kKeyCount = 256;
std::bitset<kKeyCount> g_heldKeys;
std::bitset<kJoystickYAxis + 1> g_heldJoystick;

void LetGoOfReleasedInput() {
  if (g_heldKeys.none() && g_heldJoystick.none()) return;
  for (int32_t key = 1; key < kKeyCount; ++key)
    if (g_heldKeys.test(size_t(key)) && !g_input->isKeyDown(key)) g_heldKeys.reset(size_t(key));
  for (int32_t code : kJoystickInputOrder)
    if (g_heldJoystick.test(size_t(code)) && !JoystickInputActive(code)) g_heldJoystick.reset(size_t(code));
}

constexpr const char* kCommandNames[kGameCommandCount] = {
    "Accelerate", "Break",       "Turn Left",   "Turn Right", "Emergency Break",
    "Planning Screen", "Pause", "Camera Mode", "Menu Screen", "Restart Level"};

}  // namespace

ControlBindings& Bindings() { return g_bindings; }

void SetDefaultControls() { g_bindings = kDefaults; }

bool IsCommandDown(int32_t slot) {
  if (slot < 0 || slot >= kGameCommandCount) return false;
  for (const int32_t key : {g_bindings.keyboard[slot], g_bindings.alternative[slot]})
    if (FreshKeyDown(key, g_input->isKeyDown(key) != 0)) return true;
  const int32_t joystick = g_bindings.joystick[slot];
  return joystick != kJoystickNone && ReadJoystickInput() == joystick;
}

int32_t ReadJoystickInput() {
  LetGoOfReleasedInput();
  for (int32_t code : kJoystickInputOrder)
    if (!g_heldJoystick.test(size_t(code)) && JoystickInputActive(code)) return code;
  return kJoystickNone;
}

void IgnoreInputHeldNow() {
  g_heldKeys.reset();
  g_heldJoystick.reset();
  for (int32_t key = 1; key < kKeyCount; ++key)
    if (g_input->isKeyDown(key)) g_heldKeys.set(size_t(key));
  for (int32_t code : kJoystickInputOrder)
    if (JoystickInputActive(code)) g_heldJoystick.set(size_t(code));
}

bool FreshKeyDown(int32_t scanCode, bool down) {
  LetGoOfReleasedInput();
  return down && !(scanCode >= 0 && scanCode < kKeyCount && g_heldKeys.test(size_t(scanCode)));
}

const char* GetCommandName(int32_t slot) {
  return slot >= 0 && slot < kGameCommandCount ? kCommandNames[slot] : "";
}

const char* GetJoystickInputName(int32_t code) {
  static char button[16];
  if (code >= 0 && code <= kJoystickLastButton) {
    std::snprintf(button, sizeof button, "Button %i", int(code));
    return button;
  }
  switch (code) {
    case kJoystickLeft: return "D-Pad Left";
    case kJoystickUp: return "D-Pad Up";
    case kJoystickRight: return "D-Pad Right";
    case kJoystickDown: return "D-Pad Down";
    case kJoystickXAxis: return "X-Axis";
    case kJoystickYAxis: return "Y-Axis";
    default: return "";
  }
}

void SetControlInput(const ControlInput* input) {
  g_input = input ? input : &kEngineInput;
  // What was held was read from the devices put aside.
  g_heldKeys.reset();
  g_heldJoystick.reset();
}
