// The input interface: device listing and creation. The joystick subsystem is started here; keyboard
// and mouse state come from the video subsystem the window starts.
#include <SDL.h>

#include "platform/input/devices.h"

namespace platform::input {

Result CreateInput(Input** input) {
  if (!input) return kInvalidParam;
  auto* created = new Input;
  // Without a joystick subsystem there are simply no controllers.
  created->joystickReady_ = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
  *input = created;
  return kOk;
}

Input::~Input() {
  if (joystickReady_) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

void Input::Release() { delete this; }

Result Input::EnumDevices(uint32_t deviceClass, bool (*callback)(const DeviceInstance&, void*), void* context,
                          uint32_t) {
  if (!callback) return kInvalidParam;
  if (deviceClass != DEVCLASS_ALL && deviceClass != DEVCLASS_KEYBOARD && deviceClass != DEVCLASS_POINTER &&
      deviceClass != DEVCLASS_GAMECTRL) {
    return kInvalidParam;
  }
  std::vector<DeviceInstance> devices;
  if (deviceClass == DEVCLASS_ALL || deviceClass == DEVCLASS_KEYBOARD) {
    devices.push_back({kSystemKeyboard, DEVCLASS_KEYBOARD, "Keyboard"});
  }
  if (deviceClass == DEVCLASS_ALL || deviceClass == DEVCLASS_POINTER) {
    devices.push_back({kSystemMouse, DEVCLASS_POINTER, "Mouse"});
  }
  if ((deviceClass == DEVCLASS_ALL || deviceClass == DEVCLASS_GAMECTRL) && joystickReady_) {
    for (DeviceInstance& joystick : AttachedJoysticks()) devices.push_back(std::move(joystick));
  }
  for (const DeviceInstance& device : devices) {
    if (!callback(device, context)) break;
  }
  return kOk;
}

Result Input::CreateDevice(const DeviceId& id, Device** device) {
  if (!device) return kInvalidParam;
  *device = nullptr;
  switch (id.kind) {
    case DeviceKind::Keyboard: *device = CreateKeyboardDevice(); break;
    case DeviceKind::Mouse: *device = CreateMouseDevice(); break;
    case DeviceKind::Joystick: *device = joystickReady_ ? CreateJoystickDevice(id.joystick) : nullptr; break;
  }
  return *device ? kOk : kDeviceNotRegistered;
}

}  // namespace platform::input
