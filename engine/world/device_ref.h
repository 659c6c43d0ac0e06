// One counted reference on a device object (texture, buffer), given back when the holder lets go.
#pragma once
#include <utility>

template <class T>
class DeviceRef {
 public:
  DeviceRef() = default;
  // Takes over one reference the caller holds.
  explicit DeviceRef(T* object) : object_(object) {}
  ~DeviceRef() { Reset(); }
  DeviceRef(DeviceRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  DeviceRef& operator=(DeviceRef&& other) noexcept {
    if (this != &other) {
      Reset();
      object_ = std::exchange(other.object_, nullptr);
    }
    return *this;
  }
  DeviceRef(const DeviceRef&) = delete;
  DeviceRef& operator=(const DeviceRef&) = delete;

  T* Get() const { return object_; }
  void Reset() {
    if (object_) std::exchange(object_, nullptr)->Release();
  }

 private:
  T* object_ = nullptr;
};
