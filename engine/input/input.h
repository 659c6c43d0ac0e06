// The input module: keyboard by scan code, mouse buttons and wheel, the first game controller, and the
// characters typed into the engine window. Device state is read anew by each query; the pointer
// position and the typed characters come from the window procedure through CoreData.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"

namespace InputModule {
void Constructor();
void Destructor();
void SetErrorHandler(uint32_t* errorWord);
// Keeps CoreData and makes the keyboard, mouse and joystick devices (any made before are released).
void PassCoreData(CoreData* coreData);
void RefreshD3D(int mode);  // input has no device objects
}  // namespace InputModule

// Typed characters (every code, backspace and return included).
void ClearTypedText();
// A new engine string of the characters typed since the last clear; the previous one is not freed.
char* GetTypedText();

// Arrow, Escape and Return keys: 1 while down, after which the whole key state reads clear.
uint32_t UpKeyPressed();
uint32_t DownKeyPressed();
uint32_t LeftKeyPressed();
uint32_t RightKeyPressed();
uint32_t EscapeKeyPressed();
uint32_t ReturnKeyPressed();
// 1 while the key of the scan code is down; codes outside 0..255 are never down.
int32_t IsKeyDown(int32_t scanCode);
// The lowest scan code down, 0 when none.
int32_t GetPressedScanCode();

void HideMouseCursor();
void ShowMouseCursor();
// Pointer position in back-buffer pixels.
int32_t GetMouseX();
int32_t GetMouseY();
// Wheel movement summed since start-up, 120 per notch.
uint32_t GetMouseWheel();
// Bit n while button n is down (0 left, 1 right, 2 middle, 3 fourth).
uint32_t GetMouseButtons();

// The first game controller, axes from -1000 to 1000; with none attached every query reads 0.
uint32_t JoystickUp();
uint32_t JoystickDown();
uint32_t JoystickLeft();
uint32_t JoystickRight();
int32_t GetJoystickX();
int32_t GetJoystickY();
// Buttons 0..31; any other number reads 0.
int32_t IsJoystickButtonDown(int32_t button);
