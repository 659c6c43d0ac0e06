// The mouse: buttons from SDL's state, with the presses noted from SDL's event stream so a click
// shorter than a frame still shows; movement and wheel summed from the events between two reads. An
// event watch sees every event as SDL queues it, so the window's pump needs no hook.
#include <SDL_events.h>
#include <SDL_mouse.h>

#include <atomic>

#include "platform/input/devices.h"
#include "platform/input/press_latch.h"

namespace platform::input {
namespace {

class Mouse final : public Device {
 public:
  Mouse() : Device(DeviceKind::Mouse, "Mouse") {}
  ~Mouse() override { SDL_DelEventWatch(&Mouse::Watch, this); }

 private:
  bool AcceptsFormat(DataFormat format) const override { return format == DataFormat::Mouse; }

  Result OnAcquire() override {
    dx_ = dy_ = dz_ = 0;
    presses_.Reset();
    SDL_AddEventWatch(&Mouse::Watch, this);
    return kOk;
  }

  void OnUnacquire() override { SDL_DelEventWatch(&Mouse::Watch, this); }

  Result ReadState(void* data) override {
    auto* state = static_cast<MouseState*>(data);
    state->x = dx_.exchange(0);
    state->y = dy_.exchange(0);
    state->z = dz_.exchange(0);
    const Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
    const Uint32 masks[4] = {SDL_BUTTON_LMASK, SDL_BUTTON_RMASK, SDL_BUTTON_MMASK, SDL_BUTTON_X1MASK};
    for (int i = 0; i < 4; ++i) state->buttons[i] = (buttons & masks[i]) ? 0x80 : 0;
    presses_.Apply(state->buttons);
    return kOk;
  }

  // May run on any thread that pushes an event, hence the atomics.
  static int SDLCALL Watch(void* self, SDL_Event* event) {
    auto* mouse = static_cast<Mouse*>(self);
    if (event->type == SDL_MOUSEMOTION) {
      mouse->dx_ += event->motion.xrel;
      mouse->dy_ += event->motion.yrel;
    } else if (event->type == SDL_MOUSEWHEEL) {
      const int32_t notches = event->wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event->wheel.y : event->wheel.y;
      mouse->dz_ += notches * kWheelDelta;
    } else if (event->type == SDL_MOUSEBUTTONDOWN) {
      if (const int index = ButtonIndex(event->button.button); index >= 0) mouse->presses_.NotePress(size_t(index));
    }
    mouse->presses_.NotePump();
    return 1;
  }

  // The state's button byte of an SDL button: left, right, middle, fourth; -1 for others.
  static int ButtonIndex(Uint8 button) {
    switch (button) {
      case SDL_BUTTON_LEFT: return 0;
      case SDL_BUTTON_RIGHT: return 1;
      case SDL_BUTTON_MIDDLE: return 2;
      case SDL_BUTTON_X1: return 3;
      default: return -1;
    }
  }

  std::atomic<int32_t> dx_{0}, dy_{0}, dz_{0};
  PressLatch presses_{sizeof MouseState::buttons};
};

}  // namespace

Device* CreateMouseDevice() { return new Mouse; }

}  // namespace platform::input
