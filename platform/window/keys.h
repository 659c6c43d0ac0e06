// SDL key codes to the virtual-key values of the window messages.
#pragma once
#include <cstdint>

namespace platform::window {

// 0 for keys without a virtual key.
uint32_t VirtualKeyFromSdl(int32_t sdlKeycode);

}  // namespace platform::window
