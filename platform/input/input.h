// Keyboard, mouse and game-controller devices read as immediate state, numbered as the engine's input
// code expects: keyboard state by scan code (key_codes.h), mouse movement as deltas with the
// wheel at 120 per notch, the first game controller with ranged axes, POV hats and 128 buttons.
// Results, flags and layouts keep their documented values and sizes because engine code tests them
// by number.
//
// The service reads SDL's keyboard and mouse-button state and watches SDL's event stream for key and
// button presses, mouse motion and the wheel, so whoever pumps SDL events (the window) needs no extra
// call. A press that begins and ends between two reads still reads as down, for every read until the
// next pump (press_latch.h); each poll of SDL's events (SDL_PollEvent until it returns 0) is one pump.
#pragma once
#include <cstdint>
#include <string>

#include "platform/input/key_codes.h"

namespace platform::input {

using Result = int32_t;
constexpr Result kOk = 0;
constexpr Result kNoEffect = 1;  // success, nothing to do
constexpr Result kFail = static_cast<Result>(0x80004005);
constexpr Result kUnsupported = static_cast<Result>(0x80004001);
constexpr Result kObjectNotFound = static_cast<Result>(0x80070002);
constexpr Result kNotAcquired = static_cast<Result>(0x8007000C);
constexpr Result kNotInitialized = static_cast<Result>(0x80070015);
constexpr Result kInputLost = static_cast<Result>(0x8007001E);
constexpr Result kInvalidParam = static_cast<Result>(0x80070057);
constexpr Result kAcquired = static_cast<Result>(0x800700AA);
constexpr Result kDeviceNotRegistered = static_cast<Result>(0x80040154);
inline bool Succeeded(Result r) { return r >= 0; }
inline bool Failed(Result r) { return r < 0; }

// Device classes for EnumDevices.
enum : uint32_t { DEVCLASS_ALL = 0, DEVCLASS_POINTER = 2, DEVCLASS_KEYBOARD = 3, DEVCLASS_GAMECTRL = 4 };
enum : uint32_t { ENUM_ALLDEVICES = 0, ENUM_ATTACHEDONLY = 1 };

// Cooperative level: one of exclusive / non-exclusive and one of foreground / background.
enum : uint32_t { COOP_EXCLUSIVE = 0x1, COOP_NONEXCLUSIVE = 0x2, COOP_FOREGROUND = 0x4, COOP_BACKGROUND = 0x8 };

// Byte offsets of the axes in JoystickState, for SetAxisRange; kAllAxes sets every axis.
enum : uint32_t {
  JOFS_X = 0, JOFS_Y = 4, JOFS_Z = 8, JOFS_RX = 12, JOFS_RY = 16, JOFS_RZ = 20, JOFS_SLIDER0 = 24,
  JOFS_SLIDER1 = 28,
};
constexpr uint32_t kAllAxes = 0xFFFFFFFF;

// Axes read 0..65535 until SetAxisRange changes them.
constexpr int32_t kDefaultAxisMin = 0;
constexpr int32_t kDefaultAxisMax = 65535;
// Mouse wheel movement per notch in MouseState::z.
constexpr int32_t kWheelDelta = 120;
// A POV hat at rest; otherwise hundredths of degrees clockwise from up.
constexpr uint32_t kPovCentred = 0xFFFFFFFF;

// The layout GetDeviceState fills; a device accepts only the formats of its kind.
enum class DataFormat {
  Keyboard,   // uint8_t[256], see key_codes.h
  Mouse,      // MouseState
  Joystick,   // the first 80 bytes of JoystickState (32 buttons)
  Joystick2,  // JoystickState
};

// Movement since the previous read and the buttons (left, right, middle, fourth), high bit when down.
struct MouseState {
  int32_t x = 0;
  int32_t y = 0;
  int32_t z = 0;
  uint8_t buttons[4] = {};
};
static_assert(sizeof(MouseState) == 16);

// Axes, hats and buttons of a game controller; the velocity, acceleration and force fields are kept
// for the layout and always read 0.
struct JoystickState {
  int32_t x, y, z, rx, ry, rz;
  int32_t slider[2];
  uint32_t pov[4];
  uint8_t buttons[128];
  int32_t vx, vy, vz, vrx, vry, vrz;
  int32_t vslider[2];
  int32_t ax, ay, az, arx, ary, arz;
  int32_t aslider[2];
  int32_t fx, fy, fz, frx, fry, frz;
  int32_t fslider[2];
};
static_assert(sizeof(JoystickState) == 272);
constexpr uint32_t kJoystickStateSize = 80;  // DataFormat::Joystick

enum class DeviceKind { Keyboard, Mouse, Joystick };

struct DeviceId {
  DeviceKind kind = DeviceKind::Keyboard;
  int32_t joystick = -1;  // the controller's instance number for DeviceKind::Joystick
};
constexpr DeviceId kSystemKeyboard{DeviceKind::Keyboard, -1};
constexpr DeviceId kSystemMouse{DeviceKind::Mouse, -1};

struct DeviceInstance {
  DeviceId id;
  uint32_t deviceClass = 0;
  std::string productName;
};

// One input device. Set the data format and cooperative level, Acquire, then read with
// GetDeviceState (and Poll game controllers first). Release deletes it.
class Device {
 public:
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  Result SetDataFormat(DataFormat format);
  Result SetCooperativeLevel(void* window, uint32_t flags);
  Result Acquire();
  Result Unacquire();
  virtual Result Poll();
  // `size` must be the size of the data format. On failure the state reads as idle (no key, no button,
  // axes at 0, hats centred), so nothing stays held after a device is lost.
  Result GetDeviceState(uint32_t size, void* data);
  // Game controllers: the range an axis (by offset, or kAllAxes) is scaled to. Not while acquired.
  virtual Result SetAxisRange(uint32_t axisOffset, int32_t min, int32_t max);
  // Game controllers: accepted; no controller here has a force-feedback centring spring to turn off.
  virtual Result SetAutoCenter(bool on);
  const std::string& ProductName() const { return productName_; }
  DeviceKind Kind() const { return kind_; }
  void Release();

 protected:
  Device(DeviceKind kind, std::string productName);
  virtual ~Device();
  virtual bool AcceptsFormat(DataFormat format) const = 0;
  virtual Result OnAcquire() { return kOk; }
  virtual void OnUnacquire() {}
  virtual void OnCooperativeLevel(uint32_t) {}
  // Fills `data` (already sized for the format) with the current state.
  virtual Result ReadState(void* data) = 0;
  bool IsAcquired() const { return acquired_; }
  DataFormat Format() const { return format_; }

 private:
  DeviceKind kind_;
  std::string productName_;
  bool hasFormat_ = false;
  DataFormat format_ = DataFormat::Keyboard;
  bool acquired_ = false;
};

// The input interface: lists the devices and creates them. Game controllers are optional: none
// attached is a normal state.
class Input {
 public:
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;

  // Calls `callback` for each device of the class until it returns false.
  Result EnumDevices(uint32_t deviceClass, bool (*callback)(const DeviceInstance& device, void* context),
                     void* context, uint32_t flags = ENUM_ATTACHEDONLY);
  Result CreateDevice(const DeviceId& id, Device** device);
  void Release();

 private:
  friend Result CreateInput(Input** input);
  Input() = default;
  ~Input();
  bool joystickReady_ = false;
};

Result CreateInput(Input** input);

}  // namespace platform::input
