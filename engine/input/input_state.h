// The input module's state. Internal to the module and its tests.
#pragma once
#include <cstdint>
#include <string>

#include "engine/core/core_data.h"
#include "platform/input/input.h"

struct InputState {
  platform::input::Input* api = nullptr;
  platform::input::Device* keyboard = nullptr;
  platform::input::Device* mouse = nullptr;
  platform::input::Device* joystick = nullptr;
  uint8_t keys[platform::input::kKeyboardStateSize] = {};
  platform::input::MouseState mouseState;
  int32_t totalX = 0, totalY = 0, totalWheel = 0;
  platform::input::JoystickState joystickLive{};
  platform::input::JoystickState joystickQuery{};
  std::string wantedJoystick;  // empty until a controller is taken, then its product name
  CoreData* core = nullptr;
  AllocFreeCallback allocFree = nullptr;
  char** typedChars = nullptr;  // the CoreData field
  platform::window::Window* window = nullptr;
  char* lastString = nullptr;
};

InputState& InputModuleState();

// Device reads behind the commands.
void ReadKeyboard();
void ReadMouse();
void ReadJoystick();
// Releases the keyboard, mouse and joystick devices.
void ReleaseInputDevices();
