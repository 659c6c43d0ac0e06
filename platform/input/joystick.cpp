// Game controllers through SDL's joystick API: SDL axes 0-7 are x, y, z, rx, ry, rz and the two
// sliders, scaled from -32768..32767 to each axis's range; hats become POV angles; buttons bytes.
#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/input/devices.h"

namespace platform::input {
namespace {

constexpr int kAxes = 8;
constexpr int kHats = 4;
constexpr int kButtons = 128;

struct AxisRange {
  int32_t min = kDefaultAxisMin;
  int32_t max = kDefaultAxisMax;
};

// Linear from SDL's full range onto [min, max], rounded, so SDL's 0 is the range's centre.
int32_t ScaleAxis(Sint16 value, const AxisRange& range) {
  const int64_t span = int64_t(range.max) - range.min;
  return int32_t(range.min + ((int64_t(value) + 32768) * span + 32767) / 65535);
}

uint32_t PovFromHat(Uint8 hat) {
  switch (hat) {
    case SDL_HAT_UP: return 0;
    case SDL_HAT_RIGHTUP: return 4500;
    case SDL_HAT_RIGHT: return 9000;
    case SDL_HAT_RIGHTDOWN: return 13500;
    case SDL_HAT_DOWN: return 18000;
    case SDL_HAT_LEFTDOWN: return 22500;
    case SDL_HAT_LEFT: return 27000;
    case SDL_HAT_LEFTUP: return 31500;
    default: return kPovCentred;
  }
}

class Joystick final : public Device {
 public:
  Joystick(SDL_Joystick* handle, const char* name) : Device(DeviceKind::Joystick, name ? name : "Joystick"), handle_(handle) {
    // Each device keeps the joystick subsystem up for as long as it holds an open handle.
    SDL_InitSubSystem(SDL_INIT_JOYSTICK);
  }
  ~Joystick() override {
    SDL_JoystickClose(handle_);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  }

  Result Poll() override {
    if (!IsAcquired()) return kNotAcquired;
    SDL_JoystickUpdate();
    return SDL_JoystickGetAttached(handle_) ? kOk : kInputLost;
  }

  Result SetAxisRange(uint32_t axisOffset, int32_t min, int32_t max) override {
    if (IsAcquired()) return kAcquired;
    if (min >= max) return kInvalidParam;
    if (axisOffset == kAllAxes) {
      ranges_.fill({min, max});
      return kOk;
    }
    if (axisOffset % 4 != 0 || axisOffset / 4 >= kAxes) return kObjectNotFound;
    ranges_[axisOffset / 4] = {min, max};
    return kOk;
  }

  Result SetAutoCenter(bool) override { return kOk; }

 private:
  bool AcceptsFormat(DataFormat format) const override {
    return format == DataFormat::Joystick || format == DataFormat::Joystick2;
  }

  void OnCooperativeLevel(uint32_t flags) override {
    // Background access: SDL otherwise drops controller input while another window has the focus.
    if (flags & COOP_BACKGROUND) SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  }

  Result OnAcquire() override { return SDL_JoystickGetAttached(handle_) ? kOk : kInputLost; }

  Result ReadState(void* data) override {
    if (!SDL_JoystickGetAttached(handle_)) return kInputLost;
    JoystickState state{};
    int32_t* axes[kAxes] = {&state.x, &state.y, &state.z, &state.rx, &state.ry, &state.rz, &state.slider[0], &state.slider[1]};
    const int axisCount = std::min(SDL_JoystickNumAxes(handle_), kAxes);
    for (int i = 0; i < axisCount; ++i) *axes[i] = ScaleAxis(SDL_JoystickGetAxis(handle_, i), ranges_[i]);
    const int hatCount = std::min(SDL_JoystickNumHats(handle_), kHats);
    for (int i = 0; i < kHats; ++i) state.pov[i] = i < hatCount ? PovFromHat(SDL_JoystickGetHat(handle_, i)) : kPovCentred;
    const int buttonCount = std::min(SDL_JoystickNumButtons(handle_), kButtons);
    for (int i = 0; i < buttonCount; ++i) state.buttons[i] = SDL_JoystickGetButton(handle_, i) ? 0x80 : 0;
    std::memcpy(data, &state, Format() == DataFormat::Joystick ? kJoystickStateSize : sizeof(JoystickState));
    return kOk;
  }

  SDL_Joystick* handle_;
  std::array<AxisRange, kAxes> ranges_{};
};

}  // namespace

std::vector<DeviceInstance> AttachedJoysticks() {
  std::vector<DeviceInstance> joysticks;
  const int count = SDL_NumJoysticks();
  for (int index = 0; index < count; ++index) {
    const char* name = SDL_JoystickNameForIndex(index);
    joysticks.push_back({{DeviceKind::Joystick, SDL_JoystickGetDeviceInstanceID(index)}, DEVCLASS_GAMECTRL,
                         name ? name : "Joystick"});
  }
  return joysticks;
}

Device* CreateJoystickDevice(int32_t instance) {
  const int count = SDL_NumJoysticks();
  for (int index = 0; index < count; ++index) {
    if (SDL_JoystickGetDeviceInstanceID(index) != instance) continue;
    SDL_Joystick* handle = SDL_JoystickOpen(index);
    return handle ? new Joystick(handle, SDL_JoystickName(handle)) : nullptr;
  }
  return nullptr;
}

}  // namespace platform::input
