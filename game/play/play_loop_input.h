// The keyboard and mouse queries of play, planning, death and the overlays, read through one table so
// tests can press keys and click without a window; the game commands go through control_bindings.h.
#pragma once
#include <cstdint>

struct PlayInput {
  int32_t (*pressedScanCode)();  // lowest scan code down, 0 when none
  uint32_t (*escapePressed)();
  uint32_t (*returnPressed)();
  int32_t (*mouseX)();
  int32_t (*mouseY)();
  uint32_t (*mouseButtons)();  // bit 0 left, bit 1 right
};
// Tests put their own table in place; null puts the engine's back.
void SetPlayInput(const PlayInput* input);

int32_t PlayPressedScanCode();
// Escape and Return down; a key held since IgnoreInputHeldNow (control_bindings.h) reads up.
bool PlayEscapePressed();
bool PlayReturnPressed();
int32_t PlayMouseX();
int32_t PlayMouseY();
uint32_t PlayMouseButtons();

// A key is down or the joystick reports a button (0 to 32): what ends the intro and result panels.
bool AnyKeyOrJoystickButton();
