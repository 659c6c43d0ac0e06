// Keyboard queries by scan code, and the characters typed into the engine window.
#include <cstring>

#include "engine/core/core_alloc.h"
#include "engine/input/input.h"
#include "engine/input/input_state.h"

namespace in = platform::input;

namespace {

// 1 when the key is down; then the whole key state is cleared.
uint32_t KeyPressed(uint8_t scanCode) {
  ReadKeyboard();
  InputState& s = InputModuleState();
  if (!in::IsScanCodeDown(s.keys, scanCode)) return 0;
  std::memset(s.keys, 0, sizeof s.keys);
  return 1;
}

}  // namespace

void ReadKeyboard() {
  InputState& s = InputModuleState();
  if (s.keyboard && in::Succeeded(s.keyboard->GetDeviceState(sizeof s.keys, s.keys))) return;
  if (s.keyboard) s.keyboard->Acquire();
  std::memset(s.keys, 0, sizeof s.keys);
}

void ClearTypedText() {
  InputState& s = InputModuleState();
  if (s.typedChars && *s.typedChars) (*s.typedChars)[0] = 0;
}

char* GetTypedText() {
  InputState& s = InputModuleState();
  const char* typed = s.typedChars && *s.typedChars ? *s.typedChars : "";
  s.lastString = HandOverNewString(s.allocFree, typed);
  return s.lastString;
}

uint32_t UpKeyPressed() { return KeyPressed(in::KEY_UP); }
uint32_t DownKeyPressed() { return KeyPressed(in::KEY_DOWN); }
uint32_t LeftKeyPressed() { return KeyPressed(in::KEY_LEFT); }
uint32_t RightKeyPressed() { return KeyPressed(in::KEY_RIGHT); }
uint32_t EscapeKeyPressed() { return KeyPressed(in::KEY_ESCAPE); }
uint32_t ReturnKeyPressed() { return KeyPressed(in::KEY_RETURN); }

int32_t IsKeyDown(int32_t scanCode) {
  ReadKeyboard();
  return in::IsScanCodeDown(InputModuleState().keys, scanCode) ? 1 : 0;
}

int32_t GetPressedScanCode() {
  ReadKeyboard();
  const InputState& s = InputModuleState();
  for (int code = 0; code < in::kKeyboardStateSize; ++code)
    if (s.keys[code] != 0) return code;
  return 0;
}
