// Base of the objects a device creates: holds a reference on the device, so that the device lives as
// long as anything made from it, except the device's own objects, which would otherwise keep it alive
// for ever.
#pragma once
#include "platform/gfx/device.h"
#include "platform/gfx/ref_counted_impl.h"

namespace platform::gfx {

class DeviceImpl;
Device* AsDevice(DeviceImpl* device);
// A reference an object of the device holds on it (counted apart from the callers' references).
void AddChildRef(DeviceImpl* device);
void ReleaseChildRef(DeviceImpl* device);

template <class Interface>
class DeviceChild : public RefCountedImpl<Interface> {
 public:
  DeviceChild(DeviceImpl* device, bool holdDevice) : device_(device), holdsDevice_(holdDevice) {
    if (holdsDevice_) AddChildRef(device_);
  }
  ~DeviceChild() override {
    if (holdsDevice_) ReleaseChildRef(device_);
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
