// The keyboard reads SDL's key state, which follows the window's event pump and is cleared when the
// window loses the focus; an event watch notes the presses, so one shorter than a frame still shows.
#include <SDL_events.h>
#include <SDL_keyboard.h>

#include "platform/input/devices.h"
#include "platform/input/press_latch.h"

namespace platform::input {
namespace {

class Keyboard final : public Device {
 public:
  Keyboard() : Device(DeviceKind::Keyboard, "Keyboard") {}
  ~Keyboard() override { SDL_DelEventWatch(&Keyboard::Watch, this); }

 private:
  bool AcceptsFormat(DataFormat format) const override { return format == DataFormat::Keyboard; }

  Result OnAcquire() override {
    presses_.Reset();
    SDL_AddEventWatch(&Keyboard::Watch, this);
    return kOk;
  }

  void OnUnacquire() override { SDL_DelEventWatch(&Keyboard::Watch, this); }

  Result ReadState(void* data) override {
    auto* keys = static_cast<uint8_t*>(data);
    int count = 0;
    const Uint8* down = SDL_GetKeyboardState(&count);
    for (int scancode = 0; scancode < count; ++scancode) {
      if (!down[scancode]) continue;
      if (const uint8_t key = KeyCodeFromSdlScancode(scancode)) keys[key] = 0x80;
    }
    presses_.Apply(keys);
    return kOk;
  }

  static int SDLCALL Watch(void* self, SDL_Event* event) {
    auto* keyboard = static_cast<Keyboard*>(self);
    if (event->type == SDL_KEYDOWN && !event->key.repeat) {
      if (const uint8_t key = KeyCodeFromSdlScancode(event->key.keysym.scancode)) keyboard->presses_.NotePress(key);
    }
    keyboard->presses_.NotePump();
    return 1;
  }

  PressLatch presses_{kKeyboardStateSize};
};

}  // namespace

Device* CreateKeyboardDevice() { return new Keyboard; }

}  // namespace platform::input
