// The keyboard reads SDL's key state, which follows the window's event pump and is cleared when the
// window loses the focus.
#include <SDL_keyboard.h>

#include "platform/input/devices.h"

namespace platform::input {
namespace {

class Keyboard final : public Device {
 public:
  Keyboard() : Device(DeviceKind::Keyboard, "Keyboard") {}

 private:
  bool AcceptsFormat(DataFormat format) const override { return format == DataFormat::Keyboard; }

  Result ReadState(void* data) override {
    auto* keys = static_cast<uint8_t*>(data);
    int count = 0;
    const Uint8* down = SDL_GetKeyboardState(&count);
    for (int scancode = 0; scancode < count; ++scancode) {
      if (!down[scancode]) continue;
      if (const uint8_t key = KeyCodeFromSdlScancode(scancode)) keys[key] = 0x80;
    }
    return kOk;
  }
};

}  // namespace

Device* CreateKeyboardDevice() { return new Keyboard; }

}  // namespace platform::input
