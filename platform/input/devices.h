// Factories of the device kinds, for the input interface.
#pragma once
#include <vector>

#include "platform/input/input.h"

namespace platform::input {

Device* CreateKeyboardDevice();
Device* CreateMouseDevice();
// Null when no attached controller has that instance number.
Device* CreateJoystickDevice(int32_t instance);
std::vector<DeviceInstance> AttachedJoysticks();

}  // namespace platform::input
