// What every device shares: data format, cooperative level, acquisition and the checked state read.
#include <cstddef>
#include <cstring>
#include <utility>

#include "platform/input/input.h"

namespace platform::input {
namespace {

uint32_t FormatSize(DataFormat format) {
  switch (format) {
    case DataFormat::Keyboard: return kKeyboardStateSize;
    case DataFormat::Mouse: return sizeof(MouseState);
    case DataFormat::Joystick: return kJoystickStateSize;
    case DataFormat::Joystick2: return sizeof(JoystickState);
  }
  return 0;
}

// The state of a device nobody touches: nothing down, no movement, hats centred.
void ClearState(DataFormat format, void* data) {
  std::memset(data, 0, FormatSize(format));
  if (format == DataFormat::Joystick || format == DataFormat::Joystick2) {
    auto* pov = static_cast<uint8_t*>(data) + offsetof(JoystickState, pov);
    std::memset(pov, 0xFF, sizeof(JoystickState::pov));
  }
}

bool ExactlyOne(uint32_t flags, uint32_t a, uint32_t b) { return ((flags & a) != 0) != ((flags & b) != 0); }

}  // namespace

Device::Device(DeviceKind kind, std::string productName) : kind_(kind), productName_(std::move(productName)) {}

Device::~Device() = default;

Result Device::SetDataFormat(DataFormat format) {
  if (acquired_) return kAcquired;
  if (!AcceptsFormat(format)) return kInvalidParam;
  format_ = format;
  hasFormat_ = true;
  return kOk;
}

Result Device::SetCooperativeLevel(void*, uint32_t flags) {
  if (!ExactlyOne(flags, COOP_EXCLUSIVE, COOP_NONEXCLUSIVE) || !ExactlyOne(flags, COOP_FOREGROUND, COOP_BACKGROUND)) {
    return kInvalidParam;
  }
  OnCooperativeLevel(flags);
  return kOk;
}

Result Device::Acquire() {
  if (!hasFormat_) return kInvalidParam;
  if (acquired_) return kNoEffect;
  const Result result = OnAcquire();
  if (Succeeded(result)) acquired_ = true;
  return result;
}

Result Device::Unacquire() {
  if (!acquired_) return kNoEffect;
  OnUnacquire();
  acquired_ = false;
  return kOk;
}

Result Device::Poll() { return acquired_ ? kNoEffect : kNotAcquired; }

Result Device::GetDeviceState(uint32_t size, void* data) {
  if (!data || !hasFormat_ || size != FormatSize(format_)) return kInvalidParam;
  ClearState(format_, data);
  if (!acquired_) return kNotAcquired;
  const Result result = ReadState(data);
  if (Failed(result)) ClearState(format_, data);
  return result;
}

Result Device::SetAxisRange(uint32_t, int32_t, int32_t) { return kUnsupported; }

Result Device::SetAutoCenter(bool) { return kUnsupported; }

void Device::Release() {
  Unacquire();
  delete this;
}

}  // namespace platform::input
