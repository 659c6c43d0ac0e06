// Base of the objects a device creates: holds a reference on the device (as the objects of the
// API the engine was written against do), except the device's own objects, which would otherwise
// keep it alive for ever.
#pragma once
#include "platform/gfx/device.h"
#include "platform/gfx/ref_counted_impl.h"

namespace platform::gfx {

class DeviceImpl;
Device* AsDevice(DeviceImpl* device);

template <class Interface>
class DeviceChild : public RefCountedImpl<Interface> {
 public:
  DeviceChild(DeviceImpl* device, bool holdDevice) : device_(device), holdsDevice_(holdDevice) {
    if (holdsDevice_) AsDevice(device_)->AddRef();
  }
  ~DeviceChild() override {
    if (holdsDevice_) AsDevice(device_)->Release();
  }
  Result GetDevice(Device** device) override {
    if (!device) return kInvalidCall;
    *device = AsDevice(device_);
    (*device)->AddRef();
    return kOk;
  }
  DeviceImpl* device() const { return device_; }

 protected:
  DeviceImpl* device_;
  bool holdsDevice_;
};

}  // namespace platform::gfx
