// The bindings table, its defaults and the test of a command against the keyboard and joystick.
#include "game/shell/control_bindings.h"

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

constexpr const char* kCommandNames[kGameCommandCount] = {
    "Accelerate", "Break",       "Turn Left",   "Turn Right", "Emergency Break",
    "Planning Screen", "Pause", "Camera Mode", "Menu Screen", "Restart Level"};

}  // namespace

ControlBindings& Bindings() { return g_bindings; }

void SetDefaultControls() { g_bindings = kDefaults; }

bool IsCommandDown(int32_t slot) {
  if (slot < 0 || slot >= kGameCommandCount) return false;
  if (g_input->isKeyDown(g_bindings.keyboard[slot]) || g_input->isKeyDown(g_bindings.alternative[slot])) return true;
  const int32_t joystick = g_bindings.joystick[slot];
  return joystick != kJoystickNone && ReadJoystickInput() == joystick;
}

int32_t ReadJoystickInput() {
  for (int32_t button = 0; button <= kJoystickLastButton; ++button)
    if (g_input->isJoystickButtonDown(button)) return button;
  if (g_input->joystickLeft()) return kJoystickLeft;
  if (g_input->joystickRight()) return kJoystickRight;
  if (g_input->joystickUp()) return kJoystickUp;
  if (g_input->joystickDown()) return kJoystickDown;
  if (g_input->getJoystickX() != 0) return kJoystickXAxis;
  if (g_input->getJoystickY() != 0) return kJoystickYAxis;
  return kJoystickNone;
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

void SetControlInput(const ControlInput* input) { g_input = input ? input : &kEngineInput; }
