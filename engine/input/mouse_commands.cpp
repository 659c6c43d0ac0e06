// Mouse queries: buttons and wheel from the mouse device, the position from the window procedure.
#include <cstring>

#include "engine/input/input.h"
#include "engine/input/input_state.h"
#include "platform/window/cursor.h"

namespace in = platform::input;

void ReadMouse() {
  InputState& s = InputModuleState();
  in::MouseState& state = s.mouseState;
  bool read = s.mouse && in::Succeeded(s.mouse->GetDeviceState(sizeof state, &state));
  if (!read && s.mouse) {
    s.mouse->Acquire();
    read = in::Succeeded(s.mouse->GetDeviceState(sizeof state, &state));
  }
  if (!read) state = in::MouseState{};
  s.totalX += state.x;
  s.totalY += state.y;
  s.totalWheel += state.z;
}

void HideMouseCursor() {
  CoreData* core = InputModuleState().core;
  if (!core || core->cursorVisible != 1) return;
  platform::window::ShowCursor(false);
  core->cursorVisible = 0;
}

void ShowMouseCursor() {
  CoreData* core = InputModuleState().core;
  if (!core || core->cursorVisible != 0) return;
  platform::window::ShowCursor(true);
  core->cursorVisible = 1;
}

int32_t GetMouseX() {
  ReadMouse();
  const CoreData* core = InputModuleState().core;
  return core ? core->mouseX : 0;
}

int32_t GetMouseY() {
  ReadMouse();
  const CoreData* core = InputModuleState().core;
  return core ? core->mouseY : 0;
}

uint32_t GetMouseWheel() {
  ReadMouse();
  return uint32_t(InputModuleState().totalWheel);
}

uint32_t GetMouseButtons() {
  ReadMouse();
  InputState& s = InputModuleState();
  uint32_t bits = 0;
  for (int i = 0; i < 4; ++i)
    if (s.mouseState.buttons[i] & 0x80) bits |= 1u << i;
  s.mouseState = in::MouseState{};
  return bits;
}
