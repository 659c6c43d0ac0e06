// The input module's entries and its devices: the system keyboard and mouse (foreground, shared) and
// the first attached game controller (exclusive, background).
#include <cstring>

#include "engine/core/errors.h"
#include "engine/input/input.h"
#include "engine/input/input_state.h"

namespace in = platform::input;

namespace {

InputState g_input;

void ReleaseDevice(in::Device*& device) {
  if (!device) return;
  device->Unacquire();
  device->Release();
  device = nullptr;
}

// Releases every device and raises the failed step's text.
bool Fail(const char* text) {
  ReleaseInputDevices();
  RaiseErrorText(text);
  return false;
}

bool CreateKeyboard() {
  InputState& s = g_input;
  if (!s.api || in::Failed(s.api->CreateDevice(in::kSystemKeyboard, &s.keyboard)))
    return Fail("Unable to access keyboard for input library");
  if (in::Failed(s.keyboard->SetDataFormat(in::DataFormat::Keyboard)))
    return Fail("Failed to set data format for keyboard in input library");
  if (in::Failed(s.keyboard->SetCooperativeLevel(s.window, in::COOP_FOREGROUND | in::COOP_NONEXCLUSIVE)))
    return Fail("Failed to set cooperative level for keyboard in input library");
  s.keyboard->Acquire();
  return true;
}

bool CreateMouse() {
  InputState& s = g_input;
  if (!s.api || in::Failed(s.api->CreateDevice(in::kSystemMouse, &s.mouse)))
    return Fail("Unable to access mouse for input library");
  if (in::Failed(s.mouse->SetCooperativeLevel(s.window, in::COOP_FOREGROUND | in::COOP_NONEXCLUSIVE)))
    return Fail("Failed to set cooperative level for mouse in input library");
  if (in::Failed(s.mouse->SetDataFormat(in::DataFormat::Mouse)))
    return Fail("Failed to set data format for mouse in input library");
  s.mouse->Acquire();
  return true;
}

// Takes the first attached controller that opens (the one used before, once one was taken).
bool TakeJoystick(const in::DeviceInstance& instance, void*) {
  InputState& s = g_input;
  if (!s.wantedJoystick.empty() && instance.productName != s.wantedJoystick) return true;
  in::Device* device = nullptr;
  if (in::Failed(s.api->CreateDevice(instance.id, &device))) return true;
  if (in::Failed(device->SetCooperativeLevel(s.window, in::COOP_EXCLUSIVE | in::COOP_BACKGROUND)) ||
      in::Failed(device->SetDataFormat(in::DataFormat::Joystick2))) {
    device->Release();
    return true;
  }
  for (uint32_t axis : {in::JOFS_X, in::JOFS_Y, in::JOFS_Z}) device->SetAxisRange(axis, -1000, 1000);
  device->SetAutoCenter(false);
  ReleaseDevice(s.joystick);
  s.joystick = device;
  s.joystick->Acquire();
  s.wantedJoystick = device->ProductName();
  return false;
}

void CreateJoystick() {
  if (g_input.api) g_input.api->EnumDevices(in::DEVCLASS_GAMECTRL, TakeJoystick, nullptr, in::ENUM_ATTACHEDONLY);
}

}  // namespace

InputState& InputModuleState() { return g_input; }

void ReleaseInputDevices() {
  ReleaseDevice(g_input.keyboard);
  ReleaseDevice(g_input.mouse);
  ReleaseDevice(g_input.joystick);
}

namespace InputModule {

void Constructor() {
  Destructor();  // a second construction starts clean
  g_input = InputState{};
  if (in::Failed(in::CreateInput(&g_input.api))) {
    g_input.api = nullptr;
    RaiseErrorText("Unable to create DirectInput interface");
  }
}

void Destructor() {
  ReleaseInputDevices();
  if (g_input.api) g_input.api->Release();
  g_input.api = nullptr;
}

void SetErrorHandler(uint32_t* errorWord) { SetModuleErrorHandler(errorWord); }

void PassCoreData(CoreData* coreData) {
  InputState& s = g_input;
  s.core = coreData;
  s.allocFree = coreData ? coreData->allocFree : nullptr;
  s.typedChars = coreData ? &coreData->typedChars : nullptr;
  s.window = coreData ? coreData->window : nullptr;
  ReleaseInputDevices();
  if (CreateKeyboard() && CreateMouse()) CreateJoystick();
}

void RefreshD3D(int) {}

}  // namespace InputModule
