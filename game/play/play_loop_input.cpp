#include "game/play/play_loop_input.h"

#include "engine/input/input.h"
#include "game/shell/control_bindings.h"
#include "platform/input/key_codes.h"

namespace {
const PlayInput kEngineInput = {GetPressedScanCode, EscapeKeyPressed, ReturnKeyPressed,
                                GetMouseX,          GetMouseY,        GetMouseButtons};
const PlayInput* gInput = &kEngineInput;
}  // namespace

void SetPlayInput(const PlayInput* input) { gInput = input ? input : &kEngineInput; }

int32_t PlayPressedScanCode() { return gInput->pressedScanCode(); }
bool PlayEscapePressed() { return FreshKeyDown(platform::input::KEY_ESCAPE, gInput->escapePressed() != 0); }
bool PlayReturnPressed() { return FreshKeyDown(platform::input::KEY_RETURN, gInput->returnPressed() != 0); }
int32_t PlayMouseX() { return gInput->mouseX(); }
int32_t PlayMouseY() { return gInput->mouseY(); }
uint32_t PlayMouseButtons() { return gInput->mouseButtons(); }

bool AnyKeyOrJoystickButton() {
  if (PlayPressedScanCode() > 0) return true;
  const int32_t joystick = ReadJoystickInput();
  return joystick >= 0 && joystick <= kJoystickLastButton;
}
