// Joystick queries on the first game controller; without one the state reads cleared.
#include "engine/input/input.h"
#include "engine/input/input_state.h"

namespace in = platform::input;

void ReadJoystick() {
  InputState& s = InputModuleState();
  if (!s.joystick) {
    s.joystickLive = in::JoystickState{};
  } else {
    if (in::Failed(s.joystick->Poll())) {
      s.joystick->Acquire();
      s.joystick->Poll();
    }
    // A failed read leaves the state idle (axes 0, no buttons).
    s.joystick->GetDeviceState(sizeof s.joystickLive, &s.joystickLive);
  }
  s.joystickQuery = s.joystickLive;
}

uint32_t JoystickUp() {
  ReadJoystick();
  return InputModuleState().joystickQuery.y < 0 ? 1 : 0;
}

uint32_t JoystickDown() {
  ReadJoystick();
  return InputModuleState().joystickQuery.y > 0 ? 1 : 0;
}

uint32_t JoystickLeft() {
  ReadJoystick();
  return InputModuleState().joystickQuery.x < 0 ? 1 : 0;
}

uint32_t JoystickRight() {
  ReadJoystick();
  return InputModuleState().joystickQuery.x > 0 ? 1 : 0;
}

int32_t GetJoystickX() {
  ReadJoystick();
  return InputModuleState().joystickQuery.x;
}

int32_t GetJoystickY() {
  ReadJoystick();
  return InputModuleState().joystickQuery.y;
}

int32_t IsJoystickButtonDown(int32_t button) {
  ReadJoystick();
  if (button < 0 || button > 31) return 0;
  return (InputModuleState().joystickQuery.buttons[button] & 0x80) ? 1 : 0;
}
