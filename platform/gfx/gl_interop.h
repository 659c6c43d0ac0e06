// For platform code that draws with GL itself into a device's context (the editor's UI library):
// make the context current before, and let the device forget what it believed GL's state to be
// after, so that its state cache sends everything again.
#pragma once
#include "platform/gfx/device.h"

namespace platform::gfx {

void MakeDeviceContextCurrent(Device* device);
void InvalidateDeviceGlState(Device* device);

}  // namespace platform::gfx
